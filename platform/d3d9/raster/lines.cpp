// Points and lines: one pixel per point, and lines stepped along their major axis, shaded
// through the same pixel pipeline (texture read at the interpolated coordinates, level 0).
#include <algorithm>
#include <cmath>

#include "platform/d3d9/raster/raster.h"
#include "platform/d3d9/raster/texture_stages.h"

namespace d3d9 {
namespace {

bool Inside(const RECT& clip, std::int64_t x, std::int64_t y) {
  return x >= clip.left && x < clip.right && y >= clip.top && y < clip.bottom;
}

void ShadePixel(const RasterContext& context, std::int64_t x, std::int64_t y,
                const double attributes[attributeCount]) {
  if (!Inside(context.clip, x, y)) return;
  const PixelPipeline& pipeline = *context.pipeline;
  std::uint32_t* target = context.pixels + std::ptrdiff_t(y) * context.pitch + x;
  if (context.stages != nullptr) {
    // A point or line has no footprint: textures are magnified.
    static constexpr double still[attributeCount] = {};
    pipeline.Write(target, context.stages->Shade(attributes, still, still));
    return;
  }
  std::uint32_t texel = 0;
  if (pipeline.ReadsTexture() && context.sampler != nullptr) {
    texel = context.sampler->Sample(attributes[attrU], attributes[attrV], 0.0f);
  }
  pipeline.Write(target, pipeline.Combine(texel, PackColour(attributes)));
}

}  // namespace

void DrawPoint(const RasterContext& context, const RasterVertex& point) {
  if (!std::isfinite(point.x) || !std::isfinite(point.y)) return;
  ShadePixel(context, std::int64_t(std::floor(point.x + 0.5)),
             std::int64_t(std::floor(point.y + 0.5)), point.attributes);
}

void DrawLine(const RasterContext& context, const RasterVertex& from, const RasterVertex& to,
              bool lastPixel) {
  if (!std::isfinite(from.x) || !std::isfinite(from.y) || !std::isfinite(to.x) ||
      !std::isfinite(to.y)) {
    return;
  }
  const double dx = to.x - from.x;
  const double dy = to.y - from.y;
  const double length = std::min(std::max(std::fabs(dx), std::fabs(dy)), 65536.0);
  const int steps = int(std::ceil(length));
  const int count = steps + (lastPixel ? 1 : 0);
  for (int i = 0; i < count; ++i) {
    const double t = steps == 0 ? 0.0 : double(i) / double(steps);
    double attributes[attributeCount];
    const int slots = context.stages != nullptr ? attributeCount : basicAttributeCount;
    for (int a = 0; a < slots; ++a) {
      const double f0 = from.attributes[a];
      attributes[a] = context.flatShading && IsColourSlot(a) ? f0 : f0 + (to.attributes[a] - f0) * t;
    }
    ShadePixel(context, std::int64_t(std::floor(from.x + dx * t + 0.5)),
               std::int64_t(std::floor(from.y + dy * t + 0.5)), attributes);
  }
}

}  // namespace d3d9
