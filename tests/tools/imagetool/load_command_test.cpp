// imagetool load: the texture it reports, the levels it writes, and its bad arguments.
#include <gtest/gtest.h>
#include <png.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "tests/toolkit/image/png_expectations.h"
#include "tools/imagetool/image_tool.h"

namespace {

struct ToolRun {
  int status;
  std::string out;
  std::string err;
};

ToolRun RunLoad(std::vector<std::string> arguments) {
  arguments.insert(arguments.begin(), "load");
  std::ostringstream out;
  std::ostringstream err;
  const int status = RunImageTool(arguments, out, err);
  return {status, out.str(), err.str()};
}

struct RgbaPicture {
  png_uint_32 width = 0;
  png_uint_32 height = 0;
  std::vector<std::uint8_t> bytes;
};

// A file as libpng alone decodes it into red, green, blue and alpha bytes.
RgbaPicture ReadRgba(const std::string& path) {
  RgbaPicture picture;
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (png_image_begin_read_from_file(&image, path.c_str()) == 0) return picture;
  image.format = PNG_FORMAT_RGBA;
  picture.bytes.resize(PNG_IMAGE_SIZE(image));
  if (png_image_finish_read(&image, nullptr, picture.bytes.data(), 0, nullptr) == 0) return {};
  picture.width = image.width;
  picture.height = image.height;
  return picture;
}

class LoadCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = ::testing::TempDir() + "imagetool-load-" + std::to_string(::getpid());
  }
  void TearDown() override { std::filesystem::remove_all(folder); }

  std::string folder;
};

TEST_F(LoadCommandTest, ReportsTheFileAndTheTextureAndWritesEveryLevel) {
  const std::string file = PngSuitePath("basn6a08.png");
  const ToolRun run = RunLoad({file, "--out", folder});
  ASSERT_EQ(kExitDone, run.status) << run.err;
  EXPECT_EQ("", run.err);
  std::string expected = file +
                         ": Width=32 Height=32 Depth=1 MipLevels=1 Format=D3DFMT_A8R8G8B8 "
                         "ResourceType=D3DRTYPE_TEXTURE ImageFileFormat=D3DXIFF_PNG\n"
                         "texture: Width=32 Height=32 Levels=6 Format=D3DFMT_A8R8G8B8 "
                         "Pool=D3DPOOL_MANAGED\n";
  for (int level = 0; level < 6; ++level) {
    expected += folder + "/level-" + std::to_string(level) + ".png\n";
  }
  EXPECT_EQ(expected, run.out);

  // Level 0 holds the picture unchanged; the last level is one pixel.
  const RgbaPicture original = ReadRgba(file);
  const RgbaPicture top = ReadRgba(folder + "/level-0.png");
  ASSERT_EQ(32u, top.width);
  EXPECT_EQ(original.bytes, top.bytes);
  const RgbaPicture last = ReadRgba(folder + "/level-5.png");
  EXPECT_EQ(1u, last.width);
  EXPECT_EQ(1u, last.height);
}

TEST_F(LoadCommandTest, EveryOptionReachesTheCall) {
  // A 32 x 32 RGB picture: keyed on its first pixel, its own size, one level, 16-bit colour.
  const std::string file = PngSuitePath("basn2c08.png");
  const RgbaPicture original = ReadRgba(file);
  ASSERT_FALSE(original.bytes.empty());
  char key[16];
  std::snprintf(key, sizeof key, "0x%02X%02X%02X%02X", original.bytes[3], original.bytes[0],
                original.bytes[1], original.bytes[2]);
  ToolRun run = RunLoad({file, "--width", "nonpow2", "--height", "20", "--levels", "1",
                         "--format", "D3DFMT_A8R8G8B8", "--pool", "systemmem", "--filter", "none",
                         "--mip-filter", "5", "--colorkey", key, "--out", folder});
  ASSERT_EQ(kExitDone, run.status) << run.err;
  EXPECT_NE(std::string::npos, run.out.find("texture: Width=32 Height=20 Levels=1 "
                                            "Format=D3DFMT_A8R8G8B8 Pool=D3DPOOL_SYSTEMMEM\n"))
      << run.out;
  const RgbaPicture top = ReadRgba(folder + "/level-0.png");
  ASSERT_EQ(20u, top.height);
  EXPECT_EQ((std::vector<std::uint8_t>{0, 0, 0, 0}),
            std::vector<std::uint8_t>(top.bytes.begin(), top.bytes.begin() + 4));
  // Unscaled: the rows kept are the picture's first rows.
  EXPECT_EQ(std::vector<std::uint8_t>(original.bytes.begin() + 32 * 4 * 19,
                                      original.bytes.begin() + 32 * 4 * 20),
            std::vector<std::uint8_t>(top.bytes.begin() + 32 * 4 * 19, top.bytes.end()));

  run = RunLoad({file, "--format", "D3DFMT_R5G6B5", "--levels", "default", "--filter", "box"});
  ASSERT_EQ(kExitDone, run.status) << run.err;
  EXPECT_NE(std::string::npos, run.out.find("Levels=6 Format=D3DFMT_R5G6B5"));
}

TEST_F(LoadCommandTest, FilesThatDoNotLoadExitWithOne) {
  ToolRun run = RunLoad({"no/such/file.png"});
  EXPECT_EQ(kExitFileFailed, run.status);
  EXPECT_EQ("no/such/file.png: error D3DXERR_INVALIDDATA\n", run.out);
  // An output folder that is a file.
  const std::string file = PngSuitePath("basn6a08.png");
  run = RunLoad({file, "--out", file});
  EXPECT_EQ(kExitFileFailed, run.status);
  EXPECT_NE(std::string::npos, run.out.find(file + ": error cannot make the folder"));
}

TEST_F(LoadCommandTest, BadArgumentsExitWithTwoAndSayWhy) {
  const struct {
    std::vector<std::string> arguments;
    const char* message;
  } cases[] = {
      {{}, "no file given"},
      {{"a.png", "b.png"}, "one file at a time"},
      {{"a.png", "--depth", "2"}, "unknown option '--depth'"},
      {{"a.png", "--width"}, "--width needs a size"},
      {{"a.png", "--width", "-3"}, "--width takes a size (N, default or nonpow2), not '-3'"},
      {{"a.png", "--levels", "4294967296"}, "--levels takes"},
      {{"a.png", "--format", "A8R8G8B8"}, "--format takes a format name"},
      {{"a.png", "--pool", "video"}, "--pool takes default, managed, systemmem or scratch"},
      {{"a.png", "--filter", "cubic"}, "--filter takes a filter name or number"},
      {{"a.png", "--mip-filter", "0x"}, "--mip-filter takes"},
      {{"a.png", "--colorkey", "red"}, "--colorkey takes a colour 0xAARRGGBB"},
      {{"a.png", "--out", ""}, "--out takes a folder"},
  };
  for (const auto& c : cases) {
    const ToolRun run = RunLoad(c.arguments);
    EXPECT_EQ(kExitBadArguments, run.status) << c.message;
    EXPECT_NE(std::string::npos, run.err.find(c.message)) << run.err;
    EXPECT_EQ("", run.out);
  }
  const ToolRun help = RunLoad({"--help"});
  EXPECT_EQ(kExitDone, help.status);
  EXPECT_NE(std::string::npos, help.out.find("usage: imagetool load FILE"));
}

}  // namespace
