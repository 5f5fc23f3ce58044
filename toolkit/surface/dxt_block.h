// Encoding and decoding of single 4 x 4 blocks of the block-compressed formats.
//
// A colour block is two 5:6:5 end points and 2-bit indices (pixel i at bits 2i): four
// colours, the end points and their thirds, or in the DXT1 three-colour mode (first end point
// not above the second) the end points, their half and transparent black. DXT2 and DXT3 add
// explicit 4-bit alphas; DXT4 and DXT5 two alpha end points and 3-bit indices. Pixels of a
// block are in row order, 16 of them.
#pragma once

#include "platform/win32/types.h"
#include "toolkit/surface/pixel_region.h"

enum class ColourBlockMode {
  // DXT1: the end-point order selects the four- or three-colour mode.
  Dxt1,
  // DXT2 ... DXT5: always four colours.
  FourColours,
};

void DecodeColourBlock(const BYTE* block, ColourBlockMode mode, FloatPixel* pixels);
// Fits end points to the pixels' colours. For Dxt1, pixels with alpha below 0.5 make a
// three-colour block in which they are transparent black.
void EncodeColourBlock(const FloatPixel* pixels, ColourBlockMode mode, BYTE* block);

// Alphas of DXT2 and DXT3: 16 values of 4 bits. These set or read only a.
void DecodeExplicitAlpha(const BYTE* block, FloatPixel* pixels);
void EncodeExplicitAlpha(const FloatPixel* pixels, BYTE* block);

// Alphas of DXT4 and DXT5: two end points and 3-bit indices.
void DecodeInterpolatedAlpha(const BYTE* block, FloatPixel* pixels);
void EncodeInterpolatedAlpha(const FloatPixel* pixels, BYTE* block);

// The squared RGB error of the colour block `block` against `pixels`, as decoded.
float ColourBlockError(const BYTE* block, ColourBlockMode mode, const FloatPixel* pixels);
