// Fuzz target: any block of bytes through the texture loader on the software device, once with
// the game's own call (keyed ARGB, no filtering, managed pool) and once with the loader's
// defaults (the file's format, triangle and box filtering, a full mip chain).
//
// One device serves every input; its call log is emptied after each, so a long run does not
// grow it. Which pictures are loaded: as in the image target (fuzz/image_budget.h).
//
// The defaults' load then runs once more with one of its allocations refused, chosen by a hash
// of the input among those the clean load asked for: every way out of the loader must let go
// of what it took (the leak checker sees it) and answer a failure, never a texture.

#include <cstddef>
#include <cstdint>
#include <memory>

#include "fuzz/image_budget.h"
#include "platform/d3d9/test_device.h"
#include "toolkit/common/allocation.h"
#include "toolkit/image/d3dx_image.h"
#include "toolkit/image/decoded_image.h"
#include "toolkit/surface/d3dx_surface.h"

namespace {

// About five seconds of loading (decoding, converting, filtering) under the sanitizers.
constexpr std::uint64_t kMostPixels = std::uint64_t{1} << 22;

struct FuzzDevice {
  std::shared_ptr<d3d9::TestSetup> setup = std::make_shared<d3d9::TestSetup>();
  IDirect3DDevice9* device = nullptr;
  FuzzDevice() { d3d9::CreateTestDevice(setup, 64, 64, &device); }
};

void Release(IDirect3DTexture9* texture) {
  if (texture != nullptr) texture->Release();
}

std::uint64_t HashOf(const std::uint8_t* data, std::size_t size) {
  std::uint64_t hash = 14695981039346656037u;
  for (std::size_t i = 0; i < size; ++i) hash = (hash ^ data[i]) * 1099511628211u;
  return hash;
}

// The defaults' load with allocation `refused` (counted from the load's first) refused.
void LoadWithOneRefusal(IDirect3DDevice9* device, const std::uint8_t* data, UINT size,
                        long long refused) {
  testing_hooks::FailOneAllocationAfter(static_cast<int>(refused));
  IDirect3DTexture9* texture = nullptr;
  const HRESULT result = D3DXCreateTextureFromFileInMemory(device, data, size, &texture);
  testing_hooks::FailAllocationAfter(-1);
  if (SUCCEEDED(result) != (texture != nullptr)) __builtin_trap();
  Release(texture);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static FuzzDevice fuzz;
  if (fuzz.device == nullptr || size == 0 || size > UINT32_MAX) return 0;
  const UINT blockSize = static_cast<UINT>(size);
  D3DXIMAGE_INFO info{};
  {
    DecodedImage header;
    if (FAILED(header.LoadFromMemory(data, blockSize, &info, false))) return 0;
  }
  if (!fuzz::WorthDecoding(info, kMostPixels)) return 0;
  IDirect3DTexture9* texture = nullptr;
  D3DXCreateTextureFromFileInMemoryEx(fuzz.device, data, blockSize, 0, 0, 0, 0,
                                      D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, D3DX_FILTER_NONE,
                                      D3DX_FILTER_NONE, 0xFF6A4C30, &info, nullptr, &texture);
  Release(texture);
  texture = nullptr;
  const long long before = testing_hooks::AllocationsAsked();
  D3DXCreateTextureFromFileInMemory(fuzz.device, data, blockSize, &texture);
  const long long asked = testing_hooks::AllocationsAsked() - before;
  Release(texture);
  if (asked > 0) {
    LoadWithOneRefusal(fuzz.device, data, blockSize,
                       static_cast<long long>(HashOf(data, size) % std::uint64_t(asked)));
  }
  fuzz.setup->ClearLog();
  return 0;
}
