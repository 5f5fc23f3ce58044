// The memory of one surface or volume level: tightly pitched rows, slice after slice, a
// generation count that every write moves on, and the sampler's cache of what it derives from
// the texels (raster/texel_cache.h: the decoded copy and the run index), which the generation
// tells when to rebuild. What is known of a depth buffer's cells is kept by its surface.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/d3d9/formats.h"

namespace d3d9 {

struct TexelCache;  // raster/texel_cache.h

class Image {
 public:
  // Throws std::bad_alloc when the memory cannot be had; callers turn that into a result.
  Image(D3DFORMAT pixelFormat, UINT columns, UINT rows, UINT slices);
  ~Image();
  Image(const Image&) = delete;
  Image& operator=(const Image&) = delete;

  D3DFORMAT Format() const { return format; }
  UINT Width() const { return width; }
  UINT Height() const { return height; }
  UINT Depth() const { return depth; }
  UINT RowPitch() const { return rowPitch; }
  UINT SlicePitch() const { return slicePitch; }
  std::size_t ByteCount() const { return bytes.size(); }

  std::uint8_t* Bits() { return bytes.data(); }
  const std::uint8_t* Bits() const { return bytes.data(); }
  std::uint8_t* Row(UINT memoryRow, UINT slice = 0) {
    return bytes.data() + std::size_t(slice) * slicePitch + std::size_t(memoryRow) * rowPitch;
  }
  const std::uint8_t* Row(UINT memoryRow, UINT slice = 0) const {
    return bytes.data() + std::size_t(slice) * slicePitch + std::size_t(memoryRow) * rowPitch;
  }

  // Called after every write to the texels.
  void Touch() { ++generation; }
  std::uint64_t Generation() const { return generation; }

  // The sampler's, rebuilt lazily from the texels by const readers (a draw reads its
  // textures as const). Made with the image, so that drawing never allocates it.
  TexelCache& Cache() const;

 private:
  D3DFORMAT format;
  UINT width;
  UINT height;
  UINT depth;
  UINT rowPitch;
  UINT slicePitch;
  std::vector<std::uint8_t> bytes;
  std::uint64_t generation = 0;
  std::unique_ptr<TexelCache> cache;
};

}  // namespace d3d9
