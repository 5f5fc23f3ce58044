// Fuzz target: any block of bytes through the recognition loop, header only and whole.
//
// The whole decode runs for small pictures and for every picture that claims more than a
// pixel block may hold, which the decoders must refuse quickly without asking for the memory
// (fuzz/image_budget.h). fuzz-smoke runs the target under a memory ceiling that a legitimate
// block fits.

#include <cstddef>
#include <cstdint>

#include "fuzz/image_budget.h"
#include "toolkit/image/decoded_image.h"

namespace {

// About three seconds of decoding under the sanitizers.
constexpr std::uint64_t kMostPixels = std::uint64_t{1} << 24;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > UINT32_MAX) return 0;
  const UINT blockSize = static_cast<UINT>(size);
  D3DXIMAGE_INFO info{};
  {
    DecodedImage header;
    if (FAILED(header.LoadFromMemory(data, blockSize, &info, false))) return 0;
  }
  if (!fuzz::WorthDecoding(info, kMostPixels)) return 0;
  DecodedImage image;
  image.LoadFromMemory(data, blockSize, &info, true);
  return 0;
}
