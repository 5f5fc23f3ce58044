// Fonts resolved by face name and their GDI metrics. Liberation Sans and Liberation Serif
// stand in for Arial and Times New Roman with the same font-unit metrics (2048 units per
// em; Windows ascent and descent 1854 and 434, and 1825 and 443), so at an em of 2048
// pixels the metrics are those units exactly.
#include <gtest/gtest.h>

#include "tests/platform/gdi/gdi_fixture.h"

namespace {

using gdi_test::MakeLogFont;
using gdi_test::TextDc;

TEST(FontMetrics, ArialAtItsUnitsPerEmGivesItsFontUnits) {
  TextDc text(u"Arial", -2048, 8, 8);
  const TEXTMETRICW tm = text.Metrics();
  EXPECT_EQ(tm.tmAscent, 1854);
  EXPECT_EQ(tm.tmDescent, 434);
  EXPECT_EQ(tm.tmHeight, 1854 + 434);
  EXPECT_EQ(tm.tmInternalLeading, 1854 + 434 - 2048);
  EXPECT_EQ(tm.tmAveCharWidth, 904);
  EXPECT_EQ(tm.tmWeight, FW_NORMAL);
  EXPECT_EQ(tm.tmItalic, 0);
}

TEST(FontMetrics, TimesNewRomanCellHeightGivesItsFontUnits) {
  TextDc text(u"Times New Roman", 1825 + 443, 8, 8);
  const TEXTMETRICW tm = text.Metrics();
  EXPECT_EQ(tm.tmAscent, 1825);
  EXPECT_EQ(tm.tmDescent, 443);
  EXPECT_EQ(tm.tmHeight - tm.tmInternalLeading, 2048);
  EXPECT_EQ(tm.tmAveCharWidth, 821);
}

// A positive height is the whole cell, a negative one the em without internal leading.
TEST(FontMetrics, HeightsPositiveAndNegative) {
  for (const char16_t* face : {u"Arial", u"Times New Roman"}) {
    for (LONG height : {9, 12, 18, 24, 37, 60}) {
      SCOPED_TRACE(height);
      TextDc cell(face, height, 8, 8);
      const TEXTMETRICW tm = cell.Metrics();
      EXPECT_EQ(tm.tmHeight, height);
      EXPECT_EQ(tm.tmAscent + tm.tmDescent, height);
      EXPECT_GT(tm.tmAscent, tm.tmDescent);
      EXPECT_GT(tm.tmDescent, 0);

      TextDc em(face, -height, 8, 8);
      const TEXTMETRICW emMetrics = em.Metrics();
      EXPECT_EQ(emMetrics.tmHeight - emMetrics.tmInternalLeading, height);
      EXPECT_GT(emMetrics.tmHeight, height);
      EXPECT_GE(emMetrics.tmMaxCharWidth, emMetrics.tmAveCharWidth);
    }
  }
}

TEST(FontMetrics, ZeroHeightIsTheDefaultEm) {
  TextDc text(u"Arial", 0, 8, 8);
  const TEXTMETRICW tm = text.Metrics();
  EXPECT_EQ(tm.tmHeight - tm.tmInternalLeading, 12);
}

TEST(FontMetrics, WidthStretchesToTheAverageAsked) {
  LOGFONTW logFont = MakeLogFont(u"Arial", -2048);
  logFont.lfWidth = 452;
  TextDc narrow(logFont, 8, 8);
  TextDc normal(u"Arial", -2048, 8, 8);
  EXPECT_EQ(narrow.Metrics().tmAveCharWidth, 452);
  EXPECT_EQ(narrow.Metrics().tmHeight, normal.Metrics().tmHeight);
  EXPECT_NEAR(narrow.Metrics().tmMaxCharWidth * 2, normal.Metrics().tmMaxCharWidth, 2);
}

TEST(FontMetrics, CharacterRangeAndSpecialCharacters) {
  TextDc text(u"Arial", 18, 8, 8);
  const TEXTMETRICW tm = text.Metrics();
  EXPECT_EQ(tm.tmFirstChar, 0x20);
  EXPECT_EQ(tm.tmLastChar, 0xFFFC);
  EXPECT_EQ(tm.tmBreakChar, 0x20);
  EXPECT_EQ(tm.tmDefaultChar, 0x1F);
  // The default character is one the face lacks: it draws the missing-glyph box.
  EXPECT_EQ(text.GlyphOf(tm.tmDefaultChar), 0);
  EXPECT_NE(text.GlyphOf(tm.tmBreakChar), 0);
}

TEST(FontMetrics, PitchAndFamilyOfOutlineFonts) {
  TextDc sans(u"Arial", 18, 8, 8);
  EXPECT_EQ(sans.Metrics().tmPitchAndFamily,
            FF_SWISS | TMPF_TRUETYPE | TMPF_VECTOR | TMPF_FIXED_PITCH);
  TextDc serif(u"Times New Roman", 18, 8, 8);
  EXPECT_EQ(serif.Metrics().tmPitchAndFamily & 0xF0, FF_ROMAN);
  // A fixed-pitch face clears the bit that GDI names TMPF_FIXED_PITCH.
  TextDc mono(u"DejaVu Sans Mono", 18, 8, 8);
  EXPECT_EQ(mono.Metrics().tmPitchAndFamily, FF_MODERN | TMPF_TRUETYPE | TMPF_VECTOR);
  EXPECT_EQ(mono.Metrics().tmCharSet, ANSI_CHARSET);
}

TEST(FontMetrics, AnsiFormNarrowsTheCharacters) {
  TextDc text(u"Arial", 18, 8, 8);
  const TEXTMETRICW wide = text.Metrics();
  TEXTMETRICA narrow{};
  ASSERT_TRUE(GetTextMetricsA(text.dc(), &narrow));
  EXPECT_EQ(narrow.tmHeight, wide.tmHeight);
  EXPECT_EQ(narrow.tmAveCharWidth, wide.tmAveCharWidth);
  EXPECT_EQ(narrow.tmMaxCharWidth, wide.tmMaxCharWidth);
  EXPECT_EQ(narrow.tmFirstChar, 0x20);
  EXPECT_EQ(narrow.tmLastChar, 0xFF);
  EXPECT_EQ(narrow.tmDefaultChar, 0x1F);
  EXPECT_EQ(narrow.tmBreakChar, 0x20);
  EXPECT_EQ(narrow.tmPitchAndFamily, wide.tmPitchAndFamily);
}

// --- Face-name resolution ---------------------------------------------------------------------

TEST(FaceNames, FullNameWithStyleWordsGivesThatStyle) {
  TextDc italic(u"Times New Roman Italic", 24, 8, 8);
  const TEXTMETRICW tm = italic.Metrics();
  EXPECT_NE(tm.tmItalic, 0);
  EXPECT_EQ(tm.tmPitchAndFamily & 0xF0, FF_ROMAN);  // the serif family, not the fallback
  EXPECT_EQ(tm.tmAscent + tm.tmDescent, 24);

  TextDc bold(u"Arial Bold", 18, 8, 8);
  EXPECT_EQ(bold.Metrics().tmWeight, FW_BOLD);
  EXPECT_EQ(bold.Metrics().tmItalic, 0);
  EXPECT_EQ(bold.Metrics().tmPitchAndFamily & 0xF0, FF_SWISS);

  TextDc both(u"Arial Bold Italic", 18, 8, 8);
  EXPECT_EQ(both.Metrics().tmWeight, FW_BOLD);
  EXPECT_NE(both.Metrics().tmItalic, 0);
}

TEST(FaceNames, PlainFamilyStaysUpright) {
  TextDc times(u"Times New Roman", 24, 8, 8);
  EXPECT_EQ(times.Metrics().tmItalic, 0);
  EXPECT_EQ(times.Metrics().tmWeight, FW_NORMAL);
}

TEST(FaceNames, WeightAndItalicOfTheLogFont) {
  TextDc bold(MakeLogFont(u"Arial", 18, FW_BOLD), 8, 8);
  EXPECT_EQ(bold.Metrics().tmWeight, FW_BOLD);
  TextDc italic(MakeLogFont(u"Arial", 18, FW_NORMAL, TRUE), 8, 8);
  EXPECT_NE(italic.Metrics().tmItalic, 0);
  // A weight asked for in the LOGFONT wins over the name's style word.
  TextDc light(MakeLogFont(u"Arial Bold", 18, FW_THIN), 8, 8);
  EXPECT_LT(light.Metrics().tmWeight, FW_BOLD);
}

TEST(FaceNames, UnknownOrEmptyNamesFallBackToAFace) {
  TextDc unknown(u"No Such Face Anywhere", 18, 8, 8);
  EXPECT_EQ(unknown.Metrics().tmHeight, 18);
  TextDc unknownBold(u"No Such Face Bold", 18, 8, 8);
  EXPECT_EQ(unknownBold.Metrics().tmWeight, FW_BOLD);
  TextDc empty(u"", 18, 8, 8);
  EXPECT_EQ(empty.Metrics().tmHeight, 18);
  // A serif family asked for by pitch and family alone.
  LOGFONTW roman = MakeLogFont(u"", 18);
  roman.lfPitchAndFamily = VARIABLE_PITCH | FF_ROMAN;
  TextDc serif(roman, 8, 8);
  EXPECT_EQ(serif.Metrics().tmPitchAndFamily & 0xF0, FF_ROMAN);
}

TEST(FaceNames, AnsiFaceNameFindsTheSameFace) {
  LOGFONTA narrow{};
  narrow.lfHeight = -2048;
  std::copy_n("Arial", 6, narrow.lfFaceName);
  HFONT font = CreateFontIndirectA(&narrow);
  ASSERT_NE(font, nullptr);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ previous = SelectObject(dc, font);
  TEXTMETRICW tm{};
  EXPECT_TRUE(GetTextMetricsW(dc, &tm));
  EXPECT_EQ(tm.tmAscent, 1854);
  SelectObject(dc, previous);
  EXPECT_TRUE(DeleteObject(font));
  EXPECT_TRUE(DeleteDC(dc));
}

TEST(FaceNames, SizesBeyondTheLimitMakeNoFont) {
  LOGFONTW huge = MakeLogFont(u"Arial", -100000);
  EXPECT_EQ(CreateFontIndirectW(&huge), nullptr);
  huge.lfHeight = LONG{-2147483647} - 1;
  EXPECT_EQ(CreateFontIndirectW(&huge), nullptr);
  LOGFONTW wide = MakeLogFont(u"Arial", 18);
  wide.lfWidth = 1 << 20;
  EXPECT_EQ(CreateFontIndirectW(&wide), nullptr);
  EXPECT_EQ(CreateFontIndirectW(nullptr), nullptr);
  EXPECT_EQ(CreateFontIndirectA(nullptr), nullptr);
}

}  // namespace
