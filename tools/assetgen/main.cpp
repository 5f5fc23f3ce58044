// Draws the game's 21 pictures into a folder, res/ by default:
//
//   mirefell-assetgen [res folder]
//
// The same program always writes the same bytes; the tests hold the committed pictures to it.
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "tools/assetgen/pictures.h"
#include "tools/assetgen/png_writer.h"

int main(int argc, char** argv) {
  const std::string folder = argc > 1 ? argv[1] : "res";
  std::vector<PictureFile> pictures;
  try {
    pictures = DrawAllPictures();
  } catch (const std::exception& e) {
    std::cerr << "assetgen: " << e.what() << "\n";
    return 1;
  }
  for (const PictureFile& p : pictures) {
    const std::string path = folder + "/" + p.file;
    const std::vector<uint8_t> bytes = EncodePng(p.picture, p.key);
    if (bytes.empty() || !WriteBytes(path, bytes)) {
      std::cerr << "assetgen: cannot write " << path << "\n";
      return 1;
    }
  }
  return 0;
}
