#include "platform/d3d9/texture.h"

#include <typeinfo>

#include "platform/d3d9/device.h"
#include "platform/d3d9/format_info.h"

namespace d3d9 {
namespace {

SurfaceShape LevelShape(D3DFORMAT format, UINT width, UINT height, DWORD usage, D3DPOOL pool) {
  const bool lockable = IsLockable(pool, usage, false) &&
                        (usage & (D3DUSAGE_RENDERTARGET | D3DUSAGE_DEPTHSTENCIL)) == 0;
  return {format, width, height, usage, pool, lockable};
}

}  // namespace

Surface* TextureBase::SurfaceAt(UINT face, UINT level) const {
  if (face >= FaceCount() || level >= levelCount || surfaces.empty()) return nullptr;
  return surfaces[face * levelCount + level];
}

Volume* TextureBase::VolumeAt(UINT level) const {
  return level < volumes.size() ? volumes[level] : nullptr;
}

Image* TextureBase::ImageAt(UINT face, UINT level) const {
  if (kind == D3DRTYPE_VOLUMETEXTURE) {
    Volume* volume = VolumeAt(level);
    return face == 0 && volume != nullptr ? &volume->Pixels() : nullptr;
  }
  Surface* surface = SurfaceAt(face, level);
  return surface != nullptr ? &surface->Pixels() : nullptr;
}

void TextureBase::DestroyLevels() {
  for (Surface* surface : surfaces) surface->DestroyLevel();
  for (Volume* volume : volumes) volume->DestroyLevel();
  surfaces.clear();
  volumes.clear();
}

// Drawing asks this for every draw; the exact type is a cheaper test than a cross-cast.
TextureBase* AsTexture(IDirect3DBaseTexture9* texture) {
  if (texture == nullptr) return nullptr;
  const std::type_info& type = typeid(*texture);
  if (type == typeid(Texture)) return static_cast<Texture*>(static_cast<IDirect3DTexture9*>(texture));
  if (type == typeid(CubeTexture)) {
    return static_cast<CubeTexture*>(static_cast<IDirect3DCubeTexture9*>(texture));
  }
  if (type == typeid(VolumeTexture)) {
    return static_cast<VolumeTexture*>(static_cast<IDirect3DVolumeTexture9*>(texture));
  }
  return dynamic_cast<TextureBase*>(texture);
}

// --- Texture ---------------------------------------------------------------------------------

Texture::Texture(Device* device, UINT width, UINT height, UINT levels, DWORD usageFlags,
                 D3DFORMAT texelFormat, D3DPOOL memoryPool)
    : TextureObject(device, D3DRTYPE_TEXTURE, usageFlags, texelFormat, memoryPool, levels) {
  try {
    for (UINT level = 0; level < levels; ++level) {
      const SurfaceShape shape = LevelShape(texelFormat, LevelSize(width, level),
                                            LevelSize(height, level), usageFlags, memoryPool);
      surfaces.push_back(new Surface(device, shape, static_cast<IDirect3DTexture9*>(this)));
    }
  } catch (...) {
    DestroyLevels();
    throw;
  }
}

HRESULT Texture::GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) {
  Surface* surface = SurfaceAt(0, level);
  if (surface == nullptr || desc == nullptr) return D3DERR_INVALIDCALL;
  return surface->GetDesc(desc);
}

HRESULT Texture::GetSurfaceLevel(UINT level, IDirect3DSurface9** out) {
  const HRESULT entered = OwnerDevice()->Enter("IDirect3DTexture9::GetSurfaceLevel",
                                               {Arg(this), std::int64_t(level)});
  if (FAILED(entered)) return entered;
  Surface* surface = SurfaceAt(0, level);
  if (surface == nullptr || out == nullptr) return D3DERR_INVALIDCALL;
  return HandOut(surface, out);
}

HRESULT Texture::LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) {
  const HRESULT entered =
      OwnerDevice()->Enter("IDirect3DTexture9::LockRect",
                           {Arg(this), std::int64_t(level), Arg(rect), std::int64_t(flags)});
  if (FAILED(entered)) return entered;
  Surface* surface = SurfaceAt(0, level);
  if (surface == nullptr) return D3DERR_INVALIDCALL;
  return surface->Lock(locked, rect, flags);
}

HRESULT Texture::UnlockRect(UINT level) {
  const HRESULT entered = OwnerDevice()->Enter("IDirect3DTexture9::UnlockRect",
                                               {Arg(this), std::int64_t(level)});
  if (FAILED(entered)) return entered;
  Surface* surface = SurfaceAt(0, level);
  if (surface == nullptr) return D3DERR_INVALIDCALL;
  return surface->Unlock();
}

// UpdateTexture copies every level whole, so dirty regions need no bookkeeping.
HRESULT Texture::AddDirtyRect(const RECT*) { return S_OK; }

// --- CubeTexture -----------------------------------------------------------------------------

