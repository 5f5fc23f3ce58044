// D3DX_FILTER_POINT: each destination pixel takes the source pixel at its 16.16 fixed-point
// position, which starts at 0 and advances by the size ratio per pixel, row and slice.
#include <cstdint>

#include "toolkit/surface/blitter.h"
#include "toolkit/surface/float_row.h"

namespace {

constexpr UINT noRow = 0xFFFFFFFFu;

// Source size / destination size in 16.16. Sizes fit in 32 bits, so the quotient fits in 48.
std::uint64_t Step(UINT sourceSize, UINT destSize) {
  return (static_cast<std::uint64_t>(sourceSize) << 16) / destSize;
}

}  // namespace

HRESULT SamplePoints(Blitter& blitter) {
  if (blitter.FilterType() != D3DX_FILTER_POINT) return E_FAIL;
  RowConverter& dest = blitter.Dest();
  RowConverter& source = blitter.Source();
  blitter.DropSrgbOnBothSides();
  FloatRow sourceRow, destRow;
  if (!sourceRow.Allocate(source.Width()) || !destRow.Allocate(dest.Width())) {
    return E_OUTOFMEMORY;
  }
  const std::uint64_t stepX = Step(source.Width(), dest.Width());
  const std::uint64_t stepY = Step(source.Height(), dest.Height());
  const std::uint64_t stepZ = Step(source.Depth(), dest.Depth());

  std::uint64_t z = 0;
  for (UINT dz = 0; dz < dest.Depth(); ++dz, z += stepZ) {
    const UINT sz = static_cast<UINT>(z >> 16);
    UINT decoded = noRow;
    std::uint64_t y = 0;
    for (UINT dy = 0; dy < dest.Height(); ++dy, y += stepY) {
      const UINT sy = static_cast<UINT>(y >> 16);
      if (sy != decoded) {
        source.DecodeRow(sy, sz, sourceRow.Data());
        decoded = sy;
      }
      std::uint64_t x = 0;
      for (UINT dx = 0; dx < dest.Width(); ++dx, x += stepX) {
        destRow[dx] = sourceRow[static_cast<std::size_t>(x >> 16)];
      }
      dest.EncodeRow(dy, dz, destRow.Data());
    }
  }
  return S_OK;
}
