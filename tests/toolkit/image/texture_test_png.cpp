#include "tests/toolkit/image/texture_test_png.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <stdexcept>

#include "tests/toolkit/image/png_writer.h"

namespace image_test {

std::vector<std::uint8_t> EncodeRgbPng(int width, int height,
                                       const std::vector<std::uint32_t>& pixels,
                                       bool withAlpha) {
  PngPicture picture;
  picture.width = width;
  picture.height = height;
  picture.colorType = withAlpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB;
  for (std::uint32_t argb : pixels) {
    picture.samples.push_back(int((argb >> 16) & 0xFF));
    picture.samples.push_back(int((argb >> 8) & 0xFF));
    picture.samples.push_back(int(argb & 0xFF));
    if (withAlpha) picture.samples.push_back(int(argb >> 24));
  }
  return WritePng(picture);
}

std::vector<std::uint8_t> EncodePalettePng(int width, int height,
                                           const std::vector<std::uint8_t>& indices,
                                           const std::vector<std::uint32_t>& palette) {
  PngPicture picture;
  picture.width = width;
  picture.height = height;
  picture.colorType = PNG_COLOR_TYPE_PALETTE;
  picture.samples.assign(indices.begin(), indices.end());
  bool translucent = false;
  for (std::uint32_t argb : palette) {
    picture.palette.push_back({png_byte(argb >> 16), png_byte(argb >> 8), png_byte(argb)});
    picture.paletteAlphas.push_back(png_byte(argb >> 24));
    translucent = translucent || (argb >> 24) != 0xFF;
  }
  if (!translucent) picture.paletteAlphas.clear();
  return WritePng(picture);
}

TemporaryFile::TemporaryFile(const std::string& name, const std::vector<std::uint8_t>& bytes) {
  // Tests run in parallel processes: the process number keeps their files apart.
  path = ::testing::TempDir() + std::to_string(::getpid()) + "-" + name;
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) throw std::runtime_error("cannot write " + path);
  if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
}

TemporaryFile::~TemporaryFile() { ::unlink(path.c_str()); }

}  // namespace image_test
