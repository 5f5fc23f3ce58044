// The rectangle path: two triangles sharing a diagonal of an axis-aligned rectangle, with one
// colour, drawn untextured or as a one-texel-per-pixel blit. It only takes cases whose every
// pixel it can compute exactly as the triangle path would; everything else is declined.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <type_traits>

#include "platform/d3d9/raster/depth_stencil.h"
#include "platform/d3d9/raster/raster.h"
#include "platform/d3d9/raster/texel_cache.h"
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

// What a blit does with whole runs of transparent and opaque texels, decided once per
// rectangle: skip them (the target keeps its pixels) or copy them (the texel is the result).
struct RunActions {
  bool skipTransparent;
  bool copyOpaque;
};

RunActions ActionsFor(const PixelPipeline& pipeline, std::uint32_t diffuse) {
  const int transparentAlpha = pipeline.CombinedAlpha(0, diffuse);
  return {transparentAlpha >= 0 &&
              pipeline.EffectOf(std::uint32_t(transparentAlpha)) == AlphaEffect::Discard,
          pipeline.PassesTexelThrough(diffuse) && pipeline.EffectOf(255) == AlphaEffect::Replace};
}

// Runs shorter than this are drawn with their neighbours: the row kernel passes over a few
// transparent or opaque texels about as fast as a jump over them would be set up.
constexpr std::uint32_t shortRun = 8;
constexpr std::int64_t narrowRectangle = 4 * shortRun;

// Part of a row of a blit: `count` pixels from texel texelX on, whose texel runs start at
// `run` (the first that ends after texelX) and end before `last`; `source` is the texel of the
// first pixel.
// `eachRun(kind, from, to)` is told every run's pixels (the depth writes of rows that pass
// their depth test whole).
template <class EachRun>
[[gnu::always_inline]] inline void BlitRuns(const PixelPipeline& pipeline, RunActions actions,
                                            const TexelRun* run, const TexelRun* last,
                                            const std::uint32_t* source, std::int64_t texelX,
                                            std::uint32_t* target, std::int64_t count,
                                            std::uint32_t diffuse, EachRun eachRun) {
  const std::uint32_t begin = std::uint32_t(texelX);
  const std::uint32_t end = std::uint32_t(texelX + count);
  std::uint32_t pending = 0;  // the first pixel not drawn yet, from the row's start
  for (; run != last && run->start < end; ++run) {
    const std::uint32_t from = (run->start > begin ? run->start : begin) - begin;
    const std::uint32_t to = (run->end < end ? run->end : end) - begin;
    eachRun(run->kind, from, to);
    const bool skip = run->kind == RunKind::Transparent && actions.skipTransparent;
    const bool copy = run->kind == RunKind::Opaque && actions.copyOpaque;
    if (!skip && !copy) continue;
    if (to - from < shortRun) continue;
    if (pending < from) pipeline.WriteRow(target + pending, source + pending, from - pending, diffuse);
    if (copy) std::memcpy(target + from, source + from, std::size_t(to - from) * 4);
    pending = to;
  }
  if (pending < count) {
    pipeline.WriteRow(target + pending, source + pending, std::uint32_t(count) - pending, diffuse);
  }
}

// One row of a blit; `source` is the texel of the row's first pixel, texelX along texel row
// texelY. In line: the blit's inner loop calls it for every row.
[[gnu::always_inline]] inline void BlitRow(const PixelPipeline& pipeline, RunActions actions,
                                           const RunIndex& runs, const std::uint32_t* source,
                                           std::int64_t texelY, std::int64_t texelX,
                                           std::uint32_t* target, std::int64_t count,
                                           std::uint32_t diffuse) {
  BlitRuns(pipeline, actions, runs.RunAt(std::uint32_t(texelY), std::uint32_t(texelX)),
           runs.RowEnd(std::uint32_t(texelY)), source, texelX, target, count, diffuse,
           [](RunKind, std::uint32_t, std::uint32_t) {});
}

// Depth tests of rectangles of one depth: each row is drawn in the runs of pixels that pass,
// and depth is written where the alpha test keeps the pixel.
class RectangleDepth {
 public:
  RectangleDepth(const DepthStencil& depth, std::uint32_t value) : depth(depth), value(value) {}

