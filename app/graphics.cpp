#include "app/graphics.h"

#include "game/world.h"

// The software device that these set up arrives later; nothing is made yet, so `d3d` and
// `device` stay null and there is nothing to release.
void SetUpDevice() {}

void LoadSheets() {}

void ReleaseDevice() {}
