#include "tools/replay/png_writer.h"

#include <png.h>

#include <cstdint>
#include <vector>

bool WriteRgbPng(const std::string& path, const d3d9::PresentedFrame& frame,
                 std::string* error) {
  const size_t pixelCount = size_t{frame.width} * frame.height;
  if (frame.width == 0 || frame.height == 0 || frame.pixels.size() != pixelCount) {
    *error = "no frame to write to " + path;
    return false;
  }
  std::vector<png_byte> rgb(pixelCount * 3);
  for (size_t i = 0; i < pixelCount; ++i) {
    const std::uint32_t pixel = frame.pixels[i];
    rgb[3 * i] = static_cast<png_byte>(pixel >> 16);
    rgb[3 * i + 1] = static_cast<png_byte>(pixel >> 8);
    rgb[3 * i + 2] = static_cast<png_byte>(pixel);
  }

  png_image image = {};
  image.version = PNG_IMAGE_VERSION;
  image.width = frame.width;
  image.height = frame.height;
  image.format = PNG_FORMAT_RGB;
  if (png_image_write_to_file(&image, path.c_str(), 0, rgb.data(), 0, nullptr) == 0) {
    *error = "cannot write " + path + ": " + image.message;
    png_image_free(&image);
    return false;
  }
  return true;
}
