#include "platform/d3d9/state_block.h"

#include <algorithm>

#include "platform/d3d9/device.h"

namespace d3d9 {
namespace {

template <class Entries, class Match>
auto* FindEntry(Entries& entries, Match match) {
  const auto found = std::find_if(entries.begin(), entries.end(), match);
  return found != entries.end() ? &*found : nullptr;
}

template <class Entry, class Same>
void Upsert(std::vector<Entry>& entries, Entry entry, Same same) {
  for (auto& existing : entries) {
    if (same(existing)) {
      existing = std::move(entry);
      return;
    }
  }
  entries.push_back(std::move(entry));
}

// Render states that belong to the pixel pipeline (D3DSBT_PIXELSTATE); the rest, and the
// fog states shared by both, go with the vertex pipeline.
constexpr DWORD pixelRenderStates[] = {
    D3DRS_ZENABLE, D3DRS_FILLMODE, D3DRS_SHADEMODE, D3DRS_ZWRITEENABLE, D3DRS_ALPHATESTENABLE,
    D3DRS_LASTPIXEL, D3DRS_SRCBLEND, D3DRS_DESTBLEND, D3DRS_ZFUNC, D3DRS_ALPHAREF,
    D3DRS_ALPHAFUNC, D3DRS_DITHERENABLE, D3DRS_ALPHABLENDENABLE, D3DRS_FOGSTART, D3DRS_FOGEND,
    D3DRS_FOGDENSITY, D3DRS_STENCILENABLE, D3DRS_STENCILFAIL, D3DRS_STENCILZFAIL,
    D3DRS_STENCILPASS, D3DRS_STENCILFUNC, D3DRS_STENCILREF, D3DRS_STENCILMASK,
    D3DRS_STENCILWRITEMASK, D3DRS_TEXTUREFACTOR, D3DRS_WRAP0, D3DRS_WRAP1, D3DRS_WRAP2,
    D3DRS_WRAP3, D3DRS_WRAP4, D3DRS_WRAP5, D3DRS_WRAP6, D3DRS_WRAP7, D3DRS_COLORWRITEENABLE,
    D3DRS_BLENDOP, D3DRS_SCISSORTESTENABLE, D3DRS_SLOPESCALEDEPTHBIAS,
    D3DRS_ANTIALIASEDLINEENABLE, D3DRS_TWOSIDEDSTENCILMODE, D3DRS_CCW_STENCILFAIL,
    D3DRS_CCW_STENCILZFAIL, D3DRS_CCW_STENCILPASS, D3DRS_CCW_STENCILFUNC,
    D3DRS_COLORWRITEENABLE1, D3DRS_COLORWRITEENABLE2, D3DRS_COLORWRITEENABLE3,
    D3DRS_BLENDFACTOR, D3DRS_SRGBWRITEENABLE, D3DRS_DEPTHBIAS, D3DRS_WRAP8, D3DRS_WRAP9,
    D3DRS_WRAP10, D3DRS_WRAP11, D3DRS_WRAP12, D3DRS_WRAP13, D3DRS_WRAP14, D3DRS_WRAP15,
    D3DRS_SEPARATEALPHABLENDENABLE, D3DRS_SRCBLENDALPHA, D3DRS_DESTBLENDALPHA,
    D3DRS_BLENDOPALPHA};

bool IsPixelRenderState(DWORD state) {
  return std::find(std::begin(pixelRenderStates), std::end(pixelRenderStates), state) !=
         std::end(pixelRenderStates);
}

bool IsKnownRenderState(DWORD state) {
  switch (state) {
    case 7: case 8: case 9: case 14: case 15: case 16: case 19: case 20: case 22: case 23:
    case 24: case 25: case 26: case 27: case 28: case 29: case 34: case 35: case 36: case 37:
    case 38: case 48:
      return true;
    default:
      return (state >= 52 && state <= 60) || (state >= 128 && state <= 137) ||
             (state >= 139 && state <= 143) || (state >= 145 && state <= 148) ||
             state == 151 || state == 152 || (state >= 154 && state <= 163) ||
             (state >= 165 && state <= 168) || (state >= 170 && state <= 176) ||
             (state >= 178 && state <= 195) || (state >= 198 && state <= 209);
  }
}

bool IsPixelStageState(DWORD type) {
  return type != D3DTSS_TEXCOORDINDEX && type != D3DTSS_TEXTURETRANSFORMFLAGS;
}

bool IsKnownStageState(DWORD type) {
  return (type >= 1 && type <= 11) || type == 22 || type == 23 || type == 24 || type == 26 ||
         type == 27 || type == 28 || type == 32;
}

}  // namespace

HRESULT StateBlock::GetDevice(IDirect3DDevice9** out) {
  if (out == nullptr) return D3DERR_INVALIDCALL;
  return link.HandOutDevice(out);
}

HRESULT StateBlock::Capture() {
  const HRESULT entered = link.Get()->Enter("IDirect3DStateBlock9::Capture", {Arg(this)});
  if (FAILED(entered)) return entered;
  CaptureFrom(link.Get()->State());
  return S_OK;
}

HRESULT StateBlock::Apply() {
  const HRESULT entered = link.Get()->Enter("IDirect3DStateBlock9::Apply", {Arg(this)});
  if (FAILED(entered)) return entered;
  ApplyTo(link.Get()->State());
  return S_OK;
}

void StateBlock::CaptureFrom(const DeviceState& state) {
  for (Value& v : renderStates) v.value = state.renderStates[v.index];
  for (Value& v : stageStates) v.value = state.stageStates[v.index][v.type];
  for (Value& v : samplerStates) v.value = state.samplerStates[v.index][v.type];
  for (Transform& t : transforms) t.matrix = state.transforms[t.index];
  for (Texture& t : textures) t.texture = state.textures[t.sampler];
  for (Stream& s : streams) {
    const StreamBinding& bound = state.streams[s.stream];
    if (s.source) s.source = bound;
    if (s.frequency) s.frequency = bound.frequency;
  }
  if (indices) indices = state.indices;
  if (vertexFormat) vertexFormat = state.vertexFormat;
  if (viewport) viewport = state.viewport;
  if (material) material = state.material;
  for (Light& l : lights) {
    const auto found = state.lights.find(l.index);
    const LightSlot slot = found != state.lights.end() ? found->second : LightSlot{};
    if (l.light) l.light = slot.light;
    if (l.enabled) l.enabled = slot.enabled;
  }
  for (ClipPlane& c : clipPlanes) c.plane = state.clipPlanes[c.index];
  if (scissorRect) scissorRect = state.scissorRect;
  if (nPatchSegments) nPatchSegments = state.nPatchSegments;
  if (texturePalette) texturePalette = state.currentTexturePalette;
}

void StateBlock::ApplyTo(DeviceState& state) const {
  for (const Value& v : renderStates) state.renderStates[v.index] = v.value;
  for (const Value& v : stageStates) state.stageStates[v.index][v.type] = v.value;
  for (const Value& v : samplerStates) state.samplerStates[v.index][v.type] = v.value;
  for (const Transform& t : transforms) state.transforms[t.index] = t.matrix;
  for (const Texture& t : textures) state.textures[t.sampler] = t.texture;
  for (const Stream& s : streams) {
    StreamBinding& bound = state.streams[s.stream];
    if (s.source) {
      bound.buffer = s.source->buffer;
      bound.offset = s.source->offset;
      bound.stride = s.source->stride;
    }
    if (s.frequency) bound.frequency = *s.frequency;
  }
  if (indices) state.indices = *indices;
  if (vertexFormat) state.vertexFormat = *vertexFormat;
  if (viewport) state.viewport = *viewport;
  if (material) state.material = *material;
  for (const Light& l : lights) {
    LightSlot& slot = state.lights[l.index];
    if (l.light) slot.light = *l.light;
    if (l.enabled) slot.enabled = *l.enabled;
  }
  for (const ClipPlane& c : clipPlanes) state.clipPlanes[c.index] = c.plane;
  if (scissorRect) state.scissorRect = *scissorRect;
  if (nPatchSegments) state.nPatchSegments = *nPatchSegments;
  if (texturePalette) state.currentTexturePalette = *texturePalette;
}

void StateBlock::RecordRenderState(DWORD state, DWORD value) {
  Upsert(renderStates, Value{state, 0, value}, [&](const Value& v) { return v.index == state; });
}

void StateBlock::RecordStageState(DWORD stage, DWORD type, DWORD value) {
  Upsert(stageStates, Value{stage, type, value},
         [&](const Value& v) { return v.index == stage && v.type == type; });
}

void StateBlock::RecordSamplerState(UINT sampler, DWORD type, DWORD value) {
  Upsert(samplerStates, Value{sampler, type, value},
         [&](const Value& v) { return v.index == sampler && v.type == type; });
}

void StateBlock::RecordTransform(UINT index, const D3DMATRIX& matrix) {
  Upsert(transforms, Transform{index, matrix}, [&](const Transform& t) { return t.index == index; });
}

void StateBlock::RecordTexture(UINT sampler, IDirect3DBaseTexture9* texture) {
  Upsert(textures, Texture{sampler, ComRef<IDirect3DBaseTexture9>(texture)},
         [&](const Texture& t) { return t.sampler == sampler; });
}

StateBlock::Stream& StateBlock::StreamEntry(UINT stream) {
  if (Stream* found = FindEntry(streams, [&](const Stream& s) { return s.stream == stream; })) {
    return *found;
  }
  return streams.emplace_back(Stream{stream, std::nullopt, std::nullopt});
}

void StateBlock::RecordStreamSource(UINT stream, IDirect3DVertexBuffer9* buffer, UINT offset,
                                    UINT stride) {
  StreamBinding binding;
  binding.buffer = ComRef<IDirect3DVertexBuffer9>(buffer);
  binding.offset = offset;
  binding.stride = stride;
  StreamEntry(stream).source = std::move(binding);
}

void StateBlock::RecordStreamFrequency(UINT stream, UINT frequency) {
  StreamEntry(stream).frequency = frequency;
}

void StateBlock::RecordIndices(IDirect3DIndexBuffer9* buffer) {
  indices = ComRef<IDirect3DIndexBuffer9>(buffer);
}

void StateBlock::RecordVertexFormat(const VertexFormat& format) { vertexFormat = format; }
void StateBlock::RecordViewport(const D3DVIEWPORT9& value) { viewport = value; }
void StateBlock::RecordMaterial(const D3DMATERIAL9& value) { material = value; }

StateBlock::Light& StateBlock::LightEntry(DWORD index) {
  if (Light* found = FindEntry(lights, [&](const Light& l) { return l.index == index; })) {
    return *found;
  }
  return lights.emplace_back(Light{index, std::nullopt, std::nullopt});
}

void StateBlock::RecordLight(DWORD index, const D3DLIGHT9& light) { LightEntry(index).light = light; }
void StateBlock::RecordLightEnable(DWORD index, BOOL enable) { LightEntry(index).enabled = enable; }

void StateBlock::RecordClipPlane(UINT index, const std::array<float, 4>& plane) {
  Upsert(clipPlanes, ClipPlane{index, plane}, [&](const ClipPlane& c) { return c.index == index; });
}

void StateBlock::RecordScissorRect(const RECT& rect) { scissorRect = rect; }
void StateBlock::RecordNPatchMode(float segments) { nPatchSegments = segments; }

void StateBlock::RecordAll(D3DSTATEBLOCKTYPE type, const DeviceState& state) {
  const bool pixel = type != D3DSBT_VERTEXSTATE;
  const bool vertex = type != D3DSBT_PIXELSTATE;
  for (DWORD rs = 0; rs < renderStateCount; ++rs) {
    if (!IsKnownRenderState(rs)) continue;
    const bool isPixel = IsPixelRenderState(rs);
    if ((isPixel && pixel) || (!isPixel && vertex)) RecordRenderState(rs, state.renderStates[rs]);
  }
  for (DWORD stage = 0; stage < stageCount; ++stage) {
    for (DWORD t = 0; t < stageStateCount; ++t) {
      if (!IsKnownStageState(t)) continue;
      const bool isPixel = IsPixelStageState(t);
      if ((isPixel && pixel) || (!isPixel && vertex)) {
        RecordStageState(stage, t, state.stageStates[stage][t]);
      }
    }
  }
  for (UINT s = 0; s < samplerCount; ++s) {
    for (DWORD t = D3DSAMP_ADDRESSU; t <= D3DSAMP_DMAPOFFSET; ++t) {
      const bool isPixel = t != D3DSAMP_DMAPOFFSET;
      if ((isPixel && pixel) || (!isPixel && vertex)) {
        RecordSamplerState(s, t, state.samplerStates[s][t]);
      }
    }
  }
  if (pixel) pixelShaderRecorded = true;
  if (vertex) {
    vertexShaderRecorded = true;
    vertexFormat = state.vertexFormat;
    for (UINT s = 0; s < streamCount; ++s) StreamEntry(s).frequency = state.streams[s].frequency;
    for (const auto& [index, slot] : state.lights) {
      LightEntry(index).light = slot.light;
      LightEntry(index).enabled = slot.enabled;
    }
  }
  if (type != D3DSBT_ALL) return;
  for (UINT t = 0; t < transformCount; ++t) {
    if (t == D3DTS_VIEW || t == D3DTS_PROJECTION || (t >= D3DTS_TEXTURE0 && t <= D3DTS_TEXTURE7) ||
        t >= D3DTS_WORLD) {
      RecordTransform(t, state.transforms[t]);
    }
  }
  for (UINT s = 0; s < samplerCount; ++s) RecordTexture(s, state.textures[s].Get());
  for (UINT s = 0; s < streamCount; ++s) {
    const StreamBinding& bound = state.streams[s];
    RecordStreamSource(s, bound.buffer.Get(), bound.offset, bound.stride);
  }
  indices = state.indices;
  viewport = state.viewport;
  material = state.material;
  for (UINT c = 0; c < clipPlaneCount; ++c) RecordClipPlane(c, state.clipPlanes[c]);
  scissorRect = state.scissorRect;
  nPatchSegments = state.nPatchSegments;
  texturePalette = state.currentTexturePalette;
}

bool StateBlock::RecordsRenderState(DWORD state) const {
  return std::any_of(renderStates.begin(), renderStates.end(),
                     [&](const Value& v) { return v.index == state; });
}

std::size_t StateBlock::RecordedCount() const {
  return renderStates.size() + stageStates.size() + samplerStates.size() + transforms.size() +
         textures.size() + streams.size() + lights.size() + clipPlanes.size() +
         (indices ? 1 : 0) + (vertexFormat ? 1 : 0) + (viewport ? 1 : 0) + (material ? 1 : 0) +
         (scissorRect ? 1 : 0) + (nPatchSegments ? 1 : 0) + (texturePalette ? 1 : 0) +
         (vertexShaderRecorded ? 1 : 0) + (pixelShaderRecorded ? 1 : 0);
}

}  // namespace d3d9
