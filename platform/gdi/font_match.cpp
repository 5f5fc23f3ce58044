// Face-name resolution over fontconfig.
#include "platform/gdi/font_match.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cctype>
#include <memory>
#include <sstream>
#include <vector>

#include "platform/win32/unit_sink.h"
#include "platform/win32/utf8.h"

namespace gdi {
namespace {

struct PatternDeleter {
  void operator()(FcPattern* pattern) const { FcPatternDestroy(pattern); }
};
using Pattern = std::unique_ptr<FcPattern, PatternDeleter>;

// What a face name asks for beyond its family.
struct Style {
  LONG weight = FW_DONTCARE;
  bool italic = false;
};

struct StyleWord {
  const char* word;
  LONG weight;  // FW_DONTCARE: the word does not set a weight
  bool italic;
};

constexpr StyleWord kStyleWords[] = {
    {"italic", FW_DONTCARE, true},
    {"oblique", FW_DONTCARE, true},
    {"thin", FW_THIN, false},
    {"extralight", FW_EXTRALIGHT, false},
    {"ultralight", FW_ULTRALIGHT, false},
    {"light", FW_LIGHT, false},
    {"regular", FW_NORMAL, false},
    {"normal", FW_NORMAL, false},
    {"book", FW_NORMAL, false},
    {"roman", FW_NORMAL, false},
    {"medium", FW_MEDIUM, false},
    {"semibold", FW_SEMIBOLD, false},
    {"demibold", FW_DEMIBOLD, false},
    {"bold", FW_BOLD, false},
    {"extrabold", FW_EXTRABOLD, false},
    {"ultrabold", FW_ULTRABOLD, false},
    {"heavy", FW_HEAVY, false},
    {"black", FW_BLACK, false},
};

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

const StyleWord* FindStyleWord(const std::string& word) {
  const std::string lower = Lower(word);
  for (const StyleWord& entry : kStyleWords) {
    if (lower == entry.word) return &entry;
  }
  return nullptr;
}

std::string FaceNameUtf8(const LOGFONTW& logFont) {
  int length = 0;
  while (length < LF_FACESIZE && logFont.lfFaceName[length] != 0) ++length;
  win32::UnitSink<char> counter(nullptr, 0);
  win32::Utf16ToUtf8(logFont.lfFaceName, length, false, counter);
  std::string name(static_cast<std::size_t>(counter.Count()), '\0');
  win32::UnitSink<char> sink(name.data(), static_cast<int>(name.size()));
  win32::Utf16ToUtf8(logFont.lfFaceName, length, false, sink);
  return name;
}

std::vector<std::string> Words(const std::string& name) {
  std::istringstream stream(name);
  std::vector<std::string> words;
  for (std::string word; stream >> word;) words.push_back(word);
  return words;
}

std::string Join(const std::vector<std::string>& words, std::size_t count) {
  std::string joined;
  for (std::size_t i = 0; i < count; ++i) {
    if (i != 0) joined += ' ';
    joined += words[i];
  }
  return joined;
}

// A style word's weight counts unless the LOGFONT asks for a weight other than normal.
int OpenTypeWeight(LONG requested, const Style& style) {
  const bool plain = requested == FW_DONTCARE || requested == FW_NORMAL;
  if (plain && style.weight != FW_DONTCARE) return style.weight;
  if (requested == FW_DONTCARE) return FW_NORMAL;
  return std::clamp<LONG>(requested, 1, 1000);
}

const char* GenericFamily(BYTE pitchAndFamily) {
  if ((pitchAndFamily & 0x03) == FIXED_PITCH) return "monospace";
  switch (pitchAndFamily & 0xF0) {
    case FF_ROMAN:
      return "serif";
    case FF_MODERN:
      return "monospace";
    case FF_SCRIPT:
      return "cursive";
    case FF_DECORATIVE:
      return "fantasy";
    default:
      return "sans-serif";
  }
}

Pattern MakePattern(const std::string& family, const LOGFONTW& logFont, const Style& style) {
  Pattern pattern(FcPatternCreate());
  if (!pattern) return nullptr;
  FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  FcPatternAddInteger(pattern.get(), FC_WEIGHT,
                      FcWeightFromOpenType(OpenTypeWeight(logFont.lfWeight, style)));
  const bool italic = logFont.lfItalic != 0 || style.italic;
  FcPatternAddInteger(pattern.get(), FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddBool(pattern.get(), FC_SCALABLE, FcTrue);
  FcConfigSubstitute(nullptr, pattern.get(), FcMatchPattern);
  FcDefaultSubstitute(pattern.get());
  return pattern;
}

// The families that the pattern names itself or by strong alias, before the generic ones
// that every pattern falls back to.
std::vector<std::string> StrongFamilies(FcPattern* pattern) {
  std::vector<std::string> families;
  FcValue value;
  FcValueBinding binding;
  for (int i = 0; FcPatternGetWithBinding(pattern, FC_FAMILY, i, &value, &binding) == FcResultMatch;
       ++i) {
    if (binding == FcValueBindingStrong && value.type == FcTypeString) {
      families.push_back(Lower(reinterpret_cast<const char*>(value.u.s)));
    }
  }
  return families;
}

bool HasFamily(FcPattern* match, const std::vector<std::string>& families) {
  FcChar8* family = nullptr;
  for (int i = 0; FcPatternGetString(match, FC_FAMILY, i, &family) == FcResultMatch; ++i) {
    const std::string name = Lower(reinterpret_cast<const char*>(family));
    if (std::find(families.begin(), families.end(), name) != families.end()) return true;
  }
  return false;
}

std::optional<FaceChoice> ChoiceOf(FcPattern* match, bool italicAsked) {
  FcChar8* file = nullptr;
  if (FcPatternGetString(match, FC_FILE, 0, &file) != FcResultMatch) return std::nullopt;
  FaceChoice choice;
  choice.file = reinterpret_cast<const char*>(file);
  FcPatternGetInteger(match, FC_INDEX, 0, &choice.index);
  int slant = FC_SLANT_ROMAN;
  FcPatternGetInteger(match, FC_SLANT, 0, &slant);
  choice.slantMissing = italicAsked && slant == FC_SLANT_ROMAN;
  return choice;
}

// The best face for the pattern; with families given, only one of them.
std::optional<FaceChoice> Match(const std::string& family, const LOGFONTW& logFont,
                                const Style& style, bool mustBeOffered) {
  Pattern pattern = MakePattern(family, logFont, style);
  if (!pattern) return std::nullopt;
  FcResult result = FcResultNoMatch;
  Pattern match(FcFontMatch(nullptr, pattern.get(), &result));
  if (!match) return std::nullopt;
  if (mustBeOffered && !HasFamily(match.get(), StrongFamilies(pattern.get()))) {
    return std::nullopt;
  }
  return ChoiceOf(match.get(), logFont.lfItalic != 0 || style.italic);
}

// Reads the trailing words from `first` on as style words; false when one is not.
bool ReadStyle(const std::vector<std::string>& words, std::size_t first, Style* style) {
  for (std::size_t i = first; i < words.size(); ++i) {
    const StyleWord* entry = FindStyleWord(words[i]);
    if (entry == nullptr) return false;
    if (entry->weight != FW_DONTCARE) style->weight = entry->weight;
    style->italic = style->italic || entry->italic;
  }
  return true;
}

}  // namespace

std::optional<FaceChoice> ChooseFace(const LOGFONTW& logFont) {
  if (!FcInit()) return std::nullopt;
  const std::vector<std::string> words = Words(FaceNameUtf8(logFont));
  // The fallback keeps the style of the reading with the most style words.
  Style fallbackStyle;
  for (std::size_t familyWords = words.size(); familyWords >= 1; --familyWords) {
    Style style;
    if (!ReadStyle(words, familyWords, &style)) continue;
    if (auto choice = Match(Join(words, familyWords), logFont, style, true)) return choice;
    fallbackStyle = style;
  }
  return Match(GenericFamily(logFont.lfPitchAndFamily), logFont, fallbackStyle, false);
}

}  // namespace gdi

// gcc tells of AddressSanitizer by __SANITIZE_ADDRESS__, clang (the fuzz build) by __has_feature.
#if defined(__SANITIZE_ADDRESS__)
#define MIREFELL_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define MIREFELL_ADDRESS_SANITIZER 1
#endif
#endif
#if defined(MIREFELL_ADDRESS_SANITIZER)
// fontconfig 2.14 loses two small blocks while it parses its configuration files, once per
// process. The library has no frame pointers, so the leak's recorded stack ends inside it and
// can only be told by the library's name; our own fontconfig objects are all held by
// unique_ptr with their destroy functions.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
#endif
