// Decoding of every texture format the adapter accepts into 0xAARRGGBB texels, as the sampler
// reads them: channels a format lacks read as 0 for colour (1 for alpha; luminance fills all
// three colour channels), wider channels are rounded to 8 bits, float channels are clamped to
// [0, 1], and DXT blocks are expanded.
#pragma once

#include <cstdint>

#include "platform/d3d9/image.h"

namespace d3d9 {

bool CanDecode(D3DFORMAT format);

// Decodes one slice of `image` into width x height texels; false for formats it cannot read.
bool DecodeToArgb(const Image& image, std::uint32_t* out, UINT slice = 0);

}  // namespace d3d9
