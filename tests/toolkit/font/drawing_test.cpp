// Drawing through the font's own sprite on the device: the game's credit line in red, clipped
// to its rectangle, and one Begin/End pair per call.
#include <gtest/gtest.h>

#include "tests/toolkit/font/font_fixture.h"

namespace {

using font_test::FontTest;
using font_test::RecordingSprite;

TEST_F(FontTest, TheCreditLineIsOneRedLineClippedToItsRectangle) {
  CachedFont* font = MakeFont("Arial", 18);
  RECT rect = {30, 30, 100, 90};
  RecordingSprite recorder;
  EXPECT_EQ(18, font->DrawTextA(&recorder, "By Vy", 5, &rect, 0, 0xFFFF0000));
  EXPECT_EQ(1u, font->lineCount);
  ASSERT_EQ(4u, recorder.drawn.size());  // the space has no image
  for (const font_test::QueuedGlyph& glyph : recorder.drawn) {
    EXPECT_EQ(0xFFFF0000u, glyph.colour);
    EXPECT_GE(glyph.ScreenLeft(), 30);
    EXPECT_GE(glyph.ScreenTop(), 30);
    EXPECT_LE(glyph.ScreenLeft() + glyph.source.right - glyph.source.left, 100);
    EXPECT_LE(glyph.ScreenTop() + glyph.source.bottom - glyph.source.top, 90);
  }

  ClearTo(0);
  ASSERT_EQ(S_OK, device->BeginScene());
  EXPECT_EQ(18, font->DrawTextA(nullptr, "By Vy", 5, &rect, 0, 0xFFFF0000));
  device->EndScene();
  const std::vector<std::uint32_t> pixels = ReadBack();
  int lit = 0, full = 0;
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 64; ++x) {
      const std::uint32_t p = pixels[y * 64 + x];
      if (p == 0) continue;
      ++lit;
      EXPECT_GE(x, 30);
      EXPECT_GE(y, 30);
      EXPECT_LT(y, 30 + 18);
      EXPECT_EQ(0u, p & 0xFFFF) << x << "," << y;  // red only
      if ((p >> 16) >= 0xF0) ++full;
    }
  }
  EXPECT_GT(lit, 40);
  EXPECT_GT(full, 10);
}

TEST_F(FontTest, EveryDrawWithoutACallerSpriteIsOneBeginAndEnd) {
  CachedFont* font = MakeFont("Arial", 18);
  RECT rect = {0, 0, 64, 64};
  ASSERT_EQ(S_OK, device->BeginScene());
  font->DrawTextA(nullptr, "A", 1, &rect, 0, 0xFFFFFFFF);
  ASSERT_NE(nullptr, font->sprite);
  const unsigned before = setup->CallCount("IDirect3DStateBlock9::Capture");
  font->DrawTextA(nullptr, "A", 1, &rect, 0, 0xFFFFFFFF);
  font->DrawTextA(nullptr, "", 0, &rect, 0, 0xFFFFFFFF);
  device->EndScene();
  const unsigned perCall = setup->CallCount("IDirect3DStateBlock9::Capture") - before;
  EXPECT_GT(perCall, 0u);
  EXPECT_EQ(0u, perCall % 2);  // the same captures in both calls: one Begin each
  // A sprite that cannot begin fails the call.
  ID3DXSprite* own = font->sprite;
  EXPECT_EQ(S_OK, own->Begin(0));  // begun already: the font's Begin is refused
  EXPECT_EQ(0, font->DrawTextA(nullptr, "A", 1, &rect, 0, 0xFFFFFFFF));
  EXPECT_EQ(S_OK, own->End());
}

}  // namespace
