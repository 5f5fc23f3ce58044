// A test device with helpers: 64 x 64 X8R8G8B8 back buffer on a test setup, screen-space
// vertices, textures filled from pixel lists, and the back buffer read through
// GetRenderTargetData as an application would.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/d3d9/d3d9.h"
#include "platform/d3d9/test_device.h"
#include "platform/win32/com_object.h"

namespace d3d9_test {

// D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1.
struct ScreenVertex {
  float x, y, z, rhw;
  D3DCOLOR colour;
  float u, v;
};
constexpr DWORD screenVertexFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;

// The device's render target of width x height as 0x00RRGGBB values (alpha dropped).
std::vector<std::uint32_t> ReadRenderTarget(IDirect3DDevice9* device, UINT width, UINT height);
// The cells of a lockable depth-stencil surface, row after row, each as stored (2 bytes for
// D16_LOCKABLE, 4 otherwise).
std::vector<std::uint32_t> ReadDepthCells(IDirect3DSurface9* surface);

class DeviceTest : public ::testing::Test {
 protected:
  static constexpr UINT width = 64;
  static constexpr UINT height = 64;

  void SetUp() override {
    setup = std::make_shared<d3d9::TestSetup>();
    ASSERT_EQ(S_OK, d3d9::CreateTestDevice(setup, width, height, &device));
  }
  void TearDown() override {
    if (device != nullptr) {
      EXPECT_EQ(0u, device->Release());
    }
  }

  // The back buffer as 0x00RRGGBB values (alpha dropped).
  std::vector<std::uint32_t> ReadBack();
  std::uint32_t PixelAt(int x, int y) { return ReadBack()[std::size_t(y) * width + x]; }
  void ClearTo(D3DCOLOR colour);

  // A managed A8R8G8B8 texture with `texels` (row after row) in level 0.
  win32::ComRef<IDirect3DTexture9> MakeTexture(UINT w, UINT h,
                                               const std::vector<std::uint32_t>& texels,
                                               UINT levels = 1);
  void FillLevel(IDirect3DTexture9* texture, UINT level, const std::vector<std::uint32_t>& texels);

  // Draws an axis-aligned quad of pre-transformed vertices as a two-triangle fan.
  void DrawQuad(float left, float top, float right, float bottom, D3DCOLOR colour, float u0 = 0,
                float v0 = 0, float u1 = 1, float v1 = 1);

  std::shared_ptr<d3d9::TestSetup> setup;
  IDirect3DDevice9* device = nullptr;
};

}  // namespace d3d9_test
