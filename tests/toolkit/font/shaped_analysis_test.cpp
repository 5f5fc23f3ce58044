// The analysis over the shaping module when the module misbehaves: more room asked for by
// itemisation and shaping, items that do not cover the text, shaping and placement that fail
// for a word, failures passed on, and refused allocations.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/uniscribe/uniscribe.h"
#include "platform/win32/modules.h"
#include "tests/toolkit/font/font_fixture.h"
#include "toolkit/common/allocation.h"
#include "toolkit/font/text_services.h"

namespace {

// What the wrapped module does wrong; calls go to the real module otherwise.
struct Faults {
  int itemizeRefusals = 0;  // E_OUTOFMEMORY this many times
  bool itemsShort = false;  // the closing item ends before the text
  HRESULT breakResult = S_OK;
  HRESULT digitsResult = S_OK;
  int shapeRefusals = 0;         // E_OUTOFMEMORY this many times
  std::u16string shapeFailsFor;  // E_FAIL for this word
  std::u16string placeFailsFor;  // E_FAIL when placing the word shaped last
  int itemizeCalls = 0;
  int shapeCalls = 0;
  std::u16string lastShaped;
} faults;

HRESULT Itemize(const WCHAR* text, int length, int maxItems, const SCRIPT_CONTROL* control,
                const SCRIPT_STATE* state, SCRIPT_ITEM* items, int* itemCount) {
  ++faults.itemizeCalls;
  if (faults.itemizeRefusals > 0) {
    --faults.itemizeRefusals;
    return E_OUTOFMEMORY;
  }
  const HRESULT result = ScriptItemize(text, length, maxItems, control, state, items, itemCount);
  if (SUCCEEDED(result) && faults.itemsShort) items[*itemCount].iCharPos = length - 1;
  return result;
}

HRESULT Break(const WCHAR* text, int length, const SCRIPT_ANALYSIS* analysis,
              SCRIPT_LOGATTR* attributes) {
  if (FAILED(faults.breakResult)) return faults.breakResult;
  return ScriptBreak(text, length, analysis, attributes);
}

HRESULT ApplyDigits(const SCRIPT_DIGITSUBSTITUTE* substitute, SCRIPT_CONTROL* control,
                    SCRIPT_STATE* state) {
  if (FAILED(faults.digitsResult)) return faults.digitsResult;
  return ScriptApplyDigitSubstitution(substitute, control, state);
}

HRESULT Shape(HDC dc, SCRIPT_CACHE* cache, const WCHAR* text, int length, int maxGlyphs,
              SCRIPT_ANALYSIS* analysis, WORD* glyphs, WORD* clusters, SCRIPT_VISATTR* visAttrs,
              int* glyphCount) {
  ++faults.shapeCalls;
  faults.lastShaped.assign(text, text + length);
  if (faults.shapeRefusals > 0) {
    --faults.shapeRefusals;
    return E_OUTOFMEMORY;
  }
  if (faults.lastShaped == faults.shapeFailsFor) return E_FAIL;
  return ScriptShape(dc, cache, text, length, maxGlyphs, analysis, glyphs, clusters, visAttrs,
                     glyphCount);
}

HRESULT Place(HDC dc, SCRIPT_CACHE* cache, const WORD* glyphs, int count,
              const SCRIPT_VISATTR* visAttrs, SCRIPT_ANALYSIS* analysis, int* advances,
              GOFFSET* offsets, ABC* extent) {
  if (faults.lastShaped == faults.placeFailsFor) return E_FAIL;
  return ScriptPlace(dc, cache, glyphs, count, visAttrs, analysis, advances, offsets, extent);
}

template <typename Proc>
FARPROC Export(Proc proc) {
  return reinterpret_cast<FARPROC>(proc);
}

class ShapedAnalysisTest : public font_test::FontTest {
 protected:
  void SetUp() override {
    FontTest::SetUp();
    faults = Faults{};
    win32::RegisterModule(
        "usp10.dll",
        {{"ScriptItemize", Export(&Itemize)},
         {"ScriptShape", Export(&Shape)},
         {"ScriptPlace", Export(&Place)},
         {"ScriptBreak", Export(&Break)},
         {"ScriptJustify", Export(&ScriptJustify)},
         {"ScriptTextOut", Export(&ScriptTextOut)},
         {"ScriptGetProperties", Export(&ScriptGetProperties)},
         {"ScriptFreeCache", Export(&ScriptFreeCache)},
         {"ScriptRecordDigitSubstitution", Export(&ScriptRecordDigitSubstitution)},
         {"ScriptApplyDigitSubstitution", Export(&ApplyDigits)},
         {"ScriptGetFontProperties", Export(&ScriptGetFontProperties)},
         {"ScriptStringAnalyse", Export(&ScriptStringAnalyse)},
         {"ScriptStringOut", Export(&ScriptStringOut)},
         {"ScriptStringFree", Export(&ScriptStringFree)},
         {"ScriptStringCPtoX", Export(&ScriptStringCPtoX)},
         {"ScriptString_pSize", Export(&ScriptString_pSize)}},
        true);
    UseShapingModule(true);
    font = MakeFont("Arial", 18);
    ASSERT_NE(nullptr, font);
    ASSERT_TRUE(SharedTextServices().uniscribeAvailable);
  }
  void TearDown() override {
    testing_hooks::FailAllocationAfter(-1);
    FontTest::TearDown();
  }

  HRESULT Analyse(const std::u16string& text) {
    return font->PreloadTextW(text.c_str(), INT(text.size()));
  }
  // The glyph positions of word w.
  std::vector<WORD> GlyphsOfWord(UINT w) {
    return std::vector<WORD>(font->glyphs.Data() + font->words[w].firstGlyph,
                             font->glyphs.Data() + font->words[w + 1].firstGlyph);
  }

