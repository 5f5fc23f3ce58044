// The block-compressed formats. Rows are decoded and encoded through a strip of the box's
// blocks, 4 pixel rows high: a strip is decoded once for the rows read from it, and encoded
// once all of the box's rows in it have been written (or at Flush). A strip that the box
// does not cover entirely is first decoded, so the pixels outside the box keep their values.
#include <algorithm>
#include <cstring>

#include "toolkit/surface/converter_families.h"
#include "toolkit/surface/dxt_block.h"

namespace {

enum class DxtKind { Dxt1, Dxt2, Dxt3, Dxt4, Dxt5 };

constexpr UINT noStrip = 0xFFFFFFFFu;

bool Premultiplied(DxtKind kind) { return kind == DxtKind::Dxt2 || kind == DxtKind::Dxt4; }

void DecodeBlock(DxtKind kind, const BYTE* block, FloatPixel* pixels) {
  switch (kind) {
    case DxtKind::Dxt1:
      DecodeColourBlock(block, ColourBlockMode::Dxt1, pixels);
      return;
    case DxtKind::Dxt2:
    case DxtKind::Dxt3:
      DecodeColourBlock(block + 8, ColourBlockMode::FourColours, pixels);
      DecodeExplicitAlpha(block, pixels);
      break;
    case DxtKind::Dxt4:
    case DxtKind::Dxt5:
      DecodeColourBlock(block + 8, ColourBlockMode::FourColours, pixels);
      DecodeInterpolatedAlpha(block, pixels);
      break;
  }
  if (!Premultiplied(kind)) return;
  for (int i = 0; i < 16; ++i) {
    FloatPixel& p = pixels[i];
    if (!(p.a > 0.0f)) continue;
    const float inverse = 1.0f / p.a;
    p.r = std::min(p.r * inverse, 1.0f);
    p.g = std::min(p.g * inverse, 1.0f);
    p.b = std::min(p.b * inverse, 1.0f);
  }
}

void EncodeBlock(DxtKind kind, const FloatPixel* pixels, BYTE* block) {
  FloatPixel premultiplied[16];
  if (Premultiplied(kind)) {
    for (int i = 0; i < 16; ++i) {
      const FloatPixel& p = pixels[i];
      premultiplied[i] = {p.r * p.a, p.g * p.a, p.b * p.a, p.a};
    }
    pixels = premultiplied;
  }
  switch (kind) {
    case DxtKind::Dxt1:
      EncodeColourBlock(pixels, ColourBlockMode::Dxt1, block);
      break;
    case DxtKind::Dxt2:
    case DxtKind::Dxt3:
      EncodeExplicitAlpha(pixels, block);
      EncodeColourBlock(pixels, ColourBlockMode::FourColours, block + 8);
      break;
    case DxtKind::Dxt4:
    case DxtKind::Dxt5:
      EncodeInterpolatedAlpha(pixels, block);
      EncodeColourBlock(pixels, ColourBlockMode::FourColours, block + 8);
      break;
  }
}

class DxtConverter final : public RowConverter {
 public:
  DxtConverter(const PixelRegion& region, DxtKind blockKind)
      : RowConverter(region, 0),
        kind(blockKind),
        blockBytes(blockKind == DxtKind::Dxt1 ? 8 : 16),
        box(region.box),
        surfaceRight(region.fullBox.right),
        surfaceBottom(region.fullBox.bottom),
        firstBlockColumn(region.box.left / 4),
        blockColumns((region.box.right + 3) / 4 - region.box.left / 4) {}

  ~DxtConverter() override = default;

  void Flush() override {
    if (encodeRow != noStrip) EncodeStrip();
    encodeRow = noStrip;
  }

  void Restart() override {
    RowConverter::Restart();
    encodeRow = noStrip;
    lastStartedRow = noStrip;
    decodeRow = noStrip;
  }

 protected:
  HRESULT Initialise() override {
    const HRESULT hr = RowConverter::Initialise();
    if (FAILED(hr)) return hr;
    const std::size_t size = static_cast<std::size_t>(blockColumns) * 16;
    if (!decodeStrip.Allocate(size == 0 ? 1 : size)) return E_OUTOFMEMORY;
    if (!encodeStrip.Allocate(size == 0 ? 1 : size)) return E_OUTOFMEMORY;
    return S_OK;
  }

  void DecodePixels(UINT row, UINT slice, FloatPixel* out) override {
    const UINT y = box.top + row, z = box.front + slice;
    if (decodeRow != y / 4 || decodeSlice != z) {
      ReadStrip(y / 4, z, decodeStrip);
      decodeRow = y / 4;
      decodeSlice = z;
    }
    std::memcpy(out, StripPixel(decodeStrip, y % 4, box.left), Width() * sizeof(FloatPixel));
  }

  void EncodePixels(UINT row, UINT slice, const FloatPixel* in) override {
    const UINT y = box.top + row, z = box.front + slice;
    if (encodeRow != y / 4 || encodeSlice != z) StartStrip(y / 4, z);
    std::memcpy(StripPixel(encodeStrip, y % 4, box.left), in, Width() * sizeof(FloatPixel));
    if (++rowsWritten == RowsOfBoxIn(encodeRow)) Flush();
  }