  // Calls draw(first, count) for each run of passing pixels of row y (pixels x .. x + count
  // - 1); texels (null for untextured rectangles) are those of the pixels, whose alpha decides
  // the depth writes. Rows are tested a part at a time, so that the outcomes fit on the stack.
  template <class DrawRun>
  void Row(std::int64_t x, std::int64_t y, std::int64_t count, const std::uint32_t* texels,
           std::uint32_t keepLow, std::uint32_t keepHigh, DrawRun draw) const {
    constexpr std::int64_t part = 512;
    std::uint8_t passes[part];
    for (std::int64_t at = 0; at < count; at += part) {
      const std::int64_t n = std::min(part, count - at);
      if (depth.TestRow(x + at, y, n, value, texels != nullptr ? texels + at : nullptr, keepLow,
                        keepHigh, passes)) {
        draw(at, n);
        continue;
      }
      std::int64_t i = 0;
      while (i < n) {
        while (i < n && passes[i] == 0) ++i;
        const std::int64_t start = i;
        while (i < n && passes[i] != 0) ++i;
        if (i > start) draw(at + start, i - start);
      }
    }
  }

 private:
  const DepthStencil& depth;
  std::uint32_t value;
};

// The texel alphas whose pixels the alpha test keeps, low..high (low > high for none); false
// when they are not one range or depend on more than the texel.
bool KeptTexelAlphas(const PixelPipeline& pipeline, std::uint32_t diffuse, std::uint32_t* low,
                     std::uint32_t* high) {
  int testLow, testHigh;
  bool outside;
  pipeline.AlphaTestRange(&testLow, &testHigh, &outside);
  if (!outside && testLow <= 0 && testHigh >= 255) {
    *low = 0;
    *high = 255;
    return true;
  }
  if (outside || pipeline.CombinedAlpha(0, diffuse) < 0) return false;
  // Kept texel alphas as ints: a test that keeps nothing (LESS than 0) gives high = -1, which
  // must not wrap round to a range that keeps everything.
  int kept[2];
  if (pipeline.CombinedAlpha(0, diffuse) == 0 && pipeline.CombinedAlpha(255, diffuse) == 255) {
    // The texel's alpha itself (or its product with 255): the test's own range.
    kept[0] = std::max(testLow, 0);
    kept[1] = std::min(testHigh, 255);
  } else {
    // The combined alpha is the texel's, its product with the diffuse's, or the diffuse's: it
    // never falls as the texel's grows, so the kept texels are one range, found by halving.
    const auto firstReaching = [&](int bound) {
      int lo = 0, hi = 256;
      while (lo < hi) {
        const int mid = (lo + hi) / 2;
        if (pipeline.CombinedAlpha(std::uint32_t(mid), diffuse) >= bound) {
          hi = mid;
        } else {
          lo = mid + 1;
        }
      }
      return lo;
    };
    kept[0] = firstReaching(testLow);
    kept[1] = firstReaching(testHigh + 1) - 1;
  }
  if (kept[0] > kept[1]) kept[0] = 1, kept[1] = 0;
  *low = std::uint32_t(kept[0]);
  *high = std::uint32_t(kept[1]);
  return true;
}

// A blit with the depth test, at one depth. Rows known to pass whole are drawn as without
// the test, their depth filled over the runs whose texels the alpha test keeps; other rows are
// tested, over the runs that neither the colour nor the depth write passes over.
struct TestedBlit {
  const PixelPipeline& pipeline;
  const DepthStencil& depth;
  const RunIndex& runs;
  RunActions actions;
  std::uint32_t value;
  std::uint32_t keepLow, keepHigh;
  std::uint32_t diffuse;
  std::int64_t columnBegin, rowBegin, texelX, texelY, columns;
  bool narrow;

  // Whether the alpha test keeps every texel of a run of each kind (Transparent, Opaque,
  // Mixed: alphas within 1..254).
  bool fills[3] = {keepLow == 0, keepHigh == 255, keepLow <= 1 && keepHigh >= 254};
  DepthStencil::RowFill fill = depth.FillOf(value);

  // How the depth of a row that passes whole is written, decided once for the blit: not at
  // all, over every pixel, over each stretch of texels with any alpha, or over the runs the
  // alpha test keeps, mixed runs it keeps in part tested pixel by pixel.
  enum class Fill { None, All, Ink, Kept };
  template <Fill mode>
  using FillMode = std::integral_constant<Fill, mode>;

  Fill FillKind() const {
    if (!depth.WritesDepth()) return Fill::None;
    if (fills[0] && fills[1] && fills[2]) return Fill::All;
    if (!fills[0] && fills[1] && fills[2]) return Fill::Ink;
    return Fill::Kept;
  }

