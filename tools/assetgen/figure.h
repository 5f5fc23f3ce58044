// Figures posed in three dimensions and drawn from the game's viewpoint.
//
// World space: x to the right of the screen, y away from the viewer, z up, in pixels; the
// figure's feet stand at the origin. The camera looks down a little, as the map's projection
// does: a step of 2 away from the viewer rises 1 pixel on screen. Parts are collected with the
// depth of their middle and drawn from the farthest to the nearest.
#pragma once

#include <functional>
#include <vector>

#include "tools/assetgen/canvas.h"
#include "tools/assetgen/draw.h"

struct Vec3 {
  float x = 0, y = 0, z = 0;
};

Vec3 operator+(Vec3 a, Vec3 b);
Vec3 operator-(Vec3 a, Vec3 b);
Vec3 operator*(Vec3 a, float s);
Vec3 Lerp(Vec3 a, Vec3 b, float t);
Vec3 Normalize(Vec3 v);
Vec3 Cross(Vec3 a, Vec3 b);
float Dot(Vec3 a, Vec3 b);
// 0..1 eased in and out.
float Smooth(float t);

// A figure's orientation: unit vectors of its front and its right hand, both level.
struct Facing {
  Vec3 forward, right;
  // Turned about the vertical by `angle` radians (positive turns the front to the right).
  Facing Turned(float angle) const;
  // The point `fwd` ahead, `side` to the right and `up` above `origin`.
  Vec3 At(Vec3 origin, float fwd, float side, float up) const;
};

// The facing of a direction code 0, 2, 4, 6 (up-right, down-right, down-left, up-left);
// 3 is straight toward the viewer.
Facing FacingOf(int direction);

// Screen point of a world point for feet at (feetX, feetY) in the frame.
Vec2 Project(Vec3 p, float feetX, float feetY);

class PartList {
 public:
  void Add(float depth, std::function<void(Canvas&)> draw);
  // Draws every part, farthest first; parts at equal depth in the order they were added.
  void DrawAll(Canvas& layer);

 private:
  struct Part {
    float depth;
    std::function<void(Canvas&)> draw;
  };
  std::vector<Part> parts_;
};

// A limb segment: a shaded rod with a rim of its ramp's darkest tone, so that it stands apart
// from what lies behind it.
void Rod(Canvas& c, Vec2 a, Vec2 b, float r, const Ramp& ramp);
// A ball with the same rim.
void Ball(Canvas& c, Vec2 centre, float rx, float ry, const Ramp& ramp);
