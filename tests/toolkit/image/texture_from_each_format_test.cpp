// Textures made from the sample file of every format besides PNG (tests/data/formats): each
// becomes a texture of its picture's size and levels whose texels hold its colours; and the
// levels a texture has past a file's own.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tests/toolkit/image/texture_device_fixture.h"
#include "toolkit/common/defaults.h"
#include "toolkit/image/d3dx_image.h"
#include "toolkit/surface/d3dx_surface.h"

namespace image_test {
namespace {

std::string SamplePath(const std::string& name) {
  return std::string(MIREFELL_FORMAT_SAMPLES_DIR) + "/" + name;
}

// Each channel of `actual` within `tolerance` of `expected`'s.
::testing::AssertionResult ChannelsNear(std::uint32_t actual, std::uint32_t expected,
                                        int tolerance) {
  for (int shift = 0; shift < 32; shift += 8) {
    const int a = static_cast<int>((actual >> shift) & 0xFF);
    const int e = static_cast<int>((expected >> shift) & 0xFF);
    if (std::abs(a - e) > tolerance) {
      char message[64];
      std::snprintf(message, sizeof message, "0x%08X is not near 0x%08X", actual, expected);
      return ::testing::AssertionFailure() << message;
    }
  }
  return ::testing::AssertionSuccess();
}

std::uint32_t TexelAt(const void* bits, INT pitch, UINT x, UINT y) {
  std::uint32_t texel = 0;
  std::memcpy(&texel, static_cast<const BYTE*>(bits) + y * pitch + 4 * x, sizeof(texel));
  return texel;
}

class TextureFromEachFormatTest : public TextureDeviceTest {
 protected:
  // Size and levels from the file, A8R8G8B8, no filtering and no key.
  win32::ComRef<IDirect3DTexture9> Load(const char* name, UINT levels, D3DXIMAGE_INFO* info) {
    win32::ComRef<IDirect3DTexture9> texture;
    const std::string path = SamplePath(name);
    EXPECT_EQ(S_OK, D3DXCreateTextureFromFileExA(
                        device, path.c_str(), 0, 0, levels, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                        D3DX_FILTER_NONE, D3DX_FILTER_NONE, 0, info, nullptr, texture.Receive()))
        << name;
    return texture;
  }

