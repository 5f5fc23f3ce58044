// What the sampler reads from each kind of texel format.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/d3d9/image.h"
#include "platform/d3d9/raster/texel_decode.h"

namespace d3d9_test {
namespace {

std::uint32_t DecodeOne(D3DFORMAT format, const void* texel, std::size_t bytes) {
  d3d9::Image image(format, 1, 1, 1);
  std::memcpy(image.Bits(), texel, bytes);
  std::uint32_t out = 0;
  EXPECT_TRUE(d3d9::DecodeToArgb(image, &out));
  return out;
}

TEST(TexelDecodeTest, PackedFormatsExpandTheirChannels) {
  const std::uint16_t rgb565 = 0xF81F;  // red and blue full, green 0
  EXPECT_EQ(0xFFFF00FFu, DecodeOne(D3DFMT_R5G6B5, &rgb565, 2));
  const std::uint16_t argb1555 = 0x7C00;  // alpha 0, red full
  EXPECT_EQ(0x00FF0000u, DecodeOne(D3DFMT_A1R5G5B5, &argb1555, 2));
  EXPECT_EQ(0xFFFF0000u, DecodeOne(D3DFMT_X1R5G5B5, &argb1555, 2));
  const std::uint16_t argb4444 = 0x8F0F;
  EXPECT_EQ(0x88FF00FFu, DecodeOne(D3DFMT_A4R4G4B4, &argb4444, 2));
  const std::uint32_t xrgb = 0x00123456;
  EXPECT_EQ(0xFF123456u, DecodeOne(D3DFMT_X8R8G8B8, &xrgb, 4));
  const std::uint32_t abgr = 0x80563412;
  EXPECT_EQ(0x80123456u, DecodeOne(D3DFMT_A8B8G8R8, &abgr, 4));
}

TEST(TexelDecodeTest, AlphaAndLuminanceFormats) {
  const std::uint8_t a8 = 0x7F;
  EXPECT_EQ(0x7F000000u, DecodeOne(D3DFMT_A8, &a8, 1));
  const std::uint8_t l8 = 0x40;
  EXPECT_EQ(0xFF404040u, DecodeOne(D3DFMT_L8, &l8, 1));
  const std::uint16_t a8l8 = 0x20C0;
  EXPECT_EQ(0x20C0C0C0u, DecodeOne(D3DFMT_A8L8, &a8l8, 2));
}

TEST(TexelDecodeTest, WideAndFloatFormatsRoundAndClamp) {
  const std::uint16_t wide[4] = {0xFFFF, 0x8000, 0x0000, 0xFFFF};  // R G B A
  EXPECT_EQ(0xFFFF8000u, DecodeOne(D3DFMT_A16B16G16R16, wide, 8));
  const std::uint16_t halves[4] = {0x3C00, 0x3800, 0x4000, 0xBC00};  // 1, 0.5, 2, -1
  EXPECT_EQ(0x00FF80FFu, DecodeOne(D3DFMT_A16B16G16R16F, halves, 8));
  const float floats[4] = {0.25f, 0.0f, 1.0f, 1.0f};
  EXPECT_EQ(0xFF4000FFu, DecodeOne(D3DFMT_A32B32G32R32F, floats, 16));
  const float red = 0.5f;
  EXPECT_EQ(0xFF80FFFFu, DecodeOne(D3DFMT_R32F, &red, 4));
}

TEST(TexelDecodeTest, DxtBlocksDecodeTheirPalettes) {
  d3d9::Image dxt1(D3DFMT_DXT1, 4, 4, 1);
  // Colour 0 white, colour 1 black, c0 > c1: four colours; texel 0 white, texel 1 black,
  // texel 2 two thirds white, texel 3 one third.
  const std::uint8_t block1[8] = {0xFF, 0xFF, 0x00, 0x00, 0xE4, 0x00, 0x00, 0x00};
  std::memcpy(dxt1.Bits(), block1, 8);
  std::uint32_t out[16];
  ASSERT_TRUE(d3d9::DecodeToArgb(dxt1, out));
  EXPECT_EQ(0xFFFFFFFFu, out[0]);
  EXPECT_EQ(0xFF000000u, out[1]);
  EXPECT_EQ(0xFFAAAAAAu, out[2]);
  EXPECT_EQ(0xFF555555u, out[3]);
  // c0 <= c1: index 3 is transparent black.
  const std::uint8_t transparent[8] = {0x00, 0x00, 0xFF, 0xFF, 0x03, 0x00, 0x00, 0x00};
  std::memcpy(dxt1.Bits(), transparent, 8);
  ASSERT_TRUE(d3d9::DecodeToArgb(dxt1, out));
  EXPECT_EQ(0x00000000u, out[0]);

  d3d9::Image dxt5(D3DFMT_DXT5, 4, 4, 1);
  std::uint8_t block5[16] = {0xFF, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00,  // alpha 255/0
                             0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00};
  std::memcpy(dxt5.Bits(), block5, 16);
  ASSERT_TRUE(d3d9::DecodeToArgb(dxt5, out));
  EXPECT_EQ(0x00FFFFFFu, out[0]);  // alpha index 1: a1 = 0
  EXPECT_EQ(0xFFFFFFFFu, out[1]);  // alpha index 0: a0 = 255

  d3d9::Image dxt3(D3DFMT_DXT3, 4, 4, 1);
  std::uint8_t block3[16] = {0x0F, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0};
  std::memcpy(dxt3.Bits(), block3, 16);
  ASSERT_TRUE(d3d9::DecodeToArgb(dxt3, out));
  EXPECT_EQ(0xFFFFFFFFu, out[0]);
  EXPECT_EQ(0x00FFFFFFu, out[1]);
}

TEST(TexelDecodeTest, FormatsWithoutColoursAreNotDecoded) {
  EXPECT_FALSE(d3d9::CanDecode(D3DFMT_P8));
  EXPECT_FALSE(d3d9::CanDecode(D3DFMT_D24S8));
  EXPECT_TRUE(d3d9::CanDecode(D3DFMT_DXT4));
}

}  // namespace
}  // namespace d3d9_test
