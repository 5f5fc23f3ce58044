#include "game/sheet_table.h"

namespace {
constexpr DWORD kTileKey = 0xFF000000;   // black
constexpr DWORD kActorKey = 0xFF6A4C30;  // the brown behind every actor and screen picture
}  // namespace

// Index order is loading order. Indices 1, 10 and 19 stay empty.
const SheetRow kSheetTable[kSheetRowCount] = {
    {0, "res/tileimage.png", kTileKey, 128, 128, 5, 64, 96, 0},
    {2, "res/hero-walk-0.png", kActorKey, 128, 128, 24, 64, 90, 25},
    {3, "res/hero-walk-2.png", kActorKey, 128, 128, 24, 64, 90, 25},
    {4, "res/hero-walk-4.png", kActorKey, 128, 128, 24, 64, 90, 25},
    {5, "res/hero-walk-6.png", kActorKey, 128, 128, 24, 64, 90, 25},
    {6, "res/hero-attack-0.png", kActorKey, 128, 128, 12, 64, 90, 25},
    {7, "res/hero-attack-2.png", kActorKey, 128, 128, 12, 64, 90, 25},
    {8, "res/hero-attack-4.png", kActorKey, 128, 128, 12, 64, 90, 25},
    {9, "res/hero-attack-6.png", kActorKey, 128, 128, 12, 64, 90, 25},
    {11, "res/blueslime-walk.png", kActorKey, 128, 128, 12, 64, 96, 25},
    {12, "res/blueslime-attack.png", kActorKey, 128, 128, 12, 64, 96, 25},
    {13, "res/flower-walk.png", kActorKey, 128, 128, 12, 64, 96, 25},
    {14, "res/flower-attack.png", kActorKey, 128, 128, 12, 64, 96, 25},
    {15, "res/mudslime-walk.png", kActorKey, 128, 128, 12, 64, 96, 25},
    {16, "res/mudslime-attack.png", kActorKey, 128, 128, 12, 64, 96, 25},
    {17, "res/boss-walk.png", kActorKey, 128, 128, 12, 64, 96, 25},
    {18, "res/boss-attack.png", kActorKey, 128, 128, 12, 64, 96, 25},
    {20, "res/cover.png", kActorKey, 640, 480, 1, 64, 96, 25},
    {21, "res/story.png", kActorKey, 640, 480, 1, 64, 96, 25},
    {22, "res/gameover.png", kActorKey, 640, 480, 1, 64, 96, 25},
    {23, "res/gamewin.png", kActorKey, 640, 480, 1, 64, 96, 25},
};
