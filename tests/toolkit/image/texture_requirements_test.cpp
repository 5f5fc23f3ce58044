// Fitting size, level count and format to a device: the requirement checks, CheckRequirements
// for every kind, and plain texture creation.
#include "toolkit/image/texture_requirements.h"

#include <vector>

#include "tests/toolkit/image/texture_device_fixture.h"
#include "toolkit/common/defaults.h"
#include "toolkit/image/d3dx_image.h"

namespace image_test {
namespace {

struct Fitted {
  UINT width;
  UINT height;
  UINT levels;
  D3DFORMAT format;
};

class TextureRequirementsTest : public TextureDeviceTest {
 protected:
  Fitted Check(UINT width, UINT height, UINT levels, D3DFORMAT format,
               D3DPOOL pool = D3DPOOL_MANAGED, DWORD usage = 0) {
    Fitted fitted = {width, height, levels, format};
    EXPECT_EQ(S_OK, D3DXCheckTextureRequirements(device, &fitted.width, &fitted.height,
                                                 &fitted.levels, usage, &fitted.format, pool));
    return fitted;
  }
};

TEST_F(TextureRequirementsTest, EverythingDefaultGivesA256SquareFullChainOfA8R8G8B8) {
  const Fitted fitted = Check(D3DX_DEFAULT, D3DX_DEFAULT, D3DX_DEFAULT, D3DFMT_UNKNOWN);
  EXPECT_EQ(256u, fitted.width);
  EXPECT_EQ(256u, fitted.height);
  EXPECT_EQ(9u, fitted.levels);
  EXPECT_EQ(D3DFMT_A8R8G8B8, fitted.format);
  // Null pointers count as the defaults and receive nothing.
  EXPECT_EQ(S_OK, D3DXCheckTextureRequirements(device, nullptr, nullptr, nullptr, 0, nullptr,
                                               D3DPOOL_MANAGED));
}

TEST_F(TextureRequirementsTest, OneSizeGivenMakesASquareAndZeroBecomesOne) {
  Fitted fitted = Check(D3DX_DEFAULT, 32, 0, D3DFMT_A8R8G8B8);
  EXPECT_EQ(32u, fitted.width);
  EXPECT_EQ(32u, fitted.height);
  EXPECT_EQ(6u, fitted.levels);
  fitted = Check(0, 0, 0, D3DFMT_A8R8G8B8);
  EXPECT_EQ(1u, fitted.width);
  EXPECT_EQ(1u, fitted.height);
  EXPECT_EQ(1u, fitted.levels);
}

TEST_F(TextureRequirementsTest, SizesRoundUpToPowersOfTwoAndLevelsAreCappedAtTheChain) {
  Fitted fitted = Check(100, 60, 0, D3DFMT_A8R8G8B8);
  EXPECT_EQ(128u, fitted.width);
  EXPECT_EQ(64u, fitted.height);
  EXPECT_EQ(8u, fitted.levels);
  fitted = Check(640, 480, 3, D3DFMT_A8R8G8B8);
  EXPECT_EQ(1024u, fitted.width);
  EXPECT_EQ(512u, fitted.height);
  EXPECT_EQ(3u, fitted.levels);
  fitted = Check(16, 4, 20, D3DFMT_A8R8G8B8);
  EXPECT_EQ(5u, fitted.levels);
}

TEST_F(TextureRequirementsTest, WithoutTheMipmapCapThereIsOneLevel) {
  Caps().TextureCaps &= ~D3DPTEXTURECAPS_MIPMAP;
  const Fitted fitted = Check(256, 256, 0, D3DFMT_A8R8G8B8);
  EXPECT_EQ(256u, fitted.width);
  EXPECT_EQ(1u, fitted.levels);
}

TEST_F(TextureRequirementsTest, ConditionalNonPowerOfTwoKeepsTheSizeOfASingleLevel) {
  // The standard device has POW2 with NONPOW2CONDITIONAL.
  Fitted fitted = Check(100, 60, 1, D3DFMT_A8R8G8B8);
  EXPECT_EQ(100u, fitted.width);
  EXPECT_EQ(60u, fitted.height);
  EXPECT_EQ(1u, fitted.levels);
  // Block formats are rounded all the same.
  fitted = Check(100, 60, 1, D3DFMT_DXT1);
  EXPECT_EQ(128u, fitted.width);
  EXPECT_EQ(64u, fitted.height);
  // Without POW2 the size stays, and a size that is not a power of two gets one level.
  Caps().TextureCaps &= ~D3DPTEXTURECAPS_POW2;
  fitted = Check(100, 60, 0, D3DFMT_A8R8G8B8);
  EXPECT_EQ(100u, fitted.width);
  EXPECT_EQ(60u, fitted.height);
  EXPECT_EQ(1u, fitted.levels);
  fitted = Check(64, 32, 0, D3DFMT_A8R8G8B8);
  EXPECT_EQ(7u, fitted.levels);
}

TEST_F(TextureRequirementsTest, SizesAreLoweredToTheDeviceLimits) {
  Caps().MaxTextureWidth = 64;
  Caps().MaxTextureHeight = 32;
  const Fitted fitted = Check(100, 60, 0, D3DFMT_A8R8G8B8);
  EXPECT_EQ(64u, fitted.width);
  EXPECT_EQ(32u, fitted.height);
  EXPECT_EQ(7u, fitted.levels);
}

TEST_F(TextureRequirementsTest, TheAspectRatioLimitNarrowsTheLongerSide) {
  Caps().MaxTextureAspectRatio = 2;
  Fitted fitted = Check(256, 32, 0, D3DFMT_A8R8G8B8);
  EXPECT_EQ(64u, fitted.width);
  EXPECT_EQ(32u, fitted.height);
  fitted = Check(16, 128, 0, D3DFMT_A8R8G8B8);
  EXPECT_EQ(16u, fitted.width);
  EXPECT_EQ(32u, fitted.height);
  // Square-only devices have an aspect ratio of 1, whatever they report.
  Caps().TextureCaps |= D3DPTEXTURECAPS_SQUAREONLY;
  fitted = Check(256, 32, 0, D3DFMT_A8R8G8B8);
  EXPECT_EQ(32u, fitted.width);
  EXPECT_EQ(32u, fitted.height);
  // An aspect ratio of 0 sets no limit.
  Caps().TextureCaps &= ~D3DPTEXTURECAPS_SQUAREONLY;
  Caps().MaxTextureAspectRatio = 0;
  fitted = Check(256, 32, 0, D3DFMT_A8R8G8B8);
  EXPECT_EQ(256u, fitted.width);
}

TEST_F(TextureRequirementsTest, CubesAreSquareOnTheLargerSide) {
  UINT width = 64;
  UINT height = 128;
  UINT levels = 0;
  D3DFORMAT format = D3DFMT_A8R8G8B8;
  ASSERT_EQ(S_OK, CheckRequirements(device, &width, &height, nullptr, &levels, 0, &format,
                                    D3DPOOL_MANAGED, D3DRTYPE_CUBETEXTURE));
  EXPECT_EQ(128u, width);
  EXPECT_EQ(128u, height);
  EXPECT_EQ(8u, levels);
  // No aspect limit applies to cubes, and their own power-of-two and mip caps count.
  Caps().MaxTextureAspectRatio = 1;
  Caps().TextureCaps &= ~(D3DPTEXTURECAPS_MIPCUBEMAP | D3DPTEXTURECAPS_CUBEMAP_POW2);
  UINT size = 100;
  levels = 0;
  ASSERT_EQ(S_OK, D3DXCheckCubeTextureRequirements(device, &size, &levels, 0, &format,
                                                   D3DPOOL_MANAGED));
  EXPECT_EQ(100u, size);
  EXPECT_EQ(1u, levels);
}

TEST_F(TextureRequirementsTest, VolumesUseTheirExtentLimitAndTheLargestSideForLevels) {
  Caps().MaxVolumeExtent = 64;
  UINT width = 100;
  UINT height = 8;
  UINT depth = 30;
  UINT levels = 0;
  D3DFORMAT format = D3DFMT_A8R8G8B8;
  ASSERT_EQ(S_OK, D3DXCheckVolumeTextureRequirements(device, &width, &height, &depth, &levels,
                                                     0, &format, D3DPOOL_MANAGED));
  EXPECT_EQ(64u, width);
  EXPECT_EQ(8u, height);
  EXPECT_EQ(32u, depth);
  EXPECT_EQ(7u, levels);
  width = 4;
  height = 4;
  depth = 0;
  levels = 0;
  ASSERT_EQ(S_OK, D3DXCheckVolumeTextureRequirements(device, &width, &height, &depth, &levels,
                                                     0, &format, D3DPOOL_MANAGED));
  EXPECT_EQ(1u, depth);
  EXPECT_EQ(3u, levels);
  // Without their mip cap volumes get one level; the texture cap does not count for them.
  Caps().TextureCaps &= ~D3DPTEXTURECAPS_MIPVOLUMEMAP;
  width = 64;
  height = 64;
  depth = 64;
  levels = 0;
  ASSERT_EQ(S_OK, D3DXCheckVolumeTextureRequirements(device, &width, &height, &depth, &levels,
                                                     0, &format, D3DPOOL_MANAGED));
  EXPECT_EQ(1u, levels);
}

TEST_F(TextureRequirementsTest, ScratchTexturesIgnoreTheDeviceButKeepTheirFormat) {
  Caps().MaxTextureWidth = 64;
  const unsigned capsQueries = setup->CallCount("GetDeviceCaps");
  Fitted fitted = Check(5000, 100, 0, D3DFMT_R8G8B8, D3DPOOL_SCRATCH);
  EXPECT_EQ(5000u, fitted.width);
  EXPECT_EQ(100u, fitted.height);
  EXPECT_EQ(13u, fitted.levels);
  EXPECT_EQ(D3DFMT_R8G8B8, fitted.format);
  EXPECT_EQ(capsQueries, setup->CallCount("GetDeviceCaps"));
  EXPECT_EQ(0u, setup->CallCount("IDirect3D9::CheckDeviceFormat"));
  fitted = Check(5, 3, 0, D3DFMT_UNKNOWN, D3DPOOL_SCRATCH);
  EXPECT_EQ(D3DFMT_A8R8G8B8, fitted.format);
  // Block formats cover whole blocks.
  fitted = Check(5, 3, 1, D3DFMT_DXT1, D3DPOOL_SCRATCH);
  EXPECT_EQ(8u, fitted.width);
  EXPECT_EQ(4u, fitted.height);
}

TEST_F(TextureRequirementsTest, AutomaticMipmapsAskForNoLevelsUnlessOneIsWanted) {
  EXPECT_EQ(0u, Check(64, 64, 0, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, D3DUSAGE_AUTOGENMIPMAP)
                    .levels);
  EXPECT_EQ(1u, Check(64, 64, 1, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, D3DUSAGE_AUTOGENMIPMAP)
                    .levels);
  EXPECT_EQ(1u, Check(1, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, D3DUSAGE_AUTOGENMIPMAP)
                    .levels);
}

TEST_F(TextureRequirementsTest, BadArgumentsAreRefusedAndNothingIsWrittenBack) {
  UINT width = 100;
  UINT height = 60;
  UINT levels = 0;
  D3DFORMAT format = D3DFMT_UNKNOWN;
  EXPECT_EQ(D3DERR_INVALIDCALL, D3DXCheckTextureRequirements(nullptr, &width, &height, &levels, 0,
                                                             &format, D3DPOOL_MANAGED));
  EXPECT_EQ(D3DERR_INVALIDCALL, D3DXCheckTextureRequirements(device, &width, &height, &levels,
                                                             D3DUSAGE_WRITEONLY, &format,
                                                             D3DPOOL_MANAGED));
  EXPECT_EQ(D3DERR_INVALIDCALL, D3DXCheckTextureRequirements(device, &width, &height, &levels,
                                                             0x00400000, &format,
                                                             D3DPOOL_MANAGED));
  EXPECT_EQ(D3DERR_INVALIDCALL, D3DXCheckTextureRequirements(device, &width, &height, &levels, 0,
                                                             &format, static_cast<D3DPOOL>(4)));
  // No format of a usable kind.
  setup->profile.textureFormats = {D3DFMT_V8U8};
  EXPECT_EQ(D3DERR_NOTAVAILABLE, D3DXCheckTextureRequirements(device, &width, &height, &levels,
                                                              0, &format, D3DPOOL_MANAGED));
  EXPECT_EQ(100u, width);
  EXPECT_EQ(60u, height);
  EXPECT_EQ(0u, levels);
  EXPECT_EQ(D3DFMT_UNKNOWN, format);
  // Usage D3DX_DEFAULT counts as none.
  setup->profile = d3d9::AdapterProfile::Standard();
  EXPECT_EQ(S_OK, D3DXCheckTextureRequirements(device, &width, &height, &levels, D3DX_DEFAULT,
                                               &format, D3DPOOL_MANAGED));
}

TEST_F(TextureRequirementsTest, DeviceFailuresArePassedOnWithoutLeaks) {
  const ULONG references = Direct3DReferences();
  UINT width = 100;
  D3DFORMAT format = D3DFMT_A8R8G8B8;
  // The first capability query belongs to the format search, which then finds nothing.
  FailNext("GetDeviceCaps", E_FAIL);
  EXPECT_EQ(D3DERR_NOTAVAILABLE, D3DXCheckTextureRequirements(device, &width, nullptr, nullptr,
                                                              0, &format, D3DPOOL_MANAGED));
  setup->FailCall("GetDeviceCaps", setup->CallCount("GetDeviceCaps") + 2, D3DERR_DEVICELOST);
  EXPECT_EQ(D3DERR_DEVICELOST, D3DXCheckTextureRequirements(device, &width, nullptr, nullptr, 0,
                                                            &format, D3DPOOL_MANAGED));
  FailNext("GetDirect3D", E_FAIL);
  EXPECT_EQ(D3DERR_NOTAVAILABLE, D3DXCheckTextureRequirements(device, &width, nullptr, nullptr,
                                                              0, &format, D3DPOOL_MANAGED));
  FailNext("GetDisplayMode", E_FAIL);
  EXPECT_EQ(D3DERR_NOTAVAILABLE, D3DXCheckTextureRequirements(device, &width, nullptr, nullptr,
                                                              0, &format, D3DPOOL_MANAGED));
  EXPECT_EQ(100u, width);
  EXPECT_EQ(D3DFMT_A8R8G8B8, format);
  EXPECT_EQ(references, Direct3DReferences());
}

using TextureCreationTest = TextureDeviceTest;

TEST_F(TextureCreationTest, CreatesTheFittedTextureWithoutTheQueryBits) {
  win32::ComRef<IDirect3DTexture9> texture;
  ASSERT_EQ(S_OK, D3DXCreateTexture(device, 100, 60, 0, D3DUSAGE_QUERY_FILTER, D3DFMT_R8G8B8,
                                    D3DPOOL_MANAGED, texture.Receive()));
  D3DSURFACE_DESC desc{};
  ASSERT_EQ(S_OK, texture->GetLevelDesc(0, &desc));
  EXPECT_EQ(128u, desc.Width);
  EXPECT_EQ(64u, desc.Height);
  EXPECT_EQ(D3DFMT_X8R8G8B8, desc.Format);
  EXPECT_EQ(0u, desc.Usage);
  EXPECT_EQ(8u, texture->GetLevelCount());
  EXPECT_EQ(1u, ReferencesOf(texture.Get()));
  texture.Reset();

  win32::ComRef<IDirect3DCubeTexture9> cube;
  ASSERT_EQ(S_OK, D3DXCreateCubeTexture(device, 20, 2, D3DX_DEFAULT, D3DFMT_A8R8G8B8,
                                        D3DPOOL_MANAGED, cube.Receive()));
  ASSERT_EQ(S_OK, cube->GetLevelDesc(0, &desc));
  EXPECT_EQ(32u, desc.Width);
  EXPECT_EQ(2u, cube->GetLevelCount());
  cube.Reset();

  win32::ComRef<IDirect3DVolumeTexture9> volume;
  ASSERT_EQ(S_OK, D3DXCreateVolumeTexture(device, 8, 4, 3, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                          volume.Receive()));
  D3DVOLUME_DESC volumeDesc{};
  ASSERT_EQ(S_OK, volume->GetLevelDesc(0, &volumeDesc));
  EXPECT_EQ(4u, volumeDesc.Depth);
  EXPECT_EQ(4u, volume->GetLevelCount());
}

TEST_F(TextureCreationTest, FailuresLeaveTheOutPointerAlone) {
  IDirect3DTexture9* texture = reinterpret_cast<IDirect3DTexture9*>(0x1);
  EXPECT_EQ(D3DERR_INVALIDCALL, D3DXCreateTexture(nullptr, 8, 8, 1, 0, D3DFMT_A8R8G8B8,
                                                  D3DPOOL_MANAGED, &texture));
  EXPECT_EQ(D3DERR_INVALIDCALL, D3DXCreateTexture(device, 8, 8, 1, 0, D3DFMT_A8R8G8B8,
                                                  D3DPOOL_MANAGED, nullptr));
  FailNext("CreateTexture", E_OUTOFMEMORY);
  EXPECT_EQ(E_OUTOFMEMORY, D3DXCreateTexture(device, 8, 8, 1, 0, D3DFMT_A8R8G8B8,
                                             D3DPOOL_MANAGED, &texture));
  setup->profile.textureFormats = {D3DFMT_D16};
  EXPECT_EQ(D3DERR_NOTAVAILABLE, D3DXCreateTexture(device, 8, 8, 1, 0, D3DFMT_A8R8G8B8,
                                                   D3DPOOL_MANAGED, &texture));
  EXPECT_EQ(reinterpret_cast<IDirect3DTexture9*>(0x1), texture);

  IDirect3DCubeTexture9* cube = reinterpret_cast<IDirect3DCubeTexture9*>(0x1);
  FailNext("CreateCubeTexture", E_OUTOFMEMORY);
  setup->profile = d3d9::AdapterProfile::Standard();
  EXPECT_EQ(E_OUTOFMEMORY, D3DXCreateCubeTexture(device, 8, 1, 0, D3DFMT_A8R8G8B8,
                                                 D3DPOOL_MANAGED, &cube));
  EXPECT_EQ(reinterpret_cast<IDirect3DCubeTexture9*>(0x1), cube);
  IDirect3DVolumeTexture9* volume = reinterpret_cast<IDirect3DVolumeTexture9*>(0x1);
  FailNext("CreateVolumeTexture", E_OUTOFMEMORY);
  EXPECT_EQ(E_OUTOFMEMORY, D3DXCreateVolumeTexture(device, 8, 8, 8, 1, 0, D3DFMT_A8R8G8B8,
                                                   D3DPOOL_MANAGED, &volume));
  EXPECT_EQ(reinterpret_cast<IDirect3DVolumeTexture9*>(0x1), volume);
}

}  // namespace
}  // namespace image_test
