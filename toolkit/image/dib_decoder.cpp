// Decoder of device-independent bitmaps: a bare DIB (as a bitmap resource holds it) and the
// part of a BMP file after its file header.
//
// Top-down files of 8 bits or more whose pixels are already in a Direct3D format are
// borrowed from the block; everything else (bottom-up rows, 1- and 4-bit indices, RLE, mask
// sets without a Direct3D format) is copied into an owned block in top-down order.

#include <cstdint>
#include <cstring>
#include <iterator>

#include "toolkit/image/decoded_image.h"
#include "toolkit/image/decoder_support.h"
#include "toolkit/image/dib_layout.h"
#include "toolkit/image/dib_rle.h"

namespace {

constexpr DWORD coreHeaderBytes = 12;
constexpr DWORD infoHeaderBytes = 40;
constexpr DWORD BI_RGB = 0;
constexpr DWORD BI_RLE8 = 1;
constexpr DWORD BI_RLE4 = 2;
constexpr DWORD BI_BITFIELDS = 3;

struct DibHeader {
  DWORD headerSize = 0;
  bool core = false;
  UINT width = 0;
  UINT height = 0;
  bool topDown = false;
  WORD planes = 0;
  WORD bitCount = 0;
  DWORD compression = BI_RGB;
  DWORD colorsUsed = 0;
  // Red, green, blue, alpha; bit-field files only.
  DWORD masks[4] = {};
  // A BITMAPINFOHEADER of bit fields keeps red, green and blue after itself, before the
  // colour table; longer headers hold them.
  bool masksAfterHeader = false;
};

bool ReadCoreHeader(const BYTE* bytes, DibHeader& header) {
  header.core = true;
  header.width = ReadLe16(bytes + 4);
  header.height = ReadLe16(bytes + 6);
  header.planes = ReadLe16(bytes + 8);
  header.bitCount = ReadLe16(bytes + 10);
  return header.width != 0 && header.height != 0;
}

bool ReadInfoHeader(const BYTE* bytes, UINT size, DibHeader& header) {
  auto width = static_cast<std::int32_t>(ReadLe32(bytes + 4));
  auto height = static_cast<std::int64_t>(static_cast<std::int32_t>(ReadLe32(bytes + 8)));
  if (width <= 0 || height == 0) return false;
  // A negative height counts top-down rows; -2^31 would count more rows than any positive
  // height gives.
  if (height == INT32_MIN) return false;
  header.width = static_cast<UINT>(width);
  header.topDown = height < 0;
  header.height = static_cast<UINT>(height < 0 ? -height : height);
  header.planes = ReadLe16(bytes + 12);
  header.bitCount = ReadLe16(bytes + 14);
  header.compression = ReadLe32(bytes + 16);
  header.colorsUsed = ReadLe32(bytes + 32);
  if (header.compression != BI_BITFIELDS) return true;
  if (header.headerSize == infoHeaderBytes) {
    if (!FitsInBlock(size, infoHeaderBytes, 12)) return false;
    header.masksAfterHeader = true;
  } else if (header.headerSize < 52) {
    return true;
  }
  for (int i = 0; i < 3; ++i) header.masks[i] = ReadLe32(bytes + 40 + 4 * i);
  if (header.headerSize >= 56) header.masks[3] = ReadLe32(bytes + 52);
  return true;
}

bool ReadDibHeader(const BYTE* bytes, UINT size, DibHeader& header) {
  if (size <= 3) return false;
  header.headerSize = ReadLe32(bytes);
  if (header.headerSize > size) return false;
  if (header.headerSize == coreHeaderBytes) return ReadCoreHeader(bytes, header);
  if (header.headerSize < infoHeaderBytes) return false;
  return ReadInfoHeader(bytes, size, header);
}

// Bit-field mask sets that are a Direct3D format as they stand.
struct MaskFormat {
  WORD bitCount;
  DWORD red, green, blue, alpha;
  D3DFORMAT format;
};

constexpr MaskFormat maskFormats[] = {
    {16, 0xE0, 0x1C, 0x3, 0xFF00, D3DFMT_A8R3G3B2},
    {16, 0xF00, 0xF0, 0xF, 0xF000, D3DFMT_A4R4G4B4},
    {16, 0xF00, 0xF0, 0xF, 0, D3DFMT_X4R4G4B4},
    {16, 0xF800, 0x7E0, 0x1F, 0, D3DFMT_R5G6B5},
    {16, 0x7C00, 0x3E0, 0x1F, 0, D3DFMT_X1R5G5B5},
    {16, 0x7C00, 0x3E0, 0x1F, 0x8000, D3DFMT_A1R5G5B5},
    {16, 0xFF, 0xFF, 0xFF, 0xFF00, D3DFMT_A8L8},
    {16, 0xFFFF, 0xFFFF, 0xFFFF, 0, D3DFMT_L16},
    {24, 0xFF0000, 0xFF00, 0xFF, 0, D3DFMT_R8G8B8},
    {32, 0xFFFF, 0xFFFF0000, 0, 0, D3DFMT_G16R16},
    {32, 0xFF0000, 0xFF00, 0xFF, 0, D3DFMT_X8R8G8B8},
    {32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000, D3DFMT_A8R8G8B8},
    {32, 0xFF000000, 0xFF0000, 0xFF00, 0, D3DFMT_X8R8G8B8},  // read one byte further on
    {32, 0xFF, 0xFF00, 0xFF0000, 0xFF000000, D3DFMT_A8B8G8R8},
    {32, 0xFF, 0xFF00, 0xFF0000, 0, D3DFMT_X8B8G8R8},
    {32, 0x3FF00000, 0xFFC00, 0x3FF, 0xC0000000, D3DFMT_A2R10G10B10},
    {32, 0x3FF, 0xFFC00, 0x3FF00000, 0xC0000000, D3DFMT_A2B10G10R10},
};

// How the pixels of the file become the decoded pixels.
enum class PixelPath {
  Direct,         // rows as they stand (indices of 8 bits, or a Direct3D format)
  ShiftedByOne,   // 32-bit R, G, B in the top three bytes: read from one byte further on
  SpreadIndices,  // 1- or 4-bit indices, one byte each
  Rle,
  FloatMasks,     // any other mask set, to four floats
};

struct DibLayout {
  D3DFORMAT format = D3DFMT_UNKNOWN;
  PixelPath path = PixelPath::Direct;
  UINT colorCount = 0;
  UINT entryBytes = 4;
  UINT tableOffset = 0;
  UINT pixelOffset = 0;
  std::uint64_t fileStride = 0;    // bytes from one row of the file to the next
  std::uint64_t fileRowBytes = 0;  // bytes of pixels in one row of the file
  std::uint64_t rowPitch = 0;
};

D3DFORMAT FormatByBitCount(WORD bitCount) {
  switch (bitCount) {
    case 1:
    case 4:
    case 8: return D3DFMT_P8;
    case 16: return D3DFMT_X1R5G5B5;
    case 24: return D3DFMT_R8G8B8;
    case 32: return D3DFMT_X8R8G8B8;
    default: return D3DFMT_UNKNOWN;
  }
}

bool ChooseBitFieldFormat(const DibHeader& header, DibLayout& layout) {
  if (header.headerSize < 52 && !header.masksAfterHeader) return false;
  if (header.bitCount != 16 && header.bitCount != 24 && header.bitCount != 32) return false;
  for (const MaskFormat& known : maskFormats) {
    if (known.bitCount != header.bitCount || known.red != header.masks[0] ||
        known.green != header.masks[1] || known.blue != header.masks[2] ||
        known.alpha != header.masks[3]) {
      continue;
    }
    layout.format = known.format;
    layout.path = known.red == 0xFF000000 ? PixelPath::ShiftedByOne : PixelPath::Direct;
    return true;
  }
  layout.format = D3DFMT_A32B32G32R32F;
  layout.path = PixelPath::FloatMasks;
  return true;
}

bool ChooseFormat(const DibHeader& header, DibLayout& layout) {
  switch (header.compression) {
    case BI_RGB: layout.format = FormatByBitCount(header.bitCount); break;
    // The run codes only make sense for their own index size.
    case BI_RLE8:
      if (header.bitCount != 8) return false;
      layout.format = D3DFMT_P8;
      layout.path = PixelPath::Rle;
      return true;
    case BI_RLE4:
      if (header.bitCount != 4) return false;
      layout.format = D3DFMT_P8;
      layout.path = PixelPath::Rle;
      return true;
    case BI_BITFIELDS: return ChooseBitFieldFormat(header, layout);
    default: return false;
  }
  if (layout.format == D3DFMT_UNKNOWN) return false;
  if (header.bitCount < 8) layout.path = PixelPath::SpreadIndices;
  return true;
}

bool PlaceTableAndPixels(const DibHeader& header, UINT size, UINT declaredPixelOffset,
                         DibLayout& layout) {
  std::uint64_t colorCount = header.colorsUsed;
  if (colorCount == 0 && header.bitCount <= 8) colorCount = 1u << header.bitCount;
  layout.entryBytes = header.core ? 3 : 4;
  layout.tableOffset = header.headerSize + (header.masksAfterHeader ? 12 : 0);
  std::uint64_t tableBytes = colorCount * layout.entryBytes;
  if (!FitsInBlock(size, layout.tableOffset, tableBytes)) return false;
  layout.colorCount = static_cast<UINT>(colorCount);
  layout.pixelOffset = layout.tableOffset + static_cast<UINT>(tableBytes);
  if (declaredPixelOffset >= layout.pixelOffset && declaredPixelOffset < size) {
    layout.pixelOffset = declaredPixelOffset;
  }
  return true;
}

bool MeasureRows(const DibHeader& header, DibLayout& layout) {
  std::uint64_t bits = static_cast<std::uint64_t>(header.width) * header.bitCount;
  layout.fileRowBytes = (bits + 7) / 8;
  layout.fileStride = (bits + 31) / 32 * 4;
  std::uint64_t rowBytes = layout.fileRowBytes;
  if (layout.format == D3DFMT_P8) rowBytes = header.width;
  if (layout.path == PixelPath::FloatMasks) rowBytes = 16ull * header.width;
  layout.rowPitch = (rowBytes + 3) / 4 * 4;
  return layout.rowPitch <= UINT32_MAX;
}

bool HoldsAllRows(const DibHeader& header, const DibLayout& layout, UINT size, UINT extra) {
  std::uint64_t bytes = layout.fileStride * (header.height - 1) + layout.fileRowBytes + extra;
  return FitsInBlock(size, layout.pixelOffset, bytes);
}

// 32-bit files without masks use the top byte as alpha as soon as any pixel sets it.
bool AnyTopByteSet(const DibHeader& header, const DibLayout& layout, const BYTE* bytes) {
  for (UINT y = 0; y < header.height; ++y) {
    const BYTE* row = bytes + layout.pixelOffset + layout.fileStride * y;
    for (UINT x = 0; x < header.width; ++x) {
      if (row[4 * x + 3] != 0) return true;
    }
  }
  return false;
}

void FillPalette(const DibLayout& layout, const BYTE* bytes, PALETTEENTRY* palette) {
  UINT entries = layout.colorCount < 256 ? layout.colorCount : 256;
  const BYTE* table = bytes + layout.tableOffset;
  for (UINT i = 0; i < entries; ++i) {
    const BYTE* entry = table + i * layout.entryBytes;
    palette[i] = PALETTEENTRY{entry[2], entry[1], entry[0], 255};
  }
}

// Bit position and largest value of one mask; a zero mask reads 1.0.
struct MaskChannel {
  DWORD mask;
  int shift;
  float largest;
};

MaskChannel MakeMaskChannel(DWORD mask) {
  MaskChannel channel{mask, 0, 1.0f};
  if (mask == 0) return channel;
  while (((mask >> channel.shift) & 1) == 0) ++channel.shift;
  channel.largest = static_cast<float>(mask >> channel.shift);
  return channel;
}

float ReadMaskChannel(const MaskChannel& channel, DWORD pixel) {
  if (channel.mask == 0) return 1.0f;
  return static_cast<float>((pixel & channel.mask) >> channel.shift) / channel.largest;
}

DWORD ReadPackedPixel(const BYTE* at, WORD bitCount) {
  if (bitCount == 16) return ReadLe16(at);
  if (bitCount == 24) return static_cast<DWORD>(at[0] | (at[1] << 8) | (at[2] << 16));
  return ReadLe32(at);
}

void ConvertMaskRow(const DibHeader& header, const BYTE* in, BYTE* out) {
  const MaskChannel channels[4] = {MakeMaskChannel(header.masks[0]),
                                   MakeMaskChannel(header.masks[1]),
                                   MakeMaskChannel(header.masks[2]),
                                   MakeMaskChannel(header.masks[3])};
  UINT pixelBytes = header.bitCount / 8u;
  for (UINT x = 0; x < header.width; ++x) {
    DWORD pixel = ReadPackedPixel(in + x * pixelBytes, header.bitCount);
    StoreFloatPixel(out + 16 * x, ReadMaskChannel(channels[0], pixel),
                    ReadMaskChannel(channels[1], pixel), ReadMaskChannel(channels[2], pixel),
                    ReadMaskChannel(channels[3], pixel));
  }
}

void SpreadIndexRow(const DibHeader& header, const BYTE* in, BYTE* out) {
  UINT perByte = 8u / header.bitCount;
  BYTE mask = static_cast<BYTE>((1u << header.bitCount) - 1);
  for (UINT x = 0; x < header.width; ++x) {
    UINT shift = 8 - header.bitCount * (x % perByte + 1);
    out[x] = static_cast<BYTE>((in[x / perByte] >> shift) & mask);
  }
}

void ShiftRowByOne(const DibHeader& header, const BYTE* in, BYTE* out) {
  for (UINT x = 0; x < header.width; ++x) {
    out[4 * x] = in[4 * x + 1];
    out[4 * x + 1] = in[4 * x + 2];
    out[4 * x + 2] = in[4 * x + 3];
  }
}

void CopyRow(const DibHeader& header, const DibLayout& layout, const BYTE* in, BYTE* out) {
  switch (layout.path) {
    case PixelPath::SpreadIndices: SpreadIndexRow(header, in, out); break;
    case PixelPath::ShiftedByOne: ShiftRowByOne(header, in, out); break;
    case PixelPath::FloatMasks: ConvertMaskRow(header, in, out); break;
    default: std::memcpy(out, in, static_cast<std::size_t>(layout.fileRowBytes)); break;
  }
}

bool CanBorrow(const DibHeader& header, const DibLayout& layout, UINT size) {
  if (!header.topDown || header.bitCount < 8) return false;
  if (layout.path == PixelPath::Direct) return true;
  // The last pixel's unused low byte lies one byte past the rows.
  return layout.path == PixelPath::ShiftedByOne && HoldsAllRows(header, layout, size, 1);
}

HRESULT LoadPixels(DecodedImage& image, const DibHeader& header, const DibLayout& layout,
                   const BYTE* bytes, UINT size) {
  if (CanBorrow(header, layout, size)) {
    UINT shift = layout.path == PixelPath::ShiftedByOne ? 1 : 0;
    image.pixels = const_cast<BYTE*>(bytes + layout.pixelOffset + shift);
    image.ownsPixels = FALSE;
    return S_OK;
  }
  HRESULT result = AllocateOwnedPixels(image, image.rowPitch, header.height);
  if (FAILED(result)) return result;
  if (layout.path == PixelPath::Rle) {
    RleTarget target{image.pixels, image.rowPitch, header.width, header.height, header.topDown};
    return ExpandBitmapRle(bytes + layout.pixelOffset, size - layout.pixelOffset,
                           header.bitCount == 4, target);
  }
  for (UINT y = 0; y < header.height; ++y) {
    UINT fileRow = header.topDown ? y : header.height - 1 - y;
    const BYTE* in = bytes + layout.pixelOffset + layout.fileStride * fileRow;
    CopyRow(header, layout, in, image.pixels + static_cast<std::size_t>(image.rowPitch) * y);
  }
  return S_OK;
}

}  // namespace

