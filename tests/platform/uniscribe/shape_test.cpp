// ScriptShape and ScriptPlace held against HarfBuzz shaping the same text directly on the same
// face and size: glyphs in visual order, logical clusters, advances and offsets; the retry and
// argument contracts; font properties.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/platform/uniscribe/uniscribe_fixture.h"

namespace {

using usp_test::Px;
using usp_test::ReferenceFace;
using usp_test::RefGlyph;
using usp_test::ShapingDc;

struct Shaped {
  std::vector<WORD> glyphs;
  std::vector<WORD> clusters;
  std::vector<SCRIPT_VISATTR> visAttrs;
  std::vector<int> advances;
  std::vector<GOFFSET> offsets;
  ABC extent{};
};

// The first item's analysis of the text, as ScriptItemize gives it.
SCRIPT_ANALYSIS AnalysisOf(const std::u16string& text, bool rightToLeft = false) {
  SCRIPT_ITEM items[16];
  SCRIPT_STATE state{};
  state.uBidiLevel = rightToLeft ? 1 : 0;
  int count = 0;
  EXPECT_EQ(S_OK, ScriptItemize(text.data(), int(text.size()), 16, nullptr, &state, items, &count));
  return items[0].a;
}

Shaped ShapeAndPlace(ShapingDc& dc, const std::u16string& text, SCRIPT_ANALYSIS analysis) {
  Shaped out;
  const int max = int(text.size()) * 3 / 2 + 16;
  out.glyphs.resize(max);
  out.clusters.resize(text.size());
  out.visAttrs.resize(max);
  int count = 0;
  EXPECT_EQ(S_OK, ScriptShape(dc.dc(), &dc.cache, text.data(), int(text.size()), max, &analysis,
                              out.glyphs.data(), out.clusters.data(), out.visAttrs.data(), &count));
  out.glyphs.resize(count);
  out.visAttrs.resize(count);
  out.advances.resize(count);
  out.offsets.resize(count);
  EXPECT_EQ(S_OK, ScriptPlace(dc.dc(), &dc.cache, out.glyphs.data(), count, out.visAttrs.data(),
                              &analysis, out.advances.data(), out.offsets.data(), &out.extent));
  return out;
}

// For each character, the glyph of its cluster that comes first in reading order, from
// HarfBuzz's clusters: the lowest index left to right, the highest right to left.
std::vector<WORD> ExpectedClusters(const std::vector<RefGlyph>& glyphs, int length, bool rtl) {
  std::vector<WORD> clusters(length);
  for (int i = 0; i < length; ++i) {
    unsigned start = 0;
    for (const RefGlyph& g : glyphs) {
      if (g.cluster <= unsigned(i)) start = std::max(start, g.cluster);
    }
    int chosen = -1;
    for (int j = 0; j < int(glyphs.size()); ++j) {
      if (glyphs[j].cluster == start && (chosen < 0 || rtl)) chosen = j;
    }
    clusters[i] = WORD(chosen);
  }
  return clusters;
}

void ExpectMatchesReference(const Shaped& shaped, const std::vector<RefGlyph>& reference,
                            int length, bool rtl) {
  ASSERT_EQ(reference.size(), shaped.glyphs.size());
  for (std::size_t j = 0; j < reference.size(); ++j) {
    EXPECT_EQ(reference[j].glyph, shaped.glyphs[j]) << j;
    EXPECT_EQ(Px(reference[j].advance), shaped.advances[j]) << j;
    EXPECT_EQ(Px(reference[j].offsetX), shaped.offsets[j].du) << j;
    EXPECT_EQ(-Px(reference[j].offsetY), shaped.offsets[j].dv) << j;
  }
  EXPECT_EQ(ExpectedClusters(reference, length, rtl), shaped.clusters);
  long long sum = 0;
  for (int advance : shaped.advances) sum += advance;
  EXPECT_EQ(sum, shaped.extent.abcA + (long long)shaped.extent.abcB + shaped.extent.abcC);
}

TEST(Shape, ArabicJoinsAndLigatesLamAlef) {
  ShapingDc dc(u"Noto Sans Arabic", 24);
  ReferenceFace reference("Noto Sans Arabic", 24);
  ASSERT_TRUE(usp_test::SameFace(dc.dc(), reference));
  // meem, seen, lam, alef: lam-alef is one glyph; meem and seen take joined forms.
  const std::u16string text = u"\u0645\u0633\u0644\u0627";
  const SCRIPT_ANALYSIS analysis = AnalysisOf(text);
  ASSERT_TRUE(analysis.fRTL);
  const Shaped shaped = ShapeAndPlace(dc, text, analysis);
  ExpectMatchesReference(shaped, reference.Shape(text, true), 4, true);
  // Visual order: lam-alef, seen, meem.
  ASSERT_EQ(3u, shaped.glyphs.size());
  EXPECT_EQ((std::vector<WORD>{2, 1, 0, 0}), shaped.clusters);
  EXPECT_NE(reference.GlyphOf(U'\u0633'), shaped.glyphs[1]);
  EXPECT_NE(reference.GlyphOf(U'\u0645'), shaped.glyphs[2]);
}

TEST(Shape, HebrewComesInVisualOrder) {
  ShapingDc dc(u"Noto Sans Hebrew", 20);
  ReferenceFace reference("Noto Sans Hebrew", 20);
  const std::u16string text = u"\u05E9\u05DC\u05D5\u05DD";
  const Shaped shaped = ShapeAndPlace(dc, text, AnalysisOf(text));
  ExpectMatchesReference(shaped, reference.Shape(text, true), 4, true);
  ASSERT_EQ(4u, shaped.glyphs.size());
  EXPECT_EQ(reference.GlyphOf(U'\u05DD'), shaped.glyphs[0]);
  EXPECT_EQ(reference.GlyphOf(U'\u05E9'), shaped.glyphs[3]);
  EXPECT_EQ((std::vector<WORD>{3, 2, 1, 0}), shaped.clusters);
}

TEST(Shape, DevanagariConjunctIsOneClusterWithItsVowelSignFirst) {
  ShapingDc dc(u"Noto Sans Devanagari", 24);
  ReferenceFace reference("Noto Sans Devanagari", 24);
  // ka, virama, ssa, vowel sign i: the sign is drawn before the conjunct it follows.
  const std::u16string text = u"\u0915\u094D\u0937\u093F";
  const Shaped shaped = ShapeAndPlace(dc, text, AnalysisOf(text));
  ExpectMatchesReference(shaped, reference.Shape(text, false), 4, false);
  EXPECT_EQ((std::vector<WORD>{0, 0, 0, 0}), shaped.clusters);
  ASSERT_GE(shaped.glyphs.size(), 2u);
  EXPECT_TRUE(shaped.visAttrs[0].fClusterStart);
  EXPECT_FALSE(shaped.visAttrs[1].fClusterStart);
}

TEST(Shape, CombiningMarkOffsetGrowsDownwards) {
  // The face's acute sits too high over a lower-case x; shaping lowers it (HarfBuzz's y offset
  // is negative, upwards), so dv must be positive: y grows downwards.
  ShapingDc dc(u"Liberation Sans", 20);
  ReferenceFace reference("Liberation Sans", 20);
  const std::u16string text = u"x\u0301";
  const Shaped shaped = ShapeAndPlace(dc, text, AnalysisOf(text));
  const std::vector<RefGlyph> expected = reference.Shape(text, false);
  ExpectMatchesReference(shaped, expected, 2, false);
  ASSERT_EQ(2u, shaped.glyphs.size());
  ASSERT_LT(expected[1].offsetY, -64);
  EXPECT_GT(shaped.offsets[1].dv, 0);
  EXPECT_TRUE(shaped.visAttrs[1].fDiacritic);
  // e and U+0301 compose into the face's e-acute.
  const Shaped composed = ShapeAndPlace(dc, u"e\u0301", AnalysisOf(u"e\u0301"));
  EXPECT_EQ((std::vector<WORD>{WORD(reference.GlyphOf(U'\u00E9'))}), composed.glyphs);
  EXPECT_EQ((std::vector<WORD>{0, 0}), composed.clusters);
}

TEST(Shape, LigaturesUnlessInhibited) {
  ShapingDc dc(u"DejaVu Sans", 20);
  ReferenceFace reference("DejaVu Sans", 20);
  SCRIPT_ANALYSIS analysis = AnalysisOf(u"fi");
  const Shaped ligated = ShapeAndPlace(dc, u"fi", analysis);
  ExpectMatchesReference(ligated, reference.Shape(u"fi", false), 2, false);
  EXPECT_EQ(1u, ligated.glyphs.size());
  analysis.s.fInhibitLigate = 1;
  const Shaped apart = ShapeAndPlace(dc, u"fi", analysis);
  EXPECT_EQ((std::vector<WORD>{WORD(reference.GlyphOf(U'f')), WORD(reference.GlyphOf(U'i'))}),
            apart.glyphs);
}

TEST(Shape, MissingCharacterGivesTheDefaultGlyphAndControlsTheBlank) {
  ShapingDc dc(u"Liberation Sans", 20);
  SCRIPT_FONTPROPERTIES properties{};
  properties.cBytes = sizeof(properties);
  ASSERT_EQ(S_OK, ScriptGetFontProperties(dc.dc(), &dc.cache, &properties));
  EXPECT_EQ(dc.GlyphOf(u' '), properties.wgBlank);
  // Thai ko kai is not in the face; the tab is a control.
  const Shaped shaped = ShapeAndPlace(dc, u"a\u0E01\t", AnalysisOf(u"a"));
  ASSERT_EQ(3u, shaped.glyphs.size());
  EXPECT_EQ(properties.wgDefault, shaped.glyphs[1]);
  EXPECT_EQ(properties.wgBlank, shaped.glyphs[2]);
  EXPECT_TRUE(shaped.visAttrs[2].fZeroWidth);
  EXPECT_EQ(0, shaped.advances[2]);
  // The kashida: none in this face, one in an Arabic face.
  EXPECT_EQ(0xFFFF, properties.wgKashida);
  ShapingDc arabic(u"Noto Sans Arabic", 20);
  ASSERT_EQ(S_OK, ScriptGetFontProperties(arabic.dc(), &arabic.cache, &properties));
  EXPECT_NE(0xFFFF, properties.wgKashida);
  EXPECT_GT(properties.iKashidaWidth, 0);
}

TEST(Shape, PlacingOtherGlyphsGivesTheirGdiWidths) {
  ShapingDc dc(u"Liberation Sans", 20);
  const Shaped shaped = ShapeAndPlace(dc, u"Wave", AnalysisOf(u"Wave"));
  // Reversed, they are no longer the shaped glyphs: plain advances, as GDI measures them.
  std::vector<WORD> glyphs(shaped.glyphs.rbegin(), shaped.glyphs.rend());
  std::vector<SCRIPT_VISATTR> visAttrs(shaped.visAttrs.rbegin(), shaped.visAttrs.rend());
  std::vector<int> advances(glyphs.size());
  SCRIPT_ANALYSIS analysis = AnalysisOf(u"Wave");
  ASSERT_EQ(S_OK, ScriptPlace(nullptr, &dc.cache, glyphs.data(), int(glyphs.size()),
                              visAttrs.data(), &analysis, advances.data(), nullptr, nullptr));
  for (std::size_t i = 0; i < glyphs.size(); ++i) {
    INT width = 0;
    ASSERT_TRUE(GetCharWidthI(dc.dc(), glyphs[i], 1, nullptr, &width));
    EXPECT_EQ(width, advances[i]) << i;
  }
}

TEST(Shape, TooFewGlyphsAsksForMoreAndWritesNothing) {
  ShapingDc dc(u"Noto Sans Devanagari", 20);
  const std::u16string text = u"\u0915\u094D\u0937\u093F\u0915";
  SCRIPT_ANALYSIS analysis = AnalysisOf(text);
  std::vector<WORD> glyphs(1, 0xBEEF), clusters(text.size(), 0xBEEF);
  std::vector<SCRIPT_VISATTR> visAttrs(1);
  int count = -1;
  // The caller's loop: double until it fits.
  HRESULT result = E_OUTOFMEMORY;
  int tries = 0;
  for (int max = 1; result == E_OUTOFMEMORY; max *= 2, ++tries) {
    glyphs.assign(max, 0xBEEF);
    visAttrs.resize(max);
    result = ScriptShape(dc.dc(), &dc.cache, text.data(), int(text.size()), max, &analysis,
                         glyphs.data(), clusters.data(), visAttrs.data(), &count);
    if (result == E_OUTOFMEMORY) {
      EXPECT_EQ(-1, count);
      EXPECT_EQ(std::vector<WORD>(max, 0xBEEF), glyphs);
    }
  }
  EXPECT_EQ(S_OK, result);
  EXPECT_GT(tries, 1);
  EXPECT_EQ(int(ShapeAndPlace(dc, text, analysis).glyphs.size()), count);
}

// A cache keeps the words it shaped, with its face: a DC with another face, or a DC that has
// another font selected since, shapes anew.
TEST(Shape, ACacheTakenToAnotherFaceShapesWithIt) {
  ShapingDc liberation(u"Liberation Sans", 20);
  ShapingDc dejaVu(u"DejaVu Sans", 20);
  const ReferenceFace liberationFace("Liberation Sans", 20);
  const ReferenceFace dejaVuFace("DejaVu Sans", 20);
  const std::u16string text = u"figure";
  const SCRIPT_ANALYSIS analysis = AnalysisOf(text);
  SCRIPT_CACHE cache = nullptr;
  auto glyphsWith = [&](HDC dc) {
    WORD glyphs[32], clusters[6];
    SCRIPT_VISATTR visAttrs[32];
    SCRIPT_ANALYSIS a = analysis;
    int count = 0;
    EXPECT_EQ(S_OK,
              ScriptShape(dc, &cache, text.data(), 6, 32, &a, glyphs, clusters, visAttrs, &count));
    return std::vector<unsigned>(glyphs, glyphs + count);
  };
  auto reference = [&](const ReferenceFace& face) {
    std::vector<unsigned> glyphs;
    for (const usp_test::RefGlyph& g : face.Shape(text, false)) glyphs.push_back(g.glyph);
    return glyphs;
  };
  ASSERT_NE(reference(liberationFace), reference(dejaVuFace));
  for (int round = 0; round < 2; ++round) {
    EXPECT_EQ(reference(liberationFace), glyphsWith(liberation.dc()));
    EXPECT_EQ(reference(dejaVuFace), glyphsWith(dejaVu.dc()));
  }
  // The same DC with another font selected.
  const LOGFONTW logFont = gdi_test::MakeLogFont(u"DejaVu Sans", -20);
  HFONT other = CreateFontIndirectW(&logFont);
  ASSERT_NE(nullptr, other);
  EXPECT_EQ(reference(liberationFace), glyphsWith(liberation.dc()));
  HGDIOBJ previous = SelectObject(liberation.dc(), other);
  EXPECT_EQ(reference(dejaVuFace), glyphsWith(liberation.dc()));
  SelectObject(liberation.dc(), previous);
  EXPECT_EQ(reference(liberationFace), glyphsWith(liberation.dc()));
  EXPECT_TRUE(DeleteObject(other));
  EXPECT_EQ(S_OK, ScriptFreeCache(&cache));
}

TEST(Shape, BadArgumentsAndCaches) {
  ShapingDc dc(u"Liberation Sans", 20);
  const std::u16string text = u"ab";
  SCRIPT_ANALYSIS analysis{};
  WORD glyphs[8], clusters[2];
  SCRIPT_VISATTR visAttrs[8];
  int count = 0;
  auto shape = [&](HDC hdc, SCRIPT_CACHE* cache, const WCHAR* chars, int length, int max) {
    return ScriptShape(hdc, cache, chars, length, max, &analysis, glyphs, clusters, visAttrs,
                       &count);
  };
  SCRIPT_CACHE empty = nullptr;
  EXPECT_EQ(E_PENDING, shape(nullptr, &empty, text.data(), 2, 8));
  EXPECT_EQ(E_INVALIDARG, shape(dc.dc(), nullptr, text.data(), 2, 8));
  EXPECT_EQ(E_INVALIDARG, shape(dc.dc(), &empty, nullptr, 2, 8));
  EXPECT_EQ(E_INVALIDARG, shape(dc.dc(), &empty, text.data(), 0, 8));
  EXPECT_EQ(E_INVALIDARG, shape(dc.dc(), &empty, text.data(), 2, 0));
  EXPECT_EQ(nullptr, empty);
  int bogus = 0;
  SCRIPT_CACHE stranger = &bogus;
  EXPECT_EQ(E_INVALIDARG, shape(dc.dc(), &stranger, text.data(), 2, 8));
  EXPECT_EQ(E_INVALIDARG, ScriptFreeCache(&stranger));
  EXPECT_EQ(E_INVALIDARG, shape(reinterpret_cast<HDC>(0x1234), &empty, text.data(), 2, 8));
  // A cache that has its font shapes without a DC, and frees to null.
  ASSERT_EQ(S_OK, shape(dc.dc(), &dc.cache, text.data(), 2, 8));
  EXPECT_EQ(S_OK, shape(nullptr, &dc.cache, text.data(), 2, 8));
  int advances[8];
  EXPECT_EQ(E_INVALIDARG, ScriptPlace(nullptr, &dc.cache, glyphs, 0, visAttrs, &analysis, advances,
                                      nullptr, nullptr));
  EXPECT_EQ(E_INVALIDARG, ScriptPlace(nullptr, &dc.cache, glyphs, count, visAttrs, &analysis,
                                      nullptr, nullptr, nullptr));
  SCRIPT_FONTPROPERTIES properties{};
  properties.cBytes = 12;
  EXPECT_EQ(E_INVALIDARG, ScriptGetFontProperties(nullptr, &dc.cache, &properties));
  EXPECT_EQ(S_OK, ScriptFreeCache(&empty));
}

}  // namespace
