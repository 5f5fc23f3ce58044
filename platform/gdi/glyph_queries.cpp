// Glyph widths, Unicode coverage and language information of the DC's font.
#include <algorithm>
#include <cstddef>
#include <cstring>

#include "platform/gdi/bidi.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/objects.h"

namespace {

template <typename Width, typename Measure>
BOOL MeasureGlyphs(HDC dc, UINT firstGlyph, UINT count, const WORD* glyphs, Width* widths,
                   Measure measure) {
  gdi::FontFace* face = gdi::FaceOfDc(dc);
  if (face == nullptr || widths == nullptr) return FALSE;
  for (UINT i = 0; i < count; ++i) {
    widths[i] = measure(*face, glyphs != nullptr ? glyphs[i] : firstGlyph + i);
  }
  return TRUE;
}

bool HoldsRightToLeftLetters(const gdi::FontFace& face) {
  for (const WCRANGE& range : face.UnicodeRanges()) {
    for (UINT i = 0; i < range.cGlyphs; ++i) {
      if (gdi::ClassOfCharacter(range.wcLow + i) == GCPCLASS_HEBREW) return true;
    }
  }
  return false;
}

}  // namespace

BOOL GetCharABCWidthsI(HDC dc, UINT firstGlyph, UINT count, WORD* glyphs, ABC* widths) {
  return MeasureGlyphs(dc, firstGlyph, count, glyphs, widths,
                       [](gdi::FontFace& face, UINT glyph) { return face.AbcWidths(glyph); });
}

BOOL GetCharWidthI(HDC dc, UINT firstGlyph, UINT count, WORD* glyphs, INT* widths) {
  return MeasureGlyphs(dc, firstGlyph, count, glyphs, widths,
                       [](gdi::FontFace& face, UINT glyph) { return face.Glyph(glyph).advance; });
}

DWORD GetFontUnicodeRanges(HDC dc, GLYPHSET* glyphSet) {
  const gdi::FontFace* face = gdi::FaceOfDc(dc);
  if (face == nullptr) return 0;
  const std::vector<WCRANGE>& ranges = face->UnicodeRanges();
  const std::size_t header = offsetof(GLYPHSET, ranges);
  const std::size_t size = header + std::max<std::size_t>(ranges.size(), 1) * sizeof(WCRANGE);
  if (glyphSet == nullptr) return static_cast<DWORD>(size);
  DWORD supported = 0;
  for (const WCRANGE& range : ranges) supported += range.cGlyphs;
  glyphSet->cbThis = static_cast<DWORD>(size);
  glyphSet->flAccel = 0;
  glyphSet->cGlyphsSupported = supported;
  glyphSet->cRanges = static_cast<DWORD>(ranges.size());
  if (!ranges.empty()) {
    std::memcpy(glyphSet->ranges, ranges.data(), ranges.size() * sizeof(WCRANGE));
  }
  return static_cast<DWORD>(size);
}

// Only what character placement does: reordering and kerning. Shaping, ligatures and
// diacritic handling are not done here, so they are not reported.
DWORD GetFontLanguageInfo(HDC dc) {
  const gdi::FontFace* face = gdi::FaceOfDc(dc);
  if (face == nullptr) return GCP_ERROR;
  DWORD info = 0;
  if (HoldsRightToLeftLetters(*face)) info |= GCP_REORDER;
  if (face->HasKerning()) info |= GCP_USEKERNING;
  return info;
}
