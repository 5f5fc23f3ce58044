// Fonts, bitmaps and DCs as objects: GetObject round trips, selection, deletion, handles
// used after deletion, and the drawing-state setters.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/gdi/objects.h"
#include "platform/win32/modules.h"
#include "tests/platform/gdi/gdi_fixture.h"

namespace {

using gdi_test::MakeLogFont;
using gdi_test::MakeSurface;

TEST(GetObject, FontGivesBackItsLogFont) {
  LOGFONTW asked = MakeLogFont(u"Times New Roman Italic", 24, FW_BOLD, TRUE, 5);
  asked.lfWidth = 9;
  asked.lfCharSet = DEFAULT_CHARSET;
  asked.lfPitchAndFamily = VARIABLE_PITCH | FF_ROMAN;
  HFONT font = CreateFontIndirectW(&asked);
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(GetObjectW(font, 0, nullptr), static_cast<int>(sizeof(LOGFONTW)));
  LOGFONTW wide{};
  ASSERT_EQ(GetObjectW(font, sizeof(wide), &wide), static_cast<int>(sizeof(LOGFONTW)));
  EXPECT_EQ(std::memcmp(&wide, &asked, sizeof(LOGFONTW)), 0);

  LOGFONTA narrow{};
  ASSERT_EQ(GetObjectA(font, sizeof(narrow), &narrow), static_cast<int>(sizeof(LOGFONTA)));
  EXPECT_STREQ(narrow.lfFaceName, "Times New Roman Italic");
  EXPECT_EQ(narrow.lfHeight, 24);
  EXPECT_EQ(narrow.lfWidth, 9);
  EXPECT_EQ(narrow.lfWeight, FW_BOLD);
  EXPECT_EQ(narrow.lfItalic, TRUE);
  EXPECT_EQ(narrow.lfQuality, 5);
  EXPECT_EQ(narrow.lfPitchAndFamily, VARIABLE_PITCH | FF_ROMAN);
  EXPECT_EQ(GetObjectW(font, sizeof(LOGFONTW) - 1, &wide), 0);  // too small: nothing
  EXPECT_TRUE(DeleteObject(font));
}

TEST(GetObject, FaceNamesKeepThirtyOneCharacters) {
  LOGFONTA asked{};
  asked.lfHeight = 18;
  std::memset(asked.lfFaceName, 'x', LF_FACESIZE);  // no terminator at all
  asked.lfFaceName[0] = '\xe9';
  HFONT font = CreateFontIndirectA(&asked);
  ASSERT_NE(font, nullptr);
  LOGFONTW wide{};
  ASSERT_NE(GetObjectW(font, sizeof(wide), &wide), 0);
  EXPECT_EQ(wide.lfFaceName[0], u'\u00e9');
  EXPECT_EQ(wide.lfFaceName[30], u'x');
  EXPECT_EQ(wide.lfFaceName[31], 0);
  LOGFONTA narrow{};
  ASSERT_NE(GetObjectA(font, sizeof(narrow), &narrow), 0);
  EXPECT_EQ(std::strlen(narrow.lfFaceName), 31u);
  EXPECT_EQ(narrow.lfFaceName[0], '\xe9');
  EXPECT_TRUE(DeleteObject(font));
}

TEST(GetObject, DibSectionGivesBitmapOrDibSection) {
  void* bits = nullptr;
  HBITMAP surface = MakeSurface(7, 5, &bits);
  ASSERT_NE(surface, nullptr);
  ASSERT_NE(bits, nullptr);
  BITMAP bitmap{};
  ASSERT_EQ(GetObjectW(surface, sizeof(bitmap), &bitmap), static_cast<int>(sizeof(BITMAP)));
  EXPECT_EQ(bitmap.bmWidth, 7);
  EXPECT_EQ(bitmap.bmHeight, 5);
  EXPECT_EQ(bitmap.bmWidthBytes, 28);
  EXPECT_EQ(bitmap.bmBitsPixel, 32);
  EXPECT_EQ(bitmap.bmBits, bits);
  DIBSECTION section{};
  ASSERT_EQ(GetObjectA(surface, sizeof(section), &section), static_cast<int>(sizeof(section)));
  EXPECT_EQ(section.dsBmih.biHeight, -5);
  EXPECT_EQ(section.dsBmih.biBitCount, 32);
  EXPECT_EQ(section.dsBmih.biSizeImage, 140u);
  EXPECT_EQ(section.dsBm.bmBits, bits);
  EXPECT_EQ(GetObjectW(surface, 0, nullptr), static_cast<int>(sizeof(DIBSECTION)));
  EXPECT_TRUE(DeleteObject(surface));
}

TEST(DibSection, PixelsStartClearAndBottomUpRowsAreStoredLast) {
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), 4, 3, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP surface = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  ASSERT_NE(surface, nullptr);
  auto* pixels = static_cast<std::uint32_t*>(bits);
  for (int i = 0; i < 12; ++i) EXPECT_EQ(pixels[i], 0u);
  // A rectangle over the top row paints the last stored row of a bottom-up bitmap.
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ previous = SelectObject(dc, surface);
  SetBkColor(dc, RGB(1, 2, 3));
  const RECT top = {0, 0, 4, 1};
  ASSERT_TRUE(ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &top, u"", 0, nullptr));
  EXPECT_EQ(pixels[0], 0u);
  EXPECT_EQ(pixels[8], 0x00010203u);
  SelectObject(dc, previous);
  EXPECT_TRUE(DeleteObject(surface));
  EXPECT_TRUE(DeleteDC(dc));
}

