// The depth and stencil tests of one draw over the bound depth-stencil surface.
//
// Depth is kept as an unsigned integer per pixel: z in 0..1 scaled to the format's range and
// rounded (D16, D24X8, D24S8, D32), or the bits of the 32-bit float (D32F_LOCKABLE), which
// order as the floats do since z is never negative. D24 formats keep depth in the top 24 bits
// of their 32-bit word and the stencil value (D24S8) in the low 8.
//
// Order per pixel, as in Direct3D 9: the alpha test first (a pixel it discards changes
// nothing), then the stencil test ((ref & mask) FUNC (stored & mask)), then the depth test
// (incoming FUNC stored); the stencil operation of the outcome is applied under the write
// mask, and depth is written only when both pass with ZWRITEENABLE on.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>

#include "platform/d3d9/device_state.h"
#include "platform/d3d9/raster/known_depth.h"
#include "platform/d3d9/raster/pixel_pipeline.h"
#include "platform/d3d9/raster/working_memory.h"

namespace d3d9 {

class Image;

enum class DepthOutcome : std::uint8_t { Pass, StencilFail, DepthFail };

// What a D3DFMT_D* format holds: bytes per pixel, depth bits and place, stencil bits.
struct DepthLayout {
  std::uint32_t bytes = 0;  // 2 or 4
  std::uint32_t depthShift = 0;
  std::uint32_t depthMax = 0;  // largest depth value; 0 for float depth
  bool stencil = false;
  bool floating = false;
};

// False for formats that hold no depth this device can draw with.
bool FindDepthLayout(D3DFORMAT format, DepthLayout* layout);

// The stored depth value of z (clamped to 0..1).
std::uint32_t QuantiseDepth(const DepthLayout& layout, double z);

// Fills `rect` (within the image) of a depth-stencil image: depth and/or stencil. What is
// known of the rows' depths goes to `known`, in `memory`'s allocations; without them nothing
// is known, and draws test every pixel.
void ClearDepthStencil(Image& image, KnownDepth& known, const RECT& rect, bool depth, float z,
                       bool stencil, std::uint32_t stencilValue, const WorkingMemory& memory);

// lows[i] = min(lows[i], depth), for i below count.
void LowerEach(std::uint32_t* lows, std::int64_t count, std::uint32_t depth);

// cells[i] = bits | (cells[i] & kept), for i below count.
void FillKeeping(std::uint32_t* cells, std::int64_t count, std::uint32_t bits, std::uint32_t kept);

class DepthStencil {
 public:
  // The tests the state asks of `buffer`, with what `bufferKnown` tells of its cells; false
  // (and nothing to test) when neither test is on, the buffer is null, or its format holds no
  // depth.
  bool Prepare(const DeviceState& state, Image* buffer, KnownDepth* bufferKnown);

  std::uint32_t Quantise(double z) const { return QuantiseDepth(layout, z); }
  bool UsesStencil() const { return stencilOn; }
  // Whether a failed outcome leaves the buffer as it was (so the colour need not be made).
  bool FailKeeps(DepthOutcome outcome) const {
    return outcome == DepthOutcome::StencilFail ? stencilFailOp == D3DSTENCILOP_KEEP
                                                : depthFailOp == D3DSTENCILOP_KEEP;
  }
  bool WritesDepth() const { return depthWrite; }
  std::int64_t Width() const { return width; }
  std::int64_t Height() const { return height; }

  DepthOutcome Test(std::int64_t x, std::int64_t y, std::uint32_t depth) const;
  // The stencil operation of `outcome`, and the depth write on a pass.
  void Update(std::int64_t x, std::int64_t y, DepthOutcome outcome, std::uint32_t depth) const;

  // One pixel through the tests and the pipeline; `shade()` makes its colour when needed.
  template <class Shade>
  void Draw(const PixelPipeline& pipeline, std::uint32_t* target, std::int64_t x, std::int64_t y,
            double z, Shade shade) const {
    const std::uint32_t depth = Quantise(z);
    const DepthOutcome outcome = Test(x, y, depth);
    if (outcome != DepthOutcome::Pass && FailKeeps(outcome)) return;
    const std::uint32_t colour = shade();
    if (!pipeline.AlphaTestKeeps(colour)) return;
    if (outcome == DepthOutcome::Pass) pipeline.Write(target, colour);
    Update(x, y, outcome, depth);
  }

  // Whether every pixel of row y passes the depth test at `depth`, known without reading
  // the row (from the lowest depth the row can hold), with nothing else to test.
  bool PassesRow(std::int64_t y, std::uint32_t depth) const {
    return rowLow != nullptr && !stencilOn && PassesAbove(rowLow[y], depth);
  }
  // Whether every pixel of the buffer passes at `depth`, from the lowest depth it can hold.
  bool PassesAll(std::uint32_t depth) const {
    return rowLow != nullptr && !stencilOn && PassesAbove(*allLow, depth);
  }
  // Writes one depth to runs of pixels, keeping the stencil bits; made once for a draw, as
  // its rows are filled many times. The caller lowers the rows' known depth with LowerRows.
  class RowFill {
   public:
    // Pixels x .. x + count - 1 of row y.
    void operator()(std::int64_t x, std::int64_t y, std::int64_t count) const {
      std::uint8_t* cells = bits + std::ptrdiff_t(y) * pitch + std::ptrdiff_t(x) * cellBytes;
      if (cellBytes == 2) {
        std::fill_n(reinterpret_cast<std::uint16_t*>(cells), count, std::uint16_t(word));
      } else if (keepsLowByte) {
        FillKeeping(reinterpret_cast<std::uint32_t*>(cells), count, word, 0xFFu);
      } else {
        // In line: most runs are a few dozen pixels, shorter than a call's set-up.
        auto* wide = reinterpret_cast<std::uint32_t*>(cells);
        for (std::int64_t i = 0; i < count; ++i) wide[i] = word;
      }
    }

