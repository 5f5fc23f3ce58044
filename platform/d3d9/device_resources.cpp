// Creation of textures, surfaces, buffers, declarations and state blocks.
#include <algorithm>
#include <new>

#include "platform/d3d9/buffers.h"
#include "platform/d3d9/device.h"
#include "platform/d3d9/format_info.h"
#include "platform/d3d9/texture.h"

namespace d3d9 {
namespace {

constexpr DWORD textureUsages = D3DUSAGE_RENDERTARGET | D3DUSAGE_DEPTHSTENCIL |
                                D3DUSAGE_SOFTWAREPROCESSING | D3DUSAGE_DYNAMIC |
                                D3DUSAGE_AUTOGENMIPMAP | D3DUSAGE_DMAP;
constexpr DWORD bufferUsages = D3DUSAGE_WRITEONLY | D3DUSAGE_SOFTWAREPROCESSING |
                               D3DUSAGE_DONOTCLIP | D3DUSAGE_POINTS | D3DUSAGE_RTPATCHES |
                               D3DUSAGE_NPATCHES | D3DUSAGE_DYNAMIC;
constexpr UINT scratchLimit = 16384;
constexpr std::size_t byteLimit = std::size_t(1) << 31;

HRESULT OutOfMemoryFor(D3DPOOL pool) {
  return pool == D3DPOOL_DEFAULT ? D3DERR_OUTOFVIDEOMEMORY : E_OUTOFMEMORY;
}

std::size_t ChainBytes(D3DFORMAT format, UINT width, UINT height, UINT depth, UINT levels) {
  std::size_t total = 0;
  for (UINT level = 0; level < levels; ++level) {
    total += std::size_t(RowPitchOf(format, LevelSize(width, level))) *
             MemoryRowsOf(format, LevelSize(height, level)) * LevelSize(depth, level);
  }
  return total;
}

template <class T>
HRESULT Deliver(T* made, T** out) {
  *out = made;
  return S_OK;
}

}  // namespace

HRESULT Device::CheckTextureArguments(UINT width, UINT height, UINT depth, DWORD usage,
                                      D3DFORMAT format, D3DPOOL pool,
                                      D3DRESOURCETYPE type) const {
  if (width == 0 || height == 0 || depth == 0 || pool > D3DPOOL_SCRATCH) return D3DERR_INVALIDCALL;
  if ((usage & ~textureUsages) != 0) return D3DERR_INVALIDCALL;
  const bool target = (usage & (D3DUSAGE_RENDERTARGET | D3DUSAGE_DEPTHSTENCIL)) != 0;
  if (target && pool != D3DPOOL_DEFAULT) return D3DERR_INVALIDCALL;
  if ((usage & D3DUSAGE_DYNAMIC) != 0 && (pool == D3DPOOL_MANAGED || pool == D3DPOOL_SCRATCH)) {
    return D3DERR_INVALIDCALL;
  }
  const FormatInfo* info = FindFormat(format);
  if (info == nullptr) return D3DERR_INVALIDCALL;
  if (pool == D3DPOOL_SCRATCH) {
    if (width > scratchLimit || height > scratchLimit || depth > scratchLimit) {
      return D3DERR_INVALIDCALL;
    }
    return S_OK;
  }
  if (FAILED(direct3d->FormatSupport(usage, type, format))) return D3DERR_INVALIDCALL;
  const D3DCAPS9& caps = Profile().caps;
  if (type == D3DRTYPE_VOLUMETEXTURE) {
    const UINT extent = caps.MaxVolumeExtent;
    if (width > extent || height > extent || depth > extent) return D3DERR_INVALIDCALL;
  } else if (width > caps.MaxTextureWidth || height > caps.MaxTextureHeight) {
    return D3DERR_INVALIDCALL;
  }
  if (info->blockBytes != 0 && (width % 4 != 0 || height % 4 != 0)) return D3DERR_INVALIDCALL;
  return S_OK;
}

// 0 for a count that cannot be made.
UINT Device::LevelCountFor(UINT levels, DWORD usage, UINT width, UINT height, UINT depth) const {
  const UINT full = FullChainLength(width, height, depth);
  if ((usage & D3DUSAGE_AUTOGENMIPMAP) != 0) return levels <= 1 || levels == full ? 1 : 0;
  if (levels == 0) return full;
  return levels <= full ? levels : 0;
}

HRESULT Device::CreateTexture(UINT width, UINT height, UINT levels, DWORD usage,
                              D3DFORMAT format, D3DPOOL pool, IDirect3DTexture9** out,
                              HANDLE* shared) {
  const HRESULT entered =
      Enter("CreateTexture", {std::int64_t(width), std::int64_t(height), std::int64_t(levels),
                              std::int64_t(usage), std::int64_t(format), std::int64_t(pool)});
  if (FAILED(entered)) return entered;
  if (out == nullptr || shared != nullptr) return D3DERR_INVALIDCALL;
  const HRESULT checked =
      CheckTextureArguments(width, height, 1, usage, format, pool, D3DRTYPE_TEXTURE);
  if (FAILED(checked)) return checked;
  const UINT count = LevelCountFor(levels, usage, width, height, 1);
  if (count == 0) return D3DERR_INVALIDCALL;
  if (ChainBytes(format, width, height, 1, count) > byteLimit) return OutOfMemoryFor(pool);
  try {
    return Deliver<IDirect3DTexture9>(new Texture(this, width, height, count, usage, format, pool),
                                      out);
  } catch (const std::bad_alloc&) {
    return OutOfMemoryFor(pool);
  }
}

HRESULT Device::CreateVolumeTexture(UINT width, UINT height, UINT depth, UINT levels,
                                    DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                    IDirect3DVolumeTexture9** out, HANDLE* shared) {
  const HRESULT entered = Enter(
      "CreateVolumeTexture", {std::int64_t(width), std::int64_t(height), std::int64_t(depth),
                              std::int64_t(levels), std::int64_t(usage), std::int64_t(format),
                              std::int64_t(pool)});
  if (FAILED(entered)) return entered;
  if (out == nullptr || shared != nullptr) return D3DERR_INVALIDCALL;
  if ((usage & (D3DUSAGE_RENDERTARGET | D3DUSAGE_DEPTHSTENCIL)) != 0) return D3DERR_INVALIDCALL;
  const HRESULT checked =
      CheckTextureArguments(width, height, depth, usage, format, pool, D3DRTYPE_VOLUMETEXTURE);
  if (FAILED(checked)) return checked;
  const UINT count = LevelCountFor(levels, usage, width, height, depth);
  if (count == 0) return D3DERR_INVALIDCALL;
  if (ChainBytes(format, width, height, depth, count) > byteLimit) return OutOfMemoryFor(pool);
  try {
    return Deliver<IDirect3DVolumeTexture9>(
        new VolumeTexture(this, width, height, depth, count, usage, format, pool), out);
  } catch (const std::bad_alloc&) {
    return OutOfMemoryFor(pool);
  }
}

HRESULT Device::CreateCubeTexture(UINT edge, UINT levels, DWORD usage, D3DFORMAT format,
                                  D3DPOOL pool, IDirect3DCubeTexture9** out, HANDLE* shared) {
  const HRESULT entered =
      Enter("CreateCubeTexture", {std::int64_t(edge), std::int64_t(levels), std::int64_t(usage),
                                  std::int64_t(format), std::int64_t(pool)});
  if (FAILED(entered)) return entered;
  if (out == nullptr || shared != nullptr) return D3DERR_INVALIDCALL;
  const HRESULT checked =
      CheckTextureArguments(edge, edge, 1, usage, format, pool, D3DRTYPE_CUBETEXTURE);
  if (FAILED(checked)) return checked;
  const UINT count = LevelCountFor(levels, usage, edge, edge, 1);
  if (count == 0) return D3DERR_INVALIDCALL;
  if (ChainBytes(format, edge, edge, 1, count) * 6 > byteLimit) return OutOfMemoryFor(pool);
  try {
    return Deliver<IDirect3DCubeTexture9>(
        new CubeTexture(this, edge, count, usage, format, pool), out);
  } catch (const std::bad_alloc&) {
    return OutOfMemoryFor(pool);
  }
}

HRESULT Device::CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                   IDirect3DVertexBuffer9** out, HANDLE* shared) {
  const HRESULT entered = Enter("CreateVertexBuffer", {std::int64_t(length), std::int64_t(usage),
                                                       std::int64_t(fvf), std::int64_t(pool)});
  if (FAILED(entered)) return entered;
  if (out == nullptr || shared != nullptr || length == 0 || pool >= D3DPOOL_SCRATCH ||
      (usage & ~bufferUsages) != 0) {
    return D3DERR_INVALIDCALL;
  }
  if ((usage & D3DUSAGE_DYNAMIC) != 0 && pool == D3DPOOL_MANAGED) return D3DERR_INVALIDCALL;
  try {
    return Deliver<IDirect3DVertexBuffer9>(new VertexBuffer(this, length, usage, fvf, pool), out);
  } catch (const std::bad_alloc&) {
    return OutOfMemoryFor(pool);
  }
}

