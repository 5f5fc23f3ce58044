// Helpers shared by the image decoders: little- and big-endian reads, a cursor over the block
// of file bytes that cannot pass its end, size checks before allocation, and the owned pixel
// and palette blocks of a decoded record.
//
// Every read through these helpers either stays inside the block or refuses; the fixed-offset
// readers (ReadLe16 ...) are for offsets the caller has already checked with FitsInBlock.
#pragma once

#include <cstdint>

#include "platform/win32/types.h"
#include "toolkit/image/decoded_image.h"

inline WORD ReadLe16(const BYTE* at) { return static_cast<WORD>(at[0] | (at[1] << 8)); }

inline DWORD ReadLe32(const BYTE* at) {
  return static_cast<DWORD>(at[0]) | (static_cast<DWORD>(at[1]) << 8) |
         (static_cast<DWORD>(at[2]) << 16) | (static_cast<DWORD>(at[3]) << 24);
}

inline DWORD ReadBe32(const BYTE* at) {
  return (static_cast<DWORD>(at[0]) << 24) | (static_cast<DWORD>(at[1]) << 16) |
         (static_cast<DWORD>(at[2]) << 8) | static_cast<DWORD>(at[3]);
}

// True when `count` bytes from `offset` lie inside a block of `size` bytes (no overflow).
inline bool FitsInBlock(UINT size, std::uint64_t offset, std::uint64_t count) {
  return offset <= size && count <= size - offset;
}

// A read position in a block of bytes. Reads past the end fail and leave the position alone.
class ByteCursor {
 public:
  ByteCursor(const BYTE* block, UINT blockSize, UINT start = 0)
      : bytes(block), size(blockSize), position(start <= blockSize ? start : blockSize) {}

  bool AtEnd() const { return position == size; }
  UINT Position() const { return position; }
  UINT Remaining() const { return size - position; }
  // The byte at the read position (one past the last when AtEnd()).
  const BYTE* Current() const { return bytes + position; }
  // The next byte without taking it; only when !AtEnd().
  BYTE Peek() const { return bytes[position]; }

  bool ReadByte(BYTE& value) {
    if (position == size) return false;
    value = bytes[position++];
    return true;
  }

  // The next `count` bytes, or null (and nothing taken) when fewer are left.
  const BYTE* Take(std::uint64_t count) {
    if (count > Remaining()) return nullptr;
    const BYTE* start = bytes + position;
    position += static_cast<UINT>(count);
    return start;
  }

  bool Skip(std::uint64_t count) { return Take(count) != nullptr; }

  // The bytes up to the next line feed (not included; the line feed is taken), or null when
  // no line feed comes within `maxLength` bytes or before the end.
  const BYTE* TakeLine(UINT maxLength, UINT& length);

 private:
  const BYTE* bytes;
  UINT size;
  UINT position;
};

// rowPitch x rows as a byte count, or false when it does not fit in memory sizes.
bool CheckedProduct(std::uint64_t rowPitch, std::uint64_t rows, std::size_t& product);

// The loader budget: the most memory the decoding of one file holds for its image, that is its
// pixel block and, beside it, whatever the library beneath keeps for the whole image (libjpeg's
// coefficients for files of several scans); no single block a decoder asks for is larger.
// Run-length codes, compressed formats and declared lengths let a few bytes of file claim
// gigabytes: what the image needs is checked against the budget before anything is asked, and
// a file beyond it is refused with E_OUTOFMEMORY. Callers cannot change it (docs/toolkit.md,
// "Memory budgets").
constexpr std::uint64_t loaderBudget = std::uint64_t{512} << 20;

// True when a block of rowPitch x rows bytes is within loaderBudget.
bool WithinLoaderBudget(std::uint64_t rowPitch, std::uint64_t rows);

// An owned, zero-filled pixel block of rowPitch x rows bytes for `image`: S_OK, or
// E_OUTOFMEMORY when refused or larger than loaderBudget.
HRESULT AllocateOwnedPixels(DecodedImage& image, std::uint64_t rowPitch, std::uint64_t rows);

// An owned 256-entry palette, every entry opaque white: S_OK or E_OUTOFMEMORY.
HRESULT AllocateOwnedPalette(DecodedImage& image);

// Sets the size fields of a flat image.
void SetFlatSize(DecodedImage& image, D3DFORMAT format, UINT width, UINT height, UINT rowPitch);

// One D3DFMT_A32B32G32R32F pixel (memory order red, green, blue, alpha).
void StoreFloatPixel(BYTE* at, float red, float green, float blue, float alpha);

// The decimal digits at text[at] onwards (at least one), as a number that saturates far above
// 32 bits instead of overflowing; `at` ends after the digits.
bool ReadDecimal(const BYTE* text, UINT length, UINT& at, std::uint64_t& value);

// Parses `length` bytes as one floating-point number in the C locale, allowing white space
// around it and nothing else.
bool ParseFloatText(const BYTE* text, UINT length, double& value);
