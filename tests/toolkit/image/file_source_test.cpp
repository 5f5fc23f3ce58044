// Files as blocks of bytes: image information from named files, narrow and wide, and the
// ways a name can fail to give a block.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "png_writer.h"
#include "toolkit/common/result.h"
#include "toolkit/image/d3dx_image.h"
#include "toolkit/image/file_source.h"

namespace {

class ImageFiles : public testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = testing::TempDir() + "imagefilesXXXXXX";
    ASSERT_NE(nullptr, mkdtemp(pattern.data()));
    folder = pattern + "/";
  }
  void TearDown() override {
    for (const std::string& path : created) std::remove(path.c_str());
    rmdir(folder.c_str());
  }

  std::string Write(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    const std::string path = folder + name;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    EXPECT_NE(nullptr, file);
    if (file == nullptr) return path;
    if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
    created.push_back(path);
    return path;
  }

  std::string folder;
  std::vector<std::string> created;
};

TEST_F(ImageFiles, NarrowAndWideNamesDescribeTheSameFile) {
  const std::string path =
      Write("k\xC3\xA4""fer.png", WritePng(RampPicture(PNG_COLOR_TYPE_GRAY_ALPHA, 16, 6, 4)));
  D3DXIMAGE_INFO narrow{};
  ASSERT_EQ(S_OK, D3DXGetImageInfoFromFileA(path.c_str(), &narrow));
  EXPECT_EQ(6u, narrow.Width);
  EXPECT_EQ(4u, narrow.Height);
  EXPECT_EQ(D3DFMT_A8L8, narrow.Format);

  std::u16string wideName;
  for (char c : folder) wideName += static_cast<char16_t>(static_cast<unsigned char>(c));
  wideName += u"k\u00E4fer.png";
  D3DXIMAGE_INFO wide{};
  ASSERT_EQ(S_OK, D3DXGetImageInfoFromFileW(reinterpret_cast<const WCHAR*>(wideName.c_str()),
                                            &wide));
  EXPECT_EQ(0, std::memcmp(&narrow, &wide, sizeof wide));
}

TEST_F(ImageFiles, EmptyFileOpensWithoutBytesAndIsAnInvalidCall) {
  const std::string path = Write("empty.png", {});
  FileSource source;
  ASSERT_EQ(S_OK, source.Open(path.c_str()));
  EXPECT_EQ(nullptr, source.Data());
  EXPECT_EQ(0u, source.Size());
  D3DXIMAGE_INFO info{};
  EXPECT_EQ(D3DERR_INVALIDCALL, D3DXGetImageInfoFromFileA(path.c_str(), &info));
}

TEST_F(ImageFiles, NamesThatGiveNoFileAreInvalidData) {
  D3DXIMAGE_INFO info{};
  EXPECT_EQ(D3DXERR_INVALIDDATA, D3DXGetImageInfoFromFileA((folder + "missing.png").c_str(),
                                                           &info));
  // A folder, and a pipe that nobody writes to (opening it must not wait for a writer).
  EXPECT_EQ(D3DXERR_INVALIDDATA, D3DXGetImageInfoFromFileA(folder.c_str(), &info));
  const std::string pipe = folder + "pipe";
  ASSERT_EQ(0, mkfifo(pipe.c_str(), 0600));
  created.push_back(pipe);
  EXPECT_EQ(D3DXERR_INVALIDDATA, D3DXGetImageInfoFromFileA(pipe.c_str(), &info));
  // An unpaired surrogate has no UTF-8 form.
  const WCHAR broken[] = {u'a', 0xD800, u'b', 0};
  EXPECT_EQ(D3DXERR_INVALIDDATA, D3DXGetImageInfoFromFileW(broken, &info));
}

TEST_F(ImageFiles, NullNameIsAnInvalidCall) {
  D3DXIMAGE_INFO info{};
  EXPECT_EQ(D3DERR_INVALIDCALL, D3DXGetImageInfoFromFileA(nullptr, &info));
  EXPECT_EQ(D3DERR_INVALIDCALL, D3DXGetImageInfoFromFileW(nullptr, &info));
}

TEST_F(ImageFiles, SourceCanBeClosedAndReopened) {
  const std::string path = Write("text.txt", {'a', 'b', 'c'});
  FileSource source;
  source.Close();
  ASSERT_EQ(S_OK, source.Open(path.c_str()));
  ASSERT_EQ(3u, source.Size());
  EXPECT_EQ('c', source.Data()[2]);
  EXPECT_EQ(D3DXERR_INVALIDDATA, source.Open((folder + "missing").c_str()));
  EXPECT_EQ(nullptr, source.Data());
  source.Close();
  source.Close();
}

}  // namespace