   private:
    friend class DepthStencil;
    std::uint8_t* bits = nullptr;
    std::ptrdiff_t pitch = 0;
    std::ptrdiff_t cellBytes = 4;
    std::uint32_t word = 0;     // the whole cell, or its depth bits when keepsLowByte
    bool keepsLowByte = false;  // D24 cells whose low bytes are not known alike
  };
  // The fill of `depth` (when depth writes are on).
  RowFill FillOf(std::uint32_t depth) const {
    RowFill fill;
    fill.bits = bits;
    fill.pitch = pitch;
    fill.cellBytes = std::ptrdiff_t(layout.bytes);
    fill.word = depth << layout.depthShift;
    if (layout.depthShift != 0) {
      // Every cell's low byte known alike: plain stores, nothing read.
      fill.keepsLowByte = !lowFill;
      if (lowFill) fill.word |= *lowFill;
    }
    return fill;
  }
  // Rows y .. end - 1 may now hold `depth` (when depth writes are on).
  void LowerRows(std::int64_t y, std::int64_t end, std::uint32_t depth) const {
    if (rowLow == nullptr || !depthWrite || y >= end) return;
    LowerEach(rowLow + y, end - y, depth);
    *allLow = std::min(*allLow, depth);
  }
  // After drawing: marks the buffer written, keeping what is known of its rows.
  void Finish();

  // Rows of constant depth, without stencil (the rectangle path): tests pixels x .. x + count
  // - 1 of row y, sets passes[i] to whether pixel i passes, and writes the depth where it
  // passes and the alpha of texels[i] lies in keepLow..keepHigh (every passing pixel when
  // `texels` is null). True when every pixel passes.
  bool TestRow(std::int64_t x, std::int64_t y, std::int64_t count, std::uint32_t depth,
               const std::uint32_t* texels, std::uint32_t keepLow, std::uint32_t keepHigh,
               std::uint8_t* passes) const;

 private:
  std::uint8_t* Cell(std::int64_t x, std::int64_t y) const {
    return bits + std::ptrdiff_t(y) * pitch + std::ptrdiff_t(x) * std::ptrdiff_t(layout.bytes);
  }
  std::uint32_t Read(const std::uint8_t* cell) const {
    if (layout.bytes == 2) {
      std::uint16_t v;
      std::memcpy(&v, cell, 2);
      return v;
    }
    std::uint32_t v;
    std::memcpy(&v, cell, 4);
    return v;
  }
  void Store(std::uint8_t* cell, std::uint32_t v) const {
    if (layout.bytes == 2) {
      const std::uint16_t low = std::uint16_t(v);
      std::memcpy(cell, &low, 2);
    } else {
      std::memcpy(cell, &v, 4);
    }
  }
  std::uint32_t StencilResult(DWORD op, std::uint32_t stored) const;
  void Lower(std::int64_t y, std::uint32_t depth) const {
    if (rowLow != nullptr && depth < rowLow[y]) {
      rowLow[y] = depth;
      *allLow = std::min(*allLow, depth);
    }
  }
  bool PassesAbove(std::uint32_t low, std::uint32_t depth) const {
    return depthFunc == D3DCMP_ALWAYS || (depthFunc == D3DCMP_LESSEQUAL && depth <= low) ||
           (depthFunc == D3DCMP_LESS && depth < low) || !depthOn;
  }

  Image* image = nullptr;
  KnownDepth* known = nullptr;
  std::uint32_t* rowLow = nullptr;  // null when the rows' lowest depths are not known
  std::uint32_t* allLow = nullptr;  // the least of them
  std::optional<std::uint32_t> lowFill;  // the low byte of every D24 cell, when known alike

  DepthLayout layout;
  std::uint8_t* bits = nullptr;
  std::ptrdiff_t pitch = 0;
  std::int64_t width = 0;
  std::int64_t height = 0;
  bool depthOn = false;
  bool depthWrite = false;
  DWORD depthFunc = D3DCMP_ALWAYS;
  bool stencilOn = false;
  DWORD stencilFunc = D3DCMP_ALWAYS;
  std::uint32_t stencilRef = 0;
  std::uint32_t stencilMask = 0xFF;
  std::uint32_t stencilWriteMask = 0xFF;
  DWORD stencilFailOp = D3DSTENCILOP_KEEP;
  DWORD depthFailOp = D3DSTENCILOP_KEEP;
  DWORD passOp = D3DSTENCILOP_KEEP;
};

}  // namespace d3d9
