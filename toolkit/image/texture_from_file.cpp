// The published texture, cube-texture and volume-texture loaders: file names (narrow and
// wide), module resources, blocks of file bytes, and the short forms with every choice left
// to the toolkit.

#include "toolkit/common/defaults.h"
#include "toolkit/image/d3dx_image.h"
#include "toolkit/image/image_source.h"
#include "toolkit/image/texture_load.h"

namespace {

// The arguments every Ex form shares after its size.
struct LoadOptions {
  UINT mipLevels;
  DWORD usage;
  D3DFORMAT format;
  D3DPOOL pool;
  DWORD filter;
  DWORD mipFilter;
  D3DCOLOR colorKey;
  D3DXIMAGE_INFO* srcInfo;
  PALETTEENTRY* palette;
};

// What the short forms ask for: the toolkit's choice of everything, no key, no information.
constexpr LoadOptions defaultOptions = {D3DX_DEFAULT, 0,       D3DFMT_UNKNOWN,
                                        D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT,
                                        0,            nullptr, nullptr};

struct TextureSize {
  UINT width;
  UINT height;
  UINT depth;
};

template <class Texture>
HRESULT LoadFromMemory(IDirect3DDevice9* device, const void* bytes, UINT size,
                       const TextureSize& wished, const LoadOptions& options,
                       D3DRESOURCETYPE kind, Texture** texture) {
  IDirect3DBaseTexture9* made = nullptr;
  const TextureLoadRequest request = {device,
                                      bytes,
                                      size,
                                      wished.width,
                                      wished.height,
                                      wished.depth,
                                      options.mipLevels,
                                      options.usage,
                                      options.format,
                                      options.pool,
                                      options.filter,
                                      options.mipFilter,
                                      options.colorKey,
                                      options.srcInfo,
                                      options.palette,
                                      kind,
                                      texture != nullptr ? &made : nullptr};
  const HRESULT result = CreateTextureFromMemoryCore(request);
  if (SUCCEEDED(result)) *texture = static_cast<Texture*>(made);
  return result;
}

template <class Name, class Texture>
HRESULT LoadFromSource(IDirect3DDevice9* device, Name name, const TextureSize& wished,
                     const LoadOptions& options, D3DRESOURCETYPE kind, Texture** texture) {
  ImageSource<Name> source;
  const HRESULT opened = source.Open(name);
  if (FAILED(opened)) return opened;
  return LoadFromMemory(device, source.Data(), source.Size(), wished, options, kind, texture);
}

constexpr TextureSize defaultFlatSize = {D3DX_DEFAULT, D3DX_DEFAULT, 1};
constexpr TextureSize defaultVolumeSize = {D3DX_DEFAULT, D3DX_DEFAULT, D3DX_DEFAULT};

}  // namespace

// --- Textures ------------------------------------------------------------------------------

HRESULT D3DXCreateTextureFromFileInMemoryEx(IDirect3DDevice9* device, LPCVOID data, UINT size,
                                            UINT width, UINT height, UINT mipLevels,
                                            DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                            DWORD filter, DWORD mipFilter, D3DCOLOR colorKey,
                                            D3DXIMAGE_INFO* srcInfo, PALETTEENTRY* palette,
                                            IDirect3DTexture9** texture) {
  return LoadFromMemory(device, data, size, {width, height, 1},
                        {mipLevels, usage, format, pool, filter, mipFilter, colorKey, srcInfo,
                         palette},
                        D3DRTYPE_TEXTURE, texture);
}

HRESULT D3DXCreateTextureFromFileExA(IDirect3DDevice9* device, LPCSTR file, UINT width,
                                     UINT height, UINT mipLevels, DWORD usage, D3DFORMAT format,
                                     D3DPOOL pool, DWORD filter, DWORD mipFilter,
                                     D3DCOLOR colorKey, D3DXIMAGE_INFO* srcInfo,
                                     PALETTEENTRY* palette, IDirect3DTexture9** texture) {
  return LoadFromSource(device, file, {width, height, 1},
                      {mipLevels, usage, format, pool, filter, mipFilter, colorKey, srcInfo,
                       palette},
                      D3DRTYPE_TEXTURE, texture);
}

HRESULT D3DXCreateTextureFromFileExW(IDirect3DDevice9* device, LPCWSTR file, UINT width,
                                     UINT height, UINT mipLevels, DWORD usage, D3DFORMAT format,
                                     D3DPOOL pool, DWORD filter, DWORD mipFilter,
                                     D3DCOLOR colorKey, D3DXIMAGE_INFO* srcInfo,
                                     PALETTEENTRY* palette, IDirect3DTexture9** texture) {
  return LoadFromSource(device, file, {width, height, 1},
                      {mipLevels, usage, format, pool, filter, mipFilter, colorKey, srcInfo,
                       palette},
                      D3DRTYPE_TEXTURE, texture);
}

