// A Hebrew, an Arabic and a Devanagari line at an 18-pixel em drawn with DrawTextW on a
// 640 x 480 device, beside SDL2_ttf built with HarfBuzz shaping the same line (script and
// direction set) and blitting it onto a 640 x 480 surface:
//   - Warm: the glyph cache and the faces ready, as on every frame after the first.
//   - FirstFrame: a new font's first draw (its glyphs rasterised into the cache), and for
//     SDL2_ttf a newly opened font's first render.
//   - Cold: the very first draw of the script in the process (faces and shapers opened too);
//     one iteration each, run before anything else touches the script's face.
#include <SDL.h>
#include <SDL_ttf.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "bench/d3d9/frame_renderers.h"
#include "platform/d3d9/d3d9.h"
#include "toolkit/font/d3dx_font.h"

namespace {

constexpr INT kEm = 18;
constexpr RECT kLineRect = {0, 0, 640, 60};

struct ScriptLine {
  const char* name;
  const char* face;    // as the font object asks for it
  const char* file;    // the same face for SDL2_ttf
  const char* script;  // ISO 15924, for SDL2_ttf
  bool rightToLeft;
  const char16_t* wide;  // the line, for DrawTextW
  const char* utf8;      // the same line, for SDL2_ttf
};

const ScriptLine kLines[] = {
    {"Hebrew", "Noto Sans Hebrew", "/usr/share/fonts/truetype/noto/NotoSansHebrew-Regular.ttf",
     "Hebr", true,
     u"\u05E9\u05DC\u05D5\u05DD \u05E2\u05D5\u05DC\u05DD \u05D6\u05D5\u05D4\u05D9 \u05E9\u05D5"
     u"\u05E8\u05D4 \u05E9\u05DC \u05D8\u05E7\u05E1\u05D8 \u05D1\u05E2\u05D1\u05E8\u05D9\u05EA "
     u"\u05DC\u05DE\u05D1\u05D7\u05DF \u05DE\u05D4\u05D9\u05E8\u05D5\u05EA",
     "\u05E9\u05DC\u05D5\u05DD \u05E2\u05D5\u05DC\u05DD \u05D6\u05D5\u05D4\u05D9 \u05E9\u05D5"
     "\u05E8\u05D4 \u05E9\u05DC \u05D8\u05E7\u05E1\u05D8 \u05D1\u05E2\u05D1\u05E8\u05D9\u05EA "
     "\u05DC\u05DE\u05D1\u05D7\u05DF \u05DE\u05D4\u05D9\u05E8\u05D5\u05EA"},
    {"Arabic", "Noto Sans Arabic", "/usr/share/fonts/truetype/noto/NotoSansArabic-Regular.ttf",
     "Arab", true,
     u"\u0627\u0644\u0633\u0644\u0627\u0645 \u0639\u0644\u064A\u0643\u0645 \u0647\u0630\u0627 "
     u"\u0633\u0637\u0631 \u0645\u0646 \u0627\u0644\u0646\u0635 \u0627\u0644\u0639\u0631\u0628"
     u"\u064A \u0644\u0627\u062E\u062A\u0628\u0627\u0631 \u0627\u0644\u0633\u0631\u0639\u0629",
     "\u0627\u0644\u0633\u0644\u0627\u0645 \u0639\u0644\u064A\u0643\u0645 \u0647\u0630\u0627 "
     "\u0633\u0637\u0631 \u0645\u0646 \u0627\u0644\u0646\u0635 \u0627\u0644\u0639\u0631\u0628"
     "\u064A \u0644\u0627\u062E\u062A\u0628\u0627\u0631 \u0627\u0644\u0633\u0631\u0639\u0629"},
    {"Devanagari", "Noto Sans Devanagari",
     "/usr/share/fonts/truetype/noto/NotoSansDevanagari-Regular.ttf", "Deva", false,
     u"\u092F\u0939 \u0939\u093F\u0928\u094D\u0926\u0940 \u092E\u0947\u0902 \u0932\u093F\u0916"
     u"\u0940 \u0917\u0908 \u090F\u0915 \u092A\u0902\u0915\u094D\u0924\u093F \u0939\u0948 "
     u"\u091C\u094B \u0917\u0924\u093F \u0915\u0940 \u091C\u093E\u0901\u091A \u0915\u0930"
     u"\u0924\u0940 \u0939\u0948",
     "\u092F\u0939 \u0939\u093F\u0928\u094D\u0926\u0940 \u092E\u0947\u0902 \u0932\u093F\u0916"
     "\u0940 \u0917\u0908 \u090F\u0915 \u092A\u0902\u0915\u094D\u0924\u093F \u0939\u0948 "
     "\u091C\u094B \u0917\u0924\u093F \u0915\u0940 \u091C\u093E\u0901\u091A \u0915\u0930"
     "\u0924\u0940 \u0939\u0948"},
};

// A 640 x 480 device and one font at a time.
class LineDevice {
 public:
  LineDevice() {
    direct3d_ = Direct3DCreate9(D3D_SDK_VERSION);
    device_ = map_workload::MakeScreenDevice(direct3d_);
    if (device_ == nullptr) std::abort();
  }
  ~LineDevice() {
    ReleaseFont();
    device_->Release();
    direct3d_->Release();
  }
  LineDevice(const LineDevice&) = delete;
  LineDevice& operator=(const LineDevice&) = delete;

