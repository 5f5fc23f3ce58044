// The state setters and getters. While a state block is being recorded, setters only record.
#include <bit>

#include "platform/d3d9/buffers.h"
#include "platform/d3d9/device.h"
#include "platform/d3d9/texture.h"

namespace d3d9 {
namespace {

D3DMATRIX Multiply(const D3DMATRIX& a, const D3DMATRIX& b) {
  D3DMATRIX product{};
  for (int row = 0; row < 4; ++row) {
    for (int column = 0; column < 4; ++column) {
      float sum = 0.0f;
      for (int k = 0; k < 4; ++k) sum += a.m[row][k] * b.m[k][column];
      product.m[row][column] = sum;
    }
  }
  return product;
}

std::int64_t FloatArg(float value) { return std::bit_cast<std::int32_t>(value); }

template <class Own, class Interface>
Own* OwnObject(Device* device, Interface* object) {
  Own* own = object != nullptr ? dynamic_cast<Own*>(object) : nullptr;
  return own != nullptr && own->OwnerDevice() == device ? own : nullptr;
}

}  // namespace

// --- Render targets ----------------------------------------------------------------------------

HRESULT Device::SetRenderTarget(DWORD index, IDirect3DSurface9* target) {
  const HRESULT entered = Enter("SetRenderTarget", {std::int64_t(index), Arg(target)});
  if (FAILED(entered)) return entered;
  Surface* surface = AsSurfaceOf(this, target);
  if (index != 0 || surface == nullptr || (surface->Shape().usage & D3DUSAGE_RENDERTARGET) == 0) {
    return D3DERR_INVALIDCALL;
  }
  renderTarget = ComRef<IDirect3DSurface9>(target);
  // A new target brings a viewport and scissor rectangle of its own size.
  const UINT width = surface->Shape().width;
  const UINT height = surface->Shape().height;
  state.viewport = {0, 0, width, height, 0.0f, 1.0f};
  state.scissorRect = {0, 0, LONG(width), LONG(height)};
  return S_OK;
}

HRESULT Device::GetRenderTarget(DWORD index, IDirect3DSurface9** out) {
  const HRESULT entered = Enter("GetRenderTarget", {std::int64_t(index)});
  if (FAILED(entered)) return entered;
  if (out == nullptr || index >= Profile().caps.NumSimultaneousRTs) return D3DERR_INVALIDCALL;
  if (!renderTarget) return D3DERR_NOTFOUND;
  return HandOut(renderTarget.Get(), out);
}

HRESULT Device::SetDepthStencilSurface(IDirect3DSurface9* surface) {
  Surface* own = AsSurfaceOf(this, surface);
  if (surface != nullptr && (own == nullptr || (own->Shape().usage & D3DUSAGE_DEPTHSTENCIL) == 0)) {
    return D3DERR_INVALIDCALL;
  }
  depthStencil = ComRef<IDirect3DSurface9>(surface);
  return S_OK;
}

HRESULT Device::GetDepthStencilSurface(IDirect3DSurface9** out) {
  if (out == nullptr) return D3DERR_INVALIDCALL;
  if (!depthStencil) {
    *out = nullptr;
    return D3DERR_NOTFOUND;
  }
  return HandOut(depthStencil.Get(), out);
}

// --- Transforms, viewport, material, lights, clip planes ---------------------------------------

HRESULT Device::SetTransform(D3DTRANSFORMSTATETYPE type, const D3DMATRIX* matrix) {
  const HRESULT entered = Enter("SetTransform", {std::int64_t(type), Arg(matrix)});
  if (FAILED(entered)) return entered;
  if (matrix == nullptr || type >= transformCount) return D3DERR_INVALIDCALL;
  if (recording) {
    recording->RecordTransform(type, *matrix);
    return S_OK;
  }
  state.transforms[type] = *matrix;
  return S_OK;
}

HRESULT Device::GetTransform(D3DTRANSFORMSTATETYPE type, D3DMATRIX* matrix) {
  if (matrix == nullptr || type >= transformCount) return D3DERR_INVALIDCALL;
  *matrix = state.transforms[type];
  return S_OK;
}

HRESULT Device::MultiplyTransform(D3DTRANSFORMSTATETYPE type, const D3DMATRIX* matrix) {
  if (matrix == nullptr || type >= transformCount) return D3DERR_INVALIDCALL;
  const D3DMATRIX product = Multiply(*matrix, state.transforms[type]);
  return SetTransform(type, &product);
}

HRESULT Device::SetViewport(const D3DVIEWPORT9* viewport) {
  const HRESULT entered = Enter("SetViewport", {Arg(viewport)});
  if (FAILED(entered)) return entered;
  if (viewport == nullptr || viewport->Width == 0 || viewport->Height == 0) {
    return D3DERR_INVALIDCALL;
  }
  const Surface* target = AsSurfaceOf(this, renderTarget.Get());
  if (target != nullptr && (std::uint64_t(viewport->X) + viewport->Width > target->Shape().width ||
                            std::uint64_t(viewport->Y) + viewport->Height > target->Shape().height)) {
    return D3DERR_INVALIDCALL;
  }
  if (!(viewport->MinZ >= 0.0f && viewport->MaxZ <= 1.0f && viewport->MinZ <= viewport->MaxZ)) {
    return D3DERR_INVALIDCALL;
  }
  if (recording) {
    recording->RecordViewport(*viewport);
    return S_OK;
  }
  state.viewport = *viewport;
  return S_OK;
}

HRESULT Device::GetViewport(D3DVIEWPORT9* viewport) {
  const HRESULT entered = Enter("GetViewport", {});
  if (FAILED(entered)) return entered;
  if (viewport == nullptr) return D3DERR_INVALIDCALL;
  *viewport = state.viewport;
  return S_OK;
}

HRESULT Device::SetMaterial(const D3DMATERIAL9* material) {
  if (material == nullptr) return D3DERR_INVALIDCALL;
  if (recording) {
    recording->RecordMaterial(*material);
    return S_OK;
  }
  state.material = *material;
  return S_OK;
}

HRESULT Device::GetMaterial(D3DMATERIAL9* material) {
  if (material == nullptr) return D3DERR_INVALIDCALL;
  *material = state.material;
  return S_OK;
}

HRESULT Device::SetLight(DWORD index, const D3DLIGHT9* light) {
  if (light == nullptr || light->Type < D3DLIGHT_POINT || light->Type > D3DLIGHT_DIRECTIONAL) {
    return D3DERR_INVALIDCALL;
  }
  if (recording) {
    recording->RecordLight(index, *light);
    return S_OK;
  }
  state.lights[index].light = *light;
  return S_OK;
}

HRESULT Device::GetLight(DWORD index, D3DLIGHT9* light) {
  const auto found = state.lights.find(index);
  if (light == nullptr || found == state.lights.end()) return D3DERR_INVALIDCALL;
  *light = found->second.light;
  return S_OK;
}

HRESULT Device::LightEnable(DWORD index, BOOL enable) {
  if (recording) {
    recording->RecordLightEnable(index, enable);
    return S_OK;
  }
  LightSlot& slot = state.lights[index];
  // A light enabled before it was set is the default white directional light.
  if (slot.light.Type == 0) {
    slot.light.Type = D3DLIGHT_DIRECTIONAL;
    slot.light.Diffuse = {1.0f, 1.0f, 1.0f, 0.0f};
    slot.light.Direction = {0.0f, 0.0f, 1.0f};
  }
  slot.enabled = enable != FALSE ? TRUE : FALSE;
  return S_OK;
}

HRESULT Device::GetLightEnable(DWORD index, BOOL* enable) {
  const auto found = state.lights.find(index);
  if (enable == nullptr || found == state.lights.end()) return D3DERR_INVALIDCALL;
  *enable = found->second.enabled;
  return S_OK;
}

HRESULT Device::SetClipPlane(DWORD index, const float* plane) {
  if (plane == nullptr || index >= clipPlaneCount) return D3DERR_INVALIDCALL;
  const std::array<float, 4> value = {plane[0], plane[1], plane[2], plane[3]};
  if (recording) {
    recording->RecordClipPlane(index, value);
    return S_OK;
  }
  state.clipPlanes[index] = value;
  return S_OK;
}

HRESULT Device::GetClipPlane(DWORD index, float* plane) {
  if (plane == nullptr || index >= clipPlaneCount) return D3DERR_INVALIDCALL;
  for (int i = 0; i < 4; ++i) plane[i] = state.clipPlanes[index][i];
  return S_OK;
}

HRESULT Device::SetClipStatus(const D3DCLIPSTATUS9* status) {
  if (status == nullptr) return D3DERR_INVALIDCALL;
  clipStatus = *status;
  return S_OK;
}

HRESULT Device::GetClipStatus(D3DCLIPSTATUS9* status) {
  if (status == nullptr) return D3DERR_INVALIDCALL;
  *status = clipStatus;
  return S_OK;
}

// --- Render, stage and sampler states ------------------------------------------------------------

HRESULT Device::SetRenderState(D3DRENDERSTATETYPE type, DWORD value) {
  const HRESULT entered = Enter("SetRenderState", {std::int64_t(type), std::int64_t(value)});
  if (FAILED(entered)) return entered;
  if (type >= renderStateCount) return D3DERR_INVALIDCALL;
  if (recording) {
    recording->RecordRenderState(type, value);
    return S_OK;
  }
  state.renderStates[type] = value;
  return S_OK;
}

HRESULT Device::GetRenderState(D3DRENDERSTATETYPE type, DWORD* value) {
  if (value == nullptr || type >= renderStateCount) return D3DERR_INVALIDCALL;
  *value = state.renderStates[type];
  return S_OK;
}

HRESULT Device::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) {
  const HRESULT entered = Enter("SetTextureStageState",
                                {std::int64_t(stage), std::int64_t(type), std::int64_t(value)});
  if (FAILED(entered)) return entered;
  if (stage >= stageCount || type >= stageStateCount) return D3DERR_INVALIDCALL;
  if (recording) {
    recording->RecordStageState(stage, type, value);
    return S_OK;
  }
  state.stageStates[stage][type] = value;
  return S_OK;
}

