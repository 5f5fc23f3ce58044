#include "tests/toolkit/image/texture_test_png.h"

#include <gtest/gtest.h>
#include <png.h>
#include <unistd.h>

#include <cstdio>
#include <stdexcept>

namespace image_test {
namespace {

void AppendBytes(png_structp png, png_bytep data, png_size_t length) {
  auto* out = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}

void NoFlush(png_structp) {}

// Writes one PNG of `rows` already laid out for the colour type; libpng errors throw.
std::vector<std::uint8_t> WritePng(int width, int height, int colorType,
                                   std::vector<std::vector<std::uint8_t>>& rows,
                                   const std::vector<png_color>& palette,
                                   const std::vector<png_byte>& alphas) {
  std::vector<std::uint8_t> out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (png == nullptr || info == nullptr || setjmp(png_jmpbuf(png)) != 0) {
    png_destroy_write_struct(&png, &info);
    throw std::runtime_error("libpng could not write the test file");
  }
  png_set_write_fn(png, &out, AppendBytes, NoFlush);
  png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8, colorType,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (!palette.empty()) png_set_PLTE(png, info, palette.data(), int(palette.size()));
  if (!alphas.empty()) png_set_tRNS(png, info, alphas.data(), int(alphas.size()), nullptr);
  png_write_info(png, info);
  for (auto& row : rows) png_write_row(png, row.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}

}  // namespace

std::vector<std::uint8_t> EncodeRgbPng(int width, int height,
                                       const std::vector<std::uint32_t>& pixels,
                                       bool withAlpha) {
  const int channels = withAlpha ? 4 : 3;
  std::vector<std::vector<std::uint8_t>> rows(static_cast<std::size_t>(height));
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const std::uint32_t argb = pixels[std::size_t(y) * width + x];
      rows[y].push_back(std::uint8_t(argb >> 16));
      rows[y].push_back(std::uint8_t(argb >> 8));
      rows[y].push_back(std::uint8_t(argb));
      if (channels == 4) rows[y].push_back(std::uint8_t(argb >> 24));
    }
  }
  return WritePng(width, height, withAlpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, rows,
                  {}, {});
}

std::vector<std::uint8_t> EncodePalettePng(int width, int height,
                                           const std::vector<std::uint8_t>& indices,
                                           const std::vector<std::uint32_t>& palette) {
  std::vector<std::vector<std::uint8_t>> rows(static_cast<std::size_t>(height));
  for (int y = 0; y < height; ++y) {
    rows[y].assign(indices.begin() + std::ptrdiff_t(y) * width,
                   indices.begin() + std::ptrdiff_t(y + 1) * width);
  }
  std::vector<png_color> entries;
  std::vector<png_byte> alphas;
  bool translucent = false;
  for (std::uint32_t argb : palette) {
    entries.push_back({png_byte(argb >> 16), png_byte(argb >> 8), png_byte(argb)});
    alphas.push_back(png_byte(argb >> 24));
    translucent = translucent || (argb >> 24) != 0xFF;
  }
  if (!translucent) alphas.clear();
  return WritePng(width, height, PNG_COLOR_TYPE_PALETTE, rows, entries, alphas);
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
