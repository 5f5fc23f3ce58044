// Decoder of TGA pictures: colour-mapped, true-colour and grey (with or without alpha), plain
// or run-length coded, stored in any of the four corner orders.
//
// TGA has no signature, so the header is only judged plausible; the decoder is tried late.
// Uncompressed top-down, left-to-right pictures are borrowed from the block; all others are
// copied into an owned block in top-down, left-to-right order.

#include <cstring>

#include "toolkit/image/decoded_image.h"
#include "toolkit/image/decoder_support.h"

namespace {

constexpr UINT tgaHeaderBytes = 18;
constexpr BYTE runLengthBit = 0x08;
constexpr BYTE topDownBit = 0x20;
constexpr BYTE rightToLeftBit = 0x10;

struct TgaHeader {
  BYTE idLength;
  BYTE colorMapType;
  BYTE imageType;
  WORD mapFirst;
  WORD mapLength;
  BYTE mapEntryBits;
  UINT width;
  UINT height;
  BYTE pixelDepth;
  BYTE descriptor;
};

TgaHeader ReadTgaHeader(const BYTE* bytes) {
  TgaHeader header{};
  header.idLength = bytes[0];
  header.colorMapType = bytes[1];
  header.imageType = bytes[2];
  header.mapFirst = ReadLe16(bytes + 3);
  header.mapLength = ReadLe16(bytes + 5);
  header.mapEntryBits = bytes[7];
  header.width = ReadLe16(bytes + 12);
  header.height = ReadLe16(bytes + 14);
  header.pixelDepth = bytes[16];
  header.descriptor = bytes[17];
  return header;
}

UINT MapEntryBytes(BYTE entryBits) { return (entryBits + 7u) / 8u; }

D3DFORMAT TrueColourFormat(BYTE depth) {
  switch (depth) {
    case 15: return D3DFMT_X1R5G5B5;
    case 16: return D3DFMT_A1R5G5B5;
    case 24: return D3DFMT_R8G8B8;
    case 32: return D3DFMT_A8R8G8B8;
    default: return D3DFMT_UNKNOWN;
  }
}

D3DFORMAT ChooseFormat(const TgaHeader& header) {
  switch (header.imageType & 3) {
    case 1:
      if (header.colorMapType != 1 || header.pixelDepth != 8) return D3DFMT_UNKNOWN;
      return D3DFMT_P8;
    case 2: return TrueColourFormat(header.pixelDepth);
    // Grey with alpha is stored grey first, as D3DFMT_A8L8 holds it.
    case 3:
      if (header.pixelDepth == 8) return D3DFMT_L8;
      return header.pixelDepth == 16 ? D3DFMT_A8L8 : D3DFMT_UNKNOWN;
    default: return D3DFMT_UNKNOWN;
  }
}

bool IsPlausible(const TgaHeader& header) {
  if (header.colorMapType > 1) return false;
  if ((header.imageType & ~0x0B) != 0) return false;
  if (header.width == 0 || header.height == 0) return false;
  if (header.colorMapType == 1) {
    BYTE bits = header.mapEntryBits;
    if (bits != 15 && bits != 16 && bits != 24 && bits != 32) return false;
  }
  return true;
}

// 5 bits to 8, the top bits repeated below.
BYTE Expand5(UINT value) { return static_cast<BYTE>((value << 3) | (value >> 2)); }

PALETTEENTRY ReadMapEntry(const BYTE* entry, BYTE entryBits) {
  if (entryBits == 15 || entryBits == 16) {
    WORD packed = ReadLe16(entry);
    BYTE alpha = (entryBits == 16 && (packed & 0x8000) != 0) ? 255 : 0;
    return PALETTEENTRY{Expand5((packed >> 10) & 31), Expand5((packed >> 5) & 31),
                        Expand5(packed & 31), alpha};
  }
  BYTE alpha = entryBits == 32 ? entry[3] : 0;
  return PALETTEENTRY{entry[2], entry[1], entry[0], alpha};
}

// Map entries go to their own indices; a map that sets no alpha at all is opaque.
void FillPalette(const TgaHeader& header, const BYTE* map, PALETTEENTRY* palette) {
  UINT entryBytes = MapEntryBytes(header.mapEntryBits);
  bool anyAlpha = false;
  for (UINT i = 0; i < header.mapLength; ++i) {
    PALETTEENTRY entry = ReadMapEntry(map + i * entryBytes, header.mapEntryBits);
    anyAlpha = anyAlpha || entry.peFlags != 0;
    palette[header.mapFirst + i] = entry;
  }
  if (anyAlpha) return;
  for (UINT i = 0; i < header.mapLength; ++i) palette[header.mapFirst + i].peFlags = 255;
}

// Where the i-th pixel in file order lands in the top-down, left-to-right image.
BYTE* PixelAddress(const DecodedImage& image, const TgaHeader& header, UINT pixelBytes,
                   std::uint64_t index) {
  UINT fileRow = static_cast<UINT>(index / header.width);
  UINT fileColumn = static_cast<UINT>(index % header.width);
  UINT row = (header.descriptor & topDownBit) != 0 ? fileRow : header.height - 1 - fileRow;
  UINT column =
      (header.descriptor & rightToLeftBit) != 0 ? header.width - 1 - fileColumn : fileColumn;
  return image.pixels + static_cast<std::size_t>(row) * image.rowPitch +
         static_cast<std::size_t>(column) * pixelBytes;
}

HRESULT ExpandRuns(DecodedImage& image, const TgaHeader& header, UINT pixelBytes,
                   ByteCursor& in) {
  std::uint64_t total = static_cast<std::uint64_t>(header.width) * header.height;
  std::uint64_t done = 0;
  while (done < total) {
    BYTE packet = 0;
    if (!in.ReadByte(packet)) return E_FAIL;
    UINT count = (packet & 0x7Fu) + 1;
    bool repeat = (packet & 0x80) != 0;
    if (count > total - done) return E_FAIL;
    const BYTE* values = in.Take(static_cast<std::uint64_t>(repeat ? 1 : count) * pixelBytes);
    if (values == nullptr) return E_FAIL;
    for (UINT i = 0; i < count; ++i) {
      const BYTE* value = repeat ? values : values + i * pixelBytes;
      std::memcpy(PixelAddress(image, header, pixelBytes, done + i), value, pixelBytes);
    }
    done += count;
  }
  return S_OK;
}

void ReorderPlain(DecodedImage& image, const TgaHeader& header, UINT pixelBytes,
                  const BYTE* in) {
  std::uint64_t total = static_cast<std::uint64_t>(header.width) * header.height;
  for (std::uint64_t i = 0; i < total; ++i) {
    std::memcpy(PixelAddress(image, header, pixelBytes, i), in + i * pixelBytes, pixelBytes);
  }
}

bool AllAlphasZero(const DecodedImage& image) {
  for (UINT y = 0; y < image.height; ++y) {
    const BYTE* row = image.pixels + static_cast<std::size_t>(y) * image.rowPitch;
    for (UINT x = 0; x < image.width; ++x) {
      bool alpha = image.format == D3DFMT_A8R8G8B8 ? row[4 * x + 3] != 0
                                                   : (row[2 * x + 1] & 0x80) != 0;
      if (alpha) return false;
    }
  }
  return true;
}

// Pictures written with an alpha channel they never use are opaque.
void DropUnusedAlpha(DecodedImage& image) {
  if (image.format != D3DFMT_A8R8G8B8 && image.format != D3DFMT_A1R5G5B5) return;
  if (!AllAlphasZero(image)) return;
  image.format = image.format == D3DFMT_A8R8G8B8 ? D3DFMT_X8R8G8B8 : D3DFMT_X1R5G5B5;
}

HRESULT LoadPixels(DecodedImage& image, const TgaHeader& header, UINT pixelBytes,
                   ByteCursor& in) {
  bool runLength = (header.imageType & runLengthBit) != 0;
  bool reordered = (header.descriptor & topDownBit) == 0 ||
                   (header.descriptor & rightToLeftBit) != 0;
  if (!runLength && !reordered) {
    image.pixels = const_cast<BYTE*>(in.Current());
    image.ownsPixels = FALSE;
    return S_OK;
  }
  HRESULT result = AllocateOwnedPixels(image, image.rowPitch, header.height);
  if (FAILED(result)) return result;
  if (runLength) return ExpandRuns(image, header, pixelBytes, in);
  ReorderPlain(image, header, pixelBytes, in.Current());
  return S_OK;
}

}  // namespace

