// Turns the drawn map layouts into the game's map files.
//
//   mirefell-mapgen [layout folder] [res folder]
//
// A layout is 32 lines of 32 characters, one character a cell (line y, column x). Each
// character stands for a ground tile and what stands on it (see kLegend). The output holds the
// ground layer, a blank line and the occupancy layer, 32 numbers a line. The same layout always
// gives the same file.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "game/tile_catalog.h"

namespace {

constexpr int kSize = 32;
constexpr int kMaps[] = {11, 12, 13, 14, 21, 22, 30};

struct Cell {
  char symbol;
  int ground;
  int occupancy;  // 0: free
};

constexpr Cell kLegend[] = {
    {'.', kGrass, 0},          {',', kFlowerGrass, 0},      {':', kDirtPath, 0},
    {'s', kSand, 0},           {'p', kPaving, 0},           {'=', kBridge, 0},
    {'x', kMire, 0},           {'h', kBoardwalk, 0},        {'g', kGravel, 0},
    {'d', kDryGrass, 0},       {'m', kMossPaving, 0},       {'a', kArenaStone, 0},
    {'r', kArenaRune, 0},      {'~', kWater, kRipples},     {'q', kMirePool, kRipples},
    {'T', kGrass, kOak},       {'P', kGrass, kPine},        {'o', kGrass, kBoulder},
    {'b', kGrass, kBush},      {'#', kPaving, kRuinedWall}, {'J', kPaving, kPillar},
    {'I', kArenaStone, kPillar}, {'W', kMire, kRuinedWall}, {'X', kMire, kDeadTree},
    {'k', kMire, kBoulder},
};

const Cell* FindCell(char symbol) {
  for (const Cell& cell : kLegend) {
    if (cell.symbol == symbol) return &cell;
  }
  return nullptr;
}

// Woods mix oaks with a pine here and there, the same way every time.
int Obstacle(const Cell& cell, int x, int y) {
  if (cell.occupancy == kOak && (x * 7 + y * 13) % 5 == 0) return kPine;
  return cell.occupancy;
}

bool ReadLayout(const std::string& path, std::vector<std::string>* lines) {
  std::ifstream in(path);
  if (!in) {
    std::cerr << "mapgen: cannot read " << path << "\n";
    return false;
  }
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines->push_back(line);
  }
  if (lines->size() != kSize) {
    std::cerr << "mapgen: " << path << " has " << lines->size() << " lines, not 32\n";
    return false;
  }
  for (int y = 0; y < kSize; ++y) {
    const std::string& row = (*lines)[y];
    if (row.size() != kSize) {
      std::cerr << "mapgen: " << path << " line " << y + 1 << " is not 32 cells\n";
      return false;
    }
    for (int x = 0; x < kSize; ++x) {
      if (FindCell(row[x]) == nullptr) {
        std::cerr << "mapgen: " << path << " line " << y + 1 << ": unknown cell '" << row[x]
                  << "'\n";
        return false;
      }
    }
  }
  return true;
}

void WriteLayer(std::ostream& out, const std::vector<std::string>& lines, bool occupancy) {
  for (int y = 0; y < kSize; ++y) {
    for (int x = 0; x < kSize; ++x) {
      const Cell& cell = *FindCell(lines[y][x]);
      const int value = occupancy ? Obstacle(cell, x, y) : cell.ground;
      out << (x == 0 ? "" : " ") << value;
    }
    out << "\n";
  }
}

bool WriteMap(const std::string& layoutFolder, const std::string& resFolder, int map) {
  std::vector<std::string> lines;
  if (!ReadLayout(layoutFolder + "/map" + std::to_string(map) + ".txt", &lines)) return false;
  std::ostringstream text;
  WriteLayer(text, lines, false);
  text << "\n";
  WriteLayer(text, lines, true);
  const std::string path = resFolder + "/tilemap" + std::to_string(map) + ".txt";
  std::ofstream out(path, std::ios::binary);
  out << text.str();
  if (!out) {
    std::cerr << "mapgen: cannot write " << path << "\n";
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string layoutFolder = argc > 1 ? argv[1] : "tools/mapgen/layouts";
  const std::string resFolder = argc > 2 ? argv[2] : "res";
  for (int map : kMaps) {
    if (!WriteMap(layoutFolder, resFolder, map)) return 1;
  }
  return 0;
}
