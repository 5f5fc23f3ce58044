// Small PNG files made in memory with libpng's writer, so that each test states the samples
// and chunks it decodes.
#pragma once

#include <png.h>

#include <cstdint>
#include <optional>
#include <vector>

struct PngPicture {
  int width = 1;
  int height = 1;
  int bitDepth = 8;
  int colorType = PNG_COLOR_TYPE_RGB;
  bool interlaced = false;
  // Row after row, channel after channel, one value per sample at the file's bit depth.
  std::vector<int> samples;
  std::vector<png_color> palette;
  // tRNS: alphas of the first palette entries, or the transparent grey or RGB value.
  std::vector<std::uint8_t> paletteAlphas;
  std::optional<png_color_16> transparentValue;
  std::optional<double> gamma;
  bool srgb = false;
};

int ChannelsOfColorType(int colorType);

// The whole file; fails the current test and returns nothing when libpng refuses the picture.
std::vector<std::uint8_t> WritePng(const PngPicture& picture);

// A picture of the given kind whose samples run through the values the depth allows.
PngPicture RampPicture(int colorType, int bitDepth, int width, int height);
