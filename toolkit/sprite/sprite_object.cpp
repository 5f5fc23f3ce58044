// Creation, reference counting, the transforms and device loss of the sprite object.
#include <new>

#include "toolkit/common/allocation.h"
#include "toolkit/common/safe_release.h"
#include "toolkit/sprite/sprite_batcher.h"

namespace {

// Position, colour and texture coordinate of SpriteVertex, all in stream 0.
constexpr D3DVERTEXELEMENT9 spriteVertexElements[] = {
    {0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
    {0, 12, D3DDECLTYPE_D3DCOLOR, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_COLOR, 0},
    {0, 16, D3DDECLTYPE_FLOAT2, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 0},
    D3DDECL_END};

bool IsIdentity(const D3DXMATRIX& m) {
  for (int row = 0; row < 4; ++row) {
    for (int column = 0; column < 4; ++column) {
      if (m.m[row][column] != (row == column ? 1.0f : 0.0f)) return false;
    }
  }
  return true;
}

}  // namespace

HRESULT D3DXCreateSprite(IDirect3DDevice9* device, ID3DXSprite** out) {
  return SpriteBatcher::Create(device, out);
}

HRESULT SpriteBatcher::Create(IDirect3DDevice9* device, ID3DXSprite** out) {
  if (device == nullptr || out == nullptr) return D3DERR_INVALIDCALL;
  void* memory = AllocateBytes(sizeof(SpriteBatcher));
  if (memory == nullptr) return E_OUTOFMEMORY;
  SpriteBatcher* sprite = new (memory) SpriteBatcher;
  const HRESULT result = sprite->Initialise(device);
  if (FAILED(result)) {
    sprite->Release();
    return result;
  }
  *out = sprite;
  return S_OK;
}

HRESULT SpriteBatcher::Initialise(IDirect3DDevice9* owner) {
  device = owner;
  device->AddRef();
  IDirect3D9* direct3d = nullptr;
  HRESULT result = device->GetDirect3D(&direct3d);
  if (FAILED(result)) return result;
  d3d = direct3d;
  IDirect3DVertexDeclaration9* declaration = nullptr;
  result = device->CreateVertexDeclaration(spriteVertexElements, &declaration);
  if (FAILED(result)) return result;
  vertexDecl = declaration;
  ReadCapabilities();
  matrices = static_cast<Matrices*>(AllocateBytes(sizeof(Matrices)));
  if (matrices == nullptr) return E_OUTOFMEMORY;
  D3DXMatrixIdentity(&matrices->transform);
  D3DXMatrixIdentity(&matrices->worldView);
  D3DXMatrixIdentity(&matrices->billboardMatrix);
  viewDirection = D3DXVECTOR3(0.0f, 0.0f, -1.0f);
  transformIsIdentity = TRUE;
  billboardValid = FALSE;
  return OnResetDevice();
}

// A device that cannot report its capabilities or creation parameters leaves them zero: the
// plainest filters, no alpha test, buffers in the default pool.
void SpriteBatcher::ReadCapabilities() {
  D3DCAPS9 caps{};
  device->GetDeviceCaps(&caps);
  deviceType = caps.DeviceType;
  adapterOrdinal = caps.AdapterOrdinal;
  const DWORD filters = caps.TextureFilterCaps;
  magFilter = (filters & D3DPTFILTERCAPS_MAGFANISOTROPIC) ? D3DTEXF_ANISOTROPIC : D3DTEXF_LINEAR;
  minFilter = (filters & D3DPTFILTERCAPS_MINFANISOTROPIC) ? D3DTEXF_ANISOTROPIC : D3DTEXF_LINEAR;
  mipFilter = (filters & D3DPTFILTERCAPS_MIPFLINEAR) ? D3DTEXF_LINEAR : D3DTEXF_POINT;
  maxAnisotropy = caps.MaxAnisotropy;
  alphaTestUsable = (caps.AlphaCmpCaps & D3DPCMPCAPS_GREATER) ? TRUE : FALSE;

  D3DDEVICE_CREATION_PARAMETERS creation{};
  device->GetCreationParameters(&creation);
  // Buffers read by software vertex processing live in system memory.
  constexpr DWORD softwareProcessing =
      D3DCREATE_SOFTWARE_VERTEXPROCESSING | D3DCREATE_MIXED_VERTEXPROCESSING;
  bufferPool = (creation.BehaviorFlags & softwareProcessing) ? D3DPOOL_SYSTEMMEM : D3DPOOL_DEFAULT;
}

// Queued sprites are dropped undrawn and no device state is restored.
SpriteBatcher::~SpriteBatcher() {
  ReleaseDeviceResources();
  SafeRelease(vertexDecl);
  SafeRelease(device);
  SafeRelease(d3d);
  FreeBytes(matrices);
  FreeQueue();
}

// --- IUnknown ------------------------------------------------------------------------------------

HRESULT SpriteBatcher::GetDevice(IDirect3DDevice9** out) {
  if (out == nullptr) return D3DERR_INVALIDCALL;
  device->AddRef();
  *out = device;
  return S_OK;
}

// --- Transforms ----------------------------------------------------------------------------------

HRESULT SpriteBatcher::GetTransform(D3DXMATRIX* out) {
  if (out == nullptr) return D3DERR_INVALIDCALL;
  *out = matrices->transform;
  return S_OK;
}

HRESULT SpriteBatcher::SetTransform(const D3DXMATRIX* m) {
  if (m == nullptr) return D3DERR_INVALIDCALL;
  // The sprites queued so far keep the transform that was in force when they were drawn.
  if (inBegin) ApplyDeferredTransform();
  matrices->transform = *m;
  transformIsIdentity = IsIdentity(*m) ? TRUE : FALSE;
  billboardValid = FALSE;
  return S_OK;
}

HRESULT SpriteBatcher::SetWorldViewRH(const D3DXMATRIX* world, const D3DXMATRIX* view) {
  return SetWorldView(world, view, -1.0f);
}

HRESULT SpriteBatcher::SetWorldViewLH(const D3DXMATRIX* world, const D3DXMATRIX* view) {
  return SetWorldView(world, view, 1.0f);
}

// The viewer looks along the third column of world x view: toward -z in a right-handed
// system, toward +z in a left-handed one.
HRESULT SpriteBatcher::SetWorldView(const D3DXMATRIX* world, const D3DXMATRIX* view,
                                    float directionSign) {
  if (inBegin) return D3DERR_INVALIDCALL;
  D3DXMATRIX& worldView = matrices->worldView;
  if (world != nullptr && view != nullptr) {
    D3DXMatrixMultiply(&worldView, world, view);
  } else if (world != nullptr || view != nullptr) {
    worldView = world != nullptr ? *world : *view;
  } else {
    D3DXMatrixIdentity(&worldView);
  }
  const D3DXVECTOR3 column(directionSign * worldView._13, directionSign * worldView._23,
                           directionSign * worldView._33);
  D3DXVec3Normalize(&viewDirection, &column);
  billboardValid = FALSE;
  return S_OK;
}

// --- Device loss ---------------------------------------------------------------------------------

// The declaration, the matrices and the queue arrays survive; the next Begin makes the rest.
HRESULT SpriteBatcher::OnLostDevice() {
  inBegin = FALSE;
  ReleaseDeviceResources();
  return S_OK;
}

void SpriteBatcher::ReleaseDeviceResources() {
  SafeRelease(indexBuffer);
  SafeRelease(vertexBuffer);
  SafeRelease(savedIndices);
  SafeRelease(savedStates);
  SafeRelease(spriteStates);
  SafeRelease(savedBlendStates);
  SafeRelease(blendStates);
  SafeRelease(savedTransformStates);
  SafeRelease(transformStates);
}

// Whether the render target can blend decides the blend pair recorded at the next Begin.
HRESULT SpriteBatcher::OnResetDevice() {
  inBegin = FALSE;
  blendUsable = TRUE;
  IDirect3DSurface9* target = nullptr;
  if (FAILED(device->GetRenderTarget(0, &target))) return S_OK;
  D3DSURFACE_DESC desc{};
  target->GetDesc(&desc);
  D3DDISPLAYMODE mode{};
  device->GetDisplayMode(0, &mode);
  constexpr DWORD blendingTarget = D3DUSAGE_RENDERTARGET | D3DUSAGE_QUERY_POSTPIXELSHADER_BLENDING;
  if (FAILED(d3d->CheckDeviceFormat(adapterOrdinal, deviceType, mode.Format, blendingTarget,
                                    D3DRTYPE_SURFACE, desc.Format))) {
    blendUsable = FALSE;
  }
  target->Release();
  return S_OK;
}
