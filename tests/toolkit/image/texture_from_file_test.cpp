// Textures made from PNG files: the game's call, formats chosen from the file, palettes and
// colour keys, the device's limits, staging for the default pool, and failures.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "tests/toolkit/image/texture_device_fixture.h"
#include "tests/toolkit/image/texture_test_png.h"
#include "toolkit/common/defaults.h"
#include "toolkit/common/result.h"
#include "toolkit/image/d3dx_image.h"
#include "toolkit/surface/d3dx_surface.h"

namespace image_test {
namespace {

constexpr D3DCOLOR gameKey = 0xFF6A4C30;

// A picture with varied colours and alphas in which every seventh diagonal has the key colour.
std::vector<std::uint32_t> KeyedPicture(int width, int height) {
  std::vector<std::uint32_t> pixels;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const std::uint32_t alpha = (x + 2 * y) % 3 == 0 ? 0x80u : 0xFFu;
      const std::uint32_t colour = alpha << 24 | std::uint32_t(x & 0xFF) << 16 |
                                   std::uint32_t(y & 0xFF) << 8 | std::uint32_t((x * y) & 0xFF);
      pixels.push_back((x + y) % 7 == 0 ? gameKey : colour);
    }
  }
  return pixels;
}

class TextureFromFileTest : public TextureDeviceTest {
 protected:
  // The game's call: sizes and levels from the file, A8R8G8B8, managed, no filtering.
  HRESULT GameLoad(const char* path, D3DCOLOR key, D3DXIMAGE_INFO* info,
                   IDirect3DTexture9** texture) {
    return D3DXCreateTextureFromFileExA(device, path, 0, 0, 0, 0, D3DFMT_A8R8G8B8,
                                        D3DPOOL_MANAGED, D3DX_FILTER_NONE, D3DX_FILTER_NONE, key,
                                        info, nullptr, texture);
  }

  // Loads `bytes` as the game does, but with the wished format and palette given.
  HRESULT LoadBytes(const std::vector<std::uint8_t>& bytes, D3DFORMAT format, D3DCOLOR key,
                    PALETTEENTRY* palette, IDirect3DTexture9** texture,
                    D3DPOOL pool = D3DPOOL_MANAGED, DWORD usage = 0, UINT levels = 0) {
    return D3DXCreateTextureFromFileInMemoryEx(
        device, bytes.data(), UINT(bytes.size()), 0, 0, levels, usage, format, pool,
        D3DX_FILTER_NONE, D3DX_FILTER_NONE, key, nullptr, palette, texture);
  }

  static D3DSURFACE_DESC Desc(IDirect3DTexture9* texture, UINT level = 0) {
    D3DSURFACE_DESC desc{};
    EXPECT_EQ(S_OK, texture->GetLevelDesc(level, &desc));
    return desc;
  }

  // The texels of one level as 32-bit values (formats of 4 bytes) or bytes widened.
  static std::vector<std::uint32_t> Texels(IDirect3DTexture9* texture, UINT level) {
    const D3DSURFACE_DESC desc = Desc(texture, level);
    const UINT bytes = desc.Format == D3DFMT_L8 || desc.Format == D3DFMT_R3G3B2 ? 1 : 4;
    D3DLOCKED_RECT locked{};
    std::vector<std::uint32_t> texels;
    if (texture->LockRect(level, &locked, nullptr, D3DLOCK_READONLY) != S_OK) return texels;
    for (UINT y = 0; y < desc.Height; ++y) {
      const auto* row = static_cast<const std::uint8_t*>(locked.pBits) + y * locked.Pitch;
      for (UINT x = 0; x < desc.Width; ++x) {
        std::uint32_t value = 0;
        std::memcpy(&value, row + x * bytes, bytes);
        texels.push_back(value);
      }
    }
    texture->UnlockRect(level);
    return texels;
  }

  // Level 0 holds `picture` unscaled at the top left, keyed pixels and margins cleared.
  static void ExpectPictureAtTopLeft(IDirect3DTexture9* texture,
                                     const std::vector<std::uint32_t>& picture, int width,
                                     int height, D3DCOLOR key) {
    const D3DSURFACE_DESC desc = Desc(texture);
    const std::vector<std::uint32_t> texels = Texels(texture, 0);
    ASSERT_EQ(std::size_t(desc.Width) * desc.Height, texels.size());
    for (UINT y = 0; y < desc.Height; ++y) {
      for (UINT x = 0; x < desc.Width; ++x) {
        std::uint32_t expected = 0;
        if (int(x) < width && int(y) < height) expected = picture[y * width + x];
        if (expected == key) expected = 0;
        ASSERT_EQ(expected, texels[y * desc.Width + x]) << "at " << x << ", " << y;
      }
    }
  }

