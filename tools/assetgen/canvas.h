// A picture being drawn: straight RGBA pixels, alpha either 0 (transparent) or 255 (opaque)
// everywhere but inside lettering blended over opaque ground. Reads outside the picture give
// transparent pixels; writes outside it are dropped, so shapes may cross the edges freely.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Rgba {
  uint8_t r = 0, g = 0, b = 0, a = 0;

  constexpr bool operator==(const Rgba&) const = default;
  constexpr bool opaque() const { return a == 255; }
};

// An opaque colour from 0xRRGGBB.
constexpr Rgba Hex(uint32_t rgb) {
  return Rgba{uint8_t(rgb >> 16), uint8_t(rgb >> 8), uint8_t(rgb), 255};
}

constexpr Rgba kClear{};

class Canvas {
 public:
  Canvas() = default;
  Canvas(int width, int height);

  int width() const { return width_; }
  int height() const { return height_; }
  bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }

  Rgba Get(int x, int y) const;
  void Set(int x, int y, Rgba c);
  // Mixes c over the pixel with coverage 0..255 (for lettering on opaque ground).
  void Blend(int x, int y, Rgba c, int coverage);

  // Copies the opaque pixels of `layer` with its top-left corner at (x, y).
  void Stamp(const Canvas& layer, int x, int y);

  const std::vector<Rgba>& pixels() const { return pixels_; }

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<Rgba> pixels_;
};
