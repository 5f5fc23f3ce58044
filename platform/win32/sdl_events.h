// SDL's events turned into window messages (not part of the program's interface).
#pragma once

namespace win32 {

// Moves every waiting SDL event into the message queue; a no-op while video is stopped.
void PumpSdlEvents();

}  // namespace win32
