// The game's busiest map frame as the game draws it (the real pictures through the sprite
// object, DrawMapFrame whole with its bars and Present, and its sprite batch alone), beside
// pixman and SDL2's software renderer drawing the same draw list from the same texels in the
// same run; and start-up as a whole (device, sprite, the 21 pictures).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <vector>

#include "app/graphics.h"
#include "bench/d3d9/frame_renderers.h"
#include "bench/scene/draw_list_recorder.h"
#include "game/harness/game_driver.h"
#include "game/harness/world_reset.h"
#include "game/levels.h"
#include "game/scene.h"
#include "game/sheet_table.h"
#include "game/world.h"
#include "toolkit/sprite/d3dx_sprite.h"

namespace {

using map_workload::Draw;
using map_workload::Picture;

int OnScreen(const std::vector<Draw>& draws) {
  int count = 0;
  for (const Draw& d : draws) {
    count += d.x < screenWidth && d.y < screenHeight && d.x + d.width > 0 && d.y + d.height > 0;
  }
  return count;
}

// Level 0 of a loaded texture, whole, as the peers' picture.
Picture ReadPicture(IDirect3DTexture9* texture) {
  D3DSURFACE_DESC desc = {};
  texture->GetLevelDesc(0, &desc);
  Picture picture{int(desc.Width), int(desc.Height), {}};
  picture.texels.resize(size_t(desc.Width) * desc.Height);
  D3DLOCKED_RECT locked = {};
  texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY);
  for (UINT y = 0; y < desc.Height; ++y) {
    std::memcpy(picture.texels.data() + size_t(y) * desc.Width,
                static_cast<const BYTE*>(locked.pBits) + size_t(y) * locked.Pitch,
                size_t(desc.Width) * 4);
  }
  texture->UnlockRect(0);
  return picture;
}

// The cell where a map is entered from its neighbour.
bool EntryOf(int32_t map, int32_t* x, int32_t* y) {
  for (const Level& level : kLevels) {
    for (int32_t e = 0; e < level.exitCount; ++e) {
      if (level.exits[e].nextMap != map) continue;
      *x = level.exits[e].entryX;
      *y = level.exits[e].entryY;
      return true;
    }
  }
  return false;
}

// The game as start-up leaves it, without a display, standing on the entry of the map whose
// frame draws the most on screen.
class GameScene {
 public:
  GameScene() {
    ResetWorld();
    window = nullptr;
    SetUpDevice();
    LoadSheets();
    for (const SheetRow& row : kSheetTable) {
      IDirect3DTexture9* texture = sheets[row.index].texture;
      if (texture == nullptr) continue;
      pictureOf[texture] = int(workload.pictures.size());
      workload.pictures.push_back(ReadPicture(texture));
    }
    EnterBusiestMap();
  }
  ~GameScene() { ReleaseAllGraphics(); }
  GameScene(const GameScene&) = delete;
  GameScene& operator=(const GameScene&) = delete;

  const map_workload::Workload& Workload() const { return workload; }
  const std::vector<Draw>& MapDraws() const { return workload.mapFrame; }
  int32_t Map() const { return map; }

 private:
  // Enters `m` through the driver, as walking over from a neighbour would.
  std::vector<Draw> EnterAndRecord(int32_t m) {
    GameDriver driver;
    if (gameState != Playing) {
      driver.Frame(kKeyEnter);  // cover
      driver.Frame(kKeyEnter);  // story: the hero is set up
    }
    if (m != kFirstMap) EntryOf(m, &entryX, &entryY);
    currentMap = m;
    mapLoaded = false;
    driver.Frame(0);
    DrawListRecorder recorder(pictureOf);
    ID3DXSprite* real = sprite;
    sprite = &recorder;
    DrawMap();
    sprite = real;
    return recorder.Draws();
  }

  void EnterBusiestMap() {
    int busiest = -1;
    for (const Level& level : kLevels) {
      const int onScreen = OnScreen(EnterAndRecord(level.map));
      if (onScreen > busiest) {
        busiest = onScreen;
        map = level.map;
      }
    }
    workload.mapFrame = EnterAndRecord(map);
  }

  map_workload::Workload workload;
  std::map<IDirect3DTexture9*, int> pictureOf;
  int32_t map = kFirstMap;
};

std::unique_ptr<GameScene>& Scene() {
  static std::unique_ptr<GameScene> scene;
  if (!scene) scene = std::make_unique<GameScene>();
  return scene;
}

const std::vector<std::uint32_t>& PixmanPixels() {
  static std::vector<std::uint32_t> pixels;
  if (pixels.empty()) {
    map_workload::PixmanRenderer reference(Scene()->Workload());
    reference.DrawFrame(Scene()->MapDraws());
    pixels = reference.Pixels();
  }
  return pixels;
}

void Report(benchmark::State& state, const std::vector<std::uint32_t>& pixels) {
  const std::vector<std::uint32_t>& reference = PixmanPixels();
  int differing = 0;
  for (size_t i = 0; i < pixels.size() && i < reference.size(); ++i) {
    differing += (pixels[i] & 0xFFFFFF) != (reference[i] & 0xFFFFFF);
  }
  state.counters["map"] = Scene()->Map();
  state.counters["draws"] = double(Scene()->MapDraws().size());
  state.counters["onScreen"] = OnScreen(Scene()->MapDraws());
  state.counters["pixelsUnlikePixman"] = differing;
}

// The whole frame routine: Clear, the sprite batch, six bars, EndScene, Present.
void MapFrameGame(benchmark::State& state) {
  Scene();
  for (auto _ : state) DrawMapFrame();
  state.counters["draws"] = double(Scene()->MapDraws().size());
}

// The sprite batch of the map alone, the draw list the peers draw.
void MapBatchGame(benchmark::State& state) {
  Scene();
  for (auto _ : state) {
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    device->BeginScene();
    sprite->Begin(D3DXSPRITE_ALPHABLEND);
    DrawMap();
    sprite->End();
    device->EndScene();
  }
  Report(state, map_workload::ReadRenderTarget(device));
}

template <class Renderer>
void MapBatchPeer(benchmark::State& state) {
  Renderer renderer(Scene()->Workload());
  for (auto _ : state) renderer.DrawFrame(Scene()->MapDraws());
  Report(state, renderer.Pixels());
}

void MapBatchPixman(benchmark::State& s) { MapBatchPeer<map_workload::PixmanRenderer>(s); }
void MapBatchSdl(benchmark::State& s) { MapBatchPeer<map_workload::SdlRenderer>(s); }

// Direct3D, the device, the sprite and the 21 pictures, then everything released.
void StartUp(benchmark::State& state) {
  Scene().reset();
  for (auto _ : state) {
    ResetWorld();
    SetUpDevice();
    LoadSheets();
    ReleaseAllGraphics();
  }
}

BENCHMARK(MapFrameGame)->Unit(benchmark::kMillisecond);
BENCHMARK(MapBatchGame)->Unit(benchmark::kMillisecond);
BENCHMARK(MapBatchPixman)->Unit(benchmark::kMillisecond);
BENCHMARK(MapBatchSdl)->Unit(benchmark::kMillisecond);
BENCHMARK(StartUp)->Unit(benchmark::kMillisecond);

}  // namespace
