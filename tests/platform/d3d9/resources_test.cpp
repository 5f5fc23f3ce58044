// Resources with exactly the shape asked for, the pool rules of locking, and the copies
// between pools.
#include <cstring>

#include "platform/win32/com_object.h"
#include "tests/platform/d3d9/device_fixture.h"

namespace d3d9_test {
namespace {

using ResourcesTest = DeviceTest;

TEST_F(ResourcesTest, TexturesHaveTheSizeLevelsFormatAndPoolAsked) {
  win32::ComRef<IDirect3DTexture9> texture;
  ASSERT_EQ(S_OK, device->CreateTexture(128, 64, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                        texture.Receive(), nullptr));
  EXPECT_EQ(8u, texture->GetLevelCount());
  EXPECT_EQ(D3DRTYPE_TEXTURE, texture->GetType());
  const UINT widths[8] = {128, 64, 32, 16, 8, 4, 2, 1};
  const UINT heights[8] = {64, 32, 16, 8, 4, 2, 1, 1};
  for (UINT level = 0; level < 8; ++level) {
    D3DSURFACE_DESC desc;
    ASSERT_EQ(S_OK, texture->GetLevelDesc(level, &desc));
    EXPECT_EQ(widths[level], desc.Width);
    EXPECT_EQ(heights[level], desc.Height);
    EXPECT_EQ(D3DFMT_A8R8G8B8, desc.Format);
    EXPECT_EQ(D3DPOOL_MANAGED, desc.Pool);
    EXPECT_EQ(D3DRTYPE_SURFACE, desc.Type);
  }
  D3DSURFACE_DESC desc;
  EXPECT_EQ(D3DERR_INVALIDCALL, texture->GetLevelDesc(8, &desc));
  texture.Reset();
  // More levels than the chain has, or a size of 0, cannot be made.
  EXPECT_EQ(D3DERR_INVALIDCALL, device->CreateTexture(4, 4, 4, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                                      texture.Receive(), nullptr));
  EXPECT_EQ(D3DERR_INVALIDCALL, device->CreateTexture(0, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                                      texture.Receive(), nullptr));
  EXPECT_EQ(D3DERR_INVALIDCALL, device->CreateTexture(8192, 4, 1, 0, D3DFMT_A8R8G8B8,
                                                      D3DPOOL_MANAGED, texture.Receive(), nullptr));
}

TEST_F(ResourcesTest, PitchesAreBytesPerRowAndBlocksForDxt) {
  const struct {
    D3DFORMAT format;
    UINT width;
    INT pitch;
  } cases[] = {{D3DFMT_A8R8G8B8, 20, 80}, {D3DFMT_R5G6B5, 20, 40}, {D3DFMT_L8, 20, 20},
               {D3DFMT_A16B16G16R16F, 20, 160}, {D3DFMT_A32B32G32R32F, 8, 128},
               {D3DFMT_DXT1, 20, 40}, {D3DFMT_DXT5, 20, 80}};
  for (const auto& c : cases) {
    win32::ComRef<IDirect3DTexture9> texture;
    ASSERT_EQ(S_OK, device->CreateTexture(c.width, 8, 1, 0, c.format, D3DPOOL_MANAGED,
                                          texture.Receive(), nullptr));
    D3DLOCKED_RECT locked;
    ASSERT_EQ(S_OK, texture->LockRect(0, &locked, nullptr, 0));
    EXPECT_EQ(c.pitch, locked.Pitch) << c.format;
    texture->UnlockRect(0);
    // A lock of a part starts at its first pixel (or block).
    const RECT part = {4, 4, 8, 8};
    ASSERT_EQ(S_OK, texture->LockRect(0, &locked, &part, 0));
    void* corner = locked.pBits;
    texture->UnlockRect(0);
    ASSERT_EQ(S_OK, texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY));
    const bool block = c.format == D3DFMT_DXT1 || c.format == D3DFMT_DXT5;
    const std::ptrdiff_t offset = block ? c.pitch + (c.format == D3DFMT_DXT1 ? 8 : 16)
                                        : 4 * c.pitch + 4 * (c.pitch / INT(c.width));
    EXPECT_EQ(static_cast<BYTE*>(locked.pBits) + offset, corner) << c.format;
    texture->UnlockRect(0);
  }
}

TEST_F(ResourcesTest, DefaultPoolTexturesLockOnlyWhenDynamic) {
  win32::ComRef<IDirect3DTexture9> plain;
  win32::ComRef<IDirect3DTexture9> dynamic;
  ASSERT_EQ(S_OK, device->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT,
                                        plain.Receive(), nullptr));
  ASSERT_EQ(S_OK, device->CreateTexture(8, 8, 1, D3DUSAGE_DYNAMIC, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT,
                                        dynamic.Receive(), nullptr));
  D3DLOCKED_RECT locked;
  EXPECT_EQ(D3DERR_INVALIDCALL, plain->LockRect(0, &locked, nullptr, 0));
  win32::ComRef<IDirect3DSurface9> level;
  ASSERT_EQ(S_OK, plain->GetSurfaceLevel(0, level.Receive()));
  EXPECT_EQ(D3DERR_INVALIDCALL, level->LockRect(&locked, nullptr, 0));
  level.Reset();
  EXPECT_EQ(S_OK, dynamic->LockRect(0, &locked, nullptr, D3DLOCK_DISCARD));
  EXPECT_EQ(D3DERR_INVALIDCALL, dynamic->LockRect(0, &locked, nullptr, 0));  // locked already
  EXPECT_EQ(S_OK, dynamic->UnlockRect(0));
  EXPECT_EQ(D3DERR_INVALIDCALL, dynamic->UnlockRect(0));
  plain.Reset();
  dynamic.Reset();
  for (D3DPOOL pool : {D3DPOOL_MANAGED, D3DPOOL_SYSTEMMEM, D3DPOOL_SCRATCH}) {
    win32::ComRef<IDirect3DTexture9> texture;
    ASSERT_EQ(S_OK,
              device->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, pool, texture.Receive(), nullptr));
    EXPECT_EQ(S_OK, texture->LockRect(0, &locked, nullptr, 0)) << pool;
    texture->UnlockRect(0);
  }
  // Dynamic textures live in the default pool only.
  win32::ComRef<IDirect3DTexture9> refused;
  EXPECT_EQ(D3DERR_INVALIDCALL, device->CreateTexture(8, 8, 1, D3DUSAGE_DYNAMIC, D3DFMT_A8R8G8B8,
                                                      D3DPOOL_MANAGED, refused.Receive(), nullptr));
}

