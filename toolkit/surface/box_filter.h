// The integer path of the box filter: exact 2 x 2 halving on packed pixels, each channel field
// (a + b + c + d + 2) >> 2, for the formats whose fields are plain unsigned bit fields.
#pragma once

#include "toolkit/surface/blitter.h"

// Whether the integer path serves this format.
bool HalvesOnIntegers(D3DFORMAT format);
// Halves the source box into the destination box (Wd = Ws / 2, Hd = Hs / 2, one slice), both
// in `format`. Declines (E_FAIL) for a format the path does not serve.
HRESULT HalveOnIntegers(RowConverter& dest, const RowConverter& source);
