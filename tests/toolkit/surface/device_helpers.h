// A test device for the loader tests, with textures and surfaces filled and read as 32-bit
// images. Every test ends by releasing the device, which must then be gone: nothing the
// loader obtained from it may still be held.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "blit_helpers.h"
#include "platform/d3d9/d3d9.h"
#include "platform/d3d9/test_device.h"
#include "platform/win32/com_object.h"

class SurfaceDeviceTest : public testing::Test {
 protected:
  void SetUp() override {
    setup = std::make_shared<d3d9::TestSetup>();
    ASSERT_EQ(S_OK, d3d9::CreateTestDevice(setup, 64, 64, &device));
  }
  void TearDown() override {
    if (device != nullptr) {
      EXPECT_EQ(0u, device->Release());
    }
  }

  win32::ComRef<IDirect3DTexture9> MakeTexture(UINT w, UINT h, UINT levels = 1,
                                               D3DFORMAT format = D3DFMT_A8R8G8B8,
                                               D3DPOOL pool = D3DPOOL_MANAGED, DWORD usage = 0) {
    win32::ComRef<IDirect3DTexture9> texture;
    EXPECT_EQ(S_OK,
              device->CreateTexture(w, h, levels, usage, format, pool, texture.Receive(), nullptr));
    return texture;
  }

  // Level `level` of `texture`.
 public:
  static win32::ComRef<IDirect3DSurface9> Level(IDirect3DTexture9* texture, UINT level = 0) {
    win32::ComRef<IDirect3DSurface9> surface;
    EXPECT_EQ(S_OK, texture->GetSurfaceLevel(level, surface.Receive()));
    return surface;
  }

  // Writes a 32-bit image into a lockable surface of its size.
  static void Fill(IDirect3DSurface9* surface, const Image32& image) {
    D3DLOCKED_RECT bits;
    ASSERT_EQ(S_OK, surface->LockRect(&bits, nullptr, 0));
    for (UINT y = 0; y < image.height; ++y) {
      std::memcpy(static_cast<BYTE*>(bits.pBits) + y * bits.Pitch, &image.pixels[y * image.width],
                  image.width * 4);
    }
    surface->UnlockRect();
  }

  // Reads a lockable 32-bit surface.
  static Image32 Read(IDirect3DSurface9* surface) {
    D3DSURFACE_DESC desc;
    surface->GetDesc(&desc);
    Image32 image(desc.Width, desc.Height);
    D3DLOCKED_RECT bits;
    EXPECT_EQ(S_OK, surface->LockRect(&bits, nullptr, D3DLOCK_READONLY));
    for (UINT y = 0; y < image.height; ++y) {
      std::memcpy(&image.pixels[y * image.width],
                  static_cast<const BYTE*>(bits.pBits) + y * bits.Pitch, image.width * 4);
    }
    surface->UnlockRect();
    return image;
  }

 protected:
  // Writes and reads a 32-bit surface of D3DPOOL_DEFAULT that the CPU cannot lock, through
  // system memory and a lockable render target.
  void FillDefault(IDirect3DSurface9* surface, const Image32& image) {
    IDirect3DSurface9* staging = nullptr;
    ASSERT_EQ(S_OK, device->CreateOffscreenPlainSurface(image.width, image.height, D3DFMT_A8R8G8B8,
                                                        D3DPOOL_SYSTEMMEM, &staging, nullptr));
    Fill(staging, image);
    EXPECT_EQ(S_OK, device->UpdateSurface(staging, nullptr, surface, nullptr));
    staging->Release();
  }
  Image32 ReadDefault(IDirect3DSurface9* surface) {
    D3DSURFACE_DESC desc;
    surface->GetDesc(&desc);
    IDirect3DSurface9* target = nullptr;
    EXPECT_EQ(S_OK, device->CreateRenderTarget(desc.Width, desc.Height, desc.Format,
                                               D3DMULTISAMPLE_NONE, 0, TRUE, &target, nullptr));
    EXPECT_EQ(S_OK, device->StretchRect(surface, nullptr, target, nullptr, D3DTEXF_NONE));
    Image32 image = Read(target);
    target->Release();
    return image;
  }

  std::shared_ptr<d3d9::TestSetup> setup;
  IDirect3DDevice9* device = nullptr;
};
