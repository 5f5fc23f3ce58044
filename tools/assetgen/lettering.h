// Lettering for the screen pictures: text set in a TrueType face through FreeType into a
// coverage mask, then laid onto a picture. Smooth masks are blended, so they may only go over
// opaque ground; hard masks (every pixel 0 or 255) suit enlarged pixel-art titles.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/assetgen/canvas.h"

struct TextMask {
  int width = 0, height = 0;
  std::vector<uint8_t> coverage;  // row by row, 0..255

  uint8_t At(int x, int y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) return 0;
    return coverage[size_t(y) * size_t(width) + size_t(x)];
  }
};

// The fonts the pictures are lettered in (Debian's fonts-dejavu-core).
extern const char kSerifBoldFont[];
extern const char kSerifFont[];

// Sets one line of text at `pixelSize` (em height in pixels), with kerning; `hard` renders
// without anti-aliasing. Throws std::runtime_error when the font cannot be loaded.
TextMask SetText(const char* fontPath, const std::string& text, int pixelSize, bool hard);

// Every pixel repeated `factor` times in each direction.
TextMask Enlarge(const TextMask& mask, int factor);
// Coverage spread by `radius` pixels (square neighbourhood): the ground of an outline.
TextMask Grow(const TextMask& mask, int radius);

// Lays the mask with its top-left corner at (x, y): colour mixed over the picture by coverage.
void Letter(Canvas& c, const TextMask& mask, int x, int y, Rgba colour);
// The same with a colour that runs from `top` to `bottom` over the mask's height, in bands.
void LetterGradient(Canvas& c, const TextMask& mask, int x, int y, Rgba top, Rgba bottom,
                    int bands);
