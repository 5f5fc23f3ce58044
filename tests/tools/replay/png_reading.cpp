#include "tests/tools/replay/png_reading.h"

#include <png.h>

bool ReadPng(const std::string& path, RgbaPicture* picture) {
  png_image image = {};
  image.version = PNG_IMAGE_VERSION;
  if (png_image_begin_read_from_file(&image, path.c_str()) == 0) return false;
  picture->hasAlpha = (image.format & PNG_FORMAT_FLAG_ALPHA) != 0;
  image.format = PNG_FORMAT_BGRA;  // little-endian 0xAARRGGBB words
  picture->width = image.width;
  picture->height = image.height;
  picture->pixels.assign(size_t{image.width} * image.height, 0);
  if (png_image_finish_read(&image, nullptr, picture->pixels.data(), 0, nullptr) == 0) {
    png_image_free(&image);
    return false;
  }
  return true;
}