TEST_F(ResourcesTest, RenderTargetsLockOnlyWhenAskedLockable) {
  win32::ComRef<IDirect3DSurface9> locking;
  win32::ComRef<IDirect3DSurface9> sealed;
  ASSERT_EQ(S_OK, device->CreateRenderTarget(8, 8, D3DFMT_A8R8G8B8, D3DMULTISAMPLE_NONE, 0, TRUE,
                                             locking.Receive(), nullptr));
  ASSERT_EQ(S_OK, device->CreateRenderTarget(8, 8, D3DFMT_A8R8G8B8, D3DMULTISAMPLE_NONE, 0, FALSE,
                                             sealed.Receive(), nullptr));
  D3DLOCKED_RECT locked;
  EXPECT_EQ(S_OK, locking->LockRect(&locked, nullptr, 0));
  locking->UnlockRect();
  EXPECT_EQ(D3DERR_INVALIDCALL, sealed->LockRect(&locked, nullptr, 0));
  win32::ComRef<IDirect3DSurface9> backBuffer;
  ASSERT_EQ(S_OK, device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, backBuffer.Receive()));
  EXPECT_EQ(D3DERR_INVALIDCALL, backBuffer->LockRect(&locked, nullptr, 0));
}

TEST_F(ResourcesTest, UpdateTextureCopiesEveryLevelFromSystemMemory) {
  win32::ComRef<IDirect3DTexture9> staging;
  win32::ComRef<IDirect3DTexture9> target;
  ASSERT_EQ(S_OK, device->CreateTexture(8, 8, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM,
                                        staging.Receive(), nullptr));
  ASSERT_EQ(S_OK, device->CreateTexture(8, 8, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT,
                                        target.Receive(), nullptr));
  for (UINT level = 0; level < 4; ++level) {
    const UINT size = 8 >> level;
    FillLevel(staging.Get(), level,
              std::vector<std::uint32_t>(std::size_t(size) * size, 0xFF000010 + level));
  }
  ASSERT_EQ(S_OK, device->UpdateTexture(staging.Get(), target.Get()));
  // Read the default-pool levels back through a render target copy.
  for (UINT level = 0; level < 4; ++level) {
    const UINT size = 8 >> level;
    win32::ComRef<IDirect3DSurface9> source;
    win32::ComRef<IDirect3DSurface9> readable;
    ASSERT_EQ(S_OK, target->GetSurfaceLevel(level, source.Receive()));
    ASSERT_EQ(S_OK, device->CreateRenderTarget(size, size, D3DFMT_A8R8G8B8, D3DMULTISAMPLE_NONE, 0,
                                               TRUE, readable.Receive(), nullptr));
    ASSERT_EQ(S_OK,
              device->StretchRect(source.Get(), nullptr, readable.Get(), nullptr, D3DTEXF_NONE));
    D3DLOCKED_RECT locked;
    ASSERT_EQ(S_OK, readable->LockRect(&locked, nullptr, D3DLOCK_READONLY));
    EXPECT_EQ(0xFF000010 + level, *static_cast<std::uint32_t*>(locked.pBits)) << level;
    readable->UnlockRect();
  }
  // Wrong direction or mismatched shapes are refused.
  EXPECT_EQ(D3DERR_INVALIDCALL, device->UpdateTexture(target.Get(), staging.Get()));
  win32::ComRef<IDirect3DTexture9> bigger;
  ASSERT_EQ(S_OK, device->CreateTexture(16, 16, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT,
                                        bigger.Receive(), nullptr));
  EXPECT_EQ(D3DERR_INVALIDCALL, device->UpdateTexture(staging.Get(), bigger.Get()));
}