HRESULT D3DXCreateTextureFromFileInMemory(IDirect3DDevice9* device, LPCVOID data, UINT size,
                                          IDirect3DTexture9** texture) {
  return LoadFromMemory(device, data, size, defaultFlatSize, defaultOptions, D3DRTYPE_TEXTURE,
                        texture);
}

HRESULT D3DXCreateTextureFromFileA(IDirect3DDevice9* device, LPCSTR file,
                                   IDirect3DTexture9** texture) {
  return LoadFromSource(device, file, defaultFlatSize, defaultOptions, D3DRTYPE_TEXTURE, texture);
}

HRESULT D3DXCreateTextureFromFileW(IDirect3DDevice9* device, LPCWSTR file,
                                   IDirect3DTexture9** texture) {
  return LoadFromSource(device, file, defaultFlatSize, defaultOptions, D3DRTYPE_TEXTURE, texture);
}

// --- Cube textures -------------------------------------------------------------------------

HRESULT D3DXCreateCubeTextureFromFileInMemoryEx(IDirect3DDevice9* device, LPCVOID data,
                                                UINT dataSize, UINT size, UINT mipLevels,
                                                DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                                DWORD filter, DWORD mipFilter,
                                                D3DCOLOR colorKey, D3DXIMAGE_INFO* srcInfo,
                                                PALETTEENTRY* palette,
                                                IDirect3DCubeTexture9** texture) {
  return LoadFromMemory(device, data, dataSize, {size, size, 1},
                        {mipLevels, usage, format, pool, filter, mipFilter, colorKey, srcInfo,
                         palette},
                        D3DRTYPE_CUBETEXTURE, texture);
}

HRESULT D3DXCreateCubeTextureFromFileExA(IDirect3DDevice9* device, LPCSTR file, UINT size,
                                         UINT mipLevels, DWORD usage, D3DFORMAT format,
                                         D3DPOOL pool, DWORD filter, DWORD mipFilter,
                                         D3DCOLOR colorKey, D3DXIMAGE_INFO* srcInfo,
                                         PALETTEENTRY* palette,
                                         IDirect3DCubeTexture9** texture) {
  return LoadFromSource(device, file, {size, size, 1},
                      {mipLevels, usage, format, pool, filter, mipFilter, colorKey, srcInfo,
                       palette},
                      D3DRTYPE_CUBETEXTURE, texture);
}

HRESULT D3DXCreateCubeTextureFromFileExW(IDirect3DDevice9* device, LPCWSTR file, UINT size,
                                         UINT mipLevels, DWORD usage, D3DFORMAT format,
                                         D3DPOOL pool, DWORD filter, DWORD mipFilter,
                                         D3DCOLOR colorKey, D3DXIMAGE_INFO* srcInfo,
                                         PALETTEENTRY* palette,
                                         IDirect3DCubeTexture9** texture) {
  return LoadFromSource(device, file, {size, size, 1},
                      {mipLevels, usage, format, pool, filter, mipFilter, colorKey, srcInfo,
                       palette},
                      D3DRTYPE_CUBETEXTURE, texture);
}

HRESULT D3DXCreateCubeTextureFromFileInMemory(IDirect3DDevice9* device, LPCVOID data,
                                              UINT dataSize, IDirect3DCubeTexture9** texture) {
  return LoadFromMemory(device, data, dataSize, defaultFlatSize, defaultOptions,
                        D3DRTYPE_CUBETEXTURE, texture);
}

HRESULT D3DXCreateCubeTextureFromFileA(IDirect3DDevice9* device, LPCSTR file,
                                       IDirect3DCubeTexture9** texture) {
  return LoadFromSource(device, file, defaultFlatSize, defaultOptions, D3DRTYPE_CUBETEXTURE,
                      texture);
}

HRESULT D3DXCreateCubeTextureFromFileW(IDirect3DDevice9* device, LPCWSTR file,
                                       IDirect3DCubeTexture9** texture) {
  return LoadFromSource(device, file, defaultFlatSize, defaultOptions, D3DRTYPE_CUBETEXTURE,
                      texture);
}

// --- Volume textures -----------------------------------------------------------------------

HRESULT D3DXCreateVolumeTextureFromFileInMemoryEx(
    IDirect3DDevice9* device, LPCVOID data, UINT dataSize, UINT width, UINT height, UINT depth,
    UINT mipLevels, DWORD usage, D3DFORMAT format, D3DPOOL pool, DWORD filter, DWORD mipFilter,
    D3DCOLOR colorKey, D3DXIMAGE_INFO* srcInfo, PALETTEENTRY* palette,
    IDirect3DVolumeTexture9** texture) {
  return LoadFromMemory(device, data, dataSize, {width, height, depth},
                        {mipLevels, usage, format, pool, filter, mipFilter, colorKey, srcInfo,
                         palette},
                        D3DRTYPE_VOLUMETEXTURE, texture);
}

