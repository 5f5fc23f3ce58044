// The game's map frame as a draw list: a 32 x 32 map swept back to front in diagonals
// (1,024 floor tiles, about 300 obstacles and six actors), 128 x 128 frames from a 1,024-wide
// tile atlas whose frames are mostly transparent with binary alpha, the camera on the map's
// middle; and the full-screen picture frame. The pictures are made here, not read.
#pragma once

#include <cstdint>
#include <vector>

namespace map_workload {

constexpr int screenWidth = 640;
constexpr int screenHeight = 480;

struct Picture {
  int width;
  int height;
  std::vector<std::uint32_t> texels;  // 0xAARRGGBB, keyed texels transparent black
};

struct Draw {
  int picture;  // index into Workload::pictures
  int sourceX, sourceY, width, height;
  int x, y;  // top-left on screen, may lie off screen
};

struct Workload {
  std::vector<Picture> pictures;  // 0: tile atlas, 1 and 2: actor sheets, 3: screen picture
  std::vector<Draw> mapFrame;
  std::vector<Draw> pictureFrame;
};

Workload MakeWorkload();

}  // namespace map_workload
