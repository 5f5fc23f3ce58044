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
  const double left = Unsnap(c.left), right = Unsnap(c.right);
  const double top = Unsnap(c.top), bottom = Unsnap(c.bottom);
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

// What the path draws of a quad it takes.
struct RectanglePlan {
  bool drawsNothing = false;  // culled, clipped away, or no texel kept
  bool textured = false;      // a blit; else filled with one colour
  bool narrow = false;        // a blit of at most narrowRectangle columns
  double z = 0.0;             // of every corner
  std::uint32_t diffuse = 0;
  std::int64_t columnBegin = 0, rowBegin = 0, columns = 0, rows = 0;
  std::int64_t texelX = 0, texelY = 0;  // the texel of a blit's first pixel
  // With depth tested, the alpha test decides the depth writes: from the texel's alpha alone.
  std::uint32_t keepLow = 0, keepHigh = 255;
  const RunIndex* runs = nullptr;  // of a blit that walks its runs
};

// The shape: a rectangle of two triangles that wind alike, at one depth where depth is tested.
RectangleDecline AcceptShape(const RasterContext& context, const RasterVertex* first[3],
                             const RasterVertex* second[3], Corners* c) {
  if (context.fillMode == D3DFILL_POINT || context.fillMode == D3DFILL_WIREFRAME) {
    return RectangleDecline::Outline;
  }
  if (!FindCorners(first, second, c)) return RectangleDecline::NotARectangle;
  const DepthStencil* depth = context.depthStencil;
  if (depth != nullptr && depth->UsesStencil()) return RectangleDecline::StencilTested;
  if (depth != nullptr && !ConstantDepth(*c)) return RectangleDecline::DepthVaries;
  const std::int64_t areaFirst = c->areas[0];
  const std::int64_t areaSecond = c->areas[1];
  if ((areaFirst > 0) != (areaSecond > 0) || areaFirst == 0 || areaSecond == 0) {
    return RectangleDecline::Winding;
  }
  return RectangleDecline::None;
}

// The shading: one reciprocal w and one colour over the rectangle.
RectangleDecline AcceptShading(const RasterContext& context, const RasterVertex* first[3],
                               const RasterVertex* second[3], const Corners& c,
                               std::uint32_t* diffuse) {
  const RasterVertex& origin = *c.at[0][0];
  for (const RasterVertex* v : {c.at[0][1], c.at[1][0], c.at[1][1]}) {
    if (v->q != origin.q) return RectangleDecline::Perspective;
  }
  if (context.flatShading ? !SameColour(*first[0], *second[0])
                          : !(SameColour(origin, *c.at[0][1]) && SameColour(origin, *c.at[1][0]) &&
                              SameColour(origin, *c.at[1][1]))) {
    return RectangleDecline::ColourVaries;
  }
  *diffuse = PackColour(context.flatShading ? first[0]->attributes : origin.attributes);
  return RectangleDecline::None;
}

// The blit: one texel per pixel of level 0, the kept texels one range of alphas, and the
// texture's runs where the blit walks them.
RectangleDecline AcceptBlit(const RasterContext& context, const Corners& c, RectanglePlan* plan) {
  if (!FindBlitOrigin(context, c, plan->columnBegin, plan->rowBegin, plan->columns, plan->rows,
                      &plan->texelX, &plan->texelY)) {
    return RectangleDecline::NotOneTexelPerPixel;
  }
  const DepthStencil* depth = context.depthStencil;
  if (depth != nullptr) {
    if (!KeptTexelAlphas(*context.pipeline, plan->diffuse, &plan->keepLow, &plan->keepHigh)) {
      return RectangleDecline::KeptAlphasSplit;
    }
    // No texel is kept: nothing is drawn and no depth written.
    if (plan->keepLow > plan->keepHigh) {
      plan->drawsNothing = true;
      return RectangleDecline::None;
    }
  }
  plan->narrow = plan->columns <= narrowRectangle;
  // Narrow rectangles (glyphs, say) have runs too short to be worth walking untested. Without
  // memory for the runs the triangle path draws the same picture.
  if (depth != nullptr || !plan->narrow) {
    plan->runs = TexelRuns(*context.sampler->Texture()->ImageAt(0, 0), context.memory);
    if (plan->runs == nullptr) return RectangleDecline::NoRunMemory;
  }
  return RectangleDecline::None;
}