  static std::uint32_t Texel(IDirect3DTexture9* texture, UINT level, UINT x, UINT y) {
    D3DLOCKED_RECT locked{};
    if (texture->LockRect(level, &locked, nullptr, D3DLOCK_READONLY) != S_OK) return 0xDEADBEEF;
    const std::uint32_t texel = TexelAt(locked.pBits, locked.Pitch, x, y);
    texture->UnlockRect(level);
    return texel;
  }
};

TEST_F(TextureFromEachFormatTest, FlatFormatsFillTheirTextureWithTheirColours) {
  const struct {
    const char* name;
    D3DXIMAGE_FILEFORMAT fileFormat;
    UINT width, height;
    // Texels (A8R8G8B8) at the top left and at the bottom right of the picture.
    std::uint32_t topLeft, bottomRight;
    int tolerance;
  } samples[] = {
      {"sample.bmp", D3DXIFF_BMP, 4, 2, 0xFF0000FF, 0xFFFF0000, 0},
      {"sample.dib", D3DXIFF_DIB, 4, 2, 0xFF000000, 0xFF000000, 0},
      {"sample.tga", D3DXIFF_TGA, 4, 2, 0x8000FF00, 0xFF0000FF, 0},
      {"sample.ppm", D3DXIFF_PPM, 4, 2, 0xFFFF0000, 0xFF00FF00, 0},
      {"sample.jpg", D3DXIFF_JPG, 16, 8, 0xFF000080, 0xFFF0E080, 20},  // chroma is subsampled
      {"sample.pfm", D3DXIFF_PFM, 4, 2, 0xFF4080FF, 0xFF4080FF, 1},
      {"sample.hdr", D3DXIFF_HDR, 8, 2, 0xFFFF8041, 0xFFFF8021, 1},
  };
  for (const auto& sample : samples) {
    SCOPED_TRACE(sample.name);
    D3DXIMAGE_INFO info{};
    auto texture = Load(sample.name, 1, &info);
    ASSERT_NE(nullptr, texture.Get());
    EXPECT_EQ(sample.fileFormat, info.ImageFileFormat);
    D3DSURFACE_DESC desc{};
    ASSERT_EQ(S_OK, texture->GetLevelDesc(0, &desc));
    EXPECT_EQ(D3DFMT_A8R8G8B8, desc.Format);
    EXPECT_EQ(sample.width, desc.Width);
    EXPECT_EQ(sample.height, desc.Height);
    EXPECT_TRUE(ChannelsNear(Texel(texture.Get(), 0, 0, 0), sample.topLeft, sample.tolerance));
    EXPECT_TRUE(ChannelsNear(Texel(texture.Get(), 0, sample.width - 1, sample.height - 1),
                             sample.bottomRight, sample.tolerance));
    EXPECT_EQ(0u, texture.Detach()->Release());
  }
}

TEST_F(TextureFromEachFormatTest, DdsMipChainsGiveOneTextureLevelEach) {
  D3DXIMAGE_INFO info{};
  auto texture = Load("sample.dds", D3DX_FROM_FILE, &info);
  ASSERT_NE(nullptr, texture.Get());
  EXPECT_EQ(4u, info.MipLevels);
  EXPECT_EQ(D3DFMT_DXT1, info.Format);
  ASSERT_EQ(4u, texture->GetLevelCount());
  D3DSURFACE_DESC desc{};
  ASSERT_EQ(S_OK, texture->GetLevelDesc(3, &desc));
  EXPECT_EQ(1u, desc.Width);
  // Every level's block starts with colours 0x0100 and 0x0302 and index 0: green 8 of 63.
  for (UINT level = 0; level < 4; ++level) {
    EXPECT_TRUE(ChannelsNear(Texel(texture.Get(), level, 0, 0), 0xFF002000, 1)) << level;
  }
  EXPECT_EQ(0u, texture.Detach()->Release());
}

void PutLe32(std::vector<BYTE>& out, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<BYTE>(value >> (8 * i)));
}

// An A8R8G8B8 DDS file of `width` x `height` with the given levels, texels in memory order.
std::vector<BYTE> A8R8G8B8Dds(UINT width, UINT height,
                              const std::vector<std::vector<std::uint32_t>>& levels) {
  std::vector<BYTE> out = {'D', 'D', 'S', ' '};
  for (std::uint32_t field : {124u, 0x21007u, height, width, 0u, 0u,
                              static_cast<std::uint32_t>(levels.size())}) {
    PutLe32(out, field);
  }
  for (int i = 0; i < 11; ++i) PutLe32(out, 0);
  for (std::uint32_t field : {32u, 0x41u, 0u, 32u, 0xFF0000u, 0xFF00u, 0xFFu, 0xFF000000u,
                              0x401008u, 0u, 0u, 0u, 0u}) {
    PutLe32(out, field);
  }
  for (const auto& level : levels) {
    for (std::uint32_t texel : level) PutLe32(out, texel);
  }
  return out;
}

TEST_F(TextureFromEachFormatTest, LevelsPastTheFilesAreResampledFromItsLastLevel) {
  // 8 x 8 of one grey, then a 4 x 4 level of its own colours; the texture wants 4 levels.
  const std::vector<std::uint32_t> top(64, 0xFF808080);
  std::vector<std::uint32_t> last;
  for (std::uint32_t y = 0; y < 4; ++y) {
    for (std::uint32_t x = 0; x < 4; ++x) last.push_back(0xFF000011 | x * 60 << 16 | y * 60 << 8);
  }
  const std::vector<BYTE> file = A8R8G8B8Dds(8, 8, {top, last});
  // Point sampling for the levels the file lacks; a triangle mip filter keeps them from the
  // mip filler.
  win32::ComRef<IDirect3DTexture9> texture;
  ASSERT_EQ(S_OK, D3DXCreateTextureFromFileInMemoryEx(
                      device, file.data(), static_cast<UINT>(file.size()), 0, 0, 4, 0,
                      D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, D3DX_FILTER_POINT, D3DX_FILTER_TRIANGLE, 0,
                      nullptr, nullptr, texture.Receive()));
  ASSERT_EQ(4u, texture->GetLevelCount());
  EXPECT_EQ(top[63], Texel(texture.Get(), 0, 7, 7));
  EXPECT_EQ(last[13], Texel(texture.Get(), 1, 1, 3));
  // A texel of a level of size n is the last level's texel at 4 / n times its position.
  for (UINT level = 2, size = 2; level < 4; ++level, size /= 2) {
    for (UINT y = 0; y < size; ++y) {
      for (UINT x = 0; x < size; ++x) {
        EXPECT_EQ(last[(y * 4 / size) * 4 + x * 4 / size], Texel(texture.Get(), level, x, y))
            << "level " << level << " at " << x << ", " << y;
      }
    }
  }
  EXPECT_EQ(0u, texture.Detach()->Release());
}

TEST_F(TextureFromEachFormatTest, DdsCubesAndVolumesMakeTheirOwnKindsOfTexture) {
  const std::string cubePath = SamplePath("sample_cube.dds");
  win32::ComRef<IDirect3DCubeTexture9> cube;
  D3DXIMAGE_INFO info{};
  ASSERT_EQ(S_OK, D3DXCreateCubeTextureFromFileExA(
                      device, cubePath.c_str(), 0, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                      D3DX_FILTER_NONE, D3DX_FILTER_NONE, 0, &info, nullptr, cube.Receive()));
  EXPECT_EQ(D3DRTYPE_CUBETEXTURE, info.ResourceType);
  for (int face = 0; face < 6; ++face) {
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(S_OK, cube->LockRect(static_cast<D3DCUBEMAP_FACES>(face), 0, &locked, nullptr,
                                   D3DLOCK_READONLY));
    // Each face holds bytes 0 ... 15: its first texel is 0x03020100.
    EXPECT_EQ(0x03020100u, TexelAt(locked.pBits, locked.Pitch, 0, 0)) << face;
    EXPECT_EQ(0x0F0E0D0Cu, TexelAt(locked.pBits, locked.Pitch, 1, 1)) << face;
    cube->UnlockRect(static_cast<D3DCUBEMAP_FACES>(face), 0);
  }
  EXPECT_EQ(0u, cube.Detach()->Release());

  const std::string volumePath = SamplePath("sample_volume.dds");
  win32::ComRef<IDirect3DVolumeTexture9> volume;
  ASSERT_EQ(S_OK, D3DXCreateVolumeTextureFromFileExA(
                      device, volumePath.c_str(), 0, 0, 0, 2, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                      D3DX_FILTER_NONE, D3DX_FILTER_NONE, 0, &info, nullptr, volume.Receive()));
  EXPECT_EQ(D3DRTYPE_VOLUMETEXTURE, info.ResourceType);
  ASSERT_EQ(2u, volume->GetLevelCount());
  D3DVOLUME_DESC desc{};
  ASSERT_EQ(S_OK, volume->GetLevelDesc(0, &desc));
  EXPECT_EQ(2u, desc.Depth);
  D3DLOCKED_BOX locked{};
  ASSERT_EQ(S_OK, volume->LockBox(0, &locked, nullptr, D3DLOCK_READONLY));
  // The second slice starts at byte 16 of the pixels: grey 0x10.
  const BYTE* slice = static_cast<const BYTE*>(locked.pBits) + locked.SlicePitch;
  EXPECT_EQ(0xFF101010u, TexelAt(slice, locked.RowPitch, 0, 0));
  volume->UnlockBox(0);
  EXPECT_EQ(0u, volume.Detach()->Release());
}

}  // namespace
}  // namespace image_test
