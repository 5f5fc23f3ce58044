// imagetool: looks at image files through the toolkit's loaders, one command a run.
//
//   imagetool COMMAND [ARGUMENTS...]
//   imagetool --help
//
// Commands live in one table (image_tool.cpp); each is a function from its arguments to an
// exit status. Exit status: 0 done, 1 some file failed, 2 bad arguments.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "toolkit/image/image_info.h"

constexpr int kExitDone = 0;
constexpr int kExitFileFailed = 1;
constexpr int kExitBadArguments = 2;

// `arguments` are those after the command's name.
using ImageToolRun = int (*)(const std::vector<std::string>& arguments, std::ostream& out,
                             std::ostream& err);

struct ImageToolCommand {
  const char* name;
  // What follows the name in a usage line, e.g. "FILE...".
  const char* operands;
  const char* summary;
  ImageToolRun run;
};

// The whole tool: `arguments` without the program name. Results go to `out`, messages about
// the arguments to `err`.
int RunImageTool(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

// Splits the arguments of the command `commandName` (one of the table) into files, after
// "--help" (prints the command's usage: exit 0) and unknown options or no files (a message:
// exit 2). "--" ends the options. Returns -1 when the command should go on with `files`.
int ParseFileArguments(const char* commandName, const std::vector<std::string>& arguments,
                       std::vector<std::string>* files, std::ostream& out, std::ostream& err);

// One line: "FILE: Width=... Height=... Depth=... MipLevels=... Format=... ResourceType=...
// ImageFileFormat=...".
void PrintImageInfo(const std::string& file, const D3DXIMAGE_INFO& info, std::ostream& out);

// The commands.
int RunInfoCommand(const std::vector<std::string>& arguments, std::ostream& out,
                   std::ostream& err);
int RunLoadCommand(const std::vector<std::string>& arguments, std::ostream& out,
                   std::ostream& err);
