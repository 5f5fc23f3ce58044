// Begin and End: the device buffers, the three state-block pairs, and saving, setting and
// restoring the device states around a batch.
#include <cstring>

#include "toolkit/common/debug_mute.h"
#include "toolkit/common/safe_release.h"
#include "toolkit/sprite/sprite_batcher.h"

namespace {

constexpr DWORD knownBeginFlags = 0xFF;

constexpr D3DXMATRIX identity(1.0f, 0.0f, 0.0f, 0.0f,  //
                              0.0f, 1.0f, 0.0f, 0.0f,  //
                              0.0f, 0.0f, 1.0f, 0.0f,  //
                              0.0f, 0.0f, 0.0f, 1.0f);

// Maps render-target pixel coordinates (x, y) to clip space so that, with identity world and
// view, a vertex lands on pixel coordinate (x - 0.5, y - 0.5) whatever the viewport's origin:
// a texel drawn at an integer position then has its centre on a pixel centre. z passes
// through unchanged.
D3DXMATRIX ScreenProjection(const D3DVIEWPORT9& viewport) {
  const float x = static_cast<float>(viewport.X);
  const float y = static_cast<float>(viewport.Y);
  const float w = static_cast<float>(viewport.Width);
  const float h = static_cast<float>(viewport.Height);
  D3DXMATRIX m(0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f,  //
               0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f);
  m._11 = 2.0f / w;
  m._22 = -2.0f / h;
  m._33 = 1.0f;
  m._44 = 1.0f;
  m._41 = -(2.0f * x + 1.0f) / w - 1.0f;
  m._42 = (2.0f * y + 1.0f) / h + 1.0f;
  return m;
}

}  // namespace

HRESULT SpriteBatcher::Begin(DWORD beginFlags) {
  if (inBegin || (beginFlags & ~knownBeginFlags) != 0) return D3DERR_INVALIDCALL;
  flags = beginFlags;
  if (flags & D3DXSPRITE_BILLBOARD) flags |= D3DXSPRITE_OBJECTSPACE;
  HRESULT result = MakeDeviceBuffers();
  if (FAILED(result)) return result;
  D3DXDebugMute(TRUE);
  result = RecordStatePairs();
  if (SUCCEEDED(result)) SaveAndSetStates();
  D3DXDebugMute(FALSE);
  if (FAILED(result)) return result;
  EmptyQueue();
  inBegin = TRUE;
  return S_OK;
}

HRESULT SpriteBatcher::End() {
  if (!inBegin) return D3DERR_INVALIDCALL;
  const HRESULT result = spriteCount > 0 ? Flush() : S_OK;
  D3DXDebugMute(TRUE);
  // Restored even when Flush failed.
  RestoreStates();
  D3DXDebugMute(FALSE);
  inBegin = FALSE;
  return result;
}

// --- Device buffers --------------------------------------------------------------------------------

HRESULT SpriteBatcher::MakeDeviceBuffers() {
  if (indexBuffer == nullptr) {
    IDirect3DIndexBuffer9* made = nullptr;
    const HRESULT result = device->CreateIndexBuffer(
        indexBufferBytes, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, bufferPool, &made, nullptr);
    if (FAILED(result)) return result;
    indexBuffer = made;
    const HRESULT written = WriteQuadIndices();
    // An index buffer that could not be filled is dropped, so the next Begin tries again.
    if (FAILED(written)) {
      SafeRelease(indexBuffer);
      return written;
    }
  }
  if (vertexBuffer == nullptr) {
    IDirect3DVertexBuffer9* made = nullptr;
    const HRESULT result =
        device->CreateVertexBuffer(ringVertexCount * sizeof(SpriteVertex),
                                   D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, 0, bufferPool, &made,
                                   nullptr);
    if (FAILED(result)) return result;
    vertexBuffer = made;
    nextIndex = 0;
    nextVertex = 0;
  }
  return S_OK;
}