HRESULT D3DXCreateVolumeTextureFromFileExA(IDirect3DDevice9* device, LPCSTR file, UINT width,
                                           UINT height, UINT depth, UINT mipLevels, DWORD usage,
                                           D3DFORMAT format, D3DPOOL pool, DWORD filter,
                                           DWORD mipFilter, D3DCOLOR colorKey,
                                           D3DXIMAGE_INFO* srcInfo, PALETTEENTRY* palette,
                                           IDirect3DVolumeTexture9** texture) {
  return LoadFromSource(device, file, {width, height, depth},
                      {mipLevels, usage, format, pool, filter, mipFilter, colorKey, srcInfo,
                       palette},
                      D3DRTYPE_VOLUMETEXTURE, texture);
}

HRESULT D3DXCreateVolumeTextureFromFileExW(IDirect3DDevice9* device, LPCWSTR file, UINT width,
                                           UINT height, UINT depth, UINT mipLevels, DWORD usage,
                                           D3DFORMAT format, D3DPOOL pool, DWORD filter,
                                           DWORD mipFilter, D3DCOLOR colorKey,
                                           D3DXIMAGE_INFO* srcInfo, PALETTEENTRY* palette,
                                           IDirect3DVolumeTexture9** texture) {
  return LoadFromSource(device, file, {width, height, depth},
                      {mipLevels, usage, format, pool, filter, mipFilter, colorKey, srcInfo,
                       palette},
                      D3DRTYPE_VOLUMETEXTURE, texture);
}

HRESULT D3DXCreateVolumeTextureFromFileInMemory(IDirect3DDevice9* device, LPCVOID data,
                                                UINT dataSize,
                                                IDirect3DVolumeTexture9** texture) {
  return LoadFromMemory(device, data, dataSize, defaultVolumeSize, defaultOptions,
                        D3DRTYPE_VOLUMETEXTURE, texture);
}

HRESULT D3DXCreateVolumeTextureFromFileA(IDirect3DDevice9* device, LPCSTR file,
                                         IDirect3DVolumeTexture9** texture) {
  return LoadFromSource(device, file, defaultVolumeSize, defaultOptions, D3DRTYPE_VOLUMETEXTURE,
                      texture);
}

HRESULT D3DXCreateVolumeTextureFromFileW(IDirect3DDevice9* device, LPCWSTR file,
                                         IDirect3DVolumeTexture9** texture) {
  return LoadFromSource(device, file, defaultVolumeSize, defaultOptions, D3DRTYPE_VOLUMETEXTURE,
                      texture);
}

// --- From module resources ------------------------------------------------------------

HRESULT D3DXCreateTextureFromResourceExA(IDirect3DDevice9* device, HMODULE module,
                                         LPCSTR resource, UINT width, UINT height,
                                         UINT mipLevels, DWORD usage, D3DFORMAT format,
                                         D3DPOOL pool, DWORD filter, DWORD mipFilter,
                                         D3DCOLOR colorKey, D3DXIMAGE_INFO* srcInfo,
                                         PALETTEENTRY* palette, IDirect3DTexture9** texture) {
  return LoadFromSource(device, ModuleResourceA{module, resource}, {width, height, 1},
                      {mipLevels, usage, format, pool, filter, mipFilter, colorKey, srcInfo, palette},
                      D3DRTYPE_TEXTURE, texture);
}

HRESULT D3DXCreateTextureFromResourceA(IDirect3DDevice9* device, HMODULE module,
                                       LPCSTR resource, IDirect3DTexture9** texture) {
  return LoadFromSource(device, ModuleResourceA{module, resource}, defaultFlatSize, defaultOptions,
                      D3DRTYPE_TEXTURE, texture);
}

HRESULT D3DXCreateCubeTextureFromResourceExA(IDirect3DDevice9* device, HMODULE module,
                                             LPCSTR resource, UINT size, UINT mipLevels,
                                             DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                             DWORD filter, DWORD mipFilter, D3DCOLOR colorKey,
                                             D3DXIMAGE_INFO* srcInfo, PALETTEENTRY* palette,
                                             IDirect3DCubeTexture9** texture) {
  return LoadFromSource(device, ModuleResourceA{module, resource}, {size, size, 1},
                      {mipLevels, usage, format, pool, filter, mipFilter, colorKey, srcInfo, palette},
                      D3DRTYPE_CUBETEXTURE, texture);
}