HRESULT DecodedImage::DecodeTga(const BYTE* bytes, UINT size) {
  if (size < tgaHeaderBytes) return E_FAIL;
  TgaHeader header = ReadTgaHeader(bytes);
  if (!IsPlausible(header)) return E_FAIL;
  D3DFORMAT pixelFormat = ChooseFormat(header);
  if (pixelFormat == D3DFMT_UNKNOWN) return E_FAIL;
  if (pixelFormat == D3DFMT_P8 && header.mapFirst + header.mapLength > 256) return E_FAIL;

  ByteCursor in(bytes, size, tgaHeaderBytes);
  if (!in.Skip(header.idLength)) return E_FAIL;
  UINT mapBytes = header.colorMapType == 1
                      ? header.mapLength * MapEntryBytes(header.mapEntryBits)
                      : 0;
  const BYTE* map = in.Take(mapBytes);
  if (map == nullptr) return E_FAIL;

  UINT pixelBytes = (header.pixelDepth + 7u) / 8u;
  std::uint64_t pixelCount = static_cast<std::uint64_t>(header.width) * header.height;
  bool runLength = (header.imageType & runLengthBit) != 0;
  if (!runLength && pixelCount * pixelBytes > in.Remaining()) return E_FAIL;
  SetFlatSize(*this, pixelFormat, header.width, header.height, pixelBytes * header.width);
  if (!loadPixels) return S_OK;

  if (pixelFormat == D3DFMT_P8) {
    HRESULT result = AllocateOwnedPalette(*this);
    if (FAILED(result)) return result;
    FillPalette(header, map, palette);
  }
  HRESULT result = LoadPixels(*this, header, pixelBytes, in);
  if (FAILED(result)) return result;
  DropUnusedAlpha(*this);
  return S_OK;
}
