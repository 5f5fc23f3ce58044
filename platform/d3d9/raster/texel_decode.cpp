#include "platform/d3d9/raster/texel_decode.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

namespace d3d9 {
namespace {

// One channel of a packed format: its width in bits and its lowest bit.
struct Channel {
  int bits;
  int shift;
};

// A packed format of up to 32 bits; a channel of 0 bits reads as `missing`.
struct PackedLayout {
  D3DFORMAT format;
  int bytes;
  Channel a, r, g, b;
  bool luminance;     // r holds luminance for all three colour channels
  std::uint32_t missing;  // 0 or 255, the value of absent colour channels
};

constexpr PackedLayout packedLayouts[] = {
    {D3DFMT_A8R8G8B8, 4, {8, 24}, {8, 16}, {8, 8}, {8, 0}, false, 0},
    {D3DFMT_X8R8G8B8, 4, {0, 0}, {8, 16}, {8, 8}, {8, 0}, false, 0},
    {D3DFMT_R8G8B8, 3, {0, 0}, {8, 16}, {8, 8}, {8, 0}, false, 0},
    {D3DFMT_R5G6B5, 2, {0, 0}, {5, 11}, {6, 5}, {5, 0}, false, 0},
    {D3DFMT_X1R5G5B5, 2, {0, 0}, {5, 10}, {5, 5}, {5, 0}, false, 0},
    {D3DFMT_A1R5G5B5, 2, {1, 15}, {5, 10}, {5, 5}, {5, 0}, false, 0},
    {D3DFMT_A4R4G4B4, 2, {4, 12}, {4, 8}, {4, 4}, {4, 0}, false, 0},
    {D3DFMT_X4R4G4B4, 2, {0, 0}, {4, 8}, {4, 4}, {4, 0}, false, 0},
    {D3DFMT_R3G3B2, 1, {0, 0}, {3, 5}, {3, 2}, {2, 0}, false, 0},
    {D3DFMT_A8R3G3B2, 2, {8, 8}, {3, 5}, {3, 2}, {2, 0}, false, 0},
    {D3DFMT_A2B10G10R10, 4, {2, 30}, {10, 0}, {10, 10}, {10, 20}, false, 0},
    {D3DFMT_A2R10G10B10, 4, {2, 30}, {10, 20}, {10, 10}, {10, 0}, false, 0},
    {D3DFMT_A8B8G8R8, 4, {8, 24}, {8, 0}, {8, 8}, {8, 16}, false, 0},
    {D3DFMT_X8B8G8R8, 4, {0, 0}, {8, 0}, {8, 8}, {8, 16}, false, 0},
    {D3DFMT_G16R16, 4, {0, 0}, {16, 0}, {16, 16}, {0, 0}, false, 255},
    {D3DFMT_A8, 1, {8, 0}, {0, 0}, {0, 0}, {0, 0}, false, 0},
    {D3DFMT_L8, 1, {0, 0}, {8, 0}, {0, 0}, {0, 0}, true, 0},
    {D3DFMT_A8L8, 2, {8, 8}, {8, 0}, {0, 0}, {0, 0}, true, 0},
    {D3DFMT_A4L4, 1, {4, 4}, {4, 0}, {0, 0}, {0, 0}, true, 0},
    {D3DFMT_L16, 2, {0, 0}, {16, 0}, {0, 0}, {0, 0}, true, 0},
};

const PackedLayout* FindPacked(D3DFORMAT format) {
  for (const PackedLayout& layout : packedLayouts) {
    if (layout.format == format) return &layout;
  }
  return nullptr;
}

std::uint32_t Expand(std::uint32_t raw, Channel channel, std::uint32_t absent) {
  if (channel.bits == 0) return absent;
  const std::uint32_t max = channel.bits == 32 ? 0xFFFFFFFFu : (1u << channel.bits) - 1;
  const std::uint32_t value = (raw >> channel.shift) & max;
  return std::uint32_t((std::uint64_t(value) * 255 + max / 2) / max);
}

std::uint32_t Pack(std::uint32_t a, std::uint32_t r, std::uint32_t g, std::uint32_t b) {
  return (a << 24) | (r << 16) | (g << 8) | b;
}

void DecodePacked(const Image& image, UINT slice, const PackedLayout& layout, std::uint32_t* out) {
  for (UINT y = 0; y < image.Height(); ++y) {
    const std::uint8_t* row = image.Row(y, slice);
    for (UINT x = 0; x < image.Width(); ++x, row += layout.bytes, ++out) {
      std::uint32_t raw = 0;
      std::memcpy(&raw, row, std::size_t(layout.bytes));
      const std::uint32_t a = Expand(raw, layout.a, 255);
      const std::uint32_t r = Expand(raw, layout.r, layout.missing);
      if (layout.luminance) {
        *out = Pack(a, r, r, r);
      } else {
        *out = Pack(a, r, Expand(raw, layout.g, layout.missing), Expand(raw, layout.b, layout.missing));
      }
    }
  }
}

float HalfToFloat(std::uint16_t half) {
  const std::uint32_t sign = std::uint32_t(half >> 15) << 31;
  const std::uint32_t exponent = (half >> 10) & 0x1F;
  const std::uint32_t mantissa = half & 0x3FF;
  if (exponent == 0) {
    const float value = std::ldexp(float(mantissa), -24);
    return sign != 0 ? -value : value;
  }
  if (exponent == 31) return std::bit_cast<float>(sign | 0x7F800000u | (mantissa << 13));
  return std::bit_cast<float>(sign | ((exponent + 112) << 23) | (mantissa << 13));
}

std::uint32_t UnitToByte(float value) {
  if (!(value > 0.0f)) return 0;  // NaN reads as 0
  if (value >= 1.0f) return 255;
  return std::uint32_t(std::lround(value * 255.0f));
}

// Float formats: `count` channels of `size` bytes in the order R, G, B, A.
void DecodeFloat(const Image& image, UINT slice, int count, int size, std::uint32_t* out) {
  for (UINT y = 0; y < image.Height(); ++y) {
    const std::uint8_t* row = image.Row(y, slice);
    for (UINT x = 0; x < image.Width(); ++x, ++out) {
      std::uint32_t channels[4] = {255, 255, 255, 255};
      for (int c = 0; c < count; ++c, row += size) {
        float value;
        if (size == 2) {
          std::uint16_t half;
          std::memcpy(&half, row, 2);
          value = HalfToFloat(half);
        } else {
          std::memcpy(&value, row, 4);
        }
        channels[c] = UnitToByte(value);
      }
      *out = Pack(channels[3], channels[0], channels[1], channels[2]);
    }
  }
}

void DecodeWide(const Image& image, UINT slice, std::uint32_t* out) {
  constexpr Channel wide = {16, 0};
  for (UINT y = 0; y < image.Height(); ++y) {
    const std::uint8_t* row = image.Row(y, slice);
    for (UINT x = 0; x < image.Width(); ++x, row += 8, ++out) {
      std::uint16_t c[4];
      std::memcpy(c, row, 8);
      *out = Pack(Expand(c[3], wide, 0), Expand(c[0], wide, 0), Expand(c[1], wide, 0),
                  Expand(c[2], wide, 0));
    }
  }
}

// --- DXT blocks ------------------------------------------------------------------------------

std::uint32_t Colour565(std::uint16_t value) {
  return Pack(255, Expand(value, {5, 11}, 0), Expand(value, {6, 5}, 0), Expand(value, {5, 0}, 0));
}

std::uint32_t Mix(std::uint32_t a, std::uint32_t b, int wa, int wb, int total) {
  std::uint32_t out = 0xFF000000u;
  for (int shift = 0; shift < 24; shift += 8) {
    const int ca = int((a >> shift) & 0xFF);
    const int cb = int((b >> shift) & 0xFF);
    out |= std::uint32_t((ca * wa + cb * wb + total / 2) / total) << shift;
  }
  return out;
}

// The 16 colours of a colour block; `threeColour` allows the mode with transparent black.
void DecodeColourBlock(const std::uint8_t* block, bool threeColour, std::uint32_t texels[16]) {
  std::uint16_t c0, c1;
  std::uint32_t indices;
  std::memcpy(&c0, block, 2);
  std::memcpy(&c1, block + 2, 2);
  std::memcpy(&indices, block + 4, 4);
  std::uint32_t palette[4] = {Colour565(c0), Colour565(c1), 0, 0};
  if (c0 > c1 || !threeColour) {
    palette[2] = Mix(palette[0], palette[1], 2, 1, 3);
    palette[3] = Mix(palette[0], palette[1], 1, 2, 3);
  } else {
    palette[2] = Mix(palette[0], palette[1], 1, 1, 2);
    palette[3] = 0;
  }
  for (int i = 0; i < 16; ++i) texels[i] = palette[(indices >> (2 * i)) & 3];
}

void SetAlpha(std::uint32_t& texel, std::uint32_t alpha) {
  texel = (texel & 0x00FFFFFFu) | (alpha << 24);
}

void DecodeExplicitAlpha(const std::uint8_t* block, std::uint32_t texels[16]) {
  for (int i = 0; i < 16; ++i) {
    const std::uint32_t nibble = (block[i / 2] >> ((i & 1) * 4)) & 0xF;
    SetAlpha(texels[i], nibble * 17);
  }
}

void DecodeInterpolatedAlpha(const std::uint8_t* block, std::uint32_t texels[16]) {
  const std::uint32_t a0 = block[0];
  const std::uint32_t a1 = block[1];
  std::uint32_t palette[8] = {a0, a1};
  if (a0 > a1) {
    for (int i = 1; i < 7; ++i) palette[i + 1] = ((7 - i) * a0 + i * a1 + 3) / 7;
  } else {
    for (int i = 1; i < 5; ++i) palette[i + 1] = ((5 - i) * a0 + i * a1 + 2) / 5;
    palette[6] = 0;
    palette[7] = 255;
  }
  std::uint64_t bits = 0;
  for (int i = 0; i < 6; ++i) bits |= std::uint64_t(block[2 + i]) << (8 * i);
  for (int i = 0; i < 16; ++i) SetAlpha(texels[i], palette[(bits >> (3 * i)) & 7]);
}

void DecodeBlocks(const Image& image, UINT slice, std::uint32_t* out) {
  const D3DFORMAT format = image.Format();
  const UINT width = image.Width();
  const UINT height = image.Height();
  const int blockBytes = format == D3DFMT_DXT1 ? 8 : 16;
  for (UINT by = 0; by < (height + 3) / 4; ++by) {
    const std::uint8_t* block = image.Row(by, slice);
    for (UINT bx = 0; bx < (width + 3) / 4; ++bx, block += blockBytes) {
      std::uint32_t texels[16];
      if (format == D3DFMT_DXT1) {
        DecodeColourBlock(block, true, texels);
      } else {
        DecodeColourBlock(block + 8, false, texels);
        if (format == D3DFMT_DXT2 || format == D3DFMT_DXT3) {
          DecodeExplicitAlpha(block, texels);
        } else {
          DecodeInterpolatedAlpha(block, texels);
        }
      }
      for (UINT y = 0; y < 4 && by * 4 + y < height; ++y) {
        for (UINT x = 0; x < 4 && bx * 4 + x < width; ++x) {
          out[std::size_t(by * 4 + y) * width + bx * 4 + x] = texels[y * 4 + x];
        }
      }
    }
  }
}

bool IsBlock(D3DFORMAT format) {
  return format == D3DFMT_DXT1 || format == D3DFMT_DXT2 || format == D3DFMT_DXT3 ||
         format == D3DFMT_DXT4 || format == D3DFMT_DXT5;
}

int FloatChannels(D3DFORMAT format, int* size) {
  switch (format) {
    case D3DFMT_R16F: *size = 2; return 1;
    case D3DFMT_G16R16F: *size = 2; return 2;
    case D3DFMT_A16B16G16R16F: *size = 2; return 4;
    case D3DFMT_R32F: *size = 4; return 1;
    case D3DFMT_G32R32F: *size = 4; return 2;
    case D3DFMT_A32B32G32R32F: *size = 4; return 4;
    default: return 0;
  }
}

}  // namespace

bool CanDecode(D3DFORMAT format) {
  int size = 0;
  return FindPacked(format) != nullptr || IsBlock(format) || FloatChannels(format, &size) != 0 ||
         format == D3DFMT_A16B16G16R16;
}

bool DecodeToArgb(const Image& image, std::uint32_t* out, UINT slice) {
  const D3DFORMAT format = image.Format();
  if (const PackedLayout* layout = FindPacked(format)) {
    DecodePacked(image, slice, *layout, out);
    return true;
  }
  if (IsBlock(format)) {
    DecodeBlocks(image, slice, out);
    return true;
  }
  int size = 0;
  if (const int count = FloatChannels(format, &size)) {
    DecodeFloat(image, slice, count, size, out);
    return true;
  }
  if (format == D3DFMT_A16B16G16R16) {
    DecodeWide(image, slice, out);
    return true;
  }
  return false;
}

}  // namespace d3d9
