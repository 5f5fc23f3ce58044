// Draws the sheet of scripts (script_sheet.h) and writes it as a PNG file:
//
//   mirefell-scriptsheet [file]     (docs/screenshots/scripts.png by default)
#include <iostream>
#include <string>

#include "tools/replay/png_writer.h"
#include "tools/scriptsheet/script_sheet.h"

int main(int argc, char** argv) {
  const std::string path = argc > 1 ? argv[1] : "docs/screenshots/scripts.png";
  d3d9::PresentedFrame frame;
  frame.width = script_sheet::sheetWidth;
  const HRESULT result = script_sheet::RenderSheet(&frame.pixels, &frame.height);
  if (FAILED(result)) {
    std::cerr << "scriptsheet: the sheet could not be drawn (0x" << std::hex << result << ")\n";
    return 1;
  }
  std::string error;
  if (!WriteRgbPng(path, frame, &error)) {
    std::cerr << "scriptsheet: " << error << "\n";
    return 1;
  }
  return 0;
}
