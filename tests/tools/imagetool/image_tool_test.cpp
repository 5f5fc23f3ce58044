// imagetool: the info command over PngSuite, and how bad arguments are answered.
#include "tools/imagetool/image_tool.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "tests/toolkit/image/png_expectations.h"
#include "tools/imagetool/names.h"

namespace {

struct ToolRun {
  int status;
  std::string out;
  std::string err;
};

ToolRun RunTool(const std::vector<std::string>& arguments) {
  std::ostringstream out;
  std::ostringstream err;
  const int status = RunImageTool(arguments, out, err);
  return {status, out.str(), err.str()};
}

// The line a readable PNG file should get, from its header chunk alone.
std::string ExpectedInfoLine(const std::string& path) {
  const PngFacts facts = ReadPngFacts(ReadWholeFile(path));
  D3DFORMAT reported = ExpectedPngFormat(facts);
  if (reported == FMT_A16L16) reported = D3DFMT_A8L8;
  if (reported == FMT_R16G16B16) reported = D3DFMT_R8G8B8;
  return path + ": Width=" + std::to_string(facts.width) + " Height=" +
         std::to_string(facts.height) + " Depth=1 MipLevels=1 Format=" + FormatName(reported) +
         " ResourceType=D3DRTYPE_TEXTURE ImageFileFormat=D3DXIFF_PNG";
}

TEST(ImageToolInfo, DescribesEveryPngSuiteFileOnItsOwnLine) {
  std::vector<std::string> arguments = {"info"};
  for (const std::string& name : PngSuiteNames()) arguments.push_back(PngSuitePath(name));
  const ToolRun run = RunTool(arguments);
  // Some damaged files are refused, so the run as a whole failed.
  EXPECT_EQ(kExitFileFailed, run.status);
  EXPECT_EQ("", run.err);

  std::istringstream lines(run.out);
  std::string line;
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    ASSERT_TRUE(std::getline(lines, line)) << arguments[i];
    const std::string name = arguments[i].substr(arguments[i].rfind('/') + 1);
    // The header of a file damaged after its header still reads.
    const bool headerDamaged = IsDamagedSuiteFile(name) && name != "xcsn0g01.png";
    if (headerDamaged) {
      EXPECT_EQ(arguments[i] + ": error D3DXERR_INVALIDDATA", line);
    } else {
      EXPECT_EQ(ExpectedInfoLine(arguments[i]), line);
    }
  }
  EXPECT_FALSE(std::getline(lines, line));
}

TEST(ImageToolInfo, AllFilesReadableMeansSuccess) {
  const ToolRun run = RunTool({"info", PngSuitePath("basn6a16.png"), PngSuitePath("basn2c16.png")});
  EXPECT_EQ(kExitDone, run.status);
  EXPECT_NE(std::string::npos, run.out.find("Format=D3DFMT_A16B16G16R16"));
  EXPECT_NE(std::string::npos, run.out.find("Format=D3DFMT_R8G8B8"));
}

TEST(ImageToolInfo, MissingFileIsReportedAndTheRestStillRead) {
  const ToolRun run = RunTool({"info", "no/such/file.png", "--", PngSuitePath("basn0g08.png")});
  EXPECT_EQ(kExitFileFailed, run.status);
  EXPECT_EQ("no/such/file.png: error D3DXERR_INVALIDDATA\n" +
                ExpectedInfoLine(PngSuitePath("basn0g08.png")) + "\n",
            run.out);
}

TEST(ImageToolArguments, BadArgumentsExitWithTwoAndSayWhy) {
  const struct {
    std::vector<std::string> arguments;
    const char* message;
  } cases[] = {
      {{}, "no command given"},
      {{"frobnicate"}, "unknown command 'frobnicate'"},
      {{"info"}, "no files given"},
      {{"info", "--"}, "no files given"},
      {{"info", "--verbose", "a.png"}, "unknown option '--verbose'"},
  };
  for (const auto& c : cases) {
    const ToolRun run = RunTool(c.arguments);
    EXPECT_EQ(kExitBadArguments, run.status) << c.message;
    EXPECT_NE(std::string::npos, run.err.find(c.message)) << run.err;
    EXPECT_EQ("", run.out);
  }
}

TEST(ImageToolArguments, HelpListsTheCommandsOnStandardOutput) {
  ToolRun run = RunTool({"--help"});
  EXPECT_EQ(kExitDone, run.status);
  EXPECT_NE(std::string::npos, run.out.find("info FILE..."));
  run = RunTool({"info", "--help"});
  EXPECT_EQ(kExitDone, run.status);
  EXPECT_NE(std::string::npos, run.out.find("usage: imagetool info FILE..."));
  // After "--" it is a file name like any other.
  run = RunTool({"info", "--", "--help"});
  EXPECT_EQ("--help: error D3DXERR_INVALIDDATA\n", run.out);
}

TEST(ImageToolNames, UnnamedValuesPrintAsNumbers) {
  EXPECT_EQ("D3DFMT_DXT5", FormatName(D3DFMT_DXT5));
  EXPECT_EQ("FMT_A16L16", FormatName(FMT_A16L16));
  EXPECT_EQ("0x0000002A", FormatName(static_cast<D3DFORMAT>(42)));
  EXPECT_EQ("D3DRTYPE_CUBETEXTURE", ResourceTypeName(D3DRTYPE_CUBETEXTURE));
  EXPECT_EQ("D3DXIFF_PFM", FileFormatName(D3DXIFF_PFM));
  EXPECT_EQ("0x00000009", FileFormatName(static_cast<D3DXIMAGE_FILEFORMAT>(9)));
}

}  // namespace