// Quad q is drawn as the triangles (4q, 4q+1, 4q+2) and (4q+2, 4q+1, 4q+3).
HRESULT SpriteBatcher::WriteQuadIndices() {
  void* data = nullptr;
  HRESULT result = indexBuffer->Lock(0, 0, &data, 0);
  if (FAILED(result)) return result;
  auto* indices = static_cast<BYTE*>(data);
  for (UINT q = 0; q < quadsPerDraw; ++q) {
    const WORD first = static_cast<WORD>(4 * q);
    const WORD quad[6] = {first,
                          static_cast<WORD>(first + 1),
                          static_cast<WORD>(first + 2),
                          static_cast<WORD>(first + 2),
                          static_cast<WORD>(first + 1),
                          static_cast<WORD>(first + 3)};
    std::memcpy(indices + sizeof(quad) * q, quad, sizeof(quad));
  }
  return indexBuffer->Unlock();
}

// --- State-block pairs -----------------------------------------------------------------------------

// A pair that fails to record is left unmade (both blocks null); the pairs made before it stay
// and the next Begin records the rest.
HRESULT SpriteBatcher::RecordStatePairs() {
  HRESULT result =
      RecordPair(&savedStates, &spriteStates, &SpriteBatcher::GeneralStateCalls);
  if (SUCCEEDED(result)) {
    result = RecordPair(&savedBlendStates, &blendStates, &SpriteBatcher::BlendStateCalls);
  }
  if (SUCCEEDED(result)) {
    result = RecordPair(&savedTransformStates, &transformStates,
                        &SpriteBatcher::TransformStateCalls);
  }
  return result;
}

HRESULT SpriteBatcher::RecordPair(IDirect3DStateBlock9** saved, IDirect3DStateBlock9** applied,
                                  StateCalls calls) {
  if (*saved != nullptr) return S_OK;
  IDirect3DStateBlock9* savedBlock = nullptr;
  HRESULT result = RecordBlock(calls, true, &savedBlock);
  if (FAILED(result)) return result;
  IDirect3DStateBlock9* appliedBlock = nullptr;
  result = RecordBlock(calls, false, &appliedBlock);
  if (FAILED(result)) {
    savedBlock->Release();
    return result;
  }
  SafeRelease(*applied);
  *saved = savedBlock;
  *applied = appliedBlock;
  return S_OK;
}

HRESULT SpriteBatcher::RecordBlock(StateCalls calls, bool savedPass,
                                   IDirect3DStateBlock9** block) {
  HRESULT result = device->BeginStateBlock();
  if (FAILED(result)) return result;
  (this->*calls)(savedPass);
  IDirect3DStateBlock9* recorded = nullptr;
  result = device->EndStateBlock(&recorded);
  if (FAILED(result)) return result;
  *block = recorded;
  return S_OK;
}

void SpriteBatcher::GeneralStateCalls(bool savedPass) {
  device->SetVertexDeclaration(vertexDecl);
  device->SetVertexShader(nullptr);
  device->SetPixelShader(nullptr);
  device->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
  device->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_GOURAUD);
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  device->SetRenderState(D3DRS_WRAP0, 0);
  device->SetRenderState(D3DRS_CLIPPING, TRUE);
  device->SetRenderState(D3DRS_VERTEXBLEND, D3DVBF_DISABLE);
  device->SetRenderState(D3DRS_CLIPPLANEENABLE, 0);
  device->SetNPatchMode(0.0f);
  device->SetRenderState(D3DRS_INDEXEDVERTEXBLENDENABLE, FALSE);
  device->SetRenderState(D3DRS_ENABLEADAPTIVETESSELLATION, FALSE);
  device->SetRenderState(D3DRS_SRGBWRITEENABLE, FALSE);
  device->SetRenderState(D3DRS_COLORWRITEENABLE, 0xF);
  device->SetRenderState(D3DRS_FOGENABLE, FALSE);
  device->SetRenderState(D3DRS_RANGEFOGENABLE, FALSE);
  device->SetRenderState(D3DRS_SPECULARENABLE, FALSE);
  device->SetRenderState(D3DRS_STENCILENABLE, FALSE);
  device->SetRenderState(D3DRS_LIGHTING, FALSE);
  device->SetRenderState(D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_COLOR1);
  device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
  device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
  device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
  device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
  device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
  device->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0);
  device->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
  device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
  device->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
  device->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
  device->SetSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP);
  device->SetSamplerState(0, D3DSAMP_MAGFILTER, magFilter);
  device->SetSamplerState(0, D3DSAMP_MINFILTER, minFilter);
  device->SetSamplerState(0, D3DSAMP_MIPFILTER, mipFilter);
  device->SetSamplerState(0, D3DSAMP_MIPMAPLODBIAS, 0);
  device->SetSamplerState(0, D3DSAMP_MAXMIPLEVEL, 0);
  device->SetSamplerState(0, D3DSAMP_MAXANISOTROPY, maxAnisotropy);
  device->SetSamplerState(0, D3DSAMP_SRGBTEXTURE, 0);
  if (!savedPass) return;
  // Flush binds these too; the saved block thereby keeps the caller's.
  device->SetVertexDeclaration(vertexDecl);
  device->SetStreamSource(0, nullptr, 0, 0);
  device->SetTexture(0, nullptr);
}

