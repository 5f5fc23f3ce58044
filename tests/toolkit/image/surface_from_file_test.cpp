// Image files loaded into surfaces and volumes the caller already has.
#include <cstdint>
#include <cstring>
#include <vector>

#include "tests/toolkit/image/texture_device_fixture.h"
#include "tests/toolkit/image/texture_test_png.h"
#include "toolkit/common/result.h"
#include "toolkit/image/d3dx_image.h"
#include "toolkit/surface/d3dx_surface.h"

namespace image_test {
namespace {

// 4 x 3 pixels: 0xFF000000 | x << 16 | y << 8.
std::vector<std::uint32_t> Ramp() {
  std::vector<std::uint32_t> pixels;
  for (std::uint32_t y = 0; y < 3; ++y) {
    for (std::uint32_t x = 0; x < 4; ++x) pixels.push_back(0xFF000000u | x << 16 | y << 8);
  }
  return pixels;
}

class SurfaceFromFileTest : public TextureDeviceTest {
 protected:
  void SetUp() override {
    TextureDeviceTest::SetUp();
    ASSERT_EQ(S_OK, device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                          texture.Receive(), nullptr));
    ASSERT_EQ(S_OK, texture->GetSurfaceLevel(0, surface.Receive()));
  }
  void TearDown() override {
    surface.Reset();
    texture.Reset();
    TextureDeviceTest::TearDown();
  }

  std::vector<std::uint32_t> Texels() {
    D3DLOCKED_RECT locked{};
    std::vector<std::uint32_t> texels(16);
    if (surface->LockRect(&locked, nullptr, D3DLOCK_READONLY) != S_OK) return {};
    for (int y = 0; y < 4; ++y) {
      std::memcpy(&texels[y * 4], static_cast<const std::uint8_t*>(locked.pBits) + y * locked.Pitch,
                  16);
    }
    surface->UnlockRect();
    return texels;
  }

