// The COM interfaces of the Direct3D 9 runtime with their published identifiers, each with its
// operations in the published slot order.
#pragma once

#include "platform/d3d9/caps.h"
#include "platform/d3d9/records.h"
#include "platform/d3d9/render_states.h"
#include "platform/win32/types.h"

inline constexpr IID IID_IDirect3D9 = {
    0x81BDCBCA, 0x64D4, 0x426D, {0xAE, 0x8D, 0xAD, 0x01, 0x47, 0xF4, 0x27, 0x5C}};
inline constexpr IID IID_IDirect3DDevice9 = {
    0xD0223B96, 0xBF7A, 0x43FD, {0x92, 0xBD, 0xA4, 0x3B, 0x0D, 0x82, 0xB9, 0xEB}};
inline constexpr IID IID_IDirect3DResource9 = {
    0x05EEC05D, 0x8F7D, 0x4362, {0xB9, 0x99, 0xD1, 0xBA, 0xF3, 0x57, 0xC7, 0x04}};
inline constexpr IID IID_IDirect3DBaseTexture9 = {
    0x580CA87E, 0x1D3C, 0x4D54, {0x99, 0x1D, 0xB7, 0xD3, 0xE3, 0xC2, 0x98, 0xCE}};
inline constexpr IID IID_IDirect3DTexture9 = {
    0x85C31227, 0x3DE5, 0x4F00, {0x9B, 0x3A, 0xF1, 0x1A, 0xC3, 0x8C, 0x18, 0xB5}};
inline constexpr IID IID_IDirect3DCubeTexture9 = {
    0xFFF32F81, 0xD953, 0x473A, {0x92, 0x23, 0x93, 0xD6, 0x52, 0xAB, 0xA9, 0x3F}};
inline constexpr IID IID_IDirect3DVolumeTexture9 = {
    0x2518526C, 0xE789, 0x4111, {0xA7, 0xB9, 0x47, 0xEF, 0x32, 0x8D, 0x13, 0xE6}};
inline constexpr IID IID_IDirect3DSurface9 = {
    0x0CFBAF3A, 0x9FF6, 0x429A, {0x99, 0xB3, 0xA2, 0x79, 0x6A, 0xF8, 0xB8, 0x9B}};
inline constexpr IID IID_IDirect3DVolume9 = {
    0x24F416E6, 0x1F67, 0x4AA7, {0xB8, 0x8E, 0xD3, 0x3F, 0x6F, 0x31, 0x28, 0xA1}};
inline constexpr IID IID_IDirect3DVertexBuffer9 = {
    0xB64BB1B5, 0xFD70, 0x4DF6, {0xBF, 0x91, 0x19, 0xD0, 0xA1, 0x24, 0x55, 0xE3}};
inline constexpr IID IID_IDirect3DIndexBuffer9 = {
    0x7C9DD65E, 0xD3F7, 0x4529, {0xAC, 0xEE, 0x78, 0x58, 0x30, 0xAC, 0xDE, 0x35}};
inline constexpr IID IID_IDirect3DVertexDeclaration9 = {
    0xDD13C59C, 0x36FA, 0x4098, {0xA8, 0xFB, 0xC7, 0xED, 0x39, 0xDC, 0x85, 0x46}};
inline constexpr IID IID_IDirect3DStateBlock9 = {
    0xB07C4FE5, 0x310D, 0x4BA8, {0xA2, 0x3C, 0x4F, 0x0F, 0x20, 0x6F, 0x21, 0x8B}};
inline constexpr IID IID_IDirect3DSwapChain9 = {
    0x794950F2, 0xADFC, 0x458A, {0x90, 0x5E, 0x10, 0xA1, 0x0B, 0x0B, 0x50, 0x3B}};
inline constexpr IID IID_IDirect3DVertexShader9 = {
    0xEFC5557E, 0x6265, 0x4613, {0x8A, 0x94, 0x43, 0x85, 0x78, 0x89, 0xEB, 0x36}};
