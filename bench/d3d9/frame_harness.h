// Measuring a renderer of the workload's frames: the frame drawn once per iteration, then
// the counters every frame benchmark reports (draws, draws on screen, and pixels unlike
// pixman's frame of the same draw list).
#pragma once

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "bench/d3d9/frame_renderers.h"

namespace map_workload {

inline const Workload& TheWorkload() {
  static const Workload workload = MakeWorkload();
  return workload;
}

inline const std::vector<std::uint32_t>& PixmanFrame(const std::vector<Draw>& draws) {
  static std::vector<std::uint32_t> map, picture;
  std::vector<std::uint32_t>& frame = &draws == &TheWorkload().mapFrame ? map : picture;
  if (frame.empty()) {
    PixmanRenderer reference(TheWorkload());
    reference.DrawFrame(draws);
    frame = reference.Pixels();
  }
  return frame;
}

inline int OnScreen(const std::vector<Draw>& draws) {
  int count = 0;
  for (const Draw& d : draws) {
    count += d.x < screenWidth && d.y < screenHeight && d.x + d.width > 0 && d.y + d.height > 0;
  }
  return count;
}

template <class Renderer, class... Options>
void DrawFrames(benchmark::State& state, const std::vector<Draw>& draws, Options... options) {
  Renderer renderer(TheWorkload(), options...);
  for (auto _ : state) renderer.DrawFrame(draws);
  const std::vector<std::uint32_t> pixels = renderer.Pixels();
  const std::vector<std::uint32_t>& reference = PixmanFrame(draws);
  int differing = 0;
  for (std::size_t i = 0; i < pixels.size(); ++i) differing += pixels[i] != reference[i];
  state.counters["draws"] = double(draws.size());
  state.counters["onScreen"] = OnScreen(draws);
  state.counters["pixelsUnlikePixman"] = differing;
}

}  // namespace map_workload
