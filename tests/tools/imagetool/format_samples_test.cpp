// imagetool info and load over the sample file of every format besides PNG
// (tests/data/formats).
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "tools/imagetool/image_tool.h"

namespace {

std::string SamplePath(const std::string& name) {
  return std::string(MIREFELL_FORMAT_SAMPLES_DIR) + "/" + name;
}

TEST(ImageToolInfo, DescribesASampleOfEveryOtherFormat) {
  const struct {
    const char* name;
    const char* facts;
  } samples[] = {
      {"sample.bmp", "Width=4 Height=2 Depth=1 MipLevels=1 Format=D3DFMT_R8G8B8 "
                     "ResourceType=D3DRTYPE_TEXTURE ImageFileFormat=D3DXIFF_BMP"},
      {"sample.dib", "Width=4 Height=2 Depth=1 MipLevels=1 Format=D3DFMT_P8 "
                     "ResourceType=D3DRTYPE_TEXTURE ImageFileFormat=D3DXIFF_DIB"},
      {"sample.tga", "Width=4 Height=2 Depth=1 MipLevels=1 Format=D3DFMT_A8R8G8B8 "
                     "ResourceType=D3DRTYPE_TEXTURE ImageFileFormat=D3DXIFF_TGA"},
      {"sample.ppm", "Width=4 Height=2 Depth=1 MipLevels=1 Format=D3DFMT_X8R8G8B8 "
                     "ResourceType=D3DRTYPE_TEXTURE ImageFileFormat=D3DXIFF_PPM"},
      {"sample.jpg", "Width=16 Height=8 Depth=1 MipLevels=1 Format=D3DFMT_X8R8G8B8 "
                     "ResourceType=D3DRTYPE_TEXTURE ImageFileFormat=D3DXIFF_JPG"},
      {"sample.pfm", "Width=4 Height=2 Depth=1 MipLevels=1 Format=D3DFMT_A32B32G32R32F "
                     "ResourceType=D3DRTYPE_TEXTURE ImageFileFormat=D3DXIFF_PFM"},
      {"sample.hdr", "Width=8 Height=2 Depth=1 MipLevels=1 Format=D3DFMT_A32B32G32R32F "
                     "ResourceType=D3DRTYPE_TEXTURE ImageFileFormat=D3DXIFF_HDR"},
      {"sample.dds", "Width=8 Height=8 Depth=1 MipLevels=4 Format=D3DFMT_DXT1 "
                     "ResourceType=D3DRTYPE_TEXTURE ImageFileFormat=D3DXIFF_DDS"},
      {"sample_cube.dds", "Width=2 Height=2 Depth=1 MipLevels=1 Format=D3DFMT_A8R8G8B8 "
                          "ResourceType=D3DRTYPE_CUBETEXTURE ImageFileFormat=D3DXIFF_DDS"},
      {"sample_volume.dds", "Width=4 Height=4 Depth=2 MipLevels=2 Format=D3DFMT_L8 "
                            "ResourceType=D3DRTYPE_VOLUMETEXTURE ImageFileFormat=D3DXIFF_DDS"},
  };
  for (const auto& sample : samples) {
    std::ostringstream out;
    std::ostringstream err;
    const std::string path = SamplePath(sample.name);
    EXPECT_EQ(kExitDone, RunImageTool({"info", path}, out, err)) << sample.name;
    EXPECT_EQ(path + ": " + sample.facts + "\n", out.str());
    EXPECT_EQ("", err.str());
  }
}

TEST(ImageToolLoad, MakesATextureOfASampleOfEveryOtherFormat) {
  const struct {
    const char* name;
    const char* texture;
  } samples[] = {
      {"sample.bmp", "Width=4 Height=2 Levels=3 Format=D3DFMT_X8R8G8B8"},
      {"sample.dib", "Width=4 Height=2 Levels=3 Format=D3DFMT_X8R8G8B8"},
      {"sample.tga", "Width=4 Height=2 Levels=3 Format=D3DFMT_A8R8G8B8"},
      {"sample.ppm", "Width=4 Height=2 Levels=3 Format=D3DFMT_X8R8G8B8"},
      {"sample.jpg", "Width=16 Height=8 Levels=5 Format=D3DFMT_X8R8G8B8"},
      {"sample.pfm", "Width=4 Height=2 Levels=3 Format=D3DFMT_A32B32G32R32F"},
      {"sample.hdr", "Width=8 Height=2 Levels=4 Format=D3DFMT_A32B32G32R32F"},
      {"sample.dds", "Width=8 Height=8 Levels=4 Format=D3DFMT_DXT1"},
  };
  for (const auto& sample : samples) {
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(kExitDone, RunImageTool({"load", SamplePath(sample.name)}, out, err))
        << sample.name << ": " << err.str();
    EXPECT_NE(std::string::npos, out.str().find(std::string("texture: ") + sample.texture))
        << out.str();
  }
}

}  // namespace
