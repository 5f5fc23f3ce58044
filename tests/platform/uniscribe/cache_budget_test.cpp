// The platform's caches under small budgets: rendered glyph images, shaped words and open
// fallback faces go least recently used first, stay within their budgets, and what went is
// worked out again to the same answer.
#include <gtest/gtest.h>

#include <vector>

#include "platform/gdi/cache_budget.h"
#include "platform/uniscribe/cache_budget.h"
#include "tests/platform/uniscribe/uniscribe_fixture.h"

namespace {

using usp_test::ShapingDc;

// A line of text painted whole with fallback faces, as the font's runs are.
std::vector<std::uint32_t> Painted(ShapingDc& dc, const std::u16string& text) {
  dc.FillAll(0);
  SCRIPT_CONTROL control{};
  SCRIPT_STATE state{};
  SCRIPT_STRING_ANALYSIS analysis = nullptr;
  EXPECT_EQ(S_OK, ScriptStringAnalyse(dc.dc(), text.data(), int(text.size()),
                                      int(text.size()) * 3 / 2 + 16, -1,
                                      SSA_GLYPHS | SSA_FALLBACK | SSA_LINK, 0, &control, &state,
                                      nullptr, nullptr, nullptr, &analysis));
  EXPECT_EQ(S_OK, ScriptStringOut(analysis, 0, 0, ETO_OPAQUE, nullptr, 0, 0, FALSE));
  EXPECT_EQ(S_OK, ScriptStringFree(&analysis));
  std::vector<std::uint32_t> pixels;
  for (int y = 0; y < dc.height(); ++y) {
    for (int x = 0; x < dc.width(); ++x) pixels.push_back(dc.Pixel(x, y));
  }
  return pixels;
}

std::vector<WORD> Shaped(ShapingDc& dc, const std::u16string& word) {
  SCRIPT_ANALYSIS analysis{};
  std::vector<WORD> glyphs(64), clusters(word.size());
  std::vector<SCRIPT_VISATTR> attributes(64);
  int count = 0;
  EXPECT_EQ(S_OK, ScriptShape(dc.dc(), &dc.cache, word.data(), int(word.size()), 64, &analysis,
                              glyphs.data(), clusters.data(), attributes.data(), &count));
  glyphs.resize(std::size_t(count));
  return glyphs;
}

TEST(PlatformCacheBudgets, WhatWentIsWorkedOutAgainTheSameWithinTheBudgets) {
  ShapingDc dc(u"Liberation Sans", 16, 160, 32);
  const std::u16string line = u"Ab \u4E00\u0E01\u0627\u05D0";  // four fallback scripts
  const std::vector<std::uint32_t> painted = Painted(dc, line);
  const std::vector<WORD> glyphs = Shaped(dc, u"budget");
  const CacheUsage imagesBefore = gdi::GlyphImageUsage();
  const CacheUsage wordsBefore = uniscribe::ShapedWordUsage();
  const CacheUsage facesBefore = uniscribe::OpenFallbackFaceUsage();

  constexpr std::size_t imageBudget = 4096, wordBudget = 2048;
  gdi::SetGlyphImageBudget(imageBudget);
  uniscribe::SetShapedWordBudget(wordBudget);
  uniscribe::SetOpenFallbackFaceBudget(1);
  for (int i = 0; i < 60; ++i) {
    Painted(dc, {char16_t(0x100 + i), char16_t(0x4E10 + i), char16_t(0x0E01 + i % 40),
                 char16_t(0x0905 + i % 30)});
    Shaped(dc, {u'w', char16_t(u'a' + i % 26), char16_t(u'a' + i / 26)});
    ASSERT_LE(gdi::GlyphImageUsage().bytes, imageBudget + 1024) << i;  // the newest may pass it
    ASSERT_LE(uniscribe::ShapedWordUsage().bytes, wordBudget) << i;
    ASSERT_LE(uniscribe::OpenFallbackFaceUsage().entries, 1u) << i;
  }
  EXPECT_GT(gdi::GlyphImageUsage().evictions, imagesBefore.evictions);
  EXPECT_GT(uniscribe::ShapedWordUsage().evictions, wordsBefore.evictions);
  EXPECT_GT(uniscribe::OpenFallbackFaceUsage().evictions, facesBefore.evictions);
  EXPECT_EQ(painted, Painted(dc, line));
  EXPECT_EQ(glyphs, Shaped(dc, u"budget"));

  gdi::SetGlyphImageBudget(gdi::defaultGlyphImageBudget);
  uniscribe::SetShapedWordBudget(uniscribe::defaultShapedWordBudget);
  uniscribe::SetOpenFallbackFaceBudget(uniscribe::defaultOpenFallbackFaces);
}

}  // namespace