  // Calls rows(FillMode<m>()) with the blit's fill mode m, so that each mode has its own loop.
  template <class Rows>
  void WithFillMode(Rows rows) const {
    switch (FillKind()) {
      case Fill::None: rows(FillMode<Fill::None>()); break;
      case Fill::All: rows(FillMode<Fill::All>()); break;
      case Fill::Ink: rows(FillMode<Fill::Ink>()); break;
      case Fill::Kept: rows(FillMode<Fill::Kept>()); break;
    }
  }

  bool RowsPass(std::int64_t rows) const {
    for (std::int64_t y = 0; y < rows; ++y) {
      if (!depth.PassesRow(rowBegin + y, value)) return false;
    }
    return true;
  }

  void Draw(std::uint32_t* target, std::ptrdiff_t pitch, const std::uint32_t* texels,
            std::ptrdiff_t texelPitch, std::int64_t rows) const {
    const RectangleDepth tested(depth, value);
    if (!depth.PassesAll(value) && !RowsPass(rows)) {
      for (std::int64_t y = 0; y < rows; ++y, target += pitch, texels += texelPitch) {
        if (!narrow && depth.PassesRow(rowBegin + y, value)) {
          WithFillMode([&](auto mode) { PassingRow(mode, tested, y, target, texels); });
          depth.LowerRows(rowBegin + y, rowBegin + y + 1, value);
        } else {
          TestedRow(tested, y, target, texels);
        }
      }
      return;
    }
    if (narrow) {
      pipeline.WriteRows(target, pitch, texels, texelPitch, std::uint32_t(columns),
                         std::uint32_t(rows), diffuse);
      WithFillMode([&](auto mode) {
        const std::uint32_t* rowTexels = texels;
        for (std::int64_t y = 0; y < rows; ++y, rowTexels += texelPitch) {
          const std::uint32_t row = std::uint32_t(texelY + y);
          FillDepth(mode, tested, y, rowTexels, runs.RunAt(row, std::uint32_t(texelX)),
                    runs.RowEnd(row));
        }
      });
    } else {
      WithFillMode([&](auto mode) {
        std::uint32_t* rowTarget = target;
        const std::uint32_t* rowTexels = texels;
        for (std::int64_t y = 0; y < rows; ++y, rowTarget += pitch, rowTexels += texelPitch) {
          PassingRow(mode, tested, y, rowTarget, rowTexels);
        }
      });
    }
    depth.LowerRows(rowBegin, rowBegin + rows, value);
  }

  // Fills row y's depth over each stretch of inked texels, told the row's runs in order
  // (by the colour walk, or by a walk of its own) by where each starts.
  struct InkFill {
    const TestedBlit& blit;
    std::int64_t y;
    std::int64_t open = -1;  // where the stretch being passed began, if one is

    void Run(RunKind kind, std::int64_t from) {
      if (kind != RunKind::Transparent) {
        if (open < 0) open = from;
      } else if (open >= 0) {
        blit.fill(blit.columnBegin + open, blit.rowBegin + y, from - open);
        open = -1;
      }
    }
    void Finish() const {
      if (open >= 0) blit.fill(blit.columnBegin + open, blit.rowBegin + y, blit.columns - open);
    }
  };

  // Fills the row's depth over the runs whose texels are kept, neighbours together.
  template <Fill mode>
  [[gnu::always_inline]] void FillDepth(FillMode<mode>, const RectangleDepth& tested,
                                        std::int64_t y, const std::uint32_t* texels,
                                        const TexelRun* run, const TexelRun* last) const {
    const std::uint32_t begin = std::uint32_t(texelX), end = std::uint32_t(texelX + columns);
    if constexpr (mode == Fill::All) {
      fill(columnBegin, rowBegin + y, columns);
    } else if constexpr (mode == Fill::Ink) {
      InkFill ink{*this, y};
      for (; run != last && run->start < end; ++run) {
        ink.Run(run->kind, std::max(run->start, begin) - begin);
      }
      ink.Finish();
    } else if constexpr (mode == Fill::Kept) {
      while (run != last && run->start < end) {
        const std::uint32_t from = std::max(run->start, begin) - begin;
        if (!fills[int(run->kind)]) {
          if (run->kind == RunKind::Mixed) {
            const std::uint32_t to = std::min(run->end, end) - begin;
            tested.Row(columnBegin + from, rowBegin + y, to - from, texels + from, keepLow,
                       keepHigh, [](std::int64_t, std::int64_t) {});
          }
          ++run;
          continue;
        }
        do ++run;
        while (run != last && run->start < end && fills[int(run->kind)]);
        const std::uint32_t to = std::min(run[-1].end, end) - begin;
        fill(columnBegin + from, rowBegin + y, to - from);
      }
    }
  }

