// Graphics set-up at start-up and release at exit.
#pragma once

// Direct3D, the full-screen device, the sprite and the health-bar states. Until the device
// exists, `device` stays null and every frame runs the game without drawing.
void SetUpDevice();
// The 21 pictures of the sheet table into `sheets`.
void LoadSheets();
// Releases the device, then Direct3D; either may be null.
void ReleaseDevice();
