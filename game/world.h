// The game's whole world: fixed global tables that live for the life of the process.
//
// Glossary
//   cell      one square of the 32 x 32 grid; positions are floats in cell units
//   record    one entry of `objects` (an actor) or of `sheets` (a picture cut into frames)
//   strip     the frames of one sheet, played left to right, then top to bottom
//   marker    the value -i in a map cell: object i stands there
//
// Nothing here is allocated or freed while the game runs; every operation addresses the tables
// by index. Record 0 of `objects` is never spawned, so a free cell (value 0) draws nothing.
#pragma once

#include <cstdint>

#include "platform/win32/types.h"

struct IDirect3D9;
struct IDirect3DDevice9;
struct IDirect3DTexture9;
struct ID3DXSprite;
struct ID3DXFont;

constexpr int kObjectCount = 200;
constexpr int kSheetCount = 200;
constexpr int kMapSize = 32;        // cells along x and along y
constexpr int kFirstEnemy = 20;     // index of the first enemy record (the boss on map 30)
constexpr int kEnemySlots = 5;      // records 20 to 24
constexpr DWORD kFrameMillis = 40;  // shortest time between two frames

// Direction codes: movement, facing and the hero's strips share them. On screen the grid is
// isometric, so "up" in the grid (y - s) points up-right.
enum Direction : int32_t {
  kDirUpRight = 0,    // y - s        (Up arrow)
  kDirRight = 1,      // x + s, y - s
  kDirDownRight = 2,  // x + s        (Right arrow)
  kDirDown = 3,       // x + s, y + s
  kDirDownLeft = 4,   // y + s        (Down arrow)
  kDirLeft = 5,       // x - s, y + s
  kDirUpLeft = 6,     // x - s        (Left arrow)
  kDirUp = 7,         // x - s, y - s
};

// One actor: the hero, an enemy or the boss.
struct GameObject {
  int32_t sheet;         // index into `sheets` of the strip shown; -1 before the first SetSheet
  RECT sourceRect;       // current frame inside the sheet's picture, pixels
  int32_t frameWidth;    // pixels, copied from the sheet
  int32_t frameHeight;   // pixels, copied from the sheet
  float x;               // column position, cells
  float y;               // row position, cells
  int32_t frame;         // current frame of the strip
  int32_t frameCount;    // frames in the strip, copied from the sheet
  int32_t frameDelay;    // ms between frames, copied from the sheet
  uint32_t lastFrameTime;  // frameTime of the last animation step or restart, ms
  bool playing;          // the strip is running
  bool alive;            // in play: drawn and driven
  float opacity;         // alpha multiplier for drawing; 1.0 from the spawn on
  float velocityX;       // cells per frame along x (enemies)
  float velocityY;       // cells per frame along y (enemies)
  int32_t facing;        // direction code 0, 2, 4 or 6; decides where blows land
  float heroDistance;    // cells to the hero, measured at the end of each frame (enemies)
  int32_t health;        // hit points
  int32_t maxHealth;     // hit points at spawn
  int32_t damage;        // hit points one Strike of this actor takes
  int32_t sightRange;    // cells within which an enemy turns toward the hero
  int32_t attackChance;  // attacks when a draw in 0..29 is at most this
  int32_t behaviour;     // badly wounded enemy: 0 pursuer, 1 berserker; the hero -1
  int32_t speed;         // velocity magnitude in units of 0.02 cells per frame
  int32_t walkSheet;     // sheet index of the walk strip
  int32_t attackSheet;   // sheet index of the attack strip
};

// One picture loaded as a texture, read as a strip of equal frames.
struct SpriteSheet {
  IDirect3DTexture9* texture;  // owned by the table for the life of the process
  int32_t imageWidth;          // pixels of the picture file (not of the possibly larger texture)
  int32_t imageHeight;         // pixels of the picture file
  int32_t frameWidth;          // pixels
  int32_t frameHeight;         // pixels
  int32_t frameCount;
  int32_t frameDelay;          // ms between frames
  int32_t anchorX;             // pixel of a frame placed on the actor's screen position
  int32_t anchorY;
};

// The screen being shown.
enum GameState : int32_t {
  Cover = 0,
  Story = 1,
  Playing = 2,
  Lost = 3,
  Won = 4,
};

// A tile map has two layers of cells, indexed [layer][row y][column x]. A value above 0 is a
// frame of the tile sheet, 0 is empty, -i marks the cell as holding object i.
enum MapLayer : int32_t { kGroundLayer = 0, kOccupancyLayer = 1 };
using TileMap = int32_t[2][kMapSize][kMapSize];

// --- Globals ---------------------------------------------------------------------------------

extern int32_t heroIndex;     // object index of the hero
extern int32_t tileWidth;     // projected width of a cell, pixels
extern int32_t tileHeight;    // projected height of a cell, pixels
extern int32_t currentMap;    // number of the map being played
extern int32_t enemyCount;    // enemy records, from kFirstEnemy
extern int32_t entryX;        // hero's cell on entering the next map
extern int32_t entryY;
extern int32_t entryHealth;   // hero's health on entering the next map
extern const char* const gameTitle;  // window class name and caption
extern int32_t screenWidth;   // back buffer and window, pixels
extern int32_t screenHeight;
extern int32_t cameraLeft;    // projected pixel at the screen's top-left corner
extern int32_t cameraTop;
extern GameState gameState;
extern bool mapLoaded;        // the current map has been entered
extern uint32_t frameTime;    // GetTickCount at the start of the current frame, ms

extern GameObject objects[kObjectCount];
extern SpriteSheet sheets[kSheetCount];
extern TileMap tileMap;
// The two layers by name: ground[y][x] and occupancy[y][x].
extern int32_t (&ground)[kMapSize][kMapSize];
extern int32_t (&occupancy)[kMapSize][kMapSize];

extern IDirect3D9* d3d;
extern IDirect3DDevice9* device;
extern ID3DXSprite* sprite;
extern ID3DXFont* directionFont;
extern ID3DXFont* creditFont;
extern HWND window;

// State of the one random generator; starts at 1 and is never reseeded.
extern uint32_t randomState;

// --- Operations ------------------------------------------------------------------------------

// Next value in 0..32767 of the game's linear congruential generator.
int32_t NextRandom();

// Puts record `index` into play at (x, y) with the given strip and fighting values. Keeps the
// record's facing, heroDistance and lastFrameTime.
void SpawnObject(int32_t index, int32_t sheet, float x, float y, int32_t health, int32_t damage,
                 int32_t sightRange, int32_t attackChance, int32_t behaviour, int32_t speed,
                 int32_t walkSheet, int32_t attackSheet);

// One frame of the screen state machine; the shell calls it once per frame.
void RunFrame();

// Deaths, distances, defeat, animation steps and the camera, after the actors have acted.
void UpdateWorld();

// True when the game's own index lies inside a table (map data may hold any marker).
constexpr bool IsObjectIndex(int64_t index) { return index >= 0 && index < kObjectCount; }
constexpr bool IsSheetIndex(int64_t index) { return index >= 0 && index < kSheetCount; }
