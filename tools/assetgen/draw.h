// The drawing primitives every picture family is made of. Shapes are sampled at pixel centres
// and written whole-pixel opaque, never blended, so edges stay hard: the pictures are pixel art
// and their transparent pixels must carry the colour key exactly.
//
// Light falls from the upper left, a little from the front; shaded shapes pick one of the four
// tones of a Ramp by how much their surface turns to it.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/assetgen/canvas.h"

struct Vec2 {
  float x = 0, y = 0;
};

// Four tones of one material, dark to light.
struct Ramp {
  Rgba dark, shade, base, light;
};

// Tone 0..3 of a surface with unit normal (nx, ny, nz); y grows downward, z toward the viewer.
int ToneIndex(float nx, float ny, float nz);
Rgba Tone(const Ramp& ramp, int index);

// A deterministic value 0..2^32-1 for a pixel and a seed, for scattered detail.
uint32_t Hash(int x, int y, uint32_t seed);

void FillRect(Canvas& c, int left, int top, int right, int bottom, Rgba colour);
void FillEllipse(Canvas& c, float cx, float cy, float rx, float ry, Rgba colour);
// A ball seen from the front: shaded as a sphere squashed to the ellipse.
void ShadeEllipse(Canvas& c, float cx, float cy, float rx, float ry, const Ramp& ramp);
// A rounded rod of radius r from a to b.
void FillCapsule(Canvas& c, Vec2 a, Vec2 b, float r, Rgba colour);
// The rod shaded as a cylinder with round ends.
void ShadeCapsule(Canvas& c, Vec2 a, Vec2 b, float r, const Ramp& ramp);
// Even-odd fill of a closed polygon.
void FillPolygon(Canvas& c, const std::vector<Vec2>& points, Rgba colour);
// A one-pixel line from (x0, y0) to (x1, y1), both ends included.
void Line(Canvas& c, int x0, int y0, int x1, int y1, Rgba colour);
// A checkerboard of `colour` over the ellipse: a shadow that lets any ground show through.
void DitherEllipse(Canvas& c, float cx, float cy, float rx, float ry, Rgba colour);

// Rings every opaque region with `colour` on the transparent pixels that touch it side-on.
void Outline(Canvas& layer, Rgba colour);
// Rings `layer`'s shapes with `ink` and lays them over `target`.
void StampOutlined(Canvas& target, Canvas layer, Rgba ink);
// Paints, in `colour`, the opaque pixels that border a transparent one: a part's own rim,
// drawn before the part joins a figure so that overlapping parts stay apart.
void InnerRim(Canvas& layer, Rgba colour);
