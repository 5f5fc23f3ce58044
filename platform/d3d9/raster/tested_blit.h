// The rectangle path's depth tests, at one depth for the whole rectangle and without
// stencil: rows tested a part at a time, and the depth-tested blit, which draws the rows known
// to pass whole as the untested blit does and writes their depth over the texels kept.
#pragma once

#include <algorithm>
#include <cstdint>

#include "platform/d3d9/raster/blit_runs.h"
#include "platform/d3d9/raster/depth_stencil.h"

namespace d3d9 {

// Depth tests of rectangles of one depth: each row is drawn in the runs of pixels that pass,
// and depth is written where the alpha test keeps the pixel.
class RectangleDepth {
 public:
  RectangleDepth(const DepthStencil& buffer, std::uint32_t quantised)
      : depth(buffer), value(quantised) {}

  // Calls draw(first, count) for each run of passing pixels of row y (pixels x .. x + count
  // - 1); texels (null for untextured rectangles) are those of the pixels, whose alpha decides
  // the depth writes. Rows are tested a part at a time, so that the outcomes fit on the stack.
  template <class DrawRun>
  void Row(std::int64_t x, std::int64_t y, std::int64_t count, const std::uint32_t* texels,
           std::uint32_t keepLow, std::uint32_t keepHigh, DrawRun draw) const {
    constexpr std::int64_t part = 512;
    std::uint8_t passes[part];
    for (std::int64_t at = 0; at < count; at += part) {
      const std::int64_t n = std::min(part, count - at);
      if (depth.TestRow(x + at, y, n, value, texels != nullptr ? texels + at : nullptr, keepLow,
                        keepHigh, passes)) {
        draw(at, n);
        continue;
      }
      std::int64_t i = 0;
      while (i < n) {
        while (i < n && passes[i] == 0) ++i;
        const std::int64_t start = i;
        while (i < n && passes[i] != 0) ++i;
        if (i > start) draw(at + start, i - start);
      }
    }
  }

 private:
  const DepthStencil& depth;
  std::uint32_t value;
};

// The texel alphas whose pixels the alpha test keeps, low..high (low > high for none); false
// when they are not one range or depend on more than the texel.
bool KeptTexelAlphas(const PixelPipeline& pipeline, std::uint32_t diffuse, std::uint32_t* low,
                     std::uint32_t* high);

// A blit with the depth test, at one depth. Rows known to pass whole are drawn as without
// the test, their depth filled over the runs whose texels the alpha test keeps; other rows are
// tested, over the runs that neither the colour nor the depth write passes over.
struct TestedBlit {
  const PixelPipeline& pipeline;
  const DepthStencil& depth;
  const RunIndex& runs;
  RunActions actions;
  std::uint32_t value;              // the rectangle's depth, quantised
  std::uint32_t keepLow, keepHigh;  // the kept texel alphas (KeptTexelAlphas), low <= high
  std::uint32_t diffuse;
  std::int64_t columnBegin, rowBegin;  // the first pixel
  std::int64_t texelX, texelY;         // its texel
  std::int64_t columns;
  bool narrow;  // drawn row by row whole, without walking its runs

  // Draws `rows` rows from `target`, reading from `texels` (the first pixel's texel).
  void Draw(std::uint32_t* target, std::ptrdiff_t pitch, const std::uint32_t* texels,
            std::ptrdiff_t texelPitch, std::int64_t rows) const;
};

}  // namespace d3d9
