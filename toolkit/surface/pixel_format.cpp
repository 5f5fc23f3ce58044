#include "toolkit/surface/pixel_format.h"

#include <iterator>

namespace {

constexpr PixelKind colour = PixelKind::Colour;
constexpr PixelKind palettised = PixelKind::Palettised;
constexpr PixelKind luminance = PixelKind::Luminance;
constexpr PixelKind bump = PixelKind::Signed;
constexpr PixelKind depth = PixelKind::DepthStencil;

// format, kind, bits, extra, alpha, red, green, blue, candidate.
constexpr PixelFormatInfo table[] = {
    {D3DFMT_R8G8B8, colour, 24, 0, 0, 8, 8, 8, 0},
    {D3DFMT_A8R8G8B8, colour, 32, 0, 8, 8, 8, 8, 1},
    {D3DFMT_X8R8G8B8, colour, 32, 0, 0, 8, 8, 8, 1},
    {D3DFMT_R5G6B5, colour, 16, 0, 0, 5, 6, 5, 1},
    {D3DFMT_X1R5G5B5, colour, 16, 0, 0, 5, 5, 5, 1},
    {D3DFMT_A8P8, palettised, 16, 0, 8, 8, 8, 8, 1},
    {D3DFMT_P8, palettised, 8, 0, 8, 8, 8, 8, 1},
    {D3DFMT_A1R5G5B5, colour, 16, 0, 1, 5, 5, 5, 1},
    {D3DFMT_A4R4G4B4, colour, 16, 0, 4, 4, 4, 4, 1},
    {D3DFMT_R3G3B2, colour, 8, 0, 0, 3, 3, 2, 1},
    {D3DFMT_A8, colour, 8, 0, 8, 0, 0, 0, 1},
    {D3DFMT_A8R3G3B2, colour, 16, 0, 8, 3, 3, 2, 1},
    {D3DFMT_X4R4G4B4, colour, 16, 0, 0, 4, 4, 4, 1},
    {D3DFMT_A2B10G10R10, colour, 32, 0, 2, 10, 10, 10, 1},
    {D3DFMT_A8B8G8R8, colour, 32, 0, 8, 8, 8, 8, 1},
    {D3DFMT_X8B8G8R8, colour, 32, 0, 0, 8, 8, 8, 1},
    {D3DFMT_G16R16, colour, 32, 0, 0, 16, 16, 0, 1},
    {D3DFMT_A2R10G10B10, colour, 32, 0, 2, 10, 10, 10, 1},
    {D3DFMT_A16B16G16R16, colour, 64, 0, 16, 16, 16, 16, 1},
    {D3DFMT_L8, luminance, 8, 0, 0, 8, 8, 8, 1},
    {D3DFMT_A8L8, luminance, 16, 0, 8, 8, 8, 8, 1},
    {D3DFMT_A4L4, luminance, 8, 0, 4, 4, 4, 4, 1},
    {D3DFMT_L16, luminance, 16, 0, 0, 16, 16, 16, 1},
    {D3DFMT_V8U8, bump, 16, 0, 0, 0, 8, 8, 1},
    {D3DFMT_L6V5U5, bump, 16, 6, 0, 0, 5, 5, 1},
    {D3DFMT_X8L8V8U8, bump, 32, 8, 0, 0, 8, 8, 1},
    {D3DFMT_Q8W8V8U8, bump, 32, 0, 8, 8, 8, 8, 1},
    {D3DFMT_V16U16, bump, 32, 0, 0, 0, 16, 16, 1},
    {D3DFMT_A2W10V10U10, bump, 32, 2, 0, 10, 10, 10, 1},
    {D3DFMT_Q16W16V16U16, bump, 64, 0, 16, 16, 16, 16, 1},
    {D3DFMT_CxV8U8, bump, 16, 8, 0, 0, 8, 8, 0},
    {D3DFMT_UYVY, colour, 16, 0, 0, 8, 8, 8, 0},
    {D3DFMT_R8G8_B8G8, colour, 16, 0, 0, 8, 8, 8, 0},
    {D3DFMT_YUY2, colour, 16, 0, 0, 8, 8, 8, 0},
    {D3DFMT_G8R8_G8B8, colour, 16, 0, 0, 8, 8, 8, 0},
    {D3DFMT_DXT1, colour, 16, 0, 1, 5, 6, 5, 0},
    {D3DFMT_DXT2, colour, 16, 0, 4, 5, 6, 5, 0},
    {D3DFMT_DXT3, colour, 16, 0, 4, 5, 6, 5, 0},
    {D3DFMT_DXT4, colour, 16, 0, 8, 5, 6, 5, 0},
    {D3DFMT_DXT5, colour, 16, 0, 8, 5, 6, 5, 0},
    {D3DFMT_D16_LOCKABLE, depth, 16, 1, 0, 0, 0, 16, 1},
    {D3DFMT_D32F_LOCKABLE, depth, 32, 1, 0, 0, 0, 32, 0},
    {D3DFMT_D32, depth, 32, 0, 0, 0, 0, 32, 1},
    {D3DFMT_D15S1, depth, 16, 0, 0, 0, 1, 15, 1},
    {D3DFMT_D24S8, depth, 32, 0, 0, 0, 8, 24, 1},
    {D3DFMT_D16, depth, 16, 0, 0, 0, 0, 16, 1},
    {D3DFMT_D24X8, depth, 32, 0, 0, 0, 0, 24, 1},
    {D3DFMT_D24X4S4, depth, 32, 0, 0, 0, 4, 24, 1},
    {D3DFMT_D24FS8, depth, 32, 0, 0, 0, 8, 24, 0},
    {D3DFMT_R16F, colour, 16, 0, 0, 16, 0, 0, 0},
    {D3DFMT_G16R16F, colour, 32, 0, 0, 16, 16, 0, 0},
    {D3DFMT_A16B16G16R16F, colour, 64, 0, 16, 16, 16, 16, 0},
    {D3DFMT_R32F, colour, 32, 0, 0, 32, 0, 0, 0},
    {D3DFMT_G32R32F, colour, 64, 0, 0, 32, 32, 0, 0},
    {D3DFMT_A32B32G32R32F, colour, 128, 0, 32, 32, 32, 32, 0},
    {FMT_A16L16, luminance, 32, 0, 16, 16, 16, 16, 0},
    {FMT_R16G16B16, colour, 48, 0, 0, 16, 16, 16, 0},
};

static_assert(std::size(table) == 57);

constexpr PixelFormatInfo defaultRow = {D3DFMT_UNKNOWN, colour, 32, 0, 8, 8, 8, 8, 0};

}  // namespace