  // Every further level is the top-left corner of level 0 that fits it.
  static void ExpectLevelsAreCornersOfTheTop(IDirect3DTexture9* texture) {
    const D3DSURFACE_DESC top = Desc(texture);
    const std::vector<std::uint32_t> topTexels = Texels(texture, 0);
    for (UINT level = 1; level < texture->GetLevelCount(); ++level) {
      const D3DSURFACE_DESC desc = Desc(texture, level);
      const std::vector<std::uint32_t> texels = Texels(texture, level);
      for (UINT y = 0; y < desc.Height; ++y) {
        for (UINT x = 0; x < desc.Width; ++x) {
          ASSERT_EQ(topTexels[y * top.Width + x], texels[y * desc.Width + x])
              << "level " << level << " at " << x << ", " << y;
        }
      }
    }
  }
};

TEST_F(TextureFromFileTest, TheGameCallOnA100By60PictureMakesAKeyedChainOf128By64) {
  const std::vector<std::uint32_t> picture = KeyedPicture(100, 60);
  TemporaryFile file("picture.png", EncodeRgbPng(100, 60, picture));
  D3DXIMAGE_INFO info{};
  IDirect3DTexture9* texture = nullptr;
  ASSERT_EQ(S_OK, GameLoad(file.Path(), gameKey, &info, &texture));

  EXPECT_EQ(100u, info.Width);
  EXPECT_EQ(60u, info.Height);
  EXPECT_EQ(1u, info.Depth);
  EXPECT_EQ(1u, info.MipLevels);
  EXPECT_EQ(D3DFMT_A8R8G8B8, info.Format);
  EXPECT_EQ(D3DRTYPE_TEXTURE, info.ResourceType);
  EXPECT_EQ(D3DXIFF_PNG, info.ImageFileFormat);

  const D3DSURFACE_DESC desc = Desc(texture);
  EXPECT_EQ(128u, desc.Width);
  EXPECT_EQ(64u, desc.Height);
  EXPECT_EQ(D3DFMT_A8R8G8B8, desc.Format);
  EXPECT_EQ(D3DPOOL_MANAGED, desc.Pool);
  EXPECT_EQ(8u, texture->GetLevelCount());
  EXPECT_EQ(1u, ReferencesOf(texture));
  ExpectPictureAtTopLeft(texture, picture, 100, 60, gameKey);
  ExpectLevelsAreCornersOfTheTop(texture);
  texture->Release();
}

TEST_F(TextureFromFileTest, TheGameCallOnAScreenPictureMakes1024By512With11Levels) {
  const std::vector<std::uint32_t> picture = KeyedPicture(640, 480);
  TemporaryFile file("screen.png", EncodeRgbPng(640, 480, picture));
  D3DXIMAGE_INFO info{};
  IDirect3DTexture9* texture = nullptr;
  ASSERT_EQ(S_OK, GameLoad(file.Path(), gameKey, &info, &texture));
  EXPECT_EQ(640u, info.Width);
  EXPECT_EQ(480u, info.Height);
  EXPECT_EQ(1024u, Desc(texture).Width);
  EXPECT_EQ(512u, Desc(texture).Height);
  EXPECT_EQ(11u, texture->GetLevelCount());
  ExpectPictureAtTopLeft(texture, picture, 640, 480, gameKey);
  texture->Release();
}

TEST_F(TextureFromFileTest, LevelCountsFollowThePictureAndTheDevice) {
  const std::vector<std::uint8_t> dot = EncodeRgbPng(1, 1, {0xFF102030});
  IDirect3DTexture9* texture = nullptr;
  ASSERT_EQ(S_OK, LoadBytes(dot, D3DFMT_A8R8G8B8, gameKey, nullptr, &texture));
  EXPECT_EQ(1u, Desc(texture).Width);
  EXPECT_EQ(1u, texture->GetLevelCount());
  EXPECT_EQ(0xFF102030u, Texels(texture, 0)[0]);
  texture->Release();

  const std::vector<std::uint8_t> square = EncodeRgbPng(256, 256, KeyedPicture(256, 256));
  ASSERT_EQ(S_OK, LoadBytes(square, D3DFMT_A8R8G8B8, gameKey, nullptr, &texture));
  EXPECT_EQ(9u, texture->GetLevelCount());
  texture->Release();

  Caps().TextureCaps &= ~D3DPTEXTURECAPS_MIPMAP;
  ASSERT_EQ(S_OK, LoadBytes(square, D3DFMT_A8R8G8B8, gameKey, nullptr, &texture));
  EXPECT_EQ(1u, texture->GetLevelCount());
  texture->Release();
}

