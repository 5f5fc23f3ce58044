// Glyph widths, Unicode ranges and language information of the selected font.
#include <gtest/gtest.h>

#include <vector>

#include "tests/platform/gdi/gdi_fixture.h"

namespace {

using gdi_test::TextDc;

TEST(GlyphWidths, AbcWidthsSumToTheAdvance) {
  TextDc text(u"Times New Roman", 24);
  const UINT first = 0;
  const UINT count = 300;
  std::vector<ABC> abc(count);
  std::vector<INT> advances(count);
  ASSERT_TRUE(GetCharABCWidthsI(text.dc(), first, count, nullptr, abc.data()));
  ASSERT_TRUE(GetCharWidthI(text.dc(), first, count, nullptr, advances.data()));
  for (UINT i = 0; i < count; ++i) {
    EXPECT_EQ(abc[i].abcA + static_cast<int>(abc[i].abcB) + abc[i].abcC, advances[i]) << i;
    EXPECT_GE(abc[i].abcB, 1u) << i;
  }
}

TEST(GlyphWidths, InklessGlyphHasAOnePixelBlackBox) {
  TextDc text(u"Arial", 18);
  WORD space = text.GlyphOf(u' ');
  ABC abc{};
  INT advance = 0;
  ASSERT_TRUE(GetCharABCWidthsI(text.dc(), 0, 1, &space, &abc));
  ASSERT_TRUE(GetCharWidthI(text.dc(), 0, 1, &space, &advance));
  EXPECT_EQ(abc.abcA, 0);
  EXPECT_EQ(abc.abcB, 1u);
  EXPECT_EQ(abc.abcC, advance - 1);
  // Arial's space is 569 of 2048 units; an 18-pixel cell is an em of 16.1 pixels: 4.48.
  EXPECT_EQ(advance, 4);
}

TEST(GlyphWidths, ListedGlyphsMatchTheRange) {
  TextDc text(u"Arial", 18);
  WORD listed[] = {text.GlyphOf(u'i'), text.GlyphOf(u'm')};
  INT fromList[2] = {};
  INT fromRange = 0;
  ASSERT_TRUE(GetCharWidthI(text.dc(), 0, 2, listed, fromList));
  ASSERT_TRUE(GetCharWidthI(text.dc(), listed[1], 1, nullptr, &fromRange));
  EXPECT_EQ(fromList[1], fromRange);
  EXPECT_LT(fromList[0], fromList[1]);
}

// Indices past the face's glyphs answer as glyph 0, the missing-glyph box.
TEST(GlyphWidths, UnknownGlyphIndicesMeasureAsTheMissingGlyph) {
  TextDc text(u"Arial", 18);
  ABC missing{};
  ABC beyond{};
  ASSERT_TRUE(GetCharABCWidthsI(text.dc(), 0, 1, nullptr, &missing));
  ASSERT_TRUE(GetCharABCWidthsI(text.dc(), 0xFFFF, 1, nullptr, &beyond));
  EXPECT_EQ(beyond.abcA, missing.abcA);
  EXPECT_EQ(beyond.abcB, missing.abcB);
  EXPECT_EQ(beyond.abcC, missing.abcC);
}

TEST(GlyphWidths, BadArgumentsFail) {
  TextDc text(u"Arial", 18);
  ABC abc{};
  INT width = 0;
  EXPECT_FALSE(GetCharABCWidthsI(nullptr, 0, 1, nullptr, &abc));
  EXPECT_FALSE(GetCharABCWidthsI(text.dc(), 0, 1, nullptr, nullptr));
  EXPECT_FALSE(GetCharWidthI(nullptr, 0, 1, nullptr, &width));
  EXPECT_FALSE(GetCharWidthI(text.dc(), 0, 1, nullptr, nullptr));
}

std::vector<BYTE> UnicodeRanges(HDC dc) {
  const DWORD size = GetFontUnicodeRanges(dc, nullptr);
  std::vector<BYTE> buffer(size);
  if (size == 0) return buffer;
  EXPECT_EQ(GetFontUnicodeRanges(dc, reinterpret_cast<GLYPHSET*>(buffer.data())), size);
  return buffer;
}

TEST(UnicodeRanges, CoverBasicLatinAndAddUp) {
  TextDc text(u"Arial", 18);
  const std::vector<BYTE> buffer = UnicodeRanges(text.dc());
  ASSERT_GE(buffer.size(), sizeof(GLYPHSET));
  const auto* set = reinterpret_cast<const GLYPHSET*>(buffer.data());
  EXPECT_EQ(set->cbThis, buffer.size());
  EXPECT_EQ(set->cbThis, 16 + 4 * set->cRanges);
  EXPECT_EQ(set->flAccel, 0u);
  DWORD total = 0;
  bool basicLatin = false;
  UINT previousEnd = 0;
  for (DWORD i = 0; i < set->cRanges; ++i) {
    const WCRANGE& range = set->ranges[i];
    EXPECT_GT(range.cGlyphs, 0);
    EXPECT_GT(UINT{range.wcLow}, previousEnd);  // ascending, apart (else they would be one)
    previousEnd = UINT{range.wcLow} + range.cGlyphs;
    total += range.cGlyphs;
    basicLatin = basicLatin || (range.wcLow <= 0x20 && previousEnd > 0x7E);
  }
  EXPECT_TRUE(basicLatin);
  EXPECT_EQ(set->cGlyphsSupported, total);
  EXPECT_EQ(GetFontUnicodeRanges(nullptr, nullptr), 0u);
}

TEST(LanguageInfo, ReorderingForRightToLeftFacesKerningWhereTheFaceHasIt) {
  TextDc dejaVu(u"DejaVu Sans", 18);
  const DWORD info = GetFontLanguageInfo(dejaVu.dc());
  EXPECT_EQ(info & GCP_REORDER, GCP_REORDER);
  EXPECT_EQ(info & (GCP_GLYPHSHAPE | GCP_LIGATE | GCP_DIACRITIC | GCP_ERROR), 0u);
  EXPECT_EQ(GetFontLanguageInfo(nullptr), GCP_ERROR);
}

}  // namespace