inline constexpr IID IID_IDirect3DPixelShader9 = {
    0x6D3BDBDC, 0x5B02, 0x4415, {0xB8, 0x52, 0xCE, 0x5E, 0x8B, 0xCC, 0xB2, 0x89}};
inline constexpr IID IID_IDirect3DQuery9 = {
    0xD9771460, 0xA695, 0x4F26, {0xBB, 0xD3, 0x27, 0xB8, 0x40, 0xB5, 0x41, 0xCC}};

struct IDirect3D9;
struct IDirect3DDevice9;
struct IDirect3DSurface9;
struct IDirect3DVolume9;
struct IDirect3DSwapChain9;
struct IDirect3DVertexShader9;
struct IDirect3DPixelShader9;
struct IDirect3DQuery9;

struct IDirect3DResource9 : IUnknown {
  virtual HRESULT GetDevice(IDirect3DDevice9** device) = 0;
  virtual HRESULT SetPrivateData(REFGUID guid, const void* data, DWORD size, DWORD flags) = 0;
  virtual HRESULT GetPrivateData(REFGUID guid, void* data, DWORD* size) = 0;
  virtual HRESULT FreePrivateData(REFGUID guid) = 0;
  virtual DWORD SetPriority(DWORD priority) = 0;
  virtual DWORD GetPriority() = 0;
  virtual void PreLoad() = 0;
  virtual D3DRESOURCETYPE GetType() = 0;

 protected:
  ~IDirect3DResource9() = default;
};

struct IDirect3DBaseTexture9 : IDirect3DResource9 {
  virtual DWORD SetLOD(DWORD lod) = 0;
  virtual DWORD GetLOD() = 0;
  virtual DWORD GetLevelCount() = 0;
  virtual HRESULT SetAutoGenFilterType(D3DTEXTUREFILTERTYPE filter) = 0;
  virtual D3DTEXTUREFILTERTYPE GetAutoGenFilterType() = 0;
  virtual void GenerateMipSubLevels() = 0;

 protected:
  ~IDirect3DBaseTexture9() = default;
};

struct IDirect3DTexture9 : IDirect3DBaseTexture9 {
  virtual HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) = 0;
  virtual HRESULT GetSurfaceLevel(UINT level, IDirect3DSurface9** surface) = 0;
  virtual HRESULT LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) = 0;
  virtual HRESULT UnlockRect(UINT level) = 0;
  virtual HRESULT AddDirtyRect(const RECT* rect) = 0;

 protected:
  ~IDirect3DTexture9() = default;
};

struct IDirect3DCubeTexture9 : IDirect3DBaseTexture9 {
  virtual HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) = 0;
  virtual HRESULT GetCubeMapSurface(D3DCUBEMAP_FACES face, UINT level,
                                    IDirect3DSurface9** surface) = 0;
  virtual HRESULT LockRect(D3DCUBEMAP_FACES face, UINT level, D3DLOCKED_RECT* locked,
                           const RECT* rect, DWORD flags) = 0;
  virtual HRESULT UnlockRect(D3DCUBEMAP_FACES face, UINT level) = 0;
  virtual HRESULT AddDirtyRect(D3DCUBEMAP_FACES face, const RECT* rect) = 0;

 protected:
  ~IDirect3DCubeTexture9() = default;
};

struct IDirect3DVolumeTexture9 : IDirect3DBaseTexture9 {
  virtual HRESULT GetLevelDesc(UINT level, D3DVOLUME_DESC* desc) = 0;
  virtual HRESULT GetVolumeLevel(UINT level, IDirect3DVolume9** volume) = 0;
  virtual HRESULT LockBox(UINT level, D3DLOCKED_BOX* locked, const D3DBOX* box, DWORD flags) = 0;
  virtual HRESULT UnlockBox(UINT level) = 0;
  virtual HRESULT AddDirtyBox(const D3DBOX* box) = 0;