HRESULT Device::CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                  IDirect3DIndexBuffer9** out, HANDLE* shared) {
  const HRESULT entered = Enter("CreateIndexBuffer", {std::int64_t(length), std::int64_t(usage),
                                                      std::int64_t(format), std::int64_t(pool)});
  if (FAILED(entered)) return entered;
  if (out == nullptr || shared != nullptr || length == 0 || pool >= D3DPOOL_SCRATCH ||
      (usage & ~bufferUsages) != 0 || (format != D3DFMT_INDEX16 && format != D3DFMT_INDEX32)) {
    return D3DERR_INVALIDCALL;
  }
  if ((usage & D3DUSAGE_DYNAMIC) != 0 && pool == D3DPOOL_MANAGED) return D3DERR_INVALIDCALL;
  try {
    return Deliver<IDirect3DIndexBuffer9>(new IndexBuffer(this, length, usage, format, pool), out);
  } catch (const std::bad_alloc&) {
    return OutOfMemoryFor(pool);
  }
}

HRESULT Device::CreateRenderTarget(UINT width, UINT height, D3DFORMAT format,
                                   D3DMULTISAMPLE_TYPE multiSample, DWORD quality, BOOL lockable,
                                   IDirect3DSurface9** out, HANDLE* shared) {
  const HRESULT entered =
      Enter("CreateRenderTarget", {std::int64_t(width), std::int64_t(height),
                                   std::int64_t(format), std::int64_t(lockable)});
  if (FAILED(entered)) return entered;
  if (out == nullptr || shared != nullptr || width == 0 || height == 0 ||
      width > Profile().caps.MaxTextureWidth || height > Profile().caps.MaxTextureHeight) {
    return D3DERR_INVALIDCALL;
  }
  if (multiSample != D3DMULTISAMPLE_NONE || quality != 0) return D3DERR_NOTAVAILABLE;
  if (FAILED(direct3d->FormatSupport(D3DUSAGE_RENDERTARGET, D3DRTYPE_SURFACE, format))) {
    return D3DERR_NOTAVAILABLE;
  }
  try {
    const SurfaceShape shape = {format, width, height, D3DUSAGE_RENDERTARGET, D3DPOOL_DEFAULT,
                                lockable != FALSE};
    return Deliver<IDirect3DSurface9>(new Surface(this, shape), out);
  } catch (const std::bad_alloc&) {
    return D3DERR_OUTOFVIDEOMEMORY;
  }
}

