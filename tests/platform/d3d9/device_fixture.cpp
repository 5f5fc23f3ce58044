#include "tests/platform/d3d9/device_fixture.h"

#include <cstring>

namespace d3d9_test {

std::vector<std::uint32_t> ReadRenderTarget(IDirect3DDevice9* device, UINT width, UINT height) {
  std::vector<std::uint32_t> pixels(std::size_t(width) * height);
  IDirect3DSurface9* target = nullptr;
  IDirect3DSurface9* copy = nullptr;
  EXPECT_EQ(S_OK, device->GetRenderTarget(0, &target));
  EXPECT_EQ(S_OK, device->CreateOffscreenPlainSurface(width, height, D3DFMT_X8R8G8B8,
                                                      D3DPOOL_SYSTEMMEM, &copy, nullptr));
  EXPECT_EQ(S_OK, device->GetRenderTargetData(target, copy));
  D3DLOCKED_RECT locked;
  EXPECT_EQ(S_OK, copy->LockRect(&locked, nullptr, D3DLOCK_READONLY));
  for (UINT y = 0; y < height; ++y) {
    const BYTE* bytes = static_cast<const BYTE*>(locked.pBits) + std::size_t(y) * locked.Pitch;
    const auto* row = reinterpret_cast<const std::uint32_t*>(bytes);
    for (UINT x = 0; x < width; ++x) pixels[std::size_t(y) * width + x] = row[x] & 0x00FFFFFF;
  }
  copy->UnlockRect();
  copy->Release();
  target->Release();
  return pixels;
}

std::vector<std::uint32_t> ReadDepthCells(IDirect3DSurface9* surface) {
  D3DSURFACE_DESC desc;
  EXPECT_EQ(S_OK, surface->GetDesc(&desc));
  std::vector<std::uint32_t> cells(std::size_t(desc.Width) * desc.Height);
  D3DLOCKED_RECT locked;
  EXPECT_EQ(S_OK, surface->LockRect(&locked, nullptr, D3DLOCK_READONLY));
  if (locked.pBits == nullptr) return cells;
  const std::size_t cellBytes = desc.Format == D3DFMT_D16_LOCKABLE ? 2 : 4;
  for (UINT y = 0; y < desc.Height; ++y) {
    const BYTE* row = static_cast<const BYTE*>(locked.pBits) + std::size_t(y) * locked.Pitch;
    for (UINT x = 0; x < desc.Width; ++x) {
      std::memcpy(&cells[std::size_t(y) * desc.Width + x], row + x * cellBytes, cellBytes);
    }
  }
  surface->UnlockRect();
  return cells;
}

std::vector<std::uint32_t> DeviceTest::ReadBack() {
  return ReadRenderTarget(device, width, height);
}

void DeviceTest::ClearTo(D3DCOLOR colour) {
  ASSERT_EQ(S_OK, device->Clear(0, nullptr, D3DCLEAR_TARGET, colour, 1.0f, 0));
}

void DeviceTest::FillLevel(IDirect3DTexture9* texture, UINT level,
                           const std::vector<std::uint32_t>& texels) {
  D3DSURFACE_DESC desc;
  ASSERT_EQ(S_OK, texture->GetLevelDesc(level, &desc));
  ASSERT_EQ(std::size_t(desc.Width) * desc.Height, texels.size());
  D3DLOCKED_RECT locked;
  ASSERT_EQ(S_OK, texture->LockRect(level, &locked, nullptr, 0));
  for (UINT y = 0; y < desc.Height; ++y) {
    std::memcpy(static_cast<BYTE*>(locked.pBits) + std::size_t(y) * locked.Pitch,
                texels.data() + std::size_t(y) * desc.Width, std::size_t(desc.Width) * 4);
  }
  ASSERT_EQ(S_OK, texture->UnlockRect(level));
}

win32::ComRef<IDirect3DTexture9> DeviceTest::MakeTexture(UINT w, UINT h,
                                                         const std::vector<std::uint32_t>& texels,
                                                         UINT levels) {
  win32::ComRef<IDirect3DTexture9> texture;
  EXPECT_EQ(S_OK, device->CreateTexture(w, h, levels, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                        texture.Receive(), nullptr));
  if (texture) FillLevel(texture.Get(), 0, texels);
  return texture;
}

void DeviceTest::DrawQuad(float left, float top, float right, float bottom, D3DCOLOR colour,
                          float u0, float v0, float u1, float v1) {
  const ScreenVertex quad[4] = {{left, top, 0, 1, colour, u0, v0},
                                {right, top, 0, 1, colour, u1, v0},
                                {right, bottom, 0, 1, colour, u1, v1},
                                {left, bottom, 0, 1, colour, u0, v1}};
  ASSERT_EQ(S_OK, device->SetFVF(screenVertexFvf));
  ASSERT_EQ(S_OK, device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, quad, sizeof(ScreenVertex)));
}

}  // namespace d3d9_test
