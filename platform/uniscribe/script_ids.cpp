// Script ids over ICU's script codes, and their SCRIPT_PROPERTIES.
#include "platform/uniscribe/script_ids.h"

#include <unicode/uchar.h>
#include <unicode/uscript.h>

#include <algorithm>
#include <vector>

namespace uniscribe {
namespace {

// Scripts whose text is drawn one glyph per character with no shaping.
constexpr UScriptCode kSimpleScripts[] = {
    USCRIPT_COMMON,
    USCRIPT_INHERITED,
    USCRIPT_UNKNOWN,
    USCRIPT_LATIN,
    USCRIPT_GREEK,
    USCRIPT_CYRILLIC,
    USCRIPT_ARMENIAN,
    USCRIPT_GEORGIAN,
    USCRIPT_HAN,
    USCRIPT_HIRAGANA,
    USCRIPT_KATAKANA,
    USCRIPT_BOPOMOFO,
    USCRIPT_HANGUL,
    USCRIPT_YI,
    USCRIPT_CHEROKEE,
    USCRIPT_ETHIOPIC,
    USCRIPT_CANADIAN_ABORIGINAL,
    USCRIPT_RUNIC,
    USCRIPT_OGHAM,
    USCRIPT_BRAILLE,
};

// Scripts written without spaces between words.
constexpr UScriptCode kUnspacedScripts[] = {USCRIPT_THAI, USCRIPT_LAO, USCRIPT_KHMER,
                                            USCRIPT_MYANMAR};

struct ScriptFacts {
  UScriptCode script;
  WORD langid;   // primary language
  BYTE charSet;  // GDI character set
};

constexpr ScriptFacts kFacts[] = {
    {USCRIPT_LATIN, 0x09, ANSI_CHARSET},        {USCRIPT_GREEK, 0x08, GREEK_CHARSET},
    {USCRIPT_CYRILLIC, 0x19, RUSSIAN_CHARSET},  {USCRIPT_ARMENIAN, 0x2B, DEFAULT_CHARSET},
    {USCRIPT_GEORGIAN, 0x37, DEFAULT_CHARSET},  {USCRIPT_HEBREW, 0x0D, HEBREW_CHARSET},
    {USCRIPT_ARABIC, 0x01, ARABIC_CHARSET},     {USCRIPT_SYRIAC, 0x5A, DEFAULT_CHARSET},
    {USCRIPT_THAANA, 0x65, DEFAULT_CHARSET},    {USCRIPT_DEVANAGARI, 0x39, DEFAULT_CHARSET},
    {USCRIPT_BENGALI, 0x45, DEFAULT_CHARSET},   {USCRIPT_GURMUKHI, 0x46, DEFAULT_CHARSET},
    {USCRIPT_GUJARATI, 0x47, DEFAULT_CHARSET},  {USCRIPT_ORIYA, 0x48, DEFAULT_CHARSET},
    {USCRIPT_TAMIL, 0x49, DEFAULT_CHARSET},     {USCRIPT_TELUGU, 0x4A, DEFAULT_CHARSET},
    {USCRIPT_KANNADA, 0x4B, DEFAULT_CHARSET},   {USCRIPT_MALAYALAM, 0x4C, DEFAULT_CHARSET},
    {USCRIPT_SINHALA, 0x5B, DEFAULT_CHARSET},   {USCRIPT_THAI, 0x1E, THAI_CHARSET},
    {USCRIPT_LAO, 0x54, DEFAULT_CHARSET},       {USCRIPT_TIBETAN, 0x51, DEFAULT_CHARSET},
    {USCRIPT_MYANMAR, 0x55, DEFAULT_CHARSET},   {USCRIPT_KHMER, 0x53, DEFAULT_CHARSET},
    {USCRIPT_MONGOLIAN, 0x50, DEFAULT_CHARSET}, {USCRIPT_HAN, 0x04, GB2312_CHARSET},
    {USCRIPT_HIRAGANA, 0x11, SHIFTJIS_CHARSET}, {USCRIPT_KATAKANA, 0x11, SHIFTJIS_CHARSET},
    {USCRIPT_HANGUL, 0x12, HANGUL_CHARSET},
};

template <typename List>
bool Contains(const List& list, UScriptCode script) {
  return std::find(std::begin(list), std::end(list), script) != std::end(list);
}

SCRIPT_PROPERTIES PropertiesOf(UScriptCode script) {
  SCRIPT_PROPERTIES properties{};
  properties.bCharSet = DEFAULT_CHARSET;
  for (const ScriptFacts& facts : kFacts) {
    if (facts.script != script) continue;
    properties.langid = facts.langid;
    properties.bCharSet = facts.charSet;
  }
  const bool complex = !Contains(kSimpleScripts, script);
  const bool rightToLeft = uscript_isRightToLeft(script) != 0;
  properties.fComplex = complex;
  properties.fNeedsWordBreaking = Contains(kUnspacedScripts, script);
  // Left-to-right complex scripts (Indic, Thai, ...) put carets only between clusters.
  properties.fNeedsCaretInfo = complex && !rightToLeft;
  properties.fClusterSizeVaries = complex && !rightToLeft;
  properties.fAmbiguousCharSet = JoinsNeighbours(static_cast<WORD>(script));
  return properties;
}

struct PropertyTable {
  std::vector<SCRIPT_PROPERTIES> entries;
  std::vector<const SCRIPT_PROPERTIES*> pointers;
};

}  // namespace

int ScriptIdCount() {
  static const int count =
      std::clamp(u_getIntPropertyMaxValue(UCHAR_SCRIPT) + 1, int{USCRIPT_UNKNOWN} + 1, 1024);
  return count;
}

WORD ScriptIdOf(char32_t character) {
  UErrorCode status = U_ZERO_ERROR;
  const UScriptCode script = uscript_getScript(static_cast<UChar32>(character), &status);
  if (U_FAILURE(status) || script < 0 || script >= ScriptIdCount()) return USCRIPT_UNKNOWN;
  return static_cast<WORD>(script);
}

bool JoinsNeighbours(WORD scriptId) {
  return scriptId == USCRIPT_COMMON || scriptId == USCRIPT_INHERITED || scriptId == USCRIPT_UNKNOWN;
}

hb_script_t HarfBuzzScript(WORD scriptId) {
  if (JoinsNeighbours(scriptId) || scriptId >= ScriptIdCount()) return HB_SCRIPT_INVALID;
  const char* name = uscript_getShortName(static_cast<UScriptCode>(scriptId));
  return name != nullptr ? hb_script_from_string(name, -1) : HB_SCRIPT_INVALID;
}

const SCRIPT_PROPERTIES** ScriptPropertyTable() {
  // Kept to the end of the process: callers hold on to the table.
  static PropertyTable* table = [] {
    auto* made = new PropertyTable;
    made->entries.resize(static_cast<std::size_t>(ScriptIdCount()));
    for (std::size_t id = 0; id < made->entries.size(); ++id) {
      made->entries[id] = PropertiesOf(static_cast<UScriptCode>(id));
    }
    for (const SCRIPT_PROPERTIES& entry : made->entries) made->pointers.push_back(&entry);
    return made;
  }();
  return table->pointers.data();
}

}  // namespace uniscribe
