// The game's 21 pictures loaded as the game loads them (D3DXCreateTextureFromFileExA, sizes
// and levels from the file, A8R8G8B8, managed, no filtering, the sheet's colour key), beside
// the same files decoded by libpng alone into a buffer of the caller's. The goal is the
// loader within 1.5 times libpng alone.
#include <benchmark/benchmark.h>
#include <png.h>

#include <memory>
#include <stdexcept>
#include <vector>

#include "bench/image/game_pictures.h"
#include "platform/d3d9/test_device.h"
#include "toolkit/image/d3dx_image.h"
#include "toolkit/surface/d3dx_surface.h"

namespace {

using game_pictures::Picture;
using game_pictures::WrittenPictures;

std::int64_t DecodedBytes(const std::vector<Picture>& pictures) {
  std::int64_t bytes = 0;
  for (const Picture& picture : pictures) bytes += std::int64_t(picture.width) * picture.height * 4;
  return bytes;
}

void LoadTexturesAsTheGameDoes(benchmark::State& state) {
  const std::vector<Picture>& pictures = WrittenPictures();
  auto setup = std::make_shared<d3d9::TestSetup>();
  IDirect3DDevice9* device = nullptr;
  if (d3d9::CreateTestDevice(setup, 640, 480, &device) != S_OK) {
    state.SkipWithError("no device");
    return;
  }
  for (auto _ : state) {
    for (const Picture& picture : pictures) {
      D3DXIMAGE_INFO info;
      IDirect3DTexture9* texture = nullptr;
      const HRESULT result = D3DXCreateTextureFromFileExA(
          device, picture.path.c_str(), 0, 0, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
          D3DX_FILTER_NONE, D3DX_FILTER_NONE, picture.colorKey, &info, nullptr, &texture);
      if (FAILED(result)) {
        state.SkipWithError("a picture did not load");
        break;
      }
      texture->Release();
    }
    // The test device logs every call; the log of one round is all that is kept.
    setup->ClearLog();
  }
  state.SetBytesProcessed(state.iterations() * DecodedBytes(pictures));
  state.counters["pictures"] = double(pictures.size());
  device->Release();
}

void DecodeWithLibpngAlone(benchmark::State& state) {
  const std::vector<Picture>& pictures = WrittenPictures();
  std::vector<std::uint8_t> buffer(640 * 480 * 4);
  for (const Picture& picture : pictures) {
    buffer.resize(std::max(buffer.size(), std::size_t(picture.width) * picture.height * 4));
  }
  for (auto _ : state) {
    for (const Picture& picture : pictures) {
      png_image image{};
      image.version = PNG_IMAGE_VERSION;
      if (png_image_begin_read_from_file(&image, picture.path.c_str()) == 0) {
        state.SkipWithError("libpng refused a picture");
        break;
      }
      image.format = PNG_FORMAT_BGRA;
      if (png_image_finish_read(&image, nullptr, buffer.data(), 0, nullptr) == 0) {
        state.SkipWithError("libpng could not decode a picture");
        break;
      }
      benchmark::DoNotOptimize(buffer.data());
    }
  }
  state.SetBytesProcessed(state.iterations() * DecodedBytes(pictures));
  state.counters["pictures"] = double(pictures.size());
}

BENCHMARK(LoadTexturesAsTheGameDoes)->Unit(benchmark::kMillisecond);
BENCHMARK(DecodeWithLibpngAlone)->Unit(benchmark::kMillisecond);

}  // namespace
