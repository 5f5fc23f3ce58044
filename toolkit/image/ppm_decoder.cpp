// Decoder of portable pixmaps: "P3" (decimal samples) and "P6" (binary samples of one byte).
//
// Samples are scaled from the file's maximum value to 0 ... 255. The pixels are decoded even
// when only the header is asked for, so that a file is recognised only if it is whole.

#include "toolkit/image/decoded_image.h"
#include "toolkit/image/decoder_support.h"

namespace {

// Far above any 32-bit field: numbers saturate here instead of overflowing.
constexpr std::uint64_t numberCeiling = 1ull << 40;

bool IsWhiteSpace(BYTE c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The text fields of the file: numbers between white space and "#" comments.
class PpmFields {
 public:
  PpmFields(const BYTE* bytes, UINT size, UINT position) : in(bytes, size, position) {}

  // A number must end in white space or at the end of the block.
  bool ReadNumber(std::uint64_t& value) {
    SkipSpaceAndComments();
    if (in.AtEnd() || !IsDigit(in.Peek())) return false;
    value = 0;
    BYTE c = 0;
    while (!in.AtEnd() && IsDigit(in.Peek())) {
      in.ReadByte(c);
      value = value * 10 + static_cast<std::uint64_t>(c - '0');
      if (value > numberCeiling) value = numberCeiling;
    }
    return in.AtEnd() || IsWhiteSpace(in.Peek());
  }

  ByteCursor& Cursor() { return in; }

 private:
  static bool IsDigit(BYTE c) { return c >= '0' && c <= '9'; }

  void SkipSpaceAndComments() {
    while (!in.AtEnd()) {
      BYTE c = in.Peek();
      if (c == '#') {
        while (!in.AtEnd() && in.Peek() != '\n') in.Skip(1);
      } else if (IsWhiteSpace(c)) {
        in.Skip(1);
      } else {
        return;
      }
    }
  }

  ByteCursor in;
};

// A sample above the maximum would overflow its byte; it is as bright as a byte gets.
BYTE ScaleSample(std::uint64_t sample, std::uint64_t maximum) {
  if (sample >= maximum) return 255;
  return static_cast<BYTE>(sample * 255 / maximum);
}

void StorePixel(BYTE* at, BYTE red, BYTE green, BYTE blue) {
  at[0] = blue;
  at[1] = green;
  at[2] = red;
  at[3] = 0xFF;
}

HRESULT ReadTextSamples(PpmFields& fields, std::uint64_t maximum, std::uint64_t pixelCount,
                        BYTE* pixels) {
  for (std::uint64_t i = 0; i < pixelCount; ++i) {
    std::uint64_t rgb[3] = {};
    for (std::uint64_t& sample : rgb) {
      if (!fields.ReadNumber(sample)) return E_FAIL;
    }
    StorePixel(pixels + 4 * i, ScaleSample(rgb[0], maximum), ScaleSample(rgb[1], maximum),
               ScaleSample(rgb[2], maximum));
  }
  return S_OK;
}

HRESULT ReadBinarySamples(ByteCursor& in, std::uint64_t maximum, std::uint64_t pixelCount,
                          BYTE* pixels) {
  if (maximum > 255) return E_FAIL;
  // The single white-space byte after the maximum, or a carriage return and a line feed.
  if (!in.AtEnd() && in.Peek() == '\r') in.Skip(1);
  if (!in.Skip(1)) return E_FAIL;
  const BYTE* samples = in.Take(pixelCount * 3);
  if (samples == nullptr) return E_FAIL;
  for (std::uint64_t i = 0; i < pixelCount; ++i) {
    const BYTE* rgb = samples + 3 * i;
    StorePixel(pixels + 4 * i, ScaleSample(rgb[0], maximum), ScaleSample(rgb[1], maximum),
               ScaleSample(rgb[2], maximum));
  }
  return S_OK;
}

}  // namespace

HRESULT DecodedImage::DecodePpm(const BYTE* bytes, UINT size) {
  if (size < 3 || bytes[0] != 'P' || (bytes[1] != '3' && bytes[1] != '6')) return E_FAIL;
  if (!IsWhiteSpace(bytes[2]) && bytes[2] != '#') return E_FAIL;
  bool text = bytes[1] == '3';

  PpmFields fields(bytes, size, 2);
  std::uint64_t fileWidth = 0;
  std::uint64_t fileHeight = 0;
  if (!fields.ReadNumber(fileWidth) || !fields.ReadNumber(fileHeight)) return E_FAIL;
  if (fileWidth == 0 || fileHeight == 0 || fileWidth > UINT32_MAX / 4 ||
      fileHeight > UINT32_MAX) {
    return E_FAIL;
  }
  // Every pixel takes at least three bytes either way: a shorter rest cannot be the pixels.
  std::uint64_t pixelCount = fileWidth * fileHeight;
  if (pixelCount > fields.Cursor().Remaining() / 3) return E_FAIL;

  SetFlatSize(*this, D3DFMT_X8R8G8B8, static_cast<UINT>(fileWidth),
              static_cast<UINT>(fileHeight), static_cast<UINT>(4 * fileWidth));
  HRESULT result = AllocateOwnedPixels(*this, rowPitch, height);
  if (FAILED(result)) return result;

  std::uint64_t maximum = 0;
  if (!fields.ReadNumber(maximum) || maximum == 0) return E_FAIL;
  if (text) return ReadTextSamples(fields, maximum, pixelCount, pixels);
  return ReadBinarySamples(fields.Cursor(), maximum, pixelCount, pixels);
}
