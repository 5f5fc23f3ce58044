// A scalar model of fixed-function shading, written from Direct3D 9's documented rules and
// sharing nothing with the device: texture addressing, point and linear filtering, mip level
// choice, cube face selection, volume sampling, and the texture stage operations with their
// argument modifiers. Colours are 0xAARRGGBB; arithmetic is in doubles, rounded once at the end
// of each step.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/d3d9/d3d9.h"

namespace reference {

// One mip level (a flat texture, a cube face or a volume): width × height × depth texels,
// row after row, slice after slice.
struct Level {
  int width = 0, height = 0, depth = 1;
  std::vector<std::uint32_t> texels;
  std::uint32_t At(int x, int y, int z = 0) const {
    return texels[(std::size_t(z) * height + y) * width + x];
  }
};

struct Filtering {
  bool magLinear = false;
  bool minLinear = false;
  DWORD mip = D3DTEXF_NONE;
  DWORD address[3] = {D3DTADDRESS_WRAP, D3DTADDRESS_WRAP, D3DTADDRESS_WRAP};
};

// A texel index by an addressing mode (clamp, wrap, mirror).
int Address(int index, int size, DWORD mode);

// Flat and volume textures: u, v, w in 0..1 over the texture, `lod` the level of detail.
std::uint32_t SampleLevels(const std::vector<Level>& levels, const Filtering& filtering,
                           double u, double v, double w, double lod);

// Cube maps: the face a direction selects (D3DCUBEMAP_FACES order), with its s and t in 0..1.
int CubeFace(double x, double y, double z, double* s, double* t);
// `faces[f]` holds the levels of face f; filtering never leaves the face.
std::uint32_t SampleCube(const std::vector<Level> faces[6], const Filtering& filtering, double x,
                         double y, double z, double lod);

// Texture stages.
struct StageSetup {
  DWORD colorOp = D3DTOP_DISABLE;
  DWORD colorArgs[3] = {D3DTA_CURRENT, D3DTA_TEXTURE, D3DTA_CURRENT};
  DWORD alphaOp = D3DTOP_DISABLE;
  DWORD alphaArgs[3] = {D3DTA_CURRENT, D3DTA_TEXTURE, D3DTA_CURRENT};
  DWORD result = D3DTA_CURRENT;
  std::uint32_t constant = 0;
};

struct PixelInputs {
  std::uint32_t diffuse = 0xFFFFFFFF;
  std::uint32_t specular = 0;
  std::uint32_t factor = 0xFFFFFFFF;
  std::uint32_t texels[8] = {};
  bool textured[8] = {};  // stages whose texture can be read
};

// The colour of the stages 0 .. count - 1 (the chain ending at the first DISABLE colour
// operation), before any specular addition.
std::uint32_t ShadeStages(const StageSetup* stages, int count, const PixelInputs& inputs);

// Whether two colours differ by at most `tolerance` in every channel.
bool Near(std::uint32_t a, std::uint32_t b, int tolerance);

}  // namespace reference
