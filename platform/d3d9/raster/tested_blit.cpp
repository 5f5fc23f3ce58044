#include "platform/d3d9/raster/tested_blit.h"

#include <type_traits>

namespace d3d9 {

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

namespace {

// The tested blit's drawing, with what it decides once for the whole blit: the runs whose
// depth it fills and how.
class TestedRows : TestedBlit {
 public:
  explicit TestedRows(const TestedBlit& blit) : TestedBlit(blit) {}

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

 private:
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

  // Fills row y's depth over each stretch of inked texels, told the row's runs in order
  // (by the colour walk, or by a walk of its own) by where each starts.
  struct InkFill {
    const TestedRows& blit;
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

}  // namespace

void TestedBlit::Draw(std::uint32_t* target, std::ptrdiff_t pitch, const std::uint32_t* texels,
                      std::ptrdiff_t texelPitch, std::int64_t rows) const {
  TestedRows(*this).Draw(target, pitch, texels, texelPitch, rows);
}

}  // namespace d3d9
