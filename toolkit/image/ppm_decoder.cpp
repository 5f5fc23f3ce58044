// Decoder of portable any-maps: pixmaps "P3" (decimal samples) and "P6" (binary), grey maps
// "P2" and "P5", and bitmaps "P1" and "P4".
//
// Samples are scaled from the file's maximum value to 0 ... 255 (grey maps whose maximum
// passes 255: to 0 ... 65535, as D3DFMT_L16). Bitmaps have no maximum: a set bit is black.
// The pixels are decoded even when only the header is asked for, so that a file is
// recognised only if it is whole.

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

  // One pixel of a text bitmap: "0" or "1", with or without white space before it.
  bool ReadBitDigit(BYTE& bit) {
    SkipSpaceAndComments();
    BYTE c = 0;
    if (!in.ReadByte(c) || (c != '0' && c != '1')) return false;
    bit = static_cast<BYTE>(c - '0');
    return true;
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

// The single white-space byte after the header's last number, or a carriage return and a
// line feed.
bool SkipRasterSeparator(ByteCursor& in) {
  if (!in.AtEnd() && in.Peek() == '\r') in.Skip(1);
  return in.Skip(1);
}

HRESULT ReadBinarySamples(ByteCursor& in, std::uint64_t maximum, std::uint64_t pixelCount,
                          BYTE* pixels) {
  if (maximum > 255) return E_FAIL;
  if (!SkipRasterSeparator(in)) return E_FAIL;
  const BYTE* samples = in.Take(pixelCount * 3);
  if (samples == nullptr) return E_FAIL;
  for (std::uint64_t i = 0; i < pixelCount; ++i) {
    const BYTE* rgb = samples + 3 * i;
    StorePixel(pixels + 4 * i, ScaleSample(rgb[0], maximum), ScaleSample(rgb[1], maximum),
               ScaleSample(rgb[2], maximum));
  }
  return S_OK;
}

// Netpbm's largest maximum value: grey samples of up to 16 bits.
constexpr std::uint64_t largestGreyMaximum = 65535;

// A grey sample scaled to 8 bits, or to 16 bits stored little-endian.
void StoreGrey(BYTE* pixels, std::uint64_t index, std::uint64_t sample, std::uint64_t maximum,
               bool wide) {
  if (!wide) {
    pixels[index] = ScaleSample(sample, maximum);
    return;
  }
  std::uint64_t value = sample >= maximum ? 0xFFFF : sample * 0xFFFF / maximum;
  pixels[2 * index] = static_cast<BYTE>(value);
  pixels[2 * index + 1] = static_cast<BYTE>(value >> 8);
}

HRESULT ReadGreySamples(PpmFields& fields, bool text, std::uint64_t maximum,
                        std::uint64_t pixelCount, BYTE* pixels) {
  const bool wide = maximum > 255;
  if (text) {
    for (std::uint64_t i = 0; i < pixelCount; ++i) {
      std::uint64_t sample = 0;
      if (!fields.ReadNumber(sample)) return E_FAIL;
      StoreGrey(pixels, i, sample, maximum, wide);
    }
    return S_OK;
  }
  ByteCursor& in = fields.Cursor();
  if (!SkipRasterSeparator(in)) return E_FAIL;
  // Binary samples of more than a byte come most significant byte first.
  const BYTE* samples = in.Take(pixelCount * (wide ? 2 : 1));
  if (samples == nullptr) return E_FAIL;
  for (std::uint64_t i = 0; i < pixelCount; ++i) {
    std::uint64_t sample = wide ? (samples[2 * i] << 8) | samples[2 * i + 1] : samples[i];
    StoreGrey(pixels, i, sample, maximum, wide);
  }
  return S_OK;
}

// A set bit is black (0), a clear one white (255). Binary rows are packed most significant
// bit first, each row starting on a byte of its own.
HRESULT ReadBits(PpmFields& fields, bool text, UINT width, UINT height, BYTE* pixels) {
  const std::uint64_t pixelCount = static_cast<std::uint64_t>(width) * height;
  if (text) {
    for (std::uint64_t i = 0; i < pixelCount; ++i) {
      BYTE bit = 0;
      if (!fields.ReadBitDigit(bit)) return E_FAIL;
      pixels[i] = bit != 0 ? 0 : 255;
    }
    return S_OK;
  }
  ByteCursor& in = fields.Cursor();
  if (!SkipRasterSeparator(in)) return E_FAIL;
  const std::uint64_t rowBytes = (static_cast<std::uint64_t>(width) + 7) / 8;
  const BYTE* rows = in.Take(rowBytes * height);
  if (rows == nullptr) return E_FAIL;
  for (UINT y = 0; y < height; ++y) {
    const BYTE* row = rows + rowBytes * y;
    BYTE* out = pixels + static_cast<std::size_t>(width) * y;
    for (UINT x = 0; x < width; ++x) out[x] = ((row[x / 8] >> (7 - x % 8)) & 1) != 0 ? 0 : 255;
  }
  return S_OK;
}

// The pixmaps: after the height the pixel block, then the maximum and the samples.
HRESULT DecodePixmap(DecodedImage& image, PpmFields& fields, bool text, UINT width, UINT height) {
  // Every pixel takes at least three bytes either way: a shorter rest cannot be the pixels.
  std::uint64_t pixelCount = static_cast<std::uint64_t>(width) * height;
  if (pixelCount > fields.Cursor().Remaining() / 3) return E_FAIL;
  SetFlatSize(image, D3DFMT_X8R8G8B8, width, height, 4 * width);
  HRESULT result = AllocateOwnedPixels(image, image.rowPitch, height);
  if (FAILED(result)) return result;

  std::uint64_t maximum = 0;
  if (!fields.ReadNumber(maximum) || maximum == 0) return E_FAIL;
  if (text) return ReadTextSamples(fields, maximum, pixelCount, image.pixels);
  return ReadBinarySamples(fields.Cursor(), maximum, pixelCount, image.pixels);
}

// Grey maps: the maximum decides between D3DFMT_L8 and D3DFMT_L16 before the block is made.
HRESULT DecodeGreyMap(DecodedImage& image, PpmFields& fields, bool text, UINT width,
                      UINT height) {
  std::uint64_t maximum = 0;
  if (!fields.ReadNumber(maximum) || maximum == 0 || maximum > largestGreyMaximum) {
    return E_FAIL;
  }
  const UINT sampleBytes = maximum > 255 ? 2 : 1;
  // A text sample takes a byte at least, a binary one its own size.
  std::uint64_t pixelCount = static_cast<std::uint64_t>(width) * height;
  if (pixelCount > fields.Cursor().Remaining() / (text ? 1 : sampleBytes)) return E_FAIL;
  SetFlatSize(image, sampleBytes == 2 ? D3DFMT_L16 : D3DFMT_L8, width, height,
              sampleBytes * width);
  HRESULT result = AllocateOwnedPixels(image, image.rowPitch, height);
  if (FAILED(result)) return result;
  return ReadGreySamples(fields, text, maximum, pixelCount, image.pixels);
}

// Bitmaps: no maximum; a byte per pixel at least as text, a bit as binary.
HRESULT DecodeBitmap(DecodedImage& image, PpmFields& fields, bool text, UINT width,
                     UINT height) {
  const std::uint64_t rowBytes = text ? width : (static_cast<std::uint64_t>(width) + 7) / 8;
  if (rowBytes * height > fields.Cursor().Remaining()) return E_FAIL;
  SetFlatSize(image, D3DFMT_L8, width, height, width);
  HRESULT result = AllocateOwnedPixels(image, image.rowPitch, height);
  if (FAILED(result)) return result;
  return ReadBits(fields, text, width, height, image.pixels);
}

}  // namespace

