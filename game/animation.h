// Strips: an actor shows one frame of its sheet at a time and steps through the frames on the
// frame clock. Drawing reads only `sourceRect`.
#pragma once

#include <cstdint>

// Switches object i to sheet s at frame 0; leaves `playing` and `lastFrameTime` alone. Nothing
// happens when the object already shows s.
void SetSheet(int32_t i, int32_t s);
// Rewinds to frame 0 and restarts the clock.
void RestartStrip(int32_t i);
// Makes sheet s run; a running strip is not rewound, a strip stopped at its end is.
void PlayStrip(int32_t i, int32_t s);
// Advances a running strip once its delay has passed; stops it after the last frame.
void StepAnimation(int32_t i);
