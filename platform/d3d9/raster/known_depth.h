// What is known of a depth-stencil buffer's cells without reading them, kept beside the
// buffer by its surface: clears set it, draws lower it, and any other write (a lock, a copy)
// moves the image's generation past it, after which nothing is known until a whole clear.
#pragma once

#include <cstdint>
#include <memory>

namespace d3d9 {

struct KnownDepth {
  // Valid while the image's generation is this.
  std::uint64_t generation = ~std::uint64_t(0);
  // No stored depth of row y is below rowLow[y] (in stored units), so that a row can pass a
  // LESS test untested. One per row, from the draw's working memory; null when it could not
  // be had (nothing is then known of the rows).
  std::unique_ptr<std::uint32_t[]> rowLow;
  std::uint32_t low = 0;  // no stored depth of the buffer is below it: the rows' least
  // Whether every cell's low byte (stencil or padding) of a D24 format is lowByte.
  bool lowByteUniform = false;
  std::uint32_t lowByte = 0;
};

}  // namespace d3d9