  CachedFont* font = nullptr;
};

TEST_F(ShapedAnalysisTest, ItemisationAndShapingGetMoreRoomWhenTheyAskForIt) {
  faults.itemizeRefusals = 2;
  faults.shapeRefusals = 1;
  ASSERT_EQ(S_OK, Analyse(u"one two"));
  EXPECT_EQ(3, faults.itemizeCalls);
  ASSERT_EQ(2u, font->WordCount());
  EXPECT_EQ(7u, font->GlyphCount());
  EXPECT_EQ(3, faults.shapeCalls);  // the first word twice
  EXPECT_GE(font->items.Capacity(), 4 * 8u);
}

TEST_F(ShapedAnalysisTest, AModuleThatKeepsAskingForRoomRunsOutOfMemory) {
  faults.itemizeRefusals = 1000;
  EXPECT_EQ(E_OUTOFMEMORY, Analyse(u"text"));
  EXPECT_LT(faults.itemizeCalls, 10);
  faults = Faults{};
  faults.shapeRefusals = 1000;
  testing_hooks::TakeLargestAllocationRequest();
  EXPECT_EQ(E_OUTOFMEMORY, Analyse(u"text"));
  EXPECT_LT(faults.shapeCalls, 12);
  EXPECT_LT(testing_hooks::TakeLargestAllocationRequest(), std::size_t{64} * 1024);
}

TEST_F(ShapedAnalysisTest, ItemsThatDoNotCoverTheTextAreRefused) {
  faults.itemsShort = true;
  EXPECT_EQ(E_FAIL, Analyse(u"abc def"));
  EXPECT_EQ(0u, font->WordCount());
}

TEST_F(ShapedAnalysisTest, FailuresOfBreakingAndDigitSubstitutionArePassedOn) {
  faults.breakResult = E_INVALIDARG;
  EXPECT_EQ(E_INVALIDARG, Analyse(u"abc"));
  faults = Faults{};
  faults.digitsResult = E_FAIL;
  EXPECT_EQ(E_FAIL, Analyse(u"abc"));
  faults = Faults{};
  EXPECT_EQ(S_OK, Analyse(u"abc"));
}

TEST_F(ShapedAnalysisTest, AWordWhoseShapingFailsIsDrawnWhole) {
  faults.shapeFailsFor = u"two ";
  ASSERT_EQ(S_OK, Analyse(u"one two three"));
  ASSERT_EQ(3u, font->WordCount());
  for (UINT w : {0u, 2u}) {
    for (WORD glyph : GlyphsOfWord(w)) EXPECT_NE(runPieceGlyph, glyph) << w;
  }
  const std::vector<WORD> whole = GlyphsOfWord(1);
  ASSERT_FALSE(whole.empty());
  for (WORD glyph : whole) EXPECT_EQ(runPieceGlyph, glyph);
  INT wordWidth = 0;
  for (INT g = font->words[1].firstGlyph; g < font->words[2].firstGlyph; ++g) {
    wordWidth += font->advances[g];
  }
  EXPECT_EQ(wordWidth, INT(font->wordExtents[1].abcB));
  EXPECT_EQ(0, font->wordExtents[1].abcA);
}

TEST_F(ShapedAnalysisTest, AWordWhosePlacementFailsKeepsNoGlyphsButALineFeedStillBreaks) {
  faults.placeFailsFor = u"two ";
  ASSERT_EQ(S_OK, Analyse(u"one two three"));
  ASSERT_EQ(3u, font->WordCount());
  EXPECT_TRUE(GlyphsOfWord(1).empty());
  EXPECT_EQ(0u, font->wordExtents[1].abcB);
  faults.placeFailsFor = u"\n";
  font_test::RecordingSprite sprite;
  RECT rect = {0, 0, 200, 100};
  const std::u16string text = u"ab\ncd";
  ASSERT_NE(0, font->DrawTextW(&sprite, text.c_str(), INT(text.size()), &rect, 0, 0xFFFFFFFF));
  EXPECT_EQ(2u, font->lineCount);
  EXPECT_EQ(std::vector<WORD>{font->blankGlyph}, GlyphsOfWord(1));
  EXPECT_EQ(4u, sprite.drawn.size());
}

TEST_F(ShapedAnalysisTest, EveryRefusedAllocationFailsCleanly) {
  // Arabic in a face without it: words drawn whole too, with their run nodes and pieces.
  const std::u16string text = u"a\u0645\u0631\u062D\u0628\u0627 b\tc\r\nd";
  bool succeeded = false;
  const long long refusedBefore = testing_hooks::AllocationsRefused();
  for (int allowed = 0; allowed < 200 && !succeeded; ++allowed) {
    CachedFont* fresh = MakeFont("Arial", 18 + allowed % 3);
    ASSERT_NE(nullptr, fresh);
    testing_hooks::FailAllocationAfter(allowed);
    RECT rect = {0, 0, 300, 100};
    const INT drawnHeight =
        fresh->DrawTextW(nullptr, text.c_str(), INT(text.size()), &rect, DT_WORDBREAK, ~0u);
    testing_hooks::FailAllocationAfter(-1);
    succeeded = drawnHeight != 0;
    // What a failure left behind serves the next call.
    EXPECT_NE(0, fresh->DrawTextW(nullptr, text.c_str(), INT(text.size()), &rect, 0, ~0u));
  }
  EXPECT_TRUE(succeeded);
  // The draws that failed failed for a refusal: the sweep tested something.
  EXPECT_GT(testing_hooks::AllocationsRefused(), refusedBefore);
}

}  // namespace