HRESULT DecodeDeviceIndependentBitmap(DecodedImage& image, const BYTE* bytes, UINT size,
                                      UINT pixelOffset) {
  DibHeader header;
  if (!ReadDibHeader(bytes, size, header)) return E_FAIL;
  if (header.planes != 1) return E_FAIL;
  DibLayout layout;
  if (!ChooseFormat(header, layout)) return E_FAIL;
  if (!PlaceTableAndPixels(header, size, pixelOffset, layout)) return E_FAIL;
  if (!MeasureRows(header, layout)) return E_FAIL;
  if (layout.path != PixelPath::Rle && !HoldsAllRows(header, layout, size, 0)) return E_FAIL;

  D3DFORMAT format = layout.format;
  if (header.compression == BI_RGB && header.bitCount == 32 &&
      AnyTopByteSet(header, layout, bytes)) {
    format = D3DFMT_A8R8G8B8;
  }
  SetFlatSize(image, format, header.width, header.height, static_cast<UINT>(layout.rowPitch));
  if (!image.loadPixels) return S_OK;

  if (format == D3DFMT_P8) {
    HRESULT result = AllocateOwnedPalette(image);
    if (FAILED(result)) return result;
    FillPalette(layout, bytes, image.palette);
  }
  return LoadPixels(image, header, layout, bytes, size);
}

HRESULT DecodedImage::DecodeDib(const BYTE* bytes, UINT size) {
  return DecodeDeviceIndependentBitmap(*this, bytes, size, 0);
}
