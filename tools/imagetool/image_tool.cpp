#include "tools/imagetool/image_tool.h"

namespace {

constexpr ImageToolCommand kCommands[] = {
    {"info", "FILE...", "print each file's size, levels, format and file type", RunInfoCommand},
    {"load",
     "FILE [--width N] [--height N] [--levels N] [--format D3DFMT_...] "
     "[--pool default|managed|systemmem|scratch] [--filter NAME|NUMBER] "
     "[--mip-filter NAME|NUMBER] [--colorkey 0xAARRGGBB] [--out DIR]",
     "make a texture of the file as D3DXCreateTextureFromFileExA does on the software device;\n"
     "      print its size, levels and format and the file's; --out writes every level as\n"
     "      DIR/level-N.png (8-bit RGBA). Sizes take N, default or nonpow2; levels N or\n"
     "      default; filters none, point, linear, triangle, box, default or a number",
     RunLoadCommand},
};

const ImageToolCommand* FindCommand(const std::string& name) {
  for (const ImageToolCommand& command : kCommands) {
    if (name == command.name) return &command;
  }
  return nullptr;
}

void PrintUsage(std::ostream& stream) {
  stream << "usage: imagetool COMMAND [ARGUMENTS...]\n"
            "       imagetool COMMAND --help\n\n"
            "commands:\n";
  for (const ImageToolCommand& command : kCommands) {
    stream << "  " << command.name << ' ' << command.operands << "\n      " << command.summary
           << '\n';
  }
  stream << "\nexit status: 0 done, 1 some file failed, 2 bad arguments\n";
}

void PrintCommandUsage(const ImageToolCommand& command, std::ostream& stream) {
  stream << "usage: imagetool " << command.name << ' ' << command.operands << '\n'
         << command.summary << '\n';
}

bool IsHelp(const std::string& argument) { return argument == "--help" || argument == "-h"; }

}  // namespace

int RunImageTool(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
  if (arguments.empty()) {
    err << "imagetool: no command given\n";
    PrintUsage(err);
    return kExitBadArguments;
  }
  if (IsHelp(arguments[0])) {
    PrintUsage(out);
    return kExitDone;
  }
  const ImageToolCommand* command = FindCommand(arguments[0]);
  if (command == nullptr) {
    err << "imagetool: unknown command '" << arguments[0] << "' (see imagetool --help)\n";
    return kExitBadArguments;
  }
  return command->run(std::vector<std::string>(arguments.begin() + 1, arguments.end()), out, err);
}

int ParseFileArguments(const char* commandName, const std::vector<std::string>& arguments,
                       std::vector<std::string>* files, std::ostream& out, std::ostream& err) {
  const ImageToolCommand& command = *FindCommand(commandName);
  bool optionsEnded = false;
  for (const std::string& argument : arguments) {
    if (!optionsEnded && argument == "--") {
      optionsEnded = true;
    } else if (!optionsEnded && IsHelp(argument)) {
      PrintCommandUsage(command, out);
      return kExitDone;
    } else if (!optionsEnded && argument.size() > 1 && argument[0] == '-') {
      err << "imagetool " << command.name << ": unknown option '" << argument << "'\n";
      PrintCommandUsage(command, err);
      return kExitBadArguments;
    } else {
      files->push_back(argument);
    }
  }
  if (files->empty()) {
    err << "imagetool " << command.name << ": no files given\n";
    PrintCommandUsage(command, err);
    return kExitBadArguments;
  }
  return -1;
}
