// PNG files read back through libpng for comparisons.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct RgbaPicture {
  uint32_t width = 0;
  uint32_t height = 0;
  bool hasAlpha = false;              // the file carries alpha (or a tRNS chunk)
  std::vector<uint32_t> pixels;       // 0xAARRGGBB, row after row
};

// False when the file cannot be read as PNG.
bool ReadPng(const std::string& path, RgbaPicture* picture);
