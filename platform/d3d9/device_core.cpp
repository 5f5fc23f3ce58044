// Creation, lifetime and the queries of the device.
#include <algorithm>
#include <new>

#include "platform/d3d9/device.h"
#include "platform/d3d9/format_info.h"
#include "platform/d3d9/presenter.h"
#include "platform/win32/window.h"

namespace d3d9 {
namespace {

bool Contains(const std::vector<D3DFORMAT>& formats, D3DFORMAT format) {
  return std::find(formats.begin(), formats.end(), format) != formats.end();
}

// Fills in what the parameters leave to the runtime; false for parameters it refuses.
HRESULT SettleParameters(const AdapterProfile& profile, HWND window,
                         D3DPRESENT_PARAMETERS& parameters) {
  if (parameters.BackBufferCount > 3) return D3DERR_INVALIDCALL;
  if (parameters.SwapEffect < D3DSWAPEFFECT_DISCARD || parameters.SwapEffect > D3DSWAPEFFECT_COPY) {
    return D3DERR_INVALIDCALL;
  }
  if (parameters.MultiSampleType != D3DMULTISAMPLE_NONE) return D3DERR_NOTAVAILABLE;
  if (parameters.BackBufferWidth == 0 || parameters.BackBufferHeight == 0) {
    RECT client{};
    if (!parameters.Windowed || window == nullptr || !GetClientRect(window, &client)) {
      return D3DERR_INVALIDCALL;
    }
    if (parameters.BackBufferWidth == 0) parameters.BackBufferWidth = UINT(client.right);
    if (parameters.BackBufferHeight == 0) parameters.BackBufferHeight = UINT(client.bottom);
  }
  if (parameters.BackBufferWidth == 0 || parameters.BackBufferHeight == 0 ||
      parameters.BackBufferWidth > 16384 || parameters.BackBufferHeight > 16384) {
    return D3DERR_INVALIDCALL;
  }
  if (parameters.BackBufferFormat == D3DFMT_UNKNOWN) {
    if (!parameters.Windowed) return D3DERR_INVALIDCALL;
    parameters.BackBufferFormat = profile.displayMode.Format;
  }
  if (profile.backBufferFormat != D3DFMT_UNKNOWN) {
    parameters.BackBufferFormat = profile.backBufferFormat;
  }
  if (!Contains(profile.renderTargetFormats, parameters.BackBufferFormat)) {
    return D3DERR_NOTAVAILABLE;
  }
  if (parameters.EnableAutoDepthStencil &&
      !Contains(profile.depthStencilFormats, parameters.AutoDepthStencilFormat)) {
    return D3DERR_INVALIDCALL;
  }
  if (parameters.BackBufferCount == 0) parameters.BackBufferCount = 1;
  return S_OK;
}

}  // namespace

Device::Device(Direct3D* parent, const D3DDEVICE_CREATION_PARAMETERS& created,
               const D3DPRESENT_PARAMETERS& presentation)
    : direct3dReference(parent),
      direct3d(parent),
      setup(parent->Setup()),
      creation(created),
      parameters(presentation),
      state(DeviceState::Defaults(presentation.BackBufferWidth, presentation.BackBufferHeight,
                                  presentation.EnableAutoDepthStencil != FALSE)),
      palettes(256) {}

Device::~Device() = default;

HRESULT Device::Create(Direct3D* direct3d, const D3DDEVICE_CREATION_PARAMETERS& creation,
                       const D3DPRESENT_PARAMETERS& asked, IDirect3DDevice9** out) {
  D3DPRESENT_PARAMETERS parameters = asked;
  const HWND window = parameters.hDeviceWindow != nullptr ? parameters.hDeviceWindow
                                                          : creation.hFocusWindow;
  const HRESULT settled = SettleParameters(direct3d->Profile(), window, parameters);
  if (FAILED(settled)) return settled;
  parameters.hDeviceWindow = window;
  Device* device = new (std::nothrow) Device(direct3d, creation, parameters);
  if (device == nullptr) return E_OUTOFMEMORY;
  const HRESULT made = device->MakeSwapChainSurfaces();
  if (FAILED(made)) {
    device->Release();
    return made;
  }
  device->presenter = std::make_unique<Presenter>(window, !parameters.Windowed);
  *out = device;
  return S_OK;
}

HRESULT Device::MakeSwapChainSurfaces() {
  const bool lockable = (parameters.Flags & D3DPRESENTFLAG_LOCKABLE_BACKBUFFER) != 0;
  try {
    const SurfaceShape shape = {parameters.BackBufferFormat, parameters.BackBufferWidth,
                                parameters.BackBufferHeight, D3DUSAGE_RENDERTARGET,
                                D3DPOOL_DEFAULT, lockable};
    backBuffer = ComRef<IDirect3DSurface9>::Adopt(new Surface(this, shape));
    renderTarget = backBuffer;
    if (parameters.EnableAutoDepthStencil) {
      const D3DFORMAT format = parameters.AutoDepthStencilFormat;
      const SurfaceShape depthShape = {format, parameters.BackBufferWidth,
                                       parameters.BackBufferHeight, D3DUSAGE_DEPTHSTENCIL,
                                       D3DPOOL_DEFAULT, FindFormat(format)->lockable};
      depthStencil = ComRef<IDirect3DSurface9>::Adopt(new Surface(this, depthShape));
    }
  } catch (const std::bad_alloc&) {
    return D3DERR_OUTOFVIDEOMEMORY;
  }
  return S_OK;
}

void Device::LastReleased() {
  // Releasing what is held may end resources whose links come back here.
  ++internalCount;
  DropEverything();
  ReleaseInternally();
}

void Device::ReleaseInternally() {
  if (--internalCount == 0 && refCount == 0) delete this;
}

void Device::DropEverything() {
  recording.Reset();
  state = DeviceState::Defaults(parameters.BackBufferWidth, parameters.BackBufferHeight, false);
  renderTarget.Reset();
  depthStencil.Reset();
  backBuffer.Reset();
  presenter.reset();
  dropped = true;
}

Device* AsDevice(IDirect3DDevice9* device) {
  return device != nullptr ? dynamic_cast<Device*>(device) : nullptr;
}

Surface* AsSurfaceOf(Device* device, IDirect3DSurface9* surface) {
  Surface* own = surface != nullptr ? dynamic_cast<Surface*>(surface) : nullptr;
  return own != nullptr && own->OwnerDevice() == device ? own : nullptr;
}

// --- Queries ----------------------------------------------------------------------------------

// A software device is never lost.
HRESULT Device::TestCooperativeLevel() { return Enter("TestCooperativeLevel", {}); }

UINT Device::GetAvailableTextureMem() { return 512u << 20; }

HRESULT Device::EvictManagedResources() { return S_OK; }

HRESULT Device::GetDirect3D(IDirect3D9** out) {
  const HRESULT entered = Enter("GetDirect3D", {});
  if (FAILED(entered)) return entered;
  if (out == nullptr) return D3DERR_INVALIDCALL;
  return HandOut(static_cast<IDirect3D9*>(direct3d), out);
}

HRESULT Device::GetDeviceCaps(D3DCAPS9* caps) {
  const HRESULT entered = Enter("GetDeviceCaps", {});
  if (FAILED(entered)) return entered;
  if (caps == nullptr) return D3DERR_INVALIDCALL;
  *caps = Profile().caps;
  return S_OK;
}

HRESULT Device::GetDisplayMode(UINT swapChain, D3DDISPLAYMODE* mode) {
  const HRESULT entered = Enter("GetDisplayMode", {std::int64_t(swapChain)});
  if (FAILED(entered)) return entered;
  if (swapChain != 0 || mode == nullptr) return D3DERR_INVALIDCALL;
  *mode = Profile().displayMode;
  if (!parameters.Windowed) {
    mode->Width = parameters.BackBufferWidth;
    mode->Height = parameters.BackBufferHeight;
    // The screen shows no alpha.
    mode->Format = parameters.BackBufferFormat == D3DFMT_A8R8G8B8 ? D3DFMT_X8R8G8B8
                                                                  : parameters.BackBufferFormat;
  }
  return S_OK;
}

HRESULT Device::GetCreationParameters(D3DDEVICE_CREATION_PARAMETERS* out) {
  const HRESULT entered = Enter("GetCreationParameters", {});
  if (FAILED(entered)) return entered;
  if (out == nullptr) return D3DERR_INVALIDCALL;
  *out = creation;
  return S_OK;
}

HRESULT Device::SetCursorProperties(UINT, UINT, IDirect3DSurface9* bitmap) {
  return AsSurfaceOf(this, bitmap) != nullptr ? S_OK : D3DERR_INVALIDCALL;
}

void Device::SetCursorPosition(int, int, DWORD) {}

BOOL Device::ShowCursor(BOOL) { return FALSE; }

HRESULT Device::CreateAdditionalSwapChain(D3DPRESENT_PARAMETERS*, IDirect3DSwapChain9**) {
  return D3DERR_NOTAVAILABLE;
}

HRESULT Device::GetSwapChain(UINT, IDirect3DSwapChain9**) { return D3DERR_NOTAVAILABLE; }

UINT Device::GetNumberOfSwapChains() { return 1; }

HRESULT Device::GetRasterStatus(UINT swapChain, D3DRASTER_STATUS* status) {
  if (swapChain != 0 || status == nullptr) return D3DERR_INVALIDCALL;
  *status = {FALSE, 0};
  return S_OK;
}

HRESULT Device::SetDialogBoxMode(BOOL) { return S_OK; }

void Device::SetGammaRamp(UINT, DWORD, const D3DGAMMARAMP*) {}

void Device::GetGammaRamp(UINT, D3DGAMMARAMP* ramp) {
  if (ramp == nullptr) return;
  for (int i = 0; i < 256; ++i) ramp->red[i] = ramp->green[i] = ramp->blue[i] = WORD(i * 257);
}

HRESULT Device::ValidateDevice(DWORD* passes) {
  if (passes == nullptr) return D3DERR_INVALIDCALL;
  *passes = 1;
  return S_OK;
}

HRESULT Device::SetPaletteEntries(UINT palette, const PALETTEENTRY* entries) {
  if (entries == nullptr || palette > 0xFFFF) return D3DERR_INVALIDCALL;
  const std::size_t first = std::size_t(palette) * 256;
  if (palettes.size() < first + 256) palettes.resize(first + 256);
  std::copy(entries, entries + 256, palettes.begin() + std::ptrdiff_t(first));
  return S_OK;
}

HRESULT Device::GetPaletteEntries(UINT palette, PALETTEENTRY* entries) {
  const std::size_t first = std::size_t(palette) * 256;
  if (entries == nullptr || palettes.size() < first + 256) return D3DERR_INVALIDCALL;
  std::copy(palettes.begin() + std::ptrdiff_t(first),
            palettes.begin() + std::ptrdiff_t(first + 256), entries);
  return S_OK;
}

HRESULT Device::SetSoftwareVertexProcessing(BOOL software) {
  if ((creation.BehaviorFlags & D3DCREATE_MIXED_VERTEXPROCESSING) == 0) {
    return software == ((creation.BehaviorFlags & D3DCREATE_SOFTWARE_VERTEXPROCESSING) != 0)
               ? S_OK
               : D3DERR_INVALIDCALL;
  }
  softwareVertexProcessing = software;
  return S_OK;
}

BOOL Device::GetSoftwareVertexProcessing() {
  if ((creation.BehaviorFlags & D3DCREATE_SOFTWARE_VERTEXPROCESSING) != 0) return TRUE;
  return softwareVertexProcessing;
}

HRESULT Device::CreateQuery(D3DQUERYTYPE, IDirect3DQuery9**) { return D3DERR_NOTAVAILABLE; }

}  // namespace d3d9