TEST_F(TextureFromFileTest, ThePictureKeepsItsSizeOrIsCutByTheDeviceLimit) {
  const std::vector<std::uint32_t> picture = KeyedPicture(100, 60);
  const std::vector<std::uint8_t> bytes = EncodeRgbPng(100, 60, picture);
  IDirect3DTexture9* texture = nullptr;
  // Its own size on a conditional device, as long as one level is asked for.
  ASSERT_EQ(S_OK, D3DXCreateTextureFromFileInMemoryEx(
                      device, bytes.data(), UINT(bytes.size()), D3DX_DEFAULT_NONPOW2,
                      D3DX_DEFAULT_NONPOW2, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                      D3DX_FILTER_NONE, D3DX_FILTER_NONE, 0, nullptr, nullptr, &texture));
  EXPECT_EQ(100u, Desc(texture).Width);
  EXPECT_EQ(60u, Desc(texture).Height);
  ExpectPictureAtTopLeft(texture, picture, 100, 60, 0);
  texture->Release();
  // A full chain needs powers of two.
  ASSERT_EQ(S_OK, D3DXCreateTextureFromFileInMemoryEx(
                      device, bytes.data(), UINT(bytes.size()), D3DX_DEFAULT_NONPOW2,
                      D3DX_DEFAULT_NONPOW2, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                      D3DX_FILTER_NONE, D3DX_FILTER_NONE, 0, nullptr, nullptr, &texture));
  EXPECT_EQ(128u, Desc(texture).Width);
  texture->Release();
  // A narrow device gets the left part.
  Caps().MaxTextureWidth = 64;
  ASSERT_EQ(S_OK, LoadBytes(bytes, D3DFMT_A8R8G8B8, gameKey, nullptr, &texture));
  EXPECT_EQ(64u, Desc(texture).Width);
  EXPECT_EQ(64u, Desc(texture).Height);
  ExpectPictureAtTopLeft(texture, picture, 100, 60, gameKey);
  texture->Release();
}

TEST_F(TextureFromFileTest, RgbPicturesAreKeyedAndTheFormatComesFromTheFile) {
  const std::vector<std::uint32_t> picture = {0xFF6A4C30, 0xFF010203, 0xFFFFFFFF, 0xFF6A4C31};
  const std::vector<std::uint8_t> rgb = EncodeRgbPng(2, 2, picture, false);
  IDirect3DTexture9* texture = nullptr;
  ASSERT_EQ(S_OK, LoadBytes(rgb, D3DFMT_A8R8G8B8, gameKey, nullptr, &texture));
  EXPECT_EQ((std::vector<std::uint32_t>{0, 0xFF010203, 0xFFFFFFFF, 0xFF6A4C31}),
            Texels(texture, 0));
  texture->Release();
  // No key: the file's colour format; a key: the closest format with alpha.
  ASSERT_EQ(S_OK, LoadBytes(rgb, D3DFMT_UNKNOWN, 0, nullptr, &texture));
  EXPECT_EQ(D3DFMT_X8R8G8B8, Desc(texture).Format);
  texture->Release();
  ASSERT_EQ(S_OK, LoadBytes(rgb, D3DFMT_UNKNOWN, gameKey, nullptr, &texture));
  EXPECT_EQ(D3DFMT_A8R8G8B8, Desc(texture).Format);
  EXPECT_EQ(0u, Texels(texture, 0)[0]);
  texture->Release();
  // Without A8R8G8B8 on the device the keyed wish lands on the closest it has.
  setup->profile.textureFormats = {D3DFMT_X8R8G8B8, D3DFMT_A1R5G5B5, D3DFMT_A2R10G10B10};
  ASSERT_EQ(S_OK, LoadBytes(rgb, D3DFMT_UNKNOWN, gameKey, nullptr, &texture));
  EXPECT_EQ(D3DFMT_A2R10G10B10, Desc(texture).Format);
  texture->Release();
}

