// What the sampler derives from a level's texels, and nothing else, rebuilt when the level's
// generation moves: the texels as 32-bit 0xAARRGGBB values (the level's own memory for
// D3DFMT_A8R8G8B8), and a run index that splits each row into runs of fully transparent,
// fully opaque and other texels, so that blits can skip transparent runs and copy opaque ones.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/d3d9/image.h"
#include "platform/d3d9/raster/working_memory.h"

namespace d3d9 {

enum class RunKind : std::uint8_t { Transparent, Opaque, Mixed };

struct TexelRun {
  std::uint32_t start;
  std::uint32_t end;  // exclusive
  RunKind kind;
};

// Runs of each row, and for each block of 32 texels of a row the first run that reaches into
// it, so that a row's runs from any texel on are found without a search.
struct RunIndex {
  static constexpr int blockShift = 5;
  std::unique_ptr<std::uint32_t[]> rowStart;  // first run of each row; one more at the end
  std::unique_ptr<TexelRun[]> runs;
  std::unique_ptr<std::uint32_t[]> blockStart;  // per row, per block: index into runs
  std::uint32_t blocksPerRow = 0;

  // The first run of row `y` that ends after texel x.
  const TexelRun* RunAt(std::uint32_t y, std::uint32_t x) const {
    const std::size_t block = std::size_t(y) * blocksPerRow + (x >> blockShift);
    const TexelRun* run = runs.get() + blockStart[block];
    while (run->end <= x) ++run;
    return run;
  }
  const TexelRun* RowEnd(std::uint32_t y) const {
    return runs.get() + rowStart[std::size_t(y) + 1];
  }
};

// What one level derives. The derived data of every level together keeps to the budget of
// cache_budget.h: when a build passes it, the least recently used levels' data goes (to be
// derived again when next drawn), never that of a level the draw in progress uses.
struct TexelCache {
  TexelCache() = default;
  ~TexelCache();
  TexelCache(const TexelCache&) = delete;
  TexelCache& operator=(const TexelCache&) = delete;

  std::uint64_t texelGeneration = ~std::uint64_t(0);
  std::uint64_t runGeneration = ~std::uint64_t(0);
  // Null when the level is itself A8R8G8B8; kept across generations, as the size stays.
  std::unique_ptr<std::uint32_t[]> argb;
  RunIndex runIndex;
  bool decodable = false;

  // Its place among the levels that hold derived data, the most recently drawn last.
  std::size_t bytes = 0;
  std::uint64_t lastDraw = 0;
  TexelCache* older = nullptr;
  TexelCache* newer = nullptr;
};

// Starts a draw: what it derives or reads stays until the next one starts.
void BeginTexelUse();

enum class TexelAccess : std::uint8_t { Ready, Unreadable, OutOfMemory };

// The texels of `image` as 0xAARRGGBB, width per row and height rows per slice, slice after
// slice, into *texels when Ready. Unreadable for formats that the sampler cannot read;
// OutOfMemory when the decoded copy cannot be had (the next call tries again).
TexelAccess ArgbTexels(const Image& image, const WorkingMemory& memory,
                       const std::uint32_t** texels);

// The run index of the first slice, where ArgbTexels is Ready; null when the memory for it
// cannot be had (the next call tries again).
const RunIndex* TexelRuns(const Image& image, const WorkingMemory& memory);

}  // namespace d3d9
