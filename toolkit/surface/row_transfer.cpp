#include "toolkit/surface/row_transfer.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

// A channel of a quantised key: exactly k/255, so rounding gives k back in any rounding mode.
UINT KeyByte(float value) { return static_cast<UINT>(value * 255.0f + 0.5f); }

// The packed pixel that decodes to `key` in D3DFMT_A8R8G8B8 or D3DFMT_X8R8G8B8 (alpha 1.0).
UINT PackKey(const FloatPixel& key) {
  return (KeyByte(key.a) << 24) | (KeyByte(key.r) << 16) | (KeyByte(key.g) << 8) | KeyByte(key.b);
}

// One row of the road. A byte decodes to k/255 and encodes back to k, and equal floats mean
// equal bytes, so keying and the missing alpha are all there is to do.
void ConvertArgbRow(const std::uint32_t* in, std::uint32_t* out, UINT count, UINT fillAlpha) {
  for (UINT x = 0; x < count; ++x) out[x] = in[x] | fillAlpha;
}

void ConvertKeyedArgbRow(const std::uint32_t* in, std::uint32_t* out, UINT count, UINT fillAlpha,
                         UINT key) {
  for (UINT x = 0; x < count; ++x) {
    const std::uint32_t p = in[x] | fillAlpha;
    out[x] = p == key ? 0u : p;
  }
}

}  // namespace

RowTransfer::RowTransfer(Blitter& blitter)
    : dest(blitter.Dest()),
      source(blitter.Source()),
      packed(TakesPackedPath(blitter.Dest(), blitter.Source())) {
  if (!packed) return;
  fillAlpha = source.Format() == D3DFMT_X8R8G8B8 ? 0xFF000000u : 0u;
  keyed = source.ColorKey() != 0;
  if (keyed) keyPixel = PackKey(source.KeyColor()) | fillAlpha;
}

bool RowTransfer::TakesPackedPath(RowConverter& dest, RowConverter& source) {
  const auto address = [](const RowConverter& c) {
    return reinterpret_cast<std::uintptr_t>(c.Pixels()) | c.RowPitch() | c.SlicePitch();
  };
  if (((address(dest) | address(source)) & 3) != 0) return false;
  const bool argbSource = source.Format() == D3DFMT_A8R8G8B8 || source.Format() == D3DFMT_X8R8G8B8;
  return argbSource && dest.Format() == D3DFMT_A8R8G8B8 && !source.Srgb() && !dest.Srgb() &&
         !dest.Dithers() && !dest.Diffuses() && dest.ConversionFrom() == NumericClass::None;
}

bool RowTransfer::Prepare() {
  const UINT widest = std::max(source.Width(), dest.Width());
  if (!packed && !pixels.AllocateZeroed(widest)) return false;
  return zeroes.AllocateZeroed(dest.Width());
}

void RowTransfer::TransferPacked(UINT row, UINT slice) {
  const UINT count = std::min(source.Width(), dest.Width());
  const auto* in = reinterpret_cast<const std::uint32_t*>(
      source.Pixels() + static_cast<std::size_t>(row) * source.RowPitch() +
      static_cast<std::size_t>(slice) * source.SlicePitch());
  auto* out = reinterpret_cast<std::uint32_t*>(dest.Pixels() +
                                               static_cast<std::size_t>(row) * dest.RowPitch() +
                                               static_cast<std::size_t>(slice) * dest.SlicePitch());
  if (keyed) {
    ConvertKeyedArgbRow(in, out, count, fillAlpha, keyPixel);
  } else {
    ConvertArgbRow(in, out, count, fillAlpha);
  }
  if (count < dest.Width()) {
    std::memset(out + count, 0, static_cast<std::size_t>(dest.Width() - count) * 4);
  }
}

void RowTransfer::Transfer(UINT row, UINT slice) {
  if (packed) {
    TransferPacked(row, slice);
    return;
  }
  source.DecodeRow(row, slice, pixels.Data());
  dest.EncodeRow(row, slice, pixels.Data());
}

void RowTransfer::Clear(UINT row, UINT slice) { dest.EncodeRow(row, slice, zeroes.Data()); }
