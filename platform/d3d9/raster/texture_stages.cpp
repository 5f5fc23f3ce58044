#include "platform/d3d9/raster/texture_stages.h"

#include <algorithm>

#include "platform/d3d9/raster/pixel_pipeline.h"
#include "platform/d3d9/texture.h"

namespace d3d9 {
namespace {

std::uint32_t Channel(std::uint32_t colour, int shift) { return (colour >> shift) & 0xFF; }

template <class F>
std::uint32_t PerChannel(std::uint32_t a, std::uint32_t b, std::uint32_t c, F f) {
  std::uint32_t out = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    const int value = f(int(Channel(a, shift)), int(Channel(b, shift)), int(Channel(c, shift)));
    out |= std::uint32_t(std::clamp(value, 0, 255)) << shift;
  }
  return out;
}

int M(int x, int y) { return int(Mul255(std::uint32_t(x), std::uint32_t(y))); }

// 4 × the sum over red, green and blue of (x - 0.5)(y - 0.5), in 255ths, rounded.
std::uint32_t DotProduct(std::uint32_t a, std::uint32_t b) {
  int sum = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    sum += (2 * int(Channel(a, shift)) - 255) * (2 * int(Channel(b, shift)) - 255);
  }
  const std::uint32_t value = sum <= 0 ? 0 : std::min<std::uint32_t>((std::uint32_t(sum) + 127) / 255, 255);
  return value * 0x01010101u;
}

bool ReadsArg1(DWORD op) { return op != D3DTOP_DISABLE && op != D3DTOP_SELECTARG2; }
bool ReadsArg2(DWORD op) { return op != D3DTOP_DISABLE && op != D3DTOP_SELECTARG1; }
bool ReadsArg0(DWORD op) { return op == D3DTOP_MULTIPLYADD || op == D3DTOP_LERP; }

bool Selects(DWORD arg, DWORD which) { return (arg & D3DTA_SELECTMASK) == which; }

// Whether an operation on `args` (arg0, arg1, arg2) reads the register `which`.
bool OpReads(DWORD op, const DWORD args[3], DWORD which) {
  return (ReadsArg0(op) && Selects(args[0], which)) || (ReadsArg1(op) && Selects(args[1], which)) ||
         (ReadsArg2(op) && Selects(args[2], which));
}

bool ReadsTexture(DWORD op, const DWORD args[3]) {
  return op == D3DTOP_BLENDTEXTUREALPHA || op == D3DTOP_BLENDTEXTUREALPHAPM ||
         OpReads(op, args, D3DTA_TEXTURE);
}

// What PixelPipeline's own stage 0 computes.
bool IsPipelineOp(DWORD op) {
  switch (op) {
    case D3DTOP_DISABLE:
    case D3DTOP_SELECTARG1:
    case D3DTOP_SELECTARG2:
    case D3DTOP_MODULATE:
    case D3DTOP_MODULATE2X:
    case D3DTOP_MODULATE4X:
    case D3DTOP_ADD:
    case D3DTOP_ADDSIGNED:
    case D3DTOP_SUBTRACT:
    case D3DTOP_ADDSMOOTH:
    case D3DTOP_BLENDDIFFUSEALPHA:
    case D3DTOP_BLENDTEXTUREALPHA:
    case D3DTOP_BLENDFACTORALPHA:
    case D3DTOP_BLENDCURRENTALPHA: return true;
    default: return false;
  }
}

int TransformCount(DWORD flags) {
  const DWORD count = flags & ~DWORD(D3DTTFF_PROJECTED);
  return count >= D3DTTFF_COUNT1 && count <= D3DTTFF_COUNT4 ? int(count) : 0;
}

bool IsPipelineArg(DWORD arg) { return !Selects(arg, D3DTA_SPECULAR) && !Selects(arg, D3DTA_TEMP); }

std::uint32_t PackSpecular(const double values[attributeCount]) {
  const auto byte = [](double v) {
    return std::uint32_t(!(v >= 0.5) ? 0 : v >= 254.5 ? 255 : int(v + 0.5));
  };
  return byte(values[attrSpecularAlpha]) << 24 | byte(values[attrSpecularRed]) << 16 |
         byte(values[attrSpecularGreen]) << 8 | byte(values[attrSpecularBlue]);
}

}  // namespace