  void MakeFont(const ScriptLine& line) {
    ReleaseFont();
    if (FAILED(D3DXCreateFontA(device_, -kEm, 0, 0, 0, FALSE, 0, 0, 0, 0, line.face, &font_))) {
      std::abort();
    }
  }
  void ReleaseFont() {
    if (font_ != nullptr) font_->Release();
    font_ = nullptr;
  }
  void Draw(const ScriptLine& line) {
    device_->BeginScene();
    RECT rect = kLineRect;
    if (font_->DrawTextW(nullptr, reinterpret_cast<LPCWSTR>(line.wide), -1, &rect,
                         line.rightToLeft ? DT_RTLREADING : 0, 0xFFFFFFFF) == 0) {
      std::abort();
    }
    device_->EndScene();
  }

 private:
  IDirect3D9* direct3d_ = nullptr;
  IDirect3DDevice9* device_ = nullptr;
  ID3DXFont* font_ = nullptr;
};

void LineCold(benchmark::State& state, const ScriptLine* line) {
  LineDevice device;
  for (auto _ : state) {
    device.MakeFont(*line);
    device.Draw(*line);
  }
}

void LineFirstFrame(benchmark::State& state, const ScriptLine* line) {
  LineDevice device;
  device.MakeFont(*line);
  device.Draw(*line);
  for (auto _ : state) {
    state.PauseTiming();
    device.MakeFont(*line);
    state.ResumeTiming();
    device.Draw(*line);
  }
}

void LineWarm(benchmark::State& state, const ScriptLine* line) {
  LineDevice device;
  device.MakeFont(*line);
  device.Draw(*line);  // fills the cache
  for (auto _ : state) device.Draw(*line);
}

// SDL2_ttf with the line's script and direction, rendered and blitted at the line rectangle.
class TtfLine {
 public:
  explicit TtfLine(const ScriptLine& line) : line_(line) {
    if (TTF_Init() != 0) std::abort();
    screen_ = SDL_CreateRGBSurfaceWithFormat(0, 640, 480, 32, SDL_PIXELFORMAT_ARGB8888);
    Open();
  }
  ~TtfLine() {
    TTF_CloseFont(font_);
    SDL_FreeSurface(screen_);
    TTF_Quit();
  }
  TtfLine(const TtfLine&) = delete;
  TtfLine& operator=(const TtfLine&) = delete;

  void Open() {
    if (font_ != nullptr) TTF_CloseFont(font_);
    font_ = TTF_OpenFont(line_.file, kEm);
    if (font_ == nullptr || TTF_SetFontScriptName(font_, line_.script) != 0 ||
        TTF_SetFontDirection(font_, line_.rightToLeft ? TTF_DIRECTION_RTL : TTF_DIRECTION_LTR) !=
            0) {
      std::abort();
    }
  }
  void Draw() {
    SDL_Surface* text = TTF_RenderUTF8_Blended(font_, line_.utf8, SDL_Color{255, 255, 255, 255});
    if (text == nullptr) std::abort();
    SDL_Rect source = {0, 0, int(kLineRect.right - kLineRect.left),
                       int(kLineRect.bottom - kLineRect.top)};
    SDL_Rect target = {int(kLineRect.right) - std::min(text->w, source.w), int(kLineRect.top), 0,
                       0};
    if (!line_.rightToLeft) target.x = kLineRect.left;
    SDL_BlitSurface(text, &source, screen_, &target);
    SDL_FreeSurface(text);
  }

 private:
  const ScriptLine& line_;
  TTF_Font* font_ = nullptr;
  SDL_Surface* screen_ = nullptr;
};

void TtfFirstFrame(benchmark::State& state, const ScriptLine* line) {
  TtfLine ttf(*line);
  ttf.Draw();
  for (auto _ : state) {
    state.PauseTiming();
    ttf.Open();
    state.ResumeTiming();
    ttf.Draw();
  }
}

void TtfWarm(benchmark::State& state, const ScriptLine* line) {
  TtfLine ttf(*line);
  ttf.Draw();
  for (auto _ : state) ttf.Draw();
}

// Registered in this order: every cold draw comes first in the run.
[[maybe_unused]] const bool registered = [] {
  for (const ScriptLine& line : kLines) {
    benchmark::RegisterBenchmark((std::string("LineCold/") + line.name).c_str(), LineCold, &line)
        ->Iterations(1)
        ->Unit(benchmark::kMicrosecond);
  }
  for (const ScriptLine& line : kLines) {
    const std::string name = line.name;
    benchmark::RegisterBenchmark(("LineWarm/" + name).c_str(), LineWarm, &line)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark(("TtfWarm/" + name).c_str(), TtfWarm, &line)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark(("LineFirstFrame/" + name).c_str(), LineFirstFrame, &line)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark(("TtfFirstFrame/" + name).c_str(), TtfFirstFrame, &line)
        ->Unit(benchmark::kMicrosecond);
  }
  return true;
}();

}  // namespace