TEST(DibSection, UnsupportedHeadersMakeNothing) {
  const BITMAPINFOHEADER good = {sizeof(BITMAPINFOHEADER), 4, -4, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  auto refused = [](BITMAPINFOHEADER header, UINT usage = DIB_RGB_COLORS,
                    HANDLE section = nullptr) {
    BITMAPINFO info{};
    info.bmiHeader = header;
    void* bits = &info;
    HBITMAP made = CreateDIBSection(nullptr, &info, usage, &bits, section, 0);
    if (made != nullptr) DeleteObject(made);
    return made == nullptr && bits == nullptr;
  };
  BITMAPINFOHEADER header = good;
  header.biBitCount = 24;
  EXPECT_TRUE(refused(header));
  header = good;
  header.biCompression = BI_BITFIELDS;
  EXPECT_TRUE(refused(header));
  header = good;
  header.biWidth = 0;
  EXPECT_TRUE(refused(header));
  header = good;
  header.biHeight = 0;
  EXPECT_TRUE(refused(header));
  header = good;
  header.biWidth = 0x10000;
  header.biHeight = -0x10000;  // 16 GiB
  EXPECT_TRUE(refused(header));
  header = good;
  header.biSize = 12;
  EXPECT_TRUE(refused(header));
  EXPECT_TRUE(refused(good, 7));
  int mapping = 0;
  EXPECT_TRUE(refused(good, DIB_RGB_COLORS, &mapping));
  EXPECT_EQ(CreateDIBSection(nullptr, nullptr, DIB_RGB_COLORS, nullptr, nullptr, 0), nullptr);
}

TEST(Selection, ReturnsWhatWasSelectedAndKeepsBitmapsToOneDc) {
  HDC first = CreateCompatibleDC(nullptr);
  HDC second = CreateCompatibleDC(first);
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  void* bits = nullptr;
  HBITMAP surface = MakeSurface(4, 4, &bits);
  const LOGFONTW logFont = MakeLogFont(u"Arial", 18);
  HFONT font = CreateFontIndirectW(&logFont);
  HGDIOBJ defaultBitmap = SelectObject(first, surface);
  ASSERT_NE(defaultBitmap, nullptr);
  EXPECT_EQ(SelectObject(second, surface), nullptr);  // already in the first DC
  HGDIOBJ defaultFont = SelectObject(first, font);
  EXPECT_EQ(SelectObject(second, font), defaultFont);  // fonts go into any number of DCs
  EXPECT_EQ(SelectObject(first, font), font);
  // Selected objects cannot be deleted; the default ones are never deleted.
  EXPECT_FALSE(DeleteObject(font));
  EXPECT_FALSE(DeleteObject(surface));
  EXPECT_TRUE(DeleteObject(defaultFont));
  EXPECT_TRUE(DeleteObject(defaultBitmap));
  TEXTMETRICW tm{};
  EXPECT_TRUE(GetTextMetricsW(second, &tm));
  // Deleting a DC lets go of what it held.
  EXPECT_TRUE(DeleteDC(first));
  EXPECT_TRUE(DeleteObject(surface));
  EXPECT_FALSE(DeleteObject(font));
  EXPECT_EQ(SelectObject(second, defaultFont), font);
  EXPECT_TRUE(DeleteObject(font));
  EXPECT_TRUE(DeleteDC(second));
}

TEST(Handles, NullAndDeletedHandlesFailCleanly) {
  HDC dc = CreateCompatibleDC(nullptr);
  const LOGFONTW logFont = MakeLogFont(u"Arial", 18);
  HFONT font = CreateFontIndirectW(&logFont);
  void* bits = nullptr;
  HBITMAP surface = MakeSurface(4, 4, &bits);
  ASSERT_TRUE(DeleteObject(font));
  ASSERT_TRUE(DeleteObject(surface));
  ASSERT_TRUE(DeleteDC(dc));
  for (HDC bad : {HDC{nullptr}, dc}) {
    TEXTMETRICW tm{};
    POINT point{};
    EXPECT_FALSE(GetTextMetricsW(bad, &tm));
    EXPECT_EQ(SelectObject(bad, font), nullptr);
    EXPECT_FALSE(DeleteDC(bad));
    EXPECT_EQ(SetMapMode(bad, MM_TEXT), 0);
    EXPECT_EQ(SetTextAlign(bad, TA_UPDATECP), GDI_ERROR);
    EXPECT_EQ(SetBkMode(bad, OPAQUE), 0);
    EXPECT_EQ(SetBkColor(bad, 0), CLR_INVALID);
    EXPECT_EQ(SetTextColor(bad, 0), CLR_INVALID);
    EXPECT_FALSE(MoveToEx(bad, 1, 1, &point));
    EXPECT_EQ(CreateCompatibleDC(bad == nullptr ? dc : bad), nullptr);
  }
  for (HGDIOBJ bad : {HGDIOBJ{nullptr}, HGDIOBJ{font}, HGDIOBJ{surface}, HGDIOBJ{dc}}) {
    LOGFONTW buffer{};
    EXPECT_FALSE(DeleteObject(bad));
    EXPECT_EQ(GetObjectW(bad, sizeof(buffer), &buffer), 0);
    EXPECT_EQ(GetObjectA(bad, sizeof(buffer), &buffer), 0);
  }
  // A DC is not selectable into another.
  HDC live = CreateCompatibleDC(nullptr);
  HDC other = CreateCompatibleDC(nullptr);
  EXPECT_EQ(SelectObject(live, other), nullptr);
  EXPECT_FALSE(DeleteObject(other));
  EXPECT_TRUE(DeleteDC(other));
  EXPECT_TRUE(DeleteDC(live));
}

TEST(Handles, TheObjectCountFollowsCreationAndDeletion) {
  DeleteDC(CreateCompatibleDC(nullptr));  // the stock objects, made once
  const std::size_t before = gdi::ObjectCount();
  HDC dc = CreateCompatibleDC(nullptr);
  LOGFONTW asked = MakeLogFont(u"Arial", 18, FW_NORMAL, FALSE, 0);
  HFONT font = CreateFontIndirectW(&asked);
  EXPECT_EQ(gdi::ObjectCount(), before + 2);
  HGDIOBJ previous = SelectObject(dc, font);
  EXPECT_FALSE(DeleteObject(font)) << "selected";
  SelectObject(dc, previous);
  EXPECT_TRUE(DeleteObject(font));
  EXPECT_TRUE(DeleteDC(dc));
  EXPECT_EQ(gdi::ObjectCount(), before);
}

TEST(DrawingState, SettersReturnThePreviousValueAndRefuseOthers) {
  HDC dc = CreateCompatibleDC(nullptr);
  EXPECT_EQ(SetMapMode(dc, MM_TEXT), MM_TEXT);
  EXPECT_EQ(SetMapMode(dc, MM_LOMETRIC), 0);  // only pixels as logical units
  EXPECT_EQ(SetTextAlign(dc, TA_UPDATECP | TA_BASELINE), TA_TOP);
  EXPECT_EQ(SetTextAlign(dc, 0x8000), GDI_ERROR);
  EXPECT_EQ(SetTextAlign(dc, TA_TOP), TA_UPDATECP | TA_BASELINE);
  EXPECT_EQ(SetBkMode(dc, TRANSPARENT), OPAQUE);
  EXPECT_EQ(SetBkMode(dc, 3), 0);
  EXPECT_EQ(SetBkMode(dc, OPAQUE), TRANSPARENT);
  EXPECT_EQ(SetBkColor(dc, 0), RGB(255, 255, 255));
  EXPECT_EQ(SetBkColor(dc, 0x01000000), CLR_INVALID);
  EXPECT_EQ(SetTextColor(dc, 0xFFFFFF), RGB(0, 0, 0));
  EXPECT_EQ(SetTextColor(dc, 0xFFFFFF), 0xFFFFFFu);
  POINT previous{-1, -1};
  EXPECT_TRUE(MoveToEx(dc, 3, 4, &previous));
  EXPECT_EQ(previous.x, 0);
  EXPECT_TRUE(MoveToEx(dc, 0, 0, &previous));
  EXPECT_EQ(previous.x, 3);
  EXPECT_EQ(previous.y, 4);
  EXPECT_TRUE(DeleteDC(dc));
}

TEST(Module, Gdi32ExportsTheLookedUpWidthsAndRanges) {
  HMODULE gdi32 = GetModuleHandleA("gdi32.dll");
  ASSERT_NE(gdi32, nullptr);
  EXPECT_EQ(GetProcAddress(gdi32, "GetCharABCWidthsI"),
            reinterpret_cast<FARPROC>(&GetCharABCWidthsI));
  EXPECT_EQ(GetProcAddress(gdi32, "GetCharWidthI"), reinterpret_cast<FARPROC>(&GetCharWidthI));
  EXPECT_EQ(GetProcAddress(gdi32, "GetFontUnicodeRanges"),
            reinterpret_cast<FARPROC>(&GetFontUnicodeRanges));
  EXPECT_EQ(LoadLibraryA("usp10.dll"), nullptr);
  EXPECT_EQ(GetModuleHandleA("usp10.dll"), nullptr);
}

}  // namespace
