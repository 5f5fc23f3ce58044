#include "tests/tools/assetgen/picture_reader.h"

#include <png.h>

namespace {

FilePicture Finish(png_image& image) {
  FilePicture picture;
  image.format = PNG_FORMAT_RGB;
  std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) return picture;
  picture.width = int(image.width);
  picture.height = int(image.height);
  for (size_t i = 0; i + 2 < rgb.size(); i += 3) {
    picture.pixels.push_back(Rgba{rgb[i], rgb[i + 1], rgb[i + 2], 255});
  }
  picture.ok = true;
  return picture;
}

}  // namespace

FilePicture ReadPicture(const std::string& path) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return FilePicture{};
  return Finish(image);
}

FilePicture ReadPicture(const std::vector<uint8_t>& bytes) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) return FilePicture{};
  return Finish(image);
}
