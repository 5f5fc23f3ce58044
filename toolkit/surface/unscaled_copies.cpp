// The strategies that move pixels without resampling: same-size conversion, and the NONE
// filter, which puts source pixel (x, y, z) on destination pixel (x, y, z) and makes every
// destination pixel outside the overlap transparent black.
#include <algorithm>

#include "toolkit/surface/row_transfer.h"

namespace {

bool SameSize(const RowConverter& a, const RowConverter& b) {
  return a.Width() == b.Width() && a.Height() == b.Height() && a.Depth() == b.Depth();
}

}  // namespace

HRESULT ConvertSameSize(Blitter& blitter) {
  RowConverter& dest = blitter.Dest();
  if (!SameSize(dest, blitter.Source())) return E_FAIL;
  blitter.DropSrgbOnBothSides();
  RowTransfer transfer(blitter);
  if (!transfer.Prepare()) return E_OUTOFMEMORY;
  for (UINT z = 0; z < dest.Depth(); ++z) {
    for (UINT y = 0; y < dest.Height(); ++y) transfer.Transfer(y, z);
  }
  return S_OK;
}

HRESULT CopyOverlap(Blitter& blitter) {
  RowConverter& dest = blitter.Dest();
  RowConverter& source = blitter.Source();
  blitter.DropSrgbOnBothSides();
  RowTransfer transfer(blitter);
  if (!transfer.Prepare()) return E_OUTOFMEMORY;
  const UINT rows = std::min(source.Height(), dest.Height());
  const UINT slices = std::min(source.Depth(), dest.Depth());
  for (UINT z = 0; z < slices; ++z) {
    for (UINT y = 0; y < rows; ++y) transfer.Transfer(y, z);
    for (UINT y = rows; y < dest.Height(); ++y) transfer.Clear(y, z);
  }
  for (UINT z = slices; z < dest.Depth(); ++z) {
    for (UINT y = 0; y < dest.Height(); ++y) transfer.Clear(y, z);
  }
  return S_OK;
}

HRESULT CopyUnscaled(Blitter& blitter) {
  if (blitter.FilterType() != D3DX_FILTER_NONE) return E_FAIL;
  return CopyOverlap(blitter);
}