// A 4 x 2 picture of indices into a small palette whose entry 1 is the game's key.
const std::vector<std::uint8_t> smallIndices = {0, 1, 2, 1, 2, 0, 1, 3};
const std::vector<std::uint32_t> smallPalette = {0xFF112233, gameKey, 0xFF445566, 0xFFABCDEF};

TEST_F(TextureFromFileTest, APalettisedPictureHasItsKeyAppliedToThePalette) {
  const std::vector<std::uint8_t> bytes = EncodePalettePng(4, 2, smallIndices, smallPalette);
  PALETTEENTRY palette[256];
  std::memset(palette, 0x5A, sizeof(palette));
  IDirect3DTexture9* texture = nullptr;
  ASSERT_EQ(S_OK, LoadBytes(bytes, D3DFMT_A8R8G8B8, gameKey, palette, &texture));
  // The texture is 4 x 2 like the picture.
  EXPECT_EQ((std::vector<std::uint32_t>{0xFF112233, 0, 0xFF445566, 0, 0xFF445566, 0xFF112233, 0,
                                        0xFFABCDEF}),
            Texels(texture, 0));
  texture->Release();
  // The palette out has the keyed entry cleared, and opaque white past the file's entries.
  EXPECT_EQ(0x11, palette[0].peRed);
  EXPECT_EQ(0x33, palette[0].peBlue);
  EXPECT_EQ(255, palette[0].peFlags);
  EXPECT_EQ(0, palette[1].peRed | palette[1].peGreen | palette[1].peBlue | palette[1].peFlags);
  EXPECT_EQ(255, palette[200].peRed & palette[200].peFlags);
}

TEST_F(TextureFromFileTest, PalettisedFormatsBecomeColourFormatsWithoutAPaletteOut) {
  const std::vector<std::uint8_t> keyedWish = EncodePalettePng(4, 2, smallIndices, smallPalette);
  IDirect3DTexture9* texture = nullptr;
  // The keyed entry is transparent, so the colours need alpha.
  ASSERT_EQ(S_OK, LoadBytes(keyedWish, D3DFMT_UNKNOWN, gameKey, nullptr, &texture));
  EXPECT_EQ(D3DFMT_A8R8G8B8, Desc(texture).Format);
  EXPECT_EQ(0u, Texels(texture, 0)[1]);
  texture->Release();
  ASSERT_EQ(S_OK, LoadBytes(keyedWish, D3DFMT_UNKNOWN, 0, nullptr, &texture));
  EXPECT_EQ(D3DFMT_X8R8G8B8, Desc(texture).Format);
  texture->Release();
  ASSERT_EQ(S_OK, LoadBytes(keyedWish, D3DFMT_A8P8, 0, nullptr, &texture));
  EXPECT_EQ(D3DFMT_A8R8G8B8, Desc(texture).Format);
  texture->Release();
}

std::vector<std::uint32_t> GreyRamp() {
  std::vector<std::uint32_t> palette;
  for (std::uint32_t i = 0; i < 256; ++i) palette.push_back(0xFF000000u | i * 0x010101u);
  return palette;
}

std::vector<std::uint32_t> ColourCube332() {
  const std::uint32_t three[8] = {0, 36, 73, 109, 146, 182, 219, 255};
  const std::uint32_t two[4] = {0, 85, 170, 255};
  std::vector<std::uint32_t> palette;
  for (std::uint32_t i = 0; i < 256; ++i) {
    palette.push_back(0xFF000000u | three[i >> 5] << 16 | three[(i >> 2) & 7] << 8 | two[i & 3]);
  }
  return palette;
}

const std::vector<std::uint8_t> rampIndices = {0, 17, 128, 255, 3, 64, 200, 99};

