// Decoder of Radiance pictures ("#?RADIANCE"): RGBE or XYZE pixels of a shared exponent, in
// scanlines that are flat (with repeat markers) or run-length coded per component.
//
// The resolution line says where scanlines go: rows or columns, from which side. The pixels
// are decoded even when only the header is asked for.

#include <cmath>
#include <cstring>

#include "toolkit/common/allocation.h"
#include "toolkit/image/decoded_image.h"
#include "toolkit/image/decoder_support.h"

namespace {

constexpr char signature[] = "#?RADIANCE";
constexpr UINT signatureLength = sizeof(signature) - 1;
// Header lines have no length limit of their own beyond the block.
constexpr UINT anyLength = UINT32_MAX - 1;

bool IsBlank(BYTE c) { return c == ' ' || c == '\t' || c == '\r'; }

bool StartsWith(const BYTE* text, UINT length, const char* prefix) {
  UINT prefixLength = static_cast<UINT>(std::strlen(prefix));
  return length >= prefixLength && std::memcmp(text, prefix, prefixLength) == 0;
}

// `text` holds `word` and nothing else but trailing blanks.
bool HoldsWord(const BYTE* text, UINT length, const char* word) {
  if (!StartsWith(text, length, word)) return false;
  for (UINT i = static_cast<UINT>(std::strlen(word)); i < length; ++i) {
    if (!IsBlank(text[i])) return false;
  }
  return true;
}

struct HdrHeader {
  bool formatSeen = false;
  float exposure = 1.0f;
};

// One header line, after its leading blanks.
bool ReadHeaderLine(const BYTE* line, UINT length, HdrHeader& header) {
  UINT at = 0;
  while (at < length && (line[at] == ' ' || line[at] == '\t')) ++at;
  line += at;
  length -= at;
  constexpr UINT formatKey = 7;    // "FORMAT="
  constexpr UINT exposureKey = 9;  // "EXPOSURE="
  if (StartsWith(line, length, "FORMAT=")) {
    header.formatSeen = true;
    return HoldsWord(line + formatKey, length - formatKey, "32-bit_rle_rgbe") ||
           HoldsWord(line + formatKey, length - formatKey, "32-bit_rle_xyze");
  }
  double exposure = 0.0;
  // A zero, negative or unreadable exposure would turn every pixel infinite or meaningless.
  if (StartsWith(line, length, "EXPOSURE=") &&
      ParseFloatText(line + exposureKey, length - exposureKey, exposure) && exposure > 0.0 &&
      std::isfinite(exposure)) {
    header.exposure *= static_cast<float>(exposure);
  }
  return true;
}

// Where scanlines go: each is a row (Y first) or a column (X first) of the image, filled from
// the top or bottom, from the left or right.
struct HdrOrientation {
  UINT width = 0;
  UINT height = 0;
  bool xFirst = false;
  bool topDown = true;      // -Y
  bool leftToRight = true;  // +X
};

struct AxisSize {
  char axis;
  bool plus;
  UINT size;
};

bool ReadAxis(const BYTE* line, UINT length, UINT& at, AxisSize& axis) {
  while (at < length && IsBlank(line[at])) ++at;
  if (length - at < 2) return false;
  if (line[at] != '+' && line[at] != '-') return false;
  if (line[at + 1] != 'X' && line[at + 1] != 'Y') return false;
  axis.plus = line[at] == '+';
  axis.axis = static_cast<char>(line[at + 1]);
  at += 2;
  if (at == length || !IsBlank(line[at])) return false;
  while (at < length && IsBlank(line[at])) ++at;
  std::uint64_t value = 0;
  if (!ReadDecimal(line, length, at, value) || value == 0 || value > UINT32_MAX / 16) {
    return false;
  }
  axis.size = static_cast<UINT>(value);
  return true;
}

bool ParseResolution(const BYTE* line, UINT length, HdrOrientation& orientation) {
  UINT at = 0;
  AxisSize first{};
  AxisSize second{};
  if (!ReadAxis(line, length, at, first) || !ReadAxis(line, length, at, second)) return false;
  while (at < length && IsBlank(line[at])) ++at;
  if (at != length || first.axis == second.axis) return false;
  const AxisSize& x = first.axis == 'X' ? first : second;
  const AxisSize& y = first.axis == 'Y' ? first : second;
  orientation.width = x.size;
  orientation.height = y.size;
  orientation.xFirst = first.axis == 'X';
  orientation.topDown = !y.plus;
  orientation.leftToRight = x.plus;
  return true;
}

// Decodes scanlines of RGBE bytes one at a time into a buffer of the decoder's own.
class ScanlineReader {
 public:
  ScanlineReader(ByteCursor& source, UINT lineLength) : in(source), length(lineLength) {}
  ~ScanlineReader() { FreeBytes(buffer); }
  ScanlineReader(const ScanlineReader&) = delete;
  ScanlineReader& operator=(const ScanlineReader&) = delete;

  HRESULT Allocate() {
    buffer = static_cast<BYTE*>(AllocateBytes(static_cast<std::size_t>(length) * 4));
    return buffer == nullptr ? E_OUTOFMEMORY : S_OK;
  }

  // The next scanline's RGBE bytes, or null when the file breaks off or breaks the coding.
  const BYTE* Next() {
    const BYTE* start = in.Current();
    if (in.Remaining() < 4) return nullptr;
    // The standard test for the run-length coding: 2, 2, then a length below 32768.
    bool runLength = start[0] == 2 && start[1] == 2 && start[2] < 0x80;
    bool done = runLength ? ReadRunLength() : ReadFlat();
    return done ? buffer : nullptr;
  }

