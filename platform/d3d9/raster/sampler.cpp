#include "platform/d3d9/raster/sampler.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include "platform/d3d9/raster/texel_cache.h"
#include "platform/d3d9/texture.h"

namespace d3d9 {
namespace {

constexpr double subTexel = 256.0;
// Beyond this a coordinate has lost all meaning; keeping it there keeps the arithmetic sound.
constexpr double coordinateLimit = double(1 << 30);

bool IsLinear(DWORD filter) { return filter == D3DTEXF_LINEAR || filter == D3DTEXF_ANISOTROPIC; }

}  // namespace

std::int64_t QuantiseCoordinate(double value) {
  return std::llround(std::clamp(value, -coordinateLimit, coordinateLimit) * subTexel);
}

std::uint32_t WeighTexels(std::uint32_t a, std::uint32_t b, std::uint32_t weightB) {
  std::uint32_t out = 0;
  const std::uint32_t weightA = 256 - weightB;
  for (int shift = 0; shift < 32; shift += 8) {
    const std::uint32_t ca = (a >> shift) & 0xFF;
    const std::uint32_t cb = (b >> shift) & 0xFF;
    out |= ((ca * weightA + cb * weightB + 128) >> 8) << shift;
  }
  return out;
}

TexelAccess Sampler::Prepare(const DeviceState& state, const TextureBase& bound,
                             UINT samplerIndex, const WorkingMemory& memory) {
  if (bound.Kind() != D3DRTYPE_TEXTURE) return TexelAccess::Unreadable;
  texture = &bound;
  levelCount = int(std::min<UINT>(bound.LevelCount(), UINT(levels.size())));
  for (int i = 0; i < levelCount; ++i) {
    const Image* image = bound.ImageAt(0, UINT(i));
    const std::uint32_t* texels = nullptr;
    const TexelAccess access = ArgbTexels(*image, memory, &texels);
    if (access != TexelAccess::Ready) return access;
    levels[std::size_t(i)] = {texels, int(image->Width()), int(image->Height())};
  }
  ReadSettings(state, samplerIndex, levelCount);
  return TexelAccess::Ready;
}

void SamplerSettings::ReadSettings(const DeviceState& state, DWORD samplerIndex, int levelCount) {
  const auto& sampler = state.samplerStates[samplerIndex];
  addressU = sampler[D3DSAMP_ADDRESSU];
  addressV = sampler[D3DSAMP_ADDRESSV];
  addressW = sampler[D3DSAMP_ADDRESSW];
  magLinear = IsLinear(sampler[D3DSAMP_MAGFILTER]);
  minLinear = IsLinear(sampler[D3DSAMP_MINFILTER]);
  mipFilter = sampler[D3DSAMP_MIPFILTER];
  lodBias = std::bit_cast<float>(sampler[D3DSAMP_MIPMAPLODBIAS]);
  if (!std::isfinite(lodBias)) lodBias = 0.0f;
  border = sampler[D3DSAMP_BORDERCOLOR];
  baseLevel = int(std::min<DWORD>(sampler[D3DSAMP_MAXMIPLEVEL], DWORD(levelCount - 1)));
}

float Sampler::LevelOfDetail(double dudx, double dvdx, double dudy, double dvdy) const {
  const double alongX = dudx * dudx + dvdx * dvdx;
  const double alongY = dudy * dudy + dvdy * dvdy;
  const double largest = std::max(alongX, alongY);
  if (!(largest > 0.0)) return -16.0f;
  const double lod = 0.5 * std::log2(largest) + lodBias;
  return float(std::round(std::clamp(lod, -16.0, 16.0) * 256.0) / 256.0);
}

int AddressCoordinate(int coordinate, int size, DWORD mode) {
  switch (mode) {
    case D3DTADDRESS_CLAMP:
      return std::clamp(coordinate, 0, size - 1);
    case D3DTADDRESS_BORDER:
      return coordinate < 0 || coordinate >= size ? -1 : coordinate;
    case D3DTADDRESS_MIRROR: {
      const int period = 2 * size;
      int wrapped = coordinate % period;
      if (wrapped < 0) wrapped += period;
      return wrapped < size ? wrapped : period - 1 - wrapped;
    }
    case D3DTADDRESS_MIRRORONCE: {
      const int mirrored = coordinate < 0 ? -coordinate - 1 : coordinate;
      return std::min(mirrored, size - 1);
    }
    default: {
      int wrapped = coordinate % size;
      return wrapped < 0 ? wrapped + size : wrapped;
    }
  }
}

std::uint32_t Sampler::SampleLevel(int index, bool linear, double u, double v) const {
  const SamplerLevel& level = levels[std::size_t(index)];
  const double scaleU = double(level.width) / double(levels[0].width);
  const double scaleV = double(level.height) / double(levels[0].height);
  const std::int64_t s = QuantiseCoordinate(u * scaleU - 0.5);
  const std::int64_t t = QuantiseCoordinate(v * scaleV - 0.5);
  const auto fetch = [&](std::int64_t x, std::int64_t y) {
    const int ax = AddressCoordinate(int(x), level.width, addressU);
    const int ay = AddressCoordinate(int(y), level.height, addressV);
    if (ax < 0 || ay < 0) return border;
    return level.texels[std::size_t(ay) * std::size_t(level.width) + std::size_t(ax)];
  };
  if (!linear) return fetch((s + 128) >> 8, (t + 128) >> 8);
  const std::int64_t x0 = s >> 8;
  const std::int64_t y0 = t >> 8;
  const std::uint32_t fx = std::uint32_t(s & 255);
  const std::uint32_t fy = std::uint32_t(t & 255);
  const std::uint32_t top = fx == 0 ? fetch(x0, y0) : WeighTexels(fetch(x0, y0), fetch(x0 + 1, y0), fx);
  if (fy == 0) return top;
  const std::uint32_t bottom =
      fx == 0 ? fetch(x0, y0 + 1) : WeighTexels(fetch(x0, y0 + 1), fetch(x0 + 1, y0 + 1), fx);
  return WeighTexels(top, bottom, fy);
}

std::uint32_t Sampler::Sample(double u, double v, float lod) const {
  if (lod <= 0.0f || mipFilter == D3DTEXF_NONE) {
    return SampleLevel(baseLevel, lod <= 0.0f ? magLinear : minLinear, u, v);
  }
  const int last = levelCount - 1;
  if (mipFilter == D3DTEXF_POINT) {
    const int level = std::min(baseLevel + int(std::ceil(lod - 0.5f)), last);
    return SampleLevel(level, minLinear, u, v);
  }
  const int whole = int(std::floor(lod));
  const int first = std::min(baseLevel + whole, last);
  const std::uint32_t weight = std::uint32_t(std::lround((lod - float(whole)) * 256.0f));
  const std::uint32_t near = SampleLevel(first, minLinear, u, v);
  if (weight == 0 || first == last) return near;
  return WeighTexels(near, SampleLevel(first + 1, minLinear, u, v), std::min<std::uint32_t>(weight, 256));
}

}  // namespace d3d9
