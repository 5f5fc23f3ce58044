// The map frame and the picture frame drawn by the device and by its two peers in the same
// run, and the map frame on a device with a depth buffer: bound with its test off (and not
// cleared, as nothing reads it), and with the test on (every sprite at depth 0 over a buffer
// cleared to 1 each frame, so all pass and the kept texels write depth). Each
// benchmark also reports how many pixels differ from pixman's frame, and the draw counts of
// the frame.
#include "bench/d3d9/frame_harness.h"

namespace map_workload {
namespace {

void MapFrameDevice(benchmark::State& s) { DrawFrames<DeviceRenderer>(s, TheWorkload().mapFrame); }
void MapFrameDeviceDepthBound(benchmark::State& s) {
  DrawFrames<DeviceRenderer>(s, TheWorkload().mapFrame, DepthMode::BoundOff);
}
void MapFrameDeviceDepthOn(benchmark::State& s) {
  DrawFrames<DeviceRenderer>(s, TheWorkload().mapFrame, DepthMode::On);
}
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
BENCHMARK(MapFrameDeviceDepthBound)->Unit(benchmark::kMillisecond);
BENCHMARK(MapFrameDeviceDepthOn)->Unit(benchmark::kMillisecond);
BENCHMARK(MapFramePixman)->Unit(benchmark::kMillisecond);
BENCHMARK(MapFrameSdl)->Unit(benchmark::kMillisecond);
BENCHMARK(PictureFrameDevice)->Unit(benchmark::kMillisecond);
BENCHMARK(PictureFramePixman)->Unit(benchmark::kMillisecond);
BENCHMARK(PictureFrameSdl)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace map_workload
