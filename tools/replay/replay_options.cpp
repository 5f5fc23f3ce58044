#include "tools/replay/replay_options.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

const char kReplayUsage[] =
    "usage: mirefell-replay --frames N [--keys FILE | --bot] [--shot FRAME]... [--every K]\n"
    "                       [--out DIR] [--data DIR]\n"
    "Runs the game without a display on the software Direct3D 9 device, one frame per 40 ms\n"
    "of an injected clock. The game reads res/ from the working folder, or from --data.\n"
    "\n"
    "  --frames N     run frames 0 to N-1\n"
    "  --keys FILE    key script: lines 'FIRST LAST KEY...' hold the keys from frame FIRST to\n"
    "                 LAST (both included); keys Left Right Up Down Space Enter; # comments\n"
    "  --bot          the playthrough bot plays instead of a script\n"
    "  --shot FRAME   write this frame (repeatable)\n"
    "  --every K      write frames 0, K, 2K, ...\n"
    "  --out DIR      folder for the pictures, made if missing: DIR/frame-NNNNN.png, 8-bit RGB\n"
    "  --data DIR     the folder that holds res/ (the installed game's data folder)\n"
    "  --help         this text\n"
    "\n"
    "Exit status: 0 done, 1 the run failed, 2 bad arguments or key script.\n";

namespace {

// Enough for hours of play; keeps frame arithmetic far from overflow.
constexpr int64_t kMaxFrames = 100'000'000;

bool ParseCount(const std::string& text, int64_t* value) {
  if (text.empty() || text.front() < '0' || text.front() > '9') return false;
  const char* end = text.data() + text.size();
  const auto [stop, failure] = std::from_chars(text.data(), end, *value);
  return failure == std::errc() && stop == end;
}

// Reads the value of option `name` at arguments[*k + 1] and moves past it.
bool TakeValue(const std::vector<std::string>& arguments, size_t* k, const std::string& name,
               std::string* value, std::string* error) {
  if (*k + 1 >= arguments.size()) {
    *error = name + " needs a value";
    return false;
  }
  *value = arguments[++*k];
  return true;
}

bool TakeCount(const std::vector<std::string>& arguments, size_t* k, const std::string& name,
               int64_t* value, std::string* error) {
  std::string text;
  if (!TakeValue(arguments, k, name, &text, error)) return false;
  if (!ParseCount(text, value) || *value > kMaxFrames) {
    *error = name + " takes a whole number from 0 to " + std::to_string(kMaxFrames) +
             ", not '" + text + "'";
    return false;
  }
  return true;
}

bool Validate(const ReplayOptions& options, std::string* error) {
  if (options.frames <= 0) {
    *error = "--frames N (at least 1) is required";
    return false;
  }
  if (options.bot && !options.keysFile.empty()) {
    *error = "--keys and --bot exclude each other";
    return false;
  }
  if (!options.shots.empty() && options.shots.back() >= options.frames) {
    *error = "--shot " + std::to_string(options.shots.back()) + " lies beyond the last frame, " +
             std::to_string(options.frames - 1);
    return false;
  }
  if ((!options.shots.empty() || options.every > 0) && options.outDir.empty()) {
    *error = "--out DIR is required to write frames";
    return false;
  }
  return true;
}

}  // namespace

bool ParseReplayArguments(const std::vector<std::string>& arguments, ReplayOptions* options,
                          std::string* error) {
  if (std::find(arguments.begin(), arguments.end(), "--help") != arguments.end()) {
    *options = ReplayOptions{};
    options->help = true;
    return true;
  }
  ReplayOptions parsed;
  for (size_t k = 0; k < arguments.size(); ++k) {
    const std::string& name = arguments[k];
    bool ok = true;
    if (name == "--frames") {
      ok = TakeCount(arguments, &k, name, &parsed.frames, error);
    } else if (name == "--keys") {
      ok = TakeValue(arguments, &k, name, &parsed.keysFile, error);
      if (ok && parsed.keysFile.empty()) {
        *error = "--keys needs a file name";
        ok = false;
      }
    } else if (name == "--bot") {
      parsed.bot = true;
    } else if (name == "--shot") {
      int64_t frame = 0;
      ok = TakeCount(arguments, &k, name, &frame, error);
      parsed.shots.push_back(frame);
    } else if (name == "--every") {
      ok = TakeCount(arguments, &k, name, &parsed.every, error);
      if (ok && parsed.every == 0) {
        *error = "--every takes a step of 1 or more";
        ok = false;
      }
    } else if (name == "--out") {
      ok = TakeValue(arguments, &k, name, &parsed.outDir, error);
      if (ok && parsed.outDir.empty()) {
        *error = "--out needs a folder name";
        ok = false;
      }
    } else if (name == "--data") {
      ok = TakeValue(arguments, &k, name, &parsed.dataDir, error);
      if (ok && parsed.dataDir.empty()) {
        *error = "--data needs a folder name";
        ok = false;
      }
    } else {
      *error = "unknown argument '" + name + "'";
      ok = false;
    }
    if (!ok) return false;
  }
  std::sort(parsed.shots.begin(), parsed.shots.end());
  parsed.shots.erase(std::unique(parsed.shots.begin(), parsed.shots.end()), parsed.shots.end());
  if (!Validate(parsed, error)) return false;
  *options = parsed;
  return true;
}

bool IsFrameSelected(const ReplayOptions& options, int64_t frame) {
  if (options.every > 0 && frame % options.every == 0) return true;
  return std::binary_search(options.shots.begin(), options.shots.end(), frame);
}

std::string FrameFileName(int64_t frame) {
  char name[40];
  std::snprintf(name, sizeof name, "frame-%05lld.png", static_cast<long long>(frame));
  return name;
}
