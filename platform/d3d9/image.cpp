#include "platform/d3d9/image.h"

#include "platform/d3d9/format_info.h"
#include "platform/d3d9/raster/texel_cache.h"

namespace d3d9 {

Image::Image(D3DFORMAT format, UINT width, UINT height, UINT depth)
    : format(format),
      width(width),
      height(height),
      depth(depth),
      rowPitch(RowPitchOf(format, width)),
      slicePitch(rowPitch * MemoryRowsOf(format, height)),
      bytes(std::size_t(slicePitch) * depth, 0),
      cache(std::make_unique<TexelCache>()) {}

Image::~Image() = default;

TexelCache& Image::Cache() const { return *cache; }

}  // namespace d3d9
