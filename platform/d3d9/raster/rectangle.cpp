// The rectangle path: two triangles sharing a diagonal of an axis-aligned rectangle, with one
// colour, drawn untextured or as a one-texel-per-pixel blit. It only takes cases whose every
// pixel it can compute exactly as the triangle path would; everything else is declined. The
// rows of a blit are in blit_runs.h, its depth-tested form in tested_blit.cpp.
#include <algorithm>
#include <cmath>

#include "platform/d3d9/raster/blit_runs.h"
#include "platform/d3d9/raster/raster.h"
#include "platform/d3d9/raster/tested_blit.h"
#include "platform/d3d9/texture.h"

namespace d3d9 {
namespace {

constexpr double exactness = 1e-6;

std::int64_t CeilDiv256(std::int64_t value) { return -((-value) >> 8); }

bool NearInteger(double value, std::int64_t* integer) {
  // Rounded by conversion, not by a library call: blits are found for every quad drawn.
  if (!(std::fabs(value) < 1e15)) return false;
  const std::int64_t rounded = std::int64_t(value + (value >= 0.0 ? 0.5 : -0.5));
  if (std::fabs(value - double(rounded)) > exactness) return false;
  *integer = rounded;
  return true;
}

struct Corners {
  std::int64_t left, right, top, bottom;  // snapped, left < right, top < bottom
  const RasterVertex* at[2][2];           // [row][column]: top-left, top-right, ...
  std::int64_t areas[2];                  // signed areas of the two triangles, snapped
};

// Twice the signed area of the triangle of snapped points `k`, `k + 1` and `k + 2`.
std::int64_t SignedArea(const std::int64_t xs[6], const std::int64_t ys[6], int k) {
  return (xs[k + 1] - xs[k]) * (ys[k + 2] - ys[k]) - (xs[k + 2] - xs[k]) * (ys[k + 1] - ys[k]);
}

// Finds the rectangle that the two triangles cover, if they do.
bool FindCorners(const RasterVertex* first[3], const RasterVertex* second[3], Corners* out) {
  const RasterVertex* all[6] = {first[0], first[1], first[2], second[0], second[1], second[2]};
  std::int64_t xs[6], ys[6];
  for (int i = 0; i < 6; ++i) {
    // Indexed quads share two vertices between their triangles: each is snapped once.
    const RasterVertex* const* shared = i < 3 ? all + i : std::find(all, all + 3, all[i]);
    if (shared != all + i && shared != all + 3) {
      xs[i] = xs[shared - all];
      ys[i] = ys[shared - all];
      continue;
    }
    if (!std::isfinite(all[i]->x) || !std::isfinite(all[i]->y)) return false;
    xs[i] = Snap(all[i]->x);
    ys[i] = Snap(all[i]->y);
  }
  const std::int64_t left = *std::min_element(xs, xs + 6);
  const std::int64_t right = *std::max_element(xs, xs + 6);
  const std::int64_t top = *std::min_element(ys, ys + 6);
  const std::int64_t bottom = *std::max_element(ys, ys + 6);
  if (left == right || top == bottom) return false;
  Corners corners{left, right, top, bottom, {{nullptr, nullptr}, {nullptr, nullptr}},
                  {SignedArea(xs, ys, 0), SignedArea(xs, ys, 3)}};
  int seen[2][2] = {{0, 0}, {0, 0}};
  for (int i = 0; i < 6; ++i) {
    if ((xs[i] != left && xs[i] != right) || (ys[i] != top && ys[i] != bottom)) return false;
    const int row = ys[i] == bottom;
    const int column = xs[i] == right;
    if (seen[row][column]++ == 0) corners.at[row][column] = all[i];
  }
  // The triangles share a diagonal: two opposite corners twice, the other two once.
  const bool mainDiagonal = seen[0][0] == 2 && seen[1][1] == 2 && seen[0][1] == 1 && seen[1][0] == 1;
  const bool otherDiagonal = seen[0][1] == 2 && seen[1][0] == 2 && seen[0][0] == 1 && seen[1][1] == 1;
  if (!mainDiagonal && !otherDiagonal) return false;
  *out = corners;
  return true;
}

bool SameColour(const RasterVertex& a, const RasterVertex& b) {
  for (int i = 0; i <= attrAlpha; ++i) {
    if (a.attributes[i] != b.attributes[i]) return false;
  }
  return true;
}

// The texel of the rectangle's first pixel, when it maps one texel to one pixel exactly.
bool FindBlitOrigin(const RasterContext& context, const Corners& c, std::int64_t firstColumn,
                    std::int64_t firstRow, std::int64_t columns, std::int64_t rows,
                    std::int64_t* texelX, std::int64_t* texelY) {
  const Sampler& sampler = *context.sampler;
  const RasterVertex& tl = *c.at[0][0];
  const RasterVertex& tr = *c.at[0][1];
  const RasterVertex& bl = *c.at[1][0];
  const RasterVertex& br = *c.at[1][1];
  // u follows x only and v follows y only.
  if (tl.attributes[attrU] != bl.attributes[attrU] || tr.attributes[attrU] != br.attributes[attrU] ||
      tl.attributes[attrV] != tr.attributes[attrV] || bl.attributes[attrV] != br.attributes[attrV]) {
    return false;
  }
  const double left = double(c.left) / 256.0, right = double(c.right) / 256.0;
  const double top = double(c.top) / 256.0, bottom = double(c.bottom) / 256.0;
  // A quad as wide in texels as in pixels (every blit) needs no division: x / x is 1.
  const double du = tr.attributes[attrU] - tl.attributes[attrU], dx = right - left;
  const double dv = bl.attributes[attrV] - tl.attributes[attrV], dy = bottom - top;
  const double dudx = du == dx ? 1.0 : du / dx;
  const double dvdy = dv == dy ? 1.0 : dv / dy;
  if (std::fabs(dudx - 1.0) > 1e-9 || std::fabs(dvdy - 1.0) > 1e-9) return false;
  if (sampler.BaseLevel() != 0 ||
      (!sampler.Unbiased() && sampler.LevelOfDetail(dudx, 0.0, 0.0, dvdy) > 0.0f)) {
    return false;
  }
  const double s = tl.attributes[attrU] + (double(firstColumn) - left) * dudx - 0.5;
  const double t = tl.attributes[attrV] + (double(firstRow) - top) * dvdy - 0.5;
  if (!NearInteger(s, texelX) || !NearInteger(t, texelY)) return false;
  return *texelX >= 0 && *texelY >= 0 && *texelX + columns <= sampler.Width() &&
         *texelY + rows <= sampler.Height();
}

bool ConstantDepth(const Corners& c) {
  const double z = c.at[0][0]->z;
  return c.at[0][1]->z == z && c.at[1][0]->z == z && c.at[1][1]->z == z;
}

}  // namespace

bool DrawRectangle(const RasterContext& context, const RasterVertex* first[3],
                   const RasterVertex* second[3]) {
  if (context.fillMode == D3DFILL_POINT || context.fillMode == D3DFILL_WIREFRAME) return false;
  Corners c;
  if (!FindCorners(first, second, &c)) return false;
  const DepthStencil* depth = context.depthStencil;
  if (depth != nullptr && (depth->UsesStencil() || !ConstantDepth(c))) return false;
  const std::int64_t areaFirst = c.areas[0];
  const std::int64_t areaSecond = c.areas[1];
  if ((areaFirst > 0) != (areaSecond > 0) || areaFirst == 0 || areaSecond == 0) return false;
  if (IsCulled(context.cullMode, areaFirst)) return true;
  const RasterVertex& origin = *c.at[0][0];
  for (const RasterVertex* v : {c.at[0][1], c.at[1][0], c.at[1][1]}) {
    if (v->q != origin.q) return false;
  }
  if (context.flatShading ? !SameColour(*first[0], *second[0])
                          : !(SameColour(origin, *c.at[0][1]) && SameColour(origin, *c.at[1][0]) &&
                              SameColour(origin, *c.at[1][1]))) {
    return false;
  }
  const std::uint32_t diffuse = PackColour(context.flatShading ? first[0]->attributes : origin.attributes);
  // Left and top edges include their pixel centres, right and bottom edges do not.
  const std::int64_t columnBegin = std::max<std::int64_t>(CeilDiv256(c.left), context.clip.left);
  const std::int64_t columnEnd = std::min<std::int64_t>(CeilDiv256(c.right), context.clip.right);
  const std::int64_t rowBegin = std::max<std::int64_t>(CeilDiv256(c.top), context.clip.top);
  const std::int64_t rowEnd = std::min<std::int64_t>(CeilDiv256(c.bottom), context.clip.bottom);
  if (columnBegin >= columnEnd || rowBegin >= rowEnd) return true;
  const std::int64_t columns = columnEnd - columnBegin;
  const std::int64_t rows = rowEnd - rowBegin;
  const PixelPipeline& pipeline = *context.pipeline;
  if (!pipeline.ReadsTexture() || context.sampler == nullptr) {
    const std::uint32_t colour = pipeline.Combine(0, diffuse);
    if (depth != nullptr) {
      if (!pipeline.AlphaTestKeeps(colour)) return true;
      const RectangleDepth tested(*depth, depth->Quantise(origin.z));
      for (std::int64_t y = rowBegin; y < rowEnd; ++y) {
        std::uint32_t* row = context.pixels + std::ptrdiff_t(y) * context.pitch + columnBegin;
        tested.Row(columnBegin, y, columns, nullptr, 0, 255,
                   [&](std::int64_t from, std::int64_t count) {
                     for (std::int64_t x = from; x < from + count; ++x) {
                       pipeline.Write(row + x, colour);
                     }
                   });
      }
      return true;
    }
    for (std::int64_t y = rowBegin; y < rowEnd; ++y) {
      std::uint32_t* row = context.pixels + std::ptrdiff_t(y) * context.pitch;
      for (std::int64_t x = columnBegin; x < columnEnd; ++x) pipeline.Write(row + x, colour);
    }
    return true;
  }
  std::int64_t texelX, texelY;
  if (!FindBlitOrigin(context, c, columnBegin, rowBegin, columns, rows, &texelX, &texelY)) {
    return false;
  }
  // With depth tested, the alpha test decides the depth writes: from the texel's alpha alone.
  std::uint32_t keepLow = 0, keepHigh = 255;
  if (depth != nullptr) {
    if (!KeptTexelAlphas(pipeline, diffuse, &keepLow, &keepHigh)) return false;
    // No texel is kept: nothing is drawn and no depth written.
    if (keepLow > keepHigh) return true;
  }
  const SamplerLevel& level = context.sampler->Level(0);
  std::uint32_t* target = context.pixels + std::ptrdiff_t(rowBegin) * context.pitch + columnBegin;
  const std::uint32_t* texels = level.texels + std::ptrdiff_t(texelY) * level.width + texelX;
  const bool narrow = columns <= narrowRectangle;
  const Image* image = context.sampler->Texture()->ImageAt(0, 0);
  // Narrow rectangles (glyphs, say) have runs too short to be worth walking untested. Without
  // memory for the runs the triangle path draws the same picture.
  const RunIndex* runs = nullptr;
  if (depth != nullptr || !narrow) {
    runs = TexelRuns(*image, context.memory);
    if (runs == nullptr) return false;
  }
  if (depth != nullptr) {
    const TestedBlit blit{.pipeline = pipeline,
                          .depth = *depth,
                          .runs = *runs,
                          .actions = ActionsFor(pipeline, diffuse),
                          .value = depth->Quantise(origin.z),
                          .keepLow = keepLow,
                          .keepHigh = keepHigh,
                          .diffuse = diffuse,
                          .columnBegin = columnBegin,
                          .rowBegin = rowBegin,
                          .texelX = texelX,
                          .texelY = texelY,
                          .columns = columns,
                          .narrow = narrow};
    blit.Draw(target, context.pitch, texels, level.width, rows);
    return true;
  }
  if (narrow) {
    pipeline.WriteRows(target, context.pitch, texels, level.width, std::uint32_t(columns),
                       std::uint32_t(rows), diffuse);
    return true;
  }
  const RunActions actions = ActionsFor(pipeline, diffuse);
  for (std::int64_t y = 0; y < rows; ++y, target += context.pitch, texels += level.width) {
    BlitRow(pipeline, actions, *runs, texels, texelY + y, texelX, target, columns, diffuse);
  }
  return true;
}

}  // namespace d3d9
