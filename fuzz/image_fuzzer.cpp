// Fuzz target: any block of bytes through the recognition loop, header only and whole.
//
// Nothing is skipped for its declared size: a few bytes can declare a picture of gigabytes,
// and the decoders themselves must refuse what is too big, quickly and without asking for
// the memory. fuzz-smoke runs the target under a memory ceiling that a legitimate block fits.

#include <cstddef>
#include <cstdint>

#include "toolkit/image/decoded_image.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > UINT32_MAX) return 0;
  const UINT blockSize = static_cast<UINT>(size);
  D3DXIMAGE_INFO info{};
  {
    DecodedImage header;
    if (FAILED(header.LoadFromMemory(data, blockSize, &info, false))) return 0;
  }
  DecodedImage image;
  image.LoadFromMemory(data, blockSize, &info, true);
  return 0;
}
