// Loading an image file's first image into a surface or volume the caller already has.
//
// Unlike the texture loaders these pass the image's own palette and the colour key on to the
// surface loader unchanged, palettised images included.

#include "toolkit/image/d3dx_image.h"
#include "toolkit/image/decoded_image.h"
#include "toolkit/image/image_source.h"
#include "toolkit/surface/d3dx_surface.h"

namespace {

bool RectWithin(const RECT& rect, const DecodedImage& image) {
  return rect.left >= 0 && rect.top >= 0 && rect.left <= rect.right &&
         rect.top <= rect.bottom && static_cast<UINT>(rect.right) <= image.width &&
         static_cast<UINT>(rect.bottom) <= image.height;
}

bool BoxWithin(const D3DBOX& box, const DecodedImage& image) {
  return box.Left <= box.Right && box.Top <= box.Bottom && box.Front <= box.Back &&
         box.Right <= image.width && box.Bottom <= image.height && box.Back <= image.depth;
}

HRESULT Succeeded(HRESULT result) { return SUCCEEDED(result) ? S_OK : result; }

}  // namespace

HRESULT D3DXLoadSurfaceFromFileInMemory(IDirect3DSurface9* destSurface,
                                        const PALETTEENTRY* destPalette, const RECT* destRect,
                                        LPCVOID srcData, UINT srcDataSize, const RECT* srcRect,
                                        DWORD filter, D3DCOLOR colorKey,
                                        D3DXIMAGE_INFO* srcInfo) {
  if (destSurface == nullptr || srcData == nullptr || srcDataSize == 0) {
    return D3DERR_INVALIDCALL;
  }
  DecodedImage head;
  const HRESULT decoded = head.LoadFromMemory(srcData, srcDataSize, srcInfo, true);
  if (FAILED(decoded)) return decoded;
  const RECT source = srcRect != nullptr ? *srcRect : head.SourceRect();
  if (!RectWithin(source, head)) return D3DERR_INVALIDCALL;
  return Succeeded(D3DXLoadSurfaceFromMemory(destSurface, destPalette, destRect, head.pixels,
                                             head.format, head.rowPitch, head.palette, &source,
                                             filter, colorKey));
}

HRESULT D3DXLoadVolumeFromFileInMemory(IDirect3DVolume9* destVolume,
                                       const PALETTEENTRY* destPalette, const D3DBOX* destBox,
                                       LPCVOID srcData, UINT srcDataSize, const D3DBOX* srcBox,
                                       DWORD filter, D3DCOLOR colorKey,
                                       D3DXIMAGE_INFO* srcInfo) {
  if (destVolume == nullptr || srcData == nullptr || srcDataSize == 0) {
    return D3DERR_INVALIDCALL;
  }
  DecodedImage head;
  const HRESULT decoded = head.LoadFromMemory(srcData, srcDataSize, srcInfo, true);
  if (FAILED(decoded)) return decoded;
  const D3DBOX source = srcBox != nullptr ? *srcBox : head.sourceBox;
  if (!BoxWithin(source, head)) return D3DERR_INVALIDCALL;
  return Succeeded(D3DXLoadVolumeFromMemory(destVolume, destPalette, destBox, head.pixels,
                                            head.format, head.rowPitch, head.slicePitch,
                                            head.palette, &source, filter, colorKey));
}

namespace {

template <class Name>
HRESULT LoadSurfaceFromSource(IDirect3DSurface9* destSurface, const PALETTEENTRY* destPalette,
                            const RECT* destRect, Name name, const RECT* srcRect, DWORD filter,
                            D3DCOLOR colorKey, D3DXIMAGE_INFO* srcInfo) {
  ImageSource<Name> source;
  const HRESULT opened = source.Open(name);
  if (FAILED(opened)) return opened;
  return D3DXLoadSurfaceFromFileInMemory(destSurface, destPalette, destRect, source.Data(),
                                         source.Size(), srcRect, filter, colorKey, srcInfo);
}

template <class Name>
HRESULT LoadVolumeFromSource(IDirect3DVolume9* destVolume, const PALETTEENTRY* destPalette,
                           const D3DBOX* destBox, Name name, const D3DBOX* srcBox, DWORD filter,
                           D3DCOLOR colorKey, D3DXIMAGE_INFO* srcInfo) {
  ImageSource<Name> source;
  const HRESULT opened = source.Open(name);
  if (FAILED(opened)) return opened;
  return D3DXLoadVolumeFromFileInMemory(destVolume, destPalette, destBox, source.Data(),
                                        source.Size(), srcBox, filter, colorKey, srcInfo);
}

}  // namespace

