// Sampling of a flat texture with one sampler's states (stage 0's alone, or each stage's in
// TextureStages): level selection from the level of detail, point and linear filtering, and
// the addressing modes, on 0xAARRGGBB texels.
//
// Texture coordinates come in level-0 texel units (u × width of level 0). Sample positions
// are quantised to 1/256 of a texel and filter weights to 8 bits, so a pixel whose centre
// lies on a texel centre reads that texel exactly, also with linear filtering.
#pragma once

#include <array>
#include <cstdint>

#include "platform/d3d9/device_state.h"
#include "platform/d3d9/raster/texel_cache.h"

namespace d3d9 {

class TextureBase;

// Texel arithmetic shared by the samplers: a coordinate in 1/256 of a texel (clamped far out),
// a texel coordinate by an addressing mode (-1: the border colour), and two texels weighed,
// `weightB` of 256 going to b.
std::int64_t QuantiseCoordinate(double value);
int AddressCoordinate(int coordinate, int size, DWORD mode);
std::uint32_t WeighTexels(std::uint32_t a, std::uint32_t b, std::uint32_t weightB);

// The sampler states a draw reads for one texture, shared by the flat and the cube and volume
// samplers.
class SamplerSettings {
 protected:
  // Reads sampler `samplerIndex`'s address modes, filters, bias, border and most detailed
  // level (limited to the texture's `levelCount` levels).
  void ReadSettings(const DeviceState& state, DWORD samplerIndex, int levelCount);

  int baseLevel = 0;
  DWORD addressU = D3DTADDRESS_WRAP;
  DWORD addressV = D3DTADDRESS_WRAP;
  DWORD addressW = D3DTADDRESS_WRAP;
  bool magLinear = false;
  bool minLinear = false;
  DWORD mipFilter = D3DTEXF_NONE;
  float lodBias = 0.0f;
  std::uint32_t border = 0;
};

struct SamplerLevel {
  const std::uint32_t* texels = nullptr;
  int width = 0;
  int height = 0;
};

class Sampler : public SamplerSettings {
 public:
  // Unreadable when the texture cannot be sampled (not a flat texture, or a format the sampler
  // cannot read); OutOfMemory when a level's decoded copy cannot be had. The sampler states
  // are those of `samplerIndex`.
  TexelAccess Prepare(const DeviceState& state, const TextureBase& texture, UINT samplerIndex,
                      const WorkingMemory& memory);

  // Level of detail of a footprint: derivatives of the coordinates, in level-0 texels, along
  // x and along y. Quantised to 1/256 and biased.
  float LevelOfDetail(double dudx, double dvdx, double dudy, double dvdy) const;
  std::uint32_t Sample(double u, double v, float lod) const;

  // The level that a level of detail of at most 0 reads (magnification), and its filter.
  int BaseLevel() const { return baseLevel; }
  // Whether levels of detail are unbiased: then a footprint within a millionth of one texel
  // per pixel has a level of detail of exactly 0.
  bool Unbiased() const { return lodBias == 0.0f; }
  bool MagnifiesLinearly() const { return magLinear; }
  const SamplerLevel& Level(int index) const { return levels[std::size_t(index)]; }
  int Width() const { return levels[0].width; }
  int Height() const { return levels[0].height; }
  const TextureBase* Texture() const { return texture; }

 private:
  std::uint32_t SampleLevel(int level, bool linear, double u, double v) const;

  std::array<SamplerLevel, 16> levels{};
  const TextureBase* texture = nullptr;
  int levelCount = 0;
};

}  // namespace d3d9
