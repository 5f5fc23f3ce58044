#include <algorithm>
#include <cmath>

#include "platform/d3d9/raster/depth_stencil.h"
#include "platform/d3d9/raster/raster.h"
#include "platform/d3d9/raster/texture_stages.h"

namespace d3d9 {
namespace {

// lround clamped to 0..255, without the library call: below 0.5 (and NaN) is 0, and in
// between, value + 0.5 is exact enough that truncating it rounds halves away from zero.
int ClampChannel(double value) {
  if (!(value >= 0.5)) return 0;
  if (value >= 254.5) return 255;
  return int(value + 0.5);
}

struct Edge {
  std::int64_t ax, ay, dx, dy;
  std::int64_t threshold;  // 0 on top and left edges, 1 elsewhere
};

Edge MakeEdge(std::int64_t ax, std::int64_t ay, std::int64_t bx, std::int64_t by) {
  const std::int64_t dx = bx - ax;
  const std::int64_t dy = by - ay;
  const bool topLeft = (dy == 0 && dx > 0) || dy < 0;
  return {ax, ay, dx, dy, topLeft ? 0 : 1};
}

// Limits [left, right] to the pixels of row `py` inside the edge.
void LimitSpan(const Edge& e, std::int64_t py, std::int64_t& left, std::int64_t& right) {
  const std::int64_t c = e.dx * (py * subPixel - e.ay) + e.dy * e.ax;
  if (e.dy == 0) {
    if (c < e.threshold) right = left - 1;
  } else if (e.dy < 0) {
    left = std::max(left, CeilDiv(e.threshold - c, -e.dy * subPixel));
  } else {
    right = std::min(right, FloorDiv(c - e.threshold, e.dy * subPixel));
  }
}

// The plane of one attribute over the triangle: value at a point and its gradients.
struct Plane {
  double origin, dx, dy;
  double At(double x, double y, double x0, double y0) const {
    return origin + dx * (x - x0) + dy * (y - y0);
  }
};

struct Setup {
  double x0, y0;
  Plane attributes[attributeCount];
  Plane q;
  Plane z;  // linear in screen space, for projected and pre-transformed vertices alike
  bool perspective;
  bool constantColour;
  std::uint32_t colour;
  float lod;  // for affine triangles
};

Plane MakePlane(double f0, double f1, double f2, double x0, double y0, double x1, double y1,
                double x2, double y2, double det) {
  const double dx = ((f1 - f0) * (y2 - y0) - (f2 - f0) * (y1 - y0)) / det;
  const double dy = ((f2 - f0) * (x1 - x0) - (f1 - f0) * (x2 - x0)) / det;
  return {f0, dx, dy};
}

Setup MakeSetup(const RasterContext& context, const RasterVertex* v[3], const double sx[3],
                const double sy[3]) {
  Setup s{};
  s.x0 = sx[0];
  s.y0 = sy[0];
  const double det = (sx[1] - sx[0]) * (sy[2] - sy[0]) - (sx[2] - sx[0]) * (sy[1] - sy[0]);
  const double q0 = v[0]->q, q1 = v[1]->q, q2 = v[2]->q;
  s.perspective = !(q0 == q1 && q1 == q2) && q0 > 0.0 && q1 > 0.0 && q2 > 0.0;
  const auto weight = [&](int i) { return s.perspective ? v[i]->q : 1.0; };
  const int count = context.stages != nullptr ? attributeCount : basicAttributeCount;
  for (int a = 0; a < count; ++a) {
    const bool colour = IsColourSlot(a);
    // Flat shading takes the colour of the first vertex.
    if (colour && context.flatShading) {
      s.attributes[a] = {v[0]->attributes[a], 0.0, 0.0};
      continue;
    }
    s.attributes[a] = MakePlane(v[0]->attributes[a] * weight(0), v[1]->attributes[a] * weight(1),
                                v[2]->attributes[a] * weight(2), sx[0], sy[0], sx[1], sy[1], sx[2],
                                sy[2], det);
  }
  s.q = MakePlane(q0, q1, q2, sx[0], sy[0], sx[1], sy[1], sx[2], sy[2], det);
  if (context.depthStencil != nullptr) {
    s.z = MakePlane(v[0]->z, v[1]->z, v[2]->z, sx[0], sy[0], sx[1], sy[1], sx[2], sy[2], det);
  }
  s.constantColour = context.flatShading || (!s.perspective && [&] {
    for (int a = 0; a <= attrAlpha; ++a) {
      if (s.attributes[a].dx != 0.0 || s.attributes[a].dy != 0.0) return false;
    }
    return true;
  }());
  if (s.constantColour) {
    double flat[attributeCount] = {};
    for (int a = 0; a <= attrAlpha; ++a) flat[a] = context.flatShading ? v[0]->attributes[a] : s.attributes[a].origin;
    s.colour = PackColour(flat);
  }
  if (context.sampler != nullptr && !s.perspective) {
    const Plane& u = s.attributes[attrU];
    const Plane& vv = s.attributes[attrV];
    s.lod = context.sampler->LevelOfDetail(u.dx, vv.dx, u.dy, vv.dy);
  }
  return s;
}

// ShadeSpan through the texture stages: every attribute and its derivatives on screen.
void ShadeStagedSpan(const RasterContext& context, const Setup& s, std::int64_t py,
                     std::int64_t left, std::int64_t right) {
  std::uint32_t* row = context.pixels + std::ptrdiff_t(py) * context.pitch;
  const double y = double(py);
  const PixelPipeline& pipeline = *context.pipeline;
  const DepthStencil* depth = context.depthStencil;
  double values[attributeCount], ddx[attributeCount], ddy[attributeCount];
  for (std::int64_t px = left; px <= right; ++px) {
    const double x = double(px);
    const auto shade = [&] {
      const double q = s.perspective ? s.q.At(x, y, s.x0, s.y0) : 1.0;
      for (int a = 0; a < attributeCount; ++a) {
        const Plane& plane = s.attributes[a];
        values[a] = plane.At(x, y, s.x0, s.y0);
        ddx[a] = plane.dx;
        ddy[a] = plane.dy;
        if (s.perspective) {
          values[a] /= q;
          ddx[a] = (ddx[a] - values[a] * s.q.dx) / q;
          ddy[a] = (ddy[a] - values[a] * s.q.dy) / q;
        }
      }
      return context.stages->Shade(values, ddx, ddy);
    };
    if (depth == nullptr) {
      pipeline.Write(row + px, shade());
    } else {
      depth->Draw(pipeline, row + px, px, py, s.z.At(x, y, s.x0, s.y0), shade);
    }
  }
}

// Shades pixels [left, right] of row `py`.
void ShadeSpan(const RasterContext& context, const Setup& s, std::int64_t py, std::int64_t left,
               std::int64_t right) {
  if (context.stages != nullptr) return ShadeStagedSpan(context, s, py, left, right);
  std::uint32_t* row = context.pixels + std::ptrdiff_t(py) * context.pitch;
  const PixelPipeline& pipeline = *context.pipeline;
  const Sampler* sampler = pipeline.ReadsTexture() ? context.sampler : nullptr;
  const double y = double(py);
  const DepthStencil* depth = context.depthStencil;
  for (std::int64_t px = left; px <= right; ++px) {
    const double x = double(px);
    const auto shade = [&] {
      double values[basicAttributeCount];
      double q = 1.0;
      if (s.perspective) q = s.q.At(x, y, s.x0, s.y0);
      for (int a = 0; a < basicAttributeCount; ++a) {
        values[a] = s.attributes[a].At(x, y, s.x0, s.y0);
        if (s.perspective) values[a] /= q;
      }
      const std::uint32_t diffuse = s.constantColour ? s.colour : PackColour(values);
      std::uint32_t texel = 0;
      if (sampler != nullptr) {
        float lod = s.lod;
        if (s.perspective) {
          const Plane& u = s.attributes[attrU];
          const Plane& v = s.attributes[attrV];
          const double dudx = (u.dx - values[attrU] * s.q.dx) / q;
          const double dvdx = (v.dx - values[attrV] * s.q.dx) / q;
          const double dudy = (u.dy - values[attrU] * s.q.dy) / q;
          const double dvdy = (v.dy - values[attrV] * s.q.dy) / q;
          lod = sampler->LevelOfDetail(dudx, dvdx, dudy, dvdy);
        }
        texel = sampler->Sample(values[attrU], values[attrV], lod);
      }
      return pipeline.Combine(texel, diffuse);
    };
    if (depth == nullptr) {
      pipeline.Write(row + px, shade());
    } else {
      depth->Draw(pipeline, row + px, px, py, s.z.At(x, y, s.x0, s.y0), shade);
    }
  }
}

}  // namespace

// Rounds half away from zero, as llround does, without the library call.
std::uint32_t PackColour(const double* attributes) {
  return (std::uint32_t(ClampChannel(attributes[attrAlpha])) << 24) |
         (std::uint32_t(ClampChannel(attributes[attrRed])) << 16) |
         (std::uint32_t(ClampChannel(attributes[attrGreen])) << 8) |
         std::uint32_t(ClampChannel(attributes[attrBlue]));
}

// A positive area winds clockwise on screen (y grows downward).
bool IsCulled(DWORD cullMode, std::int64_t signedArea) {
  if (cullMode == D3DCULL_CCW) return signedArea < 0;
  if (cullMode == D3DCULL_CW) return signedArea > 0;
  return false;
}

void RasterizeTriangle(const RasterContext& context, const RasterVertex& a, const RasterVertex& b,
                       const RasterVertex& c) {
  if (context.fillMode == D3DFILL_POINT || context.fillMode == D3DFILL_WIREFRAME) {
    const RasterVertex corners[3] = {a, b, c};
    static constexpr bool original[3] = {true, true, true};
    DrawPolygonOutline(context, corners, original, 3);
    return;
  }
  const RasterVertex* v[3] = {&a, &b, &c};
  for (const RasterVertex* vertex : v) {
    if (!std::isfinite(vertex->x) || !std::isfinite(vertex->y)) return;
  }
  std::int64_t xs[3], ys[3];
  for (int i = 0; i < 3; ++i) {
    xs[i] = Snap(v[i]->x);
    ys[i] = Snap(v[i]->y);
  }
  std::int64_t area = (xs[1] - xs[0]) * (ys[2] - ys[0]) - (xs[2] - xs[0]) * (ys[1] - ys[0]);
  if (area == 0 || IsCulled(context.cullMode, area)) return;
  if (area < 0) {
    std::swap(v[1], v[2]);
    std::swap(xs[1], xs[2]);
    std::swap(ys[1], ys[2]);
  }
  const std::int64_t top =
      std::max<std::int64_t>(context.clip.top, CeilPixel(*std::min_element(ys, ys + 3)));
  const std::int64_t bottom =
      std::min<std::int64_t>(context.clip.bottom - 1, FloorPixel(*std::max_element(ys, ys + 3)));
  const std::int64_t leftmost =
      std::max<std::int64_t>(context.clip.left, CeilPixel(*std::min_element(xs, xs + 3)));
  const std::int64_t rightmost =
      std::min<std::int64_t>(context.clip.right - 1, FloorPixel(*std::max_element(xs, xs + 3)));
  if (top > bottom || leftmost > rightmost) return;
  const Edge edges[3] = {MakeEdge(xs[0], ys[0], xs[1], ys[1]), MakeEdge(xs[1], ys[1], xs[2], ys[2]),
                         MakeEdge(xs[2], ys[2], xs[0], ys[0])};
  double sx[3], sy[3];
  for (int i = 0; i < 3; ++i) {
    sx[i] = Unsnap(xs[i]);
    sy[i] = Unsnap(ys[i]);
  }
  const Setup setup = MakeSetup(context, v, sx, sy);
  for (std::int64_t py = top; py <= bottom; ++py) {
    std::int64_t left = leftmost;
    std::int64_t right = rightmost;
    for (const Edge& edge : edges) LimitSpan(edge, py, left, right);
    if (left <= right) ShadeSpan(context, setup, py, left, right);
  }
}

}  // namespace d3d9
