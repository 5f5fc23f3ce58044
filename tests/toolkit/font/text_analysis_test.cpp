// Words found by character placement: letters with digits and underscores, digits, punctuation,
// spaces joining the word before them, tabs and line breaks on their own, and right-to-left
// words turned into logical order.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/toolkit/font/font_fixture.h"

namespace {

using font_test::FontTest;
using WordList = std::vector<std::u16string>;

class AnalysisTest : public FontTest {
 protected:
  WordList WordsOf(const char* text) {
    if (font == nullptr) font = MakeFont("Arial", 18);
    EXPECT_EQ(S_OK, font->PreloadTextA(text, -1));
    return WordTexts(font);
  }
  CachedFont* font = nullptr;
};

TEST_F(AnalysisTest, WordsByCharacterClass) {
  EXPECT_EQ((WordList{u"A ", u"B"}), WordsOf("A B"));
  EXPECT_EQ((WordList{u"x_1"}), WordsOf("x_1"));
  EXPECT_EQ((WordList{u"1", u".", u"5"}), WordsOf("1.5"));
  EXPECT_EQ((WordList{u"   "}), WordsOf("   "));
  EXPECT_EQ((WordList{u"Hi", u", ", u"you", u"!?"}), WordsOf("Hi, you!?"));
  EXPECT_EQ((WordList{u"direction", u": ", u"4 "}), WordsOf("direction: 4 "));
}

TEST_F(AnalysisTest, TabsAndLineBreaksAreWordsOfTheirOwn) {
  EXPECT_EQ((WordList{u"a", u"\t", u"\t", u"b ", u"\r", u"\n", u"c"}), WordsOf("a\t\tb \r\nc"));
  const UINT flags[] = {0, WF_TAB, WF_TAB, 0, WF_CR, WF_LF, 0};
  for (UINT w = 0; w < font->WordCount(); ++w) EXPECT_EQ(flags[w], font->words[w].flags) << w;
}

TEST_F(AnalysisTest, WordsOwnTheirGlyphsWithWidthsAndRecords) {
  WordsOf("ab cd");
  ASSERT_EQ(2u, font->WordCount());
  EXPECT_EQ(5u, font->GlyphCount());
  EXPECT_EQ(5, font->words[2].firstGlyph);  // the closing entry
  EXPECT_EQ(5, font->words[2].firstChar);
  for (UINT w = 0; w < 2; ++w) {
    UINT sum = 0;
    for (INT g = font->words[w].firstGlyph; g < font->words[w + 1].firstGlyph; ++g) {
      sum += font->advances[g];
      ASSERT_NE(nullptr, font->glyphRecords[g]);
      EXPECT_NE(nullptr, font->glyphRecords[g]->texture);
    }
    EXPECT_EQ(sum, font->wordExtents[w].abcB);
    EXPECT_EQ(0, font->wordExtents[w].abcA);
  }
  EXPECT_EQ(noGlyphImage, font->glyphRecords[2]->texture);  // the space
}

TEST_F(AnalysisTest, RightToLeftWordsComeInLogicalOrder) {
  font = MakeFont("DejaVu Sans", 18);
  ASSERT_EQ(S_OK, font->PreloadTextW(u"\u05D0\u05D1 \u05D2\u05D3", 5));
  ASSERT_EQ(2u, font->WordCount());
  EXPECT_EQ(WF_RTL, font->words[0].flags);
  EXPECT_EQ(WF_RTL, font->words[1].flags);
  auto glyphsOf = [&](UINT w) {
    return std::vector<WORD>(font->glyphs.Data() + font->words[w].firstGlyph,
                             font->glyphs.Data() + font->words[w + 1].firstGlyph);
  };
  // The first word holds alef and bet, the second gimel and dalet.
  const std::vector<WORD> first = glyphsOf(0);
  const std::vector<WORD> second = glyphsOf(1);
  auto holds = [](const std::vector<WORD>& word, WORD glyph) {
    return std::find(word.begin(), word.end(), glyph) != word.end();
  };
  EXPECT_TRUE(holds(first, GlyphOf(font, u'\u05D0')));
  EXPECT_TRUE(holds(first, GlyphOf(font, u'\u05D1')));
  EXPECT_TRUE(holds(second, GlyphOf(font, u'\u05D3')));
  EXPECT_FALSE(holds(second, GlyphOf(font, u'\u05D0')));
}

// Latin, Hebrew, digits, Hebrew. Words come in logical order, each with its glyphs left to
// right; the flags make layout give back the display order: in a left-to-right paragraph the
// Hebrew and the digits between form one right-to-left run (the digits reading left to right
// inside), in a right-to-left paragraph each word stands alone.
TEST_F(AnalysisTest, WordsComeInLogicalOrderWithRunFlags) {
  font = MakeFont("DejaVu Sans", 18);
  const std::u16string text = u"ab \u05D0\u05D1 12 \u05D2\u05D3";
  const auto count = static_cast<INT>(text.size());
  ASSERT_EQ(S_OK, font->AnalyseText(text.data(), count, true, false));
  EXPECT_EQ((WordList{u"ab ", u"\u05D1\u05D0", u"12 ", u"\u05D3\u05D2 "}), WordTexts(font));
  const DWORD ltr[] = {0, WF_RTL, WF_RTL | WF_LTR_GLYPHS, WF_RTL};
  for (UINT w = 0; w < 4; ++w) EXPECT_EQ(ltr[w], font->words[w].flags) << w;

  ASSERT_EQ(S_OK, font->AnalyseText(text.data(), count, true, true));
  EXPECT_EQ((WordList{u"ab", u"\u05D1\u05D0 ", u"12 ", u"\u05D3\u05D2 "}), WordTexts(font));
  const DWORD rtl[] = {0, WF_RTL, 0, WF_RTL};
  for (UINT w = 0; w < 4; ++w) EXPECT_EQ(rtl[w], font->words[w].flags) << w;
}

}  // namespace