// Whether the rectangle path takes the quad, and if so what it draws.
RectangleDecline Accept(const RasterContext& context, const RasterVertex* first[3],
                        const RasterVertex* second[3], RectanglePlan* plan) {
  Corners c;
  const RectangleDecline shape = AcceptShape(context, first, second, &c);
  if (shape != RectangleDecline::None) return shape;
  if (IsCulled(context.cullMode, c.areas[0])) {
    plan->drawsNothing = true;
    return RectangleDecline::None;
  }
  const RectangleDecline shading = AcceptShading(context, first, second, c, &plan->diffuse);
  if (shading != RectangleDecline::None) return shading;
  // Left and top edges include their pixel centres, right and bottom edges do not.
  const std::int64_t columnBegin = std::max<std::int64_t>(CeilPixel(c.left), context.clip.left);
  const std::int64_t columnEnd = std::min<std::int64_t>(CeilPixel(c.right), context.clip.right);
  const std::int64_t rowBegin = std::max<std::int64_t>(CeilPixel(c.top), context.clip.top);
  const std::int64_t rowEnd = std::min<std::int64_t>(CeilPixel(c.bottom), context.clip.bottom);
  if (columnBegin >= columnEnd || rowBegin >= rowEnd) {
    plan->drawsNothing = true;
    return RectangleDecline::None;
  }
  plan->columnBegin = columnBegin;
  plan->rowBegin = rowBegin;
  plan->columns = columnEnd - columnBegin;
  plan->rows = rowEnd - rowBegin;
  plan->z = c.at[0][0]->z;
  plan->textured = context.pipeline->ReadsTexture() && context.sampler != nullptr;
  return plan->textured ? AcceptBlit(context, c, plan) : RectangleDecline::None;
}

// An untextured rectangle: one colour, and with depth tested one depth. The plan's fields are
// read into locals, which stay in registers while the rows are drawn.
void FillRectangle(const RasterContext& context, const RectanglePlan& plan) {
  const PixelPipeline& pipeline = *context.pipeline;
  const std::uint32_t colour = pipeline.Combine(0, plan.diffuse);
  const std::int64_t columnBegin = plan.columnBegin, columns = plan.columns;
  const std::int64_t rowBegin = plan.rowBegin, rowEnd = plan.rowBegin + plan.rows;
  const std::int64_t columnEnd = columnBegin + columns;
  const DepthStencil* depth = context.depthStencil;
  if (depth != nullptr) {
    if (!pipeline.AlphaTestKeeps(colour)) return;
    const RectangleDepth tested(*depth, depth->Quantise(plan.z));
    for (std::int64_t y = rowBegin; y < rowEnd; ++y) {
      std::uint32_t* row = context.pixels + std::ptrdiff_t(y) * context.pitch + columnBegin;
      tested.Row(columnBegin, y, columns, nullptr, 0, 255,
                 [&](std::int64_t from, std::int64_t count) {
                   for (std::int64_t x = from; x < from + count; ++x) {
                     pipeline.Write(row + x, colour);
                   }
                 });
    }
    return;
  }
  for (std::int64_t y = rowBegin; y < rowEnd; ++y) {
    std::uint32_t* row = context.pixels + std::ptrdiff_t(y) * context.pitch;
    for (std::int64_t x = columnBegin; x < columnEnd; ++x) pipeline.Write(row + x, colour);
  }
}

// A blit, with or without the depth test (the plan's fields in locals, as for FillRectangle).
void Blit(const RasterContext& context, const RectanglePlan& plan) {
  const PixelPipeline& pipeline = *context.pipeline;
  const SamplerLevel& level = context.sampler->Level(0);
  std::uint32_t* target =
      context.pixels + std::ptrdiff_t(plan.rowBegin) * context.pitch + plan.columnBegin;
  const std::uint32_t* texels =
      level.texels + std::ptrdiff_t(plan.texelY) * level.width + plan.texelX;
  const DepthStencil* depth = context.depthStencil;
  if (depth != nullptr) {
    const TestedBlit blit{.pipeline = pipeline,
                          .depth = *depth,
                          .runs = *plan.runs,
                          .actions = ActionsFor(pipeline, plan.diffuse),
                          .value = depth->Quantise(plan.z),
                          .keepLow = plan.keepLow,
                          .keepHigh = plan.keepHigh,
                          .diffuse = plan.diffuse,
                          .columnBegin = plan.columnBegin,
                          .rowBegin = plan.rowBegin,
                          .texelX = plan.texelX,
                          .texelY = plan.texelY,
                          .columns = plan.columns,
                          .narrow = plan.narrow};
    blit.Draw(target, context.pitch, texels, level.width, plan.rows);
    return;
  }
  if (plan.narrow) {
    pipeline.WriteRows(target, context.pitch, texels, level.width, std::uint32_t(plan.columns),
                       std::uint32_t(plan.rows), plan.diffuse);
    return;
  }
  const RunActions actions = ActionsFor(pipeline, plan.diffuse);
  const RunIndex& runs = *plan.runs;
  const std::int64_t texelX = plan.texelX, texelY = plan.texelY;
  const std::int64_t columns = plan.columns, rows = plan.rows;
  const std::uint32_t diffuse = plan.diffuse;
  for (std::int64_t y = 0; y < rows; ++y, target += context.pitch, texels += level.width) {
    BlitRow(pipeline, actions, runs, texels, texelY + y, texelX, target, columns, diffuse);
  }
}

}  // namespace

RectangleDecline DrawRectangle(const RasterContext& context, const RasterVertex* first[3],
                               const RasterVertex* second[3]) {
  RectanglePlan plan;
  const RectangleDecline decline = Accept(context, first, second, &plan);
  if (decline != RectangleDecline::None || plan.drawsNothing) return decline;
  if (plan.textured) {
    Blit(context, plan);
  } else {
    FillRectangle(context, plan);
  }
  return RectangleDecline::None;
}

}  // namespace d3d9
