// Whole strings: fallback faces for what the DC's face lacks (checked against fontconfig's own
// sorted list and HarfBuzz on that face), caret edges in both directions, painting exactly as
// GDI paints the same glyphs, and the argument contracts.
#include <gtest/gtest.h>

#include "tests/platform/uniscribe/uniscribe_fixture.h"

namespace {

using usp_test::Px;
using usp_test::ReferenceFace;
using usp_test::ShapingDc;

constexpr DWORD kRunFlags = SSA_GLYPHS | SSA_FALLBACK | SSA_LINK;
constexpr std::uint32_t kGrey = 0x00808080;

// An analysis freed at the end of the scope.
struct Analysis {
  SCRIPT_STRING_ANALYSIS handle = nullptr;
  HRESULT result = E_FAIL;

  Analysis(HDC dc, const std::u16string& text, DWORD flags = kRunFlags, int maxGlyphs = 0) {
    const int length = int(text.size());
    if (maxGlyphs == 0) maxGlyphs = length * 3 / 2 + 16;
    SCRIPT_CONTROL control{};
    SCRIPT_STATE state{};
    result = ScriptStringAnalyse(dc, text.data(), length, maxGlyphs, -1, flags, 0, &control, &state,
                                 nullptr, nullptr, nullptr, &handle);
  }
  ~Analysis() {
    if (handle != nullptr) {
      EXPECT_EQ(S_OK, ScriptStringFree(&handle));
    }
  }
  int X(int position, bool trailing) const {
    int x = -1;
    EXPECT_EQ(S_OK, ScriptStringCPtoX(handle, position, trailing, &x));
    return x;
  }
  SIZE Size() const { return *ScriptString_pSize(handle); }
};

bool HasInk(const gdi_test::TextDc& dc, int fromX, int toX) {
  for (int y = 0; y < dc.height(); ++y) {
    for (int x = fromX; x < toX; ++x) {
      if (dc.Green(x, y) != 0) return true;
    }
  }
  return false;
}

TEST(StringAnalysis, CharactersTheFaceLacksComeFromFontconfigsFirstCandidate) {
  ShapingDc dc(u"Liberation Sans", 20);
  const std::u16string text = u"Hi \u6F22\u5B57";
  const std::string file = usp_test::FirstCandidateWith("Liberation Sans", 20, U'\u6F22');
  ASSERT_FALSE(file.empty());
  ReferenceFace fallback(ReferenceFace::File{file}, 20);
  const std::vector<usp_test::RefGlyph> han = fallback.Shape(u"\u6F22", false);
  ASSERT_EQ(1u, han.size());

  const Analysis analysis(dc.dc(), text);
  ASSERT_EQ(S_OK, analysis.result);
  EXPECT_EQ(Px(han[0].advance), analysis.X(3, true) - analysis.X(3, false));
  EXPECT_EQ(analysis.X(3, true), analysis.X(4, false));
  EXPECT_EQ(analysis.Size().cx, analysis.X(4, true));
  EXPECT_EQ(dc.Metrics().tmHeight, analysis.Size().cy);

  // Painted white on black over its cells only, the Han characters with ink.
  dc.FillAll(kGrey);
  ASSERT_EQ(S_OK, ScriptStringOut(analysis.handle, 0, 0, ETO_OPAQUE, nullptr, 0, 0, FALSE));
  EXPECT_TRUE(HasInk(dc, analysis.X(3, false), analysis.X(3, true)));
  EXPECT_TRUE(HasInk(dc, analysis.X(4, false), analysis.X(4, true)));
  EXPECT_EQ(kGrey, dc.Pixel(analysis.Size().cx, 0));
  EXPECT_EQ(kGrey, dc.Pixel(0, analysis.Size().cy));
  EXPECT_EQ(0u, dc.Pixel(analysis.Size().cx - 1, analysis.Size().cy - 1) & 0xFFFFFF);

  // Without fallback the DC's face shows its missing glyph instead.
  const Analysis alone(dc.dc(), text, SSA_GLYPHS);
  INT missingWidth = 0;
  ASSERT_TRUE(GetCharWidthI(dc.dc(), 0, 1, nullptr, &missingWidth));
  EXPECT_EQ(missingWidth, alone.X(3, true) - alone.X(3, false));
}

TEST(StringAnalysis, CharactersNoFaceHasShowTheMissingGlyph) {
  ShapingDc dc(u"Liberation Sans", 20);
  // An unassigned code point.
  ASSERT_TRUE(usp_test::FirstCandidateWith("Liberation Sans", 20, U'\u0378').empty());
  const Analysis analysis(dc.dc(), u"a\u0378");
  ASSERT_EQ(S_OK, analysis.result);
  INT missingWidth = 0;
  ASSERT_TRUE(GetCharWidthI(dc.dc(), 0, 1, nullptr, &missingWidth));
  EXPECT_EQ(missingWidth, analysis.X(1, true) - analysis.X(1, false));
}

TEST(StringAnalysis, CaretEdgesFollowTheReadingDirection) {
  ShapingDc dc(u"Noto Sans Hebrew", 20);
  const std::u16string hebrew = u"\u05E9\u05DC\u05D5\u05DD";
  const Analysis rtl(dc.dc(), hebrew, kRunFlags | SSA_RTL);
  ASSERT_EQ(S_OK, rtl.result);
  EXPECT_EQ(rtl.Size().cx, rtl.X(0, false));
  for (int i = 0; i < 4; ++i) {
    EXPECT_LT(rtl.X(i, true), rtl.X(i, false));
    if (i > 0) {
      EXPECT_EQ(rtl.X(i - 1, true), rtl.X(i, false));
    }
  }
  EXPECT_EQ(0, rtl.X(3, true));
  // Latin before Hebrew in a left-to-right paragraph: the Hebrew word sits at the right end,
  // its first letter rightmost.
  const Analysis mixed(dc.dc(), u"ab " + hebrew);
  ASSERT_EQ(S_OK, mixed.result);
  EXPECT_EQ(0, mixed.X(0, false));
  EXPECT_EQ(mixed.Size().cx, mixed.X(3, false));
  EXPECT_EQ(mixed.X(2, true), mixed.X(6, true));
  // A ligature's characters share its width: "fi" in a face that ligates it.
  ShapingDc dejaVu(u"DejaVu Sans", 20);
  const Analysis ligature(dejaVu.dc(), u"fi");
  EXPECT_EQ(ligature.X(0, true), ligature.X(1, false));
  EXPECT_GT(ligature.X(0, true), 0);
  EXPECT_LT(ligature.X(0, true), ligature.Size().cx);
}

TEST(StringAnalysis, PaintsAsExtTextOutPaintsTheSameGlyphs) {
  const std::u16string text = u"Wave";
  ShapingDc shaped(u"Liberation Sans", 20, 96, 32);
  ShapingDc reference(u"Liberation Sans", 20, 96, 32);
  // The module's own glyphs and advances for the text, drawn by GDI.
  SCRIPT_ITEM items[4];
  int itemCount = 0;
  ASSERT_EQ(S_OK, ScriptItemize(text.data(), 4, 4, nullptr, nullptr, items, &itemCount));
  WORD glyphs[16], clusters[4];
  SCRIPT_VISATTR visAttrs[16];
  int count = 0;
  ASSERT_EQ(S_OK, ScriptShape(reference.dc(), &reference.cache, text.data(), 4, 16, &items[0].a,
                              glyphs, clusters, visAttrs, &count));
  int advances[16];
  ASSERT_EQ(S_OK, ScriptPlace(reference.dc(), &reference.cache, glyphs, count, visAttrs,
                              &items[0].a, advances, nullptr, nullptr));
  reference.FillAll(kGrey);
  ASSERT_TRUE(ExtTextOutW(reference.dc(), 3, 2, ETO_GLYPH_INDEX | ETO_OPAQUE, nullptr,
                          reinterpret_cast<LPCWSTR>(glyphs), UINT(count), advances));
  const Analysis analysis(shaped.dc(), text);
  shaped.FillAll(kGrey);
  ASSERT_EQ(S_OK, ScriptStringOut(analysis.handle, 3, 2, ETO_OPAQUE, nullptr, 0, 0, FALSE));
  int differing = 0;
  for (int y = 0; y < shaped.height(); ++y) {
    for (int x = 0; x < shaped.width(); ++x)
      differing += shaped.Pixel(x, y) != reference.Pixel(x, y);
  }
  EXPECT_EQ(0, differing);
}

TEST(StringAnalysis, CombiningMarkIsPaintedWhereShapingPutsIt) {
  // Liberation's acute over x is lowered by shaping: drawn alone at its pen it would sit dv rows
  // higher than in the shaped run.
  ShapingDc dc(u"Liberation Sans", 20, 64, 32);
  const Analysis analysis(dc.dc(), u"x\u0301");
  dc.FillAll(0);
  ASSERT_EQ(S_OK, ScriptStringOut(analysis.handle, 0, 0, ETO_OPAQUE, nullptr, 0, 0, FALSE));
  auto topInk = [](const gdi_test::TextDc& text) {
    for (int y = 0; y < text.height(); ++y) {
      for (int x = 0; x < text.width(); ++x) {
        if (text.Green(x, y) != 0) return y;
      }
    }
    return -1;
  };
  const int shapedTop = topInk(dc);
  ReferenceFace reference("Liberation Sans", 20);
  const std::vector<usp_test::RefGlyph> glyphs = reference.Shape(u"x\u0301", false);
  ASSERT_EQ(2u, glyphs.size());
  const WORD mark = WORD(glyphs[1].glyph);
  ShapingDc alone(u"Liberation Sans", 20, 64, 32);
  alone.FillAll(0);
  // Marks hang left of their pen: drawn further right to be seen whole.
  ASSERT_TRUE(ExtTextOutW(alone.dc(), 20, 0, ETO_GLYPH_INDEX, nullptr,
                          reinterpret_cast<LPCWSTR>(&mark), 1, nullptr));
  ASSERT_GE(topInk(alone), 0);
  EXPECT_EQ(topInk(alone) - Px(glyphs[1].offsetY), shapedTop);
  EXPECT_GT(shapedTop, topInk(alone));
}

TEST(StringAnalysis, TooFewGlyphsAsksForMore) {
  ShapingDc dc(u"Liberation Sans", 20);
  const Analysis tooSmall(dc.dc(), u"abc", kRunFlags, 2);
  EXPECT_EQ(E_OUTOFMEMORY, tooSmall.result);
  EXPECT_EQ(nullptr, tooSmall.handle);
  const Analysis enough(dc.dc(), u"abc", kRunFlags, 3);
  EXPECT_EQ(S_OK, enough.result);
}

TEST(StringAnalysis, BadArgumentsAndStaleAnalyses) {
  ShapingDc dc(u"Liberation Sans", 20);
  SCRIPT_STRING_ANALYSIS handle = nullptr;
  SCRIPT_CONTROL control{};
  SCRIPT_STATE state{};
  const int dx[2] = {1, 1};
  auto analyse = [&](HDC hdc, const void* text, int length, int charset, DWORD flags,
                     const int* widths, SCRIPT_STRING_ANALYSIS* out) {
    return ScriptStringAnalyse(hdc, text, length, 20, charset, flags, 0, &control, &state, widths,
                               nullptr, nullptr, out);
  };
  EXPECT_EQ(E_INVALIDARG, analyse(nullptr, u"ab", 2, -1, kRunFlags, nullptr, &handle));
  EXPECT_EQ(E_INVALIDARG, analyse(dc.dc(), nullptr, 2, -1, kRunFlags, nullptr, &handle));
  EXPECT_EQ(E_INVALIDARG, analyse(dc.dc(), u"ab", 0, -1, kRunFlags, nullptr, &handle));
  EXPECT_EQ(E_INVALIDARG, analyse(dc.dc(), "ab", 2, ANSI_CHARSET, kRunFlags, nullptr, &handle));
  EXPECT_EQ(E_INVALIDARG,
            analyse(dc.dc(), u"ab", 2, -1, kRunFlags | SSA_PASSWORD, nullptr, &handle));
  EXPECT_EQ(E_INVALIDARG, analyse(dc.dc(), u"ab", 2, -1, kRunFlags, dx, &handle));
  EXPECT_EQ(E_INVALIDARG, analyse(dc.dc(), u"ab", 2, -1, kRunFlags, nullptr, nullptr));
  EXPECT_EQ(nullptr, handle);

  Analysis analysis(dc.dc(), u"ab");
  int x = 0;
  EXPECT_EQ(E_INVALIDARG, ScriptStringCPtoX(analysis.handle, -1, FALSE, &x));
  EXPECT_EQ(E_INVALIDARG, ScriptStringCPtoX(analysis.handle, 2, FALSE, &x));
  EXPECT_EQ(E_INVALIDARG, ScriptStringCPtoX(analysis.handle, 0, FALSE, nullptr));
  EXPECT_EQ(E_INVALIDARG,
            ScriptStringOut(analysis.handle, 0, 0, ETO_GLYPH_INDEX, nullptr, 0, 0, FALSE));
  // Another font in the DC: the analysis no longer matches what it would draw with.
  const LOGFONTW otherFont = gdi_test::MakeLogFont(u"DejaVu Sans", -20);
  HFONT other = CreateFontIndirectW(&otherFont);
  HGDIOBJ previous = SelectObject(dc.dc(), other);
  EXPECT_EQ(E_INVALIDARG, ScriptStringOut(analysis.handle, 0, 0, 0, nullptr, 0, 0, FALSE));
  SelectObject(dc.dc(), previous);
  EXPECT_TRUE(DeleteObject(other));
  EXPECT_EQ(S_OK, ScriptStringOut(analysis.handle, 0, 0, 0, nullptr, 0, 0, FALSE));

  SCRIPT_STRING_ANALYSIS stale = analysis.handle;
  EXPECT_EQ(S_OK, ScriptStringFree(&analysis.handle));
  EXPECT_EQ(nullptr, analysis.handle);
  EXPECT_EQ(E_INVALIDARG, ScriptStringFree(&stale));
  EXPECT_EQ(E_INVALIDARG, ScriptStringCPtoX(stale, 0, FALSE, &x));
  EXPECT_EQ(nullptr, ScriptString_pSize(stale));
  EXPECT_EQ(E_INVALIDARG, ScriptStringFree(nullptr));
}

}  // namespace
