// Sampling of cube and volume textures, with the flat sampler's conventions: positions
// quantised to 1/256 of a texel, 8-bit filter weights, point and linear filtering for min, mag
// and mip.
//
// Cube maps take a direction (x, y, z), not necessarily of unit length. The face is that of the
// largest magnitude (x before y before z on ties), and the face's coordinates are
//
//   face   s      t      major
//   +X    -z     -y      x
//   -X    +z     -y     -x
//   +Y    +x     +z      y
//   -Y    +x     -z     -y
//   +Z    +x     -y      z
//   -Z    -x     -y     -z
//
// u = (s / major + 1) / 2 and v = (t / major + 1) / 2 across the face. Filtering stays within
// the face: texels beyond its edges read as the edge (the address modes do not apply).
//
// Volume textures take coordinates in level-0 texels (u × width, v × height, w × depth);
// linear filtering weighs the eight texels around the sample, and between two mip levels the
// two results, so that depth is filtered as much as width and height. ADDRESSW addresses w.
#pragma once

#include <array>
#include <cstdint>

#include "platform/d3d9/device_state.h"
#include "platform/d3d9/raster/sampler.h"
#include "platform/d3d9/raster/texel_cache.h"

namespace d3d9 {

class TextureBase;

class CubeVolumeSampler : public SamplerSettings {
 public:
  // Unreadable when the texture is neither a cube nor a volume texture, or has texels the
  // sampler cannot read; OutOfMemory when a decoded copy cannot be had.
  TexelAccess Prepare(const DeviceState& state, const TextureBase& texture, UINT samplerIndex,
                      const WorkingMemory& memory);

  bool IsCube() const { return cube; }
  // Level-0 texels per unit of the coordinates: the volume's size, or 1 for a cube (whose
  // coordinates are directions).
  double Scale(int component) const;
  // Samples at `c` with the derivatives of c along x and y on screen.
  std::uint32_t Sample(const double c[3], const double ddx[3], const double ddy[3]) const;

 private:
  struct Level {
    const std::uint32_t* texels[6] = {};  // one per cube face; a volume uses the first
    int width = 0, height = 0, depth = 0;
  };

  float LevelOfDetail(double footprint) const;
  std::uint32_t SampleCube(const double c[3], float lod) const;
  std::uint32_t SampleVolume(const double c[3], float lod) const;
  std::uint32_t FaceTexels(int level, bool linear, int face, double u, double v) const;
  std::uint32_t VolumeTexels(int level, bool linear, double u, double v, double w) const;
  // The levels a level of detail reads, and the weight of the second (0..256).
  void Levels(float lod, int* first, int* second, std::uint32_t* weight, bool* linear) const;

  std::array<Level, 16> levels{};
  int levelCount = 0;
  bool cube = false;
};

// The face (D3DCUBEMAP_FACES order) a direction selects and its u, v in 0..1; false for the
// zero direction (and directions that are not numbers).
bool CubeFace(const double direction[3], int* face, double* u, double* v);

}  // namespace d3d9