 protected:
  ~IDirect3DVolumeTexture9() = default;
};

struct IDirect3DSurface9 : IDirect3DResource9 {
  virtual HRESULT GetContainer(REFIID riid, void** container) = 0;
  virtual HRESULT GetDesc(D3DSURFACE_DESC* desc) = 0;
  virtual HRESULT LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) = 0;
  virtual HRESULT UnlockRect() = 0;
  virtual HRESULT GetDC(HDC* dc) = 0;
  virtual HRESULT ReleaseDC(HDC dc) = 0;

 protected:
  ~IDirect3DSurface9() = default;
};

struct IDirect3DVolume9 : IUnknown {
  virtual HRESULT GetDevice(IDirect3DDevice9** device) = 0;
  virtual HRESULT SetPrivateData(REFGUID guid, const void* data, DWORD size, DWORD flags) = 0;
  virtual HRESULT GetPrivateData(REFGUID guid, void* data, DWORD* size) = 0;
  virtual HRESULT FreePrivateData(REFGUID guid) = 0;
  virtual HRESULT GetContainer(REFIID riid, void** container) = 0;
  virtual HRESULT GetDesc(D3DVOLUME_DESC* desc) = 0;
  virtual HRESULT LockBox(D3DLOCKED_BOX* locked, const D3DBOX* box, DWORD flags) = 0;
  virtual HRESULT UnlockBox() = 0;

 protected:
  ~IDirect3DVolume9() = default;
};

struct IDirect3DVertexBuffer9 : IDirect3DResource9 {
  virtual HRESULT Lock(UINT offset, UINT size, void** data, DWORD flags) = 0;
  virtual HRESULT Unlock() = 0;
  virtual HRESULT GetDesc(D3DVERTEXBUFFER_DESC* desc) = 0;

 protected:
  ~IDirect3DVertexBuffer9() = default;
};

struct IDirect3DIndexBuffer9 : IDirect3DResource9 {
  virtual HRESULT Lock(UINT offset, UINT size, void** data, DWORD flags) = 0;
  virtual HRESULT Unlock() = 0;
  virtual HRESULT GetDesc(D3DINDEXBUFFER_DESC* desc) = 0;

 protected:
  ~IDirect3DIndexBuffer9() = default;
};

struct IDirect3DVertexDeclaration9 : IUnknown {
  virtual HRESULT GetDevice(IDirect3DDevice9** device) = 0;
  // With null elements only the count (terminator included) is written.
  virtual HRESULT GetDeclaration(D3DVERTEXELEMENT9* elements, UINT* count) = 0;

 protected:
  ~IDirect3DVertexDeclaration9() = default;
};

struct IDirect3DStateBlock9 : IUnknown {
  virtual HRESULT GetDevice(IDirect3DDevice9** device) = 0;
  virtual HRESULT Capture() = 0;
  virtual HRESULT Apply() = 0;

 protected:
  ~IDirect3DStateBlock9() = default;
};

