// Direct copy: a same-format, same-size load without a colour key is a byte copy, whatever
// the filter; block formats are copied a row of blocks at a time.
#include <cstring>

#include "toolkit/surface/blitter.h"

namespace {

bool SameSize(const PixelBox& a, const PixelBox& b) {
  return a.Width() == b.Width() && a.Height() == b.Height() && a.Depth() == b.Depth();
}

bool SamePalettes(const RowConverter& a, const RowConverter& b) {
  if (!a.Palettised()) return true;
  return std::memcmp(a.Palette(), b.Palette(), 256 * sizeof(FloatPixel)) == 0;
}

bool BlockAligned(const PixelBox& box) {
  return box.left % 4 == 0 && box.top % 4 == 0 && box.right % 4 == 0 && box.bottom % 4 == 0;
}

BYTE* RowStart(const PixelRegion& region, UINT x, UINT row, UINT slice, UINT bytesPerPixel) {
  return static_cast<BYTE*>(region.pixels) + static_cast<std::size_t>(x) * bytesPerPixel +
         static_cast<std::size_t>(row) * region.rowPitch +
         static_cast<std::size_t>(slice) * region.slicePitch;
}

// Rows of 4 x 4 blocks. Both boxes start and end on block edges.
void CopyBlockRows(const PixelRegion& dest, const PixelRegion& source) {
  const UINT blockBytes = DxtBlockBytes(dest.format);
  const std::size_t rowBytes = static_cast<std::size_t>(dest.box.Width() / 4) * blockBytes;
  for (UINT z = 0; z < dest.box.Depth(); ++z) {
    for (UINT y = 0; y < dest.box.Height() / 4; ++y) {
      const BYTE* from = RowStart(source, source.box.left / 4, source.box.top / 4 + y,
                                  source.box.front + z, blockBytes);
      BYTE* to =
          RowStart(dest, dest.box.left / 4, dest.box.top / 4 + y, dest.box.front + z, blockBytes);
      std::memcpy(to, from, rowBytes);
    }
  }
}

void CopyPixelRows(RowConverter& dest, const RowConverter& source) {
  const std::size_t rowBytes = dest.BytesPerRow();
  // Rows that follow each other without a gap on both sides are one block.
  const bool contiguous = dest.RowPitch() == rowBytes && source.RowPitch() == rowBytes;
  for (UINT z = 0; z < dest.Depth() && contiguous; ++z) {
    std::memcpy(dest.Pixels() + static_cast<std::size_t>(z) * dest.SlicePitch(),
                source.Pixels() + static_cast<std::size_t>(z) * source.SlicePitch(),
                rowBytes * dest.Height());
  }
  if (contiguous) return;
  for (UINT z = 0; z < dest.Depth(); ++z) {
    for (UINT y = 0; y < dest.Height(); ++y) {
      const BYTE* from = source.Pixels() + static_cast<std::size_t>(y) * source.RowPitch() +
                         static_cast<std::size_t>(z) * source.SlicePitch();
      BYTE* to = dest.Pixels() + static_cast<std::size_t>(y) * dest.RowPitch() +
                 static_cast<std::size_t>(z) * dest.SlicePitch();
      std::memcpy(to, from, rowBytes);
    }
  }
}

}  // namespace

HRESULT CopyDirectly(Blitter& blitter) {
  RowConverter& dest = blitter.Dest();
  RowConverter& source = blitter.Source();
  const PixelRegion& destRegion = blitter.DestRegion();
  const PixelRegion& sourceRegion = blitter.SourceRegion();
  if (dest.Format() != source.Format() || source.ColorKey() != 0) return E_FAIL;
  if (!SameSize(destRegion.box, sourceRegion.box)) return E_FAIL;
  if (dest.Srgb() != source.Srgb() || !SamePalettes(dest, source)) return E_FAIL;
  if (IsPackedPairFormat(dest.Format())) return E_FAIL;
  if (IsDxtFormat(dest.Format())) {
    if (!BlockAligned(destRegion.box) || !BlockAligned(sourceRegion.box)) return E_FAIL;
    CopyBlockRows(destRegion, sourceRegion);
    return S_OK;
  }
  dest.ClearSrgb();
  source.ClearSrgb();
  CopyPixelRows(dest, source);
  return S_OK;
}
