// The palette a texture loader reads an image's pixels with, and what it tells of the image.
//
// A palettised image's colour key is applied to its palette once (the keyed entry becomes
// transparent black), so that the surface loader needs no key for it. Palettes that merely
// spell out a grey ramp or the 3-3-2 colour cube let the indices be read as plain pixels.
#pragma once

#include "platform/d3d9/d3d9.h"
#include "platform/win32/types.h"

constexpr UINT paletteSize = 256;

// With `imagePalette`: a copy in which every entry equal to `colorKey` (0xAARRGGBB, compared
// as red, green, blue and alpha bytes) is 0, and true is returned: the key has been applied.
// Without: 256 opaque white entries, and false.
bool BuildSourcePalette(const PALETTEENTRY* imagePalette, D3DCOLOR colorKey,
                        PALETTEENTRY sourcePalette[paletteSize]);

// D3DFMT_L8 when entry i is opaque grey i, D3DFMT_R3G3B2 when it is the opaque colour of
// index i read as 3-3-2 bits, D3DFMT_P8 otherwise.
D3DFORMAT FormatSpelledByPalette(const PALETTEENTRY palette[paletteSize]);

bool HasTranslucentEntry(const PALETTEENTRY palette[paletteSize]);
