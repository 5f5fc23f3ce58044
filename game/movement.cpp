#include "game/movement.h"

#include <cmath>

#include "game/world.h"

namespace {

// Change of position per unit step for each direction code.
struct StepDirection {
  int8_t dx;
  int8_t dy;
};
constexpr StepDirection kStepDirections[8] = {
    {0, -1}, {1, -1}, {1, 0}, {1, 1}, {0, 1}, {-1, 1}, {-1, 0}, {-1, -1},
};

bool IsOnGrid(float x, float y) {
  // Written so that a position that is not a number is off the grid too.
  return x >= 0.0f && x < kMapSize && y >= 0.0f && y < kMapSize;
}

// The cell index of a coordinate, truncated toward zero, or -1 when it lies outside 0..31.
int32_t CellIndex(float v) {
  if (!(v > -1.0f && v < kMapSize)) return -1;
  return static_cast<int32_t>(v);
}

}  // namespace

void MoveObject(int32_t i, int32_t d, float step) {
  if (!IsObjectIndex(i)) return;
  GameObject& o = objects[i];
  float nx = o.x;
  float ny = o.y;
  if (d >= 0 && d < 8) {
    const StepDirection& direction = kStepDirections[d];
    if (direction.dx != 0) nx = direction.dx > 0 ? o.x + step : o.x - step;
    if (direction.dy != 0) ny = direction.dy > 0 ? o.y + step : o.y - step;
  }
  if (!IsOnGrid(nx, ny)) return;

  const int32_t column = static_cast<int32_t>(nx);
  const int32_t row = static_cast<int32_t>(ny);
  const int32_t target = occupancy[row][column];
  if (target != 0 && target != -i) return;

  // After a knock-back the marker may lie elsewhere; the cell of the position is cleared.
  const int32_t oldColumn = CellIndex(o.x);
  const int32_t oldRow = CellIndex(o.y);
  if (oldColumn >= 0 && oldRow >= 0) occupancy[oldRow][oldColumn] = 0;

  o.x = nx;
  o.y = ny;
  occupancy[row][column] = -i;
}

void MeasureHeroDistance(int32_t i) {
  if (!IsObjectIndex(i)) return;
  GameObject& o = objects[i];
  const GameObject& hero = objects[heroIndex];
  const float dx = o.x - hero.x;
  const float dy = o.y - hero.y;
  const float sum = dx * dx + dy * dy;  // single precision; the root in double
  o.heroDistance = static_cast<float>(std::sqrt(static_cast<double>(sum)));
}