  // The colour as without the test, and the depth: filled over the stretches of inked texels
  // as the colour walk passes them when every inked texel is kept (sprites' alpha test), else
  // in a walk of its own after it.
  template <Fill mode>
  [[gnu::always_inline]] void PassingRow(FillMode<mode> fillMode, const RectangleDepth& tested,
                                        std::int64_t y, std::uint32_t* target,
                                        const std::uint32_t* texels) const {
    const std::uint32_t row = std::uint32_t(texelY + y);
    const TexelRun* first = runs.RunAt(row, std::uint32_t(texelX));
    const TexelRun* last = runs.RowEnd(row);
    if constexpr (mode == Fill::Ink) {
      InkFill ink{*this, y};
      BlitRuns(pipeline, actions, first, last, texels, texelX, target, columns, diffuse,
               [&](RunKind kind, std::uint32_t from, std::uint32_t) { ink.Run(kind, from); });
      ink.Finish();
    } else {
      BlitRuns(pipeline, actions, first, last, texels, texelX, target, columns, diffuse,
               [](RunKind, std::uint32_t, std::uint32_t) {});
      FillDepth(fillMode, tested, y, texels, first, last);
    }
  }

  // Tests pixels [from, to) of the row whose runs start at `first`, and draws those that pass.
  void Segment(const RectangleDepth& tested, std::int64_t y, std::uint32_t* target,
               const std::uint32_t* texels, const TexelRun* first, std::int64_t from,
               std::int64_t to) const {
    const TexelRun* last = runs.RowEnd(std::uint32_t(texelY + y));
    tested.Row(columnBegin + from, rowBegin + y, to - from, texels + from, keepLow, keepHigh,
               [&](std::int64_t start, std::int64_t count) {
                 const std::int64_t at = from + start;
                 if (narrow) {
                   pipeline.WriteRow(target + at, texels + at, std::uint32_t(count), diffuse);
                 } else if (start == 0) {
                   BlitRuns(pipeline, actions, first, last, texels + at, texelX + at, target + at,
                            count, diffuse, [](RunKind, std::uint32_t, std::uint32_t) {});
                 } else {
                   BlitRow(pipeline, actions, runs, texels + at, texelY + y, texelX + at,
                           target + at, count, diffuse);
                 }
               });
  }

  void TestedRow(const RectangleDepth& tested, std::int64_t y, std::uint32_t* target,
                 const std::uint32_t* texels) const {
    const std::uint32_t row = std::uint32_t(texelY + y);
    const std::uint32_t begin = std::uint32_t(texelX), end = std::uint32_t(texelX + columns);
    const TexelRun* first = runs.RunAt(row, begin);
    // Transparent runs that neither the colour nor the depth write would take are passed
    // over untested.
    const bool skipTransparent =
        !narrow && actions.skipTransparent && (!depth.WritesDepth() || keepLow > 0);
    if (!skipTransparent) {
      Segment(tested, y, target, texels, first, 0, columns);
      return;
    }
    const TexelRun* last = runs.RowEnd(row);
    std::int64_t pending = 0;
    for (const TexelRun* run = first; run != last && run->start < end; ++run) {
      if (run->kind != RunKind::Transparent) continue;
      const std::int64_t from = std::int64_t(std::max(run->start, begin) - begin);
      const std::int64_t to = std::int64_t(std::min(run->end, end) - begin);
      if (to - from < std::int64_t(shortRun)) continue;
      if (pending < from) Segment(tested, y, target, texels, first, pending, from);
      pending = to;
      first = run + 1;
    }
    if (pending < columns) Segment(tested, y, target, texels, first, pending, columns);
  }
};

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
    const TestedBlit blit{pipeline,
                          *depth,
                          *runs,
                          ActionsFor(pipeline, diffuse),
                          depth->Quantise(origin.z),
                          keepLow,
                          keepHigh,
                          diffuse,
                          columnBegin,
                          rowBegin,
                          texelX,
                          texelY,
                          columns,
                          narrow};
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
