// DecodeJpeg through the recognition loop, on files written here with libjpeg: grey, colour
// and ink (CMYK, YCCK) pictures, memory limits, and files that end early or skip past their
// end.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "tests/toolkit/image/decoder_test_support.h"
#include "toolkit/common/allocation.h"
#include "toolkit/image/d3dx_image.h"

// After our headers: jpeglib.h defines TRUE and FALSE as macros.
#include <jpeglib.h>
#undef TRUE
#undef FALSE

namespace {

// A JPEG file of `components` samples a pixel in `space`, every pixel `pixel`, at quality 100.
FileBytes WriteJpeg(UINT width, UINT height, J_COLOR_SPACE space, const std::vector<BYTE>& pixel,
                    bool progressive = false) {
  jpeg_compress_struct info{};
  jpeg_error_mgr errors{};
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = width;
  info.image_height = height;
  info.input_components = static_cast<int>(pixel.size());
  info.in_color_space = space;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 100, 1);
  if (progressive) jpeg_simple_progression(&info);
  jpeg_start_compress(&info, 1);
  std::vector<BYTE> row;
  for (UINT x = 0; x < width; ++x) row.insert(row.end(), pixel.begin(), pixel.end());
  while (info.next_scanline < height) {
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&info, rows, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  FileBytes file(buffer, buffer + size);
  std::free(buffer);
  return file;
}

void ExpectNear(int actual, int expected, const char* what) {
  EXPECT_NEAR(actual, expected, 3) << what;
}

TEST(JpegDecoder, GreyPicturesBecomeL8) {
  DecodeFromBlock decoded(WriteJpeg(9, 5, JCS_GRAYSCALE, {140}));
  ASSERT_EQ(decoded.Result(), S_OK);
  const DecodedImage& image = decoded.Image();
  EXPECT_EQ(image.fileFormat, D3DXIFF_JPG);
  EXPECT_EQ(image.format, D3DFMT_L8);
  EXPECT_EQ(image.width, 9u);
  EXPECT_EQ(image.height, 5u);
  EXPECT_EQ(image.rowPitch, 9u);
  EXPECT_TRUE(image.ownsPixels);
  ExpectNear(decoded.PixelByte(4, 8), 140, "last pixel");
}

TEST(JpegDecoder, ColourPicturesBecomeBlueGreenRedAndZero) {
  DecodeFromBlock decoded(WriteJpeg(10, 3, JCS_RGB, {200, 100, 50}));
  ASSERT_EQ(decoded.Result(), S_OK);
  EXPECT_EQ(decoded.Image().format, D3DFMT_X8R8G8B8);
  EXPECT_EQ(decoded.Image().rowPitch, 40u);
  for (UINT y = 0; y < 3; ++y) {
    ExpectNear(decoded.PixelByte(y, 36), 50, "blue");
    ExpectNear(decoded.PixelByte(y, 37), 100, "green");
    ExpectNear(decoded.PixelByte(y, 38), 200, "red");
    EXPECT_EQ(decoded.PixelByte(y, 39), 0);
  }

  DecodeFromBlock header(WriteJpeg(10, 3, JCS_RGB, {200, 100, 50}), false);
  ASSERT_EQ(header.Result(), S_OK);
  EXPECT_EQ(header.Info().Format, D3DFMT_X8R8G8B8);
  EXPECT_EQ(header.Info().Width, 10u);
  EXPECT_EQ(header.Image().pixels, nullptr);
}

// A 16 x 8 picture of inks running through their range, stored as `stored` (CMYK or YCCK).
FileBytes WriteInkJpeg(J_COLOR_SPACE stored, bool adobeMarker) {
  jpeg_compress_struct info{};
  jpeg_error_mgr errors{};
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = 16;
  info.image_height = 8;
  info.input_components = 4;
  info.in_color_space = JCS_CMYK;
  jpeg_set_defaults(&info);
  jpeg_set_colorspace(&info, stored);
  info.write_Adobe_marker = adobeMarker ? 1 : 0;
  jpeg_set_quality(&info, 90, 1);
  jpeg_start_compress(&info, 1);
  std::vector<BYTE> row(16 * 4);
  while (info.next_scanline < 8) {
    const UINT y = info.next_scanline;
    for (UINT x = 0; x < 16; ++x) {
      const BYTE ink[4] = {static_cast<BYTE>(16 * x), static_cast<BYTE>(255 - 30 * y),
                           static_cast<BYTE>(8 * (x + y)), static_cast<BYTE>(64 + 12 * x)};
      std::memcpy(&row[4 * x], ink, 4);
    }
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&info, rows, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  FileBytes file(buffer, buffer + size);
  std::free(buffer);
  return file;
}

// The inks libjpeg itself decodes from `file`, 4 bytes a pixel.
std::vector<BYTE> DecodeInks(const FileBytes& file) {
  jpeg_decompress_struct info{};
  jpeg_error_mgr errors{};
  info.err = jpeg_std_error(&errors);
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, file.data(), static_cast<unsigned long>(file.size()));
  jpeg_read_header(&info, 1);
  info.out_color_space = JCS_CMYK;
  jpeg_start_decompress(&info);
  std::vector<BYTE> inks(info.output_width * info.output_height * 4);
  while (info.output_scanline < info.output_height) {
    JSAMPROW rows[1] = {&inks[info.output_scanline * info.output_width * 4]};
    jpeg_read_scanlines(&info, rows, 1);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return inks;
}

TEST(JpegDecoder, InkPicturesBecomeTheLightTheirInksLeave) {
  const struct {
    J_COLOR_SPACE stored;
    bool adobeMarker;  // the marker also says the inks are stored inverted
  } kinds[] = {{JCS_CMYK, true}, {JCS_CMYK, false}, {JCS_YCCK, true}};
  for (const auto& kind : kinds) {
    SCOPED_TRACE(kind.stored == JCS_YCCK ? "YCCK" : kind.adobeMarker ? "Adobe CMYK" : "CMYK");
    const FileBytes file = WriteInkJpeg(kind.stored, kind.adobeMarker);
    const std::vector<BYTE> inks = DecodeInks(file);
    DecodeFromBlock decoded(file);
    ASSERT_EQ(decoded.Result(), S_OK);
    EXPECT_EQ(decoded.Image().format, D3DFMT_X8R8G8B8);
    EXPECT_EQ(decoded.Image().rowPitch, 64u);
    int mismatches = 0;
    for (UINT y = 0; y < 8; ++y) {
      for (UINT x = 0; x < 16; ++x) {
        const BYTE* ink = &inks[(y * 16 + x) * 4];
        auto light = [&](int stored) { return kind.adobeMarker ? stored : 255 - stored; };
        auto colour = [&](int channel) {
          return static_cast<int>(std::lround(light(ink[channel]) * light(ink[3]) / 255.0));
        };
        const int expected[4] = {colour(2), colour(1), colour(0), 0};
        for (UINT i = 0; i < 4; ++i) {
          if (decoded.PixelByte(y, 4 * x + i) != expected[i] && ++mismatches < 5) {
            ADD_FAILURE() << "pixel " << x << ", " << y << " byte " << i;
          }
        }
      }
    }
    EXPECT_EQ(0, mismatches);
    EXPECT_EQ(DecodeFromBlock(file, false).Info().Format, D3DFMT_X8R8G8B8);
  }
}

TEST(JpegDecoder, AFileCutShortEndsItsPictureWhereTheBytesEnd) {
  FileBytes whole = WriteJpeg(64, 64, JCS_RGB, {10, 200, 90});
  // A few bytes of scan data after the start-of-scan marker, then nothing.
  std::size_t scan = 0;
  while (scan + 1 < whole.size() && !(whole[scan] == 0xFF && whole[scan + 1] == 0xDA)) ++scan;
  ASSERT_LT(scan + 40, whole.size());
  FileBytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(scan + 40));
  DecodeFromBlock decoded(cut);
  ASSERT_EQ(decoded.Result(), S_OK);
  EXPECT_EQ(decoded.Image().height, 64u);
  ExpectNear(decoded.PixelByte(0, 1), 200, "green of the first pixel");
}

TEST(JpegDecoder, AMarkerThatSkipsPastTheEndStopsThere) {
  FileBytes whole = WriteJpeg(8, 8, JCS_GRAYSCALE, {77});
  FileBytes skipping = {0xFF, 0xD8, 0xFF, 0xE1, 0xFF, 0xFF};  // APP1 of 65,533 bytes
  skipping.insert(skipping.end(), whole.begin() + 2, whole.end());
  EXPECT_EQ(DecodeFromBlock(skipping).Result(), D3DXERR_INVALIDDATA);
}

// A small progressive file whose frame header is made to declare `width` x `height`.
FileBytes HugeProgressiveJpeg(J_COLOR_SPACE space, const std::vector<BYTE>& pixel, UINT width,
                              UINT height) {
  FileBytes file = WriteJpeg(16, 16, space, pixel, true);
  std::size_t frame = 2;
  while (frame + 9 < file.size() && !(file[frame] == 0xFF && file[frame + 1] == 0xC2)) ++frame;
  EXPECT_LT(frame + 9, file.size());
  file[frame + 5] = static_cast<BYTE>(height >> 8);
  file[frame + 6] = static_cast<BYTE>(height);
  file[frame + 7] = static_cast<BYTE>(width >> 8);
  file[frame + 8] = static_cast<BYTE>(width);
  return file;
}

TEST(JpegDecoder, TheHeaderAloneStartsNoDecompression) {
  // 30000 x 30000 colour: libjpeg would keep 2.7 GB of coefficients for its scans.
  const FileBytes file = HugeProgressiveJpeg(JCS_RGB, {200, 100, 50}, 30000, 30000);
  const std::size_t peakBefore = PeakResidentBytes();
  D3DXIMAGE_INFO info{};
  ASSERT_EQ(S_OK,
            D3DXGetImageInfoFromFileInMemory(file.data(), static_cast<UINT>(file.size()), &info));
  EXPECT_EQ(30000u, info.Width);
  EXPECT_EQ(30000u, info.Height);
  EXPECT_EQ(D3DFMT_X8R8G8B8, info.Format);
  EXPECT_LT(PeakResidentBytes() - peakBefore, std::size_t{256} << 20);
  // Its pixels would pass the limit.
  testing_hooks::TakeLargestAllocationRequest();
  EXPECT_EQ(D3DXERR_INVALIDDATA, DecodeFromBlock(file).Result());
  EXPECT_LT(testing_hooks::TakeLargestAllocationRequest(), std::size_t{1} << 20);
}

TEST(JpegDecoder, ProgressiveFilesWhoseCoefficientsPassTheLimitAreRefusedBeforeDecoding) {
  // 16000 x 16000 grey: 256 MB of pixels, within the budget, but 512 MB of coefficients
  // beside them.
  const FileBytes file = HugeProgressiveJpeg(JCS_GRAYSCALE, {90}, 16000, 16000);
  testing_hooks::TakeLargestAllocationRequest();
  DecodedImage image;
  image.loadPixels = TRUE;
  EXPECT_EQ(E_OUTOFMEMORY, image.DecodeJpeg(file.data(), static_cast<UINT>(file.size())));
  EXPECT_LT(testing_hooks::TakeLargestAllocationRequest(), std::size_t{1} << 20);
  // Progressive files within it decode as their plain twins do.
  DecodeFromBlock plain(WriteJpeg(16, 16, JCS_RGB, {200, 100, 50}));
  DecodeFromBlock progressive(WriteJpeg(16, 16, JCS_RGB, {200, 100, 50}, true));
  ASSERT_EQ(S_OK, progressive.Result());
  EXPECT_EQ(0, std::memcmp(plain.Image().pixels, progressive.Image().pixels, 16 * 64));
}

// The progressive grey file of HugeProgressiveJpeg with its last scan repeated until it holds
// `scans`: libjpeg decodes every repeat over the whole declared picture.
FileBytes ManyScanJpeg(UINT scans, UINT side) {
  FileBytes file = HugeProgressiveJpeg(JCS_GRAYSCALE, {90}, side, side);
  std::vector<std::size_t> starts;
  for (std::size_t at = 0; at + 1 < file.size(); ++at) {
    if (file[at] == 0xFF && file[at + 1] == 0xDA) starts.push_back(at);
  }
  const FileBytes last(file.begin() + static_cast<std::ptrdiff_t>(starts.back()), file.end() - 2);
  FileBytes many(file.begin(), file.end() - 2);
  for (std::size_t count = starts.size(); count < scans; ++count) {
    many.insert(many.end(), last.begin(), last.end());
  }
  PutBytes(many, {0xFF, 0xD9});
  return many;
}

TEST(JpegDecoder, FilesOfMoreScansThanEncodersWriteAreRefusedBeforeAnyScanIsDecoded) {
  // 16384 x 16384 passes the budget; 4096 x 4096 would be decoded a thousand times over.
  for (UINT side : {16384u, 4096u}) {
    SCOPED_TRACE(side);
    const FileBytes file = ManyScanJpeg(1000, side);
    EXPECT_LT(file.size(), std::size_t{64} << 10);
    EXPECT_EQ(D3DXERR_INVALIDDATA, DecodeFromBlock(file, false).Result());
    // The pixel block is asked for before libjpeg reads a scan: nothing asked, nothing read.
    const long long asked = testing_hooks::AllocationsAsked();
    testing_hooks::TakeLargestAllocationRequest();
    DecodedImage image;
    image.loadPixels = TRUE;
    EXPECT_EQ(E_FAIL, image.DecodeJpeg(file.data(), static_cast<UINT>(file.size())));
    EXPECT_EQ(asked, testing_hooks::AllocationsAsked());
    EXPECT_EQ(0u, testing_hooks::TakeLargestAllocationRequest());
  }
  // As many scans as the limit allows still make a picture.
  DecodeFromBlock atLimit(ManyScanJpeg(256, 16));
  ASSERT_EQ(S_OK, atLimit.Result());
  ExpectNear(atLimit.PixelByte(15, 15), 90, "last pixel");
}

TEST(JpegDecoder, SamplingLibjpegCannotScaleIsRefusedByTheHeaderPassToo) {
  // Luma sampled 3 x 2 beside blue-difference at 2 x 1: no whole ratio across.
  FileBytes file = WriteJpeg(48, 16, JCS_RGB, {200, 100, 50});
  std::size_t frame = 2;
  while (frame + 14 < file.size() && !(file[frame] == 0xFF && file[frame + 1] == 0xC0)) ++frame;
  ASSERT_LT(frame + 14, file.size());
  file[frame + 11] = 0x32;
  file[frame + 14] = 0x21;
  EXPECT_EQ(D3DXERR_INVALIDDATA, DecodeFromBlock(file, false).Result());
  EXPECT_EQ(D3DXERR_INVALIDDATA, DecodeFromBlock(file).Result());
}

TEST(JpegDecoder, FilesCutShortOrCorruptedNeverReadOutsideTheBlock) {
  FileBytes bytes = WriteJpeg(16, 8, JCS_RGB, {30, 60, 90});
  DecodeEveryPrefix(bytes);
  DecodeEveryByteCorrupted(bytes);
}

}  // namespace
