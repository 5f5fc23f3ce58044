#include "toolkit/image/texture_requirements.h"

#include <algorithm>
#include <cstdint>

#include "toolkit/common/defaults.h"
#include "toolkit/image/format_choice.h"
#include "toolkit/surface/pixel_format.h"

namespace {

// The values being fitted, read from the caller's pointers.
struct TextureShape {
  UINT width;
  UINT height;
  UINT depth;
  UINT mipLevels;
  D3DFORMAT format;
};

// The capability bits that name powers of two and mip chains for each kind of texture.
struct KindCaps {
  DWORD powerOfTwo;
  DWORD mipmaps;
};

KindCaps CapsOfKind(D3DRESOURCETYPE kind) {
  if (kind == D3DRTYPE_VOLUMETEXTURE) {
    return {D3DPTEXTURECAPS_VOLUMEMAP_POW2, D3DPTEXTURECAPS_MIPVOLUMEMAP};
  }
  if (kind == D3DRTYPE_CUBETEXTURE) {
    return {D3DPTEXTURECAPS_CUBEMAP_POW2, D3DPTEXTURECAPS_MIPCUBEMAP};
  }
  return {D3DPTEXTURECAPS_POW2, D3DPTEXTURECAPS_MIPMAP};
}

bool IsPowerOfTwo(UINT value) { return value != 0 && (value & (value - 1)) == 0; }

// Position of the highest set bit, counted from 1; 0 for 0.
UINT BitLength(UINT value) {
  UINT length = 0;
  for (; value != 0; value >>= 1) ++length;
  return length;
}

// min(value, factor * limit) without overflowing the product.
UINT AtMostTimes(UINT value, UINT factor, UINT limit) {
  const std::uint64_t bound = std::uint64_t(factor) * limit;
  return bound < value ? static_cast<UINT>(bound) : value;
}

UINT MultipleOfFourAtLeast(UINT value) {
  constexpr UINT largest = 0xFFFFFFFCu;
  return value > largest ? largest : (value + 3) & ~3u;
}

TextureShape ReadShape(const UINT* width, const UINT* height, const UINT* depth,
                       const UINT* mipLevels, const D3DFORMAT* format) {
  return {width != nullptr ? *width : D3DX_DEFAULT, height != nullptr ? *height : D3DX_DEFAULT,
          depth != nullptr ? *depth : D3DX_DEFAULT,
          mipLevels != nullptr ? *mipLevels : D3DX_DEFAULT,
          format != nullptr ? *format : D3DFMT_UNKNOWN};
}

void WriteShape(const TextureShape& shape, UINT* width, UINT* height, UINT* depth,
                UINT* mipLevels, D3DFORMAT* format) {
  if (width != nullptr) *width = shape.width;
  if (height != nullptr) *height = shape.height;
  if (depth != nullptr) *depth = shape.depth;
  if (mipLevels != nullptr) *mipLevels = shape.mipLevels;
  if (format != nullptr) *format = shape.format;
}

// Defaults for the size: 256 x 256, or square on the one size given; at least 1 each.
void DefaultSize(TextureShape& shape, D3DRESOURCETYPE kind) {
  if (shape.width == D3DX_DEFAULT && shape.height == D3DX_DEFAULT) {
    shape.width = 256;
    shape.height = 256;
  } else if (shape.width == D3DX_DEFAULT) {
    shape.width = shape.height;
  } else if (shape.height == D3DX_DEFAULT) {
    shape.height = shape.width;
  }
  if (shape.width == 0) shape.width = 1;
  if (shape.height == 0) shape.height = 1;
  if (kind == D3DRTYPE_CUBETEXTURE) {
    shape.width = std::max(shape.width, shape.height);
    shape.height = shape.width;
  }
  if (shape.depth == D3DX_DEFAULT || shape.depth == 0) shape.depth = 1;
}

void LimitToCaps(TextureShape& shape, const D3DCAPS9& caps, D3DRESOURCETYPE kind) {
  if (kind == D3DRTYPE_VOLUMETEXTURE) {
    shape.width = std::min(shape.width, caps.MaxVolumeExtent);
    shape.height = std::min(shape.height, caps.MaxVolumeExtent);
    shape.depth = std::min(shape.depth, caps.MaxVolumeExtent);
    return;
  }
  shape.width = std::min(shape.width, caps.MaxTextureWidth);
  shape.height = std::min(shape.height, caps.MaxTextureHeight);
  if (kind != D3DRTYPE_TEXTURE) return;
  const UINT aspect =
      (caps.TextureCaps & D3DPTEXTURECAPS_SQUAREONLY) != 0 ? 1 : caps.MaxTextureAspectRatio;
  if (aspect == 0) return;
  shape.width = AtMostTimes(shape.width, aspect, shape.height);
  shape.height = AtMostTimes(shape.height, aspect, shape.width);
}

void RoundToPowersOfTwo(TextureShape& shape, const D3DCAPS9& caps, D3DRESOURCETYPE kind) {
  // A single level of any size is allowed on conditional devices, except for block formats.
  const bool exempt = shape.mipLevels == 1 &&
                      (caps.TextureCaps & D3DPTEXTURECAPS_NONPOW2CONDITIONAL) != 0 &&
                      !IsDxtFormat(shape.format);
  if (exempt || (caps.TextureCaps & CapsOfKind(kind).powerOfTwo) == 0) return;
  shape.width = PowerOfTwoAtLeast(shape.width);
  shape.height = PowerOfTwoAtLeast(shape.height);
  shape.depth = PowerOfTwoAtLeast(shape.depth);
}

// `caps` is null for the scratch pool, which has no device limits.
UINT LevelCount(const TextureShape& shape, const D3DCAPS9* caps, D3DRESOURCETYPE kind,
                DWORD usage) {
  if (caps != nullptr) {
    const bool conditional = (caps->TextureCaps & D3DPTEXTURECAPS_NONPOW2CONDITIONAL) != 0;
    const bool allPowers = IsPowerOfTwo(shape.width) && IsPowerOfTwo(shape.height) &&
                           IsPowerOfTwo(shape.depth);
    if ((caps->TextureCaps & CapsOfKind(kind).mipmaps) == 0 || (conditional && !allPowers)) {
      return 1;
    }
  }
  UINT largest = std::max(shape.width, shape.height);
  if (kind == D3DRTYPE_VOLUMETEXTURE) largest = std::max(largest, shape.depth);
  const UINT full = BitLength(largest);
  const UINT levels = shape.mipLevels == 0 || shape.mipLevels > full ? full : shape.mipLevels;
  if (levels != 1 && (usage & D3DUSAGE_AUTOGENMIPMAP) != 0) return 0;
  return levels;
}

}  // namespace