HRESULT Device::GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value) {
  if (value == nullptr || stage >= stageCount || type >= stageStateCount) {
    return D3DERR_INVALIDCALL;
  }
  *value = state.stageStates[stage][type];
  return S_OK;
}

HRESULT Device::SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) {
  const HRESULT entered = Enter("SetSamplerState",
                                {std::int64_t(sampler), std::int64_t(type), std::int64_t(value)});
  if (FAILED(entered)) return entered;
  const UINT index = SamplerIndex(sampler);
  if (index >= samplerCount || type == 0 || type >= samplerStateCount) return D3DERR_INVALIDCALL;
  if (recording) {
    recording->RecordSamplerState(index, type, value);
    return S_OK;
  }
  state.samplerStates[index][type] = value;
  return S_OK;
}

HRESULT Device::GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD* value) {
  const UINT index = SamplerIndex(sampler);
  if (value == nullptr || index >= samplerCount || type == 0 || type >= samplerStateCount) {
    return D3DERR_INVALIDCALL;
  }
  *value = state.samplerStates[index][type];
  return S_OK;
}

HRESULT Device::SetCurrentTexturePalette(UINT palette) {
  if (recording) {
    recording->RecordTexturePalette(palette);
    return S_OK;
  }
  state.currentTexturePalette = palette;
  return S_OK;
}

