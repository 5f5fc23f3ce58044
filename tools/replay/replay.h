// mirefell-replay: the real game run without a display on the software Direct3D 9 device,
// with the injected 40 ms clock and keys from a script or the playthrough bot, writing chosen
// presented frames as PNG files.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "tools/replay/key_script.h"
#include "tools/replay/replay_options.h"

// Sets the graphics up, runs options.frames frames from a fresh world and writes the chosen
// frames; before the first Present the screen counts as black. Leaves the world as the run
// ended and releases every graphics object. Returns the exit status: 0, or 1 with a line on
// `errors` when the device cannot be made or a picture not written.
int RunReplay(const ReplayOptions& options, const KeyScript& script, std::ostream& errors);

// The whole program over its arguments (without the program name); returns the exit status.
int ReplayMain(const std::vector<std::string>& arguments, std::ostream& out,
               std::ostream& errors);
