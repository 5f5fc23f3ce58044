// Points, lines and the outlines of triangles, shaded through the same pixel pipeline
// (texture read at the interpolated coordinates, level 0) and the depth and stencil tests.
// Positions are snapped to 1/256 of a pixel as triangles' are, so the rules below are decided
// in integers.
#include <algorithm>
#include <cmath>

#include "platform/d3d9/raster/depth_stencil.h"
#include "platform/d3d9/raster/raster.h"
#include "platform/d3d9/raster/texture_stages.h"

namespace d3d9 {
namespace {

bool Inside(const RECT& clip, std::int64_t x, std::int64_t y) {
  return x >= clip.left && x < clip.right && y >= clip.top && y < clip.bottom;
}

void ShadePixel(const RasterContext& context, std::int64_t x, std::int64_t y, double z,
                const double attributes[attributeCount]) {
  if (!Inside(context.clip, x, y)) return;
  const PixelPipeline& pipeline = *context.pipeline;
  const auto shade = [&] {
    if (context.stages != nullptr) {
      // A point or line has no footprint: textures are magnified.
      static constexpr double still[attributeCount] = {};
      return context.stages->Shade(attributes, still, still);
    }
    std::uint32_t texel = 0;
    if (pipeline.ReadsTexture() && context.sampler != nullptr) {
      texel = context.sampler->Sample(attributes[attrU], attributes[attrV], 0.0f);
    }
    return pipeline.Combine(texel, PackColour(attributes));
  };
  std::uint32_t* target = context.pixels + std::ptrdiff_t(y) * context.pitch + x;
  if (context.depthStencil == nullptr) {
    pipeline.Write(target, shade());
  } else {
    context.depthStencil->Draw(pipeline, target, x, y, z, shade);
  }
}

bool Finite(const RasterVertex& v) { return std::isfinite(v.x) && std::isfinite(v.y); }

// A snapped line and the diamond rule: the diamond of pixel (x, y) is the open square
// |px - x| + |py - y| < 1/2 around its centre, and the line lights the pixel when it passes
// through the diamond and ends outside it.
struct Segment {
  std::int64_t x0, y0, x1, y1;

