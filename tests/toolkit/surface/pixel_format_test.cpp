#include "toolkit/surface/pixel_format.h"

#include <gtest/gtest.h>

#include <set>

namespace {

void ExpectDefaultRow(const PixelFormatInfo& row) {
  EXPECT_EQ(row.format, D3DFMT_UNKNOWN);
  EXPECT_EQ(row.kind, PixelKind::Colour);
  EXPECT_EQ(row.bitsPerPixel, 32u);
  EXPECT_EQ(row.extraBits, 0u);
  EXPECT_EQ(row.alphaBits, 8u);
  EXPECT_EQ(row.redBits, 8u);
  EXPECT_EQ(row.greenBits, 8u);
  EXPECT_EQ(row.blueBits, 8u);
  EXPECT_EQ(row.candidate, 0u);
}

TEST(PixelFormatTable, HoldsFiftySevenDistinctFormats) {
  ASSERT_EQ(PixelFormatTableSize(), 57u);
  std::set<DWORD> formats;
  for (UINT i = 0; i < PixelFormatTableSize(); ++i) {
    formats.insert(static_cast<DWORD>(PixelFormatTable()[i].format));
  }
  EXPECT_EQ(formats.size(), 57u);
  EXPECT_EQ(PixelFormatTable()[0].format, D3DFMT_R8G8B8);
  EXPECT_EQ(PixelFormatTable()[56].format, FMT_R16G16B16);
}

TEST(PixelFormatTable, UnknownFormatsGetTheDefaultRow) {
  ExpectDefaultRow(GetPixelFormatInfo(D3DFMT_UNKNOWN));
  ExpectDefaultRow(GetPixelFormatInfo(static_cast<D3DFORMAT>(99)));
}

TEST(PixelFormatTable, RowsCarryKindBitsAndChannels) {
  const PixelFormatInfo& argb = GetPixelFormatInfo(D3DFMT_A8R8G8B8);
  EXPECT_EQ(argb.bitsPerPixel, 32u);
  EXPECT_EQ(argb.alphaBits, 8u);
  EXPECT_EQ(argb.candidate, 1u);

  const PixelFormatInfo& l6v5u5 = GetPixelFormatInfo(D3DFMT_L6V5U5);
  EXPECT_EQ(l6v5u5.kind, PixelKind::Signed);
  EXPECT_EQ(l6v5u5.extraBits, 6u);
  EXPECT_EQ(l6v5u5.greenBits, 5u);

  const PixelFormatInfo& d24s8 = GetPixelFormatInfo(D3DFMT_D24S8);
  EXPECT_EQ(d24s8.kind, PixelKind::DepthStencil);
  EXPECT_EQ(d24s8.greenBits, 8u);
  EXPECT_EQ(d24s8.blueBits, 24u);

  // Block formats list 16 bits whatever their blocks hold.
  EXPECT_EQ(GetPixelFormatInfo(D3DFMT_DXT5).bitsPerPixel, 16u);
  EXPECT_EQ(GetPixelFormatInfo(D3DFMT_DXT1).alphaBits, 1u);
  EXPECT_EQ(GetPixelFormatInfo(FMT_A16L16).kind, PixelKind::Luminance);
  EXPECT_EQ(GetPixelFormatInfo(FMT_R16G16B16).bitsPerPixel, 48u);
  EXPECT_EQ(GetPixelFormatInfo(D3DFMT_P8).kind, PixelKind::Palettised);
}

TEST(NumericClassOf, SortsFormatsByValueClass) {
  EXPECT_EQ(NumericClassOf(D3DFMT_A8R8G8B8), NumericClass::Unorm);
  EXPECT_EQ(NumericClassOf(D3DFMT_D16_LOCKABLE), NumericClass::Unorm);
  EXPECT_EQ(NumericClassOf(D3DFMT_P8), NumericClass::Unorm);
  EXPECT_EQ(NumericClassOf(D3DFMT_V8U8), NumericClass::SnormRGB);
  EXPECT_EQ(NumericClassOf(D3DFMT_A2W10V10U10), NumericClass::SnormRGB);
  EXPECT_EQ(NumericClassOf(D3DFMT_CxV8U8), NumericClass::SnormRGB);
  EXPECT_EQ(NumericClassOf(D3DFMT_Q8W8V8U8), NumericClass::SnormAll);
  EXPECT_EQ(NumericClassOf(D3DFMT_Q16W16V16U16), NumericClass::SnormAll);
  EXPECT_EQ(NumericClassOf(D3DFMT_R16F), NumericClass::Float);
  EXPECT_EQ(NumericClassOf(D3DFMT_D32F_LOCKABLE), NumericClass::Float);
}

}  // namespace
