// CreateTextureFromMemoryCore: decode, plan, create, fill the levels, hand the texture out.

#include "platform/win32/com_object.h"
#include "toolkit/common/defaults.h"
#include "toolkit/image/decoded_image.h"
#include "toolkit/image/format_choice.h"
#include "toolkit/image/source_palette.h"
#include "toolkit/image/texture_load.h"
#include "toolkit/image/texture_requirements.h"
#include "toolkit/surface/d3dx_surface.h"
#include "toolkit/surface/pixel_format.h"

namespace {

constexpr UINT cubeFaceCount = 6;
constexpr DWORD defaultFilter = D3DX_FILTER_TRIANGLE | D3DX_FILTER_DITHER;
constexpr DWORD defaultMipFilter = D3DX_FILTER_BOX;

// What one call settles before it creates anything.
struct TexturePlan {
  D3DRESOURCETYPE kind;
  UINT width;
  UINT height;
  UINT depth;
  UINT mipLevels;
  DWORD usage;
  D3DFORMAT format;
  D3DPOOL pool;
  DWORD filter;
  DWORD mipFilter;
  D3DCOLOR colorKey;
  UINT levelsInFile;
  // The remaining levels come from the mip filler rather than from the surface loader.
  bool useMipFilter;
  // The levels are written into a system-memory copy and moved into the texture at the end.
  bool useStaging;
  const PALETTEENTRY* destPalette;
  PALETTEENTRY sourcePalette[paletteSize];

