#include "platform/d3d9/format_info.h"

#include <algorithm>
#include <array>

namespace d3d9 {
namespace {

constexpr FormatInfo Plain(D3DFORMAT format, UINT bits) { return {format, bits, 0, false, true}; }
constexpr FormatInfo Block(D3DFORMAT format, UINT bytes) { return {format, 0, bytes, false, true}; }
constexpr FormatInfo Depth(D3DFORMAT format, UINT bits, bool lockable) {
  return {format, bits, 0, true, lockable};
}

constexpr std::array formats = {
    Plain(D3DFMT_R8G8B8, 24),        Plain(D3DFMT_A8R8G8B8, 32),
    Plain(D3DFMT_X8R8G8B8, 32),      Plain(D3DFMT_R5G6B5, 16),
    Plain(D3DFMT_X1R5G5B5, 16),      Plain(D3DFMT_A1R5G5B5, 16),
    Plain(D3DFMT_A4R4G4B4, 16),      Plain(D3DFMT_R3G3B2, 8),
    Plain(D3DFMT_A8, 8),             Plain(D3DFMT_A8R3G3B2, 16),
    Plain(D3DFMT_X4R4G4B4, 16),      Plain(D3DFMT_A2B10G10R10, 32),
    Plain(D3DFMT_A8B8G8R8, 32),      Plain(D3DFMT_X8B8G8R8, 32),
    Plain(D3DFMT_G16R16, 32),        Plain(D3DFMT_A2R10G10B10, 32),
    Plain(D3DFMT_A16B16G16R16, 64),  Plain(D3DFMT_A8P8, 16),
    Plain(D3DFMT_P8, 8),             Plain(D3DFMT_L8, 8),
    Plain(D3DFMT_A8L8, 16),          Plain(D3DFMT_A4L4, 8),
    Plain(D3DFMT_V8U8, 16),          Plain(D3DFMT_L6V5U5, 16),
    Plain(D3DFMT_X8L8V8U8, 32),      Plain(D3DFMT_Q8W8V8U8, 32),
    Plain(D3DFMT_V16U16, 32),        Plain(D3DFMT_A2W10V10U10, 32),
    Plain(D3DFMT_UYVY, 16),          Plain(D3DFMT_R8G8_B8G8, 16),
    Plain(D3DFMT_YUY2, 16),          Plain(D3DFMT_G8R8_G8B8, 16),
    Block(D3DFMT_DXT1, 8),           Block(D3DFMT_DXT2, 16),
    Block(D3DFMT_DXT3, 16),          Block(D3DFMT_DXT4, 16),
    Block(D3DFMT_DXT5, 16),          Depth(D3DFMT_D16_LOCKABLE, 16, true),
    Depth(D3DFMT_D32, 32, false),    Depth(D3DFMT_D15S1, 16, false),
    Depth(D3DFMT_D24S8, 32, false),  Depth(D3DFMT_D24X8, 32, false),
    Depth(D3DFMT_D24X4S4, 32, false), Depth(D3DFMT_D16, 16, false),
    Depth(D3DFMT_D32F_LOCKABLE, 32, true), Depth(D3DFMT_D24FS8, 32, false),
    Plain(D3DFMT_L16, 16),           Plain(D3DFMT_Q16W16V16U16, 64),
    Plain(D3DFMT_R16F, 16),          Plain(D3DFMT_G16R16F, 32),
    Plain(D3DFMT_A16B16G16R16F, 64), Plain(D3DFMT_R32F, 32),
    Plain(D3DFMT_G32R32F, 64),       Plain(D3DFMT_A32B32G32R32F, 128),
    Plain(D3DFMT_CxV8U8, 16),
};

}  // namespace

const FormatInfo* FindFormat(D3DFORMAT format) {
  for (const FormatInfo& info : formats) {
    if (info.format == format) return &info;
  }
  return nullptr;
}

bool IsBlockFormat(D3DFORMAT format) {
  const FormatInfo* info = FindFormat(format);
  return info != nullptr && info->blockBytes != 0;
}

bool IsDepthFormat(D3DFORMAT format) {
  const FormatInfo* info = FindFormat(format);
  return info != nullptr && info->depth;
}

UINT RowPitchOf(D3DFORMAT format, UINT width) {
  const FormatInfo* info = FindFormat(format);
  if (info == nullptr) return 0;
  if (info->blockBytes != 0) return (width + 3) / 4 * info->blockBytes;
  return width * (info->bitsPerPixel / 8);
}

UINT MemoryRowsOf(D3DFORMAT format, UINT height) {
  return IsBlockFormat(format) ? (height + 3) / 4 : height;
}

UINT FullChainLength(UINT width, UINT height, UINT depth) {
  UINT largest = std::max({width, height, depth});
  UINT levels = 1;
  while (largest > 1) {
    largest >>= 1;
    ++levels;
  }
  return levels;
}

}  // namespace d3d9
