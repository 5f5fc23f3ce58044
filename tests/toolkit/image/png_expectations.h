// What a PNG file should decode to, judged from its own chunks without libpng: the facts of
// its header and the pixel format they lead to. Shared by the decoder and tool tests.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/d3d9/d3d9.h"
#include "toolkit/surface/pixel_format.h"

struct PngFacts {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  int bitDepth = 0;
  int colorType = 0;
  // Chunks met before the image data.
  bool hasTransparency = false;
  bool hasGamma = false;
  bool hasSrgb = false;
};

inline std::uint32_t BigEndian32(const std::uint8_t* bytes) {
  return (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) |
         (std::uint32_t{bytes[2]} << 8) | bytes[3];
}

// Assumes a well-formed file: signature, IHDR first.
inline PngFacts ReadPngFacts(const std::vector<std::uint8_t>& file) {
  PngFacts facts;
  if (file.size() < 33) return facts;
  facts.width = BigEndian32(&file[16]);
  facts.height = BigEndian32(&file[20]);
  facts.bitDepth = file[24];
  facts.colorType = file[25];
  for (std::size_t at = 8; at + 8 <= file.size();) {
    const char* type = reinterpret_cast<const char*>(&file[at + 4]);
    if (std::memcmp(type, "IDAT", 4) == 0) break;
    facts.hasTransparency |= std::memcmp(type, "tRNS", 4) == 0;
    facts.hasGamma |= std::memcmp(type, "gAMA", 4) == 0;
    facts.hasSrgb |= std::memcmp(type, "sRGB", 4) == 0;
    at += 12 + std::size_t{BigEndian32(&file[at])};
  }
  return facts;
}

// The decoded format by colour type, depth and transparency.
inline D3DFORMAT ExpectedPngFormat(const PngFacts& facts) {
  const bool wide = facts.bitDepth == 16;
  const bool keyed = facts.hasTransparency;
  switch (facts.colorType) {
    case 0: return wide ? (keyed ? FMT_A16L16 : D3DFMT_L16) : (keyed ? D3DFMT_A8L8 : D3DFMT_L8);
    case 2:
      return wide ? (keyed ? D3DFMT_A16B16G16R16 : FMT_R16G16B16)
                  : (keyed ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8);
    case 3: return D3DFMT_P8;
    case 4: return wide ? FMT_A16L16 : D3DFMT_A8L8;
    case 6: return wide ? D3DFMT_A16B16G16R16 : D3DFMT_A8R8G8B8;
    default: return D3DFMT_UNKNOWN;
  }
}

inline std::vector<std::uint8_t> ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// The file names of the PNG test suite, sorted.
inline std::vector<std::string> PngSuiteNames() {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(MIREFELL_PNGSUITE_DIR)) {
    if (entry.path().extension() == ".png") names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

inline std::string PngSuitePath(const std::string& name) {
  return std::string(MIREFELL_PNGSUITE_DIR) + "/" + name;
}

// The suite's damaged files all begin with "x".
inline bool IsDamagedSuiteFile(const std::string& name) { return name[0] == 'x'; }
