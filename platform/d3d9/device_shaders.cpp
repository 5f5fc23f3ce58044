// Shaders, patches and vertex processing into buffers: this device has the fixed-function
// pipeline only, so the shader slots take NULL and nothing else.
#include "platform/d3d9/device.h"

namespace d3d9 {

HRESULT Device::CreateVertexShader(const DWORD*, IDirect3DVertexShader9**) {
  return D3DERR_INVALIDCALL;
}

HRESULT Device::SetVertexShader(IDirect3DVertexShader9* shader) {
  const HRESULT entered = Enter("SetVertexShader", {Arg(shader)});
  if (FAILED(entered)) return entered;
  if (shader != nullptr) return D3DERR_INVALIDCALL;
  if (recording) recording->RecordVertexShader();
  return S_OK;
}

HRESULT Device::GetVertexShader(IDirect3DVertexShader9** shader) {
  if (shader == nullptr) return D3DERR_INVALIDCALL;
  *shader = nullptr;
  return S_OK;
}

HRESULT Device::CreatePixelShader(const DWORD*, IDirect3DPixelShader9**) {
  return D3DERR_INVALIDCALL;
}

HRESULT Device::SetPixelShader(IDirect3DPixelShader9* shader) {
  const HRESULT entered = Enter("SetPixelShader", {Arg(shader)});
  if (FAILED(entered)) return entered;
  if (shader != nullptr) return D3DERR_INVALIDCALL;
  if (recording) recording->RecordPixelShader();
  return S_OK;
}

HRESULT Device::GetPixelShader(IDirect3DPixelShader9** shader) {
  if (shader == nullptr) return D3DERR_INVALIDCALL;
  *shader = nullptr;
  return S_OK;
}

// Constants have no shader to feed.
HRESULT Device::SetVertexShaderConstantF(UINT, const float*, UINT) { return D3DERR_INVALIDCALL; }
HRESULT Device::GetVertexShaderConstantF(UINT, float*, UINT) { return D3DERR_INVALIDCALL; }
HRESULT Device::SetVertexShaderConstantI(UINT, const int*, UINT) { return D3DERR_INVALIDCALL; }
HRESULT Device::GetVertexShaderConstantI(UINT, int*, UINT) { return D3DERR_INVALIDCALL; }
HRESULT Device::SetVertexShaderConstantB(UINT, const BOOL*, UINT) { return D3DERR_INVALIDCALL; }
HRESULT Device::GetVertexShaderConstantB(UINT, BOOL*, UINT) { return D3DERR_INVALIDCALL; }
HRESULT Device::SetPixelShaderConstantF(UINT, const float*, UINT) { return D3DERR_INVALIDCALL; }
HRESULT Device::GetPixelShaderConstantF(UINT, float*, UINT) { return D3DERR_INVALIDCALL; }
HRESULT Device::SetPixelShaderConstantI(UINT, const int*, UINT) { return D3DERR_INVALIDCALL; }
HRESULT Device::GetPixelShaderConstantI(UINT, int*, UINT) { return D3DERR_INVALIDCALL; }
HRESULT Device::SetPixelShaderConstantB(UINT, const BOOL*, UINT) { return D3DERR_INVALIDCALL; }
HRESULT Device::GetPixelShaderConstantB(UINT, BOOL*, UINT) { return D3DERR_INVALIDCALL; }

HRESULT Device::DrawRectPatch(UINT, const float*, const D3DRECTPATCH_INFO*) {
  return D3DERR_INVALIDCALL;
}
HRESULT Device::DrawTriPatch(UINT, const float*, const D3DTRIPATCH_INFO*) {
  return D3DERR_INVALIDCALL;
}
HRESULT Device::DeletePatch(UINT) { return D3DERR_INVALIDCALL; }

HRESULT Device::ProcessVertices(UINT, UINT, UINT, IDirect3DVertexBuffer9*,
                                IDirect3DVertexDeclaration9*, DWORD) {
  return D3DERR_INVALIDCALL;
}

}  // namespace d3d9
