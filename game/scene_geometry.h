// Where things land on screen: the isometric projection in its three arithmetic variants, the
// tile lookup in the tile picture, the actors' colour, the health-bar quad and the order in
// which the map's cells are drawn. Pure functions of the world's globals; drawing is in
// scene.cpp.
#pragma once

#include <cstdint>

#include "game/world.h"
#include "platform/d3d9/math_types.h"
#include "platform/win32/types.h"

// A screen pixel as DrawSprite takes it.
struct ScreenPoint {
  float x;
  float y;
};

// Cell corner (c, r) by whole numbers: each product halved with truncation, exact for the
// grid's 64 x 32.
ScreenPoint TileScreenPoint(int32_t column, int32_t row);
// An actor's position in float arithmetic, each coordinate truncated toward zero.
ScreenPoint ActorScreenPoint(float x, float y);
// A bar's anchor in float arithmetic, not truncated.
ScreenPoint BarScreenPoint(float x, float y);

// Columns the tile lookup sees in a picture `imageWidth` pixels wide: the width divided by the
// grid's tileWidth, not by the 128-pixel frame. 0 when the picture is missing or too narrow.
int32_t TileLookupColumns(int32_t imageWidth);

// The frame of tile value v > 0 among frames of frameWidth x frameHeight: column v mod
// `columns`, row v / `columns`. False (nothing to draw) when `columns` is 0 or the rectangle
// would not fit in a RECT's 32-bit fields.
bool TileSourceRect(int32_t v, int32_t columns, int32_t frameWidth, int32_t frameHeight,
                    RECT* rect);

// White with alpha trunc(opacity x 255) & 0xFF.
D3DCOLOR ActorColour(float opacity);

// One vertex of a health bar: pre-transformed position and colour (vertex format 0x44).
struct BarVertex {
  float x;
  float y;
  float z;
  float rhw;
  D3DCOLOR colour;
};
static_assert(sizeof(BarVertex) == 20, "the bar's vertex stride");

// The fan of a bar for health h of m at anchor (x, y) by the bar projection, k pixels down:
// from the bottom-left corner, clockwise, 10 pixels high and 2 pixels per health point.
void HealthBarQuad(ScreenPoint anchor, int32_t health, int32_t maxHealth, float k,
                   BarVertex quad[4]);

// Calls visit(column, row) for every cell of the 32 x 32 grid, back to front: diagonals
// c + r = 0 to 62, each from left (large r) to right.
template <typename Visit>
void SweepCellsBackToFront(Visit visit) {
  for (int32_t d = 0; d <= 2 * (kMapSize - 1); ++d) {
    for (int32_t r = d; r >= 0; --r) {
      const int32_t c = d - r;
      if (r >= kMapSize || c >= kMapSize) continue;
      visit(c, r);
    }
  }
}
