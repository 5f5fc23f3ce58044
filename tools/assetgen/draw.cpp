#include "tools/assetgen/draw.h"

#include <algorithm>
#include <cmath>

namespace {

// Toward the light: upper left and somewhat out of the picture.
constexpr float kLightX = -0.48f, kLightY = -0.62f, kLightZ = 0.62f;

struct Box {
  int left, top, right, bottom;  // right and bottom exclusive
};

Box Bounds(float cx, float cy, float rx, float ry) {
  return Box{int(std::floor(cx - rx)) - 1, int(std::floor(cy - ry)) - 1,
             int(std::ceil(cx + rx)) + 1, int(std::ceil(cy + ry)) + 1};
}

// Offset of a pixel centre from the ellipse centre in radii; inside when its length is <= 1.
Vec2 EllipseOffset(int x, int y, float cx, float cy, float rx, float ry) {
  return Vec2{(float(x) + 0.5f - cx) / rx, (float(y) + 0.5f - cy) / ry};
}

// The point of segment a-b nearest to p.
Vec2 Nearest(Vec2 a, Vec2 b, Vec2 p) {
  const float dx = b.x - a.x, dy = b.y - a.y;
  const float length2 = dx * dx + dy * dy;
  float t = length2 > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / length2 : 0;
  t = std::clamp(t, 0.0f, 1.0f);
  return Vec2{a.x + t * dx, a.y + t * dy};
}

template <typename PerPixel>
void ForCapsule(Vec2 a, Vec2 b, float r, PerPixel perPixel) {
  const int left = int(std::floor(std::min(a.x, b.x) - r)) - 1;
  const int right = int(std::ceil(std::max(a.x, b.x) + r)) + 1;
  const int top = int(std::floor(std::min(a.y, b.y) - r)) - 1;
  const int bottom = int(std::ceil(std::max(a.y, b.y) + r)) + 1;
  for (int y = top; y < bottom; ++y) {
    for (int x = left; x < right; ++x) {
      const Vec2 p{float(x) + 0.5f, float(y) + 0.5f};
      const Vec2 n = Nearest(a, b, p);
      const float ox = (p.x - n.x) / r, oy = (p.y - n.y) / r;
      if (ox * ox + oy * oy <= 1.0f) perPixel(x, y, ox, oy);
    }
  }
}

}  // namespace

int ToneIndex(float nx, float ny, float nz) {
  const float lit = nx * kLightX + ny * kLightY + nz * kLightZ;
  if (lit > 0.78f) return 3;
  if (lit > 0.32f) return 2;
  if (lit > -0.12f) return 1;
  return 0;
}

Rgba Tone(const Ramp& ramp, int index) {
  switch (index) {
    case 0: return ramp.dark;
    case 1: return ramp.shade;
    case 2: return ramp.base;
    default: return ramp.light;
  }
}

uint32_t Hash(int x, int y, uint32_t seed) {
  uint32_t h = uint32_t(x) * 0x8DA6B343u ^ uint32_t(y) * 0xD8163841u ^ seed * 0xCB1AB31Fu;
  h ^= h >> 15;
  h *= 0x2C1B3C6Du;
  h ^= h >> 12;
  h *= 0x297A2D39u;
  h ^= h >> 15;
  return h;
}

void FillRect(Canvas& c, int left, int top, int right, int bottom, Rgba colour) {
  for (int y = top; y < bottom; ++y) {
    for (int x = left; x < right; ++x) c.Set(x, y, colour);
  }
}

void FillEllipse(Canvas& c, float cx, float cy, float rx, float ry, Rgba colour) {
  const Box box = Bounds(cx, cy, rx, ry);
  for (int y = box.top; y < box.bottom; ++y) {
    for (int x = box.left; x < box.right; ++x) {
      const Vec2 o = EllipseOffset(x, y, cx, cy, rx, ry);
      if (o.x * o.x + o.y * o.y <= 1.0f) c.Set(x, y, colour);
    }
  }
}

void ShadeEllipse(Canvas& c, float cx, float cy, float rx, float ry, const Ramp& ramp) {
  const Box box = Bounds(cx, cy, rx, ry);
  for (int y = box.top; y < box.bottom; ++y) {
    for (int x = box.left; x < box.right; ++x) {
      const Vec2 o = EllipseOffset(x, y, cx, cy, rx, ry);
      const float d2 = o.x * o.x + o.y * o.y;
      if (d2 > 1.0f) continue;
      c.Set(x, y, Tone(ramp, ToneIndex(o.x, o.y, std::sqrt(1.0f - d2))));
    }
  }
}

