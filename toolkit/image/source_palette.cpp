#include "toolkit/image/source_palette.h"

namespace {

// The 3-bit and 2-bit channel levels of the 3-3-2 cube, scaled to bytes.
constexpr BYTE threeBitLevels[8] = {0, 36, 73, 109, 146, 182, 219, 255};
constexpr BYTE twoBitLevels[4] = {0, 85, 170, 255};

bool Equals(const PALETTEENTRY& entry, BYTE red, BYTE green, BYTE blue, BYTE alpha) {
  return entry.peRed == red && entry.peGreen == green && entry.peBlue == blue &&
         entry.peFlags == alpha;
}

bool IsGreyRamp(const PALETTEENTRY palette[paletteSize]) {
  for (UINT i = 0; i < paletteSize; ++i) {
    const BYTE grey = static_cast<BYTE>(i);
    if (!Equals(palette[i], grey, grey, grey, 255)) return false;
  }
  return true;
}

bool IsColourCube332(const PALETTEENTRY palette[paletteSize]) {
  for (UINT i = 0; i < paletteSize; ++i) {
    if (!Equals(palette[i], threeBitLevels[i >> 5], threeBitLevels[(i >> 2) & 7],
                twoBitLevels[i & 3], 255)) {
      return false;
    }
  }
  return true;
}

}  // namespace

bool BuildSourcePalette(const PALETTEENTRY* imagePalette, D3DCOLOR colorKey,
                        PALETTEENTRY sourcePalette[paletteSize]) {
  if (imagePalette == nullptr) {
    for (UINT i = 0; i < paletteSize; ++i) sourcePalette[i] = PALETTEENTRY{255, 255, 255, 255};
    return false;
  }
  const BYTE keyAlpha = static_cast<BYTE>(colorKey >> 24);
  const BYTE keyRed = static_cast<BYTE>(colorKey >> 16);
  const BYTE keyGreen = static_cast<BYTE>(colorKey >> 8);
  const BYTE keyBlue = static_cast<BYTE>(colorKey);
  for (UINT i = 0; i < paletteSize; ++i) {
    const PALETTEENTRY& entry = imagePalette[i];
    const bool keyed = Equals(entry, keyRed, keyGreen, keyBlue, keyAlpha);
    sourcePalette[i] = keyed ? PALETTEENTRY{0, 0, 0, 0} : entry;
  }
  return true;
}

D3DFORMAT FormatSpelledByPalette(const PALETTEENTRY palette[paletteSize]) {
  if (IsGreyRamp(palette)) return D3DFMT_L8;
  if (IsColourCube332(palette)) return D3DFMT_R3G3B2;
  return D3DFMT_P8;
}

bool HasTranslucentEntry(const PALETTEENTRY palette[paletteSize]) {
  for (UINT i = 0; i < paletteSize; ++i) {
    if (palette[i].peFlags != 255) return true;
  }
  return false;
}
