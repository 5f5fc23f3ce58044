// The Blitter's choice of strategy and the strategies without resampling arithmetic: direct
// copy, same-size conversion, NONE and POINT; filter validation and unsupported formats.
#include <gtest/gtest.h>

#include "blit_helpers.h"
#include "toolkit/common/allocation.h"
#include "toolkit/surface/row_transfer.h"

namespace {

constexpr D3DCOLOR key = 0xFF6A4C30;

TEST(BlitterStrategy, SameFormatAndSizeWithoutKeyIsAByteCopyWhateverTheFilter) {
  // A conversion would write the X byte as 0; the byte copy keeps it.
  for (DWORD filter : {D3DX_FILTER_NONE, D3DX_FILTER_TRIANGLE | D3DX_FILTER_DITHER,
                       D3DX_FILTER_BOX | D3DX_FILTER_DITHER_DIFFUSION}) {
    Image32 source = NoiseImage(7, 5, 1), dest(7, 5);
    ASSERT_EQ(S_OK, BlitImages(dest, D3DFMT_X8R8G8B8, source, D3DFMT_X8R8G8B8, filter));
    EXPECT_EQ(dest.pixels, source.pixels) << "filter " << std::hex << filter;
  }
}

TEST(BlitterStrategy, KeyTurnsTheSameSizeCopyIntoAConversion) {
  Image32 source = NoiseImage(6, 4, 2), dest(6, 4);
  source.At(1, 1) = key;
  source.At(2, 3) = 0xFE6A4C30;  // same colour, other alpha: kept
  ASSERT_EQ(S_OK,
            BlitImages(dest, D3DFMT_A8R8G8B8, source, D3DFMT_A8R8G8B8, D3DX_FILTER_NONE, key));
  for (UINT y = 0; y < 4; ++y) {
    for (UINT x = 0; x < 6; ++x) {
      const std::uint32_t expected = (x == 1 && y == 1) ? 0u : source.At(x, y);
      EXPECT_EQ(dest.At(x, y), expected) << x << ", " << y;
    }
  }
}

TEST(BlitterStrategy, XrgbIntoArgbGetsOpaqueAlpha) {
  Image32 source = NoiseImage(5, 3, 3), dest(5, 3);
  ASSERT_EQ(S_OK, BlitImages(dest, D3DFMT_A8R8G8B8, source, D3DFMT_X8R8G8B8, D3DX_FILTER_POINT));
  for (std::size_t i = 0; i < source.pixels.size(); ++i) {
    EXPECT_EQ(dest.pixels[i], source.pixels[i] | 0xFF000000u);
  }
}

TEST(BlitterStrategy, BlockFormatsCopyWholeBlocksOnly) {
  // 8 x 4 DXT1: two blocks, copied as they are (re-encoding would change these bytes).
  std::vector<BYTE> source = {0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE, 0xF0,
                              0x0F, 0x1E, 0x2D, 0x3C, 0x4B, 0x5A, 0x69, 0x78};
  std::vector<BYTE> dest(16, 0);
  PixelRegion to = RegionOver(dest.data(), D3DFMT_DXT1, 16, 8, 4);
  PixelRegion from = RegionOver(source.data(), D3DFMT_DXT1, 16, 8, 4);
  ASSERT_EQ(S_OK, Blitter(to, from, D3DX_FILTER_NONE).Run());
  EXPECT_EQ(dest, source);

  // A box that cuts blocks is converted instead, and keeps the rest of the blocks.
  std::vector<BYTE> partial(16, 0);
  to = RegionOver(partial.data(), D3DFMT_DXT1, 16, 8, 4);
  to.box = {0, 0, 6, 4, 0, 1};
  from.box = {0, 0, 6, 4, 0, 1};
  ASSERT_EQ(S_OK, Blitter(to, from, D3DX_FILTER_NONE).Run());
  EXPECT_NE(partial, source);
}

TEST(BlitterNone, PixelsOutsideTheOverlapBecomeTransparentBlack) {
  Image32 source = NoiseImage(20, 10, 4), dest(32, 16, 0xDEADBEEF);
  source.At(3, 2) = 0xFF000000u;
  ASSERT_EQ(S_OK, BlitImages(dest, D3DFMT_A8R8G8B8, source, D3DFMT_X8R8G8B8, D3DX_FILTER_NONE,
                             0xFF000000u));
  for (UINT y = 0; y < 16; ++y) {
    for (UINT x = 0; x < 32; ++x) {
      std::uint32_t expected = 0;
      if (x < 20 && y < 10) expected = source.At(x, y) | 0xFF000000u;
      if (x == 3 && y == 2) expected = 0;
      ASSERT_EQ(dest.At(x, y), expected) << x << ", " << y;
    }
  }
}

TEST(BlitterNone, LargerSourceKeepsItsTopLeftCorner) {
  Image32 source = NoiseImage(40, 40, 5), dest(32, 32);
  ASSERT_EQ(S_OK, BlitImages(dest, D3DFMT_A8R8G8B8, source, D3DFMT_A8R8G8B8, D3DX_FILTER_NONE));
  for (UINT y = 0; y < 32; ++y) {
    for (UINT x = 0; x < 32; ++x) ASSERT_EQ(dest.At(x, y), source.At(x, y));
  }
}

TEST(BlitterNone, SlicesBeyondTheSourceAreCleared) {
  // Two-slice source into a three-slice destination of a different width.
  std::vector<std::uint32_t> source = {0xFF000001, 0xFF000002, 0xFF000003, 0xFF000004};
  std::vector<std::uint32_t> dest(3 * 3, 0xCCCCCCCC);
  PixelRegion to = RegionOver(dest.data(), D3DFMT_A8R8G8B8, 12, 3, 1, 3, 12);
  PixelRegion from = RegionOver(source.data(), D3DFMT_A8R8G8B8, 8, 2, 1, 2, 8);
  ASSERT_EQ(S_OK, Blitter(to, from, D3DX_FILTER_NONE).Run());
  const std::vector<std::uint32_t> expected = {0xFF000001, 0xFF000002, 0, 0xFF000003, 0xFF000004,
                                               0,          0,          0, 0};
  EXPECT_EQ(dest, expected);
}

TEST(BlitterPoint, StepsAreSixteenDotSixteenFromZero) {
  // 3 -> 2: step 98304 (1.5), so destination 0 and 1 take source 0 and 1.
  const std::vector<FloatPixel> row = {{0.1f, 0, 0, 1}, {0.2f, 0, 0, 1}, {0.3f, 0, 0, 1}};
  const std::vector<FloatPixel> out = ResampleRow(row, 2, D3DX_FILTER_POINT);
  EXPECT_EQ(out[0].r, 0.1f);
  EXPECT_EQ(out[1].r, 0.2f);
  // 2 -> 5: step 0.4, sources 0, 0, 0, 1, 1.
  const std::vector<FloatPixel> up = ResampleRow({row[0], row[1]}, 5, D3DX_FILTER_POINT);
  const float expected[5] = {0.1f, 0.1f, 0.1f, 0.2f, 0.2f};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(up[i].r, expected[i]) << i;
}

TEST(BlitterPoint, PicksRowsAndColumnsInTwoDimensions) {
  Image32 source(4, 4), dest(2, 2);
  for (UINT y = 0; y < 4; ++y) {
    for (UINT x = 0; x < 4; ++x) source.At(x, y) = 0xFF000000u | (y << 8) | x;
  }
  ASSERT_EQ(S_OK, BlitImages(dest, D3DFMT_A8R8G8B8, source, D3DFMT_A8R8G8B8, D3DX_FILTER_POINT));
  EXPECT_EQ(dest.At(0, 0), source.At(0, 0));
  EXPECT_EQ(dest.At(1, 0), source.At(2, 0));
  EXPECT_EQ(dest.At(0, 1), source.At(0, 2));
  EXPECT_EQ(dest.At(1, 1), source.At(2, 2));
}

TEST(BlitterValidation, BadFiltersAndUnsupportedFormats) {
  Image32 source(4, 4), dest(2, 2);
  EXPECT_EQ(D3DERR_INVALIDCALL, BlitImages(dest, D3DFMT_A8R8G8B8, source, D3DFMT_A8R8G8B8, 0));
  EXPECT_EQ(D3DERR_INVALIDCALL, BlitImages(dest, D3DFMT_A8R8G8B8, source, D3DFMT_A8R8G8B8, 6));
  EXPECT_EQ(D3DERR_INVALIDCALL, BlitImages(dest, D3DFMT_A8R8G8B8, source, D3DFMT_A8R8G8B8,
                                           D3DX_FILTER_POINT | 0x800000));
  EXPECT_TRUE(IsValidFilter(D3DX_FILTER_BOX | D3DX_FILTER_MIRROR | D3DX_FILTER_DITHER |
                            D3DX_FILTER_DITHER_DIFFUSION | D3DX_FILTER_SRGB));
  EXPECT_EQ(E_FAIL, BlitImages(dest, D3DFMT_D24S8, source, D3DFMT_A8R8G8B8, D3DX_FILTER_NONE));
  EXPECT_EQ(E_FAIL, BlitImages(dest, D3DFMT_A8R8G8B8, source, D3DFMT_D32, D3DX_FILTER_NONE));
}

TEST(BlitterValidation, EmptySourceClearsTheDestination) {
  Image32 source(4, 4, 0xFFFFFFFF), dest(3, 2, 0x12345678);
  PixelRegion to = RegionOver(dest.Data(), D3DFMT_A8R8G8B8, 12, 3, 2);
  PixelRegion from = RegionOver(source.Data(), D3DFMT_A8R8G8B8, 16, 4, 4);
  from.box = {2, 1, 2, 3, 0, 1};
  ASSERT_EQ(S_OK, Blitter(to, from, D3DX_FILTER_TRIANGLE).Run());
  EXPECT_EQ(dest.pixels, std::vector<std::uint32_t>(6, 0u));
}

// The packed road of ARGB and XRGB into ARGB must equal the float row in every case.
TEST(RowTransferRoad, PackedPathEqualsTheFloatRow) {
  for (D3DFORMAT format : {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8}) {
    for (D3DCOLOR colourKey : {0u, key, 0x00FF00FFu}) {
      Image32 source = NoiseImage(64, 8, 7);
      for (UINT i = 0; i < 256; ++i) source.pixels[i] = i * 0x01010101u;
      source.At(5, 5) = colourKey;
      source.At(6, 5) = colourKey & 0x00FFFFFFu;
      Image32 packed(64, 8), general(64, 8);
      PixelRegion from = RegionOver(source.Data(), format, 256, 64, 8);
      from.colorKey = colourKey;
      PixelRegion toPacked = RegionOver(packed.Data(), D3DFMT_A8R8G8B8, 256, 64, 8);
      Blitter blitter(toPacked, from, D3DX_FILTER_NONE);
      ASSERT_EQ(S_OK, blitter.Run());
      // The general path: decode and encode through the converters.
      RowConverterPtr decoder = MakeRowConverter(from);
      RowConverterPtr encoder =
          MakeRowConverter(RegionOver(general.Data(), D3DFMT_A8R8G8B8, 256, 64, 8));
      std::vector<FloatPixel> row(64);
      for (UINT y = 0; y < 8; ++y) {
        decoder->DecodeRow(y, 0, row.data());
        encoder->EncodeRow(y, 0, row.data());
      }
      EXPECT_EQ(packed.pixels, general.pixels) << format << " key " << std::hex << colourKey;
    }
  }
}

TEST(BlitterMemory, RefusedAllocationsFailCleanlyAndLeakNothing) {
  Image32 source = NoiseImage(9, 7, 8);
  for (DWORD filter : {D3DX_FILTER_NONE, D3DX_FILTER_POINT, D3DX_FILTER_BOX, D3DX_FILTER_LINEAR,
                       D3DX_FILTER_TRIANGLE | D3DX_FILTER_DITHER_DIFFUSION}) {
    HRESULT hr = E_FAIL;
    const long long refusedBefore = testing_hooks::AllocationsRefused();
    for (int allowed = 0; allowed < 40 && hr != S_OK; ++allowed) {
      Image32 dest(5, 3);
      testing_hooks::FailAllocationAfter(allowed);
      hr = BlitImages(dest, D3DFMT_R5G6B5, source, D3DFMT_A8R8G8B8, filter, key);
      testing_hooks::FailAllocationAfter(-1);
      EXPECT_TRUE(hr == S_OK || hr == E_FAIL || hr == E_OUTOFMEMORY) << std::hex << hr;
    }
    EXPECT_EQ(S_OK, hr) << "filter " << filter;
    EXPECT_GE(testing_hooks::AllocationsRefused() - refusedBefore, 1) << "filter " << filter;
  }
}

// A filter that runs out of memory must not hand the job to another: NONE and POINT into a
// larger box, BOX into an exact half, each with one allocation refused in turn, either fail
// or give what they give with all the memory they want. (A converter that cannot be made
// fails as an unsupported format does.)
TEST(BlitterMemory, ARefusedAllocationNeverChangesTheFilter) {
  Image32 source = NoiseImage(8, 6, 3);
  const struct {
    DWORD filter;
    UINT width, height;
  } cases[] = {{D3DX_FILTER_NONE, 16, 8}, {D3DX_FILTER_POINT, 13, 9}, {D3DX_FILTER_BOX, 4, 3}};
  for (const auto& c : cases) {
    Image32 expected(c.width, c.height);
    ASSERT_EQ(S_OK, BlitImages(expected, D3DFMT_A8R8G8B8, source, D3DFMT_A8R8G8B8, c.filter, key));
    const long long refusedBefore = testing_hooks::AllocationsRefused();
    for (int allowed = 0;; ++allowed) {
      Image32 dest(c.width, c.height);
      const long long before = testing_hooks::AllocationsAsked();
      testing_hooks::FailOneAllocationAfter(allowed);
      const HRESULT hr = BlitImages(dest, D3DFMT_A8R8G8B8, source, D3DFMT_A8R8G8B8, c.filter, key);
      testing_hooks::FailAllocationAfter(-1);
      if (testing_hooks::AllocationsAsked() - before <= allowed) break;  // nothing refused
      if (hr == S_OK) {
        EXPECT_EQ(expected.pixels, dest.pixels) << "filter " << c.filter << ", refusal " << allowed;
      } else {
        EXPECT_TRUE(hr == E_OUTOFMEMORY || hr == E_FAIL) << std::hex << hr;
      }
    }
    EXPECT_GE(testing_hooks::AllocationsRefused() - refusedBefore, 1) << "filter " << c.filter;
  }
}

}  // namespace
