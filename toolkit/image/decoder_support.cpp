#include "toolkit/image/decoder_support.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

#include "toolkit/common/allocation.h"

const BYTE* ByteCursor::TakeLine(UINT maxLength, UINT& length) {
  std::uint64_t longest = static_cast<std::uint64_t>(maxLength) + 1;
  std::size_t limit = static_cast<std::size_t>(Remaining() < longest ? Remaining() : longest);
  const void* feed = std::memchr(bytes + position, '\n', limit);
  if (feed == nullptr) return nullptr;
  const BYTE* start = bytes + position;
  length = static_cast<UINT>(static_cast<const BYTE*>(feed) - start);
  position += length + 1;
  return start;
}

bool CheckedProduct(std::uint64_t rowPitch, std::uint64_t rows, std::size_t& product) {
  if (rows != 0 && rowPitch > SIZE_MAX / rows) return false;
  product = static_cast<std::size_t>(rowPitch * rows);
  return true;
}

bool WithinLoaderBudget(std::uint64_t rowPitch, std::uint64_t rows) {
  std::size_t bytes = 0;
  return CheckedProduct(rowPitch, rows, bytes) && bytes <= loaderBudget;
}

HRESULT AllocateOwnedPixels(DecodedImage& image, std::uint64_t rowPitch, std::uint64_t rows) {
  if (!WithinLoaderBudget(rowPitch, rows)) return E_OUTOFMEMORY;
  std::size_t bytes = static_cast<std::size_t>(rowPitch * rows);
  image.pixels = static_cast<BYTE*>(AllocateZeroedBytes(bytes));
  if (image.pixels == nullptr) return E_OUTOFMEMORY;
  image.ownsPixels = TRUE;
  return S_OK;
}

HRESULT AllocateOwnedPalette(DecodedImage& image) {
  image.palette = static_cast<PALETTEENTRY*>(AllocateBytes(sizeof(PALETTEENTRY) * 256));
  if (image.palette == nullptr) return E_OUTOFMEMORY;
  image.ownsPalette = TRUE;
  for (int i = 0; i < 256; ++i) image.palette[i] = PALETTEENTRY{255, 255, 255, 255};
  return S_OK;
}

void SetFlatSize(DecodedImage& image, D3DFORMAT format, UINT width, UINT height, UINT rowPitch) {
  image.format = format;
  image.width = width;
  image.height = height;
  image.depth = 1;
  image.rowPitch = rowPitch;
  image.slicePitch = 0;
}

void StoreFloatPixel(BYTE* at, float red, float green, float blue, float alpha) {
  const float channels[4] = {red, green, blue, alpha};
  std::memcpy(at, channels, sizeof(channels));
}

bool ReadDecimal(const BYTE* text, UINT length, UINT& at, std::uint64_t& value) {
  constexpr std::uint64_t ceiling = 1ull << 40;
  UINT start = at;
  value = 0;
  for (; at < length && text[at] >= '0' && text[at] <= '9'; ++at) {
    value = value * 10 + static_cast<std::uint64_t>(text[at] - '0');
    if (value > ceiling) value = ceiling;
  }
  return at > start;
}

bool ParseFloatText(const BYTE* text, UINT length, double& value) {
  char buffer[257];
  if (length >= sizeof(buffer)) return false;
  std::memcpy(buffer, text, length);
  buffer[length] = '\0';
  char* end = nullptr;
  value = std::strtod(buffer, &end);
  if (end == buffer) return false;
  const char* last = buffer + length;
  while (end < last && std::isspace(static_cast<unsigned char>(*end))) ++end;
  return end == last;
}
