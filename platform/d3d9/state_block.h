// State blocks: a set of recorded states with their values.
//
// A block records exactly the states set between BeginStateBlock and EndStateBlock (the last
// value of each), or every state of a kind for CreateStateBlock. Capture re-reads those states
// from the device; Apply writes them back. A block holds references to the textures, buffers
// and declaration among its values.
#pragma once

#include <optional>
#include <vector>

#include "platform/d3d9/device_state.h"
#include "platform/d3d9/resource.h"

namespace d3d9 {

class StateBlock final : public ComObject<IDirect3DStateBlock9> {
 public:
  explicit StateBlock(Device* device) : link(device) {}

  HRESULT GetDevice(IDirect3DDevice9** device) override;
  HRESULT Capture() override;
  HRESULT Apply() override;

  // Recording: each call adds the state or replaces its recorded value.
  void RecordRenderState(DWORD state, DWORD value);
  void RecordStageState(DWORD stage, DWORD type, DWORD value);
  void RecordSamplerState(UINT sampler, DWORD type, DWORD value);
  void RecordTransform(UINT index, const D3DMATRIX& matrix);
  void RecordTexture(UINT sampler, IDirect3DBaseTexture9* texture);
  void RecordStreamSource(UINT stream, IDirect3DVertexBuffer9* buffer, UINT offset, UINT stride);
  void RecordStreamFrequency(UINT stream, UINT frequency);
  void RecordIndices(IDirect3DIndexBuffer9* indices);
  void RecordVertexFormat(const VertexFormat& format);
  void RecordViewport(const D3DVIEWPORT9& viewport);
  void RecordMaterial(const D3DMATERIAL9& material);
  void RecordLight(DWORD index, const D3DLIGHT9& light);
  void RecordLightEnable(DWORD index, BOOL enable);
  void RecordClipPlane(UINT index, const std::array<float, 4>& plane);
  void RecordScissorRect(const RECT& rect);
  void RecordNPatchMode(float segments);
  void RecordVertexShader() { vertexShaderRecorded = true; }
  void RecordPixelShader() { pixelShaderRecorded = true; }
  void RecordTexturePalette(UINT palette) { texturePalette = palette; }

  // Marks the states of a kind as recorded, with the device's current values.
  void RecordAll(D3DSTATEBLOCKTYPE type, const DeviceState& state);

  bool RecordsRenderState(DWORD state) const;
  std::size_t RecordedCount() const;

 private:
  struct Value {
    DWORD index;
    DWORD type;
    DWORD value;
  };
  struct Transform {
    UINT index;
    D3DMATRIX matrix;
  };
  struct Texture {
    UINT sampler;
    ComRef<IDirect3DBaseTexture9> texture;
  };
  struct Stream {
    UINT stream;
    std::optional<StreamBinding> source;  // buffer, offset and stride
    std::optional<UINT> frequency;
  };
  struct Light {
    DWORD index;
    std::optional<D3DLIGHT9> light;
    std::optional<BOOL> enabled;
  };
  struct ClipPlane {
    UINT index;
    std::array<float, 4> plane;
  };

  void CaptureFrom(const DeviceState& state);
  void ApplyTo(DeviceState& state) const;
  Stream& StreamEntry(UINT stream);
  Light& LightEntry(DWORD index);

  DeviceLink link;
  std::vector<Value> renderStates;  // index: state, type unused
  std::vector<Value> stageStates;
  std::vector<Value> samplerStates;
  std::vector<Transform> transforms;
  std::vector<Texture> textures;
  std::vector<Stream> streams;
  std::optional<ComRef<IDirect3DIndexBuffer9>> indices;
  std::optional<VertexFormat> vertexFormat;
  std::optional<D3DVIEWPORT9> viewport;
  std::optional<D3DMATERIAL9> material;
  std::vector<Light> lights;
  std::vector<ClipPlane> clipPlanes;
  std::optional<RECT> scissorRect;
  std::optional<float> nPatchSegments;
  std::optional<UINT> texturePalette;
  bool vertexShaderRecorded = false;
  bool pixelShaderRecorded = false;
};

}  // namespace d3d9