  void QuantiseKey(FloatPixel& key) override {
    FloatPixel block[16];
    std::fill(block, block + 16, key);
    BYTE bytes[16];
    {
      TruncatingRounding truncating;
      EncodeBlock(kind, block, bytes);
    }
    DecodeBlock(kind, bytes, block);
    key = block[0];
  }

 private:
  BYTE* BlockAddress(UINT blockRow, UINT slice, UINT blockColumn) const {
    return Pixels() + static_cast<std::size_t>(blockRow) * RowPitch() +
           static_cast<std::size_t>(slice) * SlicePitch() +
           static_cast<std::size_t>(blockColumn) * blockBytes;
  }

  FloatPixel* StripPixel(FloatRow& strip, UINT rowInStrip, UINT x) const {
    const UINT stripWidth = blockColumns * 4;
    return strip.Data() + rowInStrip * stripWidth + (x - firstBlockColumn * 4);
  }

  UINT RowsOfBoxIn(UINT blockRow) const {
    const UINT first = std::max(box.top, blockRow * 4);
    const UINT end = std::min(box.bottom, blockRow * 4 + 4);
    return end - first;
  }

  void ReadStrip(UINT blockRow, UINT slice, FloatRow& strip) const {
    FloatPixel block[16];
    for (UINT c = 0; c < blockColumns; ++c) {
      DecodeBlock(kind, BlockAddress(blockRow, slice, firstBlockColumn + c), block);
      for (UINT r = 0; r < 4; ++r) {
        std::memcpy(StripPixel(strip, r, (firstBlockColumn + c) * 4), block + 4 * r,
                    4 * sizeof(FloatPixel));
      }
    }
  }

  // Whether the box covers every pixel of the strip that lies on the surface.
  bool CoversStrip(UINT blockRow) const {
    const UINT stripRight = std::min((firstBlockColumn + blockColumns) * 4, surfaceRight);
    const UINT stripBottom = std::min(blockRow * 4 + 4, surfaceBottom);
    return box.left == firstBlockColumn * 4 && box.right >= stripRight && box.top <= blockRow * 4 &&
           box.bottom >= stripBottom;
  }

  // Whether the strip comes before the last one started: rows written out of order (the
  // triangle filter completes a wrapped first row last) return to a strip already stored.
  bool Revisits(UINT blockRow, UINT slice) const {
    if (lastStartedRow == noStrip) return false;
    return slice < lastStartedSlice || (slice == lastStartedSlice && blockRow <= lastStartedRow);
  }

  void StartStrip(UINT blockRow, UINT slice) {
    Flush();
    if (!CoversStrip(blockRow) || Revisits(blockRow, slice)) {
      ReadStrip(blockRow, slice, encodeStrip);
    }
    encodeRow = lastStartedRow = blockRow;
    encodeSlice = lastStartedSlice = slice;
    rowsWritten = 0;
    // The decode strip may show this block row's old contents.
    if (decodeRow == blockRow && decodeSlice == slice) decodeRow = noStrip;
  }

  void EncodeStrip() {
    FloatPixel block[16];
    const UINT top = encodeRow * 4;
    for (UINT c = 0; c < blockColumns; ++c) {
      const UINT left = (firstBlockColumn + c) * 4;
      for (UINT r = 0; r < 4; ++r) {
        // Pixels beyond the surface repeat its edge, so they do not pull the end points.
        const UINT y = std::min(top + r, std::max(surfaceBottom, top + 1) - 1) - top;
        for (UINT i = 0; i < 4; ++i) {
          const UINT x = std::min(left + i, std::max(surfaceRight, left + 1) - 1);
          block[4 * r + i] = *StripPixel(encodeStrip, y, x);
        }
      }
      EncodeBlock(kind, block, BlockAddress(encodeRow, encodeSlice, firstBlockColumn + c));
    }
  }

  DxtKind kind;
  UINT blockBytes;
  PixelBox box;
  UINT surfaceRight;
  UINT surfaceBottom;
  UINT firstBlockColumn;
  UINT blockColumns;
  FloatRow decodeStrip;
  FloatRow encodeStrip;
  UINT decodeRow = noStrip;
  UINT decodeSlice = 0;
  UINT encodeRow = noStrip;
  UINT encodeSlice = 0;
  UINT rowsWritten = 0;
  UINT lastStartedRow = noStrip;
  UINT lastStartedSlice = 0;
};

}  // namespace

RowConverter* CreateDxtConverter(const PixelRegion& region) {
  DxtKind kind;
  switch (region.format) {
    case D3DFMT_DXT1:
      kind = DxtKind::Dxt1;
      break;
    case D3DFMT_DXT2:
      kind = DxtKind::Dxt2;
      break;
    case D3DFMT_DXT3:
      kind = DxtKind::Dxt3;
      break;
    case D3DFMT_DXT4:
      kind = DxtKind::Dxt4;
      break;
    case D3DFMT_DXT5:
      kind = DxtKind::Dxt5;
      break;
    default:
      return nullptr;
  }
  return new (std::nothrow) DxtConverter(region, kind);
}