TEST_F(TextureFromFileTest, GreyRampAndColourCubePalettesAreReadAsPlainPixels) {
  setup->profile.textureFormats.push_back(D3DFMT_R3G3B2);
  IDirect3DTexture9* texture = nullptr;
  ASSERT_EQ(S_OK, LoadBytes(EncodePalettePng(4, 2, rampIndices, GreyRamp()), D3DFMT_UNKNOWN, 0,
                            nullptr, &texture));
  EXPECT_EQ(D3DFMT_L8, Desc(texture).Format);
  std::vector<std::uint32_t> texels = Texels(texture, 0);
  EXPECT_EQ(std::vector<std::uint32_t>(rampIndices.begin(), rampIndices.begin() + 4),
            std::vector<std::uint32_t>(texels.begin(), texels.begin() + 4));
  texture->Release();

  ASSERT_EQ(S_OK, LoadBytes(EncodePalettePng(4, 2, rampIndices, ColourCube332()), D3DFMT_UNKNOWN,
                            0, nullptr, &texture));
  EXPECT_EQ(D3DFMT_R3G3B2, Desc(texture).Format);
  texels = Texels(texture, 0);
  EXPECT_EQ(std::vector<std::uint32_t>(rampIndices.begin(), rampIndices.begin() + 4),
            std::vector<std::uint32_t>(texels.begin(), texels.begin() + 4));
  texture->Release();

  // A device without 3-3-2 textures gets the closest it has.
  setup->profile.textureFormats.pop_back();
  setup->profile.textureFormats.push_back(D3DFMT_X4R4G4B4);
  ASSERT_EQ(S_OK, LoadBytes(EncodePalettePng(4, 2, rampIndices, ColourCube332()), D3DFMT_UNKNOWN,
                            0, nullptr, &texture));
  EXPECT_EQ(D3DFMT_X4R4G4B4, Desc(texture).Format);
  texture->Release();
}

TEST_F(TextureFromFileTest, PalettesThatOnlyNearlySpellARampStayPalettised) {
  std::vector<std::uint32_t> nearly = GreyRamp();
  nearly[77] = 0xFF4D4D4E;
  IDirect3DTexture9* texture = nullptr;
  ASSERT_EQ(S_OK, LoadBytes(EncodePalettePng(4, 2, rampIndices, nearly), D3DFMT_UNKNOWN, 0,
                            nullptr, &texture));
  EXPECT_EQ(D3DFMT_X8R8G8B8, Desc(texture).Format);
  texture->Release();
  // A key that hits a ramp entry is kept: the ramp is judged after keying.
  ASSERT_EQ(S_OK, LoadBytes(EncodePalettePng(4, 2, rampIndices, GreyRamp()), D3DFMT_UNKNOWN,
                            0xFF808080, nullptr, &texture));
  EXPECT_EQ(D3DFMT_A8R8G8B8, Desc(texture).Format);
  EXPECT_EQ(0u, Texels(texture, 0)[2]);
  EXPECT_EQ(0xFF111111u, Texels(texture, 0)[1]);
  texture->Release();
  // A palettised wish keeps the indices as they are.
  PALETTEENTRY palette[256];
  setup->profile.textureFormats.push_back(D3DFMT_P8);
  ASSERT_EQ(S_OK, LoadBytes(EncodePalettePng(4, 2, rampIndices, GreyRamp()), D3DFMT_P8, 0,
                            palette, &texture));
  EXPECT_EQ(D3DFMT_P8, Desc(texture).Format);
  texture->Release();
}

TEST_F(TextureFromFileTest, TheDefaultPoolIsWrittenThroughASystemMemoryCopy) {
  const std::vector<std::uint8_t> bytes = EncodeRgbPng(4, 4, KeyedPicture(4, 4));
  setup->ClearLog();
  win32::ComRef<IDirect3DTexture9> texture;
  ASSERT_EQ(S_OK, LoadBytes(bytes, D3DFMT_A8R8G8B8, 0, nullptr, texture.Receive(), D3DPOOL_DEFAULT,
                            D3DUSAGE_QUERY_FILTER));
  const std::vector<d3d9::CallRecord> creations = setup->CallsNamed("CreateTexture");
  ASSERT_EQ(2u, creations.size());
  // width, height, levels, usage, format, pool
  EXPECT_EQ((std::vector<std::int64_t>{4, 4, 3, 0, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT}),
            creations[0].arguments);
  EXPECT_EQ((std::vector<std::int64_t>{4, 4, 3, 0, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM}),
            creations[1].arguments);
  const std::vector<d3d9::CallRecord> updates = setup->CallsNamed("UpdateTexture");
  ASSERT_EQ(1u, updates.size());
  EXPECT_EQ(d3d9::Arg(static_cast<IDirect3DBaseTexture9*>(texture.Get())), updates[0].arguments[1]);
  EXPECT_EQ(D3DPOOL_DEFAULT, Desc(texture.Get()).Pool);
  EXPECT_EQ(1u, ReferencesOf(texture.Get()));
  texture.Reset();

  // Dynamic textures are written directly.
  setup->ClearLog();
  ASSERT_EQ(S_OK, LoadBytes(bytes, D3DFMT_A8R8G8B8, 0, nullptr, texture.Receive(), D3DPOOL_DEFAULT,
                            D3DUSAGE_DYNAMIC));
  EXPECT_EQ(1u, setup->CallsNamed("CreateTexture").size());
  EXPECT_TRUE(setup->CallsNamed("UpdateTexture").empty());
  ExpectPictureAtTopLeft(texture.Get(), KeyedPicture(4, 4), 4, 4, 0);
}

