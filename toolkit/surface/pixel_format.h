// The pixel-format table: kind, size and channel widths of every format the toolkit reads or
// writes, and the value class (NumericClass) that conversion between formats goes by.
//
// Signed formats put Q, W, V, U into the alpha, red, green and blue columns and L into extra
// (the 2-bit A of D3DFMT_A2W10V10U10 too). Depth formats put stencil into green and depth into
// blue; extra is 1 for the lockable ones. Block formats list 16 bits whatever their blocks hold.
#pragma once

#include "platform/d3d9/d3d9.h"
#include "platform/win32/types.h"

// Formats that are no Direct3D 9 formats: 16-bit PNG samples as the image decoders keep them.
// 16-bit luminance in the low word, 16-bit alpha in the high word ("AL16").
inline constexpr D3DFORMAT FMT_A16L16 = static_cast<D3DFORMAT>(0x36314C41);
// Three 16-bit words in memory order blue, green, red (" R16").
inline constexpr D3DFORMAT FMT_R16G16B16 = static_cast<D3DFORMAT>(0x36315220);

enum class PixelKind : DWORD {
  Colour = 0,
  Palettised = 1,
  Luminance = 2,
  Signed = 3,
  DepthStencil = 4,
};

struct PixelFormatInfo {
  D3DFORMAT format;
  PixelKind kind;
  DWORD bitsPerPixel;
  DWORD extraBits;
  DWORD alphaBits;
  DWORD redBits;
  DWORD greenBits;
  DWORD blueBits;
  // 1 when the texture-format search may choose the format.
  DWORD candidate;
};

static_assert(sizeof(PixelFormatInfo) == 9 * 4);

// The first row of the table for `format`, or the default row (format 0, kind 0, 32 bits,
// channels 0/8/8/8/8, not a candidate) for a format the table does not hold.
const PixelFormatInfo& GetPixelFormatInfo(D3DFORMAT format);

// The whole table in search order.
const PixelFormatInfo* PixelFormatTable();
UINT PixelFormatTableSize();

// How channel values are represented, and so how they convert between formats.
enum class NumericClass : DWORD {
  None = 0,
  Unorm = 1,     // unsigned, 0 ... 1
  SnormRGB = 2,  // signed red, green and blue (-1 ... 1), unsigned alpha
  SnormAll = 3,  // all four channels signed
  Float = 4,     // floating-point, unbounded
};

// The class of `format`; Unorm for every format not listed as signed or floating-point.
NumericClass NumericClassOf(D3DFORMAT format);

bool IsDxtFormat(D3DFORMAT format);
// The formats that store two pixels in four bytes sharing their chroma.
bool IsPackedPairFormat(D3DFORMAT format);
// Bytes of one 4 x 4 block: 8 for D3DFMT_DXT1, 16 for D3DFMT_DXT2 ... D3DFMT_DXT5.
UINT DxtBlockBytes(D3DFORMAT format);
