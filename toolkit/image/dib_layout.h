// The device-independent bitmap reader behind DecodeDib and DecodeBmp.
#pragma once

#include "platform/win32/types.h"
#include "toolkit/image/decoded_image.h"

// Decodes the DIB (BITMAPCOREHEADER or BITMAPINFOHEADER and longer) that starts at `bytes`
// into `image`. A BITMAPINFOHEADER of bit fields has its three masks right after it, before
// the colour table; longer headers hold them. `pixelOffset`, counted from the DIB's first byte, says where a file header
// put the pixels; it is used when it lies inside the block and not inside the header or
// colour table. 0 means none: the pixels then follow the colour table directly.
HRESULT DecodeDeviceIndependentBitmap(DecodedImage& image, const BYTE* bytes, UINT size,
                                      UINT pixelOffset);
