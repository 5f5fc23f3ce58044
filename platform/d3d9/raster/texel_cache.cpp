#include "platform/d3d9/raster/texel_cache.h"

#include "platform/d3d9/raster/texel_decode.h"

namespace d3d9 {
namespace {

RunKind KindOf(std::uint32_t texel) {
  const std::uint32_t alpha = texel >> 24;
  if (alpha == 0) return RunKind::Transparent;
  if (alpha == 0xFF) return RunKind::Opaque;
  return RunKind::Mixed;
}

void BuildRuns(const std::uint32_t* texels, UINT width, UINT height, RunIndex& index) {
  index.rowStart.assign(height + 1, 0);
  index.runs.clear();
  for (UINT y = 0; y < height; ++y) {
    index.rowStart[y] = std::uint32_t(index.runs.size());
    const std::uint32_t* row = texels + std::size_t(y) * width;
    UINT x = 0;
    while (x < width) {
      const RunKind kind = KindOf(row[x]);
      UINT end = x + 1;
      while (end < width && KindOf(row[end]) == kind) ++end;
      index.runs.push_back({x, end, kind});
      x = end;
    }
  }
  index.rowStart[height] = std::uint32_t(index.runs.size());
  index.blocksPerRow = (width + (1u << RunIndex::blockShift) - 1) >> RunIndex::blockShift;
  index.blockStart.assign(std::size_t(height) * index.blocksPerRow, 0);
  for (UINT y = 0; y < height; ++y) {
    std::uint32_t run = index.rowStart[y];
    for (std::uint32_t block = 0; block < index.blocksPerRow; ++block) {
      const std::uint32_t first = block << RunIndex::blockShift;
      while (index.runs[run].end <= first) ++run;
      index.blockStart[std::size_t(y) * index.blocksPerRow + block] = run;
    }
  }
}

}  // namespace

TexelAccess ArgbTexels(const Image& image, const WorkingMemory& memory,
                       const std::uint32_t** texels) {
  if (image.Format() == D3DFMT_A8R8G8B8) {
    *texels = reinterpret_cast<const std::uint32_t*>(image.Bits());
    return TexelAccess::Ready;
  }
  TexelCache& cache = image.Cache();
  if (cache.texelGeneration != image.Generation()) {
    const std::size_t sliceTexels = std::size_t(image.Width()) * image.Height();
    if (!cache.argb) {
      cache.argb = memory.Array<std::uint32_t>(sliceTexels * image.Depth());
      if (!cache.argb) return TexelAccess::OutOfMemory;
    }
    cache.decodable = true;
    for (UINT slice = 0; slice < image.Depth() && cache.decodable; ++slice) {
      cache.decodable = DecodeToArgb(image, cache.argb.get() + slice * sliceTexels, slice);
    }
    cache.texelGeneration = image.Generation();
  }
  if (!cache.decodable) return TexelAccess::Unreadable;
  *texels = cache.argb.get();
  return TexelAccess::Ready;
}

const RunIndex& TexelRuns(const Image& image) {
  TexelCache& cache = image.Cache();
  if (cache.runGeneration != image.Generation()) {
    // The sampler has decoded the texels already.
    const std::uint32_t* texels = nullptr;
    if (ArgbTexels(image, WorkingMemory(), &texels) == TexelAccess::Ready) {
      BuildRuns(texels, image.Width(), image.Height(), cache.runIndex);
    }
    cache.runGeneration = image.Generation();
  }
  return cache.runIndex;
}

}  // namespace d3d9
