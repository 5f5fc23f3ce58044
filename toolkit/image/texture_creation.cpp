// The published requirement checks and plain texture creation over CheckRequirements.

#include "toolkit/common/defaults.h"
#include "toolkit/image/d3dx_image.h"
#include "toolkit/image/texture_requirements.h"

HRESULT D3DXCheckTextureRequirements(IDirect3DDevice9* device, UINT* width, UINT* height,
                                     UINT* mipLevels, DWORD usage, D3DFORMAT* format,
                                     D3DPOOL pool) {
  return CheckRequirements(device, width, height, nullptr, mipLevels, usage, format, pool,
                           D3DRTYPE_TEXTURE);
}

HRESULT D3DXCheckCubeTextureRequirements(IDirect3DDevice9* device, UINT* size, UINT* mipLevels,
                                         DWORD usage, D3DFORMAT* format, D3DPOOL pool) {
  return CheckRequirements(device, size, size, nullptr, mipLevels, usage, format, pool,
                           D3DRTYPE_CUBETEXTURE);
}

HRESULT D3DXCheckVolumeTextureRequirements(IDirect3DDevice9* device, UINT* width, UINT* height,
                                           UINT* depth, UINT* mipLevels, DWORD usage,
                                           D3DFORMAT* format, D3DPOOL pool) {
  return CheckRequirements(device, width, height, depth, mipLevels, usage, format, pool,
                           D3DRTYPE_VOLUMETEXTURE);
}

namespace {

DWORD UsageOrNone(DWORD usage) { return usage == D3DX_DEFAULT ? 0 : usage; }

}  // namespace

HRESULT D3DXCreateTexture(IDirect3DDevice9* device, UINT width, UINT height, UINT mipLevels,
                          DWORD usage, D3DFORMAT format, D3DPOOL pool,
                          IDirect3DTexture9** texture) {
  if (device == nullptr || texture == nullptr) return D3DERR_INVALIDCALL;
  usage = UsageOrNone(usage);
  const HRESULT checked = CheckRequirements(device, &width, &height, nullptr, &mipLevels, usage,
                                            &format, pool, D3DRTYPE_TEXTURE);
  if (FAILED(checked)) return checked;
  IDirect3DTexture9* made = nullptr;
  const HRESULT created = device->CreateTexture(
      width, height, mipLevels, usage & textureUsageWithoutQueries, format, pool, &made, nullptr);
  if (FAILED(created)) return created;
  *texture = made;
  return S_OK;
}

HRESULT D3DXCreateCubeTexture(IDirect3DDevice9* device, UINT size, UINT mipLevels, DWORD usage,
                              D3DFORMAT format, D3DPOOL pool, IDirect3DCubeTexture9** texture) {
  if (device == nullptr || texture == nullptr) return D3DERR_INVALIDCALL;
  usage = UsageOrNone(usage);
  const HRESULT checked = CheckRequirements(device, &size, &size, nullptr, &mipLevels, usage,
                                            &format, pool, D3DRTYPE_CUBETEXTURE);
  if (FAILED(checked)) return checked;
  IDirect3DCubeTexture9* made = nullptr;
  const HRESULT created = device->CreateCubeTexture(
      size, mipLevels, usage & textureUsageWithoutQueries, format, pool, &made, nullptr);
  if (FAILED(created)) return created;
  *texture = made;
  return S_OK;
}

HRESULT D3DXCreateVolumeTexture(IDirect3DDevice9* device, UINT width, UINT height, UINT depth,
                                UINT mipLevels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                IDirect3DVolumeTexture9** texture) {
  if (device == nullptr || texture == nullptr) return D3DERR_INVALIDCALL;
  usage = UsageOrNone(usage);
  const HRESULT checked = CheckRequirements(device, &width, &height, &depth, &mipLevels, usage,
                                            &format, pool, D3DRTYPE_VOLUMETEXTURE);
  if (FAILED(checked)) return checked;
  IDirect3DVolumeTexture9* made = nullptr;
  const HRESULT created =
      device->CreateVolumeTexture(width, height, depth, mipLevels,
                                  usage & textureUsageWithoutQueries, format, pool, &made, nullptr);
  if (FAILED(created)) return created;
  *texture = made;
  return S_OK;
}
