#include <iostream>
#include <string>
#include <vector>

#include "tools/imagetool/image_tool.h"

int main(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  return RunImageTool(arguments, std::cout, std::cerr);
}