TEST_F(ResourcesTest, UpdateTextureMatchesLevelsBySizeWhenTheSourceHasMore) {
  win32::ComRef<IDirect3DTexture9> staging;
  win32::ComRef<IDirect3DTexture9> target;
  ASSERT_EQ(S_OK, device->CreateTexture(16, 16, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM,
                                        staging.Receive(), nullptr));
  ASSERT_EQ(S_OK, device->CreateTexture(8, 8, 2, 0, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT,
                                        target.Receive(), nullptr));
  FillLevel(staging.Get(), 1, std::vector<std::uint32_t>(64, 0xFFABCDEF));
  EXPECT_EQ(S_OK, device->UpdateTexture(staging.Get(), target.Get()));
}

TEST_F(ResourcesTest, UpdateSurfaceCopiesARectangleToAPoint) {
  win32::ComRef<IDirect3DSurface9> source;
  win32::ComRef<IDirect3DSurface9> target;
  ASSERT_EQ(S_OK, device->CreateOffscreenPlainSurface(4, 4, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM,
                                                      source.Receive(), nullptr));
  ASSERT_EQ(S_OK, device->CreateRenderTarget(8, 8, D3DFMT_A8R8G8B8, D3DMULTISAMPLE_NONE, 0, TRUE,
                                             target.Receive(), nullptr));
  D3DLOCKED_RECT locked;
  ASSERT_EQ(S_OK, source->LockRect(&locked, nullptr, 0));
  for (int i = 0; i < 16; ++i) static_cast<std::uint32_t*>(locked.pBits)[i] = 0xFF000000u + i;
  source->UnlockRect();
  ASSERT_EQ(S_OK, device->ColorFill(target.Get(), nullptr, 0xFF777777));
  const RECT part = {1, 1, 3, 3};
  const POINT at = {5, 6};
  ASSERT_EQ(S_OK, device->UpdateSurface(source.Get(), &part, target.Get(), &at));
  ASSERT_EQ(S_OK, target->LockRect(&locked, nullptr, D3DLOCK_READONLY));
  const auto pixel = [&](int x, int y) {
    return static_cast<std::uint32_t*>(locked.pBits)[y * (locked.Pitch / 4) + x];
  };
  EXPECT_EQ(0xFF000005u, pixel(5, 6));
  EXPECT_EQ(0xFF00000Au, pixel(6, 7));
  EXPECT_EQ(0xFF777777u, pixel(4, 6));
  target->UnlockRect();
  const POINT outside = {7, 7};
  EXPECT_EQ(D3DERR_INVALIDCALL, device->UpdateSurface(source.Get(), &part, target.Get(), &outside));
}

