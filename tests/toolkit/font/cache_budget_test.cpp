// The glyph cache within a small budget: glyph textures and runs go least recently used first,
// what went draws again pixel for pixel, and a texture that went stays while a sprite queue
// that was open may still draw from it.
#include <gtest/gtest.h>

#include <string>

#include "tests/toolkit/font/font_fixture.h"
#include "toolkit/font/font_cache.h"
#include "toolkit/sprite/d3dx_sprite.h"

namespace {

class CacheBudgetTest : public font_test::FontTest {
 protected:
  void SetUp() override {
    FontTest::SetUp();
    UseShapingModule(true);
    font = MakeFont("Arial", 18);
    ASSERT_NE(nullptr, font);
    // Room for six small-pool textures and a handful of runs.
    const FontCacheBudget small = {6 * TextureBytes(font->smallPool), 2048};
    ASSERT_EQ(S_OK, SetFontCacheBudget(font, &small));
  }

  static std::size_t TextureBytes(const CellPool& pool) {
    std::size_t bytes = 0;
    for (UINT level = 0; level < pool.levels; ++level) {
      const std::size_t edge = pool.textureSize >> level;
      bytes += edge * edge * 4;
    }
    return bytes;
  }
  // Three ideographs the font lacks (a run drawn with a fallback face), or a word of letters
  // from across Latin-1 and Latin Extended (glyphs of the font's own), distinct for each index.
  static std::u16string Ideographs(int index) {
    return {char16_t(0x4E00 + index), char16_t(0x5E00 + index), char16_t(0x6E00 + index)};
  }
  static std::u16string Letters(int index) {
    return {char16_t(0xC0 + index % 0x180), char16_t(0xC0 + (index * 7 + 3) % 0x180)};
  }
  FontCacheUsage Usage() {
    FontCacheUsage usage{};
    EXPECT_EQ(S_OK, GetFontCacheUsage(font, &usage));
    return usage;
  }
  std::vector<std::uint32_t> Drawn(const std::u16string& text) {
    ClearTo(0);
    EXPECT_EQ(S_OK, device->BeginScene());
    RECT rect = {0, 0, 64, 64};
    EXPECT_NE(0, font->DrawTextW(nullptr, text.c_str(), INT(text.size()), &rect, 0, 0xFFFFFFFF));
    device->EndScene();
    return ReadBack();
  }

  CachedFont* font = nullptr;
};

TEST_F(CacheBudgetTest, WhatWentDrawsAgainTheSameAndTheCacheStaysWithinItsBudget) {
  const std::u16string run = Ideographs(0), word = u"Quiz";
  const std::vector<std::uint32_t> runPixels = Drawn(run), wordPixels = Drawn(word);
  FontCacheBudget budget{};
  ASSERT_EQ(S_OK, GetFontCacheBudget(font, &budget));
  for (int i = 1; i < 120; ++i) {
    Drawn(Ideographs(i));
    Drawn(Letters(i));
    const FontCacheUsage usage = Usage();
    ASSERT_LE(usage.textureBytes, budget.textureBytes) << i;
    ASSERT_LE(usage.runBytes, budget.runBytes) << i;
    ASSERT_EQ(0u, usage.retiredCount) << i;  // no queue stayed open
  }
  const FontCacheUsage churned = Usage();
  EXPECT_GT(churned.texturesEvicted, 10u);
  EXPECT_GT(churned.runsEvicted, 50u);
  EXPECT_LE(churned.runCount, 20u);
  EXPECT_EQ(runPixels, Drawn(run));
  EXPECT_EQ(wordPixels, Drawn(word));
  EXPECT_NE(runPixels, wordPixels);
}

TEST_F(CacheBudgetTest, ATextureThatWentStaysWhileAnOpenQueueMayDrawFromIt) {
  const std::u16string run = Ideographs(0);
  const std::vector<std::uint32_t> reference = Drawn(run);
  win32::ComRef<ID3DXSprite> sprite;
  ASSERT_EQ(S_OK, D3DXCreateSprite(device, sprite.Receive()));
  ClearTo(0);
  ASSERT_EQ(S_OK, device->BeginScene());
  ASSERT_EQ(S_OK, sprite->Begin(D3DXSPRITE_ALPHABLEND));
  RECT rect = {0, 0, 64, 64};
  EXPECT_NE(0, font->DrawTextW(sprite.Get(), run.c_str(), 3, &rect, 0, 0xFFFFFFFF));
  // Enough other text to push the queued run's texture out of the cache.
  for (int i = 1; i < 60; ++i) {
    const std::u16string other = Ideographs(i);
    ASSERT_EQ(S_OK, font->PreloadTextW(other.c_str(), 3));
  }
  EXPECT_GT(Usage().retiredCount, 0u);
  ASSERT_EQ(S_OK, sprite->End());
  device->EndScene();
  EXPECT_EQ(reference, ReadBack());
  ASSERT_EQ(S_OK, font->PreloadTextW(u"", 0));  // the next use lets go of it
  EXPECT_EQ(0u, Usage().retiredCount);
  EXPECT_EQ(0u, sprite.Detach()->Release());
}

TEST_F(CacheBudgetTest, PreloadingMoreThanTheBudgetKeepsToIt) {
  FontCacheBudget budget{};
  ASSERT_EQ(S_OK, GetFontCacheBudget(font, &budget));
  ASSERT_EQ(S_OK, font->PreloadGlyphs(0, 2000));
  EXPECT_LE(Usage().textureBytes, budget.textureBytes);
  EXPECT_GT(Usage().texturesEvicted, 0u);
  const FontCacheBudget none = {0, 0};
  ASSERT_EQ(S_OK, SetFontCacheBudget(font, &none));
  EXPECT_LE(Usage().textureCount, 3u);  // only the textures the pools are filling stay
  EXPECT_EQ(0u, Usage().runCount);
  EXPECT_EQ(D3DERR_INVALIDCALL, SetFontCacheBudget(font, nullptr));
  EXPECT_EQ(D3DERR_INVALIDCALL, GetFontCacheUsage(nullptr, nullptr));
}

}  // namespace
