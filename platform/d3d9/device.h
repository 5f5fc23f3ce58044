// The software device: state, resources, drawing and presentation of IDirect3DDevice9.
//
// Lifetime: the COM count belongs to the application. When it reaches 0 the device lets go of
// everything bound to it (textures, buffers, declaration, render targets, back buffer); the
// object itself lives on while resources made on it still exist (each keeps an internal
// count), so that their GetDevice and destruction stay safe.
//
// Recording: between BeginStateBlock and EndStateBlock the state setters only record into the
// block being made; the device's state is left as it was, as in Direct3D 9.
//
// The operations are implemented in device_*.cpp by concern.
#pragma once

#include <memory>
#include <vector>

#include "platform/d3d9/device_state.h"
#include "platform/d3d9/direct3d.h"
#include "platform/d3d9/state_block.h"
#include "platform/d3d9/surface.h"

struct SDL_Window;

namespace d3d9 {

class Presenter;
class GeometryDrawer;
struct VertexLayout;

class Device final : public ComObject<IDirect3DDevice9> {
 public:
  // Use Create; the constructor leaves the back buffer to it.
  Device(Direct3D* direct3d, const D3DDEVICE_CREATION_PARAMETERS& creation,
         const D3DPRESENT_PARAMETERS& parameters);
  // Makes the back buffer (and depth buffer when asked); failures come back as results.
  static HRESULT Create(Direct3D* direct3d, const D3DDEVICE_CREATION_PARAMETERS& creation,
                        const D3DPRESENT_PARAMETERS& parameters, IDirect3DDevice9** out);

  // --- set-up and queries (device_core.cpp) ---
  HRESULT TestCooperativeLevel() override;
  UINT GetAvailableTextureMem() override;
  HRESULT EvictManagedResources() override;
  HRESULT GetDirect3D(IDirect3D9** direct3d) override;
  HRESULT GetDeviceCaps(D3DCAPS9* caps) override;
  HRESULT GetDisplayMode(UINT swapChain, D3DDISPLAYMODE* mode) override;
  HRESULT GetCreationParameters(D3DDEVICE_CREATION_PARAMETERS* parameters) override;
  HRESULT SetCursorProperties(UINT hotSpotX, UINT hotSpotY, IDirect3DSurface9* bitmap) override;
  void SetCursorPosition(int x, int y, DWORD flags) override;
  BOOL ShowCursor(BOOL show) override;
  HRESULT CreateAdditionalSwapChain(D3DPRESENT_PARAMETERS* parameters,
                                    IDirect3DSwapChain9** swapChain) override;
  HRESULT GetSwapChain(UINT swapChain, IDirect3DSwapChain9** out) override;
  UINT GetNumberOfSwapChains() override;
  HRESULT GetRasterStatus(UINT swapChain, D3DRASTER_STATUS* status) override;
  HRESULT SetDialogBoxMode(BOOL enable) override;
  void SetGammaRamp(UINT swapChain, DWORD flags, const D3DGAMMARAMP* ramp) override;
  void GetGammaRamp(UINT swapChain, D3DGAMMARAMP* ramp) override;
  HRESULT ValidateDevice(DWORD* passes) override;
  HRESULT SetPaletteEntries(UINT palette, const PALETTEENTRY* entries) override;
  HRESULT GetPaletteEntries(UINT palette, PALETTEENTRY* entries) override;
  HRESULT SetSoftwareVertexProcessing(BOOL software) override;
  BOOL GetSoftwareVertexProcessing() override;
  HRESULT CreateQuery(D3DQUERYTYPE type, IDirect3DQuery9** query) override;

  // --- presentation (device_present.cpp) ---
  HRESULT Reset(D3DPRESENT_PARAMETERS* parameters) override;
  HRESULT Present(const RECT* sourceRect, const RECT* destRect, HWND destWindow,
                  const RGNDATA* dirtyRegion) override;
  HRESULT GetBackBuffer(UINT swapChain, UINT backBuffer, D3DBACKBUFFER_TYPE type,
                        IDirect3DSurface9** surface) override;
  HRESULT GetFrontBufferData(UINT swapChain, IDirect3DSurface9* destination) override;

