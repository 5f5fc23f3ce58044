// Points, lines and the outlines of triangles, shaded through the same pixel pipeline
// (texture read at the interpolated coordinates, level 0) and the depth and stencil tests.
// Positions are snapped to 1/256 of a pixel as triangles' are, so the rules below are decided
// in integers.
#include <algorithm>
#include <cmath>

#include "platform/d3d9/raster/depth_stencil.h"
#include "platform/d3d9/raster/raster.h"

namespace d3d9 {
namespace {

constexpr std::int64_t subPixel = 256;
constexpr std::int64_t half = subPixel / 2;

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
  const std::int64_t q = a / b;
  return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}

std::int64_t CeilDiv(std::int64_t a, std::int64_t b) { return -FloorDiv(-a, b); }

// The pixel whose centre is nearest to a snapped coordinate; a coordinate halfway between two
// centres goes to the lower one.
std::int64_t NearestPixel(std::int64_t snapped) { return CeilDiv(snapped - half, subPixel); }

bool Inside(const RECT& clip, std::int64_t x, std::int64_t y) {
  return x >= clip.left && x < clip.right && y >= clip.top && y < clip.bottom;
}

void ShadePixel(const RasterContext& context, std::int64_t x, std::int64_t y, double z,
                const double attributes[attributeCount]) {
  if (!Inside(context.clip, x, y)) return;
  const PixelPipeline& pipeline = *context.pipeline;
  const auto shade = [&] {
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

// The values a fraction t of the way from `from` to `to`.
void Between(const RasterContext& context, const RasterVertex& from, const RasterVertex& to,
             double t, double* z, double attributes[attributeCount]) {
  *z = from.z + (to.z - from.z) * t;
  for (int a = 0; a < attributeCount; ++a) {
    const double f0 = from.attributes[a];
    attributes[a] = context.flatShading && a <= attrAlpha ? f0 : f0 + (to.attributes[a] - f0) * t;
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
  const std::int64_t x0 = Snap(from.x), y0 = Snap(from.y);
  const std::int64_t x1 = Snap(to.x), y1 = Snap(to.y);
  const bool xMajor = std::llabs(x1 - x0) >= std::llabs(y1 - y0);
  // Along the major axis a, with the minor axis b.
  const std::int64_t a0 = xMajor ? x0 : y0, a1 = xMajor ? x1 : y1;
  const std::int64_t b0 = xMajor ? y0 : x0, b1 = xMajor ? y1 : x1;
  const std::int64_t da = a1 - a0, db = b1 - b0;
  std::int64_t lastA = 0, lastB = 0;
  bool drewAny = false;
  if (da != 0) {
    // A pixel is lit when the line leaves its diamond, whose far corner along the major axis
    // lies half a pixel past the centre: from < corner <= to.
    std::int64_t first, last, step;
    if (da > 0) {
      first = FloorDiv(a0 - half, subPixel) + 1;
      last = FloorDiv(a1 - half, subPixel);
      step = 1;
    } else {
      first = CeilDiv(a0 + half, subPixel) - 1;
      last = CeilDiv(a1 + half, subPixel);
      step = -1;
    }
    // Only the pixels of the clip rectangle along the major axis are visited.
    const std::int64_t low = xMajor ? context.clip.left : context.clip.top;
    const std::int64_t high = (xMajor ? context.clip.right : context.clip.bottom) - 1;
    if (step > 0) {
      first = std::max(first, low);
      last = std::min(last, high);
    } else {
      first = std::min(first, high);
      last = std::max(last, low);
    }
    const std::int64_t denominator = da > 0 ? da : -da;
    const std::int64_t sign = da > 0 ? 1 : -1;
    for (std::int64_t i = first; step > 0 ? i <= last : i >= last; i += step) {
      // The minor coordinate at the centre line of column i, as a fraction over `denominator`.
      const std::int64_t along = (i * subPixel - a0) * sign;
      const std::int64_t numerator = b0 * denominator + along * db;
      const std::int64_t j = CeilDiv(numerator - half * denominator, subPixel * denominator);
      const double t = std::clamp(double(along) / double(denominator), 0.0, 1.0);
      double z, attributes[attributeCount];
      Between(context, from, to, t, &z, attributes);
      ShadePixel(context, xMajor ? i : j, xMajor ? j : i, z, attributes);
      lastA = i;
      lastB = j;
      drewAny = true;
    }
  }
  if (!lastPixel) return;
  const std::int64_t endA = NearestPixel(a1), endB = NearestPixel(b1);
  if (drewAny && endA == lastA && endB == lastB) return;
  double z, attributes[attributeCount];
  Between(context, from, to, 1.0, &z, attributes);
  ShadePixel(context, xMajor ? endA : endB, xMajor ? endB : endA, z, attributes);
}

void DrawTriangleOutline(const RasterContext& context, const RasterVertex* corners[3]) {
  RasterVertex v[3] = {*corners[0], *corners[1], *corners[2]};
  // Flat shading gives the whole triangle the first corner's colour.
  if (context.flatShading) {
    for (int k = 1; k < 3; ++k) std::copy(v[0].attributes, v[0].attributes + attrAlpha + 1, v[k].attributes);
  }
  if (context.fillMode == D3DFILL_POINT) {
    for (const RasterVertex& corner : v) DrawPoint(context, corner);
    return;
  }
  // Each edge stops short of its end, which the next edge starts from.
  for (int k = 0; k < 3; ++k) DrawLine(context, v[k], v[(k + 1) % 3], false);
}

}  // namespace d3d9
