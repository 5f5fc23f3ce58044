// The boss map's text overlay: the two DrawTextA calls of every boss frame on a 640 x 480
// device, with the glyph cache warm and on the first frame (glyphs rasterised into the cache),
// beside SDL2_ttf rendering the same strings at the same line heights and blitting them onto a
// 640 x 480 surface, clipped to the same rectangles. The font object runs on the path the game
// takes, with the shaping module (argument 1), and on the GDI path with the module hidden (0).
#include <SDL.h>
#include <SDL_ttf.h>
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "bench/d3d9/frame_renderers.h"
#include "platform/d3d9/d3d9.h"
#include "platform/win32/modules.h"
#include "toolkit/font/d3dx_font.h"
#include "toolkit/font/text_services.h"

namespace {

constexpr char kDirectionText[] = "direction: 4 ";
constexpr char kCreditText[] = "By Vy";
constexpr RECT kDirectionRect = {0, 0, 200, 60};
constexpr RECT kCreditRect = {30, 30, 100, 90};

// The device and the game's two fonts.
class OverlayFonts {
 public:
  OverlayFonts() {
    direct3d = Direct3DCreate9(D3D_SDK_VERSION);
    device = map_workload::MakeScreenDevice(direct3d);
    if (device == nullptr) std::abort();
  }
  ~OverlayFonts() {
    ReleaseFonts();
    device->Release();
    direct3d->Release();
  }
  OverlayFonts(const OverlayFonts&) = delete;
  OverlayFonts& operator=(const OverlayFonts&) = delete;

  void MakeFonts() {
    if (FAILED(D3DXCreateFontA(device, 24, 0, 0, 0, FALSE, 0, 0, 0, 0, "Times New Roman Italic",
                               &direction)) ||
        FAILED(D3DXCreateFontA(device, 18, 0, 0, 0, FALSE, 0, 0, 0, 0, "Arial", &credit))) {
      std::abort();
    }
  }
  void ReleaseFonts() {
    if (direction != nullptr) direction->Release();
    if (credit != nullptr) credit->Release();
    direction = credit = nullptr;
  }

  // The two calls of a boss frame, inside a scene.
  void DrawOverlay() {
    device->BeginScene();
    RECT directionRect = kDirectionRect;
    direction->DrawTextA(nullptr, kDirectionText, sizeof(kDirectionText) - 1, &directionRect, 0,
                         0xFFFFFFFF);
    RECT creditRect = kCreditRect;
    credit->DrawTextA(nullptr, kCreditText, 5, &creditRect, 0, 0xFFFF0000);
    device->EndScene();
  }

 private:
  IDirect3D9* direct3d = nullptr;
  IDirect3DDevice9* device = nullptr;
  ID3DXFont* direction = nullptr;
  ID3DXFont* credit = nullptr;
};

// Fonts made while it lives take the path asked for; the module is shown again afterwards.
class TextPath {
 public:
  explicit TextPath(bool shaping) {
    win32::HideModule("usp10.dll", !shaping);
    testing_hooks::ForgetTextServicesProbe();
  }
  ~TextPath() {
    win32::HideModule("usp10.dll", false);
    testing_hooks::ForgetTextServicesProbe();
  }
  TextPath(const TextPath&) = delete;
  TextPath& operator=(const TextPath&) = delete;
};

void OverlayWarm(benchmark::State& state) {
  const TextPath path(state.range(0) != 0);
  OverlayFonts fonts;
  fonts.MakeFonts();
  fonts.DrawOverlay();  // fills the cache
  for (auto _ : state) fonts.DrawOverlay();
}

void OverlayFirstFrame(benchmark::State& state) {
  const TextPath path(state.range(0) != 0);
  OverlayFonts fonts;
  for (auto _ : state) {
    state.PauseTiming();
    fonts.ReleaseFonts();
    fonts.MakeFonts();
    state.ResumeTiming();
    fonts.DrawOverlay();
  }
}

// SDL2_ttf at the point size whose line height (ascent + descent) is `height`, the height the
// font object's cells have.
TTF_Font* OpenAtHeight(const char* path, int height) {
  for (int size = height; size > 4; --size) {
    TTF_Font* font = TTF_OpenFont(path, size);
    if (font == nullptr) std::abort();
    if (TTF_FontHeight(font) <= height) return font;
    TTF_CloseFont(font);
  }
  std::abort();
}

void BlitText(TTF_Font* font, const char* text, SDL_Color colour, const RECT& rect,
              SDL_Surface* screen) {
  SDL_Surface* line = TTF_RenderUTF8_Blended(font, text, colour);
  SDL_Rect source = {0, 0, int(rect.right - rect.left), int(rect.bottom - rect.top)};
  SDL_Rect target = {int(rect.left), int(rect.top), 0, 0};
  SDL_BlitSurface(line, &source, screen, &target);
  SDL_FreeSurface(line);
}

void OverlaySdlTtf(benchmark::State& state) {
  if (TTF_Init() != 0) std::abort();
  TTF_Font* direction =
      OpenAtHeight("/usr/share/fonts/truetype/liberation2/LiberationSerif-Italic.ttf", 24);
  TTF_Font* credit =
      OpenAtHeight("/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf", 18);
  SDL_Surface* screen = SDL_CreateRGBSurfaceWithFormat(0, 640, 480, 32, SDL_PIXELFORMAT_ARGB8888);
  for (auto _ : state) {
    BlitText(direction, kDirectionText, SDL_Color{255, 255, 255, 255}, kDirectionRect, screen);
    BlitText(credit, kCreditText, SDL_Color{255, 0, 0, 255}, kCreditRect, screen);
  }
  SDL_FreeSurface(screen);
  TTF_CloseFont(direction);
  TTF_CloseFont(credit);
  TTF_Quit();
}

BENCHMARK(OverlayWarm)->ArgName("shaping")->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);
BENCHMARK(OverlayFirstFrame)->ArgName("shaping")->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);
BENCHMARK(OverlaySdlTtf)->Unit(benchmark::kMicrosecond);

}  // namespace