TEST_F(TextureFromFileTest, UnreadableFilesLeaveTheOutPointersAlone) {
  IDirect3DTexture9* const untouched = reinterpret_cast<IDirect3DTexture9*>(0x1);
  IDirect3DTexture9* texture = untouched;
  D3DXIMAGE_INFO info{};
  info.Width = 12345;
  EXPECT_EQ(D3DXERR_INVALIDDATA, GameLoad("no/such/picture.png", gameKey, &info, &texture));
  EXPECT_EQ(12345u, info.Width);

  std::vector<std::uint8_t> corrupt = EncodeRgbPng(8, 8, KeyedPicture(8, 8));
  corrupt.resize(corrupt.size() / 2);
  TemporaryFile corruptFile("corrupt.png", corrupt);
  EXPECT_EQ(D3DXERR_INVALIDDATA, GameLoad(corruptFile.Path(), gameKey, &info, &texture));
  TemporaryFile emptyFile("empty.png", {});
  EXPECT_EQ(D3DERR_INVALIDCALL, GameLoad(emptyFile.Path(), gameKey, &info, &texture));
  EXPECT_EQ(D3DERR_INVALIDCALL, GameLoad(nullptr, gameKey, &info, &texture));
  EXPECT_EQ(12345u, info.Width);
  EXPECT_EQ(untouched, texture);

  const std::vector<std::uint8_t> bytes = EncodeRgbPng(8, 8, KeyedPicture(8, 8));
  EXPECT_EQ(D3DERR_INVALIDCALL, D3DXCreateTextureFromFileInMemory(nullptr, bytes.data(),
                                                                  UINT(bytes.size()), &texture));
  EXPECT_EQ(D3DERR_INVALIDCALL,
            D3DXCreateTextureFromFileInMemory(device, bytes.data(), 0, &texture));
  EXPECT_EQ(D3DERR_INVALIDCALL,
            D3DXCreateTextureFromFileInMemory(device, bytes.data(), UINT(bytes.size()), nullptr));
  EXPECT_EQ(untouched, texture);
  EXPECT_TRUE(setup->CallsNamed("CreateTexture").empty());
}

// Each device call of a load fails in turn; its result comes back, the info is filled, the
// out-pointer is untouched. (Leaks show up in the sanitizer build.)
TEST_F(TextureFromFileTest, EachFailingDeviceCallIsPassedOn) {
  const std::vector<std::uint8_t> bytes = EncodeRgbPng(8, 8, KeyedPicture(8, 8));
  const struct {
    const char* operation;
    unsigned nth;    // counted within one load
    unsigned times;  // consecutive calls that fail
    D3DPOOL pool;
  } faults[] = {
      {"GetDeviceCaps", 2, 1, D3DPOOL_MANAGED},
      {"CreateTexture", 1, 1, D3DPOOL_MANAGED},
      {"IDirect3DTexture9::GetSurfaceLevel", 1, 1, D3DPOOL_MANAGED},
      // A level that cannot be locked, directly or through a copy, fails the surface load.
      {"IDirect3DSurface9::LockRect", 1, 2, D3DPOOL_MANAGED},
      // The mip filler cannot reach a level.
      {"IDirect3DTexture9::GetSurfaceLevel", 2, 1, D3DPOOL_MANAGED},
      {"CreateTexture", 2, 1, D3DPOOL_DEFAULT},
      {"UpdateTexture", 1, 1, D3DPOOL_DEFAULT},
  };
  for (const auto& fault : faults) {
    SCOPED_TRACE(fault.operation);
    for (unsigned i = 0; i < fault.times; ++i) {
      setup->FailCall(fault.operation, setup->CallCount(fault.operation) + fault.nth + i,
                      D3DERR_OUTOFVIDEOMEMORY);
    }
    IDirect3DTexture9* texture = reinterpret_cast<IDirect3DTexture9*>(0x1);
    D3DXIMAGE_INFO info{};
    EXPECT_EQ(D3DERR_OUTOFVIDEOMEMORY,
              D3DXCreateTextureFromFileInMemoryEx(device, bytes.data(), UINT(bytes.size()), 0, 0,
                                                  0, 0, D3DFMT_A8R8G8B8, fault.pool,
                                                  D3DX_FILTER_NONE, D3DX_FILTER_NONE, gameKey,
                                                  &info, nullptr, &texture));
    ASSERT_EQ(reinterpret_cast<IDirect3DTexture9*>(0x1), texture);
    EXPECT_EQ(8u, info.Width);
  }
  // The search for a device format finds nothing when the device cannot be asked.
  FailNext("GetDirect3D", E_FAIL);
  IDirect3DTexture9* texture = nullptr;
  EXPECT_EQ(D3DERR_NOTAVAILABLE, LoadBytes(bytes, D3DFMT_A8R8G8B8, 0, nullptr, &texture));
  EXPECT_EQ(nullptr, texture);
}

