#include "toolkit/surface/row_converter.h"

#include <cfenv>
#include <cstring>

#include "toolkit/common/allocation.h"
#include "toolkit/surface/numeric_conversion.h"

void* RowConverter::operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return AllocateBytes(size);
}
void RowConverter::operator delete(void* block) noexcept { FreeBytes(block); }
void RowConverter::operator delete(void* block, const std::nothrow_t&) noexcept {
  FreeBytes(block);
}

namespace {

// Whether the gamma flag applies to a converter of this format at all: the signed formats
// ignore it, except D3DFMT_L6V5U5 whose luminance lives in alpha.
bool HonoursSrgb(D3DFORMAT format, NumericClass numericClass) {
  if (numericClass == NumericClass::SnormAll) return false;
  if (numericClass == NumericClass::SnormRGB) return format == D3DFMT_L6V5U5;
  return true;
}

FloatPixel KeyAsFloats(D3DCOLOR key) {
  constexpr float scale = 1.0f / 255.0f;
  return {static_cast<float>((key >> 16) & 0xFF) * scale,
          static_cast<float>((key >> 8) & 0xFF) * scale, static_cast<float>(key & 0xFF) * scale,
          static_cast<float>(key >> 24) * scale};
}

}  // namespace

RowConverter::RowConverter(const PixelRegion& region, UINT pixelBytes)
    : format(region.format),
      numericClass(NumericClassOf(region.format)),
      bytesPerPixel(pixelBytes),
      pixels(static_cast<BYTE*>(region.pixels)),
      rowPitch(region.rowPitch),
      slicePitch(region.slicePitch),
      width(region.box.Width()),
      height(region.box.Height()),
      depth(region.box.Depth()),
      srgb(region.srgb && HonoursSrgb(region.format, NumericClassOf(region.format))),
      colorKey(region.colorKey),
      palettised(region.format == D3DFMT_P8 || region.format == D3DFMT_A8P8),
      sourcePalette(region.palette),
      thresholds(region.dither ? &orderedDitherThresholds : &roundingThresholds),
      wantsDiffusion(region.diffusion != FALSE) {
  if (bytesPerPixel != 0) {
    pixels += static_cast<std::size_t>(region.box.left) * bytesPerPixel +
              static_cast<std::size_t>(region.box.top) * rowPitch +
              static_cast<std::size_t>(region.box.front) * slicePitch;
  }
  if (colorKey != 0) keyColor = KeyAsFloats(colorKey);
}

HRESULT RowConverter::Initialise() {
  if (wantsDiffusion) {
    if (!errorRow.AllocateZeroed(static_cast<std::size_t>(width) + 2)) return E_OUTOFMEMORY;
  }
  if (wantsDiffusion || srgb) {
    if (FAILED(EnsureScratchRow())) return E_OUTOFMEMORY;
  }
  if (palettised) return BuildFloatPalette(sourcePalette);
  return S_OK;
}

HRESULT RowConverter::BuildFloatPalette(const PALETTEENTRY* palette) {
  if (!floatPalette.Allocate(256)) return E_OUTOFMEMORY;
  constexpr float scale = 1.0f / 255.0f;
  for (UINT i = 0; i < 256; ++i) {
    if (palette == nullptr) {
      floatPalette[i] = {1.0f, 1.0f, 1.0f, 1.0f};
      continue;
    }
    const PALETTEENTRY& e = palette[i];
    floatPalette[i] = {e.peRed * scale, e.peGreen * scale, e.peBlue * scale, e.peFlags * scale};
  }
  return S_OK;
}

HRESULT RowConverter::EnsureScratchRow() {
  if (!scratchRow.Empty()) return S_OK;
  // At least one entry, so that an empty box still has a row to point at.
  return scratchRow.Allocate(width == 0 ? 1 : width) ? S_OK : E_OUTOFMEMORY;
}

HRESULT RowConverter::SetConversionFrom(NumericClass source) {
  conversionFrom = source;
  return EnsureScratchRow();
}

void RowConverter::Restart() { errorRow.Clear(); }

GammaChannels RowConverter::GammaTarget() const {
  if (numericClass == NumericClass::SnormRGB || numericClass == NumericClass::SnormAll) {
    return GammaChannels::Alpha;
  }
  return GammaChannels::Colour;
}

