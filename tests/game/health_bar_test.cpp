#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "game/scene.h"
#include "game/world.h"
#include "platform/d3d9/d3d9.h"
#include "tests/game/scene_fixture.h"

namespace {

using HealthBarTest = SceneTest;

uint8_t Red(uint32_t p) { return uint8_t(p >> 16); }
uint8_t Green(uint32_t p) { return uint8_t(p >> 8); }
uint8_t Blue(uint32_t p) { return uint8_t(p); }

// Only the bars: a frame of one bar on black.
void DrawOneBar(int32_t i, float k) {
  device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
  device->BeginScene();
  DrawHealthBar(i, k);
  device->EndScene();
  device->Present(nullptr, nullptr, nullptr, nullptr);
}

TEST_F(HealthBarTest, TheHerosFullBarSpansHisHealthEachSideFortyPixelsBelowHim) {
  PlaceHero(25, 25);
  UpdateWorld();
  DrawOneBar(heroIndex, 40);
  // Left 320 - 20, bottom 240 + 40, ten high, 2 x 20 wide: pixels 300..339 x 270..279.
  EXPECT_EQ(LitPixels(), 40 * 10);
  EXPECT_NE(PresentedPixel(300, 270), 0u);
  EXPECT_NE(PresentedPixel(339, 279), 0u);
  EXPECT_EQ(PresentedPixel(299, 275), 0u);
  EXPECT_EQ(PresentedPixel(340, 275), 0u);
  EXPECT_EQ(PresentedPixel(320, 269), 0u);
  EXPECT_EQ(PresentedPixel(320, 280), 0u);

  // Half transparent over black, shaded from red (bottom left) through green (top left) and
  // blue (top right) to white (bottom right).
  const uint32_t bottomLeft = PresentedPixel(300, 279);
  const uint32_t topLeft = PresentedPixel(300, 270);
  const uint32_t topRight = PresentedPixel(339, 270);
  const uint32_t bottomRight = PresentedPixel(339, 279);
  EXPECT_GT(Red(bottomLeft), Green(bottomLeft) + 40) << std::hex << bottomLeft;
  EXPECT_GT(Green(topLeft), Red(topLeft) + 40) << std::hex << topLeft;
  EXPECT_GT(Blue(topRight), Green(topRight) + 40) << std::hex << topRight;
  EXPECT_GT(Blue(bottomRight), 90) << std::hex << bottomRight;
  EXPECT_GT(Green(bottomRight), 90) << std::hex << bottomRight;
  for (uint32_t p : {bottomLeft, topLeft, topRight, bottomRight}) {
    EXPECT_LT(std::max({Red(p), Green(p), Blue(p)}), 0xA0) << "half transparent: " << std::hex << p;
  }
}

TEST_F(HealthBarTest, ABarShrinksFromTheRight) {
  PlaceHero(25, 25);
  UpdateWorld();
  objects[heroIndex].health = 5;
  DrawOneBar(heroIndex, 40);
  EXPECT_EQ(LitPixels(), 10 * 10);
  EXPECT_NE(PresentedPixel(309, 275), 0u);
  EXPECT_EQ(PresentedPixel(310, 275), 0u);
}

TEST_F(HealthBarTest, ADeadEnemysBarDrawsNothing) {
  PlaceHero(25, 25);
  UpdateWorld();
  PlaceEnemy(20, 24, 25, 10);
  for (int32_t health : {0, -4}) {
    objects[20].health = health;
    DrawOneBar(20, 35);
    EXPECT_EQ(LitPixels(), 0) << "health " << health;
  }
  const std::vector<d3d9::CallRecord> draws = setup->CallsNamed("DrawPrimitiveUP");
  ASSERT_EQ(draws.size(), 2u);
  EXPECT_EQ(draws[0].arguments[0], D3DPT_TRIANGLEFAN);
  EXPECT_EQ(draws[0].arguments[1], 2);
  EXPECT_EQ(draws[0].arguments[3], 20) << "the bar vertex stride";
}

TEST_F(HealthBarTest, MapFramesDrawTheHeroAndEveryEnemySlotAfterTheMap) {
  PlaceHero(25, 25);
  UpdateWorld();
  DrawMapFrame();
  EXPECT_EQ(setup->CallsNamed("DrawPrimitiveUP").size(), 6u) << "hero and records 20 to 24";
  const std::vector<std::string> order = Calls({"Clear", "BeginScene", "DrawPrimitiveUP",
                                                "EndScene", "Present"});
  ASSERT_GE(order.size(), 3u);
  EXPECT_EQ(order.front(), "Clear");
  EXPECT_EQ(order[1], "BeginScene");
  EXPECT_EQ(order[order.size() - 2], "EndScene");
  EXPECT_EQ(order.back(), "Present");
  EXPECT_NE(PresentedPixel(300, 275), 0u) << "hero's bar 40 below him";

  setup->ClearLog();
  DrawBossFrame();
  EXPECT_EQ(setup->CallsNamed("DrawPrimitiveUP").size(), 2u) << "hero and boss only";
  EXPECT_NE(PresentedPixel(300, 255), 0u) << "hero's bar 20 below him on the boss map";
  EXPECT_EQ(PresentedPixel(300, 275), 0u);
}

TEST_F(HealthBarTest, WithoutADeviceNoFrameRoutineDraws) {
  IDirect3DDevice9* kept = device;
  device = nullptr;
  DrawMapFrame();
  DrawBossFrame();
  DrawScreenPicture(20);
  device = kept;
  EXPECT_TRUE(setup->Log().empty());
}

}  // namespace
