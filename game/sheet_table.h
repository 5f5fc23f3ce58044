// The 21 pictures of the game, as data: which file fills which sheet record and how it is cut.
#pragma once

#include <cstdint>

#include "platform/win32/types.h"

struct SheetRow {
  int32_t index;      // record of `sheets`
  const char* file;   // relative to the working directory
  DWORD colorKey;     // ARGB made transparent on loading
  int32_t frameWidth;
  int32_t frameHeight;
  int32_t frameCount;
  int32_t anchorX;
  int32_t anchorY;
  int32_t frameDelay;  // ms
};

constexpr int kSheetRowCount = 21;
extern const SheetRow kSheetTable[kSheetRowCount];

// Sheets of the tile picture and of the four full-screen pictures.
constexpr int32_t kTileSheet = 0;
constexpr int32_t kCoverSheet = 20;
constexpr int32_t kStorySheet = 21;
constexpr int32_t kLostSheet = 22;
constexpr int32_t kWonSheet = 23;

// The hero's strips for a facing f (0, 2, 4, 6).
constexpr int32_t HeroWalkSheet(int32_t facing) { return 2 + facing / 2; }
constexpr int32_t HeroAttackSheet(int32_t facing) { return 6 + facing / 2; }
