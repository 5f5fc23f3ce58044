#include "tools/replay/replay.h"

#include <filesystem>
#include <fstream>

#include "app/graphics.h"
#include "game/harness/game_driver.h"
#include "game/harness/playthrough_bot.h"
#include "game/harness/world_reset.h"
#include "game/sheet_table.h"
#include "game/world.h"
#include "platform/d3d9/test_device.h"
#include "tools/replay/png_writer.h"

namespace {

constexpr char kProgram[] = "mirefell-replay: ";

// What the screen shows after the frame: the last presented picture, black before any.
d3d9::PresentedFrame ScreenAfterFrame() {
  const d3d9::PresentedFrame* presented = d3d9::LastPresentedFrame(device);
  if (presented != nullptr) return *presented;
  d3d9::PresentedFrame black;
  black.width = static_cast<UINT>(screenWidth);
  black.height = static_cast<UINT>(screenHeight);
  black.pixels.assign(size_t{black.width} * black.height, 0xFF000000u);
  return black;
}

// The game draws nothing for a picture that did not load; say so once, since the usual cause
// is a working folder without res/.
void WarnOfMissingPictures(std::ostream& errors) {
  int missing = 0;
  const char* first = nullptr;
  for (const SheetRow& row : kSheetTable) {
    if (sheets[row.index].texture != nullptr) continue;
    if (missing++ == 0) first = row.file;
  }
  if (missing == 0) return;
  errors << kProgram << "warning: " << missing << " of " << kSheetRowCount
         << " pictures did not load (first " << first
         << "); run from the repository root so that res/ is found\n";
}

bool MakeOutputFolder(const std::string& folder, std::ostream& errors) {
  if (folder.empty()) return true;
  std::error_code failure;
  std::filesystem::create_directories(folder, failure);
  if (failure) {
    errors << kProgram << "cannot make " << folder << ": " << failure.message() << "\n";
    return false;
  }
  return true;
}

bool ReadKeyScript(const std::string& path, KeyScript* script, std::ostream& errors) {
  if (path.empty()) return true;
  std::ifstream in(path);
  if (!in) {
    errors << kProgram << "cannot read the key script " << path << "\n";
    return false;
  }
  std::string error;
  if (!ParseKeyScript(in, script, &error)) {
    errors << kProgram << path << ": " << error << "\n";
    return false;
  }
  return true;
}

int RunFrames(const ReplayOptions& options, const KeyScript& script, const FrameSink& sink,
              std::ostream& errors) {
  GameDriver driver;
  const PlaythroughBot bot;
  for (int64_t frame = 0; frame < options.frames; ++frame) {
    driver.Frame(options.bot ? bot.NextKeys() : script.KeysAt(frame));
    if (!IsFrameSelected(options, frame)) continue;
    std::string error;
    if (!sink(frame, ScreenAfterFrame(), &error)) {
      errors << kProgram << error << "\n";
      return 1;
    }
  }
  return 0;
}

}  // namespace

int RunGame(const ReplayOptions& options, const KeyScript& script, const FrameSink& sink,
            std::ostream& errors) {
  ResetWorld();
  window = nullptr;  // headless: the device keeps its frames instead of showing them
  SetUpDevice();
  LoadSheets();
  WarnOfMissingPictures(errors);
  int status = 1;
  if (device == nullptr) {
    errors << kProgram << "no Direct3D 9 device could be made\n";
  } else {
    status = RunFrames(options, script, sink, errors);
  }
  ReleaseAllGraphics();
  return status;
}

int RunReplay(const ReplayOptions& options, const KeyScript& script, std::ostream& errors) {
  if (!MakeOutputFolder(options.outDir, errors)) return 1;
  const FrameSink writer = [&](int64_t frame, const d3d9::PresentedFrame& screen,
                               std::string* error) {
    const std::filesystem::path file =
        std::filesystem::path(options.outDir) / FrameFileName(frame);
    return WriteRgbPng(file.string(), screen, error);
  };
  return RunGame(options, script, writer, errors);
}

namespace {

// The game reads res/ from the working folder: with --data the run moves there, the output
// folder taken from where the command was given.
bool EnterDataFolder(ReplayOptions& options, std::ostream& errors) {
  if (options.dataDir.empty()) return true;
  std::error_code failure;
  if (!options.outDir.empty()) {
    options.outDir = std::filesystem::absolute(options.outDir, failure).string();
  }
  if (!failure) std::filesystem::current_path(options.dataDir, failure);
  if (failure) {
    errors << kProgram << "cannot use the data folder " << options.dataDir << ": "
           << failure.message() << "\n";
    return false;
  }
  return true;
}

}  // namespace

int ReplayMain(const std::vector<std::string>& arguments, std::ostream& out,
               std::ostream& errors) {
  ReplayOptions options;
  std::string error;
  if (!ParseReplayArguments(arguments, &options, &error)) {
    errors << kProgram << error << " (see --help)\n";
    return 2;
  }
  if (options.help) {
    out << kReplayUsage;
    return 0;
  }
  KeyScript script;
  if (!ReadKeyScript(options.keysFile, &script, errors)) return 2;
  if (!EnterDataFolder(options, errors)) return 2;
  return RunReplay(options, script, errors);
}
