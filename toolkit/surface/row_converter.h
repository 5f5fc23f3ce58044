// RowConverter: reads rows of a pixel region into FloatPixel rows and writes them back.
//
// Every copy and resampling in the surface loader puts one converter on each side: the
// source's decodes, the destination's encodes. Decoding turns each pixel into floats, makes
// pixels equal to the colour key transparent black and expands the gamma. Encoding converts
// the numeric class, compresses the gamma, adds the diffused error, and quantises with
// rounding or ordered dithering, with the floating-point unit set to truncate.
//
// A converter serves one copy operation and owns its rows. The derived classes, one per
// format, do the per-pixel work of a whole row with no per-pixel choice of format.
#pragma once

#include <memory>
#include <new>

#include "platform/win32/types.h"
#include "toolkit/surface/float_row.h"
#include "toolkit/surface/gamma.h"
#include "toolkit/surface/pixel_format.h"
#include "toolkit/surface/pixel_region.h"
#include "toolkit/surface/threshold_tables.h"

// Sets the floating-point unit to round toward zero for its scope, then restores the caller's
// mode. Encoding runs inside one; decoding must not, so that it yields the same floats
// wherever it is called from.
class TruncatingRounding {
 public:
  TruncatingRounding();
  ~TruncatingRounding();
  TruncatingRounding(const TruncatingRounding&) = delete;
  TruncatingRounding& operator=(const TruncatingRounding&) = delete;

 private:
  int saved;
};

class RowConverter {
 public:
  // Converters live in the toolkit's allocator; a refused allocation gives null.
  static void* operator new(std::size_t size, const std::nothrow_t&) noexcept;
  static void operator delete(void* block) noexcept;
  static void operator delete(void* block, const std::nothrow_t&) noexcept;

  virtual ~RowConverter() = default;
  RowConverter(const RowConverter&) = delete;
  RowConverter& operator=(const RowConverter&) = delete;

  // Writes Width() pixels of row `row` of slice `slice`, counted from the box's corner.
  void DecodeRow(UINT row, UINT slice, FloatPixel* out);
  // Reads Width() pixels and stores them as that row. `in` is left unchanged.
  void EncodeRow(UINT row, UINT slice, const FloatPixel* in);
  // Quantises the colour key to the values a pixel of this format decodes to.
  void PrepareColorKey();
  // Stores what the converter still holds back (the block formats encode whole blocks).
  virtual void Flush() {}
  // Forgets what an abandoned pass left behind (diffused error, blocks held back), before
  // another pass over the same box.
  virtual void Restart();

  // Set up by the Blitter when it pairs two converters.
  // Converts from `source` on encode; needs a scratch row.
  HRESULT SetConversionFrom(NumericClass source);
  HRESULT EnsureScratchRow();
  // Drops the gamma step of this side (a copy that has it on both sides).
  void ClearSrgb() { srgb = false; }
  void SetBothSrgb(bool on) { bothSrgb = on; }

  D3DFORMAT Format() const { return format; }
  NumericClass Class() const { return numericClass; }
  NumericClass ConversionFrom() const { return conversionFrom; }
  bool Srgb() const { return srgb; }
  bool BothSrgb() const { return bothSrgb; }
  bool Dithers() const { return thresholds == &orderedDitherThresholds; }
  bool Diffuses() const { return !errorRow.Empty(); }
  D3DCOLOR ColorKey() const { return colorKey; }
  const FloatPixel& KeyColor() const { return keyColor; }
  bool Palettised() const { return palettised; }
  const FloatPixel* Palette() const { return floatPalette.Data(); }
  // 0 for the block and packed-pair formats.
  UINT BytesPerPixel() const { return bytesPerPixel; }
  // The box's corner; for block and packed-pair formats, the region's pixel (0, 0, 0).
  BYTE* Pixels() const { return pixels; }
  UINT RowPitch() const { return rowPitch; }
  UINT SlicePitch() const { return slicePitch; }
  UINT Width() const { return width; }
  UINT Height() const { return height; }
  UINT Depth() const { return depth; }
  UINT BytesPerRow() const { return width * bytesPerPixel; }

 protected:
  RowConverter(const PixelRegion& region, UINT bytesPerPixel);
  // Allocations that may fail; called once by MakeRowConverter.
  virtual HRESULT Initialise();
  friend std::unique_ptr<RowConverter> MakeRowConverter(const PixelRegion& region);

  // The format's own work: fields to floats, and floats to stored fields.
  virtual void DecodePixels(UINT row, UINT slice, FloatPixel* out) = 0;
  // Quantises with Threshold(x) per pixel position x, or, when ErrorRow() is not null, walks
  // the row in WalkLeftToRight() order diffusing the error (see DiffuseChannel).
  virtual void EncodePixels(UINT row, UINT slice, const FloatPixel* in) = 0;
  // Replaces `key` by what a pixel of that colour decodes to. The default encodes it into
  // a one-pixel buffer (truncating) and decodes it back (not truncating).
  virtual void QuantiseKey(FloatPixel& key);

  BYTE* RowAddress(UINT row, UINT slice) const {
    return pixels + static_cast<std::size_t>(row) * rowPitch +
           static_cast<std::size_t>(slice) * slicePitch;
  }

  // The threshold of the pixel at position x & 3 of the row being encoded.
  const float* ThresholdPattern() const { return thresholdPattern; }
  // The table row for walking index i & 3 of the row being encoded.
  const float* ThresholdsInWalkOrder() const { return walkThresholds; }
  // Width() + 2 entries; pixel x's entry is [x + 1]. Null without diffusion.
  FloatPixel* ErrorRow() { return errorRow.Data(); }
  bool WalkLeftToRight() const { return leftToRight; }
  const FloatPixel* FloatPaletteData() const { return floatPalette.Data(); }

 private:
  HRESULT BuildFloatPalette(const PALETTEENTRY* palette);
  void PrepareThresholds(UINT row, UINT slice);
  void ApplyColorKey(FloatPixel* out) const;
  GammaChannels GammaTarget() const;
  GammaCurve Curve() const { return bothSrgb ? GammaCurve::Square : GammaCurve::Power; }

  D3DFORMAT format;
  NumericClass numericClass;
  UINT bytesPerPixel;
  BYTE* pixels;
  UINT rowPitch;
  UINT slicePitch;
  UINT width;
  UINT height;
  UINT depth;
  bool srgb;
  bool bothSrgb = false;
  D3DCOLOR colorKey;
  FloatPixel keyColor = {};
  bool palettised;
  const PALETTEENTRY* sourcePalette;
  FloatRow floatPalette;
  const ThresholdTable* thresholds;
  bool wantsDiffusion;
  FloatRow errorRow;
  NumericClass conversionFrom = NumericClass::None;
  FloatRow scratchRow;

  // Per encoded row.
  float thresholdPattern[4] = {};
  const float* walkThresholds = nullptr;
  bool leftToRight = true;
};

using RowConverterPtr = std::unique_ptr<RowConverter>;

// The converter for the region's format, or null when the format is not supported or memory
// runs out. Palettised formats get their float palette (white without one); a non-zero colour
// key is quantised.
RowConverterPtr MakeRowConverter(const PixelRegion& region);
