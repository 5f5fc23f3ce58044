#include "platform/d3d9/raster/cube_volume_sampler.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include "platform/d3d9/raster/sampler.h"
#include "platform/d3d9/raster/texel_cache.h"
#include "platform/d3d9/texture.h"

namespace d3d9 {
namespace {


// Two (or, along one axis, one) texels of a coordinate in 1/256 texel: the first, the second
// and the weight of the second.
struct Taps {
  std::int64_t first;
  std::uint32_t weight;
};

Taps TapsOf(double coordinate, bool linear) {
  const std::int64_t q = QuantiseCoordinate(coordinate - 0.5);
  if (!linear) return {(q + 128) >> 8, 0};
  return {q >> 8, std::uint32_t(q & 255)};
}

}  // namespace

bool CubeFace(const double d[3], int* face, double* u, double* v) {
  const double ax = std::fabs(d[0]), ay = std::fabs(d[1]), az = std::fabs(d[2]);
  double s, t, major;
  if (ax >= ay && ax >= az) {
    major = ax;
    *face = d[0] >= 0.0 ? D3DCUBEMAP_FACE_POSITIVE_X : D3DCUBEMAP_FACE_NEGATIVE_X;
    s = d[0] >= 0.0 ? -d[2] : d[2];
    t = -d[1];
  } else if (ay >= az) {
    major = ay;
    *face = d[1] >= 0.0 ? D3DCUBEMAP_FACE_POSITIVE_Y : D3DCUBEMAP_FACE_NEGATIVE_Y;
    s = d[0];
    t = d[1] >= 0.0 ? d[2] : -d[2];
  } else {
    major = az;
    *face = d[2] >= 0.0 ? D3DCUBEMAP_FACE_POSITIVE_Z : D3DCUBEMAP_FACE_NEGATIVE_Z;
    s = d[2] >= 0.0 ? d[0] : -d[0];
    t = -d[1];
  }
  if (!(major > 0.0) || !std::isfinite(major)) return false;
  *u = (s / major + 1.0) * 0.5;
  *v = (t / major + 1.0) * 0.5;
  return true;
}

TexelAccess CubeVolumeSampler::Prepare(const DeviceState& state, const TextureBase& texture,
                                       UINT samplerIndex, const WorkingMemory& memory) {
  const D3DRESOURCETYPE kind = texture.Kind();
  if (kind != D3DRTYPE_CUBETEXTURE && kind != D3DRTYPE_VOLUMETEXTURE) {
    return TexelAccess::Unreadable;
  }
  cube = kind == D3DRTYPE_CUBETEXTURE;
  levelCount = int(std::min<UINT>(texture.LevelCount(), UINT(levels.size())));
  if (levelCount == 0) return TexelAccess::Unreadable;
  for (int i = 0; i < levelCount; ++i) {
    Level& level = levels[std::size_t(i)];
    for (UINT face = 0; face < texture.FaceCount(); ++face) {
      const Image* image = texture.ImageAt(face, UINT(i));
      if (image == nullptr) return TexelAccess::Unreadable;
      const TexelAccess access = ArgbTexels(*image, memory, &level.texels[face]);
      if (access != TexelAccess::Ready) return access;
      level.width = int(image->Width());
      level.height = int(image->Height());
      level.depth = int(image->Depth());
    }
  }
  ReadSettings(state, samplerIndex, levelCount);
  return TexelAccess::Ready;
}

double CubeVolumeSampler::Scale(int component) const {
  if (cube) return 1.0;
  const Level& top = levels[0];
  return double(component == 0 ? top.width : component == 1 ? top.height : top.depth);
}

// The footprint is the squared length of the larger derivative, in level-0 texels.
float CubeVolumeSampler::LevelOfDetail(double footprint) const {
  if (!(footprint > 0.0)) return -16.0f;
  const double lod = 0.5 * std::log2(footprint) + lodBias;
  return float(std::round(std::clamp(lod, -16.0, 16.0) * 256.0) / 256.0);
}

void CubeVolumeSampler::Levels(float lod, int* first, int* second, std::uint32_t* weight,
                               bool* linear) const {
  *second = -1;
  *weight = 0;
  if (lod <= 0.0f || mipFilter == D3DTEXF_NONE) {
    *first = baseLevel;
    *linear = lod <= 0.0f ? magLinear : minLinear;
    return;
  }
  *linear = minLinear;
  const int last = levelCount - 1;
  if (mipFilter == D3DTEXF_POINT) {
    *first = std::min(baseLevel + int(std::ceil(lod - 0.5f)), last);
    return;
  }
  const int whole = int(std::floor(lod));
  *first = std::min(baseLevel + whole, last);
  const std::uint32_t w = std::uint32_t(std::lround((lod - float(whole)) * 256.0f));
  if (w == 0 || *first == last) return;
  *second = *first + 1;
  *weight = std::min<std::uint32_t>(w, 256);
}

std::uint32_t CubeVolumeSampler::FaceTexels(int index, bool linear, int face, double u,
                                            double v) const {
  const Level& level = levels[std::size_t(index)];
  const std::uint32_t* texels = level.texels[face];
  const Taps x = TapsOf(u * level.width, linear);
  const Taps y = TapsOf(v * level.height, linear);
  const auto fetch = [&](std::int64_t tx, std::int64_t ty) {
    const std::int64_t cx = std::clamp<std::int64_t>(tx, 0, level.width - 1);
    const std::int64_t cy = std::clamp<std::int64_t>(ty, 0, level.height - 1);
    return texels[std::size_t(cy) * std::size_t(level.width) + std::size_t(cx)];
  };
  const auto row = [&](std::int64_t ty) {
    return x.weight == 0 ? fetch(x.first, ty)
                         : WeighTexels(fetch(x.first, ty), fetch(x.first + 1, ty), x.weight);
  };
  const std::uint32_t top = row(y.first);
  return y.weight == 0 ? top : WeighTexels(top, row(y.first + 1), y.weight);
}

std::uint32_t CubeVolumeSampler::VolumeTexels(int index, bool linear, double u, double v,
                                              double w) const {
  const Level& level = levels[std::size_t(index)];
  const Level& top = levels[0];
  const Taps x = TapsOf(u * level.width / top.width, linear);
  const Taps y = TapsOf(v * level.height / top.height, linear);
  const Taps z = TapsOf(w * level.depth / top.depth, linear);
  const auto fetch = [&](std::int64_t tx, std::int64_t ty, std::int64_t tz) {
    const int ax = AddressCoordinate(int(tx), level.width, addressU);
    const int ay = AddressCoordinate(int(ty), level.height, addressV);
    const int az = AddressCoordinate(int(tz), level.depth, addressW);
    if (ax < 0 || ay < 0 || az < 0) return border;
    const std::size_t slice = std::size_t(level.width) * std::size_t(level.height);
    return level.texels[0][std::size_t(az) * slice + std::size_t(ay) * std::size_t(level.width) +
                           std::size_t(ax)];
  };
  const auto row = [&](std::int64_t ty, std::int64_t tz) {
    return x.weight == 0 ? fetch(x.first, ty, tz)
                         : WeighTexels(fetch(x.first, ty, tz), fetch(x.first + 1, ty, tz), x.weight);
  };
  const auto slice = [&](std::int64_t tz) {
    const std::uint32_t near = row(y.first, tz);
    return y.weight == 0 ? near : WeighTexels(near, row(y.first + 1, tz), y.weight);
  };
  const std::uint32_t front = slice(z.first);
  return z.weight == 0 ? front : WeighTexels(front, slice(z.first + 1), z.weight);
}

std::uint32_t CubeVolumeSampler::SampleCube(const double c[3], float lod) const {
  int face;
  double u, v;
  if (!CubeFace(c, &face, &u, &v)) return 0;
  int first, second;
  std::uint32_t weight;
  bool linear;
  Levels(lod, &first, &second, &weight, &linear);
  const std::uint32_t near = FaceTexels(first, linear, face, u, v);
  return second < 0 ? near : WeighTexels(near, FaceTexels(second, linear, face, u, v), weight);
}

std::uint32_t CubeVolumeSampler::SampleVolume(const double c[3], float lod) const {
  int first, second;
  std::uint32_t weight;
  bool linear;
  Levels(lod, &first, &second, &weight, &linear);
  const std::uint32_t near = VolumeTexels(first, linear, c[0], c[1], c[2]);
  return second < 0 ? near
                    : WeighTexels(near, VolumeTexels(second, linear, c[0], c[1], c[2]), weight);
}

std::uint32_t CubeVolumeSampler::Sample(const double c[3], const double ddx[3],
                                        const double ddy[3]) const {
  const auto squared = [](const double d[3]) { return d[0] * d[0] + d[1] * d[1] + d[2] * d[2]; };
  if (!cube) return SampleVolume(c, LevelOfDetail(std::max(squared(ddx), squared(ddy))));
  // The footprint on the face: u = (s / major + 1) / 2, differentiated as a quotient, in
  // level-0 texels.
  int face;
  double u, v;
  if (!CubeFace(c, &face, &u, &v)) return 0;
  const int axis = face / 2;
  const int sAxis = axis == 0 ? 2 : 0;
  const int tAxis = axis == 1 ? 2 : 1;
  const double major = std::fabs(c[axis]);
  const double edge = levels[0].width;
  const auto faceSquared = [&](const double d[3]) {
    const double dMajor = c[axis] >= 0.0 ? d[axis] : -d[axis];
    const double ds = (d[sAxis] * major - c[sAxis] * dMajor) / (major * major);
    const double dt = (d[tAxis] * major - c[tAxis] * dMajor) / (major * major);
    return (ds * ds + dt * dt) * edge * edge * 0.25;
  };
  return SampleCube(c, LevelOfDetail(std::max(faceSquared(ddx), faceSquared(ddy))));
}

}  // namespace d3d9
