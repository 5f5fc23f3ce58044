// imagetool load FILE [options]: one texture made as the game makes its pictures, with every
// argument of D3DXCreateTextureFromFileExA open to the command line.

#include <sys/stat.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <memory>

#include "platform/d3d9/test_device.h"
#include "toolkit/common/defaults.h"
#include "toolkit/common/result.h"
#include "toolkit/image/d3dx_image.h"
#include "toolkit/surface/d3dx_surface.h"
#include "tools/imagetool/image_tool.h"
#include "tools/imagetool/level_export.h"
#include "tools/imagetool/names.h"

namespace {

// The call's arguments; the defaults leave every choice to the toolkit.
struct LoadSettings {
  std::string file;
  UINT width = D3DX_DEFAULT;
  UINT height = D3DX_DEFAULT;
  UINT levels = D3DX_DEFAULT;
  D3DFORMAT format = D3DFMT_UNKNOWN;
  D3DPOOL pool = D3DPOOL_MANAGED;
  DWORD filter = D3DX_DEFAULT;
  DWORD mipFilter = D3DX_DEFAULT;
  D3DCOLOR colorKey = 0;
  std::string outDirectory;
};

std::string Lowered(const std::string& text) {
  std::string lowered = text;
  for (char& c : lowered) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lowered;
}

// A 32-bit number in decimal or with "0x" in hexadecimal, nothing else around it.
bool ParseNumber(const std::string& text, DWORD* value) {
  if (text.empty() || !std::isdigit(static_cast<unsigned char>(text[0]))) return false;
  const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  errno = 0;
  char* end = nullptr;
  const unsigned long long parsed = std::strtoull(text.c_str(), &end, hex ? 16 : 10);
  if (errno != 0 || *end != '\0' || parsed > 0xFFFFFFFFull) return false;
  *value = static_cast<DWORD>(parsed);
  return true;
}

bool ParseSize(const std::string& text, UINT* size) {
  const std::string word = Lowered(text);
  if (word == "default") {
    *size = D3DX_DEFAULT;
    return true;
  }
  if (word == "nonpow2") {
    *size = D3DX_DEFAULT_NONPOW2;
    return true;
  }
  return ParseNumber(text, size);
}

bool ParseLevels(const std::string& text, UINT* levels) {
  if (Lowered(text) == "default") {
    *levels = D3DX_DEFAULT;
    return true;
  }
  return ParseNumber(text, levels);
}

bool ParseFilter(const std::string& text, DWORD* filter) {
  static const struct {
    const char* name;
    DWORD value;
  } names[] = {{"none", D3DX_FILTER_NONE},         {"point", D3DX_FILTER_POINT},
               {"linear", D3DX_FILTER_LINEAR},     {"triangle", D3DX_FILTER_TRIANGLE},
               {"box", D3DX_FILTER_BOX},           {"default", D3DX_DEFAULT}};
  const std::string word = Lowered(text);
  for (const auto& named : names) {
    if (word == named.name) {
      *filter = named.value;
      return true;
    }
  }
  return ParseNumber(text, filter);
}

bool ParsePool(const std::string& text, D3DPOOL* pool) {
  static const struct {
    const char* name;
    D3DPOOL value;
  } names[] = {{"default", D3DPOOL_DEFAULT},
               {"managed", D3DPOOL_MANAGED},
               {"systemmem", D3DPOOL_SYSTEMMEM},
               {"scratch", D3DPOOL_SCRATCH}};
  for (const auto& named : names) {
    if (Lowered(text) == named.name) {
      *pool = named.value;
      return true;
    }
  }
  return false;
}

// One option and how its value is read into the settings.
struct LoadOption {
  const char* name;
  const char* expected;
  bool (*parse)(const std::string& value, LoadSettings& settings);
};

constexpr LoadOption kLoadOptions[] = {
    {"--width", "a size (N, default or nonpow2)",
     [](const std::string& v, LoadSettings& s) { return ParseSize(v, &s.width); }},
    {"--height", "a size (N, default or nonpow2)",
     [](const std::string& v, LoadSettings& s) { return ParseSize(v, &s.height); }},
    {"--levels", "a level count (N or default)",
     [](const std::string& v, LoadSettings& s) { return ParseLevels(v, &s.levels); }},
    {"--format", "a format name such as D3DFMT_A8R8G8B8",
     [](const std::string& v, LoadSettings& s) { return FormatFromName(v, &s.format); }},
    {"--pool", "default, managed, systemmem or scratch",
     [](const std::string& v, LoadSettings& s) { return ParsePool(v, &s.pool); }},
    {"--filter", "a filter name or number",
     [](const std::string& v, LoadSettings& s) { return ParseFilter(v, &s.filter); }},
    {"--mip-filter", "a filter name or number",
     [](const std::string& v, LoadSettings& s) { return ParseFilter(v, &s.mipFilter); }},
    {"--colorkey", "a colour 0xAARRGGBB",
     [](const std::string& v, LoadSettings& s) { return ParseNumber(v, &s.colorKey); }},
    {"--out", "a folder",
     [](const std::string& v, LoadSettings& s) {
       s.outDirectory = v;
       return !v.empty();
     }},
};

const LoadOption* FindOption(const std::string& name) {
  for (const LoadOption& option : kLoadOptions) {
    if (name == option.name) return &option;
  }
  return nullptr;
}

int BadArguments(const std::string& message, std::ostream& err) {
  err << "imagetool load: " << message << " (see imagetool load --help)\n";
  return kExitBadArguments;
}

// -1 when the command should go on with `settings`; otherwise the exit status.
int ParseLoadArguments(const std::vector<std::string>& arguments, LoadSettings& settings,
                       std::ostream& out, std::ostream& err) {
  bool optionsEnded = false;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (!optionsEnded && argument == "--") {
      optionsEnded = true;
      continue;
    }
    if (!optionsEnded && (argument == "--help" || argument == "-h")) {
      // The shared parser prints the command's usage.
      std::vector<std::string> files;
      return ParseFileArguments("load", {argument}, &files, out, err);
    }
    if (!optionsEnded && argument.size() > 1 && argument[0] == '-') {
      const LoadOption* option = FindOption(argument);
      if (option == nullptr) return BadArguments("unknown option '" + argument + "'", err);
      if (i + 1 == arguments.size()) {
        return BadArguments(argument + " needs " + option->expected, err);
      }
      const std::string& value = arguments[++i];
      if (!option->parse(value, settings)) {
        return BadArguments(argument + " takes " + option->expected + ", not '" + value + "'",
                            err);
      }
      continue;
    }
    if (!settings.file.empty()) return BadArguments("one file at a time", err);
    settings.file = argument;
  }
  if (settings.file.empty()) return BadArguments("no file given", err);
  return -1;
}

