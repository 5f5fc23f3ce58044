// The command line of mirefell-replay and the frames it writes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct ReplayOptions {
  int64_t frames = 0;          // frames to run, numbered from 0
  std::string keysFile;        // key script; empty: no keys, unless the bot plays
  bool bot = false;            // the playthrough bot chooses the keys
  std::vector<int64_t> shots;  // frames to write, ascending, each once
  int64_t every = 0;           // also every K-th frame (0, K, 2K, ...); 0: none
  std::string outDir;          // where the pictures go
  std::string dataDir;         // the folder holding res/; empty: the working folder
  bool help = false;
};

// The arguments after the program name. False with a one-line `error` for anything unknown,
// missing, malformed or contradictory; --help wins over everything else.
bool ParseReplayArguments(const std::vector<std::string>& arguments, ReplayOptions* options,
                          std::string* error);

// Whether frame `frame` is written.
bool IsFrameSelected(const ReplayOptions& options, int64_t frame);

// "frame-00042.png": five digits at least, so that names sort by frame.
std::string FrameFileName(int64_t frame);

extern const char kReplayUsage[];
