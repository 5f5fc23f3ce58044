#include "tests/platform/gdi/gdi_fixture.h"

#include <algorithm>

namespace gdi_test {

LOGFONTW MakeLogFont(const std::u16string& face, LONG height, LONG weight, BYTE italic,
                     BYTE quality) {
  LOGFONTW logFont{};
  logFont.lfHeight = height;
  logFont.lfWeight = weight;
  logFont.lfItalic = italic;
  logFont.lfQuality = quality;
  std::copy_n(face.begin(), std::min<std::size_t>(face.size(), LF_FACESIZE), logFont.lfFaceName);
  return logFont;
}

HBITMAP MakeSurface(int width, int height, void** bits) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, bits, nullptr, 0);
}

TextDc::TextDc(const std::u16string& face, LONG height, int width, int heightPixels, BYTE quality) {
  Make(MakeLogFont(face, height, FW_DONTCARE, FALSE, quality), width, heightPixels);
}

TextDc::TextDc(const LOGFONTW& logFont, int width, int heightPixels) {
  Make(logFont, width, heightPixels);
}

void TextDc::Make(const LOGFONTW& logFont, int width, int height) {
  width_ = width;
  height_ = height;
  dc_ = CreateCompatibleDC(nullptr);
  font_ = CreateFontIndirectW(&logFont);
  void* bits = nullptr;
  surface_ = MakeSurface(width, height, &bits);
  bits_ = static_cast<std::uint32_t*>(bits);
  EXPECT_NE(dc_, nullptr);
  EXPECT_NE(font_, nullptr);
  EXPECT_NE(surface_, nullptr);
  previousFont_ = SelectObject(dc_, font_);
  previousBitmap_ = SelectObject(dc_, surface_);
  SetBkMode(dc_, OPAQUE);
  SetBkColor(dc_, RGB(0, 0, 0));
  SetTextColor(dc_, RGB(255, 255, 255));
}

TextDc::~TextDc() {
  EXPECT_EQ(SelectObject(dc_, previousFont_), font_);
  EXPECT_EQ(SelectObject(dc_, previousBitmap_), surface_);
  EXPECT_TRUE(DeleteObject(font_));
  EXPECT_TRUE(DeleteObject(surface_));
  EXPECT_TRUE(DeleteDC(dc_));
}

TEXTMETRICW TextDc::Metrics() const {
  TEXTMETRICW metrics{};
  EXPECT_TRUE(GetTextMetricsW(dc_, &metrics));
  return metrics;
}

void TextDc::FillAll(std::uint32_t value) { std::fill_n(bits_, width_ * height_, value); }

WORD TextDc::GlyphOf(WCHAR character) const {
  WCHAR glyph = 0;
  GCP_RESULTSW results{};
  results.lStructSize = 36;
  results.lpGlyphs = &glyph;
  results.nGlyphs = 1;
  EXPECT_NE(GetCharacterPlacementW(dc_, &character, 1, 0, &results, 0), DWORD{0});
  return glyph;
}

}  // namespace gdi_test