HRESULT DecodedImage::DecodePpm(const BYTE* bytes, UINT size) {
  // "P1" to "P3" hold text, "P4" to "P6" the same kinds in binary.
  if (size < 3 || bytes[0] != 'P' || bytes[1] < '1' || bytes[1] > '6') return E_FAIL;
  if (!IsWhiteSpace(bytes[2]) && bytes[2] != '#') return E_FAIL;
  const int kind = (bytes[1] - '1') % 3;  // 0 bitmap, 1 grey map, 2 pixmap
  const bool text = bytes[1] <= '3';

  PpmFields fields(bytes, size, 2);
  std::uint64_t fileWidth = 0;
  std::uint64_t fileHeight = 0;
  if (!fields.ReadNumber(fileWidth) || !fields.ReadNumber(fileHeight)) return E_FAIL;
  if (fileWidth == 0 || fileHeight == 0 || fileWidth > UINT32_MAX / 4 ||
      fileHeight > UINT32_MAX) {
    return E_FAIL;
  }
  const auto columns = static_cast<UINT>(fileWidth);
  const auto rows = static_cast<UINT>(fileHeight);
  if (kind == 0) return DecodeBitmap(*this, fields, text, columns, rows);
  if (kind == 1) return DecodeGreyMap(*this, fields, text, columns, rows);
  return DecodePixmap(*this, fields, text, columns, rows);
}
