// Reads a PNG file as opaque RGB pixels, the way the game's colour key sees them.
#pragma once

#include <string>
#include <vector>

#include "tools/assetgen/canvas.h"

struct FilePicture {
  bool ok = false;
  int width = 0, height = 0;
  std::vector<Rgba> pixels;

  Rgba At(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
};

FilePicture ReadPicture(const std::string& path);
FilePicture ReadPicture(const std::vector<uint8_t>& bytes);