void FillCapsule(Canvas& c, Vec2 a, Vec2 b, float r, Rgba colour) {
  ForCapsule(a, b, r, [&](int x, int y, float, float) { c.Set(x, y, colour); });
}

void ShadeCapsule(Canvas& c, Vec2 a, Vec2 b, float r, const Ramp& ramp) {
  ForCapsule(a, b, r, [&](int x, int y, float ox, float oy) {
    const float nz = std::sqrt(std::max(0.0f, 1.0f - ox * ox - oy * oy));
    c.Set(x, y, Tone(ramp, ToneIndex(ox, oy, nz)));
  });
}

void FillPolygon(Canvas& c, const std::vector<Vec2>& points, Rgba colour) {
  if (points.size() < 3) return;
  float top = points[0].y, bottom = points[0].y;
  for (const Vec2& p : points) {
    top = std::min(top, p.y);
    bottom = std::max(bottom, p.y);
  }
  std::vector<float> crossings;
  for (int y = int(std::floor(top)); y <= int(std::ceil(bottom)); ++y) {
    const float sy = float(y) + 0.5f;
    crossings.clear();
    for (size_t i = 0; i < points.size(); ++i) {
      const Vec2 a = points[i], b = points[(i + 1) % points.size()];
      if ((a.y <= sy) == (b.y <= sy)) continue;
      crossings.push_back(a.x + (sy - a.y) / (b.y - a.y) * (b.x - a.x));
    }
    std::sort(crossings.begin(), crossings.end());
    for (size_t i = 0; i + 1 < crossings.size(); i += 2) {
      // Pixels whose centres lie between the two crossings.
      const int from = int(std::ceil(crossings[i] - 0.5f));
      const int to = int(std::ceil(crossings[i + 1] - 0.5f));
      for (int x = from; x < to; ++x) c.Set(x, y, colour);
    }
  }
}

void Line(Canvas& c, int x0, int y0, int x1, int y1, Rgba colour) {
  const int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
  const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
  int error = dx + dy;
  for (;;) {
    c.Set(x0, y0, colour);
    if (x0 == x1 && y0 == y1) return;
    const int e2 = 2 * error;
    if (e2 >= dy) {
      error += dy;
      x0 += sx;
    }
    if (e2 <= dx) {
      error += dx;
      y0 += sy;
    }
  }
}

void DitherEllipse(Canvas& c, float cx, float cy, float rx, float ry, Rgba colour) {
  const Box box = Bounds(cx, cy, rx, ry);
  for (int y = box.top; y < box.bottom; ++y) {
    for (int x = box.left; x < box.right; ++x) {
      const Vec2 o = EllipseOffset(x, y, cx, cy, rx, ry);
      if (o.x * o.x + o.y * o.y <= 1.0f && ((x + y) & 1) == 0) c.Set(x, y, colour);
    }
  }
}

void Outline(Canvas& layer, Rgba colour) {
  const Canvas before = layer;
  for (int y = 0; y < layer.height(); ++y) {
    for (int x = 0; x < layer.width(); ++x) {
      if (before.Get(x, y).opaque()) continue;
      if (before.Get(x - 1, y).opaque() || before.Get(x + 1, y).opaque() ||
          before.Get(x, y - 1).opaque() || before.Get(x, y + 1).opaque()) {
        layer.Set(x, y, colour);
      }
    }
  }
}

void StampOutlined(Canvas& target, Canvas layer, Rgba ink) {
  Outline(layer, ink);
  target.Stamp(layer, 0, 0);
}

void InnerRim(Canvas& layer, Rgba colour) {
  const Canvas before = layer;
  for (int y = 0; y < layer.height(); ++y) {
    for (int x = 0; x < layer.width(); ++x) {
      if (!before.Get(x, y).opaque()) continue;
      if (!before.Get(x - 1, y).opaque() || !before.Get(x + 1, y).opaque() ||
          !before.Get(x, y - 1).opaque() || !before.Get(x, y + 1).opaque()) {
        layer.Set(x, y, colour);
      }
    }
  }
}