// Without blending, texels of alpha 63 or less are discarded and the rest drawn opaque.
void SpriteBatcher::BlendStateCalls(bool) {
  device->SetRenderState(D3DRS_ALPHATESTENABLE, alphaTestUsable);
  device->SetRenderState(D3DRS_ALPHAREF, blendUsable ? 0 : 0x3F);
  device->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATER);
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, blendUsable);
  device->SetRenderState(D3DRS_SEPARATEALPHABLENDENABLE, FALSE);
  device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  device->SetRenderState(D3DRS_BLENDOP, D3DBLENDOP_ADD);
}

// The saved pass includes the projection, which Begin replaces in screen space.
void SpriteBatcher::TransformStateCalls(bool savedPass) {
  device->SetTransform(D3DTS_WORLD, &identity);
  device->SetTransform(D3DTS_VIEW, &identity);
  if (savedPass) device->SetTransform(D3DTS_PROJECTION, &identity);
}

// --- Saving, setting and restoring -----------------------------------------------------------------

void SpriteBatcher::SaveAndSetStates() {
  const bool save = (flags & D3DXSPRITE_DONOTSAVESTATE) == 0;
  if ((flags & D3DXSPRITE_DONOTMODIFY_RENDERSTATE) == 0) {
    if (save) {
      savedStates->Capture();
      SafeRelease(savedIndices);
      IDirect3DIndexBuffer9* bound = nullptr;
      if (SUCCEEDED(device->GetIndices(&bound))) savedIndices = bound;
    }
    spriteStates->Apply();
  }
  if (flags & D3DXSPRITE_ALPHABLEND) {
    if (save) savedBlendStates->Capture();
    blendStates->Apply();
  }
  // Screen space, and billboards (whose positions are made in view space), need identity
  // world and view; only screen space needs the projection.
  const bool screenSpace = (flags & D3DXSPRITE_OBJECTSPACE) == 0;
  if (screenSpace || (flags & D3DXSPRITE_BILLBOARD)) {
    if (save) savedTransformStates->Capture();
    transformStates->Apply();
    if (screenSpace) SetScreenProjection();
  }
}

void SpriteBatcher::RestoreStates() {
  if ((flags & D3DXSPRITE_DONOTSAVESTATE) != 0) return;
  if ((flags & D3DXSPRITE_DONOTMODIFY_RENDERSTATE) == 0) {
    if (savedStates != nullptr) savedStates->Apply();
    device->SetIndices(savedIndices);
  }
  if ((flags & D3DXSPRITE_ALPHABLEND) && savedBlendStates != nullptr) savedBlendStates->Apply();
  const bool transformsSet =
      (flags & D3DXSPRITE_OBJECTSPACE) == 0 || (flags & D3DXSPRITE_BILLBOARD) != 0;
  if (transformsSet && savedTransformStates != nullptr) savedTransformStates->Apply();
}

void SpriteBatcher::SetScreenProjection() {
  // Without a viewport there is no sound projection; the caller's stays.
  D3DVIEWPORT9 viewport{};
  if (FAILED(device->GetViewport(&viewport))) return;
  const D3DXMATRIX projection = ScreenProjection(viewport);
  device->SetTransform(D3DTS_PROJECTION, &projection);
}
