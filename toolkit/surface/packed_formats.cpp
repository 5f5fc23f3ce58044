// The bit layouts of the packed formats, from the published D3DFORMAT definitions: names list
// fields from the most significant bit; pixels are little-endian words.
#include <cstdint>

#include "toolkit/surface/converter_families.h"
#include "toolkit/surface/packed_converter.h"

namespace {

using U8 = std::uint8_t;
using U16 = std::uint16_t;
using U32 = std::uint32_t;
using U64 = std::uint64_t;

constexpr Channel one = Fill(1.0f);
constexpr Channel zero = Fill(0.0f);

template <typename W, UINT n, Channel R, Channel G, Channel B, Channel A,
          Derived D = Derived::None>
struct Layout {
  using Word = W;
  static constexpr UINT bytes = n;
  static constexpr Channel r = R, g = G, b = B, a = A;
  static constexpr Derived derived = D;
};

template <typename W, UINT n, Channel L, Channel A>
using LuminanceLayout = Layout<W, n, L, zero, zero, A, Derived::Luminance>;

// Colour.
using R8G8B8 = Layout<U32, 3, Field(16, 8), Field(8, 8), Field(0, 8), one>;
using A8R8G8B8 = Layout<U32, 4, Field(16, 8), Field(8, 8), Field(0, 8), Field(24, 8)>;
using X8R8G8B8 = Layout<U32, 4, Field(16, 8), Field(8, 8), Field(0, 8), one>;
using R5G6B5 = Layout<U16, 2, Field(11, 5), Field(5, 6), Field(0, 5), one>;
using X1R5G5B5 = Layout<U16, 2, Field(10, 5), Field(5, 5), Field(0, 5), one>;
using A1R5G5B5 = Layout<U16, 2, Field(10, 5), Field(5, 5), Field(0, 5), Field(15, 1)>;
using A4R4G4B4 = Layout<U16, 2, Field(8, 4), Field(4, 4), Field(0, 4), Field(12, 4)>;
using R3G3B2 = Layout<U8, 1, Field(5, 3), Field(2, 3), Field(0, 2), one>;
using A8 = Layout<U8, 1, zero, zero, zero, Field(0, 8)>;
using A8R3G3B2 = Layout<U16, 2, Field(5, 3), Field(2, 3), Field(0, 2), Field(8, 8)>;
using X4R4G4B4 = Layout<U16, 2, Field(8, 4), Field(4, 4), Field(0, 4), one>;
using A2B10G10R10 = Layout<U32, 4, Field(0, 10), Field(10, 10), Field(20, 10), Field(30, 2)>;
using A8B8G8R8 = Layout<U32, 4, Field(0, 8), Field(8, 8), Field(16, 8), Field(24, 8)>;
using X8B8G8R8 = Layout<U32, 4, Field(0, 8), Field(8, 8), Field(16, 8), one>;
using G16R16 = Layout<U32, 4, Field(0, 16), Field(16, 16), one, one>;
using A2R10G10B10 = Layout<U32, 4, Field(20, 10), Field(10, 10), Field(0, 10), Field(30, 2)>;
using A16B16G16R16 =
    Layout<U64, 8, Field(0, 16), Field(16, 16), Field(32, 16), Field(48, 16)>;
// Blue, green, red words in memory order.
using R16G16B16 = Layout<U64, 6, Field(32, 16), Field(16, 16), Field(0, 16), one>;

// Luminance (and the lockable 16-bit depth, read as luminance).
using L8 = LuminanceLayout<U8, 1, Field(0, 8), one>;
using A8L8 = LuminanceLayout<U16, 2, Field(0, 8), Field(8, 8)>;
using A4L4 = LuminanceLayout<U8, 1, Field(0, 4), Field(4, 4)>;
using L16 = LuminanceLayout<U16, 2, Field(0, 16), one>;
using A16L16 = LuminanceLayout<U32, 4, Field(0, 16), Field(16, 16)>;

// Signed: U, V, W, Q into r, g, b, a; an unsigned L or A into a.
using V8U8 = Layout<U16, 2, SignedField(0, 8), SignedField(8, 8), one, one>;
using L6V5U5 = Layout<U16, 2, SignedField(0, 5), SignedField(5, 5), one, Field(10, 6)>;
using X8L8V8U8 = Layout<U32, 4, SignedField(0, 8), SignedField(8, 8), one, Field(16, 8)>;
using Q8W8V8U8 = Layout<U32, 4, SignedField(0, 8), SignedField(8, 8), SignedField(16, 8),
                        SignedField(24, 8)>;
using V16U16 = Layout<U32, 4, SignedField(0, 16), SignedField(16, 16), one, one>;
using A2W10V10U10 = Layout<U32, 4, SignedField(0, 10), SignedField(10, 10),
                           SignedField(20, 10), Field(30, 2)>;
using CxV8U8 =
    Layout<U16, 2, SignedField(0, 8), SignedField(8, 8), zero, one, Derived::NormalZ>;
using Q16W16V16U16 = Layout<U64, 8, SignedField(0, 16), SignedField(16, 16),
                            SignedField(32, 16), SignedField(48, 16)>;

template <typename L>
RowConverter* Create(const PixelRegion& region) {
  return new (std::nothrow) PackedConverter<L>(region);
}

struct Entry {
  D3DFORMAT format;
  RowConverter* (*create)(const PixelRegion&);
};

constexpr Entry entries[] = {
    {D3DFMT_R8G8B8, Create<R8G8B8>},
    {D3DFMT_A8R8G8B8, Create<A8R8G8B8>},
    {D3DFMT_X8R8G8B8, Create<X8R8G8B8>},
    {D3DFMT_R5G6B5, Create<R5G6B5>},
    {D3DFMT_X1R5G5B5, Create<X1R5G5B5>},
    {D3DFMT_A1R5G5B5, Create<A1R5G5B5>},
    {D3DFMT_A4R4G4B4, Create<A4R4G4B4>},
    {D3DFMT_R3G3B2, Create<R3G3B2>},
    {D3DFMT_A8, Create<A8>},
    {D3DFMT_A8R3G3B2, Create<A8R3G3B2>},
    {D3DFMT_X4R4G4B4, Create<X4R4G4B4>},
    {D3DFMT_A2B10G10R10, Create<A2B10G10R10>},
    {D3DFMT_A8B8G8R8, Create<A8B8G8R8>},
    {D3DFMT_X8B8G8R8, Create<X8B8G8R8>},
    {D3DFMT_G16R16, Create<G16R16>},
    {D3DFMT_A2R10G10B10, Create<A2R10G10B10>},
    {D3DFMT_A16B16G16R16, Create<A16B16G16R16>},
    {FMT_R16G16B16, Create<R16G16B16>},
    {D3DFMT_L8, Create<L8>},
    {D3DFMT_A8L8, Create<A8L8>},
    {D3DFMT_A4L4, Create<A4L4>},
    {D3DFMT_L16, Create<L16>},
    {D3DFMT_D16_LOCKABLE, Create<L16>},
    {FMT_A16L16, Create<A16L16>},
    {D3DFMT_V8U8, Create<V8U8>},
    {D3DFMT_L6V5U5, Create<L6V5U5>},
    {D3DFMT_X8L8V8U8, Create<X8L8V8U8>},
    {D3DFMT_Q8W8V8U8, Create<Q8W8V8U8>},
    {D3DFMT_V16U16, Create<V16U16>},
    {D3DFMT_A2W10V10U10, Create<A2W10V10U10>},
    {D3DFMT_CxV8U8, Create<CxV8U8>},
    {D3DFMT_Q16W16V16U16, Create<Q16W16V16U16>},
};

}  // namespace

RowConverter* CreatePackedConverter(const PixelRegion& region) {
  for (const Entry& entry : entries) {
    if (entry.format == region.format) return entry.create(region);
  }
  return nullptr;
}
