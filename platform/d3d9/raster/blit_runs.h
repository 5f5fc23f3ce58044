// The rows of a blit, shared by the blits with and without the depth test: runs of
// transparent texels skipped and runs of opaque ones copied where the pipeline allows, the
// texels between them through the pipeline's row kernel.
#pragma once

#include <cstdint>
#include <cstring>

#include "platform/d3d9/raster/pixel_pipeline.h"
#include "platform/d3d9/raster/texel_cache.h"

namespace d3d9 {

// What a blit does with whole runs of transparent and opaque texels, decided once per
// rectangle: skip them (the target keeps its pixels) or copy them (the texel is the result).
struct RunActions {
  bool skipTransparent;
  bool copyOpaque;
};

inline RunActions ActionsFor(const PixelPipeline& pipeline, std::uint32_t diffuse) {
  const int transparentAlpha = pipeline.CombinedAlpha(0, diffuse);
  return {transparentAlpha >= 0 &&
              pipeline.EffectOf(std::uint32_t(transparentAlpha)) == AlphaEffect::Discard,
          pipeline.PassesTexelThrough(diffuse) && pipeline.EffectOf(255) == AlphaEffect::Replace};
}

// Runs shorter than this are drawn with their neighbours: the row kernel passes over a few
// transparent or opaque texels about as fast as a jump over them would be set up.
constexpr std::uint32_t shortRun = 8;
// Blits at most this many columns wide are narrow: their runs are too short to be worth
// walking, and their rows go through the row kernel whole.
constexpr std::int64_t narrowRectangle = 4 * shortRun;

// Part of a row of a blit: `count` pixels from texel texelX on, whose texel runs start at
// `run` (the first that ends after texelX) and end before `last`; `source` is the texel of the
// first pixel. `eachRun(kind, from, to)` is told every run's pixels (the depth writes of rows
// that pass their depth test whole).
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
    if (pending < from) {
      pipeline.WriteRow(target + pending, source + pending, from - pending, diffuse);
    }
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

}  // namespace d3d9
