#include "platform/d3d9/image.h"

#include "platform/d3d9/format_info.h"
#include "platform/d3d9/raster/texel_cache.h"

namespace d3d9 {

Image::Image(D3DFORMAT pixelFormat, UINT columns, UINT rows, UINT slices)
    : format(pixelFormat),
      width(columns),
      height(rows),
      depth(slices),
      rowPitch(RowPitchOf(pixelFormat, columns)),
      slicePitch(rowPitch * MemoryRowsOf(pixelFormat, rows)),
      bytes(std::size_t(slicePitch) * slices, 0),
      cache(std::make_unique<TexelCache>()) {}

Image::~Image() = default;

TexelCache& Image::Cache() const { return *cache; }

}  // namespace d3d9
