// GetCharacterPlacement: glyphs, advances, order, classes and caret positions, with and
// without bidirectional reordering.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/platform/gdi/gdi_fixture.h"

namespace {

using gdi_test::TextDc;

// Every output array of the call, sized for the text.
struct Placement {
  explicit Placement(std::size_t count)
      : output(count), order(count), dx(count), caret(count), classes(count), glyphs(count) {
    results.lStructSize = 36;
    results.lpOutString = output.data();
    results.lpOrder = order.data();
    results.lpDx = dx.data();
    results.lpCaretPos = caret.data();
    results.lpClass = classes.data();
    results.lpGlyphs = glyphs.data();
    results.nGlyphs = static_cast<UINT>(count);
  }

  DWORD Run(HDC dc, const std::u16string& text, DWORD flags) {
    return GetCharacterPlacementW(dc, text.data(), static_cast<int>(text.size()), 0, &results,
                                  flags);
  }

  std::vector<WCHAR> output;
  std::vector<UINT> order;
  std::vector<int> dx;
  std::vector<int> caret;
  std::vector<char> classes;
  std::vector<WCHAR> glyphs;
  GCP_RESULTSW results{};
};

const std::u16string kShalom = u"\u05e9\u05dc\u05d5\u05dd";  // four Hebrew letters

TEST(CharacterPlacement, LatinTextKeepsItsOrder) {
  TextDc text(u"Arial", 18);
  const std::u16string word = u"Ab 1.";
  Placement placement(word.size());
  const DWORD extent = placement.Run(text.dc(), word, GCP_REORDER);
  int width = 0;
  for (std::size_t i = 0; i < word.size(); ++i) {
    EXPECT_EQ(placement.order[i], i);
    EXPECT_EQ(placement.glyphs[i], text.GlyphOf(word[i]));
    WORD glyph = placement.glyphs[i];
    INT advance = 0;
    GetCharWidthI(text.dc(), 0, 1, &glyph, &advance);
    EXPECT_EQ(placement.dx[i], advance);
    EXPECT_EQ(placement.caret[i], width);
    width += advance;
  }
  EXPECT_EQ(extent & 0xFFFF, static_cast<DWORD>(width));
  EXPECT_EQ(extent >> 16, static_cast<DWORD>(text.Metrics().tmHeight));
  const std::vector<char> classes = {GCPCLASS_LATIN, GCPCLASS_LATIN, GCPCLASS_NEUTRAL,
                                     GCPCLASS_LATINNUMBER, GCPCLASS_NUMERICSEPARATOR};
  EXPECT_EQ(placement.classes, classes);
  EXPECT_EQ(placement.results.nGlyphs, word.size());
  EXPECT_EQ(std::u16string(placement.output.begin(), placement.output.end()), word);
}

TEST(CharacterPlacement, HebrewLettersAreClassTwoAndReversed) {
  TextDc text(u"Arial", 18);
  Placement placement(kShalom.size());
  ASSERT_NE(placement.Run(text.dc(), kShalom, GCP_REORDER), 0u);
  for (std::size_t i = 0; i < kShalom.size(); ++i) {
    EXPECT_EQ(placement.classes[i], GCPCLASS_HEBREW);
    EXPECT_EQ(placement.order[i], kShalom.size() - 1 - i);
    EXPECT_EQ(placement.glyphs[kShalom.size() - 1 - i], text.GlyphOf(kShalom[i]));
    EXPECT_NE(placement.glyphs[i], 0);
  }
  // The leading edge of a right-to-left letter is its right edge: the first letter's is
  // the whole width.
  EXPECT_EQ(placement.caret[0],
            placement.dx[0] + placement.dx[1] + placement.dx[2] + placement.dx[3]);
}

TEST(CharacterPlacement, WithoutReorderingClassesStillTell) {
  TextDc text(u"Arial", 18);
  Placement placement(kShalom.size());
  ASSERT_NE(placement.Run(text.dc(), kShalom, 0), 0u);
  for (std::size_t i = 0; i < kShalom.size(); ++i) {
    EXPECT_EQ(placement.order[i], i);
    EXPECT_EQ(placement.classes[i], GCPCLASS_HEBREW);
  }
}

TEST(CharacterPlacement, ArabicLettersAreClassTwo) {
  TextDc text(u"DejaVu Sans", 18);
  const std::u16string arabic = u"\u0633\u0644\u0627\u0645";
  Placement placement(arabic.size());
  ASSERT_NE(placement.Run(text.dc(), arabic, GCP_REORDER), 0u);
  for (std::size_t i = 0; i < arabic.size(); ++i) {
    EXPECT_EQ(placement.classes[i], GCPCLASS_ARABIC);
    EXPECT_EQ(placement.order[i], arabic.size() - 1 - i);
  }
}

// Hebrew, a space and Latin: in a left-to-right paragraph the Latin follows the Hebrew; in
// a right-to-left one (GCPCLASS_PREBOUNDRTL on the first class) it comes first. Order and
// classes are per glyph position, in display order, like the glyphs.
TEST(CharacterPlacement, ParagraphDirectionFromTheFirstClass) {
  TextDc text(u"Arial", 18);
  const std::u16string mixed = u"\u05d0\u05d1 cd";
  const char hebrew = GCPCLASS_HEBREW, latin = GCPCLASS_LATIN, neutral = GCPCLASS_NEUTRAL;
  Placement ltr(mixed.size());
  ltr.classes[0] = static_cast<char>(GCPCLASS_PREBOUNDLTR);
  ASSERT_NE(ltr.Run(text.dc(), mixed, GCP_REORDER | GCP_CLASSIN), 0u);
  EXPECT_EQ(ltr.order, (std::vector<UINT>{1, 0, 2, 3, 4}));
  // The boundary bit does not stay.
  EXPECT_EQ(ltr.classes, (std::vector<char>{hebrew, hebrew, neutral, latin, latin}));

  Placement rtl(mixed.size());
  rtl.classes[0] = static_cast<char>(GCPCLASS_PREBOUNDRTL);
  ASSERT_NE(rtl.Run(text.dc(), mixed, GCP_REORDER | GCP_CLASSIN), 0u);
  EXPECT_EQ(rtl.order, (std::vector<UINT>{3, 4, 2, 1, 0}));
  EXPECT_EQ(rtl.classes, (std::vector<char>{latin, latin, neutral, hebrew, hebrew}));
  for (std::size_t k = 0; k < mixed.size(); ++k) {
    EXPECT_EQ(rtl.glyphs[k], text.GlyphOf(mixed[rtl.order[k]])) << k;
  }
  // Caret positions stay per character: the alef's leading (right) edge ends the line.
  const int width = static_cast<int>(
      GetCharacterPlacementW(text.dc(), mixed.data(), 5, 0, nullptr, 0) & 0xFFFF);
  EXPECT_EQ(rtl.caret[0], width);
}

TEST(CharacterPlacement, ClassesGivenInOverrideTheCharacters) {
  TextDc text(u"Arial", 18);
  Placement placement(3);
  placement.classes = {static_cast<char>(GCPCLASS_PREBOUNDLTR | GCPCLASS_HEBREW), GCPCLASS_HEBREW,
                       GCPCLASS_HEBREW};
  ASSERT_NE(placement.Run(text.dc(), u"abc", GCP_REORDER | GCP_CLASSIN), 0u);
  EXPECT_EQ(placement.order, (std::vector<UINT>{2, 1, 0}));
  EXPECT_EQ(placement.classes, (std::vector<char>{2, 2, 2}));
}

TEST(CharacterPlacement, PairedPunctuationMirrorsInRightToLeftRuns) {
  TextDc text(u"Arial", 18);
  const std::u16string text16 = u"\u05d0(\u05d1)";
  Placement placement(text16.size());
  ASSERT_NE(placement.Run(text.dc(), text16, GCP_REORDER), 0u);
  const std::u16string shown(placement.output.begin(), placement.output.end());
  EXPECT_EQ(shown, u"(\u05d1)\u05d0");
}

// Control characters are never shown: they take the space's glyph, all but the default
// character, which by definition shows the missing-glyph box.
TEST(CharacterPlacement, ControlCharactersShowTheBlankGlyph) {
  TextDc text(u"DejaVu Sans", 18);
  const WCHAR defaultChar = text.Metrics().tmDefaultChar;
  const WORD blank = text.GlyphOf(u' ');
  ASSERT_NE(blank, 0);
  for (WCHAR c = 0; c < 0x20; ++c) {
    EXPECT_EQ(text.GlyphOf(c), c == defaultChar ? 0 : blank) << int(c);
  }
}

// The arrays hold nGlyphs entries: a longer text is cut to them, never written past them.
TEST(CharacterPlacement, ArraysShorterThanTheTextLimitTheCall) {
  TextDc text(u"Arial", 18);
  Placement placement(2);
  placement.Run(text.dc(), u"abcdef", 0);
  EXPECT_EQ(placement.results.nGlyphs, 2u);
  EXPECT_EQ(placement.glyphs[1], text.GlyphOf(u'b'));
}

TEST(CharacterPlacement, MaxExtentCountsTheCharactersThatFit) {
  TextDc text(u"DejaVu Sans Mono", 18);
  Placement one(1);
  one.Run(text.dc(), u"a", 0);
  const int advance = one.dx[0];
  Placement placement(6);
  const DWORD extent = GetCharacterPlacementW(text.dc(), u"abcdef", 6, 3 * advance + 1,
                                              &placement.results, GCP_MAXEXTENT);
  EXPECT_EQ(placement.results.nMaxFit, 3);
  EXPECT_EQ(extent & 0xFFFF, static_cast<DWORD>(3 * advance));
}

// Arial's pair A, V is kerned: asked for, the A's advance shrinks by the pair's kerning.
TEST(CharacterPlacement, KerningWhenAskedFor) {
  TextDc text(u"Arial", 40);
  EXPECT_EQ(GetFontLanguageInfo(text.dc()) & GCP_USEKERNING, GCP_USEKERNING);
  Placement plain(2);
  Placement kerned(2);
  const DWORD plainExtent = plain.Run(text.dc(), u"AV", 0);
  const DWORD kernedExtent = kerned.Run(text.dc(), u"AV", GCP_USEKERNING);
  EXPECT_LT(kerned.dx[0], plain.dx[0]);
  EXPECT_EQ(kerned.dx[1], plain.dx[1]);
  EXPECT_EQ((plainExtent & 0xFFFF) - (kernedExtent & 0xFFFF),
            static_cast<DWORD>(plain.dx[0] - kerned.dx[0]));
  // Asked again, each pair keeps its own kerning: "AA" is not kerned like "AV".
  Placement again(3), swapped(2), same(2);
  again.Run(text.dc(), u"AVA", GCP_USEKERNING);
  swapped.Run(text.dc(), u"VA", GCP_USEKERNING);
  same.Run(text.dc(), u"AA", GCP_USEKERNING);
  EXPECT_EQ(again.dx[0], kerned.dx[0]);
  EXPECT_EQ(again.dx[1], swapped.dx[0]);
  EXPECT_EQ(again.glyphs[0], kerned.glyphs[0]);
  EXPECT_EQ(same.dx[0], plain.dx[0]);
}

TEST(CharacterPlacement, AnsiFormMatchesTheWideForm) {
  TextDc text(u"Arial", 18);
  char output[3] = {};
  WCHAR glyphs[3] = {};
  int dx[3] = {};
  GCP_RESULTSA narrow{};
  narrow.lStructSize = 36;
  narrow.lpOutString = output;
  narrow.lpGlyphs = glyphs;
  narrow.lpDx = dx;
  narrow.nGlyphs = 3;
  Placement wide(3);
  const DWORD narrowExtent = GetCharacterPlacementA(text.dc(), "\xe9t\x80", 3, 0, &narrow, 0);
  const DWORD wideExtent = wide.Run(text.dc(), u"\u00e9t\u20ac", 0);
  EXPECT_EQ(narrowExtent, wideExtent);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(glyphs[i], wide.glyphs[i]);
    EXPECT_EQ(dx[i], wide.dx[i]);
  }
  EXPECT_EQ(std::string(output, 3), "\xe9t\x80");
}

TEST(CharacterPlacement, BadArgumentsFail) {
  TextDc text(u"Arial", 18);
  Placement placement(1);
  EXPECT_EQ(GetCharacterPlacementW(nullptr, u"a", 1, 0, &placement.results, 0), 0u);
  EXPECT_EQ(GetCharacterPlacementW(text.dc(), nullptr, 1, 0, &placement.results, 0), 0u);
  EXPECT_EQ(GetCharacterPlacementW(text.dc(), u"a", 0, 0, &placement.results, 0), 0u);
  EXPECT_EQ(GetCharacterPlacementA(text.dc(), "a", -1, 0, nullptr, 0), 0u);
  // Without results the call only measures.
  EXPECT_NE(GetCharacterPlacementW(text.dc(), u"a", 1, 0, nullptr, 0), 0u);
}

}  // namespace
