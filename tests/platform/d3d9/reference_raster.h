// A scalar model of Direct3D 9 rasterisation, written from its rules and sharing no code with
// the device, to draw the same scenes and compare frames pixel for pixel:
//
// - vertices are placed on a grid of 1/256 pixel; pixel (i, j) has its centre at (i, j);
// - a triangle covers the centres inside it; a centre on an edge only for a top edge (level,
//   with the triangle below it) or a left edge (the triangle to its right);
// - depth is interpolated linearly in screen space from the vertices' z, and stored as the
//   format keeps it: rounded to 2^n - 1 steps, or as a 32-bit float;
// - stencil test (ref & mask) FUNC (stored & mask), then depth test (incoming FUNC stored);
//   the operation of the outcome is written under the write mask, depth only on a pass;
// - a point covers the pixel centres of the square [x - 1/2, x + 1/2) x [y - 1/2, y + 1/2);
// - a line lights each pixel whose diamond |px - i| + |py - j| < 1/2 it passes through and
//   leaves, and with the last-pixel state also the pixel of its end point.
//
// Colours are one per primitive (the first vertex's), except on shaded lines, written as they
// are or blended by source alpha with exact rounding.
//
// Clipping: a primitive given in clip space (x, y, z, w) keeps its part inside the planes
// -g w <= x <= g w, -g w <= y <= g w (the guard band, g = 16384 / the viewport's size, always),
// 0 <= z <= w (near and far, while clipping is on) and w >= 1e-7, each cut point lying on its
// plane; it is then mapped through the viewport. Pre-transformed (screen) primitives are cut on
// |x| <= 16384 and |y| <= 16384 only. A clipped triangle is drawn as the polygon that is left:
// filled, as its outline (wireframe), or as the corners of the triangle that remain (point
// fill); a clipped line has no last pixel where it was cut.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/d3d9/d3d9.h"

namespace reference {

struct Vertex {
  double x, y, z;
  std::uint32_t colour;  // 0xAARRGGBB
};

struct ShadedEnd {
  double x, y, z, q;
  std::uint32_t colour;
};

struct ClipVertex {
  double x, y, z, w;
  std::uint32_t colour;
};

struct Viewport {
  double x, y, width, height, minZ, maxZ;
};

enum class DepthKind { Unorm16, Unorm24, Unorm32, Float32 };

struct States {
  DWORD cull = D3DCULL_NONE;
  DWORD fill = D3DFILL_SOLID;
  bool lastPixel = true;
  bool zEnable = false;
  bool zWrite = true;
  DWORD zFunc = D3DCMP_LESSEQUAL;
  bool stencilEnable = false;
  DWORD stencilFunc = D3DCMP_ALWAYS;
  std::uint32_t stencilRef = 0;
  std::uint32_t stencilMask = 0xFF;
  std::uint32_t stencilWriteMask = 0xFF;
  DWORD stencilFail = D3DSTENCILOP_KEEP;
  DWORD stencilZFail = D3DSTENCILOP_KEEP;
  DWORD stencilPass = D3DSTENCILOP_KEEP;
  bool blend = false;  // source alpha, inverse source alpha
};

class Frame {
 public:
  Frame(int width, int height, DepthKind depth);

  void Clear(std::uint32_t colour, double z, std::uint32_t stencil);
  void ClearRect(int left, int top, int right, int bottom, bool depth, double z, bool stencil,
                 std::uint32_t value);
  void Triangle(const States& states, const Vertex& a, const Vertex& b, const Vertex& c);
  void Point(const States& states, const Vertex& p);
  void Line(const States& states, const Vertex& from, const Vertex& to, bool lastPixel);
  // A convex polygon's outline (wireframe) or its corners marked `original` (point fill),
  // culled by its winding.
  void Outline(const States& states, const std::vector<Vertex>& corners,
               const std::vector<bool>& original);

  void ClippedTriangle(const States& states, const Viewport& viewport, bool clipping,
                       const ClipVertex& a, const ClipVertex& b, const ClipVertex& c);
  void ClippedLine(const States& states, const Viewport& viewport, bool clipping,
                   const ClipVertex& from, const ClipVertex& to, bool lastPixel);
  void ScreenLine(const States& states, const Vertex& from, const Vertex& to, bool lastPixel);
  // A line whose colour goes from one end's to the other's, linearly in space: by the ends'
  // reciprocal w q.
  void ShadedLine(const States& states, const ShadedEnd& from, const ShadedEnd& to,
                  bool lastPixel);

  // 0x00RRGGBB
  std::uint32_t ColourAt(int x, int y) const { return colour[Index(x, y)] & 0xFFFFFF; }
  // As a lock of the format shows it: the 16-bit value, or the float's bits.
  std::uint32_t DepthAt(int x, int y) const { return depth[Index(x, y)]; }
  std::uint32_t StencilAt(int x, int y) const { return stencil[Index(x, y)]; }
  int Width() const { return width; }
  int Height() const { return height; }

 private:
  std::size_t Index(int x, int y) const { return std::size_t(y) * std::size_t(width) + std::size_t(x); }
  std::uint32_t Stored(double z) const;
  bool Ordered(std::uint32_t incoming, std::uint32_t stored, DWORD func) const;
  void Pixel(const States& states, int x, int y, double z, std::uint32_t colour);
  // The line's pixels, each with the colour a fraction t of the way along.
  void LineShadedBy(const States& states, const Vertex& from, const Vertex& to, bool lastPixel,
                    const std::function<std::uint32_t(double t)>& colourAt);

  int width;
  int height;
  DepthKind kind;
  std::vector<std::uint32_t> colour;
  std::vector<std::uint32_t> depth;
  std::vector<std::uint32_t> stencil;
};

}  // namespace reference
