// Painting placed glyphs of one or more faces into a DC's bitmap, as ExtTextOut does (not part
// of the program's interface). Text-shaping services paint their runs through it, so that a
// shaped run looks exactly like the same glyphs drawn one by one.
#pragma once

#include <vector>

#include "platform/gdi/font_face.h"
#include "platform/win32/types.h"

namespace gdi {

struct PlacedGlyph {
  FontFace* face = nullptr;  // the face that draws it
  UINT glyph = 0;
  long long x = 0;  // from the text's left edge to the glyph's pen position
  long long y = 0;  // from the baseline to the pen, downwards
};

// Places text `width` pixels wide at (x, y) by the DC's text alignment (TA_UPDATECP moves the
// current position), paints the background as ExtTextOut does for `options` and `rect`, and
// blends every glyph in the text colour with its pen on the baseline, the DC font's tmAscent
// below the top of the cells. Clipped to the bitmap (and to `rect` with ETO_CLIPPED). FALSE
// for a bad DC or one whose font has no face.
BOOL PaintPlacedGlyphs(HDC dc, int x, int y, UINT options, const RECT* rect, long long width,
                       const std::vector<PlacedGlyph>& glyphs);

}  // namespace gdi
