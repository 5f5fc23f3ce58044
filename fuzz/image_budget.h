// Which pictures the image fuzz targets decode whole.
//
// Under the sanitizers a decoded pixel costs about a microsecond in the texture loader, so a
// legitimate picture near the loaders' budget (loaderBudget) would take minutes, and one run
// of it would eat the whole fuzzing time. Such pictures are only described (the header pass).
// Small pictures are decoded, and so is every picture beyond the budget, however large it
// claims to be: the decoders must refuse those quickly, without asking for the memory.
#pragma once

#include <cstdint>

#include "toolkit/image/decoder_support.h"
#include "toolkit/image/image_info.h"

namespace fuzz {

// More pixels than the budget holds in any format (DXT1, the densest, takes half a byte).
inline constexpr std::uint64_t kBeyondAnyBlock = 2 * loaderBudget;

inline bool WorthDecoding(const D3DXIMAGE_INFO& info, std::uint64_t mostPixels) {
  const std::uint64_t faces = info.ResourceType == D3DRTYPE_CUBETEXTURE ? 6 : 1;
  const std::uint64_t depth = info.Depth == 0 ? 1 : info.Depth;
  const std::uint64_t pixels = std::uint64_t{info.Width} * info.Height * depth * faces;
  return pixels <= mostPixels || pixels > kBeyondAnyBlock;
}

}  // namespace fuzz