std::uint32_t StageOperate(DWORD op, std::uint32_t arg0, std::uint32_t arg1, std::uint32_t arg2,
                           std::uint32_t blendAlpha) {
  const int alpha1 = int(arg1 >> 24);
  const int blend = int(blendAlpha);
  const auto each = [&](auto f) { return PerChannel(arg1, arg2, arg0, f); };
  switch (op) {
    case D3DTOP_SELECTARG1: return arg1;
    case D3DTOP_SELECTARG2: return arg2;
    case D3DTOP_MODULATE: return each([](int x, int y, int) { return M(x, y); });
    // Rounded once after scaling, so that the doubling does not double a rounding error.
    case D3DTOP_MODULATE2X: return each([](int x, int y, int) { return (2 * x * y + 127) / 255; });
    case D3DTOP_MODULATE4X: return each([](int x, int y, int) { return (4 * x * y + 127) / 255; });
    case D3DTOP_ADD: return each([](int x, int y, int) { return x + y; });
    case D3DTOP_ADDSIGNED: return each([](int x, int y, int) { return x + y - 128; });
    case D3DTOP_ADDSIGNED2X: return each([](int x, int y, int) { return 2 * (x + y) - 255; });
    case D3DTOP_SUBTRACT: return each([](int x, int y, int) { return x - y; });
    case D3DTOP_ADDSMOOTH: return each([](int x, int y, int) { return x + y - M(x, y); });
    case D3DTOP_BLENDDIFFUSEALPHA:
    case D3DTOP_BLENDTEXTUREALPHA:
    case D3DTOP_BLENDFACTORALPHA:
    case D3DTOP_BLENDCURRENTALPHA:
      return each([&](int x, int y, int) { return M(x, blend) + M(y, 255 - blend); });
    case D3DTOP_BLENDTEXTUREALPHAPM:
      return each([&](int x, int y, int) { return x + M(y, 255 - blend); });
    case D3DTOP_MODULATEALPHA_ADDCOLOR:
      return each([&](int x, int y, int) { return x + M(alpha1, y); });
    case D3DTOP_MODULATECOLOR_ADDALPHA:
      return each([&](int x, int y, int) { return M(x, y) + alpha1; });
    case D3DTOP_MODULATEINVALPHA_ADDCOLOR:
      return each([&](int x, int y, int) { return x + M(255 - alpha1, y); });
    case D3DTOP_MODULATEINVCOLOR_ADDALPHA:
      return each([&](int x, int y, int) { return M(255 - x, y) + alpha1; });
    case D3DTOP_DOTPRODUCT3: return DotProduct(arg1, arg2);
    case D3DTOP_MULTIPLYADD: return each([](int x, int y, int z) { return z + M(x, y); });
    case D3DTOP_LERP: return each([](int x, int y, int z) { return M(z, x) + M(255 - z, y); });
    default: return arg1;
  }
}

bool TextureStages::Needed(const DeviceState& state, const D3DCAPS9& caps) {
  if (state.renderStates[D3DRS_SPECULARENABLE] != FALSE) return true;
  const auto& first = state.stageStates[0];
  if (caps.MaxTextureBlendStages == 0 || first[D3DTSS_COLOROP] == D3DTOP_DISABLE) return false;
  if (TransformCount(first[D3DTSS_TEXTURETRANSFORMFLAGS]) != 0) return true;
  if (caps.MaxTextureBlendStages > 1 && state.stageStates[1][D3DTSS_COLOROP] != D3DTOP_DISABLE) {
    return true;
  }
  const DWORD colorOp = first[D3DTSS_COLOROP], alphaOp = first[D3DTSS_ALPHAOP];
  const DWORD colorArgs[3] = {first[D3DTSS_COLORARG0], first[D3DTSS_COLORARG1],
                              first[D3DTSS_COLORARG2]};
  const DWORD alphaArgs[3] = {first[D3DTSS_ALPHAARG0], first[D3DTSS_ALPHAARG1],
                              first[D3DTSS_ALPHAARG2]};
  if (!IsPipelineOp(colorOp) || !IsPipelineOp(alphaOp) ||
      Selects(first[D3DTSS_RESULTARG], D3DTA_TEMP) ||
      !std::all_of(colorArgs + 1, colorArgs + 3, IsPipelineArg) ||
      !std::all_of(alphaArgs + 1, alphaArgs + 3, IsPipelineArg)) {
    return true;
  }
  const TextureBase* texture = AsTexture(state.textures[0].Get());
  if (texture == nullptr || !(ReadsTexture(colorOp, colorArgs) || ReadsTexture(alphaOp, alphaArgs))) {
    return false;
  }
  return caps.MaxSimultaneousTextures == 0 || texture->Kind() != D3DRTYPE_TEXTURE;
}

