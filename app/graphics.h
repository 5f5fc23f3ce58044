// Graphics set-up at start-up and release at exit.
#pragma once

#include <cstdint>

#include "platform/win32/types.h"

struct IDirect3D9;

// Direct3D, the full-screen device, the sprite and the health-bar states. When a step cannot
// be made, `device` stays null and every frame runs the game without drawing.
void SetUpDevice();
// SetUpDevice over a Direct3D object that the caller made (a test adapter, say); the object
// becomes `d3d` and is released with it. Null leaves everything null.
void SetUpDeviceOn(IDirect3D9* direct3d);
// The 21 pictures of the sheet table into `sheets`, in index order.
void LoadSheets();
// One picture into sheet `index` with its frame layout. A picture that does not load leaves a
// null texture and, unless its size could be read, a zero size: the sheet then draws nothing.
void LoadSheet(int32_t index, const char* file, DWORD colourKey, int32_t frameWidth,
               int32_t frameHeight, int32_t frameCount, int32_t anchorX, int32_t anchorY,
               int32_t frameDelay);
// Releases the device, then Direct3D; either may be null.
void ReleaseDevice();
// Everything ReleaseDevice releases, and before it the sheet textures (their records zeroed),
// the sprite and the two fonts, which the game itself keeps until the process ends: for tools
// and tests that set up more than once in one process.
void ReleaseAllGraphics();
