// RowTransfer: moves rows of equal position from the source converter to the destination
// converter, for the strategies that do not resample (same-size conversion and the NONE
// filter).
//
// Rows go through one FloatPixel row that is zeroed once: decoding writes only the source's
// width, so destination pixels beyond it encode as transparent black in every row. The game's
// road (D3DFMT_A8R8G8B8 or D3DFMT_X8R8G8B8 into D3DFMT_A8R8G8B8, with or without a colour key,
// rounding only) runs on the packed pixels instead, with results identical to the float row.
#pragma once

#include "toolkit/surface/blitter.h"
#include "toolkit/surface/float_row.h"

class RowTransfer {
 public:
  explicit RowTransfer(Blitter& blitter);

  // Allocates and zeroes the rows; false when memory is refused.
  bool Prepare();
  // Source row (row, slice) into destination row (row, slice), pixel x onto pixel x.
  void Transfer(UINT row, UINT slice);
  // Writes transparent black over destination row (row, slice).
  void Clear(UINT row, UINT slice);

  // Whether the pair takes the packed path; for tests that compare it with the float row.
  bool Packed() const { return packed; }

 private:
  static bool TakesPackedPath(RowConverter& dest, RowConverter& source);
  void TransferPacked(UINT row, UINT slice);

  RowConverter& dest;
  RowConverter& source;
  bool packed;
  // Alpha the source does not store, and the key as the pixel it matches (with that alpha).
  UINT fillAlpha = 0;
  bool keyed = false;
  UINT keyPixel = 0;
  FloatRow pixels;
  FloatRow zeroes;
};
