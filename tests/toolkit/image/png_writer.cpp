#include "png_writer.h"

#include <gtest/gtest.h>

#include <csetjmp>
#include <cstddef>

namespace {

void AppendToVector(png_structp png, png_bytep data, std::size_t length) {
  auto* file = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(png));
  file->insert(file->end(), data, data + length);
}

void FlushNothing(png_structp /*png*/) {}

// Samples as the file stores them: sub-byte depths packed from the high bits, 16-bit samples
// big-endian.
std::vector<png_byte> PackRow(const PngPicture& picture, int row) {
  const int perRow = picture.width * ChannelsOfColorType(picture.colorType);
  const int depth = picture.bitDepth;
  std::vector<png_byte> packed(static_cast<std::size_t>((perRow * depth + 7) / 8) + 1, 0);
  for (int i = 0; i < perRow; ++i) {
    const int value = picture.samples[static_cast<std::size_t>(row * perRow + i)];
    if (depth == 16) {
      packed[static_cast<std::size_t>(2 * i)] = static_cast<png_byte>(value >> 8);
      packed[static_cast<std::size_t>(2 * i + 1)] = static_cast<png_byte>(value & 0xFF);
    } else {
      const int bit = i * depth;
      packed[static_cast<std::size_t>(bit / 8)] |=
          static_cast<png_byte>(value << (8 - depth - bit % 8));
    }
  }
  return packed;
}

void WriteChunks(png_structp png, png_infop info, const PngPicture& picture) {
  png_set_IHDR(png, info, static_cast<png_uint_32>(picture.width),
               static_cast<png_uint_32>(picture.height), picture.bitDepth, picture.colorType,
               picture.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (!picture.palette.empty()) {
    png_set_PLTE(png, info, picture.palette.data(), static_cast<int>(picture.palette.size()));
  }
  if (!picture.paletteAlphas.empty()) {
    png_set_tRNS(png, info, picture.paletteAlphas.data(),
                 static_cast<int>(picture.paletteAlphas.size()), nullptr);
  }
  if (picture.transparentValue) {
    png_color_16 value = *picture.transparentValue;
    png_set_tRNS(png, info, nullptr, 0, &value);
  }
  if (picture.gamma) png_set_gAMA(png, info, *picture.gamma);
  if (picture.srgb) png_set_sRGB(png, info, PNG_sRGB_INTENT_PERCEPTUAL);
}

}  // namespace

int ChannelsOfColorType(int colorType) {
  switch (colorType) {
    case PNG_COLOR_TYPE_RGB: return 3;
    case PNG_COLOR_TYPE_GRAY_ALPHA: return 2;
    case PNG_COLOR_TYPE_RGB_ALPHA: return 4;
    default: return 1;
  }
}

std::vector<std::uint8_t> WritePng(const PngPicture& picture) {
  std::vector<std::uint8_t> file;
  std::vector<std::vector<png_byte>> rows;
  for (int row = 0; row < picture.height; ++row) rows.push_back(PackRow(picture, row));
  std::vector<png_bytep> rowPointers;
  for (auto& row : rows) rowPointers.push_back(row.data());

  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png)) != 0) {
    png_destroy_write_struct(&png, &info);
    ADD_FAILURE() << "libpng refused the test picture";
    return {};
  }
  png_set_write_fn(png, &file, AppendToVector, FlushNothing);
  WriteChunks(png, info, picture);
  png_write_info(png, info);
  png_write_image(png, rowPointers.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return file;
}

PngPicture RampPicture(int colorType, int bitDepth, int width, int height) {
  PngPicture picture;
  picture.width = width;
  picture.height = height;
  picture.bitDepth = bitDepth;
  picture.colorType = colorType;
  const int count = width * height * ChannelsOfColorType(colorType);
  const int limit = 1 << bitDepth;
  for (int i = 0; i < count; ++i) picture.samples.push_back((i * 4099 + i / 3 * 11 + 7) % limit);
  if (colorType == PNG_COLOR_TYPE_PALETTE) {
    for (int i = 0; i < (1 << bitDepth); ++i) {
      picture.palette.push_back(png_color{static_cast<png_byte>(i * 7), static_cast<png_byte>(
                                              255 - i), static_cast<png_byte>(i * 3 + 1)});
    }
  }
  return picture;
}