  win32::ComRef<IDirect3DTexture9> texture;
  win32::ComRef<IDirect3DSurface9> surface;
};

TEST_F(SurfaceFromFileTest, LoadsTheWholeImageOrAPartOfIt) {
  const std::vector<std::uint32_t> ramp = Ramp();
  TemporaryFile file("ramp.png", EncodeRgbPng(4, 3, ramp));
  D3DXIMAGE_INFO info{};
  ASSERT_EQ(S_OK, D3DXLoadSurfaceFromFileA(surface.Get(), nullptr, nullptr, file.Path(), nullptr,
                                           D3DX_FILTER_NONE, 0, &info));
  EXPECT_EQ(4u, info.Width);
  EXPECT_EQ(3u, info.Height);
  EXPECT_EQ(D3DXIFF_PNG, info.ImageFileFormat);
  std::vector<std::uint32_t> texels = Texels();
  EXPECT_EQ(ramp[5], texels[5]);
  EXPECT_EQ(ramp[11], texels[11]);

  // Columns 1 to 2 of rows 1 to 2 land at the top left of the destination rectangle.
  const RECT part = {1, 1, 3, 3};
  const RECT target = {2, 2, 4, 4};
  ASSERT_EQ(S_OK, D3DXLoadSurfaceFromFileA(surface.Get(), nullptr, &target, file.Path(), &part,
                                           D3DX_FILTER_NONE, 0, nullptr));
  texels = Texels();
  EXPECT_EQ(ramp[1 * 4 + 1], texels[2 * 4 + 2]);
  EXPECT_EQ(ramp[2 * 4 + 2], texels[3 * 4 + 3]);
  EXPECT_EQ(ramp[0], texels[0]);
}

TEST_F(SurfaceFromFileTest, TheKeyIsAppliedAlsoToPalettisedImages) {
  const std::vector<std::uint8_t> indices = {0, 1, 2, 1, 1, 0, 2, 2, 0, 0, 1, 2};
  const std::vector<std::uint32_t> palette = {0xFF102030, 0xFF6A4C30, 0xFFFFFFFF};
  const std::vector<std::uint8_t> bytes = EncodePalettePng(4, 3, indices, palette);
  ASSERT_EQ(S_OK, D3DXLoadSurfaceFromFileInMemory(surface.Get(), nullptr, nullptr, bytes.data(),
                                                  UINT(bytes.size()), nullptr, D3DX_FILTER_NONE,
                                                  0xFF6A4C30, nullptr));
  const std::vector<std::uint32_t> texels = Texels();
  EXPECT_EQ(0xFF102030u, texels[0]);
  EXPECT_EQ(0u, texels[1]);
  EXPECT_EQ(0xFFFFFFFFu, texels[2]);
}

TEST_F(SurfaceFromFileTest, RectanglesOutsideTheImageAndBadArgumentsAreRefused) {
  const std::vector<std::uint8_t> bytes = EncodeRgbPng(4, 3, Ramp());
  const UINT size = UINT(bytes.size());
  for (const RECT& outside : {RECT{0, 0, 5, 3}, RECT{0, 0, 4, 4}, RECT{-1, 0, 2, 2},
                              RECT{3, 0, 2, 2}, RECT{0, 2, 2, 1}}) {
    EXPECT_EQ(D3DERR_INVALIDCALL,
              D3DXLoadSurfaceFromFileInMemory(surface.Get(), nullptr, nullptr, bytes.data(), size,
                                              &outside, D3DX_FILTER_NONE, 0, nullptr));
  }
  EXPECT_EQ(D3DERR_INVALIDCALL, D3DXLoadSurfaceFromFileInMemory(nullptr, nullptr, nullptr,
                                                                bytes.data(), size, nullptr,
                                                                D3DX_FILTER_NONE, 0, nullptr));
  EXPECT_EQ(D3DERR_INVALIDCALL,
            D3DXLoadSurfaceFromFileInMemory(surface.Get(), nullptr, nullptr, nullptr, size, nullptr,
                                            D3DX_FILTER_NONE, 0, nullptr));
  EXPECT_EQ(D3DERR_INVALIDCALL,
            D3DXLoadSurfaceFromFileInMemory(surface.Get(), nullptr, nullptr, bytes.data(), 0,
                                            nullptr, D3DX_FILTER_NONE, 0, nullptr));
  const std::uint8_t text[] = "no picture here";
  EXPECT_EQ(D3DXERR_INVALIDDATA,
            D3DXLoadSurfaceFromFileInMemory(surface.Get(), nullptr, nullptr, text, sizeof(text),
                                            nullptr, D3DX_FILTER_NONE, 0, nullptr));
  EXPECT_EQ(D3DXERR_INVALIDDATA,
            D3DXLoadSurfaceFromFileA(surface.Get(), nullptr, nullptr, "no/such/file.png", nullptr,
                                     D3DX_FILTER_NONE, 0, nullptr));
  EXPECT_EQ(D3DERR_INVALIDCALL, D3DXLoadSurfaceFromFileW(surface.Get(), nullptr, nullptr, nullptr,
                                                         nullptr, D3DX_FILTER_NONE, 0, nullptr));
}

TEST_F(SurfaceFromFileTest, VolumesTakeABoxWithinTheImage) {
  win32::ComRef<IDirect3DVolumeTexture9> volumeTexture;
  ASSERT_EQ(S_OK, device->CreateVolumeTexture(4, 4, 1, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                              volumeTexture.Receive(), nullptr));
  win32::ComRef<IDirect3DVolume9> volume;
  ASSERT_EQ(S_OK, volumeTexture->GetVolumeLevel(0, volume.Receive()));
  const std::vector<std::uint32_t> ramp = Ramp();
  TemporaryFile file("volume.png", EncodeRgbPng(4, 3, ramp));
  D3DXIMAGE_INFO info{};
  ASSERT_EQ(S_OK, D3DXLoadVolumeFromFileA(volume.Get(), nullptr, nullptr, file.Path(), nullptr,
                                          D3DX_FILTER_NONE, 0, &info));
  EXPECT_EQ(1u, info.Depth);
  D3DLOCKED_BOX locked{};
  ASSERT_EQ(S_OK, volume->LockBox(&locked, nullptr, D3DLOCK_READONLY));
  std::uint32_t texel = 0;
  std::memcpy(&texel, static_cast<const std::uint8_t*>(locked.pBits) + 2 * locked.RowPitch + 12,
              4);
  volume->UnlockBox();
  EXPECT_EQ(ramp[2 * 4 + 3], texel);

  for (const D3DBOX& outside : {D3DBOX{0, 0, 4, 3, 0, 2}, D3DBOX{0, 0, 5, 3, 0, 1},
                                D3DBOX{2, 0, 1, 3, 0, 1}, D3DBOX{0, 0, 4, 3, 1, 0}}) {
    EXPECT_EQ(D3DERR_INVALIDCALL,
              D3DXLoadVolumeFromFileA(volume.Get(), nullptr, nullptr, file.Path(), &outside,
                                      D3DX_FILTER_NONE, 0, nullptr));
  }
  EXPECT_EQ(D3DERR_INVALIDCALL,
            D3DXLoadVolumeFromFileInMemory(nullptr, nullptr, nullptr, "x", 1, nullptr,
                                           D3DX_FILTER_NONE, 0, nullptr));
}

}  // namespace
}  // namespace image_test