HRESULT Device::GetCurrentTexturePalette(UINT* palette) {
  if (palette == nullptr) return D3DERR_INVALIDCALL;
  *palette = state.currentTexturePalette;
  return S_OK;
}

HRESULT Device::SetScissorRect(const RECT* rect) {
  if (rect == nullptr || rect->left > rect->right || rect->top > rect->bottom) {
    return D3DERR_INVALIDCALL;
  }
  if (recording) {
    recording->RecordScissorRect(*rect);
    return S_OK;
  }
  state.scissorRect = *rect;
  return S_OK;
}

HRESULT Device::GetScissorRect(RECT* rect) {
  if (rect == nullptr) return D3DERR_INVALIDCALL;
  *rect = state.scissorRect;
  return S_OK;
}

HRESULT Device::SetNPatchMode(float segments) {
  const HRESULT entered = Enter("SetNPatchMode", {FloatArg(segments)});
  if (FAILED(entered)) return entered;
  if (!(segments >= 0.0f)) return D3DERR_INVALIDCALL;
  if (recording) {
    recording->RecordNPatchMode(segments);
    return S_OK;
  }
  state.nPatchSegments = segments;
  return S_OK;
}

float Device::GetNPatchMode() { return state.nPatchSegments; }

// --- Textures, vertex format, streams, indices ---------------------------------------------------

HRESULT Device::SetTexture(DWORD stage, IDirect3DBaseTexture9* texture) {
  const HRESULT entered = Enter("SetTexture", {std::int64_t(stage), Arg(texture)});
  if (FAILED(entered)) return entered;
  const UINT index = SamplerIndex(stage);
  if (index >= samplerCount) return D3DERR_INVALIDCALL;
  const TextureBase* own = AsTexture(texture);
  if (texture != nullptr && (own == nullptr || own->Owner() != this)) return D3DERR_INVALIDCALL;
  if (recording) {
    recording->RecordTexture(index, texture);
    return S_OK;
  }
  state.textures[index] = ComRef<IDirect3DBaseTexture9>(texture);
  return S_OK;
}

HRESULT Device::GetTexture(DWORD stage, IDirect3DBaseTexture9** out) {
  const UINT index = SamplerIndex(stage);
  if (out == nullptr || index >= samplerCount) return D3DERR_INVALIDCALL;
  return HandOut(state.textures[index].Get(), out);
}

HRESULT Device::SetVertexDeclaration(IDirect3DVertexDeclaration9* declaration) {
  const HRESULT entered = Enter("SetVertexDeclaration", {Arg(declaration)});
  if (FAILED(entered)) return entered;
  if (declaration != nullptr && OwnObject<VertexDeclaration>(this, declaration) == nullptr) {
    return D3DERR_INVALIDCALL;
  }
  VertexFormat format;
  format.declaration = ComRef<IDirect3DVertexDeclaration9>(declaration);
  if (recording) {
    recording->RecordVertexFormat(format);
    return S_OK;
  }
  state.vertexFormat = std::move(format);
  return S_OK;
}

