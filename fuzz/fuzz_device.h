// Pieces the device and sprite fuzz targets share: a fresh test device per input that must
// be left with no references, textures of any format and contents, and matrices.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "fuzz/fuzz_input.h"
#include "platform/d3d9/format_info.h"
#include "platform/d3d9/test_device.h"

namespace fuzz {

// A device of width x height on its own setup. Release() reports a device that outlives its
// last reference from the target: something kept a reference it should have dropped.
struct FuzzDevice {
  std::shared_ptr<d3d9::TestSetup> setup = std::make_shared<d3d9::TestSetup>();
  IDirect3DDevice9* device = nullptr;

  FuzzDevice(UINT width, UINT height) { d3d9::CreateTestDevice(setup, width, height, &device); }
  FuzzDevice(const FuzzDevice&) = delete;
  FuzzDevice& operator=(const FuzzDevice&) = delete;
  ~FuzzDevice() {
    if (device == nullptr) return;
    const ULONG left = device->Release();
    if (left != 0) {
      std::fprintf(stderr, "the device keeps %u references after its last release\n",
                   static_cast<unsigned>(left));
      std::abort();
    }
  }
};

// Mostly the identity, otherwise 16 floats (usually small, any float now and then).
inline D3DMATRIX ReadMatrix(FuzzInput& in) {
  D3DMATRIX matrix{};
  if (in.Bool()) {
    for (int i = 0; i < 4; ++i) matrix.m[i][i] = 1.0f;
    return matrix;
  }
  for (auto& row : matrix.m) {
    for (float& value : row) value = in.Float();
  }
  return matrix;
}

// A managed texture of one of the device's texture formats, 1 to 16 texels a side, with up to
// five levels, every level filled from the input. Null when the device refuses it.
inline constexpr D3DFORMAT kTextureFormats[] = {
      D3DFMT_A8R8G8B8,    D3DFMT_X8R8G8B8,     D3DFMT_R5G6B5,       D3DFMT_X1R5G5B5,
      D3DFMT_A1R5G5B5,    D3DFMT_A4R4G4B4,     D3DFMT_X4R4G4B4,     D3DFMT_A2B10G10R10,
      D3DFMT_A2R10G10B10, D3DFMT_A8B8G8R8,     D3DFMT_X8B8G8R8,     D3DFMT_G16R16,
      D3DFMT_A16B16G16R16, D3DFMT_A8,          D3DFMT_L8,           D3DFMT_A8L8,
      D3DFMT_L16,         D3DFMT_R16F,         D3DFMT_G16R16F,      D3DFMT_A16B16G16R16F,
      D3DFMT_R32F,        D3DFMT_G32R32F,      D3DFMT_A32B32G32R32F, D3DFMT_DXT1,
      D3DFMT_DXT2,        D3DFMT_DXT3,         D3DFMT_DXT4,         D3DFMT_DXT5};

inline IDirect3DTexture9* ReadTexture(FuzzInput& in, IDirect3DDevice9* device) {
  const D3DFORMAT format = in.OneOf(kTextureFormats);
  const UINT width = 1 + in.Below(16);
  const UINT height = 1 + in.Below(16);
  const UINT levels = in.Below(5);
  IDirect3DTexture9* texture = nullptr;
  if (FAILED(device->CreateTexture(width, height, levels, 0, format, D3DPOOL_MANAGED, &texture,
                                   nullptr))) {
    return nullptr;
  }
  for (UINT level = 0; level < texture->GetLevelCount(); ++level) {
    D3DSURFACE_DESC desc{};
    D3DLOCKED_RECT locked{};
    if (FAILED(texture->GetLevelDesc(level, &desc)) ||
        FAILED(texture->LockRect(level, &locked, nullptr, 0))) {
      continue;
    }
    in.Fill(locked.pBits, std::size_t(locked.Pitch) * d3d9::MemoryRowsOf(format, desc.Height));
    texture->UnlockRect(level);
  }
  return texture;
}

// A cube texture of up to 16 texels an edge, each face's levels filled from the input.
inline IDirect3DCubeTexture9* ReadCubeTexture(FuzzInput& in, IDirect3DDevice9* device) {
  const D3DFORMAT format = in.OneOf(kTextureFormats);
  const UINT edge = 1 + in.Below(16);
  IDirect3DCubeTexture9* texture = nullptr;
  if (FAILED(device->CreateCubeTexture(edge, in.Below(5), 0, format, D3DPOOL_MANAGED, &texture,
                                       nullptr))) {
    return nullptr;
  }
  for (UINT face = 0; face < 6; ++face) {
    for (UINT level = 0; level < texture->GetLevelCount(); ++level) {
      D3DSURFACE_DESC desc{};
      D3DLOCKED_RECT locked{};
      const auto cubeFace = static_cast<D3DCUBEMAP_FACES>(face);
      if (FAILED(texture->GetLevelDesc(level, &desc)) ||
          FAILED(texture->LockRect(cubeFace, level, &locked, nullptr, 0))) {
        continue;
      }
      in.Fill(locked.pBits, std::size_t(locked.Pitch) * d3d9::MemoryRowsOf(format, desc.Height));
      texture->UnlockRect(cubeFace, level);
    }
  }
  return texture;
}

// A volume texture of up to 8 texels a side, its levels filled from the input.
inline IDirect3DVolumeTexture9* ReadVolumeTexture(FuzzInput& in, IDirect3DDevice9* device) {
  const D3DFORMAT format = in.OneOf(kTextureFormats);
  const UINT width = 1 + in.Below(8), height = 1 + in.Below(8), depth = 1 + in.Below(8);
  IDirect3DVolumeTexture9* texture = nullptr;
  if (FAILED(device->CreateVolumeTexture(width, height, depth, in.Below(5), 0, format,
                                         D3DPOOL_MANAGED, &texture, nullptr))) {
    return nullptr;
  }
  for (UINT level = 0; level < texture->GetLevelCount(); ++level) {
    D3DVOLUME_DESC desc{};
    D3DLOCKED_BOX locked{};
    if (FAILED(texture->GetLevelDesc(level, &desc)) ||
        FAILED(texture->LockBox(level, &locked, nullptr, 0))) {
      continue;
    }
    in.Fill(locked.pBits,
            std::size_t(locked.SlicePitch) * desc.Depth);
    texture->UnlockBox(level);
  }
  return texture;
}

}  // namespace fuzz