  // A chain the device makes itself (D3DUSAGE_AUTOGENMIPMAP) still has its top level written.
  UINT LevelsToWrite() const { return mipLevels == 0 ? 1 : mipLevels; }
};

// 0 or D3DX_DEFAULT: the power of two that holds the image; D3DX_DEFAULT_NONPOW2: the image's
// own value; anything else is kept.
UINT SizeFor(UINT wished, UINT imageValue) {
  if (wished == D3DX_DEFAULT_NONPOW2) return imageValue;
  if (wished == 0 || wished == D3DX_DEFAULT) return PowerOfTwoAtLeast(imageValue);
  return wished;
}

bool FilterIs(DWORD filter, DWORD kind) { return (filter & 0xFF) == kind; }

void SettleFilters(TexturePlan& plan, DWORD filter, DWORD mipFilter) {
  plan.filter = filter == D3DX_DEFAULT ? defaultFilter : filter;
  plan.mipFilter = mipFilter == D3DX_DEFAULT ? defaultMipFilter : mipFilter;
  // Cube faces meet at their edges: samples beyond an edge mirror back into the face.
  if (plan.kind == D3DRTYPE_CUBETEXTURE) {
    plan.filter |= D3DX_FILTER_MIRROR;
    plan.mipFilter |= D3DX_FILTER_MIRROR;
  }
  plan.useMipFilter = FilterIs(plan.filter, D3DX_FILTER_NONE) ||
                      FilterIs(plan.mipFilter, D3DX_FILTER_POINT) ||
                      FilterIs(plan.mipFilter, D3DX_FILTER_BOX);
}

// The palette and key, and for palettes that spell plain pixels the head's format.
void SettlePalette(TexturePlan& plan, DecodedImage& head, D3DFORMAT wishedFormat) {
  if (!BuildSourcePalette(head.palette, plan.colorKey, plan.sourcePalette)) return;
  plan.colorKey = 0;
  if (wishedFormat != D3DFMT_P8 && head.format == D3DFMT_P8) {
    head.format = FormatSpelledByPalette(plan.sourcePalette);
  }
}

// The file's format as a texture format; a keyed image without alpha asks for the closest
// format with alpha.
D3DFORMAT FormatFromFile(const TexturePlan& plan, D3DFORMAT imageFormat) {
  D3DFORMAT candidate = imageFormat;
  const PixelFormatInfo& row = GetPixelFormatInfo(candidate);
  const bool plainKind = row.kind == PixelKind::Colour || row.kind == PixelKind::Palettised ||
                         row.kind == PixelKind::Luminance;
  if (plan.colorKey != 0 && plainKind && row.alphaBits == 0) {
    PixelFormatInfo withAlpha = row;
    withAlpha.format = D3DFMT_UNKNOWN;
    withAlpha.alphaBits = 1;
    const D3DFORMAT keyed = FindClosestDeviceFormat(nullptr, plan.usage, plan.kind, withAlpha);
    if (keyed != D3DFMT_UNKNOWN) candidate = keyed;
  }
  D3DFORMAT format = NormalizeFormat(candidate);
  if (plan.pool != D3DPOOL_SCRATCH && format == D3DFMT_R8G8B8) format = D3DFMT_X8R8G8B8;
  return format;
}

// Without a palette to receive it, a palettised texture would lose its colours.
D3DFORMAT WithoutPalette(D3DFORMAT format, const PALETTEENTRY sourcePalette[paletteSize]) {
  if (format == D3DFMT_A8P8) return D3DFMT_A8R8G8B8;
  if (format != D3DFMT_P8) return format;
  return HasTranslucentEntry(sourcePalette) ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
}

// Everything up to the requirement check; the head's format may change (palette ramps).
HRESULT PlanTexture(const TextureLoadRequest& request, DecodedImage& head, TexturePlan& plan) {
  plan.kind = request.kind;
  plan.levelsInFile = head.LevelCount();
  if (plan.kind == D3DRTYPE_CUBETEXTURE && head.FaceCount() != cubeFaceCount) return E_FAIL;

  plan.width = SizeFor(request.width, head.width);
  plan.height = SizeFor(request.height, head.height);
  plan.depth = SizeFor(request.depth, head.depth);
  plan.mipLevels = request.mipLevels;
  plan.usage = request.usage == D3DX_DEFAULT ? 0 : request.usage;
  plan.pool = request.pool;
  plan.colorKey = request.colorKey;
  plan.destPalette = request.palette;
  SettleFilters(plan, request.filter, request.mipFilter);

  const bool imageHasPalette = head.palette != nullptr;
  SettlePalette(plan, head, request.format);
  plan.format = request.format;
  if (plan.format == D3DFMT_UNKNOWN) plan.format = FormatFromFile(plan, head.format);
  if (request.palette != nullptr) {
    for (UINT i = 0; i < paletteSize; ++i) request.palette[i] = plan.sourcePalette[i];
  }
  if (request.palette == nullptr || !imageHasPalette) {
    plan.format = WithoutPalette(plan.format, plan.sourcePalette);
  }
  plan.useStaging = plan.pool == D3DPOOL_DEFAULT && (plan.usage & D3DUSAGE_DYNAMIC) == 0;

  return CheckRequirements(request.device, &plan.width, &plan.height, &plan.depth,
                           &plan.mipLevels, plan.usage, &plan.format, plan.pool, plan.kind);
}

HRESULT CreateOfKind(IDirect3DDevice9* device, const TexturePlan& plan, DWORD usage, D3DPOOL pool,
                     win32::ComRef<IDirect3DBaseTexture9>& out) {
  HRESULT result = S_OK;
  if (plan.kind == D3DRTYPE_CUBETEXTURE) {
    IDirect3DCubeTexture9* cube = nullptr;
    result = device->CreateCubeTexture(plan.width, plan.mipLevels, usage, plan.format, pool,
                                       &cube, nullptr);
    if (SUCCEEDED(result)) *out.Receive() = cube;
  } else if (plan.kind == D3DRTYPE_VOLUMETEXTURE) {
    IDirect3DVolumeTexture9* volume = nullptr;
    result = device->CreateVolumeTexture(plan.width, plan.height, plan.depth, plan.mipLevels,
                                         usage, plan.format, pool, &volume, nullptr);
    if (SUCCEEDED(result)) *out.Receive() = volume;
  } else {
    IDirect3DTexture9* texture = nullptr;
    result = device->CreateTexture(plan.width, plan.height, plan.mipLevels, usage, plan.format,
                                   pool, &texture, nullptr);
    if (SUCCEEDED(result)) *out.Receive() = texture;
  }
  return result;
}

HRESULT LoadSurfaceLevel(IDirect3DSurface9* surface, const TexturePlan& plan,
                         const DecodedImage& image) {
  const RECT sourceRect = image.SourceRect();
  return D3DXLoadSurfaceFromMemory(surface, plan.destPalette, nullptr, image.pixels,
                                   image.format, image.rowPitch, plan.sourcePalette, &sourceRect,
                                   plan.filter, plan.colorKey);
}

// One level of one face, loaded whole from `image`.
HRESULT LoadLevel(IDirect3DBaseTexture9* texture, const TexturePlan& plan, UINT face, UINT level,
                  const DecodedImage& image) {
  if (plan.kind == D3DRTYPE_VOLUMETEXTURE) {
    win32::ComRef<IDirect3DVolume9> volume;
    const HRESULT got =
        static_cast<IDirect3DVolumeTexture9*>(texture)->GetVolumeLevel(level, volume.Receive());
    if (FAILED(got)) return got;
    return D3DXLoadVolumeFromMemory(volume.Get(), plan.destPalette, nullptr, image.pixels,
                                    image.format, image.rowPitch, image.slicePitch,
                                    plan.sourcePalette, &image.sourceBox, plan.filter,
                                    plan.colorKey);
  }
  win32::ComRef<IDirect3DSurface9> surface;
  const HRESULT got =
      plan.kind == D3DRTYPE_CUBETEXTURE
          ? static_cast<IDirect3DCubeTexture9*>(texture)->GetCubeMapSurface(
                static_cast<D3DCUBEMAP_FACES>(face), level, surface.Receive())
          : static_cast<IDirect3DTexture9*>(texture)->GetSurfaceLevel(level, surface.Receive());
  if (FAILED(got)) return got;
  return LoadSurfaceLevel(surface.Get(), plan, image);
}

// The file's levels of one face; without the mip filler, the further levels from its last.
HRESULT FillFace(IDirect3DBaseTexture9* texture, const TexturePlan& plan, UINT face,
                 const DecodedImage& first) {
  const DecodedImage* image = &first;
  const UINT levels = plan.LevelsToWrite();
  UINT level = 0;
  for (; level < levels && level < plan.levelsInFile; ++level) {
    const HRESULT loaded = LoadLevel(texture, plan, face, level, *image);
    if (FAILED(loaded)) return loaded;
    if (image->nextLevel != nullptr) image = image->nextLevel;
  }
  if (plan.useMipFilter) return S_OK;
  for (; level < levels; ++level) {
    const HRESULT loaded = LoadLevel(texture, plan, face, level, *image);
    if (FAILED(loaded)) return loaded;
  }
  return S_OK;
}

HRESULT FillTexture(IDirect3DBaseTexture9* texture, const TexturePlan& plan,
                    const DecodedImage& head) {
  const UINT faces = plan.kind == D3DRTYPE_CUBETEXTURE ? cubeFaceCount : 1;
  const DecodedImage* first = &head;
  for (UINT face = 0; face < faces && first != nullptr; ++face, first = first->nextFace) {
    const HRESULT filled = FillFace(texture, plan, face, *first);
    if (FAILED(filled)) return filled;
  }
  if (plan.useMipFilter && plan.levelsInFile < plan.LevelsToWrite()) {
    return D3DXFilterTexture(texture, plan.sourcePalette, plan.levelsInFile - 1, plan.mipFilter);
  }
  return S_OK;
}

}  // namespace

