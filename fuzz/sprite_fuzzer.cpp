// Fuzz target: a sprite object (D3DXCreateSprite) on a fresh 64 x 64 software device, driven
// by a program of Begin (any flags), Draw (any source rectangle, centre, position and colour,
// one sprite or thousands, so that the queue grows and the device buffers wrap), Flush, End,
// SetTransform, SetWorldViewLH/RH, GetTransform, device loss and reset, and scenes.
//
// The input starts with one texture of any format and contents; a plain 8 x 8 texture is
// always there too. At the end the sprite, the textures and the device are released, and
// the device must go with its last reference.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz/fuzz_device.h"
#include "fuzz/fuzz_input.h"
#include "toolkit/sprite/d3dx_sprite.h"

namespace {

constexpr int kMaxSteps = 64;
// Sprites one step may queue: beyond the 4,096 quads of the sprite's buffers; and all steps
// together, so that an input stays quick to draw.
constexpr std::uint32_t kMaxRepeat = 5000;
constexpr std::uint32_t kMaxSprites = 6000;

IDirect3DTexture9* PlainTexture(IDirect3DDevice9* device) {
  IDirect3DTexture9* texture = nullptr;
  if (FAILED(device->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture,
                                   nullptr))) {
    return nullptr;
  }
  D3DLOCKED_RECT locked{};
  if (SUCCEEDED(texture->LockRect(0, &locked, nullptr, 0))) {
    for (int y = 0; y < 8; ++y) {
      auto* row = reinterpret_cast<std::uint32_t*>(static_cast<BYTE*>(locked.pBits) +
                                                   std::ptrdiff_t(y) * locked.Pitch);
      for (int x = 0; x < 8; ++x) row[x] = ((x ^ y) & 1) != 0 ? 0xFFFFFFFF : 0x80FF0000;
    }
    texture->UnlockRect(0);
  }
  return texture;
}

class Program {
 public:
  Program(FuzzInput& input, IDirect3DDevice9* target, ID3DXSprite* batch,
          std::vector<IDirect3DTexture9*> pictures)
      : in(input), device(target), sprite(batch), textures(std::move(pictures)) {}

  void Step() {
    switch (in.Below(12)) {
      case 0:
      case 1: {
        // Mostly the published flags, sometimes any bits (which must be refused).
        const DWORD flags = in.Byte() < 0xE0 ? in.Byte() : in.Read<std::uint32_t>();
        sprite->Begin(flags);
        break;
      }
      case 2:
      case 3: Draw(1); break;
      case 4: Draw(1 + in.Below(kMaxRepeat)); break;
      case 5: sprite->Flush(); break;
      case 6: sprite->End(); break;
      case 7: {
        const D3DXMATRIX transform = fuzz::ReadMatrix(in);
        sprite->SetTransform(in.Below(8) == 0 ? nullptr : &transform);
        break;
      }
      case 8: {
        const D3DXMATRIX world = fuzz::ReadMatrix(in);
        const D3DXMATRIX view = fuzz::ReadMatrix(in);
        const std::uint8_t choice = in.Byte();
        const D3DXMATRIX* worldArg = (choice & 2) != 0 ? nullptr : &world;
        const D3DXMATRIX* viewArg = (choice & 4) != 0 ? nullptr : &view;
        if ((choice & 1) != 0) {
          sprite->SetWorldViewLH(worldArg, viewArg);
        } else {
          sprite->SetWorldViewRH(worldArg, viewArg);
        }
        break;
      }
      case 9: {
        D3DXMATRIX transform;
        sprite->GetTransform(in.Bool() ? nullptr : &transform);
        break;
      }
      case 10:
        if (in.Bool()) {
          sprite->OnLostDevice();
        } else {
          sprite->OnResetDevice();
        }
        break;
      default:
        if (in.Bool()) {
          device->BeginScene();
        } else {
          device->EndScene();
        }
        break;
    }
  }

 private:
  void Draw(std::uint32_t times) {
    const std::uint32_t choice = in.Below(static_cast<std::uint32_t>(textures.size()) + 1);
    IDirect3DTexture9* texture = choice < textures.size() ? textures[choice] : nullptr;
    const bool hasSource = in.Bool();
    const RECT source = {in.EdgyInt32(), in.EdgyInt32(), in.EdgyInt32(), in.EdgyInt32()};
    const bool hasCenter = in.Bool();
    const D3DXVECTOR3 center{in.Float(), in.Float(), in.Float()};
    const bool hasPosition = in.Byte() < 0xE0;
    D3DXVECTOR3 position{in.Float(), in.Float(), in.Float()};
    const D3DXVECTOR3 step{in.Float(), in.Float(), in.Float()};
    const D3DCOLOR colour = in.Read<std::uint32_t>();
    times = std::min(times, kMaxSprites - drawn);
    drawn += times;
    for (std::uint32_t i = 0; i < times; ++i) {
      sprite->Draw(texture, hasSource ? &source : nullptr, hasCenter ? &center : nullptr,
                   hasPosition ? &position : nullptr, colour);
      position = position + step;
    }
  }

  FuzzInput& in;
  IDirect3DDevice9* device;
  ID3DXSprite* sprite;
  std::vector<IDirect3DTexture9*> textures;
  std::uint32_t drawn = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::FuzzDevice fuzzDevice(64, 64);
  IDirect3DDevice9* device = fuzzDevice.device;
  if (device == nullptr) return 0;
  ID3DXSprite* sprite = nullptr;
  if (FAILED(D3DXCreateSprite(device, &sprite))) return 0;
  FuzzInput in(data, size);
  std::vector<IDirect3DTexture9*> textures;
  if (IDirect3DTexture9* plain = PlainTexture(device)) textures.push_back(plain);
  if (IDirect3DTexture9* read = fuzz::ReadTexture(in, device)) textures.push_back(read);

  device->BeginScene();
  Program program(in, device, sprite, textures);
  for (int step = 0; step < kMaxSteps && !in.Empty(); ++step) program.Step();
  // Released in the middle of a batch or not: the sprite must let go of everything.
  sprite->Release();
  for (IDirect3DTexture9* texture : textures) texture->Release();
  return 0;
}
