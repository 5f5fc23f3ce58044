// Drawing of the screens and maps. Every routine returns at once while there is no device.
#pragma once

#include <cstdint>

// One full-screen picture: Clear, the picture through the sprite, Present.
void DrawScreenPicture(int32_t sheet);
// The isometric map with its actors and health bars.
void DrawMapFrame();
// The boss map: as a map frame, with the boss's bar and the text overlay.
void DrawBossFrame();
