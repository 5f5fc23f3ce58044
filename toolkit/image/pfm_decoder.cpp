// Decoder of portable float maps: "PF" (three floats per pixel) and "Pf" (one, grey).
//
// The scale's sign gives the byte order (negative: little-endian); its magnitude is not
// applied. Rows are stored bottom-up. The pixels are decoded even when only the header is
// asked for.

#include <cstring>

#include "toolkit/image/decoded_image.h"
#include "toolkit/image/decoder_support.h"

namespace {

constexpr UINT maxLineLength = 256;

bool IsBlank(BYTE c) { return c == ' ' || c == '\t' || c == '\r'; }

// An unsigned decimal number after optional blanks.
bool ReadUnsigned(const BYTE* line, UINT length, UINT& at, std::uint64_t& value) {
  while (at < length && IsBlank(line[at])) ++at;
  return ReadDecimal(line, length, at, value);
}

// Exactly two numbers, width and height, and nothing else on the line.
bool ParseSizeLine(const BYTE* line, UINT length, UINT& width, UINT& height) {
  UINT at = 0;
  std::uint64_t first = 0;
  std::uint64_t second = 0;
  if (!ReadUnsigned(line, length, at, first)) return false;
  if (at < length && !IsBlank(line[at])) return false;
  if (!ReadUnsigned(line, length, at, second)) return false;
  while (at < length && IsBlank(line[at])) ++at;
  if (at != length || first == 0 || second == 0) return false;
  if (first > UINT32_MAX / 16 || second > UINT32_MAX) return false;
  width = static_cast<UINT>(first);
  height = static_cast<UINT>(second);
  return true;
}

float ReadSample(const BYTE* at, bool littleEndian) {
  DWORD word = littleEndian ? ReadLe32(at) : ReadBe32(at);
  float sample = 0.0f;
  std::memcpy(&sample, &word, sizeof(sample));
  return sample;
}

}  // namespace

HRESULT DecodedImage::DecodePfm(const BYTE* bytes, UINT size) {
  if (size <= 3 || bytes[0] != 'P' || bytes[2] != '\n') return E_FAIL;
  if (bytes[1] != 'F' && bytes[1] != 'f') return E_FAIL;
  UINT channels = bytes[1] == 'F' ? 3 : 1;

  ByteCursor in(bytes, size, 3);
  UINT length = 0;
  const BYTE* sizeLine = in.TakeLine(maxLineLength, length);
  UINT fileWidth = 0;
  UINT fileHeight = 0;
  if (sizeLine == nullptr || !ParseSizeLine(sizeLine, length, fileWidth, fileHeight)) {
    return E_FAIL;
  }
  const BYTE* scaleLine = in.TakeLine(maxLineLength, length);
  double scale = 0.0;
  if (scaleLine == nullptr || !ParseFloatText(scaleLine, length, scale)) return E_FAIL;
  bool littleEndian = scale < 0.0;

  std::uint64_t fileRowBytes = static_cast<std::uint64_t>(fileWidth) * channels * 4;
  const BYTE* samples = in.Take(fileRowBytes * fileHeight);
  if (samples == nullptr) return E_FAIL;

  SetFlatSize(*this, D3DFMT_A32B32G32R32F, fileWidth, fileHeight, 16 * fileWidth);
  HRESULT result = AllocateOwnedPixels(*this, rowPitch, height);
  if (FAILED(result)) return result;
  for (UINT y = 0; y < height; ++y) {
    const BYTE* fileRow = samples + fileRowBytes * (height - 1 - y);
    BYTE* out = pixels + static_cast<std::size_t>(rowPitch) * y;
    for (UINT x = 0; x < width; ++x) {
      const BYTE* pixel = fileRow + 4 * channels * x;
      float red = ReadSample(pixel, littleEndian);
      float green = channels == 3 ? ReadSample(pixel + 4, littleEndian) : red;
      float blue = channels == 3 ? ReadSample(pixel + 8, littleEndian) : red;
      StoreFloatPixel(out + 16 * x, red, green, blue, 1.0f);
    }
  }
  return S_OK;
}
