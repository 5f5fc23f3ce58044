// ExtTextOut on a DIB section: where glyphs land, the opaque background, colours, alignment,
// the current position and clipping.
#include <gtest/gtest.h>

#include <set>

#include "tests/platform/gdi/gdi_fixture.h"

namespace {

using gdi_test::TextDc;

constexpr std::uint32_t kGrey = 0x00808080;

// The bounding box of pixels whose green byte is not 0.
RECT InkBox(const TextDc& text) {
  RECT box = {text.width(), text.height(), -1, -1};
  for (int y = 0; y < text.height(); ++y) {
    for (int x = 0; x < text.width(); ++x) {
      if (text.Green(x, y) == 0) continue;
      box = {std::min<LONG>(box.left, x), std::min<LONG>(box.top, y),
             std::max<LONG>(box.right, x + 1), std::max<LONG>(box.bottom, y + 1)};
    }
  }
  return box;
}

BOOL DrawGlyph(const TextDc& text, int x, int y, WORD glyph, UINT options = 0) {
  return ExtTextOutW(text.dc(), x, y, ETO_GLYPH_INDEX | ETO_OPAQUE | options, nullptr,
                     reinterpret_cast<LPCWSTR>(&glyph), 1, nullptr);
}

TEST(TextOut, WhiteOnBlackIsCoverageInEveryChannel) {
  TextDc text(u"Arial", 24);
  text.FillAll(0);
  ASSERT_TRUE(DrawGlyph(text, 0, 0, text.GlyphOf(u'W')));
  int lit = 0;
  std::set<int> levels;
  for (int y = 0; y < text.height(); ++y) {
    for (int x = 0; x < text.width(); ++x) {
      const std::uint32_t pixel = text.Pixel(x, y);
      const BYTE blue = pixel & 0xFF;
      EXPECT_EQ((pixel >> 8) & 0xFF, blue);
      EXPECT_EQ((pixel >> 16) & 0xFF, blue);
      if (blue != 0) ++lit;
      levels.insert(blue);
    }
  }
  EXPECT_GT(lit, 20);
  EXPECT_GT(levels.size(), 3u);  // grey levels, not just on and off
}

TEST(TextOut, MonochromeQualityGivesOnlyFullCoverage) {
  TextDc text(u"Arial", 24, 64, 64, NONANTIALIASED_QUALITY);
  text.FillAll(0);
  ASSERT_TRUE(DrawGlyph(text, 0, 0, text.GlyphOf(u'W')));
  int lit = 0;
  for (int y = 0; y < text.height(); ++y) {
    for (int x = 0; x < text.width(); ++x) {
      const BYTE green = text.Green(x, y);
      EXPECT_TRUE(green == 0 || green == 255) << int{green};
      lit += green != 0;
    }
  }
  EXPECT_GT(lit, 20);
}

// The glyph's ink lies where its ABC widths and the cell put it: from A past the point, and
// within tmHeight rows from the point, the baseline tmAscent below it.
TEST(TextOut, GlyphSitsInItsCellAtThePoint) {
  TextDc text(u"Arial", 24);
  const TEXTMETRICW tm = text.Metrics();
  const WORD glyph = text.GlyphOf(u'H');
  ABC abc{};
  ASSERT_TRUE(GetCharABCWidthsI(text.dc(), glyph, 1, nullptr, &abc));
  text.FillAll(0);
  ASSERT_TRUE(DrawGlyph(text, 10, 7, glyph));
  const RECT ink = InkBox(text);
  EXPECT_EQ(ink.left, 10 + abc.abcA);
  EXPECT_EQ(ink.right, 10 + abc.abcA + static_cast<LONG>(abc.abcB));
  EXPECT_GE(ink.top, 7);
  EXPECT_EQ(ink.bottom, 7 + tm.tmAscent);  // 'H' stands on the baseline
  // The same glyph drawn at the origin is the same image moved.
  TextDc origin(u"Arial", 24);
  origin.FillAll(0);
  ASSERT_TRUE(DrawGlyph(origin, 0, 0, glyph));
  for (int y = 0; y + 7 < text.height(); ++y) {
    for (int x = 0; x + 10 < text.width(); ++x) {
      ASSERT_EQ(origin.Pixel(x, y), text.Pixel(x + 10, y + 7)) << x << "," << y;
    }
  }
}

TEST(TextOut, OpaqueBackgroundCoversAdvanceByCellHeight) {
  TextDc text(u"Times New Roman", 18);
  const TEXTMETRICW tm = text.Metrics();
  const WORD space = text.GlyphOf(u' ');
  INT advance = 0;
  ASSERT_TRUE(GetCharWidthI(text.dc(), space, 1, nullptr, &advance));
  ASSERT_GT(advance, 0);
  text.FillAll(kGrey);
  ASSERT_TRUE(DrawGlyph(text, 3, 5, space));
  for (int y = 0; y < text.height(); ++y) {
    for (int x = 0; x < text.width(); ++x) {
      const bool inCell = x >= 3 && x < 3 + advance && y >= 5 && y < 5 + tm.tmHeight;
      ASSERT_EQ(text.Pixel(x, y), inCell ? 0u : kGrey) << x << "," << y;
    }
  }
}

TEST(TextOut, TransparentModeKeepsTheBackground) {
  TextDc text(u"Arial", 18);
  SetBkMode(text.dc(), TRANSPARENT);
  text.FillAll(kGrey);
  ASSERT_TRUE(ExtTextOutW(text.dc(), 0, 0, 0, nullptr, u" ", 1, nullptr));
  EXPECT_EQ(text.Pixel(1, 1), kGrey);
  // ETO_OPAQUE with a rectangle fills exactly the rectangle.
  const RECT area = {2, 3, 6, 9};
  ASSERT_TRUE(ExtTextOutW(text.dc(), 0, 0, ETO_OPAQUE, &area, u"", 0, nullptr));
  for (int y = 0; y < 12; ++y) {
    for (int x = 0; x < 12; ++x) {
      const bool inside = x >= 2 && x < 6 && y >= 3 && y < 9;
      EXPECT_EQ(text.Pixel(x, y), inside ? 0u : kGrey) << x << "," << y;
    }
  }
}

TEST(TextOut, TextColourBlendsOverThePixels) {
  TextDc text(u"Arial", 24);
  SetBkMode(text.dc(), TRANSPARENT);
  SetTextColor(text.dc(), RGB(255, 0, 0));
  text.FillAll(0x00FFFFFF);
  ASSERT_TRUE(ExtTextOutW(text.dc(), 0, 0, 0, nullptr, u"W", 1, nullptr));
  int red = 0;
  for (int y = 0; y < text.height(); ++y) {
    for (int x = 0; x < text.width(); ++x) {
      const std::uint32_t pixel = text.Pixel(x, y);
      EXPECT_EQ((pixel >> 16) & 0xFF, 0xFFu);  // red stays full
      EXPECT_EQ(pixel & 0xFF, (pixel >> 8) & 0xFF);
      red += (pixel & 0xFF) == 0;
    }
  }
  EXPECT_GT(red, 5);
}

TEST(TextOut, UpdateCpMovesThePositionByTheAdvance) {
  TextDc text(u"Arial", 18);
  const WORD glyph = text.GlyphOf(u'a');
  INT advance = 0;
  ASSERT_TRUE(GetCharWidthI(text.dc(), glyph, 1, nullptr, &advance));
  EXPECT_EQ(SetTextAlign(text.dc(), TA_UPDATECP), TA_LEFT | TA_TOP);
  ASSERT_TRUE(MoveToEx(text.dc(), 0, 0, nullptr));
  text.FillAll(0);
  ASSERT_TRUE(DrawGlyph(text, 40, 40, glyph));  // the point is ignored
  ASSERT_TRUE(DrawGlyph(text, 40, 40, glyph));
  POINT position{};
  ASSERT_TRUE(MoveToEx(text.dc(), 0, 0, &position));
  EXPECT_EQ(position.x, 2 * advance);
  EXPECT_EQ(position.y, 0);
  EXPECT_LT(InkBox(text).bottom, 40);
  // Right-aligned text ends at the position and moves it back.
  SetTextAlign(text.dc(), TA_UPDATECP | TA_RIGHT);
  MoveToEx(text.dc(), 30, 0, nullptr);
  ASSERT_TRUE(DrawGlyph(text, 0, 0, glyph));
  MoveToEx(text.dc(), 0, 0, &position);
  EXPECT_EQ(position.x, 30 - advance);
}

TEST(TextOut, BaselineAndBottomAlignment) {
  TextDc top(u"Arial", 24);
  top.FillAll(0);
  ASSERT_TRUE(DrawGlyph(top, 0, 0, top.GlyphOf(u'H')));
  const TEXTMETRICW tm = top.Metrics();
  TextDc baseline(u"Arial", 24);
  SetTextAlign(baseline.dc(), TA_BASELINE);
  baseline.FillAll(0);
  ASSERT_TRUE(DrawGlyph(baseline, 0, tm.tmAscent, baseline.GlyphOf(u'H')));
  TextDc bottom(u"Arial", 24);
  SetTextAlign(bottom.dc(), TA_BOTTOM);
  bottom.FillAll(0);
  ASSERT_TRUE(DrawGlyph(bottom, 0, tm.tmHeight, bottom.GlyphOf(u'H')));
  for (int y = 0; y < 40; ++y) {
    for (int x = 0; x < 40; ++x) {
      ASSERT_EQ(top.Pixel(x, y), baseline.Pixel(x, y));
      ASSERT_EQ(top.Pixel(x, y), bottom.Pixel(x, y));
    }
  }
}

// Drawing that reaches past any edge of the bitmap, or of the clip rectangle, stays inside.
TEST(TextOut, ClippedToTheBitmapAndTheRectangle) {
  TextDc text(u"Arial", 40, 16, 16);
  const WORD glyph = text.GlyphOf(u'W');
  for (POINT at : {POINT{-20, -20}, POINT{10, 10}, POINT{-5, 8}, POINT{15, -30}}) {
    text.FillAll(kGrey);
    ASSERT_TRUE(DrawGlyph(text, at.x, at.y, glyph));
  }
  TextDc clipped(u"Arial", 40);
  clipped.FillAll(kGrey);
  const RECT clip = {5, 5, 20, 20};
  ASSERT_TRUE(ExtTextOutW(clipped.dc(), 0, 0, ETO_CLIPPED, &clip, u"W", 1, nullptr));
  int changed = 0;
  for (int y = 0; y < clipped.height(); ++y) {
    for (int x = 0; x < clipped.width(); ++x) {
      const bool inside = x >= 5 && x < 20 && y >= 5 && y < 20;
      if (!inside) {
        ASSERT_EQ(clipped.Pixel(x, y), kGrey) << x << "," << y;
      }
      changed += inside && clipped.Pixel(x, y) != kGrey;
    }
  }
  EXPECT_GT(changed, 0);
}

TEST(TextOut, AnsiTextAndCallerAdvances) {
  TextDc wide(u"Arial", 18);
  TextDc narrow(u"Arial", 18);
  wide.FillAll(0);
  narrow.FillAll(0);
  const INT dx[] = {20, 20};
  ASSERT_TRUE(ExtTextOutW(wide.dc(), 0, 0, 0, nullptr, u"\u00e9l", 2, dx));
  ASSERT_TRUE(ExtTextOutA(narrow.dc(), 0, 0, 0, nullptr, "\xe9l", 2, dx));
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 64; ++x) ASSERT_EQ(wide.Pixel(x, y), narrow.Pixel(x, y));
  }
  // The second letter starts at the caller's 20 pixels, past the background of both cells.
  EXPECT_GE(InkBox(wide).right, 20);
}

