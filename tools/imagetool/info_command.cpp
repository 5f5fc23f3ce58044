// imagetool info FILE...: one line per file with what D3DXGetImageInfoFromFileA reports.

#include "toolkit/common/result.h"
#include "toolkit/image/d3dx_image.h"
#include "tools/imagetool/image_tool.h"
#include "tools/imagetool/names.h"

void PrintImageInfo(const std::string& file, const D3DXIMAGE_INFO& info, std::ostream& out) {
  out << file << ": Width=" << info.Width << " Height=" << info.Height << " Depth=" << info.Depth
      << " MipLevels=" << info.MipLevels << " Format=" << FormatName(info.Format)
      << " ResourceType=" << ResourceTypeName(info.ResourceType)
      << " ImageFileFormat=" << FileFormatName(info.ImageFileFormat) << '\n';
}

int RunInfoCommand(const std::vector<std::string>& arguments, std::ostream& out,
                   std::ostream& err) {
  std::vector<std::string> files;
  const int parsed = ParseFileArguments("info", arguments, &files, out, err);
  if (parsed >= 0) return parsed;

  int status = kExitDone;
  for (const std::string& file : files) {
    D3DXIMAGE_INFO info{};
    const HRESULT result = D3DXGetImageInfoFromFileA(file.c_str(), &info);
    if (FAILED(result)) {
      out << file << ": error " << ResultName(result) << '\n';
      status = kExitFileFailed;
      continue;
    }
    PrintImageInfo(file, info, out);
  }
  return status;
}
