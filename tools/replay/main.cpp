// mirefell-replay: see replay.h and --help.
#include <iostream>
#include <string>
#include <vector>

#include "tools/replay/replay.h"

int main(int argc, char** argv) {
  std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
  return ReplayMain(arguments, std::cout, std::cerr);
}