TEST(TextOut, BadArgumentsFail) {
  TextDc text(u"Arial", 18);
  EXPECT_FALSE(ExtTextOutW(nullptr, 0, 0, 0, nullptr, u"a", 1, nullptr));
  EXPECT_FALSE(ExtTextOutW(text.dc(), 0, 0, 0, nullptr, nullptr, 1, nullptr));
  EXPECT_FALSE(ExtTextOutA(text.dc(), 0, 0, 0, nullptr, nullptr, 1, nullptr));
  // A DC with only its placeholder bitmap draws nowhere but succeeds.
  HDC bare = CreateCompatibleDC(nullptr);
  EXPECT_TRUE(ExtTextOutW(bare, 0, 0, 0, nullptr, u"a", 1, nullptr));
  EXPECT_TRUE(DeleteDC(bare));
}

}  // namespace

namespace {

// As the glyph cache uses them: each glyph drawn at the surface's origin on a surface of
// tmMaxCharWidth x tmHeight, and A + B columns copied. Every lit pixel lies in that copy.
TEST(TextOut, InkOfPrintableGlyphsLiesWithinAPlusB) {
  for (const char16_t* face : {u"Times New Roman Italic", u"Arial"}) {
    SCOPED_TRACE(face[0] == u'T' ? "Times New Roman Italic" : "Arial");
    TextDc probe(face, 24, 8, 8);
    const TEXTMETRICW tm = probe.Metrics();
    TextDc text(face, 24, tm.tmMaxCharWidth, tm.tmHeight);
    for (WCHAR character = 0x21; character < 0x7F; ++character) {
      const WORD glyph = text.GlyphOf(character);
      ABC abc{};
      ASSERT_TRUE(GetCharABCWidthsI(text.dc(), glyph, 1, nullptr, &abc));
      text.FillAll(0);
      ASSERT_TRUE(DrawGlyph(text, 0, 0, glyph));
      const RECT ink = InkBox(text);
      EXPECT_GT(ink.right, ink.left) << char(character);
      EXPECT_LE(ink.right, abc.abcA + static_cast<LONG>(abc.abcB)) << char(character);
    }
  }
}

}  // namespace
