#include "game/harness/world_reset.h"

#include <algorithm>
#include <cstring>

#include "game/sheet_table.h"
#include "game/tile_catalog.h"
#include "game/world.h"

void ResetWorld() {
  std::memset(objects, 0, sizeof objects);
  std::memset(sheets, 0, sizeof sheets);
  std::memset(tileMap, 0, sizeof tileMap);
  heroIndex = 1;
  tileWidth = 64;
  tileHeight = 32;
  currentMap = 11;
  enemyCount = 5;
  entryX = 28;
  entryY = 28;
  entryHealth = 20;
  screenWidth = 640;
  screenHeight = 480;
  cameraLeft = 0;
  cameraTop = 0;
  gameState = Cover;
  mapLoaded = false;
  frameTime = 0;
  randomState = 1;
}

void LoadSheetMetrics() {
  constexpr int kFramesPerRow = 8;
  for (const SheetRow& row : kSheetTable) {
    SpriteSheet& s = sheets[row.index];
    s = SpriteSheet{};
    if (row.index == kTileSheet) {
      s.imageWidth = kTilePictureWidth;
      s.imageHeight = kTilePictureHeight;
    } else {
      const int columns = std::min(row.frameCount, kFramesPerRow);
      s.imageWidth = row.frameWidth * columns;
      s.imageHeight = row.frameHeight * ((row.frameCount + columns - 1) / columns);
    }
    s.frameWidth = row.frameWidth;
    s.frameHeight = row.frameHeight;
    s.frameCount = row.frameCount;
    s.frameDelay = row.frameDelay;
    s.anchorX = row.anchorX;
    s.anchorY = row.anchorY;
  }
}