void RowConverter::ApplyColorKey(FloatPixel* out) const {
  const FloatPixel key = keyColor;
  for (UINT i = 0; i < width; ++i) {
    const FloatPixel p = out[i];
    const bool keyed = p.r == key.r && p.g == key.g && p.b == key.b && p.a == key.a;
    out[i] = keyed ? FloatPixel{0.0f, 0.0f, 0.0f, 0.0f} : p;
  }
}

void RowConverter::DecodeRow(UINT row, UINT slice, FloatPixel* out) {
  DecodePixels(row, slice, out);
  if (colorKey != 0) ApplyColorKey(out);
  if (srgb) ExpandGammaRow(out, width, GammaTarget(), Curve());
}

void RowConverter::PrepareThresholds(UINT row, UINT slice) {
  leftToRight = (row & 1) == 0;
  walkThresholds = (*thresholds)[row & 3] + (slice & 3);
  // Position x is walking index x on even rows and Width() - 1 - x on odd rows.
  for (UINT p = 0; p < 4; ++p) {
    const UINT walkIndex = leftToRight ? p : (width - 1 - p);
    thresholdPattern[p] = walkThresholds[walkIndex & 3];
  }
}

void RowConverter::EncodeRow(UINT row, UINT slice, const FloatPixel* in) {
  const FloatPixel* source = in;
  FloatPixel* scratch = scratchRow.Data();
  if (conversionFrom != NumericClass::None) {
    ConvertNumericClass(source, scratch, width, numericClass, conversionFrom);
    source = scratch;
  }
  if (srgb) {
    CompressGammaRow(source, scratch, width, GammaTarget(), Curve());
    source = scratch;
  }
  if (!errorRow.Empty()) {
    if (source != scratch) std::memcpy(scratch, source, width * sizeof(FloatPixel));
    for (UINT i = 0; i < width; ++i) {
      const FloatPixel& e = errorRow[i + 1];
      scratch[i] = {scratch[i].r + e.r, scratch[i].g + e.g, scratch[i].b + e.b,
                    scratch[i].a + e.a};
    }
    errorRow.Clear();
    source = scratch;
  }
  PrepareThresholds(row, slice);
  TruncatingRounding truncating;
  EncodePixels(row, slice, source);
}

void RowConverter::QuantiseKey(FloatPixel& key) {
  alignas(16) BYTE buffer[16] = {};
  BYTE* const savedPixels = pixels;
  const UINT savedWidth = width, savedHeight = height, savedDepth = depth;
  const UINT savedRowPitch = rowPitch, savedSlicePitch = slicePitch;
  pixels = buffer;
  width = height = depth = 1;
  rowPitch = slicePitch = sizeof(buffer);

  {
    TruncatingRounding truncating;
    EncodePixels(0, 0, &key);
  }
  DecodePixels(0, 0, &key);

  pixels = savedPixels;
  width = savedWidth;
  height = savedHeight;
  depth = savedDepth;
  rowPitch = savedRowPitch;
  slicePitch = savedSlicePitch;
}

void RowConverter::PrepareColorKey() {
  if (colorKey == 0) return;
  // Plain rounding, no diffusion, no key and no gamma while the key pixel is made: the key is
  // compared with pixels before their gamma is expanded.
  const ThresholdTable* savedThresholds = thresholds;
  FloatRow savedErrorRow = std::move(errorRow);
  const D3DCOLOR savedKey = colorKey;
  thresholds = &roundingThresholds;
  colorKey = 0;

  FloatPixel key = keyColor;
  if (numericClass == NumericClass::SnormRGB || numericClass == NumericClass::SnormAll) {
    ConvertNumericClass(&key, &key, 1, numericClass, NumericClass::Unorm);
  }
  const UINT savedWidth = width;
  width = 1;
  PrepareThresholds(0, 0);
  width = savedWidth;
  QuantiseKey(key);
  keyColor = key;

  thresholds = savedThresholds;
  errorRow = std::move(savedErrorRow);
  colorKey = savedKey;
}

TruncatingRounding::TruncatingRounding() : saved(std::fegetround()) {
  std::fesetround(FE_TOWARDZERO);
}

TruncatingRounding::~TruncatingRounding() { std::fesetround(saved); }
