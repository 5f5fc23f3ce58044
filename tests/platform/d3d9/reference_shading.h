// A scalar model of fixed-function shading from Direct3D 9's documented rules, sharing nothing
// with the device: addressing, point and linear filtering, mip level choice, cube face
// selection, volume sampling, and the stage operations with their argument modifiers. Colours
// are 0xAARRGGBB; arithmetic is in doubles, rounded to 8 bits at the end of each step.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/d3d9/d3d9.h"

namespace reference {

// One mip level (flat, cube face or volume): texels row after row, slice after slice.
struct Level {
  int width = 0, height = 0, depth = 1;
  std::vector<std::uint32_t> texels;
  std::uint32_t At(int x, int y, int z = 0) const {
    return texels[(std::size_t(z) * height + y) * width + x];
  }
};

struct Filtering {
  bool magLinear = false, minLinear = false;
  DWORD mip = D3DTEXF_NONE;
  DWORD address[3] = {D3DTADDRESS_WRAP, D3DTADDRESS_WRAP, D3DTADDRESS_WRAP};
};

// Flat and volume textures at (u, v, w) in 0..1 over the texture and level of detail `lod`.
std::uint32_t SampleLevels(const std::vector<Level>& levels, const Filtering& filtering,
                           double u, double v, double w, double lod);
// Cube maps: `faces[f]` holds the levels of face f (D3DCUBEMAP_FACES order).
std::uint32_t SampleCube(const std::vector<Level> faces[6], const Filtering& filtering, double x,
                         double y, double z, double lod);

struct StageSetup {
  DWORD colorOp = D3DTOP_DISABLE;
  DWORD colorArgs[3] = {D3DTA_CURRENT, D3DTA_TEXTURE, D3DTA_CURRENT};  // arg0, arg1, arg2
  DWORD alphaOp = D3DTOP_DISABLE;
  DWORD alphaArgs[3] = {D3DTA_CURRENT, D3DTA_TEXTURE, D3DTA_CURRENT};
  DWORD result = D3DTA_CURRENT;
  std::uint32_t constant = 0;
};

struct PixelInputs {
  std::uint32_t diffuse = 0xFFFFFFFF, specular = 0, factor = 0xFFFFFFFF;
  std::uint32_t texels[8] = {};
  bool textured[8] = {};  // stages with a texture they can read
};

// The colour the stages 0 .. count - 1 give (the chain ends at a DISABLE colour operation).
std::uint32_t ShadeStages(const StageSetup* stages, int count, const PixelInputs& inputs);

// Whether two colours differ by at most `tolerance` in every channel.
bool Near(std::uint32_t a, std::uint32_t b, int tolerance);

}  // namespace reference
