// The game's map frame drawn as the game draws it, through the sprite object: Clear,
// BeginScene, Begin(D3DXSPRITE_ALPHABLEND), one Draw per tile and actor in the sweep order,
// End, EndScene; measured beside pixman and SDL2's software renderer in the same run.
#include "bench/d3d9/frame_harness.h"
#include "toolkit/sprite/d3dx_sprite.h"

namespace map_workload {
namespace {

class SpriteRenderer {
 public:
  explicit SpriteRenderer(const Workload& workload) {
    direct3d = Direct3DCreate9(D3D_SDK_VERSION);
    device = MakeScreenDevice(direct3d);
    D3DXCreateSprite(device, &sprite);
    for (const Picture& picture : workload.pictures) {
      textures.push_back(MakePictureTexture(device, picture));
    }
  }
  ~SpriteRenderer() {
    sprite->Release();
    for (IDirect3DTexture9* texture : textures) texture->Release();
    device->Release();
    direct3d->Release();
  }
  SpriteRenderer(const SpriteRenderer&) = delete;
  SpriteRenderer& operator=(const SpriteRenderer&) = delete;

  void DrawFrame(const std::vector<Draw>& draws) {
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    device->BeginScene();
    sprite->Begin(D3DXSPRITE_ALPHABLEND);
    for (const Draw& d : draws) {
      const RECT source = {d.sourceX, d.sourceY, d.sourceX + d.width, d.sourceY + d.height};
      const D3DXVECTOR3 position(float(d.x), float(d.y), 0.0f);
      sprite->Draw(textures[std::size_t(d.picture)], &source, nullptr, &position, 0xFFFFFFFF);
    }
    sprite->End();
    device->EndScene();
  }

  std::vector<std::uint32_t> Pixels() { return ReadRenderTarget(device); }

 private:
  IDirect3D9* direct3d = nullptr;
  IDirect3DDevice9* device = nullptr;
  ID3DXSprite* sprite = nullptr;
  std::vector<IDirect3DTexture9*> textures;
};

void MapFrameSprite(benchmark::State& s) { DrawFrames<SpriteRenderer>(s, TheWorkload().mapFrame); }
void MapFramePixman(benchmark::State& s) { DrawFrames<PixmanRenderer>(s, TheWorkload().mapFrame); }
void MapFrameSdl(benchmark::State& s) { DrawFrames<SdlRenderer>(s, TheWorkload().mapFrame); }

BENCHMARK(MapFrameSprite)->Unit(benchmark::kMillisecond);
BENCHMARK(MapFramePixman)->Unit(benchmark::kMillisecond);
BENCHMARK(MapFrameSdl)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace map_workload
