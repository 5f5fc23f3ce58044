// D3DX_FILTER_BOX for exact halving: each destination pixel is the mean of the 2 x 2 (x 2)
// source pixels below it. An odd size above 1 drops its last column, row or slice; a size of
// 1 stays 1 and its one pixel counts twice.
#include "toolkit/surface/box_filter.h"

#include "toolkit/surface/float_row.h"

namespace {

bool Halves(UINT sourceSize, UINT destSize) {
  return destSize == sourceSize / 2 || (destSize == 1 && sourceSize == 1);
}

bool TakesBox(Blitter& blitter) {
  const RowConverter& dest = blitter.Dest();
  const RowConverter& source = blitter.Source();
  return blitter.FilterType() == D3DX_FILTER_BOX && Halves(source.Width(), dest.Width()) &&
         Halves(source.Height(), dest.Height());
}

bool TakesIntegerPath(Blitter& blitter) {
  const RowConverter& dest = blitter.Dest();
  const RowConverter& source = blitter.Source();
  return (blitter.Filter() & D3DX_FILTER_DITHER) == 0 && dest.Format() == source.Format() &&
         HalvesOnIntegers(dest.Format()) && source.Width() >= 2 && source.Height() >= 2 &&
         !dest.Srgb() && !source.Srgb() && source.ColorKey() == 0;
}

// Sum of the two horizontal neighbours 2x and 2x + 1 (pixel 0 twice in a one-pixel row).
inline void AddPair(const FloatPixel* row, UINT x, bool single, float& r, float& g, float& b,
                    float& a) {
  const FloatPixel& p = row[2 * x];
  const FloatPixel& q = single ? row[0] : row[2 * x + 1];
  r += p.r + q.r;
  g += p.g + q.g;
  b += p.b + q.b;
  a += p.a + q.a;
}

// out[x] = scale x the sum over `count` rows of their pixels 2x and 2x + 1.
void AverageRows(const FloatPixel* const* rows, int count, UINT width, bool single, float scale,
                 FloatPixel* out) {
  for (UINT x = 0; x < width; ++x) {
    float r = 0, g = 0, b = 0, a = 0;
    for (int i = 0; i < count; ++i) AddPair(rows[i], x, single, r, g, b, a);
    out[x] = {r * scale, g * scale, b * scale, a * scale};
  }
}

// A fixed set of decoded source rows and the destination row they make.
struct BoxRows {
  FloatRow rows[4];
  FloatRow out;

  bool Allocate(int count, UINT sourceWidth, UINT destWidth) {
    for (int i = 0; i < count; ++i) {
      if (!rows[i].Allocate(sourceWidth)) return false;
    }
    return out.Allocate(destWidth);
  }
};

HRESULT HalveOnFloats(Blitter& blitter) {
  RowConverter& dest = blitter.Dest();
  RowConverter& source = blitter.Source();
  const bool oneRow = source.Height() == 1;
  BoxRows box;
  if (!box.Allocate(oneRow ? 1 : 2, source.Width(), dest.Width())) return E_OUTOFMEMORY;
  const FloatPixel* rows[2] = {box.rows[0].Data(),
                               oneRow ? box.rows[0].Data() : box.rows[1].Data()};
  for (UINT y = 0; y < dest.Height(); ++y) {
    source.DecodeRow(oneRow ? 0 : 2 * y, 0, box.rows[0].Data());
    if (!oneRow) source.DecodeRow(2 * y + 1, 0, box.rows[1].Data());
    AverageRows(rows, 2, dest.Width(), source.Width() == 1, 0.25f, box.out.Data());
    dest.EncodeRow(y, 0, box.out.Data());
  }
  return S_OK;
}

}  // namespace

HRESULT BoxFilter2D(Blitter& blitter) {
  if (!TakesBox(blitter)) return E_FAIL;
  if (blitter.Source().Depth() != 1 || blitter.Dest().Depth() != 1) return E_FAIL;
  if (TakesIntegerPath(blitter) && SUCCEEDED(HalveOnIntegers(blitter.Dest(), blitter.Source()))) {
    return S_OK;
  }
  return HalveOnFloats(blitter);
}

HRESULT BoxFilter3D(Blitter& blitter) {
  if (!TakesBox(blitter)) return E_FAIL;
  RowConverter& dest = blitter.Dest();
  RowConverter& source = blitter.Source();
  if (source.Depth() < 2 || dest.Depth() != source.Depth() / 2) return E_FAIL;
  const bool oneRow = source.Height() == 1;
  BoxRows box;
  if (!box.Allocate(oneRow ? 2 : 4, source.Width(), dest.Width())) return E_OUTOFMEMORY;
  // Rows (2y, 2z), (2y + 1, 2z), (2y, 2z + 1), (2y + 1, 2z + 1); one row per slice if Hs = 1.
  const FloatPixel* rows[4];
  for (int i = 0; i < 4; ++i) {
    const int slot = oneRow ? (i / 2) : i;
    rows[i] = box.rows[slot].Data();
  }
  for (UINT z = 0; z < dest.Depth(); ++z) {
    for (UINT y = 0; y < dest.Height(); ++y) {
      for (UINT dz = 0; dz < 2; ++dz) {
        if (oneRow) {
          source.DecodeRow(0, 2 * z + dz, box.rows[dz].Data());
          continue;
        }
        source.DecodeRow(2 * y, 2 * z + dz, box.rows[2 * dz].Data());
        source.DecodeRow(2 * y + 1, 2 * z + dz, box.rows[2 * dz + 1].Data());
      }
      AverageRows(rows, 4, dest.Width(), source.Width() == 1, 0.125f, box.out.Data());
      dest.EncodeRow(y, z, box.out.Data());
    }
  }
  return S_OK;
}
