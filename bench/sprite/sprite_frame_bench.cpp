// The game's map frame drawn as the game draws it, through the sprite object: Clear,
// BeginScene, Begin(D3DXSPRITE_ALPHABLEND), one Draw per tile and actor in the sweep order,
// End, EndScene; measured beside pixman and SDL2's software renderer in the same run.
// And a 3-D frame: a ground quad and billboards of the actor sheets in perspective, depth
// tested and sorted by the sprite object.
#include <cmath>

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

// 400 billboards, two view units tall, standing on a ground 60 units deep in a 60-degree view.
class BillboardRenderer {
 public:
  static constexpr int count = 400;

  explicit BillboardRenderer(const Workload& workload) {
    direct3d = Direct3DCreate9(D3D_SDK_VERSION);
    device = MakeScreenDevice(direct3d, DepthMode::On);
    D3DXCreateSprite(device, &sprite);
    for (const Picture& picture : workload.pictures) {
      textures.push_back(MakePictureTexture(device, picture));
    }
    std::uint32_t seed = 5;
    const auto next = [&] {
      seed = seed * 1664525u + 1013904223u;
      return float(seed >> 8) / float(1 << 24);
    };
    // Positions are given in texels: the sprite transform scales them with the quads.
    for (int i = 0; i < count; ++i) {
      placed.push_back({i % 2 + 1, 64.0f * (next() * 40.0f - 20.0f), -128.0f,
                        64.0f * (4.0f + next() * 56.0f)});
    }
  }
  ~BillboardRenderer() {
    sprite->Release();
    for (IDirect3DTexture9* texture : textures) texture->Release();
    device->Release();
    direct3d->Release();
  }
  BillboardRenderer(const BillboardRenderer&) = delete;
  BillboardRenderer& operator=(const BillboardRenderer&) = delete;

  void DrawFrame() {
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    device->BeginScene();
    const float yScale = 1.0f / std::tan(3.14159265f / 6.0f);
    D3DMATRIX projection{};
    projection._11 = yScale * 3.0f / 4.0f;
    projection._22 = yScale;
    projection._33 = 100.0f / 99.0f;
    projection._34 = 1.0f;
    projection._43 = -100.0f / 99.0f;
    device->SetTransform(D3DTS_PROJECTION, &projection);
    D3DMATRIX identity{};
    identity._11 = identity._22 = identity._33 = identity._44 = 1.0f;
    device->SetTransform(D3DTS_WORLD, &identity);
    device->SetTransform(D3DTS_VIEW, &identity);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetTexture(0, nullptr);
    struct GroundVertex {
      float x, y, z;
      D3DCOLOR colour;
    };
    const GroundVertex ground[4] = {{-40, -2, 2, 0xFF305020}, {40, -2, 2, 0xFF305020},
                                    {40, -2, 62, 0xFF506040}, {-40, -2, 62, 0xFF506040}};
    device->SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE);
    device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, ground, sizeof(GroundVertex));
    D3DXMATRIX scale = identity;
    scale._11 = scale._22 = scale._33 = 1.0f / 64.0f;
    sprite->SetTransform(&scale);
    sprite->Begin(D3DXSPRITE_ALPHABLEND | D3DXSPRITE_BILLBOARD | D3DXSPRITE_SORT_DEPTH_BACKTOFRONT);
    const RECT frame = {0, 0, 128, 128};
    const D3DXVECTOR3 center(64.0f, 0.0f, 0.0f);
    for (const Placed& p : placed) {
      const D3DXVECTOR3 position(p.x, p.y, p.z);
      sprite->Draw(textures[std::size_t(p.picture)], &frame, &center, &position, 0xFFFFFFFF);
    }
    sprite->End();
    device->EndScene();
  }

 private:
  struct Placed {
    int picture;
    float x, y, z;
  };
  IDirect3D9* direct3d = nullptr;
  IDirect3DDevice9* device = nullptr;
  ID3DXSprite* sprite = nullptr;
  std::vector<IDirect3DTexture9*> textures;
  std::vector<Placed> placed;
};

void BillboardFrameSprite(benchmark::State& s) {
  BillboardRenderer renderer(TheWorkload());
  for (auto _ : s) renderer.DrawFrame();
  s.counters["billboards"] = BillboardRenderer::count;
}

void MapFrameSprite(benchmark::State& s) { DrawFrames<SpriteRenderer>(s, TheWorkload().mapFrame); }
void MapFramePixman(benchmark::State& s) { DrawFrames<PixmanRenderer>(s, TheWorkload().mapFrame); }
void MapFrameSdl(benchmark::State& s) { DrawFrames<SdlRenderer>(s, TheWorkload().mapFrame); }

BENCHMARK(MapFrameSprite)->Unit(benchmark::kMillisecond);
BENCHMARK(MapFramePixman)->Unit(benchmark::kMillisecond);
BENCHMARK(MapFrameSdl)->Unit(benchmark::kMillisecond);
BENCHMARK(BillboardFrameSprite)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace map_workload