HRESULT CreateTextureFromMemoryCore(const TextureLoadRequest& request) {
  if (request.device == nullptr || request.bytes == nullptr || request.size == 0 ||
      request.texture == nullptr) {
    return D3DERR_INVALIDCALL;
  }
  DecodedImage head;
  HRESULT result = head.LoadFromMemory(request.bytes, request.size, request.srcInfo, true);
  if (FAILED(result)) return result;

  TexturePlan plan{};
  result = PlanTexture(request, head, plan);
  if (FAILED(result)) return result;

  win32::ComRef<IDirect3DBaseTexture9> created;
  result = CreateOfKind(request.device, plan, plan.usage & textureUsageWithoutQueries, plan.pool,
                        created);
  if (FAILED(result)) return result;
  win32::ComRef<IDirect3DBaseTexture9> staging;
  if (plan.useStaging) {
    result = CreateOfKind(request.device, plan, 0, D3DPOOL_SYSTEMMEM, staging);
    if (FAILED(result)) return result;
  }

  result = FillTexture(plan.useStaging ? staging.Get() : created.Get(), plan, head);
  if (FAILED(result)) return result;
  if (plan.useStaging) {
    result = request.device->UpdateTexture(staging.Get(), created.Get());
    if (FAILED(result)) return result;
  }
  *request.texture = created.Detach();
  return S_OK;
}
