// Every state a device keeps between calls, with the defaults of Direct3D 9.
//
// Samplers are numbered 0 to 15 for the pixel samplers, 16 for the displacement-map sampler
// and 17 to 20 for the vertex samplers (D3DDMAPSAMPLER and D3DVERTEXTEXTURESAMPLER0..3).
// Transforms are indexed by their D3DTRANSFORMSTATETYPE value, below 512.
#pragma once

#include <array>
#include <map>

#include "platform/d3d9/com_object.h"

namespace d3d9 {

class VertexBuffer;
class IndexBuffer;
class VertexDeclaration;

constexpr UINT renderStateCount = 256;
constexpr UINT stageCount = 8;
constexpr UINT stageStateCount = 33;
constexpr UINT samplerCount = 21;
constexpr UINT samplerStateCount = 14;
constexpr UINT transformCount = 512;
constexpr UINT streamCount = 16;
constexpr UINT clipPlaneCount = 6;

// Sampler number of the API to the index above; samplerCount for numbers that name nothing.
UINT SamplerIndex(DWORD sampler);

struct StreamBinding {
  ComRef<IDirect3DVertexBuffer9> buffer;
  UINT offset = 0;
  UINT stride = 0;
  UINT frequency = 1;
};

// SetFVF and SetVertexDeclaration set one state: the last call wins.
struct VertexFormat {
  DWORD fvf = 0;
  ComRef<IDirect3DVertexDeclaration9> declaration;
};

struct LightSlot {
  D3DLIGHT9 light{};
  BOOL enabled = FALSE;
};

struct DeviceState {
  std::array<DWORD, renderStateCount> renderStates{};
  std::array<std::array<DWORD, stageStateCount>, stageCount> stageStates{};
  std::array<std::array<DWORD, samplerStateCount>, samplerCount> samplerStates{};
  std::array<D3DMATRIX, transformCount> transforms{};
  std::array<ComRef<IDirect3DBaseTexture9>, samplerCount> textures;
  std::array<StreamBinding, streamCount> streams;
  ComRef<IDirect3DIndexBuffer9> indices;
  VertexFormat vertexFormat;
  D3DVIEWPORT9 viewport{};
  D3DMATERIAL9 material{};
  std::map<DWORD, LightSlot> lights;
  std::array<std::array<float, 4>, clipPlaneCount> clipPlanes{};
  RECT scissorRect{};
  float nPatchSegments = 0.0f;
  UINT currentTexturePalette = 0;

  // The defaults of a new device whose render target is width x height.
  static DeviceState Defaults(UINT width, UINT height, bool autoDepthStencil);
};

D3DMATRIX IdentityMatrix();

}  // namespace d3d9