struct IDirect3D9 : IUnknown {
  virtual HRESULT RegisterSoftwareDevice(void* initializeFunction) = 0;
  virtual UINT GetAdapterCount() = 0;
  virtual HRESULT GetAdapterIdentifier(UINT adapter, DWORD flags,
                                       D3DADAPTER_IDENTIFIER9* identifier) = 0;
  virtual UINT GetAdapterModeCount(UINT adapter, D3DFORMAT format) = 0;
  virtual HRESULT EnumAdapterModes(UINT adapter, D3DFORMAT format, UINT mode,
                                   D3DDISPLAYMODE* displayMode) = 0;
  virtual HRESULT GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) = 0;
  virtual HRESULT CheckDeviceType(UINT adapter, D3DDEVTYPE deviceType, D3DFORMAT adapterFormat,
                                  D3DFORMAT backBufferFormat, BOOL windowed) = 0;
  virtual HRESULT CheckDeviceFormat(UINT adapter, D3DDEVTYPE deviceType, D3DFORMAT adapterFormat,
                                    DWORD usage, D3DRESOURCETYPE resourceType,
                                    D3DFORMAT checkFormat) = 0;
  virtual HRESULT CheckDeviceMultiSampleType(UINT adapter, D3DDEVTYPE deviceType,
                                             D3DFORMAT surfaceFormat, BOOL windowed,
                                             D3DMULTISAMPLE_TYPE multiSampleType,
                                             DWORD* qualityLevels) = 0;
  virtual HRESULT CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE deviceType,
                                         D3DFORMAT adapterFormat, D3DFORMAT renderTargetFormat,
                                         D3DFORMAT depthStencilFormat) = 0;
  virtual HRESULT CheckDeviceFormatConversion(UINT adapter, D3DDEVTYPE deviceType,
                                              D3DFORMAT sourceFormat, D3DFORMAT targetFormat) = 0;
  virtual HRESULT GetDeviceCaps(UINT adapter, D3DDEVTYPE deviceType, D3DCAPS9* caps) = 0;
  virtual HMONITOR GetAdapterMonitor(UINT adapter) = 0;
  virtual HRESULT CreateDevice(UINT adapter, D3DDEVTYPE deviceType, HWND focusWindow,
                               DWORD behaviorFlags, D3DPRESENT_PARAMETERS* parameters,
                               IDirect3DDevice9** device) = 0;

 protected:
  ~IDirect3D9() = default;
};

