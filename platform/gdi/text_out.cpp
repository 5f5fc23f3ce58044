// ExtTextOut: glyphs blended over a DIB section, placed by the DC's text alignment.
#include <algorithm>
#include <climits>
#include <vector>

#include "platform/gdi/gdi.h"
#include "platform/gdi/glyph_painting.h"
#include "platform/gdi/objects.h"
#include "platform/win32/windows1252.h"

namespace {

struct Placement {
  int left = 0;  // the text's left edge
  int top = 0;   // the top of its character cells
  int width = 0;
};

RECT Intersection(const RECT& a, const RECT& b) {
  return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
          std::min(a.bottom, b.bottom)};
}

// Only bytes 0 to 2 (blue, green, red) carry colour; filled pixels get 0 in the fourth.
void Fill(const gdi::BitmapObject& bitmap, const RECT& area, COLORREF colour) {
  for (LONG y = area.top; y < area.bottom; ++y) {
    for (LONG x = area.left; x < area.right; ++x) {
      std::uint8_t* pixel = bitmap.Pixel(x, y);
      pixel[0] = GetBValue(colour);
      pixel[1] = GetGValue(colour);
      pixel[2] = GetRValue(colour);
      pixel[3] = 0;
    }
  }
}

std::uint8_t Mix(std::uint8_t under, std::uint8_t over, unsigned coverage) {
  return static_cast<std::uint8_t>((under * (255 - coverage) + over * coverage + 127) / 255);
}

// Coverage c turns a pixel p into p + (text - p) * c / 255, so white on black is c itself.
void Blend(const gdi::BitmapObject& bitmap, const gdi::GlyphImage& glyph, int x0, int y0,
           const RECT& clip, COLORREF colour) {
  for (int row = 0; row < glyph.rows; ++row) {
    const long long y = static_cast<long long>(y0) + row;
    if (y < clip.top || y >= clip.bottom) continue;
    for (int column = 0; column < glyph.width; ++column) {
      const long long x = static_cast<long long>(x0) + column;
      const unsigned coverage =
          glyph.coverage[static_cast<std::size_t>(row) * glyph.width + column];
      if (coverage == 0 || x < clip.left || x >= clip.right) continue;
      std::uint8_t* pixel = bitmap.Pixel(static_cast<LONG>(x), static_cast<LONG>(y));
      pixel[0] = Mix(pixel[0], GetBValue(colour), coverage);
      pixel[1] = Mix(pixel[1], GetGValue(colour), coverage);
      pixel[2] = Mix(pixel[2], GetRValue(colour), coverage);
    }
  }
}

// The pen advances: the caller's (pairs of x and y with ETO_PDY, of which x counts) or the
// glyphs' own.
std::vector<int> Advances(gdi::FontFace& face, const std::vector<WORD>& glyphs, UINT options,
                          const INT* dx) {
  std::vector<int> advances(glyphs.size());
  for (std::size_t i = 0; i < glyphs.size(); ++i) {
    if (dx == nullptr) {
      advances[i] = face.Glyph(glyphs[i]).advance;
    } else {
      advances[i] = (options & ETO_PDY) != 0 ? dx[2 * i] : dx[i];
    }
  }
  return advances;
}

// Where the text goes, and where the current position goes with TA_UPDATECP.
Placement Place(gdi::DcObject& context, const TEXTMETRICW& metrics, int x, int y, int width) {
  const UINT align = context.textAlign;
  const bool updateCp = (align & TA_UPDATECP) != 0;
  const POINT reference = updateCp ? context.position : POINT{x, y};
  Placement placement;
  placement.width = width;
  if ((align & TA_CENTER) == TA_CENTER) {
    placement.left = reference.x - width / 2;
  } else if ((align & TA_RIGHT) != 0) {
    placement.left = reference.x - width;
  } else {
    placement.left = reference.x;
  }
  if ((align & TA_BASELINE) == TA_BASELINE) {
    placement.top = reference.y - metrics.tmAscent;
  } else if ((align & TA_BOTTOM) != 0) {
    placement.top = reference.y - metrics.tmHeight;
  } else {
    placement.top = reference.y;
  }
  if (updateCp && (align & TA_CENTER) != TA_CENTER) {
    context.position.x = (align & TA_RIGHT) != 0 ? reference.x - width : reference.x + width;
  }
  return placement;
}