const PixelFormatInfo& GetPixelFormatInfo(D3DFORMAT format) {
  for (const PixelFormatInfo& row : table) {
    if (row.format == format) return row;
  }
  return defaultRow;
}

const PixelFormatInfo* PixelFormatTable() { return table; }

UINT PixelFormatTableSize() { return static_cast<UINT>(std::size(table)); }

NumericClass NumericClassOf(D3DFORMAT format) {
  switch (format) {
    case D3DFMT_V8U8:
    case D3DFMT_L6V5U5:
    case D3DFMT_X8L8V8U8:
    case D3DFMT_V16U16:
    case D3DFMT_A2W10V10U10:
    case D3DFMT_CxV8U8:
      return NumericClass::SnormRGB;
    case D3DFMT_Q8W8V8U8:
    case D3DFMT_Q16W16V16U16:
      return NumericClass::SnormAll;
    case D3DFMT_R16F:
    case D3DFMT_G16R16F:
    case D3DFMT_A16B16G16R16F:
    case D3DFMT_R32F:
    case D3DFMT_G32R32F:
    case D3DFMT_A32B32G32R32F:
    case D3DFMT_D32F_LOCKABLE:
      return NumericClass::Float;
    default:
      return NumericClass::Unorm;
  }
}

bool IsDxtFormat(D3DFORMAT format) {
  return format == D3DFMT_DXT1 || format == D3DFMT_DXT2 || format == D3DFMT_DXT3 ||
         format == D3DFMT_DXT4 || format == D3DFMT_DXT5;
}

bool IsPackedPairFormat(D3DFORMAT format) {
  return format == D3DFMT_YUY2 || format == D3DFMT_UYVY || format == D3DFMT_R8G8_B8G8 ||
         format == D3DFMT_G8R8_G8B8;
}

UINT DxtBlockBytes(D3DFORMAT format) { return format == D3DFMT_DXT1 ? 8 : 16; }
