// The GDI object table: fonts, bitmaps and device contexts behind their handles (not part of
// the program's interface).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/gdi/font_face.h"
#include "platform/gdi/records.h"

namespace gdi {

struct FontObject {
  LOGFONTW logFont{};
  std::unique_ptr<FontFace> face;  // null until first use for the default font
  int selections = 0;              // DCs that have it selected
  bool isDefault = false;
};

struct BitmapObject {
  BITMAPINFOHEADER header{};               // as created (biHeight < 0: top row first)
  std::unique_ptr<std::uint8_t[]> pixels;  // null for the default 1 x 1 placeholder
  LONG width = 1;
  LONG height = 1;  // rows, positive
  LONG stride = 0;  // bytes per row
  HDC selectedIn = nullptr;
  bool isDefault = false;

  // The pixel at (x, y), y counted from the top; x and y must lie inside.
  std::uint8_t* Pixel(LONG x, LONG y) const;
};

struct DcObject {
  HGDIOBJ font = nullptr;
  HGDIOBJ bitmap = nullptr;
  int mapMode = MM_TEXT;
  UINT textAlign = TA_LEFT | TA_TOP | TA_NOUPDATECP;
  int backgroundMode = OPAQUE;
  COLORREF backgroundColour = RGB(255, 255, 255);
  COLORREF textColour = RGB(0, 0, 0);
  POINT position{0, 0};
};

// Null for handles of no live object of that kind.
FontObject* LookUpFont(HGDIOBJ handle);
BitmapObject* LookUpBitmap(HGDIOBJ handle);
DcObject* LookUpDc(HDC handle);

HFONT AddFont(FontObject font);
HBITMAP AddBitmap(BitmapObject bitmap);
HDC AddDc(DcObject dc);
// Removes an unselected font or bitmap, or a DC; false for anything else.
bool RemoveObject(HGDIOBJ handle);
// Fonts, bitmaps and DCs alive, the default objects included: tests compare it before and
// after work that must leave none behind.
std::size_t ObjectCount();

// The objects that a new DC starts with; never deleted.
HFONT DefaultFont();
HBITMAP DefaultBitmap();

// The LOGFONTA of a LOGFONTW, its face name in the ANSI code page.
LOGFONTA NarrowLogFont(const LOGFONTW& wide);

// The face of the DC's selected font, opened now if it was not yet; null for a bad DC or
// a face that cannot be opened.
FontFace* FaceOfDc(HDC dc);

}  // namespace gdi
