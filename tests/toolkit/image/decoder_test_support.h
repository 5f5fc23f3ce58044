// Building image files byte by byte in memory, and decoding them through the recognition
// loop, for the decoder tests.
#pragma once

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cstring>
#include <string>
#include <vector>

#include "toolkit/common/result.h"
#include "toolkit/image/decoded_image.h"

using FileBytes = std::vector<BYTE>;

inline void PutLe16(FileBytes& out, unsigned value) {
  out.push_back(static_cast<BYTE>(value));
  out.push_back(static_cast<BYTE>(value >> 8));
}

inline void PutLe32(FileBytes& out, unsigned value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<BYTE>(value >> (8 * i)));
}

inline void PutBe32(FileBytes& out, unsigned value) {
  for (int i = 3; i >= 0; --i) out.push_back(static_cast<BYTE>(value >> (8 * i)));
}

inline void PutBytes(FileBytes& out, std::initializer_list<int> bytes) {
  for (int b : bytes) out.push_back(static_cast<BYTE>(b));
}

inline void PutText(FileBytes& out, const std::string& text) {
  for (char c : text) out.push_back(static_cast<BYTE>(c));
}

inline void SetLe32(FileBytes& out, std::size_t at, unsigned value) {
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<BYTE>(value >> (8 * i));
}

// The most memory the process has held at once so far. Files that make a decoder (or the
// library beneath it) fill memory far beyond their size show here.
inline std::size_t PeakResidentBytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<std::size_t>(usage.ru_maxrss) * 1024;
}

// A decoded image with the outcome of the recognition loop that made it.
struct Decoded {
  HRESULT result = E_FAIL;
  DecodedImage image;
  D3DXIMAGE_INFO info{};
};

// Decodes through the recognition loop (so the decoders before the expected one are tried
// too). The bytes are copied into a block of their own size, so that the sanitizer sees any
// read past the end.
class DecodeFromBlock {
 public:
  explicit DecodeFromBlock(const FileBytes& bytes, bool wantPixels = true)
      : block(new BYTE[bytes.empty() ? 1 : bytes.size()]) {
    if (!bytes.empty()) std::memcpy(block, bytes.data(), bytes.size());
    decoded.result = decoded.image.LoadFromMemory(block, static_cast<UINT>(bytes.size()),
                                                  &decoded.info, wantPixels);
  }
  ~DecodeFromBlock() {
    decoded.image.Empty();
    delete[] block;
  }
  DecodeFromBlock(const DecodeFromBlock&) = delete;
  DecodeFromBlock& operator=(const DecodeFromBlock&) = delete;

  const BYTE* Block() const { return block; }
  HRESULT Result() const { return decoded.result; }
  const DecodedImage& Image() const { return decoded.image; }
  const D3DXIMAGE_INFO& Info() const { return decoded.info; }
  // Byte `i` of row `y` of the head record.
  BYTE PixelByte(UINT y, UINT i) const { return decoded.image.pixels[y * decoded.image.rowPitch + i]; }
  float PixelFloat(UINT y, UINT x, UINT channel) const {
    float value = 0;
    std::memcpy(&value, decoded.image.pixels + y * decoded.image.rowPitch + 16 * x + 4 * channel,
                sizeof(value));
    return value;
  }

 private:
  BYTE* block;
  Decoded decoded;
};

// Every shorter prefix of a valid file, with and without pixels: each either decodes or is
// refused, and none reads past its end (the sanitizer build checks that).
inline void DecodeEveryPrefix(const FileBytes& bytes) {
  for (std::size_t length = 1; length < bytes.size(); ++length) {
    FileBytes prefix(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(length));
    for (bool wantPixels : {false, true}) {
      DecodeFromBlock decoded(prefix, wantPixels);
      EXPECT_TRUE(decoded.Result() == S_OK || decoded.Result() == D3DXERR_INVALIDDATA)
          << "length " << length << ": " << ResultName(decoded.Result());
    }
  }
}

// Every single byte of a valid file replaced by a few values: nothing reads out of bounds.
inline void DecodeEveryByteCorrupted(const FileBytes& bytes) {
  for (std::size_t at = 0; at < bytes.size(); ++at) {
    for (BYTE value : {0x00, 0x01, 0x7F, 0x80, 0xFF}) {
      FileBytes corrupt = bytes;
      corrupt[at] = value;
      DecodeFromBlock decoded(corrupt);
      EXPECT_TRUE(decoded.Result() == S_OK || decoded.Result() == D3DXERR_INVALIDDATA);
    }
  }
}
