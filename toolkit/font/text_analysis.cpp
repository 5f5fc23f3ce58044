// Turning a string into words and glyphs, every glyph in the glyph cache. With the shaping
// services the text is shaped word by word (shaped_analysis.cpp); without them GDI's character
// placement gives the glyphs, advances, order and classes of the whole text, and words are
// found by character classes.
#include <algorithm>
#include <cstring>
#include <cwctype>

#include "platform/win32/codepage.h"
#include "toolkit/common/result.h"
#include "toolkit/font/character_placement.h"
#include "toolkit/font/cached_font.h"
#include "toolkit/font/text_services.h"

namespace {

bool IsSpace(WCHAR c) { return c == u' '; }
bool IsLetter(WCHAR c) { return std::iswalpha(static_cast<wint_t>(c)) != 0; }
bool IsDigit(WCHAR c) { return std::iswdigit(static_cast<wint_t>(c)) != 0; }
bool IsPunctuation(WCHAR c) { return std::iswpunct(static_cast<wint_t>(c)) != 0; }
bool IsWhiteSpace(WCHAR c) { return std::iswspace(static_cast<wint_t>(c)) != 0; }
bool IsLetterOrDigit(WCHAR c) { return IsLetter(c) || IsDigit(c) || c == u'_'; }

constexpr BYTE rightToLeftClass = GCPCLASS_ARABIC;

}  // namespace

HRESULT CachedFont::AnalyseText(const void* text, INT count, bool wide, bool rightToLeft) {
  if (SharedTextServices().uniscribeAvailable) {
    return AnalyseWithScripts(text, count, wide, rightToLeft);
  }
  return AnalyseWithGdi(text, count, wide, rightToLeft);
}

HRESULT CachedFont::AnalyseWithGdi(const void* text, INT count, bool wide, bool rightToLeft) {
  if (wide && !SharedTextServices().unicodeGdi) {
    const auto* source = static_cast<const WCHAR*>(text);
    const int narrowCount =
        WideCharToMultiByte(CP_ACP, 0, source, count, nullptr, 0, nullptr, nullptr);
    if (FAILED(narrowText.Reserve(std::max(narrowCount, 1), false))) return E_OUTOFMEMORY;
    WideCharToMultiByte(CP_ACP, 0, source, count, narrowText.Data(), narrowCount, nullptr,
                        nullptr);
    text = narrowText.Data();
    count = narrowCount;
    wide = false;
  }
  if (count <= 0) {  // nothing survived the narrowing: no words
    if (FAILED(words.Reserve(1, false))) return E_OUTOFMEMORY;
    words[0] = TextWord{0, 0, 0, 0};
    wordCount = glyphCount = 0;
    return S_OK;
  }
  const UINT length = static_cast<UINT>(count);
  if (FAILED(glyphs.Reserve(length, false)) || FAILED(order.Reserve(length, false)) ||
      FAILED(charClasses.Reserve(length, false)) || FAILED(advances.Reserve(length, false))) {
    return E_OUTOFMEMORY;
  }
  std::memset(charClasses.Data(), 0, length);
  charClasses[0] = static_cast<char>(rightToLeft ? GCPCLASS_PREBOUNDRTL : GCPCLASS_PREBOUNDLTR);
  std::memset(glyphs.Data(), 0, length * sizeof(WORD));
  std::memset(order.Data(), 0, length * sizeof(UINT));
  std::memset(advances.Data(), 0, length * sizeof(INT));

  constexpr DWORD shapingFlags =
      GCP_REORDER | GCP_USEKERNING | GCP_GLYPHSHAPE | GCP_LIGATE | GCP_DIACRITIC;
  const DWORD flags = (languageInfo & shapingFlags) | GCP_CLASSIN;
  const PlacementArrays arrays{glyphs.Data(), order.Data(), advances.Data(), charClasses.Data()};
  const UINT n = wide ? PlaceCharacters(dc, static_cast<const WCHAR*>(text), length, flags, arrays)
                      : PlaceCharacters(dc, static_cast<const char*>(text), length, flags, arrays);

  if (FAILED(glyphOffsets.Reserve(n, false)) || FAILED(wideText.Reserve(n, false)) ||
      FAILED(words.Reserve(n + 1, false)) || FAILED(wordExtents.Reserve(n, false)) ||
      FAILED(glyphRecords.Reserve(n, false))) {
    return E_OUTOFMEMORY;
  }
  std::memset(glyphOffsets.Data(), 0, n * sizeof(GOFFSET));
  for (UINT i = 0; i < n; ++i) {
    const UINT index = std::min(order[i], length - 1);
    // 8-bit characters are classified as the byte values they are (Latin-1), not sign-extended.
    wideText[i] = wide ? static_cast<const WCHAR*>(text)[index]
                       : static_cast<WCHAR>(static_cast<const BYTE*>(text)[index]);
  }
  const UINT found = FindGdiWords(n);
  words[found].firstChar = count;
  UINT total = found;
  if (FAILED(OrderGdiWords(found, n, rightToLeft, &total))) return E_OUTOFMEMORY;
  for (UINT w = 0; w < total; ++w) {
    UINT width = 0;
    for (INT g = words[w].firstGlyph; g < words[w + 1].firstGlyph; ++g) width += advances[g];
    wordExtents[w] = ABC{0, width, 0};
  }
  wordCount = total;
  glyphCount = n;
  return CacheGlyphs(glyphs.Data(), n, glyphRecords.Data());
}

// Words by the class of their first character; returns their number and writes the closing
// entry.
UINT CachedFont::FindGdiWords(UINT glyphTotal) {
  UINT total = 0;
  UINT j = 0;
  while (j < glyphTotal) {
    TextWord& word = words[total++];
    word = TextWord{0, static_cast<INT>(order[j]), static_cast<INT>(j), 0};
    const WCHAR first = wideText[j];
    ++j;
    auto takeWhile = [&](auto belongs) {
      while (j < glyphTotal && belongs(j)) ++j;
    };
    if (first == u'\r' || first == u'\n' || first == u'\t') {
      word.flags = first == u'\r' ? WF_CR : first == u'\n' ? WF_LF : WF_TAB;
      continue;
    }
    if (static_cast<BYTE>(charClasses[j - 1]) == rightToLeftClass) {
      word.flags = WF_RTL;
      takeWhile([&](UINT k) {
        return static_cast<BYTE>(charClasses[k]) == rightToLeftClass && !IsWhiteSpace(wideText[k]);
      });
    } else if (IsLetter(first)) {
      takeWhile([&](UINT k) { return IsLetterOrDigit(wideText[k]); });
    } else if (IsDigit(first)) {
      takeWhile([&](UINT k) { return IsDigit(wideText[k]); });
    } else if (IsPunctuation(first)) {
      takeWhile([&](UINT k) { return IsPunctuation(wideText[k]); });
    } else if (!IsSpace(first)) {
      continue;
    }
    takeWhile([&](UINT k) { return IsSpace(wideText[k]); });
  }
  words[total] = TextWord{0, 0, static_cast<INT>(glyphTotal), 0};
  return total;
}
