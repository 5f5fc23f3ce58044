// mirefell-replay: the real game run without a display on the software Direct3D 9 device,
// with the injected 40 ms clock and keys from a script or the playthrough bot, writing chosen
// presented frames as PNG files.
#pragma once

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/d3d9/test_device.h"

#include "tools/replay/key_script.h"
#include "tools/replay/replay_options.h"

// Takes the screen after a chosen frame; false with `error` stops the run.
using FrameSink = std::function<bool(int64_t frame, const d3d9::PresentedFrame& screen,
                                     std::string* error)>;

// Sets the graphics up, runs options.frames frames from a fresh world and hands the chosen
// frames to `sink`; before the first Present the screen counts as black. Leaves the world as
// the run ended and releases every graphics object. Pictures that do not load are drawn as
// nothing, with a warning on `errors`. Returns 0, or 1 with a line on `errors` when the
// device cannot be made or the sink fails.
int RunGame(const ReplayOptions& options, const KeyScript& script, const FrameSink& sink,
            std::ostream& errors);

// RunGame writing the chosen frames into options.outDir (made if missing) as PNG files; the
// exit status is RunGame's, or 1 when the folder cannot be made.
int RunReplay(const ReplayOptions& options, const KeyScript& script, std::ostream& errors);

// The whole program over its arguments (without the program name); returns the exit status.
int ReplayMain(const std::vector<std::string>& arguments, std::ostream& out,
               std::ostream& errors);
