// The game's globals persist for the life of the process; tests and tools that run several
// games in one process put the world back to its start-up state first.
#pragma once

// All tables zero, every global at its initial value, the random generator at its first
// state. The graphics handles are left alone (they stay null without a device).
void ResetWorld();

// Fills the sheet table with the frame data that loading the 21 pictures would give, without
// textures: strips hold eight frames a row, the tile picture has its planned size.
void LoadSheetMetrics();
