#include "game/scene.h"

#include <initializer_list>

#include "game/map_file.h"
#include "game/scene_geometry.h"
#include "game/sheet_table.h"
#include "game/text_overlay.h"
#include "game/world.h"
#include "platform/d3d9/d3d9.h"
#include "toolkit/sprite/d3dx_sprite.h"

namespace {

constexpr D3DCOLOR kOpaqueWhite = 0xFFFFFFFF;
constexpr D3DCOLOR kBlack = 0xFF000000;

// Bars sit this many pixels below their actor's projected point.
constexpr float kHeroBarOffset = 40;
constexpr float kEnemyBarOffset = 35;
constexpr float kBossMapBarOffset = 20;  // hero and boss alike

void BeginFrame() {
  device->Clear(0, nullptr, D3DCLEAR_TARGET, kBlack, 1.0f, 0);
  device->BeginScene();
}

void EndFrame() {
  device->EndScene();
  device->Present(nullptr, nullptr, nullptr, nullptr);
}

// One tile value of a layer at corner (c, r), or the actor a marker names.
void DrawCell(int32_t value, int32_t column, int32_t row, int32_t columns) {
  if (value <= 0) {
    // 0 names record 0, which is never alive; markers outside the table name nothing.
    const int32_t marked = MarkedObject(value);
    if (marked >= 0) DrawActor(marked);
    return;
  }
  const SpriteSheet& tiles = sheets[kTileSheet];
  RECT source;
  if (!TileSourceRect(value, columns, tiles.frameWidth, tiles.frameHeight, &source)) return;
  const ScreenPoint at = TileScreenPoint(column, row);
  DrawSprite(at.x, at.y, tiles.anchorX, tiles.anchorY, tiles.texture, &source, kOpaqueWhite);
}

// The map in one sprite batch. End restores the device states that Begin changed, so the
// bars that follow find the start-up states in force again.
void DrawMapBatch() {
  if (sprite == nullptr) return;
  sprite->Begin(D3DXSPRITE_ALPHABLEND);
  DrawMap();
  sprite->End();
}

}  // namespace

void DrawSprite(float x, float y, int32_t centreX, int32_t centreY, IDirect3DTexture9* texture,
                const RECT* source, DWORD colour) {
  // A picture that did not load has no texture and draws nothing.
  if (sprite == nullptr || texture == nullptr) return;
  // The sprite's transform is never set: the identity puts the centre on the position.
  const D3DXVECTOR3 centre(static_cast<float>(centreX), static_cast<float>(centreY), 0.0f);
  const D3DXVECTOR3 position(x, y, 0.0f);
  sprite->Draw(texture, source, &centre, &position, colour);
}

void DrawActor(int32_t i) {
  if (!IsObjectIndex(i) || !objects[i].alive) return;
  const GameObject& actor = objects[i];
  if (!IsSheetIndex(actor.sheet)) return;
  const SpriteSheet& sheet = sheets[actor.sheet];
  const ScreenPoint at = ActorScreenPoint(actor.x, actor.y);
  DrawSprite(at.x, at.y, sheet.anchorX, sheet.anchorY, sheet.texture, &actor.sourceRect,
             ActorColour(actor.opacity));
}

void DrawMap() {
  // A missing or too narrow tile picture leaves no columns: its tiles draw nothing.
  const int32_t columns = TileLookupColumns(sheets[kTileSheet].imageWidth);
  // Every ground cell before any obstacle or actor.
  for (const int32_t layer : {kGroundLayer, kOccupancyLayer}) {
    SweepCellsBackToFront([&](int32_t column, int32_t row) {
      DrawCell(tileMap[layer][row][column], column, row, columns);
    });
  }
}

void DrawHealthBar(int32_t i, float k) {
  if (!IsObjectIndex(i)) return;
  const GameObject& actor = objects[i];
  BarVertex quad[4];
  HealthBarQuad(BarScreenPoint(actor.x, actor.y), actor.health, actor.maxHealth, k, quad);
  // A bar of 0 health has no width; below 0 its triangles turn counter-clockwise and the
  // device's default culling drops them.
  device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, quad, sizeof(BarVertex));
}

void DrawScreenPicture(int32_t sheet) {
  if (device == nullptr) return;
  BeginFrame();
  if (sprite != nullptr) {
    sprite->Begin(D3DXSPRITE_ALPHABLEND);
    const RECT screen = {0, 0, screenWidth, screenHeight};
    DrawSprite(0, 0, 0, 0, IsSheetIndex(sheet) ? sheets[sheet].texture : nullptr, &screen,
               kOpaqueWhite);
    sprite->End();
  }
  EndFrame();
}

void DrawMapFrame() {
  if (device == nullptr) return;
  BeginFrame();
  DrawMapBatch();
  DrawHealthBar(heroIndex, kHeroBarOffset);
  for (int32_t i = kFirstEnemy; i < kFirstEnemy + kEnemySlots; ++i) {
    DrawHealthBar(i, kEnemyBarOffset);  // live or dead
  }
  EndFrame();
}

void DrawBossFrame() {
  if (device == nullptr) return;
  BeginFrame();
  DrawMapBatch();
  DrawHealthBar(heroIndex, kBossMapBarOffset);
  DrawHealthBar(kFirstEnemy, kBossMapBarOffset);
  DrawOverlayText();  // the boss's facing and the credit line, before EndScene
  EndFrame();
}