TEST_F(ResourcesTest, StretchRectScalesBetweenRenderTargets) {
  win32::ComRef<IDirect3DSurface9> source;
  win32::ComRef<IDirect3DSurface9> target;
  ASSERT_EQ(S_OK, device->CreateRenderTarget(2, 2, D3DFMT_X8R8G8B8, D3DMULTISAMPLE_NONE, 0, TRUE,
                                             source.Receive(), nullptr));
  ASSERT_EQ(S_OK, device->CreateRenderTarget(4, 4, D3DFMT_A8R8G8B8, D3DMULTISAMPLE_NONE, 0, TRUE,
                                             target.Receive(), nullptr));
  const RECT left = {0, 0, 1, 2};
  ASSERT_EQ(S_OK, device->ColorFill(source.Get(), &left, 0xFF0000FF));
  const RECT right = {1, 0, 2, 2};
  ASSERT_EQ(S_OK, device->ColorFill(source.Get(), &right, 0xFFFF0000));
  ASSERT_EQ(S_OK, device->StretchRect(source.Get(), nullptr, target.Get(), nullptr, D3DTEXF_POINT));
  D3DLOCKED_RECT locked;
  ASSERT_EQ(S_OK, target->LockRect(&locked, nullptr, D3DLOCK_READONLY));
  const auto* row = static_cast<std::uint32_t*>(locked.pBits);
  EXPECT_EQ(0xFF0000FFu, row[1]);
  EXPECT_EQ(0xFFFF0000u, row[2]);
  target->UnlockRect();
  EXPECT_EQ(D3DERR_INVALIDCALL,
            device->StretchRect(source.Get(), nullptr, source.Get(), nullptr, D3DTEXF_NONE));
}

TEST_F(ResourcesTest, CubeAndVolumeTexturesAndTheirLevels) {
  win32::ComRef<IDirect3DCubeTexture9> cube;
  ASSERT_EQ(S_OK, device->CreateCubeTexture(16, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                            cube.Receive(), nullptr));
  EXPECT_EQ(5u, cube->GetLevelCount());
  EXPECT_EQ(D3DRTYPE_CUBETEXTURE, cube->GetType());
  win32::ComRef<IDirect3DSurface9> face;
  ASSERT_EQ(S_OK, cube->GetCubeMapSurface(D3DCUBEMAP_FACE_NEGATIVE_Z, 2, face.Receive()));
  D3DSURFACE_DESC desc;
  face->GetDesc(&desc);
  EXPECT_EQ(4u, desc.Width);
  win32::ComRef<IDirect3DCubeTexture9> container;
  ASSERT_EQ(S_OK, face->GetContainer(IID_IDirect3DCubeTexture9,
                                     reinterpret_cast<void**>(container.Receive())));
  EXPECT_EQ(cube.Get(), container.Get());
  container.Reset();
  face.Reset();
  cube.Reset();

  win32::ComRef<IDirect3DVolumeTexture9> volume;
  ASSERT_EQ(S_OK, device->CreateVolumeTexture(8, 4, 2, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                              volume.Receive(), nullptr));
  EXPECT_EQ(4u, volume->GetLevelCount());
  D3DVOLUME_DESC level;
  ASSERT_EQ(S_OK, volume->GetLevelDesc(1, &level));
  EXPECT_EQ(4u, level.Width);
  EXPECT_EQ(2u, level.Height);
  EXPECT_EQ(1u, level.Depth);
  D3DLOCKED_BOX box;
  ASSERT_EQ(S_OK, volume->LockBox(0, &box, nullptr, 0));
  EXPECT_EQ(32, box.RowPitch);
  EXPECT_EQ(128, box.SlicePitch);
  volume->UnlockBox(0);
}

TEST_F(ResourcesTest, LockRectanglesOutsideTheSurfaceOrOffTheBlockGridAreRefused) {
  IDirect3DTexture9* texture = nullptr;
  ASSERT_EQ(S_OK, device->CreateTexture(8, 8, 1, 0, D3DFMT_DXT1, D3DPOOL_MANAGED, &texture, nullptr));
  D3DLOCKED_RECT locked;
  const RECT misaligned = {2, 0, 6, 4};
  const RECT outside = {4, 4, 12, 8};
  EXPECT_EQ(D3DERR_INVALIDCALL, texture->LockRect(0, &locked, &misaligned, 0));
  EXPECT_EQ(D3DERR_INVALIDCALL, texture->LockRect(0, &locked, &outside, 0));
  texture->Release();
}

}  // namespace
}  // namespace d3d9_test
