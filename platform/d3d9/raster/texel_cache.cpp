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

const std::uint32_t* ArgbTexels(const Image& image) {
  if (image.Format() == D3DFMT_A8R8G8B8) {
    return reinterpret_cast<const std::uint32_t*>(image.Bits());
  }
  TexelCache& cache = image.Cache();
  if (cache.texelGeneration != image.Generation()) {
    const std::size_t sliceTexels = std::size_t(image.Width()) * image.Height();
    cache.argb.resize(sliceTexels * image.Depth());
    cache.decodable = true;
    for (UINT slice = 0; slice < image.Depth() && cache.decodable; ++slice) {
      cache.decodable = DecodeToArgb(image, cache.argb.data() + slice * sliceTexels, slice);
    }
    cache.texelGeneration = image.Generation();
  }
  return cache.decodable ? cache.argb.data() : nullptr;
}

const RunIndex& TexelRuns(const Image& image) {
  TexelCache& cache = image.Cache();
  if (cache.runGeneration != image.Generation()) {
    const std::uint32_t* texels = ArgbTexels(image);
    if (texels != nullptr) BuildRuns(texels, image.Width(), image.Height(), cache.runIndex);
    cache.runGeneration = image.Generation();
  }
  return cache.runIndex;
}

}  // namespace d3d9
