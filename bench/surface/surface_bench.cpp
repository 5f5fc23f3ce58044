// Surface loading on 1,024 x 1,024 pictures, each beside the peer it is measured against in
// the same run: the game's keyed road beside memcpy of the same bytes and SDL2's keyed
// surface conversion; the direct copy beside memcpy; a full box mip chain beside a plain
// per-byte loop; triangle and linear resampling. Rates are in pixels per second of the
// destination (of all levels made, for the mip chains).
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/d3d9/d3d9.h"
#include "platform/d3d9/test_device.h"
#include "toolkit/surface/d3dx_surface.h"

namespace {

constexpr UINT side = 1024;
constexpr D3DCOLOR key = 0xFF6A4C30;

// Smooth gradients with a little noise and some keyed pixels, like a game picture.
const std::vector<std::uint32_t>& Picture() {
  static const std::vector<std::uint32_t> picture = [] {
    std::vector<std::uint32_t> pixels(side * side);
    std::uint32_t state = 12345;
    for (UINT y = 0; y < side; ++y) {
      for (UINT x = 0; x < side; ++x) {
        state = state * 1664525u + 1013904223u;
        const std::uint32_t noise = (state >> 24) & 15;
        const std::uint32_t r = (x / 4 + noise) & 0xFF, g = (y / 4 + noise) & 0xFF,
                            b = ((x + y) / 8) & 0xFF;
        pixels[y * side + x] = 0xFF000000u | (r << 16) | (g << 8) | b;
        if ((x / 64 + y / 64) % 5 == 0) pixels[y * side + x] = key;
      }
    }
    return pixels;
  }();
  return picture;
}

// A device with one texture of the given size and levels.
class Target {
 public:
  Target(UINT width, UINT height, UINT levels = 1) {
    d3d9::CreateTestDevice(std::make_shared<d3d9::TestSetup>(), 64, 64, &device);
    device->CreateTexture(width, height, levels, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture,
                          nullptr);
    texture->GetSurfaceLevel(0, &surface);
  }
  ~Target() {
    surface->Release();
    texture->Release();
    device->Release();
  }

