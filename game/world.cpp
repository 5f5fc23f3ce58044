// The global tables, their initial values, the random generator and the spawn.
#include "game/world.h"

#include "game/animation.h"

int32_t heroIndex = 1;
int32_t tileWidth = 64;
int32_t tileHeight = 32;
int32_t currentMap = 11;
int32_t enemyCount = 5;
int32_t entryX = 28;
int32_t entryY = 28;
int32_t entryHealth = 20;
const char* const gameTitle = "Mirefell";
int32_t screenWidth = 640;
int32_t screenHeight = 480;
int32_t cameraLeft = 0;
int32_t cameraTop = 0;
GameState gameState = Cover;
bool mapLoaded = false;
uint32_t frameTime = 0;

GameObject objects[kObjectCount];
SpriteSheet sheets[kSheetCount];
TileMap tileMap;
int32_t (&ground)[kMapSize][kMapSize] = tileMap[kGroundLayer];
int32_t (&occupancy)[kMapSize][kMapSize] = tileMap[kOccupancyLayer];

IDirect3D9* d3d = nullptr;
IDirect3DDevice9* device = nullptr;
ID3DXSprite* sprite = nullptr;
ID3DXFont* directionFont = nullptr;
ID3DXFont* creditFont = nullptr;
HWND window = nullptr;

uint32_t randomState = 1;

int32_t NextRandom() {
  randomState = randomState * 214013u + 2531011u;
  return static_cast<int32_t>((randomState >> 16) & 0x7FFF);
}

void SpawnObject(int32_t index, int32_t sheet, float x, float y, int32_t health, int32_t damage,
                 int32_t sightRange, int32_t attackChance, int32_t behaviour, int32_t speed,
                 int32_t walkSheet, int32_t attackSheet) {
  if (!IsObjectIndex(index)) return;
  GameObject& o = objects[index];
  o.x = x;
  o.y = y;
  o.playing = false;
  o.alive = true;
  o.opacity = 1.0f;
  o.velocityX = 0.0f;
  o.velocityY = 0.0f;

  o.sheet = -1;
  SetSheet(index, sheet);

  // Callers spawn on the grid; the check keeps a stray position from writing outside it.
  const int32_t column = static_cast<int32_t>(x);
  const int32_t row = static_cast<int32_t>(y);
  if (column >= 0 && column < kMapSize && row >= 0 && row < kMapSize) {
    occupancy[row][column] = -index;
  }

  o.health = health;
  o.maxHealth = health;
  o.damage = damage;
  o.sightRange = sightRange;
  o.attackChance = attackChance;
  o.behaviour = behaviour;
  o.speed = speed;
  o.walkSheet = walkSheet;
  o.attackSheet = attackSheet;
}