TEST_F(TextureFromFileTest, CubesNeedSixFacesAndVolumesTakeFlatPictures) {
  const std::vector<std::uint32_t> picture = KeyedPicture(4, 2);
  const std::vector<std::uint8_t> bytes = EncodeRgbPng(4, 2, picture);
  IDirect3DCubeTexture9* cube = reinterpret_cast<IDirect3DCubeTexture9*>(0x1);
  EXPECT_EQ(E_FAIL, D3DXCreateCubeTextureFromFileInMemory(device, bytes.data(),
                                                          UINT(bytes.size()), &cube));
  EXPECT_EQ(reinterpret_cast<IDirect3DCubeTexture9*>(0x1), cube);

  win32::ComRef<IDirect3DVolumeTexture9> volume;
  ASSERT_EQ(S_OK, D3DXCreateVolumeTextureFromFileInMemoryEx(
                      device, bytes.data(), UINT(bytes.size()), 0, 0, 0, 1, 0, D3DFMT_A8R8G8B8,
                      D3DPOOL_MANAGED, D3DX_FILTER_NONE, D3DX_FILTER_NONE, 0, nullptr, nullptr,
                      volume.Receive()));
  D3DVOLUME_DESC desc{};
  ASSERT_EQ(S_OK, volume->GetLevelDesc(0, &desc));
  EXPECT_EQ(4u, desc.Width);
  EXPECT_EQ(2u, desc.Height);
  EXPECT_EQ(1u, desc.Depth);
  D3DLOCKED_BOX locked{};
  ASSERT_EQ(S_OK, volume->LockBox(0, &locked, nullptr, D3DLOCK_READONLY));
  std::uint32_t texel = 0;
  std::memcpy(&texel, static_cast<const std::uint8_t*>(locked.pBits) + locked.RowPitch + 4, 4);
  EXPECT_EQ(picture[5], texel);
  volume->UnlockBox(0);
}

TEST_F(TextureFromFileTest, TheShortFormsLeaveEveryChoiceToTheToolkit) {
  const std::vector<std::uint8_t> bytes = EncodeRgbPng(100, 60, KeyedPicture(100, 60));
  TemporaryFile file("short.png", bytes);
  IDirect3DTexture9* texture = nullptr;
  ASSERT_EQ(S_OK, D3DXCreateTextureFromFileA(device, file.Path(), &texture));
  EXPECT_EQ(128u, Desc(texture).Width);
  EXPECT_EQ(64u, Desc(texture).Height);
  EXPECT_EQ(D3DFMT_A8R8G8B8, Desc(texture).Format);
  EXPECT_EQ(8u, texture->GetLevelCount());
  texture->Release();

  std::u16string wide;
  for (const char* c = file.Path(); *c != '\0'; ++c) wide.push_back(char16_t(*c));
  ASSERT_EQ(S_OK, D3DXCreateTextureFromFileW(device, wide.c_str(),
                                             &texture));
  EXPECT_EQ(128u, Desc(texture).Width);
  texture->Release();
}

}  // namespace
}  // namespace image_test
