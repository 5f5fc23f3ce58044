// The boss map's text overlay: the two fonts, the boss's facing in the direction line and the
// red credit line over it.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "game/harness/world_reset.h"
#include "game/text_overlay.h"
#include "game/world.h"
#include "platform/d3d9/test_device.h"
#include "platform/win32/modules.h"
#include "tests/platform/d3d9/device_fixture.h"
#include "toolkit/font/d3dx_font.h"
#include "toolkit/font/text_services.h"

namespace {

constexpr UINT kWidth = 200;
constexpr UINT kHeight = 100;

class TextOverlayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetWorld();
    ASSERT_EQ(S_OK, d3d9::CreateTestDevice(std::make_shared<d3d9::TestSetup>(), kWidth, kHeight,
                                           &device));
  }
  void TearDown() override {
    for (ID3DXFont* font : {directionFont, creditFont}) {
      if (font != nullptr) {
        EXPECT_EQ(0u, font->Release());
      }
    }
    directionFont = creditFont = nullptr;
    EXPECT_EQ(0u, device->Release());
    device = nullptr;
  }

  // The back buffer after `draw`, as 0x00RRGGBB values.
  template <typename Draw>
  std::vector<std::uint32_t> Frame(Draw draw) {
    EXPECT_EQ(S_OK, device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0));
    EXPECT_EQ(S_OK, device->BeginScene());
    draw();
    EXPECT_EQ(S_OK, device->EndScene());
    return d3d9_test::ReadRenderTarget(device, kWidth, kHeight);
  }
};

TEST_F(TextOverlayTest, TheFontsAreMadeFromTheirDescriptions) {
  CreateOverlayFonts();
  ASSERT_NE(nullptr, directionFont);
  ASSERT_NE(nullptr, creditFont);
  D3DXFONT_DESCA desc{};
  ASSERT_EQ(S_OK, directionFont->GetDescA(&desc));
  EXPECT_EQ(24, desc.Height);
  EXPECT_STREQ("Times New Roman Italic", desc.FaceName);
  ASSERT_EQ(S_OK, creditFont->GetDescA(&desc));
  EXPECT_EQ(18, desc.Height);
  EXPECT_STREQ("Arial", desc.FaceName);
}

TEST_F(TextOverlayTest, TheDirectionLineShowsTheBossesFacing) {
  CreateOverlayFonts();
  objects[kFirstEnemy].facing = 4;
  const auto overlay = Frame([] { DrawOverlayText(); });
  const auto expected = Frame([] {
    RECT direction = {0, 0, 200, 60};
    directionFont->DrawTextA(nullptr, "direction: 4 ", -1, &direction, 0, 0xFFFFFFFF);
    RECT credit = {30, 30, 100, 90};
    creditFont->DrawTextA(nullptr, "By Vy", 5, &credit, 0, 0xFFFF0000);
  });
  EXPECT_EQ(expected, overlay);
  objects[kFirstEnemy].facing = 6;
  EXPECT_NE(overlay, Frame([] { DrawOverlayText(); }));
}

TEST_F(TextOverlayTest, TheCreditLineIsRedOverTheDirectionLine) {
  CreateOverlayFonts();
  const auto pixels = Frame([] { DrawOverlayText(); });
  int red = 0, white = 0;
  for (UINT y = 0; y < kHeight; ++y) {
    for (UINT x = 0; x < kWidth; ++x) {
      const std::uint32_t p = pixels[y * kWidth + x];
      if (p == 0xFF0000) ++red;
      if (p == 0xFFFFFF) ++white;
      if (p != 0 && (x >= 200 || y >= 90)) ADD_FAILURE() << "ink outside at " << x << "," << y;
      if ((p >> 16) > ((p >> 8) & 0xFF)) {
        // Reddish: the credit line, inside its rectangle.
        EXPECT_GE(x, 30u);
        EXPECT_GE(y, 30u);
        EXPECT_LT(x, 100u);
      }
    }
  }
  EXPECT_GT(red, 10);
  EXPECT_GT(white, 10);
}

// Fonts shape their text with the module the program starts with; hiding it sends them down the
// GDI path. The direction line comes out the same either way, pixel for pixel. (The credit
// line does not: the shaping path kerns V and y; see the font's tests.)
TEST_F(TextOverlayTest, TheDirectionLineIsTheSameWithAndWithoutShaping) {
  auto directionLines = [&] {
    CreateOverlayFonts();
    std::vector<std::vector<std::uint32_t>> frames;
    for (int facing = 0; facing < 8; ++facing) {
      const std::string text = "direction: " + std::to_string(facing) + " ";
      frames.push_back(Frame([&] {
        RECT rect = {0, 0, 200, 60};
        directionFont->DrawTextA(nullptr, text.c_str(), -1, &rect, 0, 0xFFFFFFFF);
      }));
    }
    EXPECT_EQ(0u, directionFont->Release());
    EXPECT_EQ(0u, creditFont->Release());
    directionFont = creditFont = nullptr;
    return frames;
  };
  testing_hooks::ForgetTextServicesProbe();
  const auto shaped = directionLines();
  EXPECT_TRUE(SharedTextServices().uniscribeAvailable);
  win32::HideModule("usp10.dll", true);
  testing_hooks::ForgetTextServicesProbe();
  const auto placed = directionLines();
  EXPECT_FALSE(SharedTextServices().uniscribeAvailable);
  win32::HideModule("usp10.dll", false);
  testing_hooks::ForgetTextServicesProbe();
  for (int facing = 0; facing < 8; ++facing) {
    int differing = 0, lit = 0;
    for (std::size_t i = 0; i < shaped[facing].size(); ++i) {
      differing += shaped[facing][i] != placed[facing][i];
      lit += shaped[facing][i] != 0;
    }
    EXPECT_EQ(0, differing) << "facing " << facing;
    EXPECT_GT(lit, 100) << "facing " << facing;
  }
}

TEST_F(TextOverlayTest, MissingFontsDrawNothing) {
  const auto pixels = Frame([] { DrawOverlayText(); });
  for (std::uint32_t p : pixels) ASSERT_EQ(0u, p);
}

}  // namespace
