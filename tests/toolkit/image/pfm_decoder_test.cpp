// DecodePfm through the recognition loop: byte order by the scale's sign, bottom-up rows,
// grey maps, and malformed headers.

#include <gtest/gtest.h>

#include <cstring>

#include "tests/toolkit/image/decoder_test_support.h"

namespace {

unsigned Bits(float value) {
  unsigned bits = 0;
  std::memcpy(&bits, &value, sizeof(bits));
  return bits;
}

FileBytes MakePfm(const std::string& header, const std::vector<float>& samples,
                  bool littleEndian) {
  FileBytes out;
  PutText(out, header);
  for (float sample : samples) {
    if (littleEndian) {
      PutLe32(out, Bits(sample));
    } else {
      PutBe32(out, Bits(sample));
    }
  }
  return out;
}

TEST(PfmDecoder, NegativeScaleMeansLittleEndianAndRowsRunBottomUp) {
  DecodeFromBlock decoded(
      MakePfm("PF\n1 2\n-1.0\n", {1.0f, 2.0f, 3.0f, 0.25f, 0.5f, 0.75f}, true));
  ASSERT_EQ(decoded.Result(), S_OK);
  const DecodedImage& image = decoded.Image();
  EXPECT_EQ(image.fileFormat, D3DXIFF_PFM);
  EXPECT_EQ(image.format, D3DFMT_A32B32G32R32F);
  EXPECT_EQ(image.rowPitch, 16u);
  EXPECT_EQ(image.height, 2u);
  EXPECT_FLOAT_EQ(decoded.PixelFloat(0, 0, 0), 0.25f);  // the file's last row is the top
  EXPECT_FLOAT_EQ(decoded.PixelFloat(0, 0, 2), 0.75f);
  EXPECT_FLOAT_EQ(decoded.PixelFloat(1, 0, 1), 2.0f);
  EXPECT_FLOAT_EQ(decoded.PixelFloat(1, 0, 3), 1.0f);
}

TEST(PfmDecoder, PositiveScaleMeansBigEndianAndItsMagnitudeIsNotApplied) {
  DecodeFromBlock decoded(MakePfm("PF\n1 1\n4.0\n", {1.5f, -2.0f, 8.0f}, false));
  ASSERT_EQ(decoded.Result(), S_OK);
  EXPECT_FLOAT_EQ(decoded.PixelFloat(0, 0, 0), 1.5f);
  EXPECT_FLOAT_EQ(decoded.PixelFloat(0, 0, 1), -2.0f);
  EXPECT_FLOAT_EQ(decoded.PixelFloat(0, 0, 2), 8.0f);
}

TEST(PfmDecoder, GreySamplesFillRedGreenAndBlue) {
  DecodeFromBlock decoded(MakePfm("Pf\n2 1\n-1\n", {0.5f, 0.125f}, true), false);
  ASSERT_EQ(decoded.Result(), S_OK);
  ASSERT_NE(decoded.Image().pixels, nullptr);  // decoded for the header alone too
  for (UINT channel = 0; channel < 3; ++channel) {
    EXPECT_FLOAT_EQ(decoded.PixelFloat(0, 1, channel), 0.125f);
  }
  EXPECT_FLOAT_EQ(decoded.PixelFloat(0, 1, 3), 1.0f);
}

TEST(PfmDecoder, MalformedHeadersAndShortDataAreRefused) {
  const std::vector<float> one = {1.0f, 2.0f, 3.0f};
  for (const char* header : {
           "PF\n1 1 1\n-1\n",  // three numbers on the size line
           "PF\n1\n-1\n",      // one
           "PF\n1 1\n-1 2\n",  // two scales
           "PF\n1 1\nscale\n",
           "PF\n0 1\n-1\n",
           "PF 1 1\n-1\n",     // no line feed after the magic
           "PF\n-1 1\n-1\n",
       }) {
    EXPECT_EQ(DecodeFromBlock(MakePfm(header, one, true)).Result(), D3DXERR_INVALIDDATA)
        << header;
  }
  EXPECT_EQ(DecodeFromBlock(MakePfm("PF\n2 1\n-1\n", one, true)).Result(), D3DXERR_INVALIDDATA);
  std::string longLine = "PF\n1 1" + std::string(300, ' ') + "\n-1\n";
  EXPECT_EQ(DecodeFromBlock(MakePfm(longLine, one, true)).Result(), D3DXERR_INVALIDDATA);
}

TEST(PfmDecoder, FilesCutShortOrCorruptedNeverReadOutsideTheBlock) {
  FileBytes bytes = MakePfm("PF\n2 1\n-1.0\n", {1, 2, 3, 4, 5, 6}, true);
  DecodeEveryPrefix(bytes);
  DecodeEveryByteCorrupted(bytes);
}

}  // namespace