void TextureStages::VertexNeeds(const DeviceState& state, const D3DCAPS9& caps, unsigned* sets,
                                bool* specular) {
  const UINT limit = std::min<UINT>(caps.MaxTextureBlendStages, stageCount);
  *sets = 0;
  *specular = state.renderStates[D3DRS_SPECULARENABLE] != FALSE;
  for (UINT i = 0; i < limit; ++i) {
    const auto& states = state.stageStates[i];
    if (states[D3DTSS_COLOROP] == D3DTOP_DISABLE) break;
    const UINT set = states[D3DTSS_TEXCOORDINDEX] & 0xFFFF;
    if (set < 8) *sets |= 1u << set;
    const DWORD colorArgs[3] = {states[D3DTSS_COLORARG0], states[D3DTSS_COLORARG1],
                                states[D3DTSS_COLORARG2]};
    const DWORD alphaArgs[3] = {states[D3DTSS_ALPHAARG0], states[D3DTSS_ALPHAARG1],
                                states[D3DTSS_ALPHAARG2]};
    *specular = *specular || OpReads(states[D3DTSS_COLOROP], colorArgs, D3DTA_SPECULAR) ||
                OpReads(states[D3DTSS_ALPHAOP], alphaArgs, D3DTA_SPECULAR);
  }
}

bool TextureStages::Prepare(const DeviceState& state, const D3DCAPS9& caps,
                            const WorkingMemory& memory) {
  const UINT limit = std::min<UINT>(caps.MaxTextureBlendStages, stageCount);
  const UINT textureLimit = std::min<UINT>(caps.MaxSimultaneousTextures, stageCount);
  const auto& rs = state.renderStates;
  textureFactor = rs[D3DRS_TEXTUREFACTOR];
  addSpecular = rs[D3DRS_SPECULARENABLE] != FALSE;
  unsigned sets = 0;
  VertexNeeds(state, caps, &sets, &readsSpecular);
  activeStages = 0;
  for (UINT i = 0; i < limit; ++i) {
    const auto& states = state.stageStates[i];
    if (states[D3DTSS_COLOROP] == D3DTOP_DISABLE) break;
    Stage& s = stages[i];
    s.colorOp = states[D3DTSS_COLOROP];
    s.alphaOp = states[D3DTSS_ALPHAOP];
    s.colorArgs[0] = states[D3DTSS_COLORARG0];
    s.colorArgs[1] = states[D3DTSS_COLORARG1];
    s.colorArgs[2] = states[D3DTSS_COLORARG2];
    // ALPHAREPLICATE means nothing to an alpha operation.
    s.alphaArgs[0] = states[D3DTSS_ALPHAARG0] & ~D3DTA_ALPHAREPLICATE;
    s.alphaArgs[1] = states[D3DTSS_ALPHAARG1] & ~D3DTA_ALPHAREPLICATE;
    s.alphaArgs[2] = states[D3DTSS_ALPHAARG2] & ~D3DTA_ALPHAREPLICATE;
    s.result = Selects(states[D3DTSS_RESULTARG], D3DTA_TEMP) ? D3DTA_TEMP : D3DTA_CURRENT;
    s.constant = states[D3DTSS_CONSTANT];
    s.colourReadsTexture = ReadsTexture(s.colorOp, s.colorArgs);
    s.alphaReadsTexture = ReadsTexture(s.alphaOp, s.alphaArgs);
    s.set = states[D3DTSS_TEXCOORDINDEX] & 0xFFFF;
    s.transformCount = TransformCount(states[D3DTSS_TEXTURETRANSFORMFLAGS]);
    s.transform = state.transforms[D3DTS_TEXTURE0 + i];
    s.source = Source::None;
    s.scale[0] = s.scale[1] = s.scale[2] = 1.0;
    const TextureBase* texture = AsTexture(state.textures[i].Get());
    if ((s.colourReadsTexture || s.alphaReadsTexture) && i < textureLimit && texture != nullptr) {
      TexelAccess access = flat[i].Prepare(state, *texture, i, memory);
      if (access == TexelAccess::Ready) {
        s.source = Source::Flat;
        s.scale[0] = flat[i].Width();
        s.scale[1] = flat[i].Height();
      } else if (access == TexelAccess::Unreadable) {
        access = cubeOrVolume[i].Prepare(state, *texture, i, memory);
        if (access == TexelAccess::Ready) {
          s.source = Source::CubeOrVolume;
          for (int c = 0; c < 3; ++c) s.scale[c] = cubeOrVolume[i].Scale(c);
        }
      }
      if (access == TexelAccess::OutOfMemory) return false;
    }
    ++activeStages;
  }
  return true;
}