HRESULT D3DXCreateCubeTextureFromResourceA(IDirect3DDevice9* device, HMODULE module,
                                           LPCSTR resource, IDirect3DCubeTexture9** texture) {
  return LoadFromSource(device, ModuleResourceA{module, resource}, defaultFlatSize, defaultOptions,
                      D3DRTYPE_CUBETEXTURE, texture);
}

HRESULT D3DXCreateVolumeTextureFromResourceExA(
    IDirect3DDevice9* device, HMODULE module, LPCSTR resource, UINT width, UINT height,
    UINT depth, UINT mipLevels, DWORD usage, D3DFORMAT format, D3DPOOL pool, DWORD filter,
    DWORD mipFilter, D3DCOLOR colorKey, D3DXIMAGE_INFO* srcInfo, PALETTEENTRY* palette,
    IDirect3DVolumeTexture9** texture) {
  return LoadFromSource(device, ModuleResourceA{module, resource}, {width, height, depth},
                      {mipLevels, usage, format, pool, filter, mipFilter, colorKey, srcInfo, palette},
                      D3DRTYPE_VOLUMETEXTURE, texture);
}

HRESULT D3DXCreateVolumeTextureFromResourceA(IDirect3DDevice9* device, HMODULE module,
                                             LPCSTR resource, IDirect3DVolumeTexture9** texture) {
  return LoadFromSource(device, ModuleResourceA{module, resource}, defaultVolumeSize, defaultOptions,
                      D3DRTYPE_VOLUMETEXTURE, texture);
}

HRESULT D3DXCreateTextureFromResourceExW(IDirect3DDevice9* device, HMODULE module,
                                         LPCWSTR resource, UINT width, UINT height,
                                         UINT mipLevels, DWORD usage, D3DFORMAT format,
                                         D3DPOOL pool, DWORD filter, DWORD mipFilter,
                                         D3DCOLOR colorKey, D3DXIMAGE_INFO* srcInfo,
                                         PALETTEENTRY* palette, IDirect3DTexture9** texture) {
  return LoadFromSource(device, ModuleResourceW{module, resource}, {width, height, 1},
                      {mipLevels, usage, format, pool, filter, mipFilter, colorKey, srcInfo, palette},
                      D3DRTYPE_TEXTURE, texture);
}

HRESULT D3DXCreateTextureFromResourceW(IDirect3DDevice9* device, HMODULE module,
                                       LPCWSTR resource, IDirect3DTexture9** texture) {
  return LoadFromSource(device, ModuleResourceW{module, resource}, defaultFlatSize, defaultOptions,
                      D3DRTYPE_TEXTURE, texture);
}

HRESULT D3DXCreateCubeTextureFromResourceExW(IDirect3DDevice9* device, HMODULE module,
                                             LPCWSTR resource, UINT size, UINT mipLevels,
                                             DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                             DWORD filter, DWORD mipFilter, D3DCOLOR colorKey,
                                             D3DXIMAGE_INFO* srcInfo, PALETTEENTRY* palette,
                                             IDirect3DCubeTexture9** texture) {
  return LoadFromSource(device, ModuleResourceW{module, resource}, {size, size, 1},
                      {mipLevels, usage, format, pool, filter, mipFilter, colorKey, srcInfo, palette},
                      D3DRTYPE_CUBETEXTURE, texture);
}

HRESULT D3DXCreateCubeTextureFromResourceW(IDirect3DDevice9* device, HMODULE module,
                                           LPCWSTR resource, IDirect3DCubeTexture9** texture) {
  return LoadFromSource(device, ModuleResourceW{module, resource}, defaultFlatSize, defaultOptions,
                      D3DRTYPE_CUBETEXTURE, texture);
}

HRESULT D3DXCreateVolumeTextureFromResourceExW(
    IDirect3DDevice9* device, HMODULE module, LPCWSTR resource, UINT width, UINT height,
    UINT depth, UINT mipLevels, DWORD usage, D3DFORMAT format, D3DPOOL pool, DWORD filter,
    DWORD mipFilter, D3DCOLOR colorKey, D3DXIMAGE_INFO* srcInfo, PALETTEENTRY* palette,
    IDirect3DVolumeTexture9** texture) {
  return LoadFromSource(device, ModuleResourceW{module, resource}, {width, height, depth},
                      {mipLevels, usage, format, pool, filter, mipFilter, colorKey, srcInfo, palette},
                      D3DRTYPE_VOLUMETEXTURE, texture);
}

HRESULT D3DXCreateVolumeTextureFromResourceW(IDirect3DDevice9* device, HMODULE module,
                                             LPCWSTR resource, IDirect3DVolumeTexture9** texture) {
  return LoadFromSource(device, ModuleResourceW{module, resource}, defaultVolumeSize, defaultOptions,
                      D3DRTYPE_VOLUMETEXTURE, texture);
}