HRESULT D3DXLoadSurfaceFromFileA(IDirect3DSurface9* destSurface,
                                 const PALETTEENTRY* destPalette, const RECT* destRect,
                                 LPCSTR srcFile, const RECT* srcRect, DWORD filter,
                                 D3DCOLOR colorKey, D3DXIMAGE_INFO* srcInfo) {
  return LoadSurfaceFromSource(destSurface, destPalette, destRect, srcFile, srcRect, filter,
                             colorKey, srcInfo);
}

HRESULT D3DXLoadSurfaceFromFileW(IDirect3DSurface9* destSurface,
                                 const PALETTEENTRY* destPalette, const RECT* destRect,
                                 LPCWSTR srcFile, const RECT* srcRect, DWORD filter,
                                 D3DCOLOR colorKey, D3DXIMAGE_INFO* srcInfo) {
  return LoadSurfaceFromSource(destSurface, destPalette, destRect, srcFile, srcRect, filter,
                             colorKey, srcInfo);
}

HRESULT D3DXLoadVolumeFromFileA(IDirect3DVolume9* destVolume, const PALETTEENTRY* destPalette,
                                const D3DBOX* destBox, LPCSTR srcFile, const D3DBOX* srcBox,
                                DWORD filter, D3DCOLOR colorKey, D3DXIMAGE_INFO* srcInfo) {
  return LoadVolumeFromSource(destVolume, destPalette, destBox, srcFile, srcBox, filter, colorKey,
                            srcInfo);
}

HRESULT D3DXLoadVolumeFromFileW(IDirect3DVolume9* destVolume, const PALETTEENTRY* destPalette,
                                const D3DBOX* destBox, LPCWSTR srcFile, const D3DBOX* srcBox,
                                DWORD filter, D3DCOLOR colorKey, D3DXIMAGE_INFO* srcInfo) {
  return LoadVolumeFromSource(destVolume, destPalette, destBox, srcFile, srcBox, filter, colorKey,
                            srcInfo);
}

// --- From module resources ------------------------------------------------------------

HRESULT D3DXLoadSurfaceFromResourceA(IDirect3DSurface9* destSurface,
                                     const PALETTEENTRY* destPalette, const RECT* destRect,
                                     HMODULE srcModule, LPCSTR srcResource, const RECT* srcRect,
                                     DWORD filter, D3DCOLOR colorKey, D3DXIMAGE_INFO* srcInfo) {
  return LoadSurfaceFromSource(destSurface, destPalette, destRect, ModuleResourceA{srcModule, srcResource},
                             srcRect, filter, colorKey, srcInfo);
}

HRESULT D3DXLoadVolumeFromResourceA(IDirect3DVolume9* destVolume,
                                    const PALETTEENTRY* destPalette, const D3DBOX* destBox,
                                    HMODULE srcModule, LPCSTR srcResource, const D3DBOX* srcBox,
                                    DWORD filter, D3DCOLOR colorKey, D3DXIMAGE_INFO* srcInfo) {
  return LoadVolumeFromSource(destVolume, destPalette, destBox, ModuleResourceA{srcModule, srcResource},
                            srcBox, filter, colorKey, srcInfo);
}

HRESULT D3DXLoadSurfaceFromResourceW(IDirect3DSurface9* destSurface,
                                     const PALETTEENTRY* destPalette, const RECT* destRect,
                                     HMODULE srcModule, LPCWSTR srcResource, const RECT* srcRect,
                                     DWORD filter, D3DCOLOR colorKey, D3DXIMAGE_INFO* srcInfo) {
  return LoadSurfaceFromSource(destSurface, destPalette, destRect, ModuleResourceW{srcModule, srcResource},
                             srcRect, filter, colorKey, srcInfo);
}

HRESULT D3DXLoadVolumeFromResourceW(IDirect3DVolume9* destVolume,
                                    const PALETTEENTRY* destPalette, const D3DBOX* destBox,
                                    HMODULE srcModule, LPCWSTR srcResource, const D3DBOX* srcBox,
                                    DWORD filter, D3DCOLOR colorKey, D3DXIMAGE_INFO* srcInfo) {
  return LoadVolumeFromSource(destVolume, destPalette, destBox, ModuleResourceW{srcModule, srcResource},
                            srcBox, filter, colorKey, srcInfo);
}