 private:
  bool ReadRunLength() {
    const BYTE* start = in.Take(4);
    if (static_cast<UINT>((start[2] << 8) | start[3]) != length) return false;
    for (UINT component = 0; component < 4; ++component) {
      if (!ReadComponentRuns(component)) return false;
    }
    for (UINT i = 0; i < 4; ++i) previous[i] = buffer[4 * (length - 1) + i];
    havePrevious = true;
    return true;
  }

  bool ReadComponentRuns(UINT component) {
    UINT filled = 0;
    while (filled < length) {
      BYTE count = 0;
      if (!in.ReadByte(count)) return false;
      bool repeat = count > 128;
      UINT runLength = repeat ? count - 128u : count;
      if (runLength > length - filled) return false;
      const BYTE* values = in.Take(repeat ? 1 : runLength);
      if (values == nullptr) return false;
      for (UINT i = 0; i < runLength; ++i) {
        buffer[4 * (filled + i) + component] = repeat ? values[0] : values[i];
      }
      filled += runLength;
    }
    return true;
  }

  // Flat pixels; (1, 1, 1, n) repeats the pixel before n times, n shifted up by 8 more for
  // each marker directly before it.
  bool ReadFlat() {
    UINT filled = 0;
    UINT shift = 0;
    while (filled < length) {
      const BYTE* pixel = in.Take(4);
      if (pixel == nullptr) return false;
      if (pixel[0] == 1 && pixel[1] == 1 && pixel[2] == 1) {
        if (!Repeat(pixel[3], shift, filled)) return false;
        shift += 8;
        continue;
      }
      std::memcpy(buffer + 4 * filled, pixel, 4);
      std::memcpy(previous, pixel, 4);
      havePrevious = true;
      ++filled;
      shift = 0;
    }
    return true;
  }

  bool Repeat(BYTE count, UINT shift, UINT& filled) {
    if (count == 0) return true;
    if (!havePrevious || shift >= 32) return false;
    std::uint64_t repeats = static_cast<std::uint64_t>(count) << shift;
    if (repeats > length - filled) return false;
    for (std::uint64_t i = 0; i < repeats; ++i) std::memcpy(buffer + 4 * (filled + i), previous, 4);
    filled += static_cast<UINT>(repeats);
    return true;
  }

  ByteCursor& in;
  UINT length;
  BYTE* buffer = nullptr;
  BYTE previous[4] = {};
  bool havePrevious = false;
};

void StoreScanline(DecodedImage& image, const HdrOrientation& orientation, UINT scanline,
                   const BYTE* rgbe, UINT length, float exposure) {
  for (UINT i = 0; i < length; ++i) {
    UINT along = orientation.xFirst ? scanline : i;  // column before orientation
    UINT down = orientation.xFirst ? i : scanline;   // row before orientation
    UINT column = orientation.leftToRight ? along : image.width - 1 - along;
    UINT row = orientation.topDown ? down : image.height - 1 - down;
    const BYTE* pixel = rgbe + 4 * i;
    int exponent = static_cast<int>(pixel[3]) - 136;
    float channels[3];
    for (int c = 0; c < 3; ++c) {
      channels[c] = std::ldexp(static_cast<float>(pixel[c]) + 0.5f, exponent) / exposure;
    }
    StoreFloatPixel(image.pixels + static_cast<std::size_t>(row) * image.rowPitch + 16 * column,
                    channels[0], channels[1], channels[2], 1.0f);
  }
}

HRESULT ReadHeader(ByteCursor& in, HdrHeader& header, HdrOrientation& orientation) {
  UINT length = 0;
  for (;;) {
    const BYTE* line = in.TakeLine(anyLength, length);
    if (line == nullptr) return E_FAIL;
    if (length == 0 || (length == 1 && line[0] == '\r')) break;
    if (!ReadHeaderLine(line, length, header)) return E_FAIL;
  }
  if (!header.formatSeen) return E_FAIL;
  const BYTE* resolution = in.TakeLine(anyLength, length);
  if (resolution == nullptr || !ParseResolution(resolution, length, orientation)) return E_FAIL;
  return S_OK;
}

}  // namespace

HRESULT DecodedImage::DecodeHdr(const BYTE* bytes, UINT size) {
  if (size <= signatureLength || std::memcmp(bytes, signature, signatureLength) != 0) {
    return E_FAIL;
  }
  ByteCursor in(bytes, size);
  UINT length = 0;
  if (in.TakeLine(anyLength, length) == nullptr) return E_FAIL;  // the signature line
  HdrHeader header;
  HdrOrientation orientation;
  HRESULT result = ReadHeader(in, header, orientation);
  if (FAILED(result)) return result;

  UINT scanlines = orientation.xFirst ? orientation.width : orientation.height;
  UINT scanlineLength = orientation.xFirst ? orientation.height : orientation.width;
  // Every scanline takes four bytes at least, whichever its coding.
  if (scanlines > in.Remaining() / 4) return E_FAIL;
  SetFlatSize(*this, D3DFMT_A32B32G32R32F, orientation.width, orientation.height,
              16 * orientation.width);
  result = AllocateOwnedPixels(*this, rowPitch, height);
  if (FAILED(result)) return result;

  ScanlineReader reader(in, scanlineLength);
  result = reader.Allocate();
  if (FAILED(result)) return result;
  for (UINT scanline = 0; scanline < scanlines; ++scanline) {
    const BYTE* rgbe = reader.Next();
    if (rgbe == nullptr) return E_FAIL;
    StoreScanline(*this, orientation, scanline, rgbe, scanlineLength, header.exposure);
  }
  return S_OK;
}