CubeTexture::CubeTexture(Device* device, UINT edge, UINT levels, DWORD usageFlags,
                         D3DFORMAT texelFormat, D3DPOOL memoryPool)
    : TextureObject(device, D3DRTYPE_CUBETEXTURE, usageFlags, texelFormat, memoryPool, levels) {
  try {
    for (UINT face = 0; face < 6; ++face) {
      for (UINT level = 0; level < levels; ++level) {
        const UINT size = LevelSize(edge, level);
        const SurfaceShape shape = LevelShape(texelFormat, size, size, usageFlags, memoryPool);
        surfaces.push_back(new Surface(device, shape, static_cast<IDirect3DCubeTexture9*>(this)));
      }
    }
  } catch (...) {
    DestroyLevels();
    throw;
  }
}

HRESULT CubeTexture::GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) {
  Surface* surface = SurfaceAt(0, level);
  if (surface == nullptr || desc == nullptr) return D3DERR_INVALIDCALL;
  return surface->GetDesc(desc);
}

HRESULT CubeTexture::GetCubeMapSurface(D3DCUBEMAP_FACES face, UINT level,
                                       IDirect3DSurface9** out) {
  const HRESULT entered =
      OwnerDevice()->Enter("IDirect3DCubeTexture9::GetCubeMapSurface",
                           {Arg(this), std::int64_t(face), std::int64_t(level)});
  if (FAILED(entered)) return entered;
  Surface* surface = SurfaceAt(face, level);
  if (surface == nullptr || out == nullptr) return D3DERR_INVALIDCALL;
  return HandOut(surface, out);
}

HRESULT CubeTexture::LockRect(D3DCUBEMAP_FACES face, UINT level, D3DLOCKED_RECT* locked,
                              const RECT* rect, DWORD flags) {
  const HRESULT entered = OwnerDevice()->Enter(
      "IDirect3DCubeTexture9::LockRect",
      {Arg(this), std::int64_t(face), std::int64_t(level), Arg(rect), std::int64_t(flags)});
  if (FAILED(entered)) return entered;
  Surface* surface = SurfaceAt(face, level);
  if (surface == nullptr) return D3DERR_INVALIDCALL;
  return surface->Lock(locked, rect, flags);
}

HRESULT CubeTexture::UnlockRect(D3DCUBEMAP_FACES face, UINT level) {
  Surface* surface = SurfaceAt(face, level);
  if (surface == nullptr) return D3DERR_INVALIDCALL;
  return surface->Unlock();
}

HRESULT CubeTexture::AddDirtyRect(D3DCUBEMAP_FACES face, const RECT*) {
  return face < 6 ? S_OK : D3DERR_INVALIDCALL;
}

// --- VolumeTexture ---------------------------------------------------------------------------

VolumeTexture::VolumeTexture(Device* device, UINT width, UINT height, UINT depth, UINT levels,
                             DWORD usageFlags, D3DFORMAT texelFormat, D3DPOOL memoryPool)
    : TextureObject(device, D3DRTYPE_VOLUMETEXTURE, usageFlags, texelFormat, memoryPool, levels) {
  try {
    for (UINT level = 0; level < levels; ++level) {
      volumes.push_back(new Volume(device, texelFormat, LevelSize(width, level),
                                   LevelSize(height, level), LevelSize(depth, level), usageFlags,
                                   memoryPool, static_cast<IDirect3DVolumeTexture9*>(this)));
    }
  } catch (...) {
    DestroyLevels();
    throw;
  }
}

HRESULT VolumeTexture::GetLevelDesc(UINT level, D3DVOLUME_DESC* desc) {
  Volume* volume = VolumeAt(level);
  if (volume == nullptr || desc == nullptr) return D3DERR_INVALIDCALL;
  return volume->GetDesc(desc);
}

HRESULT VolumeTexture::GetVolumeLevel(UINT level, IDirect3DVolume9** out) {
  const HRESULT entered = OwnerDevice()->Enter("IDirect3DVolumeTexture9::GetVolumeLevel",
                                               {Arg(this), std::int64_t(level)});
  if (FAILED(entered)) return entered;
  Volume* volume = VolumeAt(level);
  if (volume == nullptr || out == nullptr) return D3DERR_INVALIDCALL;
  return HandOut(volume, out);
}

HRESULT VolumeTexture::LockBox(UINT level, D3DLOCKED_BOX* locked, const D3DBOX* box,
                               DWORD flags) {
  const HRESULT entered =
      OwnerDevice()->Enter("IDirect3DVolumeTexture9::LockBox",
                           {Arg(this), std::int64_t(level), Arg(box), std::int64_t(flags)});
  if (FAILED(entered)) return entered;
  Volume* volume = VolumeAt(level);
  if (volume == nullptr) return D3DERR_INVALIDCALL;
  return volume->Lock(locked, box, flags);
}

HRESULT VolumeTexture::UnlockBox(UINT level) {
  Volume* volume = VolumeAt(level);
  if (volume == nullptr) return D3DERR_INVALIDCALL;
  return volume->Unlock();
}

HRESULT VolumeTexture::AddDirtyBox(const D3DBOX*) { return S_OK; }

}  // namespace d3d9
