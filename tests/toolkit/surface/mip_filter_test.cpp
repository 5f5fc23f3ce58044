// D3DXFilterTexture: default filter, chaining, cube faces, the gamma flags, NONE's corners,
// volume textures, and its result codes.
#include <gtest/gtest.h>

#include "device_helpers.h"
#include "toolkit/common/defaults.h"
#include "toolkit/surface/d3dx_surface.h"

namespace {

using FilterTexture = SurfaceDeviceTest;

Image32 ReadLevel(IDirect3DTexture9* texture, UINT level) {
  return SurfaceDeviceTest::Read(SurfaceDeviceTest::Level(texture, level).Get());
}

void FillLevel(IDirect3DTexture9* texture, UINT level, const Image32& image) {
  SurfaceDeviceTest::Fill(SurfaceDeviceTest::Level(texture, level).Get(), image);
}

// What a direct load of level `level` from level `from` with `filter` gives.
Image32 LoadedFrom(IDirect3DDevice9* device, IDirect3DTexture9* texture, UINT from, UINT level,
                   DWORD filter) {
  D3DSURFACE_DESC desc;
  texture->GetLevelDesc(level, &desc);
  win32::ComRef<IDirect3DTexture9> scratch;
  EXPECT_EQ(S_OK, device->CreateTexture(desc.Width, desc.Height, 1, 0, desc.Format, D3DPOOL_MANAGED,
                                        scratch.Receive(), nullptr));
  const auto to = SurfaceDeviceTest::Level(scratch.Get(), 0);
  const auto source = SurfaceDeviceTest::Level(texture, from);
  EXPECT_EQ(S_OK, D3DXLoadSurfaceFromSurface(to.Get(), nullptr, nullptr, source.Get(), nullptr,
                                             nullptr, filter, 0));
  return SurfaceDeviceTest::Read(to.Get());
}

TEST_F(FilterTexture, ResultCodes) {
  EXPECT_EQ(D3DERR_INVALIDCALL, D3DXFilterTexture(nullptr, nullptr, 0, D3DX_FILTER_BOX));
  auto single = MakeTexture(8, 8, 1);
  FillLevel(single.Get(), 0, NoiseImage(8, 8, 31));
  EXPECT_EQ(S_OK, D3DXFilterTexture(single.Get(), nullptr, 0, D3DX_FILTER_BOX));
  EXPECT_EQ(S_OK, D3DXFilterTexture(single.Get(), nullptr, D3DX_DEFAULT, D3DX_FILTER_BOX));
  EXPECT_EQ(D3DERR_INVALIDCALL, D3DXFilterTexture(single.Get(), nullptr, 1, D3DX_FILTER_BOX));
  auto chain = MakeTexture(8, 8, 0);
  EXPECT_EQ(D3DERR_INVALIDCALL, D3DXFilterTexture(chain.Get(), nullptr, 4, D3DX_FILTER_BOX));
  EXPECT_EQ(D3DERR_INVALIDCALL, D3DXFilterTexture(chain.Get(), nullptr, 0, 7));
}

TEST_F(FilterTexture, PowerOfTwoDefaultsToChainedBox) {
  auto texture = MakeTexture(16, 16, 0);
  FillLevel(texture.Get(), 0, NoiseImage(16, 16, 32));
  ASSERT_EQ(S_OK, D3DXFilterTexture(texture.Get(), nullptr, 0, D3DX_DEFAULT));
  for (UINT level = 1; level < 5; ++level) {
    const Image32 above = ReadLevel(texture.Get(), level - 1),
                  image = ReadLevel(texture.Get(), level);
    for (UINT y = 0; y < image.height; ++y) {
      for (UINT x = 0; x < image.width; ++x) {
        ASSERT_EQ(image.At(x, y),
                  ByteAverage(above.At(2 * x, 2 * y), above.At(2 * x + 1, 2 * y),
                              above.At(2 * x, 2 * y + 1), above.At(2 * x + 1, 2 * y + 1)))
            << "level " << level << " at " << x << ", " << y;
      }
    }
  }
}

TEST_F(FilterTexture, OtherSizesDefaultToDitheredTriangleFromTheSourceLevel) {
  auto texture = MakeTexture(12, 10, 0);
  FillLevel(texture.Get(), 0, NoiseImage(12, 10, 33));
  ASSERT_EQ(S_OK, D3DXFilterTexture(texture.Get(), nullptr, 0, D3DX_DEFAULT));
  for (UINT level = 1; level < texture->GetLevelCount(); ++level) {
    EXPECT_EQ(ReadLevel(texture.Get(), level).pixels,
              LoadedFrom(device, texture.Get(), 0, level, D3DX_FILTER_TRIANGLE | D3DX_FILTER_DITHER)
                  .pixels)
        << "level " << level;
  }
}

TEST_F(FilterTexture, OnlyPointAndBoxChain) {
  struct Case {
    DWORD filter;
    bool chained;
  };
  for (Case c : {Case{D3DX_FILTER_POINT, true}, Case{D3DX_FILTER_LINEAR, false},
                 Case{D3DX_FILTER_TRIANGLE, false}}) {
    auto texture = MakeTexture(16, 16, 0);
    FillLevel(texture.Get(), 0, NoiseImage(16, 16, 34));
    ASSERT_EQ(S_OK, D3DXFilterTexture(texture.Get(), nullptr, 0, c.filter));
    for (UINT level = 2; level < 5; ++level) {
      const UINT from = c.chained ? level - 1 : 0;
      EXPECT_EQ(ReadLevel(texture.Get(), level).pixels,
                LoadedFrom(device, texture.Get(), from, level, c.filter).pixels)
          << "filter " << c.filter << " level " << level;
    }
  }
}

TEST_F(FilterTexture, NoneCopiesTheTopLeftCornerIntoEveryLevel) {
  auto texture = MakeTexture(8, 8, 0);
  const Image32 top = NoiseImage(8, 8, 35);
  FillLevel(texture.Get(), 0, top);
  ASSERT_EQ(S_OK, D3DXFilterTexture(texture.Get(), nullptr, 0, D3DX_FILTER_NONE));
  for (UINT level = 1; level < 4; ++level) {
    const Image32 image = ReadLevel(texture.Get(), level);
    for (UINT y = 0; y < image.height; ++y) {
      for (UINT x = 0; x < image.width; ++x) ASSERT_EQ(image.At(x, y), top.At(x, y));
    }
  }
}

TEST_F(FilterTexture, GammaFlagsFollowTheOutputSide) {
  const auto filtered = [&](DWORD filter) {
    auto texture = MakeTexture(8, 8, 2);
    FillLevel(texture.Get(), 0, NoiseImage(8, 8, 36));
    EXPECT_EQ(S_OK, D3DXFilterTexture(texture.Get(), nullptr, 0, filter));
    Image32 image = ReadLevel(texture.Get(), 1);
    return image.pixels;
  };
  const auto plain = filtered(D3DX_FILTER_TRIANGLE);
  EXPECT_EQ(filtered(D3DX_FILTER_TRIANGLE | D3DX_FILTER_SRGB_IN), plain);
  const auto both = filtered(D3DX_FILTER_TRIANGLE | D3DX_FILTER_SRGB);
  EXPECT_NE(both, plain);
  EXPECT_EQ(filtered(D3DX_FILTER_TRIANGLE | D3DX_FILTER_SRGB_OUT), both);
}

TEST_F(FilterTexture, CubeFacesClampAtTheirEdges) {
  win32::ComRef<IDirect3DCubeTexture9> cube;
  ASSERT_EQ(S_OK, device->CreateCubeTexture(4, 2, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                            cube.Receive(), nullptr));
  auto flat = MakeTexture(4, 4, 2);
  const Image32 face = NoiseImage(4, 4, 37);
  for (UINT f = 0; f < 6; ++f) {
    win32::ComRef<IDirect3DSurface9> surface;
    ASSERT_EQ(S_OK,
              cube->GetCubeMapSurface(static_cast<D3DCUBEMAP_FACES>(f), 0, surface.Receive()));
    Fill(surface.Get(), face);
  }
  FillLevel(flat.Get(), 0, face);
  ASSERT_EQ(S_OK, D3DXFilterTexture(cube.Get(), nullptr, 0, D3DX_FILTER_TRIANGLE));
  const Image32 mirrored =
      LoadedFrom(device, flat.Get(), 0, 1, D3DX_FILTER_TRIANGLE | D3DX_FILTER_MIRROR);
  const Image32 wrapped = LoadedFrom(device, flat.Get(), 0, 1, D3DX_FILTER_TRIANGLE);
  ASSERT_NE(mirrored.pixels, wrapped.pixels);
  for (UINT f = 0; f < 6; ++f) {
    win32::ComRef<IDirect3DSurface9> surface;
    ASSERT_EQ(S_OK,
              cube->GetCubeMapSurface(static_cast<D3DCUBEMAP_FACES>(f), 1, surface.Receive()));
    EXPECT_EQ(Read(surface.Get()).pixels, mirrored.pixels) << "face " << f;
  }
}

TEST_F(FilterTexture, VolumeTexturesHalveOnThreeAxes) {
  win32::ComRef<IDirect3DVolumeTexture9> volume;
  ASSERT_EQ(S_OK, device->CreateVolumeTexture(2, 2, 2, 2, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                              volume.Receive(), nullptr));
  win32::ComRef<IDirect3DVolume9> top;
  ASSERT_EQ(S_OK, volume->GetVolumeLevel(0, top.Receive()));
  const std::uint32_t texels[8] = {0xFF000000, 0xFF000008, 0xFF000010, 0xFF000018,
                                   0xFF000020, 0xFF000028, 0xFF000030, 0xFF000038};
  const D3DBOX whole = {0, 0, 2, 2, 0, 2};
  ASSERT_EQ(S_OK, D3DXLoadVolumeFromMemory(top.Get(), nullptr, nullptr, texels, D3DFMT_A8R8G8B8, 8,
                                           16, nullptr, &whole, D3DX_FILTER_NONE, 0));
  ASSERT_EQ(S_OK, D3DXFilterTexture(volume.Get(), nullptr, 0, D3DX_DEFAULT));
  win32::ComRef<IDirect3DVolume9> bottom;
  ASSERT_EQ(S_OK, volume->GetVolumeLevel(1, bottom.Receive()));
  D3DLOCKED_BOX bits;
  ASSERT_EQ(S_OK, bottom->LockBox(&bits, nullptr, D3DLOCK_READONLY));
  std::uint32_t texel;
  std::memcpy(&texel, bits.pBits, 4);
  bottom->UnlockBox();
  EXPECT_EQ(texel, 0xFF00001Cu);
  // A box outside the volume, and a volume loaded into itself.
  const D3DBOX outside = {0, 0, 3, 2, 0, 2};
  EXPECT_EQ(D3DERR_INVALIDCALL,
            D3DXLoadVolumeFromMemory(top.Get(), nullptr, &outside, texels, D3DFMT_A8R8G8B8, 8, 16,
                                     nullptr, &whole, D3DX_FILTER_NONE, 0));
  EXPECT_EQ(D3DERR_INVALIDCALL, D3DXLoadVolumeFromVolume(top.Get(), nullptr, nullptr, top.Get(),
                                                         nullptr, nullptr, D3DX_FILTER_NONE, 0));
}

TEST_F(FilterTexture, FailuresStopAndReleaseTheLevels) {
  auto texture = MakeTexture(8, 8, 0);
  FillLevel(texture.Get(), 0, NoiseImage(8, 8, 38));
  const std::string name = "IDirect3DTexture9::GetSurfaceLevel";
  setup->FailCall(name, setup->CallCount(name) + 3, D3DERR_OUTOFVIDEOMEMORY);
  EXPECT_EQ(D3DERR_OUTOFVIDEOMEMORY, D3DXFilterTexture(texture.Get(), nullptr, 0, D3DX_FILTER_BOX));
}

}  // namespace