HRESULT Device::CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format,
                                          D3DMULTISAMPLE_TYPE multiSample, DWORD quality, BOOL,
                                          IDirect3DSurface9** out, HANDLE* shared) {
  const HRESULT entered = Enter("CreateDepthStencilSurface",
                                {std::int64_t(width), std::int64_t(height), std::int64_t(format)});
  if (FAILED(entered)) return entered;
  if (out == nullptr || shared != nullptr || width == 0 || height == 0 || width > 16384 ||
      height > 16384) {
    return D3DERR_INVALIDCALL;
  }
  if (multiSample != D3DMULTISAMPLE_NONE || quality != 0) return D3DERR_NOTAVAILABLE;
  if (FAILED(direct3d->FormatSupport(D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, format))) {
    return D3DERR_NOTAVAILABLE;
  }
  try {
    const SurfaceShape shape = {format, width, height, D3DUSAGE_DEPTHSTENCIL, D3DPOOL_DEFAULT,
                                FindFormat(format)->lockable};
    return Deliver<IDirect3DSurface9>(new Surface(this, shape), out);
  } catch (const std::bad_alloc&) {
    return D3DERR_OUTOFVIDEOMEMORY;
  }
}

HRESULT Device::CreateOffscreenPlainSurface(UINT width, UINT height, D3DFORMAT format,
                                            D3DPOOL pool, IDirect3DSurface9** out,
                                            HANDLE* shared) {
  const HRESULT entered =
      Enter("CreateOffscreenPlainSurface", {std::int64_t(width), std::int64_t(height),
                                            std::int64_t(format), std::int64_t(pool)});
  if (FAILED(entered)) return entered;
  if (out == nullptr || shared != nullptr || width == 0 || height == 0 || width > scratchLimit ||
      height > scratchLimit || pool == D3DPOOL_MANAGED || pool > D3DPOOL_SCRATCH) {
    return D3DERR_INVALIDCALL;
  }
  const FormatInfo* info = FindFormat(format);
  if (info == nullptr || info->depth) return D3DERR_INVALIDCALL;
  if (pool == D3DPOOL_DEFAULT &&
      FAILED(direct3d->FormatSupport(0, D3DRTYPE_SURFACE, format))) {
    return D3DERR_INVALIDCALL;
  }
  try {
    // Plain surfaces can be locked in every pool.
    const SurfaceShape shape = {format, width, height, 0, pool, true};
    return Deliver<IDirect3DSurface9>(new Surface(this, shape), out);
  } catch (const std::bad_alloc&) {
    return OutOfMemoryFor(pool);
  }
}

HRESULT Device::CreateVertexDeclaration(const D3DVERTEXELEMENT9* elements,
                                        IDirect3DVertexDeclaration9** out) {
  const HRESULT entered = Enter("CreateVertexDeclaration", {Arg(elements)});
  if (FAILED(entered)) return entered;
  if (elements == nullptr || out == nullptr) return D3DERR_INVALIDCALL;
  std::vector<D3DVERTEXELEMENT9> read;
  if (!ReadDeclaration(elements, &read)) return D3DERR_INVALIDCALL;
  return Deliver<IDirect3DVertexDeclaration9>(new VertexDeclaration(this, std::move(read)), out);
}

HRESULT Device::CreateStateBlock(D3DSTATEBLOCKTYPE type, IDirect3DStateBlock9** out) {
  const HRESULT entered = Enter("CreateStateBlock", {std::int64_t(type)});
  if (FAILED(entered)) return entered;
  if (out == nullptr || recording || type < D3DSBT_ALL || type > D3DSBT_VERTEXSTATE) {
    return D3DERR_INVALIDCALL;
  }
  auto* block = new StateBlock(this);
  block->RecordAll(type, state);
  return Deliver<IDirect3DStateBlock9>(block, out);
}

}  // namespace d3d9
