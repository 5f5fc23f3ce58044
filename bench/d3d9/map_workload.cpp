#include "bench/d3d9/map_workload.h"

#include <cstdlib>

namespace map_workload {
namespace {

constexpr int frame = 128;
constexpr int mapSize = 32;

std::uint32_t Noise(std::uint32_t& seed) {
  seed = seed * 1664525u + 1013904223u;
  return seed >> 8;
}

// Frame (column, row) of a 1024 x 1024 atlas: a floor diamond (64 x 32 around the anchor
// point (64, 96)) or, for obstacles, a column standing on it.
Picture MakeAtlas() {
  Picture atlas{1024, 1024, std::vector<std::uint32_t>(1024 * 1024, 0)};
  std::uint32_t seed = 7;
  for (int f = 0; f < 64; ++f) {
    const int fx = (f % 8) * frame, fy = (f / 8) * frame;
    const bool obstacle = f >= 32;
    for (int y = 0; y < frame; ++y) {
      for (int x = 0; x < frame; ++x) {
        const int dx = std::abs(x - 64), dy = std::abs(y - 96);
        bool opaque = dx * 16 + dy * 32 <= 32 * 16;
        if (obstacle) opaque = opaque || (dx < 20 && y >= 24 && y < 100);
        if (!opaque) continue;
        atlas.texels[std::size_t(fy + y) * 1024 + fx + x] = 0xFF000000u | (Noise(seed) & 0xFFFFFF);
      }
    }
  }
  return atlas;
}

// A 1024 x 512 strip of figures: an upright ellipse in each frame.
Picture MakeActorSheet(std::uint32_t seed) {
  Picture sheet{1024, 512, std::vector<std::uint32_t>(1024 * 512, 0)};
  for (int f = 0; f < 32; ++f) {
    const int fx = (f % 8) * frame, fy = (f / 8) * frame;
    for (int y = 0; y < frame; ++y) {
      for (int x = 0; x < frame; ++x) {
        const int dx = x - 64, dy = y - 60;
        if (dx * dx * 9 + dy * dy * 2 > 9 * 24 * 24) continue;
        sheet.texels[std::size_t(fy + y) * 1024 + fx + x] = 0xFF000000u | (Noise(seed) & 0xFFFFFF);
      }
    }
  }
  return sheet;
}

// A 640 x 480 opaque picture in the top-left of a 1024 x 512 texture.
Picture MakeScreenPicture() {
  Picture picture{1024, 512, std::vector<std::uint32_t>(1024 * 512, 0)};
  std::uint32_t seed = 3;
  for (int y = 0; y < screenHeight; ++y) {
    for (int x = 0; x < screenWidth; ++x) {
      picture.texels[std::size_t(y) * 1024 + x] = 0xFF000000u | (Noise(seed) & 0xFFFFFF);
    }
  }
  return picture;
}

}  // namespace

Workload MakeWorkload() {
  Workload w;
  w.pictures = {MakeAtlas(), MakeActorSheet(11), MakeActorSheet(13), MakeScreenPicture()};
  // Ground everywhere, obstacles on about 300 cells, six actors around the middle.
  int ground[mapSize][mapSize];
  int occupancy[mapSize][mapSize] = {};
  std::uint32_t seed = 42;
  for (int r = 0; r < mapSize; ++r) {
    for (int c = 0; c < mapSize; ++c) {
      ground[r][c] = 1 + int(Noise(seed) % 31);
      if (Noise(seed) % 100 < 29) occupancy[r][c] = 32 + int(Noise(seed) % 32);
    }
  }
  const int actors[6][2] = {{16, 16}, {14, 15}, {18, 17}, {15, 19}, {20, 13}, {12, 12}};
  for (int a = 0; a < 6; ++a) occupancy[actors[a][1]][actors[a][0]] = -1 - a;
  // The hero at (16, 16) on the screen centre.
  const int cameraLeft = 32 * 16 - 32 * 16 - screenWidth / 2;
  const int cameraTop = 16 * 16 + 16 * 16 - screenHeight / 2;
  for (int layer = 0; layer < 2; ++layer) {
    for (int d = 0; d <= 62; ++d) {
      for (int r = d; r >= 0; --r) {
        const int c = d - r;
        if (r >= mapSize || c >= mapSize) continue;
        const int v = layer == 0 ? ground[r][c] : occupancy[r][c];
        const int x = 32 * c - 32 * r - cameraLeft;
        const int y = 16 * c + 16 * r - cameraTop;
        if (v > 0) {
          w.mapFrame.push_back({0, frame * (v % 8), frame * (v / 8), frame, frame, x - 64, y - 96});
        } else if (v < 0) {
          const int sheet = 1 + (-v - 1) % 2;
          w.mapFrame.push_back({sheet, frame * (-v % 8), 0, frame, frame, x - 64, y - 96});
        }
      }
    }
  }
  w.pictureFrame.push_back({3, 0, 0, screenWidth, screenHeight, 0, 0});
  return w;
}

}  // namespace map_workload