  // --- resources (device_resources.cpp) ---
  HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                        D3DPOOL pool, IDirect3DTexture9** texture, HANDLE* shared) override;
  HRESULT CreateVolumeTexture(UINT width, UINT height, UINT depth, UINT levels, DWORD usage,
                              D3DFORMAT format, D3DPOOL pool, IDirect3DVolumeTexture9** texture,
                              HANDLE* shared) override;
  HRESULT CreateCubeTexture(UINT edge, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                            IDirect3DCubeTexture9** texture, HANDLE* shared) override;
  HRESULT CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                             IDirect3DVertexBuffer9** buffer, HANDLE* shared) override;
  HRESULT CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                            IDirect3DIndexBuffer9** buffer, HANDLE* shared) override;
  HRESULT CreateRenderTarget(UINT width, UINT height, D3DFORMAT format,
                             D3DMULTISAMPLE_TYPE multiSample, DWORD quality, BOOL lockable,
                             IDirect3DSurface9** surface, HANDLE* shared) override;
  HRESULT CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format,
                                    D3DMULTISAMPLE_TYPE multiSample, DWORD quality,
                                    BOOL discard, IDirect3DSurface9** surface,
                                    HANDLE* shared) override;
  HRESULT CreateOffscreenPlainSurface(UINT width, UINT height, D3DFORMAT format, D3DPOOL pool,
                                      IDirect3DSurface9** surface, HANDLE* shared) override;
  HRESULT CreateVertexDeclaration(const D3DVERTEXELEMENT9* elements,
                                  IDirect3DVertexDeclaration9** declaration) override;
  HRESULT CreateStateBlock(D3DSTATEBLOCKTYPE type, IDirect3DStateBlock9** block) override;

  // --- copies between resources (device_copies.cpp) ---
  HRESULT UpdateSurface(IDirect3DSurface9* source, const RECT* sourceRect,
                        IDirect3DSurface9* destination, const POINT* destPoint) override;
  HRESULT UpdateTexture(IDirect3DBaseTexture9* source,
                        IDirect3DBaseTexture9* destination) override;
  HRESULT GetRenderTargetData(IDirect3DSurface9* renderTarget,
                              IDirect3DSurface9* destination) override;
  HRESULT StretchRect(IDirect3DSurface9* source, const RECT* sourceRect,
                      IDirect3DSurface9* destination, const RECT* destRect,
                      D3DTEXTUREFILTERTYPE filter) override;
  HRESULT ColorFill(IDirect3DSurface9* surface, const RECT* rect, D3DCOLOR color) override;

  // --- state (device_state_calls.cpp) ---
  HRESULT SetRenderTarget(DWORD index, IDirect3DSurface9* renderTarget) override;
  HRESULT GetRenderTarget(DWORD index, IDirect3DSurface9** renderTarget) override;
  HRESULT SetDepthStencilSurface(IDirect3DSurface9* depthStencil) override;
  HRESULT GetDepthStencilSurface(IDirect3DSurface9** depthStencil) override;
  HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) override;
  HRESULT GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) override;
  HRESULT MultiplyTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) override;
  HRESULT SetViewport(const D3DVIEWPORT9* viewport) override;
  HRESULT GetViewport(D3DVIEWPORT9* viewport) override;
  HRESULT SetMaterial(const D3DMATERIAL9* material) override;
  HRESULT GetMaterial(D3DMATERIAL9* material) override;
  HRESULT SetLight(DWORD index, const D3DLIGHT9* light) override;
  HRESULT GetLight(DWORD index, D3DLIGHT9* light) override;
  HRESULT LightEnable(DWORD index, BOOL enable) override;
  HRESULT GetLightEnable(DWORD index, BOOL* enable) override;
  HRESULT SetClipPlane(DWORD index, const float* plane) override;
  HRESULT GetClipPlane(DWORD index, float* plane) override;
  HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override;
  HRESULT GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) override;
  HRESULT BeginStateBlock() override;
  HRESULT EndStateBlock(IDirect3DStateBlock9** block) override;
  HRESULT SetClipStatus(const D3DCLIPSTATUS9* status) override;
  HRESULT GetClipStatus(D3DCLIPSTATUS9* status) override;
  HRESULT GetTexture(DWORD stage, IDirect3DBaseTexture9** texture) override;
  HRESULT SetTexture(DWORD stage, IDirect3DBaseTexture9* texture) override;
  HRESULT GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type,
                               DWORD* value) override;
  HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) override;
  HRESULT GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD* value) override;
  HRESULT SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) override;
  HRESULT SetCurrentTexturePalette(UINT palette) override;
  HRESULT GetCurrentTexturePalette(UINT* palette) override;
  HRESULT SetScissorRect(const RECT* rect) override;
  HRESULT GetScissorRect(RECT* rect) override;
  HRESULT SetNPatchMode(float segments) override;
  float GetNPatchMode() override;
  HRESULT SetVertexDeclaration(IDirect3DVertexDeclaration9* declaration) override;
  HRESULT GetVertexDeclaration(IDirect3DVertexDeclaration9** declaration) override;
  HRESULT SetFVF(DWORD fvf) override;
  HRESULT GetFVF(DWORD* fvf) override;
  HRESULT SetStreamSource(UINT stream, IDirect3DVertexBuffer9* buffer, UINT offset,
                          UINT stride) override;
  HRESULT GetStreamSource(UINT stream, IDirect3DVertexBuffer9** buffer, UINT* offset,
                          UINT* stride) override;
  HRESULT SetStreamSourceFreq(UINT stream, UINT setting) override;
  HRESULT GetStreamSourceFreq(UINT stream, UINT* setting) override;
  HRESULT SetIndices(IDirect3DIndexBuffer9* indices) override;
  HRESULT GetIndices(IDirect3DIndexBuffer9** indices) override;

  // --- shaders and patches: none (device_shaders.cpp) ---
  HRESULT CreateVertexShader(const DWORD* function, IDirect3DVertexShader9** shader) override;
  HRESULT SetVertexShader(IDirect3DVertexShader9* shader) override;
  HRESULT GetVertexShader(IDirect3DVertexShader9** shader) override;
  HRESULT SetVertexShaderConstantF(UINT start, const float* data, UINT count) override;
  HRESULT GetVertexShaderConstantF(UINT start, float* data, UINT count) override;
  HRESULT SetVertexShaderConstantI(UINT start, const int* data, UINT count) override;
  HRESULT GetVertexShaderConstantI(UINT start, int* data, UINT count) override;
  HRESULT SetVertexShaderConstantB(UINT start, const BOOL* data, UINT count) override;
  HRESULT GetVertexShaderConstantB(UINT start, BOOL* data, UINT count) override;
  HRESULT CreatePixelShader(const DWORD* function, IDirect3DPixelShader9** shader) override;
  HRESULT SetPixelShader(IDirect3DPixelShader9* shader) override;
  HRESULT GetPixelShader(IDirect3DPixelShader9** shader) override;
  HRESULT SetPixelShaderConstantF(UINT start, const float* data, UINT count) override;
  HRESULT GetPixelShaderConstantF(UINT start, float* data, UINT count) override;
  HRESULT SetPixelShaderConstantI(UINT start, const int* data, UINT count) override;
  HRESULT GetPixelShaderConstantI(UINT start, int* data, UINT count) override;
  HRESULT SetPixelShaderConstantB(UINT start, const BOOL* data, UINT count) override;
  HRESULT GetPixelShaderConstantB(UINT start, BOOL* data, UINT count) override;
  HRESULT DrawRectPatch(UINT handle, const float* segments,
                        const D3DRECTPATCH_INFO* info) override;
  HRESULT DrawTriPatch(UINT handle, const float* segments, const D3DTRIPATCH_INFO* info) override;
  HRESULT DeletePatch(UINT handle) override;
  HRESULT ProcessVertices(UINT sourceStart, UINT destIndex, UINT count,
                          IDirect3DVertexBuffer9* destination,
                          IDirect3DVertexDeclaration9* declaration, DWORD flags) override;

  // --- drawing (device_draw.cpp) ---
  HRESULT BeginScene() override;
  HRESULT EndScene() override;
  HRESULT Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z,
                DWORD stencil) override;
  HRESULT DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount) override;
  HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE type, INT baseVertexIndex, UINT minVertexIndex,
                               UINT numVertices, UINT startIndex, UINT primitiveCount) override;
  HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount, const void* vertexData,
                          UINT vertexStride) override;
  HRESULT DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, UINT minVertexIndex, UINT numVertices,
                                 UINT primitiveCount, const void* indexData,
                                 D3DFORMAT indexFormat, const void* vertexData,
                                 UINT vertexStride) override;

  // --- for the runtime's own objects ---
  HRESULT Enter(const char* operation, std::initializer_list<std::int64_t> arguments) {
    return setup ? setup->Enter(operation, arguments) : S_OK;
  }
  void RetainInternally() { ++internalCount; }
  void ReleaseInternally();
  DeviceState& State() { return state; }
  const AdapterProfile& Profile() const { return direct3d->Profile(); }
  const PresentedFrame& LastFrame() const { return presentedFrame; }
  bool HasPresented() const { return presented; }
  // Objects made on the device that are still alive, each holding it through a DeviceLink.
  ULONG ObjectsMadeAlive() const { return internalCount; }
  // Pairs of triangles the rectangle path has drawn, over the device's life.
  std::uint64_t RectanglesTaken() const { return rectanglesTaken; }

 private:
  ~Device() override;
  void LastReleased() override;
  void DropEverything();
  HRESULT MakeSwapChainSurfaces();
  StateBlock* Recording() const { return recording.Get(); }

  // Shared argument checks and the common body of the draw calls: validated, prepared (the
  // rasteriser's state) and dispatched (vertices processed, primitives drawn).
  struct VertexSource;
  struct DrawCall;
  struct DrawState;
  HRESULT Draw(D3DPRIMITIVETYPE type, UINT primitiveCount, const VertexSource& vertices,
               const void* indices, D3DFORMAT indexFormat, std::uint64_t indexCount);
  // Refuses counts past the caps, indices past MaxVertexIndex and vertices outside the streams.
  HRESULT ValidateDraw(DrawCall& call) const;
  // E_OUTOFMEMORY when the stages' state or a texture's decoded copy cannot be had.
  HRESULT PrepareDraw(const DrawCall& call, Image& target, DrawState* out);
  HRESULT PrepareTextures(const DrawCall& call, DrawState* out) const;
  HRESULT DispatchDraw(const DrawCall& call, const DrawState& prepared);
  HRESULT DrawSparse(GeometryDrawer& drawer, const VertexLayout& layout,
                     const VertexSource& source, const void* indices, D3DFORMAT indexFormat,
                     UINT count, D3DPRIMITIVETYPE type, UINT primitiveCount);
  HRESULT CheckTextureArguments(UINT width, UINT height, UINT depth, DWORD usage,
                                D3DFORMAT format, D3DPOOL pool, D3DRESOURCETYPE type) const;
  UINT LevelCountFor(UINT levels, DWORD usage, UINT width, UINT height, UINT depth) const;

  ComRef<IDirect3D9> direct3dReference;
  Direct3D* direct3d;
  std::shared_ptr<TestSetup> setup;
  D3DDEVICE_CREATION_PARAMETERS creation;
  D3DPRESENT_PARAMETERS parameters;
  DeviceState state;
  ComRef<IDirect3DSurface9> backBuffer;
  ComRef<IDirect3DSurface9> renderTarget;
  ComRef<IDirect3DSurface9> depthStencil;
  ComRef<StateBlock> recording;
  std::vector<PALETTEENTRY> palettes;  // 256 entries per palette number
  std::unique_ptr<Presenter> presenter;
  PresentedFrame presentedFrame;
  bool presented = false;
  bool inScene = false;
  bool dropped = false;
  BOOL softwareVertexProcessing = FALSE;
  D3DCLIPSTATUS9 clipStatus{};
  ULONG internalCount = 0;
  std::uint64_t rectanglesTaken = 0;
};

// The runtime's own device behind an interface pointer; null for a foreign object.
Device* AsDevice(IDirect3DDevice9* device);
// The runtime's own surface behind an interface pointer, if it was made on `device`.
Surface* AsSurfaceOf(Device* device, IDirect3DSurface9* surface);

}  // namespace d3d9
