// Texture stage 0, sampling, alpha test and blending, through pixel-exact frames.
#include <cstring>

#include "platform/win32/com_object.h"
#include "tests/platform/d3d9/sprite_like.h"

namespace d3d9_test {
namespace {

std::vector<std::uint32_t> Pattern(UINT w, UINT h, std::uint32_t alphaMask = 0xFF000000) {
  std::vector<std::uint32_t> texels(std::size_t(w) * h);
  std::uint32_t seed = 12345;
  for (std::uint32_t& texel : texels) {
    seed = seed * 1664525u + 1013904223u;
    texel = (seed >> 8) | alphaMask;
  }
  return texels;
}

using TexturingTest = DeviceTest;

TEST_F(TexturingTest, OneTexelPerPixelThroughTheSpriteProjectionReproducesTexelsWithLinearFilter) {
  const std::vector<std::uint32_t> texels = Pattern(32, 16);
  const auto texture = MakeTexture(32, 16, texels, 0);
  for (UINT level = 1; level < texture->GetLevelCount(); ++level) {
    D3DSURFACE_DESC desc;
    texture->GetLevelDesc(level, &desc);
    FillLevel(texture.Get(), level,
              std::vector<std::uint32_t>(std::size_t(desc.Width) * desc.Height, 0xFFFF00FF));
  }
  // Also with a viewport whose origin is not the target's.
  for (const D3DVIEWPORT9 viewport : {D3DVIEWPORT9{0, 0, 64, 64, 0, 1}, D3DVIEWPORT9{8, 4, 50, 56, 0, 1}}) {
    ClearTo(0xFF000000);
    ASSERT_EQ(S_OK, device->SetViewport(&viewport));
    SpriteLikeDrawer sprite(device);
    sprite.SetStates();
    ASSERT_EQ(S_OK, device->BeginScene());
    sprite.Draw(texture.Get(), 32, 16, {4, 2, 24, 14}, 10, 20);
    ASSERT_EQ(S_OK, device->EndScene());
    const std::vector<std::uint32_t> frame = ReadBack();
    for (int y = 0; y < 12; ++y) {
      for (int x = 0; x < 20; ++x) {
        ASSERT_EQ(texels[std::size_t(y + 2) * 32 + x + 4] & 0xFFFFFF,
                  frame[std::size_t(y + 20) * width + x + 10])
            << "at " << x << "," << y << " in viewport " << viewport.X;
      }
    }
    EXPECT_EQ(0u, frame[std::size_t(19) * width + 10]);
    EXPECT_EQ(0u, frame[std::size_t(20) * width + 30]);
    EXPECT_EQ(0u, frame[std::size_t(32) * width + 10]);
  }
}

TEST_F(TexturingTest, AlphaTestGreaterZeroDiscardsZeroAlphaTexels) {
  std::vector<std::uint32_t> texels(16, 0xFF00FF00);
  texels[5] = 0x00FF0000;   // transparent red: never shows
  texels[6] = 0x01FF0000;   // barely visible red: blended in
  const auto texture = MakeTexture(4, 4, texels);
  ClearTo(0xFF0000FF);
  SpriteLikeDrawer sprite(device);
  sprite.SetStates();
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
  ASSERT_EQ(S_OK, device->BeginScene());
  sprite.Draw(texture.Get(), 4, 4, {0, 0, 4, 4}, 0, 0);
  ASSERT_EQ(S_OK, device->EndScene());
  EXPECT_EQ(0x00FF00u, PixelAt(0, 0));
  EXPECT_EQ(0x0000FFu, PixelAt(1, 1));
  EXPECT_EQ(0xFF0000u, PixelAt(2, 1));
}

TEST_F(TexturingTest, SourceAlphaBlendingIsWithinOneUnitOfTheExactValue) {
  const D3DCOLOR background = 0xFF3070D0;
  for (std::uint32_t alpha : {1u, 64u, 127u, 128u, 200u, 254u}) {
    for (std::uint32_t colour : {0x00FFFFFFu, 0x00102030u, 0x00C08040u}) {
      ClearTo(background);
      const auto texture = MakeTexture(2, 2, std::vector<std::uint32_t>(4, (alpha << 24) | colour));
      SpriteLikeDrawer sprite(device);
      sprite.SetStates();
      ASSERT_EQ(S_OK, device->BeginScene());
      sprite.Draw(texture.Get(), 2, 2, {0, 0, 2, 2}, 5, 5);
      ASSERT_EQ(S_OK, device->EndScene());
      const std::uint32_t got = PixelAt(5, 5);
      for (int shift = 0; shift < 24; shift += 8) {
        const double s = (colour >> shift) & 0xFF;
        const double d = (background >> shift) & 0xFF;
        const double exact = (s * alpha + d * (255 - alpha)) / 255.0;
        EXPECT_NEAR(exact, double((got >> shift) & 0xFF), 1.0)
            << "alpha " << alpha << " colour " << std::hex << colour << " channel " << shift;
      }
    }
  }
}

TEST_F(TexturingTest, ModulateSelectAndDisableCombineTextureAndDiffuse) {
  const auto texture = MakeTexture(2, 2, std::vector<std::uint32_t>(4, 0xFF8040C0));
  device->SetTexture(0, texture.Get());
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  const struct {
    DWORD op;
    std::uint32_t expected;
  } cases[] = {{D3DTOP_MODULATE, 0x402060u}, {D3DTOP_SELECTARG1, 0x8040C0u},
               {D3DTOP_SELECTARG2, 0x808080u}, {D3DTOP_DISABLE, 0x808080u}};
  for (const auto& c : cases) {
    ClearTo(0xFF000000);
    device->SetTextureStageState(0, D3DTSS_COLOROP, c.op);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    ASSERT_EQ(S_OK, device->BeginScene());
    DrawQuad(0, 0, 8, 8, 0xFF808080);
    ASSERT_EQ(S_OK, device->EndScene());
    EXPECT_EQ(c.expected, PixelAt(3, 3)) << "operation " << c.op;
  }
  device->SetTexture(0, nullptr);
}

TEST_F(TexturingTest, PointAndLinearFilteringWithWrapAndClamp) {
  // Two texels: black and white, magnified to 8 pixels each.
  const auto texture = MakeTexture(2, 1, {0xFF000000, 0xFFFFFFFF});
  device->SetTexture(0, texture.Get());
  device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  ASSERT_EQ(S_OK, device->BeginScene());
  DrawQuad(0, 0, 16, 4, 0xFFFFFFFF);  // point, wrap: texel per half
  device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
  device->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
  DrawQuad(0, 8, 16, 12, 0xFFFFFFFF);
  device->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_WRAP);
  DrawQuad(0, 16, 16, 20, 0xFFFFFFFF);
  // Point sampling of u from 0 to 2 repeats the pair under wrapping.
  device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
  DrawQuad(0, 24, 16, 28, 0xFFFFFFFF, 0, 0, 2, 1);
  ASSERT_EQ(S_OK, device->EndScene());
  EXPECT_EQ(0u, PixelAt(7, 1));
  EXPECT_EQ(0xFFFFFFu, PixelAt(8, 1));
  // Clamped linear: flat at both ends, a ramp between the texel centres (pixels 4 to 12).
  EXPECT_EQ(0u, PixelAt(1, 9));
  EXPECT_EQ(0xFFFFFFu, PixelAt(14, 9));
  const std::uint32_t middle = PixelAt(8, 9) & 0xFF;
  EXPECT_NEAR(0x80, int(middle), 1);
  // Wrapped linear: the left edge mixes the two texels half and half.
  EXPECT_NEAR(0x80, int(PixelAt(0, 17) & 0xFF), 1);
  EXPECT_EQ(0u, PixelAt(3, 25));
  EXPECT_EQ(0xFFFFFFu, PixelAt(4, 25));
  EXPECT_EQ(0u, PixelAt(8, 25));
  device->SetTexture(0, nullptr);
}

TEST_F(TexturingTest, MipLevelsAreChosenByTheLevelOfDetail) {
  win32::ComRef<IDirect3DTexture9> texture;
  ASSERT_EQ(S_OK, device->CreateTexture(16, 16, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                        texture.Receive(), nullptr));
  const std::uint32_t colours[5] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFF00, 0xFF00FFFF};
  for (UINT level = 0; level < 5; ++level) {
    const UINT size = 16 >> level;
    FillLevel(texture.Get(), level,
              std::vector<std::uint32_t>(std::size_t(size) * size, colours[level]));
  }
  device->SetTexture(0, texture.Get());
  device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  device->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_POINT);
  ASSERT_EQ(S_OK, device->BeginScene());
  DrawQuad(0, 0, 4, 4, 0xFFFFFFFF);    // 4 texels per pixel: level 2
  DrawQuad(8, 0, 24, 16, 0xFFFFFFFF);  // 1 texel per pixel: level 0
  DrawQuad(32, 0, 40, 8, 0xFFFFFFFF);  // 2 per pixel: level 1
  device->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_NONE);
  DrawQuad(48, 0, 52, 4, 0xFFFFFFFF);  // no mipmapping: level 0
  device->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_POINT);
  device->SetSamplerState(0, D3DSAMP_MAXMIPLEVEL, 3);
  DrawQuad(8, 32, 24, 48, 0xFFFFFFFF);  // the largest level allowed is 3
  ASSERT_EQ(S_OK, device->EndScene());
  EXPECT_EQ(0x0000FFu, PixelAt(1, 1));
  EXPECT_EQ(0xFF0000u, PixelAt(12, 4));
  EXPECT_EQ(0x00FF00u, PixelAt(35, 3));
  EXPECT_EQ(0xFF0000u, PixelAt(49, 1));
  EXPECT_EQ(0xFFFF00u, PixelAt(12, 36));
  device->SetTexture(0, nullptr);
}

