// Fonts over the real shaping module: the probe finds every entry point, the font's glyphs of
// a blank and of a missing character come from it, and runs the font cannot draw itself are
// drawn whole with fallback faces.
#include <gtest/gtest.h>

#include <numeric>

#include "platform/uniscribe/uniscribe.h"
#include "platform/win32/modules.h"
#include "tests/toolkit/font/font_fixture.h"
#include "toolkit/font/text_services.h"

namespace {

class ShapingModuleTest : public font_test::FontTest {
 protected:
  void SetUp() override {
    FontTest::SetUp();
    UseShapingModule(true);
  }
};

TEST_F(ShapingModuleTest, FontsProbeTheModuleAndDrawRunsWithFallbackFaces) {
  CachedFont* font = MakeFont("Arial", 18);
  ASSERT_NE(nullptr, font);
  EXPECT_TRUE(SharedTextServices().uniscribeAvailable);
  EXPECT_EQ(GlyphOf(font, u' '), font->blankGlyph);
  EXPECT_EQ(0, font->defaultGlyph);
  // Arial has no Han characters: the run is drawn with a fallback face, in pieces with ink.
  const std::u16string han = u"\u6F22\u5B57";
  INT count = 0;
  GlyphRecord* pieces = nullptr;
  INT* widths = nullptr;
  ASSERT_EQ(S_OK, font->RenderRun(han.data(), 2, FALSE, &count, &pieces, &widths));
  ASSERT_GE(count, 2);
  EXPECT_GT(std::accumulate(widths, widths + count, 0), 2 * 12);
  for (INT k = 0; k < count; ++k) EXPECT_TRUE(HasImage(pieces[k])) << k;
  // Right to left, as the font asks for a run of a right-to-left paragraph.
  const std::u16string hebrew = u"\u05E9\u05DC\u05D5\u05DD";
  ASSERT_EQ(S_OK, font->RenderRun(hebrew.data(), 4, TRUE, &count, &pieces, &widths));
  EXPECT_GE(count, 4);
}

}  // namespace
