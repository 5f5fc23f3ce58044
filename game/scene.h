// Drawing of the screens and maps. Every frame routine returns at once while there is no
// device; a sheet without a texture, a missing sprite or a marker outside the object table
// draws nothing.
#pragma once

#include <cstdint>

#include "platform/win32/types.h"

struct IDirect3DTexture9;

// The point (centreX, centreY) of `source`, counted from its top-left corner, on screen pixel
// (x, y), the texture multiplied by `colour`, through the game's sprite.
void DrawSprite(float x, float y, int32_t centreX, int32_t centreY, IDirect3DTexture9* texture,
                const RECT* source, DWORD colour);
// Object i's current frame at its position, when it is alive.
void DrawActor(int32_t i);
// Both layers of the map with the actors standing on them, back to front.
void DrawMap();
// Object i's health bar, k pixels below its projected point.
void DrawHealthBar(int32_t i, float k);

// One full-screen picture: Clear, the picture through the sprite, Present.
void DrawScreenPicture(int32_t sheet);
// The isometric map with its actors and health bars.
void DrawMapFrame();
// The boss map: as a map frame, with the boss's bar and the text overlay.
void DrawBossFrame();
