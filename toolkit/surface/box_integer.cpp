// Box halving on packed pixels. Four 8-bit channels are averaged two at a time in the halves
// of a 32-bit word (a sum of four bytes plus 2 needs 10 bits); other formats field by field.
#include <cstdint>
#include <cstring>

#include "toolkit/surface/box_filter.h"

namespace {

struct BitField {
  int shift;
  int bits;
};

// The stored channel fields of a format; X bits are not among them and come out as 0.
struct FieldLayout {
  D3DFORMAT format;
  UINT bytes;
  int count;
  BitField fields[4];
};

constexpr FieldLayout layouts[] = {
    {D3DFMT_A8R8G8B8, 4, 4, {{0, 8}, {8, 8}, {16, 8}, {24, 8}}},
    {D3DFMT_A8B8G8R8, 4, 4, {{0, 8}, {8, 8}, {16, 8}, {24, 8}}},
    {D3DFMT_X8R8G8B8, 4, 3, {{0, 8}, {8, 8}, {16, 8}}},
    {D3DFMT_X8B8G8R8, 4, 3, {{0, 8}, {8, 8}, {16, 8}}},
    {D3DFMT_R5G6B5, 2, 3, {{0, 5}, {5, 6}, {11, 5}}},
    {D3DFMT_X1R5G5B5, 2, 3, {{0, 5}, {5, 5}, {10, 5}}},
    {D3DFMT_A1R5G5B5, 2, 4, {{0, 5}, {5, 5}, {10, 5}, {15, 1}}},
    {D3DFMT_A4R4G4B4, 2, 4, {{0, 4}, {4, 4}, {8, 4}, {12, 4}}},
    {D3DFMT_R3G3B2, 1, 3, {{0, 2}, {2, 3}, {5, 3}}},
    {D3DFMT_A8, 1, 1, {{0, 8}}},
    {D3DFMT_L8, 1, 1, {{0, 8}}},
    {D3DFMT_A8R3G3B2, 2, 4, {{0, 2}, {2, 3}, {5, 3}, {8, 8}}},
    {D3DFMT_X4R4G4B4, 2, 3, {{0, 4}, {4, 4}, {8, 4}}},
    {D3DFMT_A8L8, 2, 2, {{0, 8}, {8, 8}}},
    {D3DFMT_A4L4, 1, 2, {{0, 4}, {4, 4}}},
};

const FieldLayout* FindLayout(D3DFORMAT format) {
  for (const FieldLayout& layout : layouts) {
    if (layout.format == format) return &layout;
  }
  return nullptr;
}

// Rounded averages of the four bytes in each byte lane of a, b, c, d.
inline std::uint32_t AverageBytes(std::uint32_t a, std::uint32_t b, std::uint32_t c,
                                  std::uint32_t d) {
  constexpr std::uint32_t even = 0x00FF00FFu, rounding = 0x00020002u;
  const std::uint32_t low = (a & even) + (b & even) + (c & even) + (d & even) + rounding;
  const std::uint32_t high =
      ((a >> 8) & even) + ((b >> 8) & even) + ((c >> 8) & even) + ((d >> 8) & even) + rounding;
  return ((low >> 2) & even) | (((high >> 2) & even) << 8);
}

void HalveWordRow(const std::uint32_t* top, const std::uint32_t* bottom, std::uint32_t* out,
                  UINT width, std::uint32_t keep) {
  for (UINT x = 0; x < width; ++x) {
    out[x] = AverageBytes(top[2 * x], top[2 * x + 1], bottom[2 * x], bottom[2 * x + 1]) & keep;
  }
}

void HalveByteRow(const BYTE* top, const BYTE* bottom, BYTE* out, UINT width) {
  for (UINT x = 0; x < width; ++x) {
    out[x] = static_cast<BYTE>(
        (top[2 * x] + top[2 * x + 1] + bottom[2 * x] + bottom[2 * x + 1] + 2) >> 2);
  }
}

template <typename Word>
Word Load(const BYTE* p) {
  Word w;
  std::memcpy(&w, p, sizeof(w));
  return w;
}

template <typename Word>
void HalveFieldRow(const BYTE* top, const BYTE* bottom, BYTE* out, UINT width,
                   const FieldLayout& layout) {
  constexpr UINT bytes = sizeof(Word);
  for (UINT x = 0; x < width; ++x) {
    const UINT at = 2 * x * bytes;
    const UINT a = Load<Word>(top + at), b = Load<Word>(top + at + bytes);
    const UINT c = Load<Word>(bottom + at), d = Load<Word>(bottom + at + bytes);
    UINT result = 0;
    for (int f = 0; f < layout.count; ++f) {
      const int shift = layout.fields[f].shift;
      const UINT mask = (1u << layout.fields[f].bits) - 1;
      const UINT sum = ((a >> shift) & mask) + ((b >> shift) & mask) + ((c >> shift) & mask) +
                       ((d >> shift) & mask) + 2;
      result |= (sum >> 2) << shift;
    }
    const auto word = static_cast<Word>(result);
    std::memcpy(out + x * bytes, &word, bytes);
  }
}

bool WordAligned(const RowConverter& c) {
  return ((reinterpret_cast<std::uintptr_t>(c.Pixels()) | c.RowPitch()) & 3) == 0;
}

}  // namespace

bool HalvesOnIntegers(D3DFORMAT format) { return FindLayout(format) != nullptr; }

HRESULT HalveOnIntegers(RowConverter& dest, const RowConverter& source) {
  const FieldLayout* layout = FindLayout(dest.Format());
  if (layout == nullptr || source.Format() != dest.Format()) return E_FAIL;
  const bool wholeBytes = layout->fields[0].bits == 8 && layout->bytes == 4;
  if (wholeBytes && (!WordAligned(dest) || !WordAligned(source))) return E_FAIL;
  const std::uint32_t keep = layout->count == 4 ? 0xFFFFFFFFu : 0x00FFFFFFu;
  const bool singleByte = layout->bytes == 1 && layout->fields[0].bits == 8;
  const UINT width = dest.Width();
  for (UINT y = 0; y < dest.Height(); ++y) {
    const BYTE* top = source.Pixels() + static_cast<std::size_t>(2 * y) * source.RowPitch();
    const BYTE* bottom = top + source.RowPitch();
    BYTE* out = dest.Pixels() + static_cast<std::size_t>(y) * dest.RowPitch();
    if (wholeBytes) {
      HalveWordRow(reinterpret_cast<const std::uint32_t*>(top),
                   reinterpret_cast<const std::uint32_t*>(bottom),
                   reinterpret_cast<std::uint32_t*>(out), width, keep);
    } else if (singleByte) {
      HalveByteRow(top, bottom, out, width);
    } else if (layout->bytes == 2) {
      HalveFieldRow<std::uint16_t>(top, bottom, out, width, *layout);
    } else {
      HalveFieldRow<std::uint8_t>(top, bottom, out, width, *layout);
    }
  }
  return S_OK;
}
