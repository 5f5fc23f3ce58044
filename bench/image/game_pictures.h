// Stand-ins for the game's 21 pictures, of the sizes and kinds the game loads: four
// 640 x 480 screens, sixteen sprite strips of 128 x 128 frames on the flat key colour, and the
// 1024 x 384 tile atlas on black. They are written once per run as 8-bit RGBA PNG files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace game_pictures {

struct Picture {
  std::string path;
  std::uint32_t colorKey;  // 0xAARRGGBB, as the game passes it
  int width;
  int height;
};

// Writes the 21 files into a fresh temporary folder (once per process) and lists them in
// the game's loading order.
const std::vector<Picture>& WrittenPictures();

}  // namespace game_pictures
