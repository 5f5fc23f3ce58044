#include "tools/assetgen/canvas.h"

Canvas::Canvas(int width, int height)
    : width_(width), height_(height), pixels_(size_t(width) * size_t(height)) {}

Rgba Canvas::Get(int x, int y) const {
  if (!Contains(x, y)) return kClear;
  return pixels_[size_t(y) * size_t(width_) + size_t(x)];
}

void Canvas::Set(int x, int y, Rgba c) {
  if (!Contains(x, y)) return;
  pixels_[size_t(y) * size_t(width_) + size_t(x)] = c;
}

void Canvas::Blend(int x, int y, Rgba c, int coverage) {
  if (!Contains(x, y) || coverage <= 0) return;
  if (coverage >= 255) return Set(x, y, Rgba{c.r, c.g, c.b, 255});
  const Rgba d = Get(x, y);
  auto mix = [coverage](int top, int under) {
    return uint8_t((top * coverage + under * (255 - coverage) + 127) / 255);
  };
  Set(x, y, Rgba{mix(c.r, d.r), mix(c.g, d.g), mix(c.b, d.b), 255});
}

void Canvas::Stamp(const Canvas& layer, int x, int y) {
  for (int ly = 0; ly < layer.height(); ++ly) {
    for (int lx = 0; lx < layer.width(); ++lx) {
      const Rgba c = layer.Get(lx, ly);
      if (c.opaque()) Set(x + lx, y + ly, c);
    }
  }
}