HRESULT Device::GetVertexDeclaration(IDirect3DVertexDeclaration9** out) {
  if (out == nullptr) return D3DERR_INVALIDCALL;
  return HandOut(state.vertexFormat.declaration.Get(), out);
}

HRESULT Device::SetFVF(DWORD fvf) {
  const HRESULT entered = Enter("SetFVF", {std::int64_t(fvf)});
  if (FAILED(entered)) return entered;
  VertexFormat format;
  format.fvf = fvf;
  if (recording) {
    recording->RecordVertexFormat(format);
    return S_OK;
  }
  state.vertexFormat = std::move(format);
  return S_OK;
}

HRESULT Device::GetFVF(DWORD* fvf) {
  if (fvf == nullptr) return D3DERR_INVALIDCALL;
  *fvf = state.vertexFormat.fvf;
  return S_OK;
}

HRESULT Device::SetStreamSource(UINT stream, IDirect3DVertexBuffer9* buffer, UINT offset,
                                UINT stride) {
  const HRESULT entered = Enter("SetStreamSource", {std::int64_t(stream), Arg(buffer),
                                                    std::int64_t(offset), std::int64_t(stride)});
  if (FAILED(entered)) return entered;
  if (stream >= streamCount || stride > Profile().caps.MaxStreamStride) return D3DERR_INVALIDCALL;
  if (buffer != nullptr && OwnObject<VertexBuffer>(this, buffer) == nullptr) {
    return D3DERR_INVALIDCALL;
  }
  if (recording) {
    recording->RecordStreamSource(stream, buffer, offset, stride);
    return S_OK;
  }
  StreamBinding& binding = state.streams[stream];
  binding.buffer = ComRef<IDirect3DVertexBuffer9>(buffer);
  binding.offset = offset;
  binding.stride = stride;
  return S_OK;
}

HRESULT Device::GetStreamSource(UINT stream, IDirect3DVertexBuffer9** buffer, UINT* offset,
                                UINT* stride) {
  if (stream >= streamCount || buffer == nullptr || offset == nullptr || stride == nullptr) {
    return D3DERR_INVALIDCALL;
  }
  const StreamBinding& binding = state.streams[stream];
  *offset = binding.offset;
  *stride = binding.stride;
  return HandOut(binding.buffer.Get(), buffer);
}

HRESULT Device::SetStreamSourceFreq(UINT stream, UINT setting) {
  if (stream >= streamCount) return D3DERR_INVALIDCALL;
  if (recording) {
    recording->RecordStreamFrequency(stream, setting);
    return S_OK;
  }
  state.streams[stream].frequency = setting;
  return S_OK;
}

HRESULT Device::GetStreamSourceFreq(UINT stream, UINT* setting) {
  if (stream >= streamCount || setting == nullptr) return D3DERR_INVALIDCALL;
  *setting = state.streams[stream].frequency;
  return S_OK;
}

HRESULT Device::SetIndices(IDirect3DIndexBuffer9* indices) {
  const HRESULT entered = Enter("SetIndices", {Arg(indices)});
  if (FAILED(entered)) return entered;
  if (indices != nullptr && OwnObject<IndexBuffer>(this, indices) == nullptr) {
    return D3DERR_INVALIDCALL;
  }
  if (recording) {
    recording->RecordIndices(indices);
    return S_OK;
  }
  state.indices = ComRef<IDirect3DIndexBuffer9>(indices);
  return S_OK;
}

HRESULT Device::GetIndices(IDirect3DIndexBuffer9** out) {
  const HRESULT entered = Enter("GetIndices", {});
  if (FAILED(entered)) return entered;
  if (out == nullptr) return D3DERR_INVALIDCALL;
  return HandOut(state.indices.Get(), out);
}

// --- State blocks --------------------------------------------------------------------------------

HRESULT Device::BeginStateBlock() {
  const HRESULT entered = Enter("BeginStateBlock", {});
  if (FAILED(entered)) return entered;
  if (recording) return D3DERR_INVALIDCALL;
  recording = ComRef<StateBlock>::Adopt(new StateBlock(this));
  return S_OK;
}

HRESULT Device::EndStateBlock(IDirect3DStateBlock9** out) {
  const HRESULT entered = Enter("EndStateBlock", {});
  if (FAILED(entered)) return entered;
  if (out == nullptr || !recording) return D3DERR_INVALIDCALL;
  *out = recording.Detach();
  return S_OK;
}

}  // namespace d3d9
