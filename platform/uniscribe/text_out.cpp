// ScriptTextOut and ScriptJustify: exported for callers that look them up; nothing in the
// program calls them, so they do the least that is sound.
#include <algorithm>
#include <climits>
#include <vector>

#include "platform/gdi/glyph_painting.h"
#include "platform/gdi/objects.h"
#include "platform/uniscribe/script_cache.h"
#include "platform/uniscribe/uniscribe.h"

HRESULT ScriptJustify(const SCRIPT_VISATTR* visAttrs, const int* advances, int count, int dx,
                      int minKashida, int* justified) {
  (void)minKashida;  // no kashida is inserted
  if (visAttrs == nullptr || advances == nullptr || count <= 0 || justified == nullptr) {
    return E_INVALIDARG;
  }
  std::vector<int> blanks;
  for (int i = 0; i < count; ++i) {
    if (visAttrs[i].uJustification == SCRIPT_JUSTIFY_BLANK ||
        visAttrs[i].uJustification == SCRIPT_JUSTIFY_ARABIC_BLANK) {
      blanks.push_back(i);
    }
  }
  if (blanks.empty()) blanks.push_back(count - 1);
  const auto share = static_cast<long long>(dx) / static_cast<long long>(blanks.size());
  long long rest = static_cast<long long>(dx) - share * static_cast<long long>(blanks.size());
  std::copy(advances, advances + count, justified);
  for (int i : blanks) {
    long long extra = share;
    if (rest != 0) {  // the remainder goes one pixel at a time to the first blanks
      extra += rest > 0 ? 1 : -1;
      rest += rest > 0 ? -1 : 1;
    }
    justified[i] = static_cast<int>(std::clamp<long long>(justified[i] + extra, INT_MIN, INT_MAX));
  }
  return S_OK;
}

HRESULT ScriptTextOut(HDC dc, SCRIPT_CACHE* cache, int x, int y, UINT options, const RECT* rect,
                      const SCRIPT_ANALYSIS* analysis, const WCHAR* reserved, int reservedCount,
                      const WORD* glyphs, int count, const int* advances, const int* justified,
                      const GOFFSET* offsets) {
  if (dc == nullptr || cache == nullptr || analysis == nullptr || reserved != nullptr ||
      reservedCount != 0 || count < 0 ||
      (count > 0 && (glyphs == nullptr || advances == nullptr))) {
    return E_INVALIDARG;
  }
  uniscribe::ScriptCacheData* data = nullptr;
  const HRESULT resolved = uniscribe::ResolveCache(dc, cache, &data);
  if (FAILED(resolved)) return resolved;
  gdi::FontFace* face = gdi::FaceOfDc(dc);
  const int* widths = justified != nullptr ? justified : advances;
  std::vector<gdi::PlacedGlyph> placed(static_cast<std::size_t>(count));
  long long pen = 0;
  for (int i = 0; i < count; ++i) {
    const GOFFSET offset = offsets != nullptr ? offsets[i] : GOFFSET{0, 0};
    placed[static_cast<std::size_t>(i)] = {face, glyphs[i], pen + offset.du, offset.dv};
    pen += widths[i];
  }
  return gdi::PaintPlacedGlyphs(dc, x, y, options, rect, pen, placed) ? S_OK : E_FAIL;
}
