// Decoder of bare DIBs (a BITMAPINFOHEADER or BITMAPCOREHEADER at offset 0).
//
// Not yet written: it refuses every block, so the recognition loop moves on to the next try.

#include "toolkit/image/decoded_image.h"

HRESULT DecodedImage::DecodeDib(const BYTE* /*bytes*/, UINT /*size*/) { return E_FAIL; }
