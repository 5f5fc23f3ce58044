// Fuzz target: any block of bytes through the recognition loop, header only and whole.
//
// Pictures larger than kMaxPixels are described but not decoded: a few bytes can declare a
// picture of gigabytes, and inflating it would be a test of patience, not of safety.

#include <cstddef>
#include <cstdint>

#include "toolkit/image/decoded_image.h"

namespace {

constexpr std::uint64_t kMaxPixels = 1u << 22;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > UINT32_MAX) return 0;
  const UINT blockSize = static_cast<UINT>(size);
  D3DXIMAGE_INFO info{};
  {
    DecodedImage header;
    if (FAILED(header.LoadFromMemory(data, blockSize, &info, false))) return 0;
  }
  if (std::uint64_t{info.Width} * info.Height * info.Depth > kMaxPixels) return 0;
  DecodedImage image;
  image.LoadFromMemory(data, blockSize, &info, true);
  return 0;
}