  IDirect3DDevice9* device = nullptr;
  IDirect3DTexture9* texture = nullptr;
  IDirect3DSurface9* surface = nullptr;
};

void Load(benchmark::State& state, UINT destSide, D3DFORMAT format, DWORD filter,
          D3DCOLOR colorKey) {
  Target target(destSide, destSide);
  const RECT whole = {0, 0, side, side};
  for (auto _ : state) {
    const HRESULT hr =
        D3DXLoadSurfaceFromMemory(target.surface, nullptr, nullptr, Picture().data(), format,
                                  side * 4, nullptr, &whole, filter, colorKey);
    if (FAILED(hr)) state.SkipWithError("load failed");
  }
  state.SetItemsProcessed(state.iterations() * std::int64_t(destSide) * destSide);
}

void RoadArgbKeyed(benchmark::State& s) { Load(s, side, D3DFMT_A8R8G8B8, D3DX_FILTER_NONE, key); }
void RoadXrgbKeyed(benchmark::State& s) { Load(s, side, D3DFMT_X8R8G8B8, D3DX_FILTER_NONE, key); }
void DirectCopy(benchmark::State& s) { Load(s, side, D3DFMT_A8R8G8B8, D3DX_FILTER_NONE, 0); }

void MemcpyOfTheSameBytes(benchmark::State& state) {
  std::vector<std::uint32_t> dest(side * side);
  for (auto _ : state) {
    std::memcpy(dest.data(), Picture().data(), dest.size() * 4);
    benchmark::DoNotOptimize(dest.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * std::int64_t(side) * side);
}

void SdlKeyedConversion(benchmark::State& state, Uint32 sourceFormat) {
  SDL_Surface* source = SDL_CreateRGBSurfaceWithFormatFrom(
      const_cast<std::uint32_t*>(Picture().data()), side, side, 32, side * 4, sourceFormat);
  SDL_SetColorKey(source, SDL_TRUE, SDL_MapRGB(source->format, 0x6A, 0x4C, 0x30));
  for (auto _ : state) {
    SDL_Surface* converted = SDL_ConvertSurfaceFormat(source, SDL_PIXELFORMAT_ARGB8888, 0);
    if (converted == nullptr) state.SkipWithError(SDL_GetError());
    benchmark::DoNotOptimize(converted);
    SDL_FreeSurface(converted);
  }
  SDL_FreeSurface(source);
  state.SetItemsProcessed(state.iterations() * std::int64_t(side) * side);
}
void SdlArgbKeyed(benchmark::State& s) { SdlKeyedConversion(s, SDL_PIXELFORMAT_ARGB8888); }
void SdlXrgbKeyed(benchmark::State& s) { SdlKeyedConversion(s, SDL_PIXELFORMAT_RGB888); }

// Levels 1 ... 10 of a 1,024 x 1,024 texture, each from the one above.
constexpr std::int64_t chainPixels = (std::int64_t(side) * side - 1) / 3;

void BoxMipChain(benchmark::State& state) {
  Target target(side, side, 0);
  const RECT whole = {0, 0, side, side};
  D3DXLoadSurfaceFromMemory(target.surface, nullptr, nullptr, Picture().data(), D3DFMT_A8R8G8B8,
                            side * 4, nullptr, &whole, D3DX_FILTER_NONE, 0);
  for (auto _ : state) {
    if (FAILED(D3DXFilterTexture(target.texture, nullptr, 0, D3DX_FILTER_BOX))) {
      state.SkipWithError("filter failed");
    }
  }
  state.SetItemsProcessed(state.iterations() * chainPixels);
}

void PlainByteLoopMipChain(benchmark::State& state) {
  std::vector<std::vector<std::uint8_t>> levels;
  for (UINT s = side; s >= 1; s /= 2) levels.emplace_back(std::size_t(s) * s * 4);
  std::memcpy(levels[0].data(), Picture().data(), levels[0].size());
  for (auto _ : state) {
    UINT s = side;
    for (std::size_t l = 1; l < levels.size(); ++l, s /= 2) {
      const std::uint8_t* in = levels[l - 1].data();
      std::uint8_t* out = levels[l].data();
      const UINT half = s / 2, inPitch = s * 4, outPitch = half * 4;
      for (UINT y = 0; y < half; ++y) {
        const std::uint8_t* a = in + 2 * y * inPitch;
        const std::uint8_t* c = a + inPitch;
        std::uint8_t* o = out + y * outPitch;
        for (UINT x = 0; x < outPitch; ++x) {
          const UINT i = (x / 4) * 8 + x % 4;
          o[x] = std::uint8_t((a[i] + a[i + 4] + c[i] + c[i + 4] + 2) >> 2);
        }
      }
    }
    benchmark::DoNotOptimize(levels.back().data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * chainPixels);
}

void Triangle1024To640(benchmark::State& s) {
  Load(s, 640, D3DFMT_A8R8G8B8, D3DX_FILTER_TRIANGLE, 0);
}
void Linear1024To2048(benchmark::State& s) {
  Load(s, 2048, D3DFMT_A8R8G8B8, D3DX_FILTER_LINEAR, 0);
}

}  // namespace

BENCHMARK(RoadArgbKeyed)->Unit(benchmark::kMillisecond);
BENCHMARK(RoadXrgbKeyed)->Unit(benchmark::kMillisecond);
BENCHMARK(SdlArgbKeyed)->Unit(benchmark::kMillisecond);
BENCHMARK(SdlXrgbKeyed)->Unit(benchmark::kMillisecond);
BENCHMARK(MemcpyOfTheSameBytes)->Unit(benchmark::kMillisecond);
BENCHMARK(DirectCopy)->Unit(benchmark::kMillisecond);
BENCHMARK(BoxMipChain)->Unit(benchmark::kMillisecond);
BENCHMARK(PlainByteLoopMipChain)->Unit(benchmark::kMillisecond);
BENCHMARK(Triangle1024To640)->Unit(benchmark::kMillisecond);
BENCHMARK(Linear1024To2048)->Unit(benchmark::kMillisecond);