void PaintBackground(const gdi::DcObject& context, const gdi::BitmapObject& bitmap, UINT options,
                     const RECT* rect, const RECT& clip, const Placement& text, LONG cellHeight) {
  const RECT whole = {0, 0, bitmap.width, bitmap.height};
  const bool opaqueRect = (options & ETO_OPAQUE) != 0 && rect != nullptr;
  if (opaqueRect) Fill(bitmap, Intersection(*rect, whole), context.backgroundColour);
  const bool opaqueCells =
      context.backgroundMode == OPAQUE || ((options & ETO_OPAQUE) != 0 && rect == nullptr);
  if (!opaqueCells) return;
  const RECT cells = {std::min(text.left, text.left + text.width), text.top,
                      std::max(text.left, text.left + text.width), text.top + cellHeight};
  Fill(bitmap, Intersection(cells, clip), context.backgroundColour);
}

BOOL DrawGlyphs(HDC dc, int x, int y, UINT options, const RECT* rect,
                const std::vector<WORD>& glyphs, const INT* dx) {
  gdi::FontFace* face = gdi::FaceOfDc(dc);
  if (face == nullptr) return FALSE;
  const std::vector<int> advances = Advances(*face, glyphs, options, dx);
  std::vector<gdi::PlacedGlyph> placed(glyphs.size());
  long long penX = 0;
  long long penY = 0;
  for (std::size_t i = 0; i < glyphs.size(); ++i) {
    placed[i] = {face, glyphs[i], penX, penY};
    penX += advances[i];
    if ((options & ETO_PDY) != 0 && dx != nullptr) penY -= dx[2 * i + 1];
  }
  return gdi::PaintPlacedGlyphs(dc, x, y, options, rect, penX, placed);
}

}  // namespace

namespace gdi {

BOOL PaintPlacedGlyphs(HDC dc, int x, int y, UINT options, const RECT* rect, long long width,
                       const std::vector<PlacedGlyph>& glyphs) {
  DcObject* context = LookUpDc(dc);
  FontFace* dcFace = FaceOfDc(dc);
  if (context == nullptr || dcFace == nullptr) return FALSE;
  const TEXTMETRICW& metrics = dcFace->Metrics();
  width = std::clamp<long long>(width, INT_MIN / 2, INT_MAX / 2);
  const Placement text = Place(*context, metrics, x, y, static_cast<int>(width));
  const BitmapObject* bitmap = LookUpBitmap(context->bitmap);
  if (bitmap == nullptr || bitmap->pixels == nullptr) return TRUE;  // nothing to draw on
  RECT clip = {0, 0, bitmap->width, bitmap->height};
  if ((options & ETO_CLIPPED) != 0 && rect != nullptr) clip = Intersection(clip, *rect);
  PaintBackground(*context, *bitmap, options, rect, clip, text, metrics.tmHeight);
  const long long baseline = static_cast<long long>(text.top) + metrics.tmAscent;
  for (const PlacedGlyph& placed : glyphs) {
    if (placed.face == nullptr) continue;
    const GlyphImage& glyph = placed.face->Glyph(placed.glyph);
    const long long glyphX = text.left + placed.x + glyph.left;
    const long long glyphY = baseline + placed.y - glyph.top;
    if (glyphX > INT_MIN && glyphX < INT_MAX && glyphY > INT_MIN && glyphY < INT_MAX) {
      Blend(*bitmap, glyph, static_cast<int>(glyphX), static_cast<int>(glyphY), clip,
            context->textColour);
    }
  }
  return TRUE;
}

}  // namespace gdi

BOOL ExtTextOutW(HDC dc, int x, int y, UINT options, const RECT* rect, LPCWSTR text, UINT count,
                 const INT* dx) {
  if (count != 0 && text == nullptr) return FALSE;
  const gdi::FontFace* face = gdi::FaceOfDc(dc);
  if (face == nullptr) return FALSE;
  std::vector<WORD> glyphs(count);
  for (UINT i = 0; i < count; ++i) {
    glyphs[i] = (options & ETO_GLYPH_INDEX) != 0 ? text[i] : face->GlyphOfCharacter(text[i]);
  }
  return DrawGlyphs(dc, x, y, options, rect, glyphs, dx);
}

BOOL ExtTextOutA(HDC dc, int x, int y, UINT options, const RECT* rect, LPCSTR text, UINT count,
                 const INT* dx) {
  if (count != 0 && text == nullptr) return FALSE;
  const gdi::FontFace* face = gdi::FaceOfDc(dc);
  if (face == nullptr) return FALSE;
  std::vector<WORD> glyphs(count);
  for (UINT i = 0; i < count; ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    glyphs[i] = (options & ETO_GLYPH_INDEX) != 0
                    ? byte
                    : face->GlyphOfCharacter(win32::Windows1252ToUnit(byte));
  }
  return DrawGlyphs(dc, x, y, options, rect, glyphs, dx);
}