std::uint32_t TextureStages::Texel(int index, const double values[attributeCount],
                                   const double ddx[attributeCount],
                                   const double ddy[attributeCount]) const {
  const std::size_t i = std::size_t(index);
  const int u = CoordinateSlot(index, 0), v = CoordinateSlot(index, 1), w = CoordinateSlot(index, 2);
  if (stages[i].source == Source::Flat) {
    const Sampler& sampler = flat[i];
    return sampler.Sample(values[u], values[v],
                          sampler.LevelOfDetail(ddx[u], ddx[v], ddy[u], ddy[v]));
  }
  const double c[3] = {values[u], values[v], values[w]};
  const double dx[3] = {ddx[u], ddx[v], ddx[w]};
  const double dy[3] = {ddy[u], ddy[v], ddy[w]};
  return cubeOrVolume[i].Sample(c, dx, dy);
}

std::uint32_t TextureStages::Argument(DWORD argument, const Registers& r) {
  std::uint32_t value;
  switch (argument & D3DTA_SELECTMASK) {
    case D3DTA_DIFFUSE: value = r.diffuse; break;
    case D3DTA_TEXTURE: value = r.texel; break;
    case D3DTA_TFACTOR: value = r.factor; break;
    case D3DTA_SPECULAR: value = r.specular; break;
    case D3DTA_TEMP: value = r.temp; break;
    case D3DTA_CONSTANT: value = r.constant; break;
    default: value = r.current; break;
  }
  if ((argument & D3DTA_ALPHAREPLICATE) != 0) value = (value >> 24) * 0x01010101u;
  if ((argument & D3DTA_COMPLEMENT) != 0) value = ~value;
  return value;
}

std::uint32_t TextureStages::Shade(const double values[attributeCount],
                                   const double ddx[attributeCount],
                                   const double ddy[attributeCount]) const {
  Registers r{};
  r.diffuse = PackColour(values);
  r.specular = readsSpecular ? PackSpecular(values) : 0;
  r.current = r.diffuse;
  r.factor = textureFactor;
  for (int i = 0; i < activeStages; ++i) {
    const Stage& s = stages[std::size_t(i)];
    const bool textured = s.source != Source::None;
    r.texel = textured ? Texel(i, values, ddx, ddy) : 0;
    r.constant = s.constant;
    const auto blendAlpha = [&](DWORD op) {
      switch (op) {
        case D3DTOP_BLENDDIFFUSEALPHA: return r.diffuse >> 24;
        case D3DTOP_BLENDTEXTUREALPHA:
        case D3DTOP_BLENDTEXTUREALPHAPM: return r.texel >> 24;
        case D3DTOP_BLENDFACTORALPHA: return r.factor >> 24;
        case D3DTOP_BLENDCURRENTALPHA: return r.current >> 24;
        default: return 0u;
      }
    };
    const auto operate = [&](DWORD op, const DWORD args[3]) {
      return StageOperate(op, Argument(args[0], r), Argument(args[1], r), Argument(args[2], r),
                          blendAlpha(op));
    };
    const bool colourPasses = s.colourReadsTexture && !textured;
    const std::uint32_t colour = colourPasses ? r.current : operate(s.colorOp, s.colorArgs);
    std::uint32_t alpha;
    if (s.colorOp == D3DTOP_DOTPRODUCT3 && !colourPasses) {
      alpha = colour >> 24;
    } else if (s.alphaOp == D3DTOP_DISABLE || (s.alphaReadsTexture && !textured)) {
      alpha = r.current >> 24;
    } else {
      alpha = operate(s.alphaOp, s.alphaArgs) >> 24;
    }
    const std::uint32_t out = (colour & 0x00FFFFFFu) | (alpha << 24);
    (s.result == D3DTA_TEMP ? r.temp : r.current) = out;
  }
  if (!addSpecular) return r.current;
  return StageOperate(D3DTOP_ADD, 0, r.current, r.specular & 0x00FFFFFFu, 0);
}

}  // namespace d3d9
