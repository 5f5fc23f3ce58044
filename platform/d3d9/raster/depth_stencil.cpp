#include "platform/d3d9/raster/depth_stencil.h"

#include <algorithm>
#include <bit>

#include "platform/d3d9/image.h"

namespace d3d9 {
namespace {

template <class Cell>
Cell Load(const std::uint8_t* p) {
  Cell v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

// clang cannot make processor-specific clones of a function template; its builds (the fuzz
// targets) take the default kernel.
#if defined(__clang__)
#define MIREFELL_ROW_CLONES
#else
#define MIREFELL_ROW_CLONES [[gnu::target_clones("avx2", "default")]]
#endif

// The row kernel of TestRow, for one cell size and comparison: branch-free, so that it runs
// a vector of cells at a time, twice as many where the processor has AVX2.
template <class Cell, bool write, class Compare>
MIREFELL_ROW_CLONES bool TestCells(std::uint8_t* cells, std::int64_t count,
                                                         std::uint32_t shift, std::uint32_t depth,
                                                         const std::uint32_t* texels,
                                                         std::uint32_t keepLow,
                                                         std::uint32_t keepSpan, Compare compare,
                                                         std::uint8_t* passes) {
  const Cell shifted = Cell(depth << shift);
  const Cell kept = Cell(shift != 0 ? 0xFFu : 0u);
  std::uint8_t all = 1;
  for (std::int64_t i = 0; i < count; ++i) {
    const Cell stored = Load<Cell>(cells + i * std::int64_t(sizeof(Cell)));
    const std::uint8_t pass = compare(depth, std::uint32_t(stored) >> shift) ? 1 : 0;
    passes[i] = pass;
    all &= pass;
    if constexpr (write) {
      const std::uint32_t alpha = texels != nullptr ? texels[i] >> 24 : keepLow;
      const bool keep = alpha - keepLow <= keepSpan;
      const Cell value = pass != 0 && keep ? Cell(shifted | (stored & kept)) : stored;
      std::memcpy(cells + i * std::int64_t(sizeof(Cell)), &value, sizeof(Cell));
    }
  }
  return all != 0;
}

template <class Cell, bool write>
bool TestCellsBy(DWORD func, std::uint8_t* cells, std::int64_t count, std::uint32_t shift,
                 std::uint32_t depth, const std::uint32_t* texels, std::uint32_t keepLow,
                 std::uint32_t keepSpan, std::uint8_t* passes) {
  using U = std::uint32_t;
  const auto run = [&](auto compare) {
    return TestCells<Cell, write>(cells, count, shift, depth, texels, keepLow, keepSpan, compare,
                                  passes);
  };
  switch (func) {
    case D3DCMP_NEVER: return run([](U, U) { return false; });
    case D3DCMP_LESS: return run([](U a, U b) { return a < b; });
    case D3DCMP_EQUAL: return run([](U a, U b) { return a == b; });
    case D3DCMP_LESSEQUAL: return run([](U a, U b) { return a <= b; });
    case D3DCMP_GREATER: return run([](U a, U b) { return a > b; });
    case D3DCMP_NOTEQUAL: return run([](U a, U b) { return a != b; });
    case D3DCMP_GREATEREQUAL: return run([](U a, U b) { return a >= b; });
    default: return run([](U, U) { return true; });
  }
}

}  // namespace

bool FindDepthLayout(D3DFORMAT format, DepthLayout* layout) {
  switch (format) {
    case D3DFMT_D16:
    case D3DFMT_D16_LOCKABLE: *layout = {2, 0, 0xFFFFu, false, false}; return true;
    case D3DFMT_D24X8: *layout = {4, 8, 0xFFFFFFu, false, false}; return true;
    case D3DFMT_D24S8: *layout = {4, 8, 0xFFFFFFu, true, false}; return true;
    case D3DFMT_D32: *layout = {4, 0, 0xFFFFFFFFu, false, false}; return true;
    case D3DFMT_D32F_LOCKABLE: *layout = {4, 0, 0, false, true}; return true;
    default: return false;
  }
}

std::uint32_t QuantiseDepth(const DepthLayout& layout, double z) {
  // NaN and -0 both become +0: negative zero would order above every float's bits.
  if (!(z > 0.0)) z = 0.0;
  if (z > 1.0) z = 1.0;
  if (layout.floating) return std::bit_cast<std::uint32_t>(float(z));
  return std::uint32_t(z * double(layout.depthMax) + 0.5);
}

void ClearDepthStencil(Image& image, KnownDepth& known, const RECT& rect, bool depth, float z,
                       bool stencil, std::uint32_t stencilValue, const WorkingMemory& memory) {
  DepthLayout layout;
  if (!FindDepthLayout(image.Format(), &layout) || rect.left >= rect.right ||
      rect.top >= rect.bottom) {
    return;
  }
  stencil = stencil && layout.stencil;
  const std::uint32_t quantised = QuantiseDepth(layout, z);
  const std::uint32_t depthBits = quantised << layout.depthShift;
  const std::uint32_t stencilBits = stencilValue & 0xFF;
  // The bits a clear replaces, from depth and stencil as asked.
  std::uint32_t replaced = 0;
  if (depth) replaced |= layout.stencil ? 0xFFFFFF00u : 0xFFFFFFFFu;
  if (stencil) replaced |= 0xFFu;
  const std::uint32_t value = (depthBits | stencilBits) & replaced;
  const std::size_t count = std::size_t(rect.right - rect.left);
  // What is known of the rows' lowest depths: set by a clear of the whole buffer, lowered by
  // a clear of a part of it.
  const bool wasKnown = known.generation == image.Generation();
  const bool whole = rect.left == 0 && rect.top == 0 && UINT(rect.right) == image.Width() &&
                     UINT(rect.bottom) == image.Height();
  bool keepsKnown = wasKnown || !depth;
  if (depth && whole) {
    if (!known.rowLow) known.rowLow = memory.Array<std::uint32_t>(image.Height());
    keepsKnown = known.rowLow != nullptr;
    if (keepsKnown) std::fill_n(known.rowLow.get(), image.Height(), quantised);
    known.low = quantised;
  } else if (depth && wasKnown && known.rowLow) {
    for (LONG y = rect.top; y < rect.bottom; ++y) {
      known.rowLow[std::size_t(y)] = std::min(known.rowLow[std::size_t(y)], quantised);
    }
    known.low = std::min(known.low, quantised);
  }
  const bool uniformBefore = wasKnown && known.lowByteUniform;
  if ((replaced & 0xFFu) != 0) {
    known.lowByteUniform = whole || (uniformBefore && known.lowByte == (value & 0xFFu));
    known.lowByte = value & 0xFFu;
  } else {
    known.lowByteUniform = uniformBefore;
  }
  const auto touch = [&] {
    image.Touch();
    if (keepsKnown) known.generation = image.Generation();
  };
  if (layout.bytes == 2 || replaced == 0xFFFFFFFFu) {
    // Every bit of the cells is replaced: rows are filled whole.
    if (layout.bytes == 2 && !depth) return;
    for (LONG y = rect.top; y < rect.bottom; ++y) {
      std::uint8_t* row = image.Row(UINT(y)) + std::size_t(rect.left) * layout.bytes;
      if (layout.bytes == 2) {
        std::fill_n(reinterpret_cast<std::uint16_t*>(row), count, std::uint16_t(value));
      } else {
        std::fill_n(reinterpret_cast<std::uint32_t*>(row), count, value);
      }
    }
    touch();
    return;
  }
  for (LONG y = rect.top; y < rect.bottom; ++y) {
    std::uint8_t* row = image.Row(UINT(y)) + std::size_t(rect.left) * layout.bytes;
    for (LONG x = rect.left; x < rect.right; ++x, row += 4) {
      std::uint32_t old;
      std::memcpy(&old, row, 4);
      const std::uint32_t v = (old & ~replaced) | value;
      std::memcpy(row, &v, 4);
    }
  }
  touch();
}

bool DepthStencil::Prepare(const DeviceState& state, Image* buffer, KnownDepth* bufferKnown) {
  if (buffer == nullptr || !FindDepthLayout(buffer->Format(), &layout)) return false;
  const auto& rs = state.renderStates;
  // W-buffering is not offered (no D3DPRASTERCAPS_WBUFFER): D3DZB_USEW tests z.
  depthOn = rs[D3DRS_ZENABLE] != D3DZB_FALSE;
  depthWrite = depthOn && rs[D3DRS_ZWRITEENABLE] != FALSE;
  depthFunc = rs[D3DRS_ZFUNC];
  stencilOn = layout.stencil && rs[D3DRS_STENCILENABLE] != FALSE;
  if (!depthOn && !stencilOn) return false;
  stencilFunc = rs[D3DRS_STENCILFUNC];
  stencilRef = rs[D3DRS_STENCILREF] & 0xFF;
  stencilMask = rs[D3DRS_STENCILMASK] & 0xFF;
  stencilWriteMask = rs[D3DRS_STENCILWRITEMASK] & 0xFF;
  stencilFailOp = stencilOn ? rs[D3DRS_STENCILFAIL] : D3DSTENCILOP_KEEP;
  depthFailOp = stencilOn ? rs[D3DRS_STENCILZFAIL] : D3DSTENCILOP_KEEP;
  passOp = stencilOn ? rs[D3DRS_STENCILPASS] : D3DSTENCILOP_KEEP;
  image = buffer;
  known = bufferKnown;
  rowLow = known->generation == image->Generation() ? known->rowLow.get() : nullptr;
  allLow = &known->low;
  // A draw with the stencil test may change any cell's stencil.
  if (stencilOn) known->lowByteUniform = false;
  lowFill = rowLow != nullptr && known->lowByteUniform && layout.depthShift != 0
                ? std::optional<std::uint32_t>(known->lowByte)
                : std::nullopt;
  bits = image->Bits();
  pitch = std::ptrdiff_t(image->RowPitch());
  width = image->Width();
  height = image->Height();
  return true;
}

[[gnu::target_clones("avx2", "default")]] void FillKeeping(std::uint32_t* __restrict cells,
                                                           std::int64_t count, std::uint32_t bits,
                                                           std::uint32_t kept) {
  for (std::int64_t i = 0; i < count; ++i) cells[i] = bits | (cells[i] & kept);
}

[[gnu::target_clones("avx2", "default")]] void LowerEach(std::uint32_t* __restrict lows,
                                                         std::int64_t count, std::uint32_t depth) {
  for (std::int64_t i = 0; i < count; ++i) lows[i] = std::min(lows[i], depth);
}

void DepthStencil::Finish() {
  image->Touch();
  if (rowLow != nullptr) known->generation = image->Generation();
}

DepthOutcome DepthStencil::Test(std::int64_t x, std::int64_t y, std::uint32_t depth) const {
  const std::uint32_t cell = Read(Cell(x, y));
  if (stencilOn && !PassesComparison(stencilFunc, stencilRef & stencilMask, cell & stencilMask)) {
    return DepthOutcome::StencilFail;
  }
  if (depthOn && !PassesComparison(depthFunc, depth, cell >> layout.depthShift)) {
    return DepthOutcome::DepthFail;
  }
  return DepthOutcome::Pass;
}

std::uint32_t DepthStencil::StencilResult(DWORD op, std::uint32_t stored) const {
  switch (op) {
    case D3DSTENCILOP_ZERO: return 0;
    case D3DSTENCILOP_REPLACE: return stencilRef;
    case D3DSTENCILOP_INCRSAT: return stored < 0xFF ? stored + 1 : 0xFF;
    case D3DSTENCILOP_DECRSAT: return stored > 0 ? stored - 1 : 0;
    case D3DSTENCILOP_INVERT: return ~stored & 0xFF;
    case D3DSTENCILOP_INCR: return (stored + 1) & 0xFF;
    case D3DSTENCILOP_DECR: return (stored - 1) & 0xFF;
    default: return stored;
  }
}

void DepthStencil::Update(std::int64_t x, std::int64_t y, DepthOutcome outcome,
                          std::uint32_t depth) const {
  std::uint8_t* cell = Cell(x, y);
  std::uint32_t value = Read(cell);
  const std::uint32_t old = value;
  if (stencilOn) {
    const DWORD op = outcome == DepthOutcome::Pass
                         ? passOp
                         : (outcome == DepthOutcome::StencilFail ? stencilFailOp : depthFailOp);
    const std::uint32_t stored = value & 0xFF;
    const std::uint32_t result = StencilResult(op, stored);
    value = (value & ~0xFFu) | ((stored & ~stencilWriteMask) | (result & stencilWriteMask));
  }
  if (outcome == DepthOutcome::Pass && depthWrite) {
    const std::uint32_t low = layout.stencil ? value & 0xFFu : 0;
    value = (depth << layout.depthShift) | low;
    Lower(y, depth);
  }
  if (value != old) Store(cell, value);
}

bool DepthStencil::TestRow(std::int64_t x, std::int64_t y, std::int64_t count, std::uint32_t depth,
                           const std::uint32_t* texels, std::uint32_t keepLow,
                           std::uint32_t keepHigh, std::uint8_t* passes) const {
  const DWORD func = depthOn ? depthFunc : D3DCMP_ALWAYS;
  const std::uint32_t span = keepHigh - keepLow;
  std::uint8_t* cells = Cell(x, y);
  if (depthWrite) Lower(y, depth);
  if (layout.bytes == 2) {
    return depthWrite ? TestCellsBy<std::uint16_t, true>(func, cells, count, 0, depth, texels,
                                                         keepLow, span, passes)
                      : TestCellsBy<std::uint16_t, false>(func, cells, count, 0, depth, texels,
                                                          keepLow, span, passes);
  }
  return depthWrite ? TestCellsBy<std::uint32_t, true>(func, cells, count, layout.depthShift, depth,
                                                       texels, keepLow, span, passes)
                    : TestCellsBy<std::uint32_t, false>(func, cells, count, layout.depthShift,
                                                        depth, texels, keepLow, span, passes);
}

}  // namespace d3d9
