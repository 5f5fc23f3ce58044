// Draws N distinct strings through one font (Arial 18, as the game's credit line) and prints
// resident memory and time as the count passes 1 k, 10 k, 100 k and 1 M strings, for four kinds
// of text: three CJK ideographs (drawn by a fallback face), a Latin word of seven letters, three
// code points from across the Basic Multilingual Plane, and a control that repeats the first
// 1,000 CJK strings. A cache that grows with what it has seen shows as memory that climbs, and
// a search that grows with it as time per string that climbs.
//
//   font_memory [--strings N] [--kind cjk|latin|plane|repeat|all]
//
// Each kind runs in a process of its own, so that its figures start from the same footing.
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "platform/d3d9/d3d9.h"
#include "toolkit/font/d3dx_font.h"
#include "toolkit/font/font_cache.h"

namespace {

using Clock = std::chrono::steady_clock;

enum class Kind { Cjk, Latin, Plane, Repeat };

struct KindName {
  Kind kind;
  const char* name;
};
constexpr KindName kindNames[] = {
    {Kind::Cjk, "cjk"}, {Kind::Latin, "latin"}, {Kind::Plane, "plane"}, {Kind::Repeat, "repeat"}};

// The `index`th string of a kind; distinct for every index below a billion.
std::u16string StringOf(Kind kind, std::uint64_t index) {
  std::u16string text;
  if (kind == Kind::Repeat) index %= 1000;
  switch (kind) {
    case Kind::Repeat:
    case Kind::Cjk: {
      constexpr std::uint64_t ideographs = 0x9FFF - 0x4E00 + 1;
      for (int i = 0; i < 3; ++i, index /= ideographs) {
        text.push_back(static_cast<char16_t>(0x4E00 + index % ideographs));
      }
      break;
    }
    case Kind::Latin:
      for (int i = 0; i < 7; ++i, index /= 26) {
        text.push_back(static_cast<char16_t>(u'a' + index % 26));
      }
      break;
    case Kind::Plane: {
      // Spread over the plane by a multiplier prime to its size; surrogates and controls skipped.
      constexpr std::uint64_t span = 0xFFFE - 0x20;
      std::uint64_t step = index * 3;
      for (int i = 0; i < 3; ++i, ++step) {
        char16_t unit = static_cast<char16_t>(0x20 + (step * 40503) % span);
        if (unit >= 0xD800 && unit <= 0xDFFF) unit = static_cast<char16_t>(unit - 0x800);
        text.push_back(unit);
      }
      break;
    }
  }
  return text;
}

double ResidentMegabytes() {
  std::ifstream statm("/proc/self/statm");
  long pages = 0, resident = 0;
  statm >> pages >> resident;
  return double(resident) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

IDirect3DDevice9* MakeDevice(IDirect3D9* direct3d) {
  D3DPRESENT_PARAMETERS parameters{};
  parameters.BackBufferWidth = 640;
  parameters.BackBufferHeight = 480;
  parameters.BackBufferFormat = D3DFMT_X8R8G8B8;
  parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
  parameters.Windowed = TRUE;
  IDirect3DDevice9* device = nullptr;
  direct3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_HARDWARE_VERTEXPROCESSING,
                         &parameters, &device);
  return device;
}

bool Checkpoint(std::uint64_t drawn) {
  for (std::uint64_t mark = 1000; mark <= drawn; mark *= 10) {
    if (mark == drawn) return true;
  }
  return false;
}

void Run(IDirect3DDevice9* device, Kind kind, const char* name, std::uint64_t strings) {
  ID3DXFont* font = nullptr;
  if (FAILED(D3DXCreateFontA(device, 18, 0, 0, 0, FALSE, 0, 0, 0, 0, "Arial", &font))) {
    std::fprintf(stderr, "font_memory: no font\n");
    std::exit(1);
  }
  std::printf("%-7s %9s %9s %10s %10s %9s %9s\n", "kind", "strings", "RSS MB", "ms/string",
              "total s", "textures", "runs");
  constexpr std::uint64_t window = 10000;
  const Clock::time_point start = Clock::now();
  Clock::time_point windowStart = start;
  double firstWindow = 0, lastWindow = 0;
  for (std::uint64_t i = 0; i < strings; ++i) {
    const std::u16string text = StringOf(kind, i);
    RECT rect = {0, 0, 640, 480};
    device->BeginScene();
    font->DrawTextW(nullptr, reinterpret_cast<LPCWSTR>(text.c_str()), INT(text.size()), &rect, 0,
                    0xFFFFFFFF);
    device->EndScene();
    const std::uint64_t drawn = i + 1;
    if (drawn % window == 0) {
      const Clock::time_point now = Clock::now();
      const double ms = std::chrono::duration<double, std::milli>(now - windowStart).count();
      if (drawn == 2 * window) firstWindow = ms;  // the first window after warm-up
      lastWindow = ms;
      windowStart = now;
    }
    if (Checkpoint(drawn) || drawn == strings) {
      const double total = std::chrono::duration<double>(Clock::now() - start).count();
      FontCacheUsage usage{};
      GetFontCacheUsage(font, &usage);
      std::printf("%-7s %9llu %9.1f %10.4f %10.2f %9u %9u\n", name,
                  static_cast<unsigned long long>(drawn), ResidentMegabytes(),
                  total * 1000.0 / double(drawn), total, usage.textureCount, usage.runCount);
      std::fflush(stdout);
    }
  }
  if (firstWindow > 0) {
    std::printf("%-7s last 10 k / first 10 k after warm-up: %.2f\n\n", name,
                lastWindow / firstWindow);
  }
  font->Release();
}

int RunAlone(const KindName& kind, std::uint64_t strings) {
  IDirect3D9* direct3d = Direct3DCreate9(D3D_SDK_VERSION);
  IDirect3DDevice9* device = MakeDevice(direct3d);
  if (device == nullptr) return 1;
  Run(device, kind.kind, kind.name, strings);
  device->Release();
  direct3d->Release();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::uint64_t strings = 100000;
  std::string wanted = "all";
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--strings") == 0 && i + 1 < argc) {
      strings = std::strtoull(argv[++i], nullptr, 10);
    } else if (std::strcmp(argv[i], "--kind") == 0 && i + 1 < argc) {
      wanted = argv[++i];
    } else {
      std::fprintf(stderr,
                   "usage: font_memory [--strings N] [--kind cjk|latin|plane|repeat|all]\n");
      return 2;
    }
  }
  int status = 0;
  for (const KindName& kind : kindNames) {
    if (wanted != "all" && wanted != kind.name) continue;
    const pid_t child = fork();
    if (child == 0) return RunAlone(kind, strings);
    int childStatus = 1;
    if (child < 0 || waitpid(child, &childStatus, 0) != child || childStatus != 0) status = 1;
  }
  return status;
}
