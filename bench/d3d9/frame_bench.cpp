// The map frame and the picture frame drawn by the device and by its two peers in the same
// run. Each benchmark also reports how many pixels differ from pixman's frame, and the draw
// counts of the frame.
#include <benchmark/benchmark.h>

#include <memory>

#include "bench/d3d9/frame_renderers.h"

namespace map_workload {
namespace {

const Workload& TheWorkload() {
  static const Workload workload = MakeWorkload();
  return workload;
}

const std::vector<std::uint32_t>& PixmanFrame(const std::vector<Draw>& draws) {
  static std::vector<std::uint32_t> map, picture;
  std::vector<std::uint32_t>& frame = &draws == &TheWorkload().mapFrame ? map : picture;
  if (frame.empty()) {
    PixmanRenderer reference(TheWorkload());
    reference.DrawFrame(draws);
    frame = reference.Pixels();
  }
  return frame;
}

int OnScreen(const std::vector<Draw>& draws) {
  int count = 0;
  for (const Draw& d : draws) {
    count += d.x < screenWidth && d.y < screenHeight && d.x + d.width > 0 && d.y + d.height > 0;
  }
  return count;
}

template <class Renderer>
void DrawFrames(benchmark::State& state, const std::vector<Draw>& draws) {
  Renderer renderer(TheWorkload());
  for (auto _ : state) renderer.DrawFrame(draws);
  const std::vector<std::uint32_t> pixels = renderer.Pixels();
  const std::vector<std::uint32_t>& reference = PixmanFrame(draws);
  int differing = 0;
  for (std::size_t i = 0; i < pixels.size(); ++i) differing += pixels[i] != reference[i];
  state.counters["draws"] = double(draws.size());
  state.counters["onScreen"] = OnScreen(draws);
  state.counters["pixelsUnlikePixman"] = differing;
}

void MapFrameDevice(benchmark::State& s) { DrawFrames<DeviceRenderer>(s, TheWorkload().mapFrame); }
void MapFramePixman(benchmark::State& s) { DrawFrames<PixmanRenderer>(s, TheWorkload().mapFrame); }
void MapFrameSdl(benchmark::State& s) { DrawFrames<SdlRenderer>(s, TheWorkload().mapFrame); }
void PictureFrameDevice(benchmark::State& s) {
  DrawFrames<DeviceRenderer>(s, TheWorkload().pictureFrame);
}
void PictureFramePixman(benchmark::State& s) {
  DrawFrames<PixmanRenderer>(s, TheWorkload().pictureFrame);
}
void PictureFrameSdl(benchmark::State& s) { DrawFrames<SdlRenderer>(s, TheWorkload().pictureFrame); }

BENCHMARK(MapFrameDevice)->Unit(benchmark::kMillisecond);
BENCHMARK(MapFramePixman)->Unit(benchmark::kMillisecond);
BENCHMARK(MapFrameSdl)->Unit(benchmark::kMillisecond);
BENCHMARK(PictureFrameDevice)->Unit(benchmark::kMillisecond);
BENCHMARK(PictureFramePixman)->Unit(benchmark::kMillisecond);
BENCHMARK(PictureFrameSdl)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace map_workload
