// Layout and drawing in a monospaced font (10-pixel advances, 18-pixel lines): counts, line
// breaks, wrapping, tabs, height limits, alignment, clipping and the sprites used.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>

#include "tests/toolkit/font/font_fixture.h"

namespace {

using font_test::FontTest;
using font_test::RecordingSprite;

class LayoutTest : public FontTest {
 protected:
  void SetUp() override {
    FontTest::SetUp();
    font = MakeFont("Liberation Mono", 18);
    ASSERT_NE(nullptr, font);
    ASSERT_EQ(18, font->metrics.tmHeight);
  }

  INT Draw(const char* text, RECT rect, DWORD format, INT count = -1) {
    drawnRect = rect;
    return font->DrawTextA(&sprite, text, count, &drawnRect, format, 0xFF102030);
  }

  // The glyph positions of each line, as the characters of the text they stand for.
  std::vector<std::string> Lines(const char* text) {
    std::vector<std::string> result;
    for (UINT l = 0; l < font->lineCount; ++l) {
      std::string line;
      for (UINT g = font->lines[l].firstGlyph; g < font->lines[l].endGlyph; ++g) line += text[g];
      result.push_back(line);
    }
    return result;
  }

  INT X(UINT glyph) const { return font->glyphX[glyph]; }

  CachedFont* font = nullptr;
  RecordingSprite sprite;
  RECT drawnRect{};
};

using LineList = std::vector<std::string>;

TEST_F(LayoutTest, CountsAndRefusedCalls) {
  EXPECT_EQ(18, Draw("AB", {0, 0, 100, 100}, 0));
  EXPECT_EQ(2u, sprite.drawn.size());
  EXPECT_EQ(18, Draw("ABCD", {0, 0, 100, 100}, 0, 3));
  EXPECT_EQ(5u, sprite.drawn.size());
  EXPECT_EQ(0, Draw("AB", {0, 0, 100, 100}, 0, 0));
  EXPECT_EQ(100, Draw("AB", {0, 0, 100, 100}, DT_BOTTOM, 0));  // y0 - top with no lines
  EXPECT_EQ(50, Draw(nullptr, {0, 0, 100, 100}, DT_VCENTER, 0));
  EXPECT_EQ(5u, sprite.drawn.size());
  // No length below -1, no text with a length, no format bit outside the table.
  EXPECT_EQ(0, Draw("AB", {0, 0, 100, 100}, 0, -2));
  EXPECT_EQ(0, Draw(nullptr, {0, 0, 100, 100}, 0, 2));
  EXPECT_EQ(0, Draw("AB", {0, 0, 100, 100}, DT_END_ELLIPSIS));
  EXPECT_EQ(0, Draw("AB", {0, 0, 100, 100}, 0x80));
  EXPECT_EQ(5u, sprite.drawn.size());
  EXPECT_EQ(D3DERR_INVALIDCALL, font->PreloadTextA("AB", -5));
  // The caller's sprite is neither begun nor ended.
  EXPECT_EQ(0, sprite.begins);
  EXPECT_EQ(0, sprite.ends);
}

// Rectangles spanning most of the INT range lay out as any wide rectangle does: no wrap inside
// the width, heights and rectangles back in range, glyphs where the placement puts them.
TEST_F(LayoutTest, RectanglesNearTheIntRangeDoNotOverflow) {
  constexpr LONG big = 2000000000;
  EXPECT_EQ(18, Draw("Hello world", {-big, 0, big, 100}, DT_WORDBREAK));
  EXPECT_EQ((LineList{"Hello world"}), Lines("Hello world"));
  EXPECT_EQ(10u, sprite.drawn.size());  // every letter, none clipped away

  // Centred: the block's top is half its height above the middle.
  EXPECT_EQ(big + 9, Draw("AB", {-big, -big, big, big}, DT_CENTER | DT_VCENTER | DT_CALCRECT));
  EXPECT_EQ(-10, drawnRect.left);
  EXPECT_EQ(-9, drawnRect.top);
  EXPECT_EQ(10, drawnRect.right);
  EXPECT_EQ(9, drawnRect.bottom);
  // Over the whole range the height from the top passes INT_MAX and is clamped.
  EXPECT_EQ(INT_MAX, Draw("A", {INT_MIN, INT_MIN, INT_MAX, INT_MAX},
                          DT_CENTER | DT_VCENTER | DT_WORDBREAK));
  // Right-aligned against INT_MIN the block would start below it.
  EXPECT_EQ(18, Draw("AB", {INT_MIN, 0, INT_MIN + 5, 100}, DT_RIGHT | DT_CALCRECT));
  EXPECT_EQ(INT_MIN, drawnRect.left);
  EXPECT_EQ(INT_MIN + 5, drawnRect.right);
  EXPECT_EQ(30, Draw("AB", {INT_MAX - 5, INT_MAX - 30, INT_MAX, INT_MAX}, DT_BOTTOM));
}

TEST_F(LayoutTest, LineBreaksAreNotPartOfTheirLines) {
  EXPECT_EQ(36, Draw("A\r\nB", {0, 0, 100, 100}, 0));
  EXPECT_EQ((LineList{"A", "B"}), Lines("A\r\nB"));
  EXPECT_EQ(10, font->lines[0].width);
  EXPECT_EQ(2u, sprite.drawn.size());  // CR and LF draw nothing
  EXPECT_EQ(18, sprite.drawn[1].ScreenTop() - font->glyphRecords[3]->originY);
  EXPECT_EQ(18, Draw("A\n", {0, 0, 100, 100}, 0));  // a final line feed adds no line
  EXPECT_EQ(1u, font->lineCount);
}

TEST_F(LayoutTest, SingleLineKeepsLineBreaksAsGlyphs) {
  EXPECT_EQ(18, Draw("A\r\nB", {0, 0, 100, 10}, DT_SINGLELINE));
  EXPECT_EQ((LineList{"A\r\nB"}), Lines("A\r\nB"));
  EXPECT_EQ(30, X(3));  // CR and LF keep their advances
}

TEST_F(LayoutTest, TrailingSpacesDoNotCountForAlignment) {
  Draw("AB  ", {0, 0, 100, 100}, DT_RIGHT);
  EXPECT_EQ(20, font->lines[0].width);
  EXPECT_EQ(80, sprite.drawn[0].ScreenLeft() - font->glyphRecords[0]->originX);
  sprite.drawn.clear();
  Draw("AB  ", {0, 0, 100, 100}, DT_CENTER);
  EXPECT_EQ(40, sprite.drawn[0].ScreenLeft() - font->glyphRecords[0]->originX);
}

TEST_F(LayoutTest, WordBreakMovesAndSplitsWords) {
  Draw("AB CD", {0, 0, 45, 100}, DT_WORDBREAK);
  EXPECT_EQ((LineList{"AB ", "CD"}), Lines("AB CD"));
  Draw("ABCDEFG", {0, 0, 45, 100}, DT_WORDBREAK);
  EXPECT_EQ((LineList{"ABCD", "EFG"}), Lines("ABCDEFG"));
  EXPECT_EQ(0, X(4));
  // A glyph wider than the rectangle at a line's start: an empty line comes first.
  EXPECT_EQ(36, Draw("A", {0, 0, 5, 100}, DT_WORDBREAK));
  EXPECT_EQ((LineList{"", "A"}), Lines("A"));
}

TEST_F(LayoutTest, TabsAdvanceToMultiplesOfEightAverageWidths) {
  font->metrics.tmAveCharWidth = 8;
  Draw("x\tB", {0, 0, 200, 100}, DT_EXPANDTABS);
  EXPECT_EQ(10, X(1));
  EXPECT_EQ(64, X(2));
  // Cut at the rectangle's width: a mark of no width still fits after it.
  RECT narrow = {0, 0, 50, 100};
  font->DrawTextW(&sprite, u"x\t\u0301", 3, &narrow, DT_EXPANDTABS | DT_WORDBREAK, 0xFFFFFFFF);
  ASSERT_EQ(0, font->advances[2]);
  EXPECT_EQ(1u, font->lineCount);
  EXPECT_EQ(50, X(2));
  Draw("x\tB", {0, 0, 50, 100}, DT_EXPANDTABS | DT_WORDBREAK);
  EXPECT_EQ((LineList{"x\t", "B"}), Lines("x\tB"));
  EXPECT_EQ(0, font->advances[1]);  // a blank at the line's end takes no room
  // Without DT_EXPANDTABS a tab is an ordinary glyph.
  Draw("x\tB", {0, 0, 200, 100}, 0);
  EXPECT_EQ(20, X(2));
}

TEST_F(LayoutTest, TextTallerThanTheRectangleIsCutAtItsBottom) {
  EXPECT_EQ(36, Draw("A\nB\nC\nD", {0, 0, 100, 30}, 0));
  EXPECT_EQ(2u, font->lineCount);  // processing stopped after the line past the bottom
  ASSERT_EQ(2u, sprite.drawn.size());
  const font_test::QueuedGlyph& b = sprite.drawn[1];
  EXPECT_LE(b.ScreenTop() + (b.source.bottom - b.source.top), 30);  // clipped texel-exact
  EXPECT_GT(b.ScreenTop() + (b.source.bottom - b.source.top), 18);
  sprite.drawn.clear();
  Draw("A\nB\nC\nD", {0, 0, 100, 30}, DT_NOCLIP);
  EXPECT_EQ(4u, font->lineCount);
  EXPECT_EQ(4u, sprite.drawn.size());
  EXPECT_EQ(18 * 3, sprite.drawn[3].ScreenTop() - font->glyphRecords[6]->originY);
}

TEST_F(LayoutTest, BottomAlignmentSkipsWholeLinesAboveTheTop) {
  // Three lines (the last taken whole after processing stops) over a 20-pixel rectangle:
  // y0 = 20 - 54, so the first line lies wholly above the top and is skipped.
  const char* text = "AAAA BBBB CCCC";
  Draw(text, {0, 0, 55, 20}, DT_WORDBREAK | DT_BOTTOM);
  EXPECT_EQ((LineList{"AAAA ", "BBBB ", "CCCC"}), Lines(text));
  auto drawnOf = [&](UINT g) {
    const GlyphRecord& r = *font->glyphRecords[g];
    return std::count_if(sprite.drawn.begin(), sprite.drawn.end(), [&](const auto& glyph) {
      return glyph.texture == r.texture && glyph.source.right == r.right &&
             glyph.source.left >= r.left;
    });
  };
  EXPECT_EQ(0, drawnOf(0));
  EXPECT_EQ(4, drawnOf(10));
  for (const font_test::QueuedGlyph& glyph : sprite.drawn) EXPECT_GE(glyph.ScreenTop(), 0);
}

TEST_F(LayoutTest, NoClipDrawsBeyondTheRectangle) {
  Draw("ABCDEF", {0, 0, 20, 10}, DT_NOCLIP);
  ASSERT_EQ(6u, sprite.drawn.size());
  const GlyphRecord& f = *font->glyphRecords[5];
  EXPECT_EQ(f.right, sprite.drawn[5].source.right);
  EXPECT_EQ(50 + f.originX, sprite.drawn[5].ScreenLeft());
}

TEST_F(LayoutTest, ClippingCutsSourceRectanglesTexelExact) {
  Draw("ABCDEF", {5, 0, 25, 10}, 0);
  ASSERT_EQ(3u, sprite.drawn.size());  // D, E and F lie wholly outside
  for (const font_test::QueuedGlyph& glyph : sprite.drawn) {
    EXPECT_GE(glyph.ScreenLeft(), 5);
    EXPECT_LE(glyph.ScreenLeft() + glyph.source.right - glyph.source.left, 25);
    EXPECT_LE(glyph.ScreenTop() + glyph.source.bottom - glyph.source.top, 10);
  }
  // Right-aligned "WW" in 15 pixels starts at -5: the first W is cut at x 0 and its image
  // starts there, with the texels that lay there.
  sprite.drawn.clear();
  Draw("WW", {0, 0, 15, 30}, DT_RIGHT);
  ASSERT_EQ(2u, sprite.drawn.size());
  const GlyphRecord& w = *font->glyphRecords[0];
  EXPECT_EQ(0, sprite.drawn[0].ScreenLeft());
  EXPECT_EQ(w.left + 0 - (-5 + w.originX), sprite.drawn[0].source.left);
  EXPECT_EQ(w.right, sprite.drawn[0].source.right);
}

TEST_F(LayoutTest, RightToLeftReadingTogglesRightAlignment) {
  Draw("AB", {0, 0, 100, 50}, DT_CALCRECT | DT_RTLREADING);
  EXPECT_EQ(80, drawnRect.left);
  Draw("AB", {0, 0, 100, 50}, DT_CALCRECT | DT_RTLREADING | DT_RIGHT);
  EXPECT_EQ(0, drawnRect.left);
  Draw("AB", {0, 0, 100, 50}, DT_RTLREADING);
  ASSERT_EQ(2u, sprite.drawn.size());
  const LONG leftmost = std::min(sprite.drawn[0].ScreenLeft(), sprite.drawn[1].ScreenLeft());
  EXPECT_NEAR(80, leftmost, 2);
}

TEST_F(LayoutTest, CalcRectCentresTheTextsWidthAndDrawsNothing) {
  EXPECT_EQ(18, Draw("AB", {0, 0, 100, 50}, DT_CALCRECT | DT_CENTER));
  EXPECT_EQ(40, drawnRect.left);
  EXPECT_EQ(60, drawnRect.right);
  EXPECT_EQ(0, drawnRect.top);
  EXPECT_EQ(18, drawnRect.bottom);
  EXPECT_TRUE(sprite.drawn.empty());
}

TEST_F(LayoutTest, AFailedDrawIsReported) {
  sprite.drawResult = E_FAIL;
  EXPECT_EQ(0, Draw("AB", {0, 0, 100, 100}, 0));
  EXPECT_EQ(1u, sprite.drawn.size());
}

}  // namespace
