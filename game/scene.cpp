#include "game/scene.h"

#include "game/world.h"

// Drawing needs the device, which start-up does not make yet: `device` stays null.
void DrawScreenPicture(int32_t) {
  if (device == nullptr) return;
}

void DrawMapFrame() {
  if (device == nullptr) return;
}

void DrawBossFrame() {
  if (device == nullptr) return;
}
