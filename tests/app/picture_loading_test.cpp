#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "app/graphics.h"
#include "game/harness/world_reset.h"
#include "game/sheet_table.h"
#include "game/world.h"
#include "platform/d3d9/d3d9.h"
#include "platform/d3d9/test_device.h"

namespace {

class PictureLoadingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetWorld();
    window = nullptr;
    setup = std::make_shared<d3d9::TestSetup>();
    SetUpDeviceOn(d3d9::CreateTestDirect3D(setup));
    ASSERT_NE(device, nullptr);
    setup->ClearLog();
  }
  void TearDown() override { ReleaseAllGraphics(); }

  // Texel (x, y) of level 0 of sheet s's texture, 0xAARRGGBB.
  static uint32_t Texel(int32_t s, UINT x, UINT y) {
    IDirect3DTexture9* texture = sheets[s].texture;
    D3DLOCKED_RECT locked = {};
    if (texture == nullptr || FAILED(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY))) {
      ADD_FAILURE() << "sheet " << s << " cannot be read";
      return 0;
    }
    const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const BYTE*>(locked.pBits) +
                                                        size_t(y) * locked.Pitch);
    const uint32_t texel = row[x];
    texture->UnlockRect(0);
    return texel;
  }

  std::shared_ptr<d3d9::TestSetup> setup;
};

TEST_F(PictureLoadingTest, LoadsTheTwentyOnePicturesWithTheGamesCall) {
  LoadSheets();
  const std::vector<d3d9::CallRecord> made = setup->CallsNamed("CreateTexture");
  ASSERT_EQ(made.size(), 21u) << "one texture a picture, made straight in the managed pool";
  for (const d3d9::CallRecord& call : made) {
    EXPECT_EQ(call.arguments[3], 0) << "usage";
    EXPECT_EQ(call.arguments[4], D3DFMT_A8R8G8B8);
    EXPECT_EQ(call.arguments[5], D3DPOOL_MANAGED);
  }
  for (const SheetRow& row : kSheetTable) {
    const SpriteSheet& sheet = sheets[row.index];
    EXPECT_NE(sheet.texture, nullptr) << row.file;
    EXPECT_EQ(sheet.frameWidth, row.frameWidth) << row.file;
    EXPECT_EQ(sheet.frameHeight, row.frameHeight) << row.file;
    EXPECT_EQ(sheet.frameCount, row.frameCount) << row.file;
    EXPECT_EQ(sheet.frameDelay, row.frameDelay) << row.file;
    EXPECT_EQ(sheet.anchorX, row.anchorX) << row.file;
    EXPECT_EQ(sheet.anchorY, row.anchorY) << row.file;
  }
  for (int32_t unused : {1, 10, 19, 24}) EXPECT_EQ(sheets[unused].texture, nullptr);
}

TEST_F(PictureLoadingTest, AScreenPictureKeepsItsFileSizeInAPowerOfTwoTexture) {
  LoadSheets();
  const SpriteSheet& cover = sheets[kCoverSheet];
  EXPECT_EQ(cover.imageWidth, 640);
  EXPECT_EQ(cover.imageHeight, 480);
  D3DSURFACE_DESC desc = {};
  ASSERT_NE(cover.texture, nullptr);
  cover.texture->GetLevelDesc(0, &desc);
  EXPECT_EQ(desc.Width, 1024u);
  EXPECT_EQ(desc.Height, 512u);
  EXPECT_EQ(sheets[kTileSheet].imageWidth, 1024);
  EXPECT_EQ(sheets[kTileSheet].imageHeight, 384);
}

TEST_F(PictureLoadingTest, KeyedPixelsBecomeTransparentBlack) {
  LoadSheets();
  // The tile picture's corners lie outside every floor's diamond: black, keyed out.
  EXPECT_EQ(Texel(kTileSheet, 0, 0), 0u);
  EXPECT_EQ(Texel(kTileSheet, 1023, 383), 0u);
  // Strip frames keep their figure clear of the frame's corners: the key colour there.
  EXPECT_EQ(Texel(2, 0, 0), 0u);
  EXPECT_EQ(Texel(11, 127, 127), 0u);
  // And the figure itself is opaque where the anchor stands on it.
  EXPECT_EQ(Texel(2, 64, 80) >> 24, 0xFFu);
}

TEST_F(PictureLoadingTest, AMissingPictureLeavesASheetThatDrawsNothing) {
  LoadSheet(5, "res/no-such-picture.png", 0xFF6A4C30, 128, 128, 24, 64, 90, 25);
  const SpriteSheet& sheet = sheets[5];
  EXPECT_EQ(sheet.texture, nullptr);
  EXPECT_EQ(sheet.imageWidth, 0);
  EXPECT_EQ(sheet.imageHeight, 0);
  EXPECT_EQ(sheet.frameCount, 24) << "the frame layout is the table's all the same";
  LoadSheet(kSheetCount, "res/cover.png", 0, 1, 1, 1, 0, 0, 0);  // outside the table: ignored
  LoadSheet(-1, "res/cover.png", 0, 1, 1, 1, 0, 0, 0);
  EXPECT_EQ(setup->CallsNamed("CreateTexture").size(), 0u);
}

TEST_F(PictureLoadingTest, LoadingAgainReplacesThePicture) {
  LoadSheet(kCoverSheet, "res/cover.png", 0xFF6A4C30, 640, 480, 1, 64, 96, 25);
  LoadSheet(kCoverSheet, "res/story.png", 0xFF6A4C30, 640, 480, 1, 64, 96, 25);
  EXPECT_NE(sheets[kCoverSheet].texture, nullptr);
  // The first texture is released; the sanitizer build reports it as lost otherwise.
}

}  // namespace
