// Textures, cube textures and volume textures: chains of levels (per face for cubes), each
// level a Surface or Volume that shares the texture's reference count.
#pragma once

#include <vector>

#include "platform/d3d9/surface.h"

namespace d3d9 {

// What the device needs of any texture, whatever its interface.
class TextureBase {
 public:
  virtual ~TextureBase() = default;

  D3DRESOURCETYPE Kind() const { return kind; }
  D3DFORMAT Format() const { return format; }
  D3DPOOL TexturePool() const { return texturePool; }
  UINT LevelCount() const { return levelCount; }
  UINT FaceCount() const { return kind == D3DRTYPE_CUBETEXTURE ? 6 : 1; }
  Device* Owner() const { return owner; }
  // Null for volume textures or out-of-range indices.
  Surface* SurfaceAt(UINT face, UINT level) const;
  Volume* VolumeAt(UINT level) const;
  // The memory of a level, any kind.
  Image* ImageAt(UINT face, UINT level) const;

 protected:
  TextureBase(Device* device, D3DRESOURCETYPE textureKind, D3DFORMAT texelFormat,
              D3DPOOL memoryPool, UINT levels)
      : owner(device),
        kind(textureKind),
        format(texelFormat),
        texturePool(memoryPool),
        levelCount(levels) {}
  void DestroyLevels();

  Device* owner;
  D3DRESOURCETYPE kind;
  D3DFORMAT format;
  D3DPOOL texturePool;
  UINT levelCount;
  std::vector<Surface*> surfaces;  // face * levelCount + level
  std::vector<Volume*> volumes;
};

// The IDirect3DBaseTexture9 part shared by the three kinds.
template <class Interface>
class TextureObject : public ResourceObject<Interface>, public TextureBase {
 public:
  TextureObject(Device* device, D3DRESOURCETYPE textureKind, DWORD usageFlags,
                D3DFORMAT texelFormat, D3DPOOL memoryPool, UINT levels)
      : ResourceObject<Interface>(device, textureKind, usageFlags, memoryPool),
        TextureBase(device, textureKind, texelFormat, memoryPool, levels) {}

  DWORD SetLOD(DWORD lod) override {
    const DWORD old = levelOfDetail;
    if (this->pool == D3DPOOL_MANAGED) levelOfDetail = lod < levelCount ? lod : levelCount - 1;
    return old;
  }
  DWORD GetLOD() override { return levelOfDetail; }
  DWORD GetLevelCount() override { return levelCount; }
  HRESULT SetAutoGenFilterType(D3DTEXTUREFILTERTYPE filter) override {
    if ((this->usage & D3DUSAGE_AUTOGENMIPMAP) == 0) return D3DERR_INVALIDCALL;
    if (filter != D3DTEXF_POINT && filter != D3DTEXF_LINEAR) return D3DERR_INVALIDCALL;
    autoGenFilter = filter;
    return S_OK;
  }
  D3DTEXTUREFILTERTYPE GetAutoGenFilterType() override { return autoGenFilter; }
  void GenerateMipSubLevels() override {}

 protected:
  ~TextureObject() override { DestroyLevels(); }

  DWORD levelOfDetail = 0;
  D3DTEXTUREFILTERTYPE autoGenFilter = D3DTEXF_LINEAR;
};

class Texture final : public TextureObject<IDirect3DTexture9> {
 public:
  // Throws std::bad_alloc.
  Texture(Device* device, UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
          D3DPOOL pool);

  HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) override;
  HRESULT GetSurfaceLevel(UINT level, IDirect3DSurface9** surface) override;
  HRESULT LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override;
  HRESULT UnlockRect(UINT level) override;
  HRESULT AddDirtyRect(const RECT* rect) override;
};

class CubeTexture final : public TextureObject<IDirect3DCubeTexture9> {
 public:
  CubeTexture(Device* device, UINT edge, UINT levels, DWORD usage, D3DFORMAT format,
              D3DPOOL pool);

  HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) override;
  HRESULT GetCubeMapSurface(D3DCUBEMAP_FACES face, UINT level,
                            IDirect3DSurface9** surface) override;
  HRESULT LockRect(D3DCUBEMAP_FACES face, UINT level, D3DLOCKED_RECT* locked, const RECT* rect,
                   DWORD flags) override;
  HRESULT UnlockRect(D3DCUBEMAP_FACES face, UINT level) override;
  HRESULT AddDirtyRect(D3DCUBEMAP_FACES face, const RECT* rect) override;
};

class VolumeTexture final : public TextureObject<IDirect3DVolumeTexture9> {
 public:
  VolumeTexture(Device* device, UINT width, UINT height, UINT depth, UINT levels, DWORD usage,
                D3DFORMAT format, D3DPOOL pool);

  HRESULT GetLevelDesc(UINT level, D3DVOLUME_DESC* desc) override;
  HRESULT GetVolumeLevel(UINT level, IDirect3DVolume9** volume) override;
  HRESULT LockBox(UINT level, D3DLOCKED_BOX* locked, const D3DBOX* box, DWORD flags) override;
  HRESULT UnlockBox(UINT level) override;
  HRESULT AddDirtyBox(const D3DBOX* box) override;
};

// The runtime's own texture behind an interface pointer; null for a foreign object.
TextureBase* AsTexture(IDirect3DBaseTexture9* texture);

}  // namespace d3d9
