// The ...FromResource entry points over the resources this test program embeds (see the
// folder's CMakeLists.txt): each gives what the same file gives through the file entry points.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "tests/toolkit/image/texture_device_fixture.h"
#include "platform/win32/modules.h"
#include "toolkit/common/result.h"
#include "toolkit/image/d3dx_image.h"
#include "toolkit/surface/d3dx_surface.h"

namespace image_test {
namespace {

const std::string formats = MIREFELL_FORMAT_SAMPLES_DIR;
const std::string pngSuite = MIREFELL_PNGSUITE_DIR;

bool SameInfo(const D3DXIMAGE_INFO& a, const D3DXIMAGE_INFO& b) {
  return std::memcmp(&a, &b, sizeof(a)) == 0;
}

D3DXIMAGE_INFO FileInfo(const std::string& path) {
  D3DXIMAGE_INFO info{};
  EXPECT_EQ(S_OK, D3DXGetImageInfoFromFileA(path.c_str(), &info));
  return info;
}

TEST(ResourceInfo, ABitmapResourceIsABareDibAndDataResourcesAreFiles) {
  D3DXIMAGE_INFO info{};
  ASSERT_EQ(S_OK, D3DXGetImageInfoFromResourceA(nullptr, "sample_dib", &info));
  // The file's header is gone: only the last decoder takes it.
  EXPECT_EQ(D3DXIFF_DIB, info.ImageFileFormat);
  D3DXIMAGE_INFO bmp = FileInfo(formats + "/sample.bmp");
  bmp.ImageFileFormat = D3DXIFF_DIB;
  EXPECT_TRUE(SameInfo(bmp, info));

  const D3DXIMAGE_INFO png = FileInfo(pngSuite + "/basn6a08.png");
  ASSERT_EQ(S_OK, D3DXGetImageInfoFromResourceA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(101),
                                                &info));
  EXPECT_TRUE(SameInfo(png, info));
  std::memset(&info, 0, sizeof(info));
  ASSERT_EQ(S_OK, D3DXGetImageInfoFromResourceW(nullptr, u"PICTURE", &info));
  EXPECT_TRUE(SameInfo(png, info));
  std::memset(&info, 0, sizeof(info));
  ASSERT_EQ(S_OK, D3DXGetImageInfoFromResourceW(nullptr, MAKEINTRESOURCEW(101), &info));
  EXPECT_TRUE(SameInfo(png, info));
  ASSERT_EQ(S_OK, D3DXGetImageInfoFromResourceA(nullptr, "#101", &info));
}

TEST(ResourceInfo, MissingEmptyAndUnloadedResourcesAreInvalidData) {
  D3DXIMAGE_INFO info{};
  EXPECT_EQ(D3DXERR_INVALIDDATA, D3DXGetImageInfoFromResourceA(nullptr, "missing", &info));
  EXPECT_EQ(D3DXERR_INVALIDDATA, D3DXGetImageInfoFromResourceA(nullptr, "empty", &info));
  EXPECT_EQ(D3DXERR_INVALIDDATA, D3DXGetImageInfoFromResourceA(nullptr, MAKEINTRESOURCEA(102), &info));
  EXPECT_EQ(D3DXERR_INVALIDDATA, D3DXGetImageInfoFromResourceW(nullptr, nullptr, &info));
  // A module handle that names no loaded module.
  EXPECT_EQ(D3DXERR_INVALIDDATA,
            D3DXGetImageInfoFromResourceA(reinterpret_cast<HMODULE>(0x7FFF0000), "picture", &info));
}

class ResourceTextureTest : public TextureDeviceTest {
 protected:
  std::vector<std::uint32_t> Level0(IDirect3DTexture9* texture) {
    D3DSURFACE_DESC desc{};
    texture->GetLevelDesc(0, &desc);
    D3DLOCKED_RECT locked{};
    EXPECT_EQ(S_OK, texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY));
    std::vector<std::uint32_t> texels(std::size_t(desc.Width) * desc.Height);
    for (UINT y = 0; y < desc.Height; ++y) {
      std::memcpy(&texels[std::size_t(y) * desc.Width],
                  static_cast<const BYTE*>(locked.pBits) + std::size_t(y) * locked.Pitch,
                  std::size_t(desc.Width) * 4);
    }
    texture->UnlockRect(0);
    return texels;
  }
};

TEST_F(ResourceTextureTest, TexturesAndSurfacesFromResourcesEqualThoseFromTheFiles) {
  const std::string png = pngSuite + "/basn6a08.png";
  win32::ComRef<IDirect3DTexture9> fromFile;
  win32::ComRef<IDirect3DTexture9> fromResource;
  D3DXIMAGE_INFO info{};
  ASSERT_EQ(S_OK, D3DXCreateTextureFromFileExA(device, png.c_str(), 0, 0, 1, 0, D3DFMT_A8R8G8B8,
                                               D3DPOOL_MANAGED, D3DX_FILTER_NONE, D3DX_FILTER_NONE,
                                               0xFF000000, nullptr, nullptr, fromFile.Receive()));
  ASSERT_EQ(S_OK, D3DXCreateTextureFromResourceExW(device, nullptr, u"Picture", 0, 0, 1, 0,
                                                   D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                                   D3DX_FILTER_NONE, D3DX_FILTER_NONE, 0xFF000000,
                                                   &info, nullptr, fromResource.Receive()));
  EXPECT_EQ(D3DXIFF_PNG, info.ImageFileFormat);
  EXPECT_EQ(Level0(fromFile.Get()), Level0(fromResource.Get()));
  fromResource.Reset();

  ASSERT_EQ(S_OK, D3DXCreateTextureFromResourceA(device, nullptr, MAKEINTRESOURCEA(101),
                                                 fromResource.Receive()));
  D3DSURFACE_DESC desc{};
  fromResource->GetLevelDesc(0, &desc);
  EXPECT_EQ(32u, desc.Width);
  EXPECT_EQ(6u, fromResource->GetLevelCount());  // the short form's full chain
  fromResource.Reset();

  win32::ComRef<IDirect3DSurface9> surface;
  ASSERT_EQ(S_OK, fromFile->GetSurfaceLevel(0, surface.Receive()));
  EXPECT_EQ(S_OK, D3DXLoadSurfaceFromResourceA(surface.Get(), nullptr, nullptr, nullptr,
                                               "SAMPLE_DIB", nullptr, D3DX_FILTER_POINT, 0, &info));
  EXPECT_EQ(D3DXIFF_DIB, info.ImageFileFormat);
  EXPECT_EQ(D3DXERR_INVALIDDATA,
            D3DXLoadSurfaceFromResourceW(surface.Get(), nullptr, nullptr, nullptr, u"Empty",
                                         nullptr, D3DX_FILTER_POINT, 0, nullptr));
  surface.Reset();
  fromFile.Reset();

  win32::ComRef<IDirect3DCubeTexture9> cube;
  ASSERT_EQ(S_OK, D3DXCreateCubeTextureFromResourceA(device, nullptr, "CubeMap", cube.Receive()));
  cube.Reset();
  IDirect3DTexture9* untouched = reinterpret_cast<IDirect3DTexture9*>(0x1);
  EXPECT_EQ(D3DXERR_INVALIDDATA, D3DXCreateTextureFromResourceA(device, nullptr, "nothing",
                                                                &untouched));
  EXPECT_EQ(reinterpret_cast<IDirect3DTexture9*>(0x1), untouched);
}

}  // namespace
}  // namespace image_test
