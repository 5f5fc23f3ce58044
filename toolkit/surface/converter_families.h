// The converter families. Each Create function makes the converter for the region's format
// when the format belongs to its family, and returns null otherwise or when refused memory.
#pragma once

#include "toolkit/surface/row_converter.h"

// The bit-field formats: colour, luminance, signed and D3DFMT_D16_LOCKABLE.
RowConverter* CreatePackedConverter(const PixelRegion& region);
// Half and single floats, and D3DFMT_D32F_LOCKABLE.
RowConverter* CreateFloatConverter(const PixelRegion& region);
// D3DFMT_P8 and D3DFMT_A8P8.
RowConverter* CreatePaletteConverter(const PixelRegion& region);
// D3DFMT_DXT1 ... D3DFMT_DXT5.
RowConverter* CreateDxtConverter(const PixelRegion& region);
// D3DFMT_YUY2, D3DFMT_UYVY, D3DFMT_R8G8_B8G8, D3DFMT_G8R8_G8B8.
RowConverter* CreatePackedPairConverter(const PixelRegion& region);