struct IDirect3DDevice9 : IUnknown {
  virtual HRESULT TestCooperativeLevel() = 0;
  virtual UINT GetAvailableTextureMem() = 0;
  virtual HRESULT EvictManagedResources() = 0;
  virtual HRESULT GetDirect3D(IDirect3D9** direct3d) = 0;
  virtual HRESULT GetDeviceCaps(D3DCAPS9* caps) = 0;
  virtual HRESULT GetDisplayMode(UINT swapChain, D3DDISPLAYMODE* mode) = 0;
  virtual HRESULT GetCreationParameters(D3DDEVICE_CREATION_PARAMETERS* parameters) = 0;
  virtual HRESULT SetCursorProperties(UINT hotSpotX, UINT hotSpotY,
                                      IDirect3DSurface9* cursorBitmap) = 0;
  virtual void SetCursorPosition(int x, int y, DWORD flags) = 0;
  virtual BOOL ShowCursor(BOOL show) = 0;
  virtual HRESULT CreateAdditionalSwapChain(D3DPRESENT_PARAMETERS* parameters,
                                            IDirect3DSwapChain9** swapChain) = 0;
  virtual HRESULT GetSwapChain(UINT swapChain, IDirect3DSwapChain9** out) = 0;
  virtual UINT GetNumberOfSwapChains() = 0;
  virtual HRESULT Reset(D3DPRESENT_PARAMETERS* parameters) = 0;
  virtual HRESULT Present(const RECT* sourceRect, const RECT* destRect, HWND destWindow,
                          const RGNDATA* dirtyRegion) = 0;
  virtual HRESULT GetBackBuffer(UINT swapChain, UINT backBuffer, D3DBACKBUFFER_TYPE type,
                                IDirect3DSurface9** surface) = 0;
  virtual HRESULT GetRasterStatus(UINT swapChain, D3DRASTER_STATUS* status) = 0;
  virtual HRESULT SetDialogBoxMode(BOOL enable) = 0;
  virtual void SetGammaRamp(UINT swapChain, DWORD flags, const D3DGAMMARAMP* ramp) = 0;
  virtual void GetGammaRamp(UINT swapChain, D3DGAMMARAMP* ramp) = 0;
  virtual HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage,
                                D3DFORMAT format, D3DPOOL pool, IDirect3DTexture9** texture,
                                HANDLE* sharedHandle) = 0;
  virtual HRESULT CreateVolumeTexture(UINT width, UINT height, UINT depth, UINT levels,
                                      DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                      IDirect3DVolumeTexture9** texture,
                                      HANDLE* sharedHandle) = 0;
  virtual HRESULT CreateCubeTexture(UINT edgeLength, UINT levels, DWORD usage, D3DFORMAT format,
                                    D3DPOOL pool, IDirect3DCubeTexture9** texture,
                                    HANDLE* sharedHandle) = 0;
  virtual HRESULT CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                     IDirect3DVertexBuffer9** buffer, HANDLE* sharedHandle) = 0;
  virtual HRESULT CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                    IDirect3DIndexBuffer9** buffer, HANDLE* sharedHandle) = 0;
  virtual HRESULT CreateRenderTarget(UINT width, UINT height, D3DFORMAT format,
                                     D3DMULTISAMPLE_TYPE multiSample, DWORD multiSampleQuality,
                                     BOOL lockable, IDirect3DSurface9** surface,
                                     HANDLE* sharedHandle) = 0;
  virtual HRESULT CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format,
                                            D3DMULTISAMPLE_TYPE multiSample,
                                            DWORD multiSampleQuality, BOOL discard,
                                            IDirect3DSurface9** surface,
                                            HANDLE* sharedHandle) = 0;
  virtual HRESULT UpdateSurface(IDirect3DSurface9* source, const RECT* sourceRect,
                                IDirect3DSurface9* destination, const POINT* destPoint) = 0;
  virtual HRESULT UpdateTexture(IDirect3DBaseTexture9* source,
                                IDirect3DBaseTexture9* destination) = 0;
  virtual HRESULT GetRenderTargetData(IDirect3DSurface9* renderTarget,
                                      IDirect3DSurface9* destination) = 0;
  virtual HRESULT GetFrontBufferData(UINT swapChain, IDirect3DSurface9* destination) = 0;
  virtual HRESULT StretchRect(IDirect3DSurface9* source, const RECT* sourceRect,
                              IDirect3DSurface9* destination, const RECT* destRect,
                              D3DTEXTUREFILTERTYPE filter) = 0;
  virtual HRESULT ColorFill(IDirect3DSurface9* surface, const RECT* rect, D3DCOLOR color) = 0;
  virtual HRESULT CreateOffscreenPlainSurface(UINT width, UINT height, D3DFORMAT format,
                                              D3DPOOL pool, IDirect3DSurface9** surface,
                                              HANDLE* sharedHandle) = 0;
  virtual HRESULT SetRenderTarget(DWORD index, IDirect3DSurface9* renderTarget) = 0;
  virtual HRESULT GetRenderTarget(DWORD index, IDirect3DSurface9** renderTarget) = 0;
  virtual HRESULT SetDepthStencilSurface(IDirect3DSurface9* depthStencil) = 0;
  virtual HRESULT GetDepthStencilSurface(IDirect3DSurface9** depthStencil) = 0;
  virtual HRESULT BeginScene() = 0;
  virtual HRESULT EndScene() = 0;
  virtual HRESULT Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z,
                        DWORD stencil) = 0;
  virtual HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) = 0;
  virtual HRESULT GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) = 0;
  virtual HRESULT MultiplyTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) = 0;
  virtual HRESULT SetViewport(const D3DVIEWPORT9* viewport) = 0;
  virtual HRESULT GetViewport(D3DVIEWPORT9* viewport) = 0;
  virtual HRESULT SetMaterial(const D3DMATERIAL9* material) = 0;
  virtual HRESULT GetMaterial(D3DMATERIAL9* material) = 0;
  virtual HRESULT SetLight(DWORD index, const D3DLIGHT9* light) = 0;
  virtual HRESULT GetLight(DWORD index, D3DLIGHT9* light) = 0;
  virtual HRESULT LightEnable(DWORD index, BOOL enable) = 0;
  virtual HRESULT GetLightEnable(DWORD index, BOOL* enable) = 0;
  virtual HRESULT SetClipPlane(DWORD index, const float* plane) = 0;
  virtual HRESULT GetClipPlane(DWORD index, float* plane) = 0;
  virtual HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) = 0;
  virtual HRESULT GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) = 0;
  virtual HRESULT CreateStateBlock(D3DSTATEBLOCKTYPE type, IDirect3DStateBlock9** block) = 0;
  virtual HRESULT BeginStateBlock() = 0;
  virtual HRESULT EndStateBlock(IDirect3DStateBlock9** block) = 0;
  virtual HRESULT SetClipStatus(const D3DCLIPSTATUS9* status) = 0;
  virtual HRESULT GetClipStatus(D3DCLIPSTATUS9* status) = 0;
  virtual HRESULT GetTexture(DWORD stage, IDirect3DBaseTexture9** texture) = 0;
  virtual HRESULT SetTexture(DWORD stage, IDirect3DBaseTexture9* texture) = 0;
  virtual HRESULT GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type,
                                       DWORD* value) = 0;
  virtual HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type,
                                       DWORD value) = 0;
  virtual HRESULT GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD* value) = 0;
  virtual HRESULT SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) = 0;
  virtual HRESULT ValidateDevice(DWORD* passes) = 0;
  virtual HRESULT SetPaletteEntries(UINT palette, const PALETTEENTRY* entries) = 0;
  virtual HRESULT GetPaletteEntries(UINT palette, PALETTEENTRY* entries) = 0;
  virtual HRESULT SetCurrentTexturePalette(UINT palette) = 0;
  virtual HRESULT GetCurrentTexturePalette(UINT* palette) = 0;
  virtual HRESULT SetScissorRect(const RECT* rect) = 0;
  virtual HRESULT GetScissorRect(RECT* rect) = 0;
  virtual HRESULT SetSoftwareVertexProcessing(BOOL software) = 0;
  virtual BOOL GetSoftwareVertexProcessing() = 0;
  virtual HRESULT SetNPatchMode(float segments) = 0;
  virtual float GetNPatchMode() = 0;
  virtual HRESULT DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount) = 0;
  virtual HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE type, INT baseVertexIndex,
                                       UINT minVertexIndex, UINT numVertices, UINT startIndex,
                                       UINT primitiveCount) = 0;
  virtual HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount,
                                  const void* vertexData, UINT vertexStride) = 0;
  virtual HRESULT DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, UINT minVertexIndex,
                                         UINT numVertices, UINT primitiveCount,
                                         const void* indexData, D3DFORMAT indexFormat,
                                         const void* vertexData, UINT vertexStride) = 0;
  virtual HRESULT ProcessVertices(UINT sourceStart, UINT destIndex, UINT vertexCount,
                                  IDirect3DVertexBuffer9* destBuffer,
                                  IDirect3DVertexDeclaration9* declaration, DWORD flags) = 0;
  virtual HRESULT CreateVertexDeclaration(const D3DVERTEXELEMENT9* elements,
                                          IDirect3DVertexDeclaration9** declaration) = 0;
  virtual HRESULT SetVertexDeclaration(IDirect3DVertexDeclaration9* declaration) = 0;
  virtual HRESULT GetVertexDeclaration(IDirect3DVertexDeclaration9** declaration) = 0;
  virtual HRESULT SetFVF(DWORD fvf) = 0;
  virtual HRESULT GetFVF(DWORD* fvf) = 0;
  virtual HRESULT CreateVertexShader(const DWORD* function, IDirect3DVertexShader9** shader) = 0;
  virtual HRESULT SetVertexShader(IDirect3DVertexShader9* shader) = 0;
  virtual HRESULT GetVertexShader(IDirect3DVertexShader9** shader) = 0;
  virtual HRESULT SetVertexShaderConstantF(UINT startRegister, const float* data,
                                           UINT vector4fCount) = 0;
  virtual HRESULT GetVertexShaderConstantF(UINT startRegister, float* data,
                                           UINT vector4fCount) = 0;
  virtual HRESULT SetVertexShaderConstantI(UINT startRegister, const int* data,
                                           UINT vector4iCount) = 0;
  virtual HRESULT GetVertexShaderConstantI(UINT startRegister, int* data, UINT vector4iCount) = 0;
  virtual HRESULT SetVertexShaderConstantB(UINT startRegister, const BOOL* data,
                                           UINT boolCount) = 0;
  virtual HRESULT GetVertexShaderConstantB(UINT startRegister, BOOL* data, UINT boolCount) = 0;
  virtual HRESULT SetStreamSource(UINT stream, IDirect3DVertexBuffer9* buffer, UINT offset,
                                  UINT stride) = 0;
  virtual HRESULT GetStreamSource(UINT stream, IDirect3DVertexBuffer9** buffer, UINT* offset,
                                  UINT* stride) = 0;
  virtual HRESULT SetStreamSourceFreq(UINT stream, UINT setting) = 0;
  virtual HRESULT GetStreamSourceFreq(UINT stream, UINT* setting) = 0;
  virtual HRESULT SetIndices(IDirect3DIndexBuffer9* indices) = 0;
  virtual HRESULT GetIndices(IDirect3DIndexBuffer9** indices) = 0;
  virtual HRESULT CreatePixelShader(const DWORD* function, IDirect3DPixelShader9** shader) = 0;
  virtual HRESULT SetPixelShader(IDirect3DPixelShader9* shader) = 0;
  virtual HRESULT GetPixelShader(IDirect3DPixelShader9** shader) = 0;
  virtual HRESULT SetPixelShaderConstantF(UINT startRegister, const float* data,
                                          UINT vector4fCount) = 0;
  virtual HRESULT GetPixelShaderConstantF(UINT startRegister, float* data,
                                          UINT vector4fCount) = 0;
  virtual HRESULT SetPixelShaderConstantI(UINT startRegister, const int* data,
                                          UINT vector4iCount) = 0;
  virtual HRESULT GetPixelShaderConstantI(UINT startRegister, int* data, UINT vector4iCount) = 0;
  virtual HRESULT SetPixelShaderConstantB(UINT startRegister, const BOOL* data,
                                          UINT boolCount) = 0;
  virtual HRESULT GetPixelShaderConstantB(UINT startRegister, BOOL* data, UINT boolCount) = 0;
  virtual HRESULT DrawRectPatch(UINT handle, const float* numSegs,
                                const D3DRECTPATCH_INFO* info) = 0;
  virtual HRESULT DrawTriPatch(UINT handle, const float* numSegs,
                               const D3DTRIPATCH_INFO* info) = 0;
  virtual HRESULT DeletePatch(UINT handle) = 0;
  virtual HRESULT CreateQuery(D3DQUERYTYPE type, IDirect3DQuery9** query) = 0;

 protected:
  ~IDirect3DDevice9() = default;
};

// Shaders, swap chains and queries are named by the device's operations; this runtime makes
// none of them (no shaders: SetVertexShader and SetPixelShader take only NULL).
struct IDirect3DVertexShader9 : IUnknown {
 protected:
  ~IDirect3DVertexShader9() = default;
};
struct IDirect3DPixelShader9 : IUnknown {
 protected:
  ~IDirect3DPixelShader9() = default;
};
struct IDirect3DSwapChain9 : IUnknown {
 protected:
  ~IDirect3DSwapChain9() = default;
};
struct IDirect3DQuery9 : IUnknown {
 protected:
  ~IDirect3DQuery9() = default;
};
