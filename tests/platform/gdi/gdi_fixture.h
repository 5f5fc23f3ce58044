// A memory DC with a font and a 32-bit top-down DIB section selected, as text is drawn in
// the font object; everything is restored and deleted (and checked to delete) at the end.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "platform/gdi/gdi.h"

namespace gdi_test {

LOGFONTW MakeLogFont(const std::u16string& face, LONG height, LONG weight = FW_DONTCARE,
                     BYTE italic = FALSE, BYTE quality = ANTIALIASED_QUALITY);

class TextDc {
 public:
  TextDc(const std::u16string& face, LONG height, int width = 64, int heightPixels = 64,
         BYTE quality = ANTIALIASED_QUALITY);
  explicit TextDc(const LOGFONTW& logFont, int width = 64, int heightPixels = 64);
  ~TextDc();
  TextDc(const TextDc&) = delete;
  TextDc& operator=(const TextDc&) = delete;

  HDC dc() const { return dc_; }
  HFONT font() const { return font_; }
  HBITMAP surface() const { return surface_; }
  int width() const { return width_; }
  int height() const { return height_; }
  TEXTMETRICW Metrics() const;

  // Blue, green, red and a fourth byte of the pixel at (x, y).
  std::uint32_t Pixel(int x, int y) const { return bits_[y * width_ + x]; }
  BYTE Green(int x, int y) const { return static_cast<BYTE>(Pixel(x, y) >> 8); }
  void FillAll(std::uint32_t value);
  // The glyph of a character, as character placement gives it.
  WORD GlyphOf(WCHAR character) const;

 private:
  void Make(const LOGFONTW& logFont, int width, int height);

  HDC dc_ = nullptr;
  HFONT font_ = nullptr;
  HBITMAP surface_ = nullptr;
  HGDIOBJ previousFont_ = nullptr;
  HGDIOBJ previousBitmap_ = nullptr;
  std::uint32_t* bits_ = nullptr;
  int width_ = 0;
  int height_ = 0;
};

// A 32-bit top-down DIB section of the given size.
HBITMAP MakeSurface(int width, int height, void** bits);

}  // namespace gdi_test
