#include "game/scene_geometry.h"

#include <cmath>
#include <limits>

#include "game/world.h"

namespace {

// Screen values of the projection before the camera: x right, y down, in pixels.
float ProjectedX(float x, float y) { return tileWidth * x / 2 - tileWidth * y / 2 - cameraLeft; }
float ProjectedY(float x, float y) { return tileHeight * x / 2 + tileHeight * y / 2 - cameraTop; }

bool FitsInLong(int64_t value) {
  return value >= std::numeric_limits<LONG>::min() && value <= std::numeric_limits<LONG>::max();
}

// The low byte of trunc(value) in two's complement; 0 for values no integer holds.
uint32_t LowByteOfTruncation(float value) {
  constexpr float kLimit = 4.6e18f;  // below 2^63
  if (!std::isfinite(value) || std::fabs(value) >= kLimit) return 0;
  return static_cast<uint32_t>(static_cast<int64_t>(value) & 0xFF);
}

}  // namespace

ScreenPoint TileScreenPoint(int32_t column, int32_t row) {
  // 64 bits: the camera may hold any int32.
  const int64_t x = int64_t{tileWidth} * column / 2 - int64_t{tileWidth} * row / 2 - cameraLeft;
  const int64_t y = int64_t{tileHeight} * column / 2 + int64_t{tileHeight} * row / 2 - cameraTop;
  return {static_cast<float>(x), static_cast<float>(y)};
}

ScreenPoint ActorScreenPoint(float x, float y) {
  return {std::trunc(ProjectedX(x, y)), std::trunc(ProjectedY(x, y))};
}

ScreenPoint BarScreenPoint(float x, float y) { return {ProjectedX(x, y), ProjectedY(x, y)}; }

int32_t TileLookupColumns(int32_t imageWidth) {
  if (tileWidth <= 0 || imageWidth <= 0) return 0;
  return imageWidth / tileWidth;
}

bool TileSourceRect(int32_t v, int32_t columns, int32_t frameWidth, int32_t frameHeight,
                    RECT* rect) {
  if (v <= 0 || columns <= 0) return false;
  const int64_t left = int64_t{frameWidth} * (v % columns);
  const int64_t top = int64_t{frameHeight} * (v / columns);
  const int64_t right = left + frameWidth;
  const int64_t bottom = top + frameHeight;
  if (!FitsInLong(left) || !FitsInLong(top) || !FitsInLong(right) || !FitsInLong(bottom)) {
    return false;
  }
  *rect = RECT{static_cast<LONG>(left), static_cast<LONG>(top), static_cast<LONG>(right),
               static_cast<LONG>(bottom)};
  return true;
}

D3DCOLOR ActorColour(float opacity) {
  return LowByteOfTruncation(opacity * 255) << 24 | 0x00FFFFFFu;
}

void HealthBarQuad(ScreenPoint anchor, int32_t health, int32_t maxHealth, float k,
                   BarVertex quad[4]) {
  const float left = anchor.x - maxHealth;
  const float bottom = anchor.y + k;
  // 64 bits: 2h of a wild health value must not overflow; the float keeps its magnitude.
  const float right = left + static_cast<float>(2 * int64_t{health});
  quad[0] = {left, bottom, 0, 0, 0x80FF0000};
  quad[1] = {left, bottom - 10, 0, 0, 0x8000FF00};
  quad[2] = {right, bottom - 10, 0, 0, 0x800000FF};
  quad[3] = {right, bottom, 0, 0, 0x80FFFFFF};
}