UINT PowerOfTwoAtLeast(UINT value) {
  constexpr UINT largest = 0x80000000u;
  if (value > largest) return largest;
  UINT power = 1;
  while (power < value) power <<= 1;
  return power;
}

HRESULT CheckRequirements(IDirect3DDevice9* device, UINT* width, UINT* height, UINT* depth,
                          UINT* mipLevels, DWORD usage, D3DFORMAT* format, D3DPOOL pool,
                          D3DRESOURCETYPE kind) {
  if (device == nullptr) return D3DERR_INVALIDCALL;
  if (usage == D3DX_DEFAULT) usage = 0;
  if ((usage & refusedTextureUsage) != 0 || pool > D3DPOOL_SCRATCH) return D3DERR_INVALIDCALL;

  TextureShape shape = ReadShape(width, height, depth, mipLevels, format);
  const bool scratch = pool == D3DPOOL_SCRATCH;
  if (scratch) {
    if (shape.format == D3DFMT_UNKNOWN) shape.format = D3DFMT_A8R8G8B8;
  } else {
    shape.format =
        FindClosestDeviceFormat(device, usage, kind, GetPixelFormatInfo(shape.format));
    if (shape.format == D3DFMT_UNKNOWN) return D3DERR_NOTAVAILABLE;
  }

  DefaultSize(shape, kind);
  D3DCAPS9 caps{};
  if (!scratch) {
    const HRESULT queried = device->GetDeviceCaps(&caps);
    if (FAILED(queried)) return queried;
    LimitToCaps(shape, caps, kind);
    RoundToPowersOfTwo(shape, caps, kind);
  }
  if (IsDxtFormat(shape.format)) {
    shape.width = MultipleOfFourAtLeast(shape.width);
    shape.height = MultipleOfFourAtLeast(shape.height);
  }
  shape.mipLevels = LevelCount(shape, scratch ? nullptr : &caps, kind, usage);

  WriteShape(shape, width, height, depth, mipLevels, format);
  return S_OK;
}
