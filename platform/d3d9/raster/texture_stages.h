// Texture stages 0 to 7, for what PixelPipeline's stage 0 does not cover: more than one stage,
// cube and volume textures, the SPECULAR and TEMP arguments, D3DTSS_RESULTARG, the operations
// beyond stage 0's, and the specular colour added after the stages (D3DRS_SPECULARENABLE).
//
// Untransformed vertices' coordinates go through the stage's texture transform when its
// D3DTSS_TEXTURETRANSFORMFLAGS count is 1 to 4: a set of n components is taken as a row vector
// with 1 after its last component and 0 beyond, times D3DTS_TEXTUREi; the first `count`
// components of the product are the stage's coordinates. (D3DTTFF_PROJECTED is not claimed
// and is ignored.)
//
// The chain runs from stage 0 to the stage before the first whose colour operation is DISABLE
// (at most MaxTextureBlendStages stages). Each stage combines its arguments into CURRENT (or
// TEMP, by its RESULTARG); CURRENT starts as the diffuse colour, TEMP as 0, and the last CURRENT
// is the pixel's colour. A disabled alpha operation keeps CURRENT's alpha. An operation whose
// arguments (or blend factor) read the texture of a stage without a readable one passes CURRENT
// on, as stage 0 passes the diffuse colour on without a texture. Stages from
// MaxSimultaneousTextures on have no texture.
//
// Arithmetic is that of the pipeline: 8-bit channels, products rounded to the nearest of 255
// steps, sums saturated.
#pragma once

#include <array>
#include <cstdint>

#include "platform/d3d9/caps.h"
#include "platform/d3d9/device_state.h"
#include "platform/d3d9/raster/cube_volume_sampler.h"
#include "platform/d3d9/raster/raster.h"
#include "platform/d3d9/raster/sampler.h"

namespace d3d9 {

// One operation on 0xAARRGGBB arguments; the colour operations use the colour channels, the
// alpha operations the alpha channel. `arg0` serves MULTIPLYADD and LERP, `blendAlpha` the
// BLEND...ALPHA operations (0..255). DOTPRODUCT3 fills every channel, alpha included.
std::uint32_t StageOperate(DWORD op, std::uint32_t arg0, std::uint32_t arg1, std::uint32_t arg2,
                           std::uint32_t blendAlpha);

class TextureStages {
 public:
  // False when stage 0 alone does the drawing with a flat texture (or none) and what
  // PixelPipeline covers: then nothing else is needed. Cheap, unlike Prepare.
  static bool Needed(const DeviceState& state, const D3DCAPS9& caps);
  // What the active stages read of each vertex: the coordinate sets (a bit for each set
  // below 8) and whether the specular colour. From the states alone, so that a draw's vertex
  // layout is checked before anything is allocated for it.
  static void VertexNeeds(const DeviceState& state, const D3DCAPS9& caps, unsigned* sets,
                          bool* specular);
  // Reads the stage states and bound textures; false when a texture's decoded copy cannot be
  // had.
  bool Prepare(const DeviceState& state, const D3DCAPS9& caps, const WorkingMemory& memory);

  int StageCount() const { return activeStages; }
  // The coordinate set stage `stage` reads, and the texels per unit of its coordinate
  // `component` (the level-0 size for flat and volume textures, 1 for cubes and no texture).
  UINT SetOf(int stage) const { return stages[std::size_t(stage)].set; }
  double Scale(int stage, int component) const { return stages[std::size_t(stage)].scale[component]; }
  // Whether the stages read the specular colour.
  bool ReadsSpecular() const { return readsSpecular; }
  // The texture transform of a stage and the components of its result that the stage uses
  // (D3DTTFF_COUNT1..4); null when the stage's coordinates are used as they are.
  const D3DMATRIX* Transform(int stage, int* count) const {
    *count = stages[std::size_t(stage)].transformCount;
    return *count != 0 ? &stages[std::size_t(stage)].transform : nullptr;
  }

  // The pixel's colour before the alpha test, from the interpolated attributes and their
  // derivatives along x and y on screen.
  std::uint32_t Shade(const double values[attributeCount], const double ddx[attributeCount],
                      const double ddy[attributeCount]) const;

 private:
  enum class Source : std::uint8_t { None, Flat, CubeOrVolume };
  struct Stage {
    DWORD colorOp, colorArgs[3];
    DWORD alphaOp, alphaArgs[3];
    DWORD result;
    std::uint32_t constant;
    bool colourReadsTexture, alphaReadsTexture;
    Source source;
    UINT set;
    double scale[3];
    int transformCount;
    D3DMATRIX transform;
  };
  struct Registers {
    std::uint32_t diffuse, specular, current, temp, texel, factor, constant;
  };

  std::uint32_t Texel(int index, const double values[attributeCount],
                      const double ddx[attributeCount], const double ddy[attributeCount]) const;
  static std::uint32_t Argument(DWORD argument, const Registers& r);

  std::array<Stage, stageCount> stages{};
  std::array<Sampler, stageCount> flat;
  std::array<CubeVolumeSampler, stageCount> cubeOrVolume;
  int activeStages = 0;
  std::uint32_t textureFactor = 0;
  bool addSpecular = false;
  bool readsSpecular = false;
};

}  // namespace d3d9
