#include "tests/platform/d3d9/reference_shading.h"

#include <algorithm>
#include <cmath>

namespace reference {
namespace {

struct Rgba {
  double c[4];  // blue, green, red, alpha in 0..1, as the bytes of 0xAARRGGBB
};

Rgba Unpack(std::uint32_t colour) {
  Rgba out;
  for (int k = 0; k < 4; ++k) out.c[k] = double((colour >> (8 * k)) & 0xFF) / 255.0;
  return out;
}

std::uint32_t Pack(const Rgba& colour) {
  std::uint32_t out = 0;
  for (int k = 0; k < 4; ++k) {
    const double v = std::clamp(colour.c[k], 0.0, 1.0);
    out |= std::uint32_t(std::floor(v * 255.0 + 0.5)) << (8 * k);
  }
  return out;
}

Rgba Mix(const Rgba& a, const Rgba& b, double weightB) {
  Rgba out;
  for (int k = 0; k < 4; ++k) out.c[k] = a.c[k] * (1.0 - weightB) + b.c[k] * weightB;
  return out;
}

int Address(int index, int size, DWORD mode) {
  switch (mode) {
    case D3DTADDRESS_CLAMP: return std::clamp(index, 0, size - 1);
    case D3DTADDRESS_MIRROR: {
      const int period = 2 * size;
      const int m = ((index % period) + period) % period;
      return m < size ? m : period - 1 - m;
    }
    default: return ((index % size) + size) % size;
  }
}

// Samples one level at texel coordinates (x, y, z) measured in texels from the level's corner.
Rgba SampleLevel(const Level& level, bool linear, const DWORD address[3], double x, double y,
                 double z) {
  const auto fetch = [&](int i, int j, int k) {
    return Unpack(level.At(Address(i, level.width, address[0]), Address(j, level.height, address[1]),
                           Address(k, level.depth, address[2])));
  };
  if (!linear) {
    return fetch(int(std::floor(x)), int(std::floor(y)), int(std::floor(z)));
  }
  const double fx = x - 0.5, fy = y - 0.5, fz = level.depth > 1 ? z - 0.5 : 0.0;
  const int i = int(std::floor(fx)), j = int(std::floor(fy)), k = int(std::floor(fz));
  const double wx = fx - i, wy = fy - j, wz = fz - k;
  const auto plane = [&](int kk) {
    return Mix(Mix(fetch(i, j, kk), fetch(i + 1, j, kk), wx),
               Mix(fetch(i, j + 1, kk), fetch(i + 1, j + 1, kk), wx), wy);
  };
  return level.depth > 1 ? Mix(plane(k), plane(k + 1), wz) : plane(k);
}

// The levels a level of detail reads and the weight of the second; linear is the filter.
void ChooseLevels(int count, const Filtering& f, double lod, int* first, int* second,
                  double* weight, bool* linear) {
  *second = -1;
  *weight = 0.0;
  *first = 0;
  if (lod <= 0.0) {
    *linear = f.magLinear;
    return;
  }
  *linear = f.minLinear;
  if (f.mip == D3DTEXF_POINT) {
    // The nearest level; half-way goes to the larger.
    *first = std::min(int(std::ceil(lod - 0.5)), count - 1);
  } else if (f.mip == D3DTEXF_LINEAR) {
    const int whole = int(std::floor(lod));
    *first = std::min(whole, count - 1);
    if (*first < count - 1 && lod > whole) {
      *second = *first + 1;
      *weight = lod - whole;
    }
  }
}

Rgba Argument(DWORD argument, const Rgba& current, const Rgba& temp, const Rgba& texel,
              const PixelInputs& in, const StageSetup& stage) {
  Rgba value;
  switch (argument & D3DTA_SELECTMASK) {
    case D3DTA_DIFFUSE: value = Unpack(in.diffuse); break;
    case D3DTA_CURRENT: value = current; break;
    case D3DTA_TEXTURE: value = texel; break;
    case D3DTA_TFACTOR: value = Unpack(in.factor); break;
    case D3DTA_SPECULAR: value = Unpack(in.specular); break;
    case D3DTA_TEMP: value = temp; break;
    case D3DTA_CONSTANT: value = Unpack(stage.constant); break;
    default: value = Rgba{{0, 0, 0, 0}}; break;
  }
  if (argument & D3DTA_ALPHAREPLICATE) value = Rgba{{value.c[3], value.c[3], value.c[3], value.c[3]}};
  if (argument & D3DTA_COMPLEMENT) {
    for (double& c : value.c) c = 1.0 - c;
  }
  return value;
}

// The documented formula of an operation for channel k.
double Operate(DWORD op, const Rgba& a0, const Rgba& a1, const Rgba& a2, double blend, int k) {
  const double x = a1.c[k], y = a2.c[k], z = a0.c[k], alpha1 = a1.c[3];
  switch (op) {
    case D3DTOP_SELECTARG1: return x;
    case D3DTOP_SELECTARG2: return y;
    case D3DTOP_MODULATE: return x * y;
    case D3DTOP_MODULATE2X: return 2 * x * y;
    case D3DTOP_MODULATE4X: return 4 * x * y;
    case D3DTOP_ADD: return x + y;
    case D3DTOP_ADDSIGNED: return x + y - 0.5;
    case D3DTOP_ADDSIGNED2X: return 2 * (x + y - 0.5);
    case D3DTOP_SUBTRACT: return x - y;
    case D3DTOP_ADDSMOOTH: return x + y - x * y;
    case D3DTOP_BLENDDIFFUSEALPHA:
    case D3DTOP_BLENDTEXTUREALPHA:
    case D3DTOP_BLENDFACTORALPHA:
    case D3DTOP_BLENDCURRENTALPHA: return x * blend + y * (1 - blend);
    case D3DTOP_BLENDTEXTUREALPHAPM: return x + y * (1 - blend);
    case D3DTOP_MODULATEALPHA_ADDCOLOR: return x + alpha1 * y;
    case D3DTOP_MODULATECOLOR_ADDALPHA: return x * y + alpha1;
    case D3DTOP_MODULATEINVALPHA_ADDCOLOR: return (1 - alpha1) * y + x;
    case D3DTOP_MODULATEINVCOLOR_ADDALPHA: return (1 - x) * y + alpha1;
    case D3DTOP_DOTPRODUCT3: {
      double sum = 0;
      for (int c = 0; c < 3; ++c) sum += (a1.c[c] - 0.5) * (a2.c[c] - 0.5);
      return 4 * sum;
    }
    case D3DTOP_MULTIPLYADD: return z + x * y;
    case D3DTOP_LERP: return z * x + (1 - z) * y;
    default: return 0;
  }
}

bool ReadsTexture(DWORD op, const DWORD args[3]) {
  if (op == D3DTOP_DISABLE) return false;
  if (op == D3DTOP_BLENDTEXTUREALPHA || op == D3DTOP_BLENDTEXTUREALPHAPM) return true;
  const auto is = [](DWORD a) { return (a & D3DTA_SELECTMASK) == D3DTA_TEXTURE; };
  const bool first = op != D3DTOP_SELECTARG2 && is(args[1]);
  const bool second = op != D3DTOP_SELECTARG1 && is(args[2]);
  const bool zeroth = (op == D3DTOP_MULTIPLYADD || op == D3DTOP_LERP) && is(args[0]);
  return first || second || zeroth;
}

}  // namespace

std::uint32_t SampleLevels(const std::vector<Level>& levels, const Filtering& f, double u,
                           double v, double w, double lod) {
  int first, second;
  double weight;
  bool linear;
  ChooseLevels(int(levels.size()), f, lod, &first, &second, &weight, &linear);
  const auto at = [&](int index) {
    const Level& level = levels[std::size_t(index)];
    return SampleLevel(level, linear, f.address, u * level.width, v * level.height,
                       w * level.depth);
  };
  const Rgba near = at(first);
  return Pack(second < 0 ? near : Mix(near, at(second), weight));
}

static int CubeFace(double x, double y, double z, double* s, double* t) {
  const double ax = std::fabs(x), ay = std::fabs(y), az = std::fabs(z);
  double sc, tc, ma;
  int face;
  if (ax >= ay && ax >= az) {
    face = x > 0 ? 0 : 1;
    sc = x > 0 ? -z : z;
    tc = -y;
    ma = ax;
  } else if (ay >= az) {
    face = y > 0 ? 2 : 3;
    sc = x;
    tc = y > 0 ? z : -z;
    ma = ay;
  } else {
    face = z > 0 ? 4 : 5;
    sc = z > 0 ? x : -x;
    tc = -y;
    ma = az;
  }
  *s = (sc / ma + 1) / 2;
  *t = (tc / ma + 1) / 2;
  return face;
}

std::uint32_t SampleCube(const std::vector<Level> faces[6], const Filtering& filtering, double x,
                         double y, double z, double lod) {
  double s, t;
  const int face = CubeFace(x, y, z, &s, &t);
  Filtering clamped = filtering;
  clamped.address[0] = clamped.address[1] = clamped.address[2] = D3DTADDRESS_CLAMP;
  return SampleLevels(faces[face], clamped, s, t, 0.0, lod);
}

std::uint32_t ShadeStages(const StageSetup* stages, int count, const PixelInputs& in) {
  Rgba current = Unpack(in.diffuse);
  Rgba temp{{0, 0, 0, 0}};
  for (int i = 0; i < count && stages[i].colorOp != D3DTOP_DISABLE; ++i) {
    const StageSetup& s = stages[i];
    const Rgba texel = Unpack(in.texels[i]);
    const auto arg = [&](DWORD a) { return Argument(a, current, temp, texel, in, s); };
    const auto blendOf = [&](DWORD op) {
      switch (op) {
        case D3DTOP_BLENDDIFFUSEALPHA: return Unpack(in.diffuse).c[3];
        case D3DTOP_BLENDTEXTUREALPHA:
        case D3DTOP_BLENDTEXTUREALPHAPM: return texel.c[3];
        case D3DTOP_BLENDFACTORALPHA: return Unpack(in.factor).c[3];
        case D3DTOP_BLENDCURRENTALPHA: return current.c[3];
        default: return 0.0;
      }
    };
    Rgba out = current;
    // An operation on a missing texture leaves CURRENT as it is.
    const bool colourPasses = ReadsTexture(s.colorOp, s.colorArgs) && !in.textured[i];
    if (!colourPasses) {
      const Rgba a0 = arg(s.colorArgs[0]), a1 = arg(s.colorArgs[1]), a2 = arg(s.colorArgs[2]);
      for (int k = 0; k < 3; ++k) out.c[k] = Operate(s.colorOp, a0, a1, a2, blendOf(s.colorOp), k);
      if (s.colorOp == D3DTOP_DOTPRODUCT3) out.c[3] = out.c[0];
    }
    const bool alphaPasses = ReadsTexture(s.alphaOp, s.alphaArgs) && !in.textured[i];
    const bool dot = s.colorOp == D3DTOP_DOTPRODUCT3 && !colourPasses;
    if (!dot && s.alphaOp != D3DTOP_DISABLE && !alphaPasses) {
      const Rgba a0 = arg(s.alphaArgs[0]), a1 = arg(s.alphaArgs[1]), a2 = arg(s.alphaArgs[2]);
      out.c[3] = Operate(s.alphaOp, a0, a1, a2, blendOf(s.alphaOp), 3);
    }
    // Each stage's result is held in 8 bits.
    const Rgba rounded = Unpack(Pack(out));
    (s.result == D3DTA_TEMP ? temp : current) = rounded;
  }
  return Pack(current);
}

bool Near(std::uint32_t a, std::uint32_t b, int tolerance) {
  for (int k = 0; k < 32; k += 8) {
    if (std::abs(int((a >> k) & 0xFF) - int((b >> k) & 0xFF)) > tolerance) return false;
  }
  return true;
}

}  // namespace reference
