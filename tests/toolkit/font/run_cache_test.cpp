// The run cache over stand-in shaping services: runs drawn once and cut into pieces of at most
// one run cell, found again by their characters, prefixes with pieces of their own, a wider
// surface for long runs, and failures that leave the run to be tried again.
#include <gtest/gtest.h>

#include "platform/gdi/gdi.h"
#include "platform/win32/modules.h"
#include "tests/toolkit/font/font_fixture.h"
#include "toolkit/font/text_services.h"

namespace {

using font_test::FontTest;

// The stand-in's state: one analysis at a time.
struct FakeShaping {
  HDC dc = nullptr;
  const WCHAR* text = nullptr;
  int length = 0;
  int advance = 10;      // pixels per character
  bool growing = false;  // the i-th character is (i + 1) advances wide
  bool rightToLeft = false;
  SIZE size{};
  int analyses = 0;
  int frees = 0;
  HRESULT analyseResult = S_OK;
} fake;

int WidthOf(int position) { return fake.advance * (fake.growing ? position + 1 : 1); }

// The x of the logical start of a character, as if the run read left to right.
int StartOf(int position) {
  int x = 0;
  for (int i = 0; i < position; ++i) x += WidthOf(i);
  return x;
}

HRESULT FakeStringAnalyse(HDC dc, const void* text, int length, int, int, DWORD flags, int,
                          SCRIPT_CONTROL*, SCRIPT_STATE*, const int*, SCRIPT_TABDEF*, const BYTE*,
                          SCRIPT_STRING_ANALYSIS* analysis) {
  ++fake.analyses;
  if (FAILED(fake.analyseResult)) return fake.analyseResult;
  fake.dc = dc;
  fake.text = static_cast<const WCHAR*>(text);
  fake.length = length;
  fake.rightToLeft = (flags & SSA_RTL) != 0;
  fake.size = SIZE{StartOf(length), 18};
  *analysis = &fake;
  return S_OK;
}

const SIZE* FakeStringSize(SCRIPT_STRING_ANALYSIS) { return &fake.size; }

HRESULT FakeStringOut(SCRIPT_STRING_ANALYSIS, int x, int y, UINT, const RECT*, int, int, BOOL) {
  std::vector<INT> advances(std::size_t(fake.length), fake.advance);
  ExtTextOutW(fake.dc, x, y, ETO_OPAQUE, nullptr, fake.text, UINT(fake.length), advances.data());
  return S_OK;
}

// Right to left, the first character stands at the right end.
HRESULT FakeStringCPtoX(SCRIPT_STRING_ANALYSIS, int position, BOOL trailing, int* x) {
  const int edge = StartOf(position) + (trailing ? WidthOf(position) : 0);
  *x = fake.rightToLeft ? fake.size.cx - edge : edge;
  return S_OK;
}

HRESULT FakeStringFree(SCRIPT_STRING_ANALYSIS* analysis) {
  ++fake.frees;
  *analysis = nullptr;
  return S_OK;
}

HRESULT FakeFontProperties(HDC, SCRIPT_CACHE*, SCRIPT_FONTPROPERTIES* properties) {
  properties->wgBlank = 3;
  properties->wgDefault = 0;
  return S_OK;
}

HRESULT FakeNothing() { return S_OK; }

template <typename Proc>
FARPROC Export(Proc proc) {
  return reinterpret_cast<FARPROC>(proc);
}

class RunCacheTest : public FontTest {
 protected:
  void SetUp() override {
    FontTest::SetUp();
    fake = FakeShaping{};
    win32::ModuleExports exports;
    for (const char* name :
         {"ScriptItemize", "ScriptShape", "ScriptPlace", "ScriptBreak", "ScriptJustify",
          "ScriptTextOut", "ScriptGetProperties", "ScriptFreeCache",
          "ScriptRecordDigitSubstitution", "ScriptApplyDigitSubstitution"}) {
      exports.emplace_back(name, Export(&FakeNothing));
    }
    exports.emplace_back("ScriptGetFontProperties", Export(&FakeFontProperties));
    exports.emplace_back("ScriptStringAnalyse", Export(&FakeStringAnalyse));
    exports.emplace_back("ScriptStringOut", Export(&FakeStringOut));
    exports.emplace_back("ScriptStringFree", Export(&FakeStringFree));
    exports.emplace_back("ScriptStringCPtoX", Export(&FakeStringCPtoX));
    exports.emplace_back("ScriptString_pSize", Export(&FakeStringSize));
    win32::RegisterModule("usp10.dll", exports, true);
    UseShapingModule(true);
    font = MakeFont("Arial", 18);
    ASSERT_NE(nullptr, font);
    ASSERT_TRUE(SharedTextServices().uniscribeAvailable);
    ASSERT_EQ(3, font->blankGlyph);
  }
  struct Run {
    INT count = 0;
    GlyphRecord* pieces = nullptr;
    INT* widths = nullptr;
  };
  Run RenderRun(const std::u16string& text, HRESULT expected = S_OK) {
    Run run;
    EXPECT_EQ(expected, font->RenderRun(text.data(), INT(text.size()), FALSE, &run.count,
                                        &run.pieces, &run.widths));
    return run;
  }

