// Every file of the PNG test suite: the damaged ones are refused, every other one decodes to
// the format its colour type, depth and transparency call for, with the pixels libpng's own
// simplified reader gives.
#include <gtest/gtest.h>
#include <png.h>

#include <cmath>
#include <string>
#include <vector>

#include "png_expectations.h"
#include "toolkit/common/result.h"
#include "toolkit/image/decoded_image.h"

namespace {

struct Rgba {
  double r, g, b, a;
};

double Word(const BYTE* bytes) { return (bytes[0] | (bytes[1] << 8)) / 65535.0; }
double Byte(BYTE value) { return value / 255.0; }

// One decoded pixel as red, green, blue and alpha in 0 ... 1, read in the format's own layout.
Rgba ReadPixel(const DecodedImage& image, UINT x, UINT y) {
  const BYTE* row = image.pixels + y * image.rowPitch;
  switch (static_cast<DWORD>(image.format)) {
    case D3DFMT_P8: {
      const PALETTEENTRY& entry = image.palette[row[x]];
      return {Byte(entry.peRed), Byte(entry.peGreen), Byte(entry.peBlue), Byte(entry.peFlags)};
    }
    case D3DFMT_L8: return {Byte(row[x]), Byte(row[x]), Byte(row[x]), 1};
    case D3DFMT_A8L8: {
      const BYTE* p = row + 2 * x;
      return {Byte(p[0]), Byte(p[0]), Byte(p[0]), Byte(p[1])};
    }
    case D3DFMT_L16: return {Word(row + 2 * x), Word(row + 2 * x), Word(row + 2 * x), 1};
    case FMT_A16L16: {
      const BYTE* p = row + 4 * x;
      return {Word(p), Word(p), Word(p), Word(p + 2)};
    }
    case D3DFMT_X8R8G8B8: {
      const BYTE* p = row + 4 * x;
      return {Byte(p[2]), Byte(p[1]), Byte(p[0]), 1};
    }
    case D3DFMT_A8R8G8B8: {
      const BYTE* p = row + 4 * x;
      return {Byte(p[2]), Byte(p[1]), Byte(p[0]), Byte(p[3])};
    }
    case FMT_R16G16B16: {
      const BYTE* p = row + 6 * x;
      return {Word(p + 4), Word(p + 2), Word(p), 1};
    }
    case D3DFMT_A16B16G16R16: {
      const BYTE* p = row + 8 * x;
      return {Word(p), Word(p + 2), Word(p + 4), Word(p + 6)};
    }
    default: ADD_FAILURE() << "unexpected format " << image.format; return {};
  }
}

// libpng's simplified reader: RGBA in 8-bit sRGB coding, or in 16-bit linear light with
// premultiplied alpha.
std::vector<double> ReferencePixels(const std::vector<std::uint8_t>& file, bool linear) {
  png_image reference{};
  reference.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&reference, file.data(), file.size())) return {};
  reference.format = linear ? PNG_FORMAT_LINEAR_RGB_ALPHA : PNG_FORMAT_RGBA;
  const std::size_t count = PNG_IMAGE_SIZE(reference) / PNG_IMAGE_SAMPLE_COMPONENT_SIZE(
                                                             reference.format);
  std::vector<double> samples(count);
  if (linear) {
    std::vector<png_uint_16> words(count);
    png_image_finish_read(&reference, nullptr, words.data(), 0, nullptr);
    for (std::size_t i = 0; i < count; ++i) samples[i] = words[i] / 65535.0;
  } else {
    std::vector<png_byte> bytes(count);
    png_image_finish_read(&reference, nullptr, bytes.data(), 0, nullptr);
    for (std::size_t i = 0; i < count; ++i) samples[i] = bytes[i] / 255.0;
  }
  png_image_free(&reference);
  return samples;
}

// A file with a gamma chunk is decoded for a display of gamma 2.2; the reference then is
// linear light, and the decoded colours are brought there. Rounding a decoded eight-bit sample
// moves it by up to 0.0043 in linear light near white (half a step times the slope 2.2).
constexpr double kLinearTolerance = 0.006;
// Files without gamma decode to their samples as stored: eight-bit ones exactly, 16-bit ones
// within the rounding to eight bits.
constexpr double kStoredTolerance = 0.5 / 255.0 + 1e-9;

class PngSuite : public testing::TestWithParam<std::string> {};

TEST_P(PngSuite, DecodesLikeLibpng) {
  const std::vector<std::uint8_t> file = ReadWholeFile(PngSuitePath(GetParam()));
  ASSERT_FALSE(file.empty());
  DecodedImage image;
  D3DXIMAGE_INFO info{};
  const HRESULT result =
      image.LoadFromMemory(file.data(), static_cast<UINT>(file.size()), &info, true);
  if (IsDamagedSuiteFile(GetParam())) {
    EXPECT_EQ(D3DXERR_INVALIDDATA, result) << ResultName(result);
    return;
  }
  ASSERT_EQ(S_OK, result) << ResultName(result);
  const PngFacts facts = ReadPngFacts(file);
  ASSERT_EQ(static_cast<DWORD>(ExpectedPngFormat(facts)), static_cast<DWORD>(image.format));
  ASSERT_EQ(facts.width, image.width);
  ASSERT_EQ(facts.height, image.height);
  EXPECT_EQ(D3DXIFF_PNG, info.ImageFileFormat);
  EXPECT_EQ(NormalizeFormat(image.format), info.Format);

  const bool corrected = facts.hasGamma && !facts.hasSrgb;
  const std::vector<double> reference = ReferencePixels(file, corrected);
  ASSERT_EQ(std::size_t{4} * image.width * image.height, reference.size());
  const double tolerance = corrected ? kLinearTolerance : kStoredTolerance;
  int mismatches = 0;
  for (UINT y = 0; y < image.height && mismatches < 5; ++y) {
    for (UINT x = 0; x < image.width && mismatches < 5; ++x) {
      Rgba ours = ReadPixel(image, x, y);
      if (corrected) {
        ours = {std::pow(ours.r, 2.2) * ours.a, std::pow(ours.g, 2.2) * ours.a,
                std::pow(ours.b, 2.2) * ours.a, ours.a};
      }
      const double* theirs = &reference[4 * (std::size_t{y} * image.width + x)];
      const double ourSamples[4] = {ours.r, ours.g, ours.b, ours.a};
      for (int c = 0; c < 4; ++c) {
        if (std::fabs(ourSamples[c] - theirs[c]) > tolerance) {
          ++mismatches;
          ADD_FAILURE() << "pixel (" << x << ", " << y << ") channel " << c << ": "
                        << ourSamples[c] << " against libpng's " << theirs[c];
          break;
        }
      }
    }
  }
}

std::string TestName(const testing::TestParamInfo<std::string>& info) {
  return info.param.substr(0, info.param.find('.'));
}

INSTANTIATE_TEST_SUITE_P(Files, PngSuite, testing::ValuesIn(PngSuiteNames()), TestName);

TEST(PngSuiteFiles, AreAllThere) {
  const std::vector<std::string> names = PngSuiteNames();
  EXPECT_EQ(175u, names.size());
  EXPECT_EQ(14, std::count_if(names.begin(), names.end(), IsDamagedSuiteFile));
}

}  // namespace
