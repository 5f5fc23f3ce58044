// Decoder of PFM files ("PF" or "Pf" and floating-point samples).
//
// Not yet written: it refuses every block, so the recognition loop moves on to the next try.

#include "toolkit/image/decoded_image.h"

HRESULT DecodedImage::DecodePfm(const BYTE* /*bytes*/, UINT /*size*/) { return E_FAIL; }
