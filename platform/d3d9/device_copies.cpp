// Copies between resources: UpdateSurface and UpdateTexture (system memory into the default
// pool), GetRenderTargetData (back), StretchRect and ColorFill (within the default pool).
#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/d3d9/device.h"
#include "platform/d3d9/format_info.h"
#include "platform/d3d9/texture.h"

namespace d3d9 {
namespace {

RECT WholeRect(const Image& image) { return {0, 0, LONG(image.Width()), LONG(image.Height())}; }

bool InsideImage(const RECT& rect, const Image& image) {
  return IsValidLockRect(rect, image.Format(), image.Width(), image.Height());
}

// Copies `rect` of `source` to `destination` with its top-left at `at`; same format, and the
// caller has checked both areas (block formats by whole blocks).
void CopyArea(const Image& source, const RECT& rect, Image& destination, POINT at) {
  const FormatInfo* info = FindFormat(source.Format());
  const bool blocks = info->blockBytes != 0;
  const UINT unit = blocks ? info->blockBytes : info->bitsPerPixel / 8;
  const UINT scale = blocks ? 4 : 1;
  const UINT columns = (UINT(rect.right - rect.left) + scale - 1) / scale;
  const UINT rows = (UINT(rect.bottom - rect.top) + scale - 1) / scale;
  for (UINT slice = 0; slice < std::min(source.Depth(), destination.Depth()); ++slice) {
    for (UINT row = 0; row < rows; ++row) {
      const BYTE* from = source.Row(UINT(rect.top) / scale + row, slice) +
                         std::size_t(rect.left / LONG(scale)) * unit;
      BYTE* to = destination.Row(UINT(at.y) / scale + row, slice) +
                 std::size_t(at.x / LONG(scale)) * unit;
      std::memmove(to, from, std::size_t(columns) * unit);
    }
  }
  destination.Touch();
}

void CopyWhole(const Image& source, Image& destination) {
  CopyArea(source, WholeRect(source), destination, {0, 0});
}

bool IsArgbFamily(D3DFORMAT format) {
  return format == D3DFMT_A8R8G8B8 || format == D3DFMT_X8R8G8B8;
}

std::uint32_t PixelAt(const Image& image, int x, int y) {
  std::uint32_t value;
  std::memcpy(&value, image.Row(UINT(y)) + std::size_t(x) * 4, 4);
  return image.Format() == D3DFMT_X8R8G8B8 ? value | 0xFF000000u : value;
}

std::uint32_t Lerp(std::uint32_t a, std::uint32_t b, float t) {
  std::uint32_t out = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    const float ca = float((a >> shift) & 0xFF);
    const float cb = float((b >> shift) & 0xFF);
    out |= std::uint32_t(std::lround(ca + (cb - ca) * t)) << shift;
  }
  return out;
}

// Resamples between the 32-bit formats, pixel centre to pixel centre.
void StretchArgb(const Image& source, const RECT& from, Image& destination, const RECT& to,
                 bool linear) {
  const int sw = from.right - from.left;
  const int sh = from.bottom - from.top;
  const int dw = to.right - to.left;
  const int dh = to.bottom - to.top;
  for (int y = 0; y < dh; ++y) {
    const float fy = (float(y) + 0.5f) * float(sh) / float(dh) - 0.5f;
    auto* out = reinterpret_cast<std::uint32_t*>(destination.Row(UINT(to.top + y))) + to.left;
    for (int x = 0; x < dw; ++x) {
      const float fx = (float(x) + 0.5f) * float(sw) / float(dw) - 0.5f;
      std::uint32_t value;
      if (!linear) {
        const int sx = std::clamp(int(std::floor(fx + 0.5f)), 0, sw - 1);
        const int sy = std::clamp(int(std::floor(fy + 0.5f)), 0, sh - 1);
        value = PixelAt(source, from.left + sx, from.top + sy);
      } else {
        const int x0 = std::clamp(int(std::floor(fx)), 0, sw - 1);
        const int y0 = std::clamp(int(std::floor(fy)), 0, sh - 1);
        const int x1 = std::min(x0 + 1, sw - 1);
        const int y1 = std::min(y0 + 1, sh - 1);
        const float tx = std::clamp(fx - float(x0), 0.0f, 1.0f);
        const float ty = std::clamp(fy - float(y0), 0.0f, 1.0f);
        const std::uint32_t top = Lerp(PixelAt(source, from.left + x0, from.top + y0),
                                       PixelAt(source, from.left + x1, from.top + y0), tx);
        const std::uint32_t bottom = Lerp(PixelAt(source, from.left + x0, from.top + y1),
                                          PixelAt(source, from.left + x1, from.top + y1), tx);
        value = Lerp(top, bottom, ty);
      }
      out[x] = value;
    }
  }
  destination.Touch();
}

bool Overlap(const RECT& a, const RECT& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

// Encodes an ARGB colour in the formats ColorFill accepts; false for the others.
bool EncodeFill(D3DFORMAT format, D3DCOLOR color, std::uint32_t* out, UINT* bytes) {
  const std::uint32_t a = color >> 24, r = (color >> 16) & 0xFF, g = (color >> 8) & 0xFF,
                      b = color & 0xFF;
  switch (format) {
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8:
      *out = color;
      *bytes = 4;
      return true;
    case D3DFMT_R5G6B5:
      *out = ((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3);
      *bytes = 2;
      return true;
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5:
      *out = ((a >> 7) << 15) | ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3);
      *bytes = 2;
      return true;
    case D3DFMT_A4R4G4B4:
      *out = ((a >> 4) << 12) | ((r >> 4) << 8) | ((g >> 4) << 4) | (b >> 4);
      *bytes = 2;
      return true;
    default:
      return false;
  }
}

}  // namespace

HRESULT Device::UpdateSurface(IDirect3DSurface9* source, const RECT* sourceRect,
                              IDirect3DSurface9* destination, const POINT* destPoint) {
  const HRESULT entered = Enter("UpdateSurface", {Arg(source), Arg(sourceRect),
                                                  Arg(destination), Arg(destPoint)});
  if (FAILED(entered)) return entered;
  Surface* from = AsSurfaceOf(this, source);
  Surface* to = AsSurfaceOf(this, destination);
  if (from == nullptr || to == nullptr || from->IsLocked() || to->IsLocked()) {
    return D3DERR_INVALIDCALL;
  }
  if (from->Shape().pool != D3DPOOL_SYSTEMMEM || to->Shape().pool != D3DPOOL_DEFAULT ||
      from->Shape().format != to->Shape().format || IsDepthFormat(from->Shape().format)) {
    return D3DERR_INVALIDCALL;
  }
  const RECT area = sourceRect != nullptr ? *sourceRect : WholeRect(from->Pixels());
  const POINT at = destPoint != nullptr ? *destPoint : POINT{0, 0};
  const RECT target = {at.x, at.y, at.x + (area.right - area.left),
                       at.y + (area.bottom - area.top)};
  if (!InsideImage(area, from->Pixels()) || !InsideImage(target, to->Pixels())) {
    return D3DERR_INVALIDCALL;
  }
  CopyArea(from->Pixels(), area, to->Pixels(), at);
  return S_OK;
}

HRESULT Device::UpdateTexture(IDirect3DBaseTexture9* source, IDirect3DBaseTexture9* destination) {
  const HRESULT entered = Enter("UpdateTexture", {Arg(source), Arg(destination)});
  if (FAILED(entered)) return entered;
  const TextureBase* from = AsTexture(source);
  const TextureBase* to = AsTexture(destination);
  if (from == nullptr || to == nullptr || from->Owner() != this || to->Owner() != this ||
      from->Kind() != to->Kind() || from->Format() != to->Format() ||
      from->TexturePool() != D3DPOOL_SYSTEMMEM || to->TexturePool() != D3DPOOL_DEFAULT) {
    return D3DERR_INVALIDCALL;
  }
  // The destination's top level matches the first source level of its size.
  const Image* top = to->ImageAt(0, 0);
  UINT skip = 0;
  while (skip < from->LevelCount()) {
    const Image* level = from->ImageAt(0, skip);
    if (level->Width() == top->Width() && level->Height() == top->Height() &&
        level->Depth() == top->Depth()) {
      break;
    }
    ++skip;
  }
  if (skip == from->LevelCount() || from->LevelCount() - skip < to->LevelCount()) {
    return D3DERR_INVALIDCALL;
  }
  for (UINT face = 0; face < to->FaceCount(); ++face) {
    for (UINT level = 0; level < to->LevelCount(); ++level) {
      CopyWhole(*from->ImageAt(face, skip + level), *to->ImageAt(face, level));
    }
  }
  return S_OK;
}

HRESULT Device::GetRenderTargetData(IDirect3DSurface9* target, IDirect3DSurface9* destination) {
  const HRESULT entered = Enter("GetRenderTargetData", {Arg(target), Arg(destination)});
  if (FAILED(entered)) return entered;
  Surface* from = AsSurfaceOf(this, target);
  Surface* to = AsSurfaceOf(this, destination);
  if (from == nullptr || to == nullptr || (from->Shape().usage & D3DUSAGE_RENDERTARGET) == 0 ||
      to->Shape().pool != D3DPOOL_SYSTEMMEM || from->Shape().format != to->Shape().format ||
      from->Shape().width != to->Shape().width || from->Shape().height != to->Shape().height ||
      to->IsLocked()) {
    return D3DERR_INVALIDCALL;
  }
  CopyWhole(from->Pixels(), to->Pixels());
  return S_OK;
}

HRESULT Device::StretchRect(IDirect3DSurface9* source, const RECT* sourceRect,
                            IDirect3DSurface9* destination, const RECT* destRect,
                            D3DTEXTUREFILTERTYPE filter) {
  const HRESULT entered = Enter("StretchRect", {Arg(source), Arg(sourceRect), Arg(destination),
                                                Arg(destRect), std::int64_t(filter)});
  if (FAILED(entered)) return entered;
  Surface* from = AsSurfaceOf(this, source);
  Surface* to = AsSurfaceOf(this, destination);
  if (from == nullptr || to == nullptr || from->IsLocked() || to->IsLocked() ||
      from->Shape().pool != D3DPOOL_DEFAULT || to->Shape().pool != D3DPOOL_DEFAULT ||
      filter > D3DTEXF_LINEAR || IsDepthFormat(from->Shape().format) ||
      IsDepthFormat(to->Shape().format)) {
    return D3DERR_INVALIDCALL;
  }
  // Only render targets and plain surfaces are written by the device.
  const bool writable = (to->Shape().usage & D3DUSAGE_RENDERTARGET) != 0 || !to->IsTextureLevel();
  if (!writable) return D3DERR_INVALIDCALL;
  const RECT fromArea = sourceRect != nullptr ? *sourceRect : WholeRect(from->Pixels());
  const RECT toArea = destRect != nullptr ? *destRect : WholeRect(to->Pixels());
  if (!InsideImage(fromArea, from->Pixels()) || !InsideImage(toArea, to->Pixels())) {
    return D3DERR_INVALIDCALL;
  }
  if (from == to && Overlap(fromArea, toArea)) return D3DERR_INVALIDCALL;
  const bool sameSize = fromArea.right - fromArea.left == toArea.right - toArea.left &&
                        fromArea.bottom - fromArea.top == toArea.bottom - toArea.top;
  if (sameSize && from->Shape().format == to->Shape().format) {
    CopyArea(from->Pixels(), fromArea, to->Pixels(), {toArea.left, toArea.top});
    return S_OK;
  }
  if (!IsArgbFamily(from->Shape().format) || !IsArgbFamily(to->Shape().format)) {
    return D3DERR_INVALIDCALL;
  }
  StretchArgb(from->Pixels(), fromArea, to->Pixels(), toArea, filter == D3DTEXF_LINEAR);
  return S_OK;
}

HRESULT Device::ColorFill(IDirect3DSurface9* surface, const RECT* rect, D3DCOLOR color) {
  const HRESULT entered = Enter("ColorFill", {Arg(surface), Arg(rect), std::int64_t(color)});
  if (FAILED(entered)) return entered;
  Surface* target = AsSurfaceOf(this, surface);
  if (target == nullptr || target->IsLocked() || target->Shape().pool != D3DPOOL_DEFAULT) {
    return D3DERR_INVALIDCALL;
  }
  std::uint32_t value = 0;
  UINT bytes = 0;
  if (!EncodeFill(target->Shape().format, color, &value, &bytes)) return D3DERR_INVALIDCALL;
  Image& image = target->Pixels();
  const RECT area = rect != nullptr ? *rect : WholeRect(image);
  if (!InsideImage(area, image)) return D3DERR_INVALIDCALL;
  for (LONG y = area.top; y < area.bottom; ++y) {
    BYTE* row = image.Row(UINT(y)) + std::size_t(area.left) * bytes;
    for (LONG x = area.left; x < area.right; ++x, row += bytes) std::memcpy(row, &value, bytes);
  }
  image.Touch();
  return S_OK;
}

}  // namespace d3d9
