// The closest-format search: which pixel format, among those a device accepts (or those of a
// list), lies nearest to a wished one.
//
// Formats are compared by their rows of the pixel-format table. A candidate of a kind the
// wished kind cannot turn into (a colour wish into a palettised format, a luminance wish into
// a signed one, ...) is never chosen. Among the others a lost channel outweighs any loss of
// precision, which outweighs any unwanted channel, which outweighs extra precision; of equal
// distances the format with fewer bits per pixel wins, and of equal rank the first one found.
#pragma once

#include <optional>

#include "platform/d3d9/d3d9.h"
#include "platform/win32/types.h"
#include "toolkit/surface/pixel_format.h"

// Whether a format of kind `candidate` may stand in for one of kind `wanted`.
bool KindMayReplace(PixelKind wanted, PixelKind candidate);

// How far `candidate` lies from `wanted`; nothing when it cannot stand in for it at all (an
// incompatible kind, or every wished channel missing).
std::optional<DWORD> FormatDistance(const PixelFormatInfo& wanted,
                                    const PixelFormatInfo& candidate);

// The device format closest to `wanted` for a resource of `kind` ("D3DRTYPE_TEXTURE",
// cube or volume) with `usage`, or D3DFMT_UNKNOWN when none fits. A format the device accepts
// that equals the wished one is taken whether or not the search may otherwise choose it.
// Without a device every table row counts as accepted. A device that cannot report its
// adapter or display mode accepts nothing.
D3DFORMAT FindClosestDeviceFormat(IDirect3DDevice9* device, DWORD usage, D3DRESOURCETYPE kind,
                                  const PixelFormatInfo& wanted);

// The same scoring over a list ending in D3DFMT_UNKNOWN, in list order: formats the table
// lacks are skipped, palettised ones too unless allowed; no device or candidate flag counts.
D3DFORMAT FindClosestFormat(const D3DFORMAT* formats, bool allowPalettised,
                            const PixelFormatInfo& wanted);