  CachedFont* font = nullptr;
};

TEST_F(RunCacheTest, ARunIsDrawnOnceAndCutIntoPieces) {
  const Run run = RenderRun(u"abc");
  ASSERT_EQ(3, run.count);
  for (int k = 0; k < 3; ++k) {
    EXPECT_EQ(10, run.widths[k]);
    EXPECT_TRUE(HasImage(run.pieces[k])) << k;
  }
  EXPECT_EQ(1, fake.analyses);
  EXPECT_EQ(1, fake.frees);
  EXPECT_EQ(font->runPool.texture, run.pieces[0].texture);
  const Run again = RenderRun(u"abc");
  EXPECT_EQ(run.pieces, again.pieces);
  EXPECT_EQ(1, fake.analyses);
  // A prefix of a cached run gets pieces of its own at its last node.
  const Run prefix = RenderRun(u"ab");
  EXPECT_EQ(2, prefix.count);
  EXPECT_NE(run.pieces, prefix.pieces);
  EXPECT_EQ(2, fake.analyses);
}

TEST_F(RunCacheTest, EachRunIsFoundAgainByItsOwnCharacters) {
  const GlyphRecord* first[3] = {RenderRun(u"b").pieces, RenderRun(u"a").pieces,
                                 RenderRun(u"c").pieces};
  EXPECT_EQ(3u, font->runCache.Count());
  EXPECT_EQ(first[0], RenderRun(u"b").pieces);
  EXPECT_EQ(first[1], RenderRun(u"a").pieces);
  EXPECT_EQ(first[2], RenderRun(u"c").pieces);
  EXPECT_EQ(3, fake.analyses);
}

TEST_F(RunCacheTest, WideSpansAreCutAtTheCellAndLongRunsWidenTheSurface) {
  fake.advance = 40;  // wider than the 32-texel run cell
  const Run run = RenderRun(u"WW");
  ASSERT_EQ(4, run.count);
  EXPECT_EQ(32, run.widths[0]);
  EXPECT_EQ(8, run.widths[1]);
  EXPECT_EQ(32, run.widths[2]);
  EXPECT_EQ(80, font->surfaceWidth);
  EXPECT_TRUE(HasImage(run.pieces[0]));
  // A run wider than any line leaves the surface as narrow as the font's glyphs need.
  fake.advance = 3000;
  EXPECT_EQ(2 * ((3000 + 31) / 32), RenderRun(u"MM").count);
  EXPECT_EQ(font->metrics.tmMaxCharWidth, font->surfaceWidth);
}

TEST_F(RunCacheTest, AFailedAnalysisLeavesTheRunToTryAgain) {
  fake.analyseResult = E_OUTOFMEMORY;
  RenderRun(u"xy", E_OUTOFMEMORY);
  fake.analyseResult = S_OK;
  EXPECT_EQ(2, RenderRun(u"xy").count);
  EXPECT_EQ(2, fake.analyses);
}

// Pieces come left to right whichever way the run reads, and a run drawn right to left is
// kept apart from the same characters drawn left to right.
TEST_F(RunCacheTest, PiecesComeLeftToRightAndEachDirectionHasItsOwn) {
  fake.growing = true;  // 10, 20 and 30 pixels
  const Run forward = RenderRun(u"abc");
  ASSERT_EQ(3, forward.count);
  EXPECT_EQ((std::vector<INT>{10, 20, 30}), std::vector<INT>(forward.widths, forward.widths + 3));
  Run backward;
  ASSERT_EQ(S_OK, font->RenderRun(u"abc", 3, TRUE, &backward.count, &backward.pieces,
                                  &backward.widths));
  EXPECT_EQ(2, fake.analyses);
  ASSERT_EQ(3, backward.count);
  EXPECT_EQ((std::vector<INT>{30, 20, 10}),
            std::vector<INT>(backward.widths, backward.widths + 3));
  EXPECT_NE(forward.pieces, backward.pieces);
  EXPECT_EQ(forward.pieces, RenderRun(u"abc").pieces);
  EXPECT_EQ(2, fake.analyses);
}

}  // namespace
