#include "platform/d3d9/raster/texel_cache.h"

#include <utility>

#include "platform/d3d9/cache_budget.h"
#include "platform/d3d9/raster/texel_decode.h"

namespace d3d9 {
namespace {

RunKind KindOf(std::uint32_t texel) {
  const std::uint32_t alpha = texel >> 24;
  if (alpha == 0) return RunKind::Transparent;
  if (alpha == 0xFF) return RunKind::Opaque;
  return RunKind::Mixed;
}

// Hands each run of every row, row after row, to `visit(y, run)`.
template <class Visit>
void ForEachRun(const std::uint32_t* texels, UINT width, UINT height, Visit visit) {
  for (UINT y = 0; y < height; ++y) {
    const std::uint32_t* row = texels + std::size_t(y) * width;
    UINT x = 0;
    while (x < width) {
      const RunKind kind = KindOf(row[x]);
      UINT end = x + 1;
      while (end < width && KindOf(row[end]) == kind) ++end;
      visit(y, TexelRun{x, end, kind});
      x = end;
    }
  }
}

// Counts the runs first, so that the index is allocated once and exactly; false (and `index`
// as it was) when the memory cannot be had.
bool BuildRuns(const std::uint32_t* texels, UINT width, UINT height, const WorkingMemory& memory,
               RunIndex& index) {
  std::size_t count = 0;
  ForEachRun(texels, width, height, [&](UINT, const TexelRun&) { ++count; });
  RunIndex built;
  built.blocksPerRow = (width + (1u << RunIndex::blockShift) - 1) >> RunIndex::blockShift;
  built.rowStart = memory.Array<std::uint32_t>(std::size_t(height) + 1);
  built.runs = memory.Array<TexelRun>(count);
  built.blockStart = memory.Array<std::uint32_t>(std::size_t(height) * built.blocksPerRow);
  if (!built.rowStart || !built.runs || !built.blockStart) return false;
  std::uint32_t next = 0;
  UINT rowsStarted = 0;
  ForEachRun(texels, width, height, [&](UINT y, const TexelRun& run) {
    while (rowsStarted <= y) built.rowStart[rowsStarted++] = next;
    built.runs[next++] = run;
  });
  while (rowsStarted <= height) built.rowStart[rowsStarted++] = next;
  for (UINT y = 0; y < height; ++y) {
    std::uint32_t run = built.rowStart[y];
    for (std::uint32_t block = 0; block < built.blocksPerRow; ++block) {
      const std::uint32_t first = block << RunIndex::blockShift;
      while (built.runs[run].end <= first) ++run;
      built.blockStart[std::size_t(y) * built.blocksPerRow + block] = run;
    }
  }
  index = std::move(built);
  return true;
}

struct DerivedOrder {
  TexelCache* oldest = nullptr;
  TexelCache* newest = nullptr;
  std::size_t budget = defaultDerivedTexelBudget;
  std::uint64_t draw = 1;
  CacheUsage usage;
};

DerivedOrder& Derived() {
  static DerivedOrder order;
  return order;
}

void Unlink(TexelCache& cache) {
  DerivedOrder& order = Derived();
  if (cache.older == nullptr && cache.newer == nullptr && order.oldest != &cache) return;
  (cache.older != nullptr ? cache.older->newer : order.oldest) = cache.newer;
  (cache.newer != nullptr ? cache.newer->older : order.newest) = cache.older;
  cache.older = cache.newer = nullptr;
}

// Lets go of a level's derived data; it is derived again when next drawn.
void Forget(TexelCache& cache) {
  Unlink(cache);
  DerivedOrder& order = Derived();
  order.usage.bytes -= cache.bytes;
  --order.usage.entries;
  ++order.usage.evictions;
  cache.bytes = 0;
  cache.argb.reset();
  cache.runIndex = RunIndex{};
  cache.texelGeneration = cache.runGeneration = ~std::uint64_t(0);
}

void KeepWithinBudget() {
  DerivedOrder& order = Derived();
  while (order.usage.bytes > order.budget && order.oldest != nullptr &&
         order.oldest->lastDraw != order.draw) {
    Forget(*order.oldest);
  }
}

// The level is used by this draw; `bytes` is what it derives now.
void Touch(TexelCache& cache, std::size_t bytes) {
  DerivedOrder& order = Derived();
  cache.lastDraw = order.draw;
  if (order.newest == &cache && cache.bytes == bytes) return;
  if (cache.bytes != 0) {
    Unlink(cache);
    order.usage.bytes -= cache.bytes;
    --order.usage.entries;
    cache.bytes = 0;
  }
  if (bytes == 0) return;  // nothing derived: nothing to keep in order
  cache.older = order.newest;
  (cache.older != nullptr ? cache.older->newer : order.oldest) = &cache;
  order.newest = &cache;
  cache.bytes = bytes;
  order.usage.bytes += bytes;
  ++order.usage.entries;
  KeepWithinBudget();
}

std::size_t DerivedBytes(const Image& image, const TexelCache& cache) {
  std::size_t bytes = 0;
  if (cache.argb) bytes += std::size_t(image.Width()) * image.Height() * image.Depth() * 4;
  if (cache.runIndex.runs) {
    bytes += (std::size_t(image.Height()) + 1) * 4 +
             std::size_t(image.Height()) * cache.runIndex.blocksPerRow * 4 +
             cache.runIndex.rowStart[image.Height()] * sizeof(TexelRun);
  }
  return bytes;
}

}  // namespace

TexelCache::~TexelCache() {
  if (bytes == 0) return;
  Unlink(*this);
  Derived().usage.bytes -= bytes;
  --Derived().usage.entries;
}

void BeginTexelUse() { ++Derived().draw; }

void SetDerivedTexelBudget(std::size_t bytes) {
  Derived().budget = bytes;
  KeepWithinBudget();
}

CacheUsage DerivedTexelUsage() { return Derived().usage; }

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
    Touch(cache, DerivedBytes(image, cache));
  } else {
    Touch(cache, cache.bytes);
  }
  if (!cache.decodable) return TexelAccess::Unreadable;
  *texels = cache.argb.get();
  return TexelAccess::Ready;
}

const RunIndex* TexelRuns(const Image& image, const WorkingMemory& memory) {
  TexelCache& cache = image.Cache();
  if (cache.runGeneration != image.Generation()) {
    const std::uint32_t* texels = nullptr;
    if (ArgbTexels(image, memory, &texels) != TexelAccess::Ready) return nullptr;
    if (!BuildRuns(texels, image.Width(), image.Height(), memory, cache.runIndex)) return nullptr;
    cache.runGeneration = image.Generation();
    Touch(cache, DerivedBytes(image, cache));
  } else {
    Touch(cache, cache.bytes);
  }
  return &cache.runIndex;
}

}  // namespace d3d9
