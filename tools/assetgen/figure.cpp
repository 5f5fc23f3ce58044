#include "tools/assetgen/figure.h"

#include <algorithm>
#include <cmath>

Vec3 operator+(Vec3 a, Vec3 b) { return Vec3{a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec3 operator-(Vec3 a, Vec3 b) { return Vec3{a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec3 operator*(Vec3 a, float s) { return Vec3{a.x * s, a.y * s, a.z * s}; }
Vec3 Lerp(Vec3 a, Vec3 b, float t) { return a + (b - a) * t; }
float Dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

Vec3 Normalize(Vec3 v) {
  const float length = std::sqrt(Dot(v, v));
  return length > 0 ? v * (1 / length) : v;
}

Vec3 Cross(Vec3 a, Vec3 b) {
  return Vec3{a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

float Smooth(float t) {
  t = std::clamp(t, 0.0f, 1.0f);
  return t * t * (3 - 2 * t);
}

Facing Facing::Turned(float angle) const {
  const float c = std::cos(angle), s = std::sin(angle);
  // Turning toward the right hand: the front leans into `right`.
  const Vec3 f = forward * c + right * s;
  return Facing{f, Vec3{f.y, -f.x, 0}};
}

Vec3 Facing::At(Vec3 origin, float fwd, float side, float up) const {
  return origin + forward * fwd + right * side + Vec3{0, 0, up};
}

Facing FacingOf(int direction) {
  constexpr float h = 0.70710678f;
  Vec3 f{0, -1, 0};  // toward the viewer
  switch (direction) {
    case 0: f = {h, h, 0}; break;
    case 2: f = {h, -h, 0}; break;
    case 4: f = {-h, -h, 0}; break;
    case 6: f = {-h, h, 0}; break;
    default: break;
  }
  // The right hand of a figure looking along f, with z up.
  return Facing{f, Vec3{f.y, -f.x, 0}};
}

Vec2 Project(Vec3 p, float feetX, float feetY) {
  return Vec2{feetX + p.x, feetY - p.z - p.y * 0.5f};
}

void PartList::Add(float depth, std::function<void(Canvas&)> draw) {
  parts_.push_back(Part{depth, std::move(draw)});
}

void PartList::DrawAll(Canvas& layer) {
  std::stable_sort(parts_.begin(), parts_.end(),
                   [](const Part& a, const Part& b) { return a.depth > b.depth; });
  for (const Part& p : parts_) p.draw(layer);
}

void Rod(Canvas& c, Vec2 a, Vec2 b, float r, const Ramp& ramp) {
  FillCapsule(c, a, b, r + 1, ramp.dark);
  ShadeCapsule(c, a, b, r, ramp);
}

void Ball(Canvas& c, Vec2 centre, float rx, float ry, const Ramp& ramp) {
  FillEllipse(c, centre.x, centre.y, rx + 1, ry + 1, ramp.dark);
  ShadeEllipse(c, centre.x, centre.y, rx, ry, ramp);
}
