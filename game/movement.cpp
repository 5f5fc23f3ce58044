#include "game/movement.h"

#include <cmath>

#include "game/world.h"

void MeasureHeroDistance(int32_t i) {
  if (!IsObjectIndex(i)) return;
  GameObject& o = objects[i];
  const GameObject& hero = objects[heroIndex];
  const float dx = o.x - hero.x;
  const float dy = o.y - hero.y;
  const float sum = dx * dx + dy * dy;  // single precision; the root in double
  o.heroDistance = static_cast<float>(std::sqrt(static_cast<double>(sum)));
}
