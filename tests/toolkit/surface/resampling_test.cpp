// The resampling strategies: box halving (integer and float paths), linear and triangle
// filters with and without mirroring, their weights, clamping and 3-D forms.
#include <gtest/gtest.h>

#include <cmath>

#include "blit_helpers.h"
#include "toolkit/surface/triangle_weights.h"

namespace {

std::vector<FloatPixel> Ramp(std::initializer_list<float> values) {
  std::vector<FloatPixel> row;
  for (float v : values) row.push_back({v, 0.0f, 0.0f, 1.0f});
  return row;
}

// --- Box ------------------------------------------------------------------------------------

TEST(BoxFilter, FiveByFiveHalvesToTwoByTwoIgnoringTheLastRowAndColumn) {
  Image32 source = NoiseImage(5, 5, 11), dest(2, 2);
  ASSERT_EQ(S_OK, BlitImages(dest, D3DFMT_A8R8G8B8, source, D3DFMT_A8R8G8B8, D3DX_FILTER_BOX));
  for (UINT y = 0; y < 2; ++y) {
    for (UINT x = 0; x < 2; ++x) {
      EXPECT_EQ(dest.At(x, y),
                ByteAverage(source.At(2 * x, 2 * y), source.At(2 * x + 1, 2 * y),
                            source.At(2 * x, 2 * y + 1), source.At(2 * x + 1, 2 * y + 1)));
    }
  }
}

TEST(BoxFilter, OneColumnAveragesVerticalPairs) {
  Image32 source = NoiseImage(1, 8, 12), dest(1, 4);
  ASSERT_EQ(S_OK, BlitImages(dest, D3DFMT_A8R8G8B8, source, D3DFMT_A8R8G8B8, D3DX_FILTER_BOX));
  for (UINT y = 0; y < 4; ++y) {
    const std::uint32_t a = source.At(0, 2 * y), b = source.At(0, 2 * y + 1);
    EXPECT_EQ(dest.At(0, y), ByteAverage(a, a, b, b)) << y;
  }
}

// The float path (here forced by differing formats: A8B8G8R8 read, A8R8G8B8 written) is the
// integer path's result except on exact halves: there the quarter-sum's float, truncated on
// encode, may land just below the half and round down.
TEST(BoxFilter, FloatPathMatchesTheIntegerPathExceptOnExactHalves) {
  Image32 source = NoiseImage(64, 64, 13);
  Image32 floats(32, 32);
  ASSERT_EQ(S_OK, BlitImages(floats, D3DFMT_A8B8G8R8, source, D3DFMT_A8R8G8B8, D3DX_FILTER_BOX));
  int halves = 0, exactHalves = 0;
  for (UINT y = 0; y < 32; ++y) {
    for (UINT x = 0; x < 32; ++x) {
      const std::uint32_t p = floats.At(x, y);
      const std::uint32_t swapped = (p & 0xFF00FF00u) | ((p & 0xFF) << 16) | ((p >> 16) & 0xFF);
      for (int shift = 0; shift < 32; shift += 8) {
        UINT sum = 0;
        for (UINT k = 0; k < 4; ++k)
          sum += (source.At(2 * x + k % 2, 2 * y + k / 2) >> shift) & 0xFF;
        const UINT got = (swapped >> shift) & 0xFF;
        exactHalves += sum % 4 == 2;
        if (sum % 4 == 2 && got == sum / 4) {
          ++halves;
          continue;
        }
        ASSERT_EQ(got, (sum + 2) / 4) << x << ", " << y << " shift " << shift;
      }
    }
  }
  // Most exact halves still round up: the float path is not simply rounding halves down.
  ASSERT_GT(exactHalves, 100);
  EXPECT_LT(halves, exactHalves / 2);
}

TEST(BoxFilter, IntegerPathKeepsXBitsZeroAndWorksFieldByField) {
  // R5G6B5: red 31 and 0 average to 16 (rounded half up), green 63 and 62 to 63.
  std::vector<std::uint16_t> source = {0xF800 | (63 << 5), 62 << 5, 0xF800 | (63 << 5), 62 << 5};
  std::vector<std::uint16_t> dest(1, 0);
  PixelRegion to = RegionOver(dest.data(), D3DFMT_R5G6B5, 2, 1, 1);
  PixelRegion from = RegionOver(source.data(), D3DFMT_R5G6B5, 4, 2, 2);
  ASSERT_EQ(S_OK, Blitter(to, from, D3DX_FILTER_BOX).Run());
  EXPECT_EQ(dest[0], (16 << 11) | (63 << 5));

  Image32 xrgb(2, 2, 0xAB102030), half(1, 1);
  ASSERT_EQ(S_OK, BlitImages(half, D3DFMT_X8R8G8B8, xrgb, D3DFMT_X8R8G8B8, D3DX_FILTER_BOX));
  EXPECT_EQ(half.At(0, 0), 0x00102030u);
}

TEST(BoxFilter, KeyedPixelsEnterTheAverageAsTransparentBlack) {
  Image32 source(2, 2, 0xFF808080), dest(1, 1);
  source.At(0, 0) = 0xFF6A4C30;
  ASSERT_EQ(S_OK, BlitImages(dest, D3DFMT_A8R8G8B8, source, D3DFMT_A8R8G8B8, D3DX_FILTER_BOX,
                             0xFF6A4C30));
  // Three quarters of 0x80 is 96; three quarters of 255 is 191.25.
  EXPECT_EQ(dest.At(0, 0), 0xBF606060u);
}

TEST(BoxFilter, WithoutExactHalvingTheTriangleFilterServes) {
  Image32 source = NoiseImage(6, 6, 14), box(2, 2), triangle(2, 2);
  ASSERT_EQ(S_OK, BlitImages(box, D3DFMT_A8R8G8B8, source, D3DFMT_A8R8G8B8, D3DX_FILTER_BOX));
  ASSERT_EQ(S_OK,
            BlitImages(triangle, D3DFMT_A8R8G8B8, source, D3DFMT_A8R8G8B8, D3DX_FILTER_TRIANGLE));
  EXPECT_EQ(box.pixels, triangle.pixels);
}

TEST(BoxFilter, VolumesHalveOnThreeAxes) {
  // 2 x 2 x 2 floats into one pixel: the mean of all eight.
  std::vector<FloatPixel> source(8);
  for (int i = 0; i < 8; ++i) source[i] = {static_cast<float>(i), 0, 0, 1};
  FloatPixel dest{};
  PixelRegion to = RegionOver(&dest, D3DFMT_A32B32G32R32F, 16, 1, 1, 1, 16);
  PixelRegion from = RegionOver(source.data(), D3DFMT_A32B32G32R32F, 32, 2, 2, 2, 64);
  ASSERT_EQ(S_OK, Blitter(to, from, D3DX_FILTER_BOX).Run());
  EXPECT_FLOAT_EQ(dest.r, 3.5f);
}

// --- Linear ---------------------------------------------------------------------------------

TEST(LinearFilter, UpsamplingWrapsAroundWithoutMirror) {
  const auto source = Ramp({0.1f, 0.2f, 0.3f, 0.4f});
  const auto wrapped = ResampleRow(source, 8, D3DX_FILTER_LINEAR);
  EXPECT_FLOAT_EQ(wrapped[0].r, 0.25f * 0.4f + 0.75f * 0.1f);
  EXPECT_FLOAT_EQ(wrapped[7].r, 0.75f * 0.4f + 0.25f * 0.1f);
  EXPECT_FLOAT_EQ(wrapped[1].r, 0.75f * 0.1f + 0.25f * 0.2f);
  const auto mirrored = ResampleRow(source, 8, D3DX_FILTER_LINEAR | D3DX_FILTER_MIRROR_U);
  EXPECT_FLOAT_EQ(mirrored[0].r, 0.1f);
  EXPECT_FLOAT_EQ(mirrored[7].r, 0.4f);
}

TEST(LinearFilter, DownsamplingBlendsTheTwoNearestCentres) {
  const auto source = Ramp({0.0f, 0.2f, 0.4f, 0.6f, 0.8f, 1.0f, 0.5f, 0.3f});
  const auto out = ResampleRow(source, 4, D3DX_FILTER_LINEAR);
  EXPECT_FLOAT_EQ(out[0].r, 0.1f);
  EXPECT_FLOAT_EQ(out[1].r, 0.5f);
  EXPECT_FLOAT_EQ(out[3].r, 0.4f);
}

TEST(LinearFilter, RowsBlendLikeColumns) {
  // A 1 x 4 column into 1 x 8 equals the 4 -> 8 row, transposed.
  std::vector<FloatPixel> column = Ramp({0.1f, 0.2f, 0.3f, 0.4f});
  std::vector<FloatPixel> dest(8);
  PixelRegion to = RegionOver(dest.data(), D3DFMT_A32B32G32R32F, 16, 1, 8);
  PixelRegion from = RegionOver(column.data(), D3DFMT_A32B32G32R32F, 16, 1, 4);
  ASSERT_EQ(S_OK, Blitter(to, from, D3DX_FILTER_LINEAR).Run());
  const auto row = ResampleRow(column, 8, D3DX_FILTER_LINEAR);
  for (int i = 0; i < 8; ++i) EXPECT_FLOAT_EQ(dest[i].r, row[i].r) << i;
}

TEST(LinearFilter, DepthBlendsTwoSlices) {
  // 1 x 1 x 2 into 1 x 1 x 4 with the w axis mirrored: 0, 0.25, 0.75 and 1 of the way.
  std::vector<FloatPixel> source = Ramp({0.0f, 1.0f});
  std::vector<FloatPixel> dest(4);
  PixelRegion to = RegionOver(dest.data(), D3DFMT_A32B32G32R32F, 16, 1, 1, 4, 16);
  PixelRegion from = RegionOver(source.data(), D3DFMT_A32B32G32R32F, 16, 1, 1, 2, 16);
  ASSERT_EQ(S_OK, Blitter(to, from, D3DX_FILTER_LINEAR | D3DX_FILTER_MIRROR_W).Run());
  const float expected[4] = {0.0f, 0.25f, 0.75f, 1.0f};
  for (int i = 0; i < 4; ++i) EXPECT_FLOAT_EQ(dest[i].r, expected[i]) << i;
}

// --- Triangle -------------------------------------------------------------------------------

TEST(TriangleWeights, FourToTwoWithMirror) {
  TriangleWeights weights;
  ASSERT_EQ(S_OK, weights.Build(4, 2, false));
  // Source pixel 0 gives destination 0 a half; pixel 1 gives 0.4375 and 0.0625.
  const TriangleWeight* w = weights.Begin(0);
  ASSERT_EQ(weights.End(0) - w, 1);
  EXPECT_EQ(w[0].target, 0u);
  EXPECT_FLOAT_EQ(w[0].weight, 0.5f);
  w = weights.Begin(1);
  ASSERT_EQ(weights.End(1) - w, 2);
  EXPECT_FLOAT_EQ(w[0].weight, 0.4375f);
  EXPECT_FLOAT_EQ(w[1].weight, 0.0625f);
  EXPECT_EQ(w[1].target, 1u);
}

TEST(TriangleFilter, FourToTwoWeightsWithAndWithoutMirror) {
  const auto source = Ramp({0.1f, 0.3f, 0.6f, 0.9f});
  const auto mirrored = ResampleRow(source, 2, D3DX_FILTER_TRIANGLE | D3DX_FILTER_MIRROR_U);
  EXPECT_NEAR(mirrored[0].r, 0.5f * 0.1f + 0.4375f * 0.3f + 0.0625f * 0.6f, 1e-6);
  EXPECT_NEAR(mirrored[1].r, 0.0625f * 0.3f + 0.4375f * 0.6f + 0.5f * 0.9f, 1e-6);
  const auto wrapped = ResampleRow(source, 2, D3DX_FILTER_TRIANGLE);
  EXPECT_NEAR(wrapped[0].r, 0.4375f * (0.1f + 0.3f) + 0.0625f * (0.6f + 0.9f), 1e-6);
  EXPECT_NEAR(wrapped[1].r, 0.4375f * (0.6f + 0.9f) + 0.0625f * (0.1f + 0.3f), 1e-6);
}

TEST(TriangleFilter, EveryDestinationReceivesAboutOne) {
  for (auto [n, m] : {std::pair{1024u, 640u}, {7u, 3u}, {3u, 11u}, {1u, 5u}, {640u, 1024u}}) {
    for (bool wrap : {false, true}) {
      TriangleWeights weights;
      ASSERT_EQ(S_OK, weights.Build(n, m, wrap));
      std::vector<double> received(m, 0.0);
      for (UINT j = 0; j < n; ++j) {
        for (const TriangleWeight* w = weights.Begin(j); w != weights.End(j); ++w) {
          ASSERT_LT(w->target, m);
          received[w->target] += w->weight;
        }
      }
      for (UINT i = 0; i < m; ++i) {
        EXPECT_NEAR(received[i], 1.0, 1e-3) << n << " -> " << m << " wrap " << wrap << " at " << i;
      }
    }
  }
}

TEST(TriangleFilter, FloatSourceIsNotClampedButTheDestinationConversionClamps) {
  // Float values far outside 0 ... 1: the accumulated rows stay unclamped (a float
  // destination shows them), and an A8R8G8B8 destination clamps them when it encodes.
  const auto source = Ramp({4.0f, -2.0f, 4.0f, -2.0f});
  const auto floats = ResampleRow(source, 2, D3DX_FILTER_TRIANGLE | D3DX_FILTER_MIRROR_U);
  EXPECT_NEAR(floats[0].r, 0.5f * 4 + 0.4375f * -2 + 0.0625f * 4, 1e-5);
  EXPECT_NEAR(floats[1].r, 0.0625f * -2 + 0.4375f * 4 + 0.5f * -2, 1e-5);

  std::vector<FloatPixel> input = {{4, -2, 0.5f, 9}, {4, -2, 0.5f, 9}};
  std::uint32_t out = 0;
  PixelRegion to = RegionOver(&out, D3DFMT_A8R8G8B8, 4, 1);
  PixelRegion from = RegionOver(input.data(), D3DFMT_A32B32G32R32F, 32, 2);
  ASSERT_EQ(S_OK, Blitter(to, from, D3DX_FILTER_TRIANGLE).Run());
  EXPECT_EQ(out, 0xFFFF0080u);
}

TEST(TriangleFilter, UnsignedSourcesAreClampedBeforeEncoding) {
  // An A8R8G8B8 source into a float destination: sums are clamped to 0 ... 1 by the source's
  // class, so sharp edges cannot overshoot.
  Image32 source(5, 1, 0xFFFFFFFF);
  std::vector<FloatPixel> dest(3);
  PixelRegion to = RegionOver(dest.data(), D3DFMT_A32B32G32R32F, 48, 3);
  PixelRegion from = RegionOver(source.Data(), D3DFMT_A8R8G8B8, 20, 5);
  ASSERT_EQ(S_OK, Blitter(to, from, D3DX_FILTER_TRIANGLE).Run());
  for (const FloatPixel& p : dest) EXPECT_LE(p.r, 1.0f);
}

TEST(TriangleFilter, VolumesResampleOnThreeAxes) {
  // A uniform 3 x 3 x 3 volume stays uniform at 2 x 2 x 2.
  std::vector<FloatPixel> source(27, FloatPixel{0.5f, 0.25f, 0.75f, 1.0f});
  std::vector<FloatPixel> dest(8);
  PixelRegion to = RegionOver(dest.data(), D3DFMT_A32B32G32R32F, 32, 2, 2, 2, 64);
  PixelRegion from = RegionOver(source.data(), D3DFMT_A32B32G32R32F, 48, 3, 3, 3, 144);
  ASSERT_EQ(S_OK, Blitter(to, from, D3DX_FILTER_TRIANGLE).Run());
  for (const FloatPixel& p : dest) {
    EXPECT_NEAR(p.r, 0.5f, 1e-5);
    EXPECT_NEAR(p.b, 0.75f, 1e-5);
  }
}

TEST(TriangleFilter, WrappedFirstRowOfABlockFormatIsStoredWithTheRest) {
  // 8 x 8 opaque red into 4 x 8 DXT1 with wrapping: row 0 completes after rows 1 ... 7.
  Image32 source(8, 8, 0xFFFF0000);
  std::vector<BYTE> dxt(2 * 8, 0);
  PixelRegion to = RegionOver(dxt.data(), D3DFMT_DXT1, 8, 4, 8);
  PixelRegion from = RegionOver(source.Data(), D3DFMT_A8R8G8B8, 32, 8, 8);
  ASSERT_EQ(S_OK, Blitter(to, from, D3DX_FILTER_TRIANGLE).Run());
  std::vector<FloatPixel> row(4);
  RowConverterPtr reader = MakeRowConverter(RegionOver(dxt.data(), D3DFMT_DXT1, 8, 4, 8));
  for (UINT y = 0; y < 8; ++y) {
    reader->DecodeRow(y, 0, row.data());
    for (const FloatPixel& p : row) {
      EXPECT_EQ(p.r, 1.0f) << "row " << y;
      EXPECT_EQ(p.g, 0.0f) << "row " << y;
    }
  }
}

}  // namespace