bool MakeFolder(const std::string& folder) {
  if (::mkdir(folder.c_str(), 0755) == 0) return true;
  struct stat status {};
  return errno == EEXIST && ::stat(folder.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

int WriteLevels(IDirect3DTexture9* texture, const std::string& folder, std::ostream& out) {
  if (!MakeFolder(folder)) {
    out << folder << ": error cannot make the folder\n";
    return kExitFileFailed;
  }
  for (UINT level = 0; level < texture->GetLevelCount(); ++level) {
    const std::string path = folder + "/level-" + std::to_string(level) + ".png";
    const HRESULT written = WriteLevelAsPng(texture, level, path);
    if (FAILED(written)) {
      out << path << ": error " << ResultName(written) << '\n';
      return kExitFileFailed;
    }
    out << path << '\n';
  }
  return kExitDone;
}

int LoadOnDevice(IDirect3DDevice9* device, const LoadSettings& settings, std::ostream& out) {
  D3DXIMAGE_INFO info{};
  IDirect3DTexture9* texture = nullptr;
  const HRESULT loaded = D3DXCreateTextureFromFileExA(
      device, settings.file.c_str(), settings.width, settings.height, settings.levels, 0,
      settings.format, settings.pool, settings.filter, settings.mipFilter, settings.colorKey,
      &info, nullptr, &texture);
  if (FAILED(loaded)) {
    out << settings.file << ": error " << ResultName(loaded) << '\n';
    return kExitFileFailed;
  }
  PrintImageInfo(settings.file, info, out);
  D3DSURFACE_DESC desc{};
  texture->GetLevelDesc(0, &desc);
  out << "texture: Width=" << desc.Width << " Height=" << desc.Height
      << " Levels=" << texture->GetLevelCount() << " Format=" << FormatName(desc.Format)
      << " Pool=" << PoolName(desc.Pool) << '\n';
  const int status =
      settings.outDirectory.empty() ? kExitDone : WriteLevels(texture, settings.outDirectory, out);
  texture->Release();
  return status;
}

}  // namespace

int RunLoadCommand(const std::vector<std::string>& arguments, std::ostream& out,
                   std::ostream& err) {
  LoadSettings settings;
  const int parsed = ParseLoadArguments(arguments, settings, out, err);
  if (parsed >= 0) return parsed;

  IDirect3DDevice9* device = nullptr;
  const HRESULT created =
      d3d9::CreateTestDevice(std::make_shared<d3d9::TestSetup>(), 64, 64, &device);
  if (FAILED(created)) {
    out << "software device: error " << ResultName(created) << '\n';
    return kExitFileFailed;
  }
  const int status = LoadOnDevice(device, settings, out);
  device->Release();
  return status;
}