  // The distance |px - cx| + |py - cy| (in 1/256 pixels) times d, at the point n / d of the
  // way along (d > 0).
  __int128 Distance(std::int64_t cx, std::int64_t cy, __int128 n, __int128 d) const {
    const __int128 px = __int128(x0) * d + n * (x1 - x0) - __int128(cx) * d;
    const __int128 py = __int128(y0) * d + n * (y1 - y0) - __int128(cy) * d;
    return (px < 0 ? -px : px) + (py < 0 ? -py : py);
  }
  bool InsideAt(std::int64_t cx, std::int64_t cy, __int128 n, __int128 d) const {
    return Distance(cx, cy, n, d) < __int128(halfPixel) * d;
  }
  bool Leaves(std::int64_t x, std::int64_t y) const {
    const std::int64_t cx = x * subPixel, cy = y * subPixel;
    if (InsideAt(cx, cy, 1, 1)) return false;
    if (InsideAt(cx, cy, 0, 1)) return true;
    // The distance is convex along the line and bends only where the line crosses the
    // centre's row or column: its least value is at one of those points.
    const std::int64_t dx = x1 - x0, dy = y1 - y0;
    const std::int64_t crossings[2][2] = {{cx - x0, dx}, {cy - y0, dy}};
    for (const auto& crossing : crossings) {
      std::int64_t n = crossing[0], d = crossing[1];
      if (d == 0) continue;
      if (d < 0) n = -n, d = -d;
      if (n > 0 && n < d && InsideAt(cx, cy, n, d)) return true;
    }
    return false;
  }
};

// The values a fraction t of the way from `from` to `to` on screen. Depth is linear on screen;
// the attributes are linear in space, as on triangles: over 1/w when the ends' differ.
void Between(const RasterContext& context, const RasterVertex& from, const RasterVertex& to,
             double t, double* z, double attributes[attributeCount]) {
  *z = from.z + (to.z - from.z) * t;
  const int count = context.stages != nullptr ? attributeCount : basicAttributeCount;
  const bool perspective = from.q != to.q && from.q > 0.0 && to.q > 0.0;
  const double q0 = perspective ? from.q : 1.0, q1 = perspective ? to.q : 1.0;
  const double q = q0 + (q1 - q0) * t;
  for (int a = 0; a < count; ++a) {
    const double f0 = from.attributes[a];
    if (context.flatShading && IsColourSlot(a)) {
      attributes[a] = f0;
    } else if (perspective) {
      attributes[a] = (f0 * q0 + (to.attributes[a] * q1 - f0 * q0) * t) / q;
    } else {
      attributes[a] = f0 + (to.attributes[a] - f0) * t;
    }
  }
}

}  // namespace

void DrawPoint(const RasterContext& context, const RasterVertex& point) {
  if (!Finite(point)) return;
  ShadePixel(context, NearestPixel(Snap(point.x)), NearestPixel(Snap(point.y)), point.z,
             point.attributes);
}

void DrawLine(const RasterContext& context, const RasterVertex& from, const RasterVertex& to,
              bool lastPixel) {
  if (!Finite(from) || !Finite(to)) return;
  const Segment line{Snap(from.x), Snap(from.y), Snap(to.x), Snap(to.y)};
  const std::int64_t dx = line.x1 - line.x0, dy = line.y1 - line.y0;
  const bool xMajor = std::llabs(dx) >= std::llabs(dy);
  // Along the major axis a, with the minor axis b; the pixels a line can leave lie in the
  // columns (or rows) from its start to its end, one or two to a column.
  const std::int64_t a0 = xMajor ? line.x0 : line.y0, a1 = xMajor ? line.x1 : line.y1;
  const std::int64_t b0 = xMajor ? line.y0 : line.x0;
  const std::int64_t da = a1 - a0, db = xMajor ? dy : dx;
  const std::int64_t step = da >= 0 ? 1 : -1;
  const std::int64_t low = xMajor ? context.clip.left : context.clip.top;
  const std::int64_t high = (xMajor ? context.clip.right : context.clip.bottom) - 1;
  std::int64_t first = NearestPixel(a0) - step, last = NearestPixel(a1) + step;
  if (step > 0) {
    first = std::max(first, low);
    last = std::min(last, high);
  } else {
    first = std::min(first, high);
    last = std::max(last, low);
  }
  std::int64_t drawn[2][2] = {{INT64_MIN, INT64_MIN}, {INT64_MIN, INT64_MIN}};
  const auto shade = [&](std::int64_t x, std::int64_t y, double t) {
    double z, attributes[attributeCount];
    Between(context, from, to, std::clamp(t, 0.0, 1.0), &z, attributes);
    ShadePixel(context, x, y, z, attributes);
    drawn[0][0] = drawn[1][0];
    drawn[0][1] = drawn[1][1];
    drawn[1][0] = x;
    drawn[1][1] = y;
  };
  if (da != 0) {
    const std::int64_t length = da * step;
    for (std::int64_t i = first; step > 0 ? i <= last : i >= last; i += step) {
      const std::int64_t along = (i * subPixel - a0) * step;
      // The minor coordinate where the line crosses the column's centre, floored to a pixel.
      const std::int64_t j = FloorDiv(b0 * length + along * db, subPixel * length);
      for (const std::int64_t k : {j, j + 1}) {
        const std::int64_t x = xMajor ? i : k, y = xMajor ? k : i;
        if (line.Leaves(x, y)) shade(x, y, double(along) / double(length));
      }
    }
  }
  if (!lastPixel) return;
  const std::int64_t endX = NearestPixel(line.x1), endY = NearestPixel(line.y1);
  for (const auto& pixel : drawn) {
    if (pixel[0] == endX && pixel[1] == endY) return;
  }
  // Like every other pixel's, the end pixel's values are those level with its centre.
  const std::int64_t along = ((xMajor ? endX : endY) * subPixel - a0) * step;
  shade(endX, endY, da != 0 ? double(along) / double(da * step) : 1.0);
}

void DrawPolygonOutline(const RasterContext& context, const RasterVertex* corners,
                        const bool* original, std::size_t count) {
  if (count < 3) return;
  for (std::size_t k = 0; k < count; ++k) {
    if (!Finite(corners[k])) return;
  }
  std::int64_t area = 0;
  for (std::size_t k = 0; k < count; ++k) {
    const RasterVertex& a = corners[k];
    const RasterVertex& b = corners[(k + 1) % count];
    area += Snap(a.x) * Snap(b.y) - Snap(b.x) * Snap(a.y);
  }
  if (area == 0 || IsCulled(context.cullMode, area)) return;
  // Flat shading gives the whole polygon the first corner's colour.
  const auto corner = [&](std::size_t k) {
    RasterVertex v = corners[k];
    if (context.flatShading) {
      for (int a = 0; a < attributeCount; ++a) {
        if (IsColourSlot(a)) v.attributes[a] = corners[0].attributes[a];
      }
    }
    return v;
  };
  if (context.fillMode == D3DFILL_POINT) {
    for (std::size_t k = 0; k < count; ++k) {
      if (original[k]) DrawPoint(context, corner(k));
    }
    return;
  }
  // Each edge stops short of its end, which the next edge starts from.
  for (std::size_t k = 0; k < count; ++k) {
    DrawLine(context, corner(k), corner((k + 1) % count), false);
  }
}

}  // namespace d3d9