TEST_F(TexturingTest, EveryAcceptedFormatCanBeSampled) {
  device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  win32::ComRef<IDirect3D9> direct3d;
  ASSERT_EQ(S_OK, device->GetDirect3D(direct3d.Receive()));
  int accepted = 0;
  for (D3DFORMAT format : setup->profile.textureFormats) {
    ASSERT_EQ(S_OK, direct3d->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, 0,
                                                D3DRTYPE_TEXTURE, format));
    win32::ComRef<IDirect3DTexture9> texture;
    ASSERT_EQ(S_OK, device->CreateTexture(4, 4, 1, 0, format, D3DPOOL_MANAGED, texture.Receive(),
                                          nullptr))
        << format;
    // Zero texels.
    D3DLOCKED_RECT locked;
    ASSERT_EQ(S_OK, texture->LockRect(0, &locked, nullptr, 0));
    D3DSURFACE_DESC desc;
    texture->GetLevelDesc(0, &desc);
    const bool block = format == D3DFMT_DXT1 || format == D3DFMT_DXT2 || format == D3DFMT_DXT3 ||
                       format == D3DFMT_DXT4 || format == D3DFMT_DXT5;
    const UINT rows = block ? 1 : 4;
    for (UINT y = 0; y < rows; ++y) {
      std::memset(static_cast<BYTE*>(locked.pBits) + std::size_t(y) * locked.Pitch, 0,
                  std::size_t(locked.Pitch));
    }
    texture->UnlockRect(0);
    ClearTo(0xFF123456);
    device->SetTexture(0, texture.Get());
    ASSERT_EQ(S_OK, device->BeginScene());
    DrawQuad(0, 0, 4, 4, 0xFFFFFFFF);
    ASSERT_EQ(S_OK, device->EndScene());
    // Zero texels: black, except formats without colour channels or missing ones read as 1.
    const std::uint32_t got = PixelAt(1, 1);
    const bool noColour = format == D3DFMT_A8;
    const bool missingReadAsOne = format == D3DFMT_R16F || format == D3DFMT_R32F ||
                                  format == D3DFMT_G16R16F || format == D3DFMT_G32R32F ||
                                  format == D3DFMT_G16R16;
    if (noColour) {
      EXPECT_EQ(0u, got) << format;
    } else if (missingReadAsOne) {
      EXPECT_EQ(0x0000FFu, got & 0x0000FF) << format;
    } else {
      EXPECT_EQ(0u, got) << format;
    }
    ++accepted;
    device->SetTexture(0, nullptr);
  }
  EXPECT_GE(accepted, 17);
}

}  // namespace
}  // namespace d3d9_test
