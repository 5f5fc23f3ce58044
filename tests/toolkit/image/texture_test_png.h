// ARGB pictures and palettised pictures as small PNG files (through the shared test writer),
// and temporary files to hold them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace image_test {

// 0xAARRGGBB pixels, row after row, as an 8-bit RGBA PNG (RGB when `withAlpha` is false).
std::vector<std::uint8_t> EncodeRgbPng(int width, int height,
                                       const std::vector<std::uint32_t>& pixels,
                                       bool withAlpha = true);

// Index pixels with a palette of 0xAARRGGBB entries (alpha below 255 goes into tRNS).
std::vector<std::uint8_t> EncodePalettePng(int width, int height,
                                           const std::vector<std::uint8_t>& indices,
                                           const std::vector<std::uint32_t>& palette);

// A file in the temporary directory, removed when the object goes.
class TemporaryFile {
 public:
  TemporaryFile(const std::string& name, const std::vector<std::uint8_t>& bytes);
  ~TemporaryFile();
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  const char* Path() const { return path.c_str(); }

 private:
  std::string path;
};

}  // namespace image_test
