// Presentation: the back buffer to the window, and the last frame kept for tests and tools.
#include <cstring>

#include "platform/d3d9/device.h"
#include "platform/d3d9/presenter.h"

namespace d3d9 {

HRESULT Device::Present(const RECT* sourceRect, const RECT* destRect, HWND destWindow,
                        const RGNDATA*) {
  const HRESULT entered = Enter("Present", {Arg(sourceRect), Arg(destRect), Arg(destWindow)});
  if (FAILED(entered)) return entered;
  if (inScene || !backBuffer) return D3DERR_INVALIDCALL;
  Surface* surface = AsSurfaceOf(this, backBuffer.Get());
  const Image& image = surface->Pixels();
  presentedFrame.width = image.Width();
  presentedFrame.height = image.Height();
  presentedFrame.pixels.resize(std::size_t(image.Width()) * image.Height());
  // The screen shows no alpha: an X8R8G8B8 frame reads back opaque.
  const std::uint32_t opaque = image.Format() == D3DFMT_X8R8G8B8 ? 0xFF000000u : 0u;
  for (UINT y = 0; y < image.Height(); ++y) {
    const auto* row = reinterpret_cast<const std::uint32_t*>(image.Row(y));
    std::uint32_t* out = presentedFrame.pixels.data() + std::size_t(y) * image.Width();
    for (UINT x = 0; x < image.Width(); ++x) out[x] = row[x] | opaque;
  }
  presented = true;
  if (presenter) {
    presenter->Show(destWindow, presentedFrame.pixels.data(), presentedFrame.width,
                    presentedFrame.height, presentedFrame.width * 4);
  }
  return S_OK;
}

HRESULT Device::Reset(D3DPRESENT_PARAMETERS* asked) {
  const HRESULT entered = Enter("Reset", {Arg(asked)});
  if (FAILED(entered)) return entered;
  if (asked == nullptr || inScene || recording) return D3DERR_INVALIDCALL;
  D3DPRESENT_PARAMETERS old = parameters;
  parameters = *asked;
  if (parameters.hDeviceWindow == nullptr) parameters.hDeviceWindow = creation.hFocusWindow;
  if (parameters.BackBufferWidth == 0 || parameters.BackBufferHeight == 0 ||
      parameters.BackBufferFormat == D3DFMT_UNKNOWN) {
    parameters = old;
    return D3DERR_INVALIDCALL;
  }
  backBuffer.Reset();
  renderTarget.Reset();
  depthStencil.Reset();
  const HRESULT made = MakeSwapChainSurfaces();
  if (FAILED(made)) {
    parameters = old;
    MakeSwapChainSurfaces();
    return made;
  }
  state = DeviceState::Defaults(parameters.BackBufferWidth, parameters.BackBufferHeight,
                                parameters.EnableAutoDepthStencil != FALSE);
  presenter = std::make_unique<Presenter>(parameters.hDeviceWindow, !parameters.Windowed);
  *asked = parameters;
  return S_OK;
}

HRESULT Device::GetBackBuffer(UINT swapChain, UINT index, D3DBACKBUFFER_TYPE,
                              IDirect3DSurface9** out) {
  const HRESULT entered = Enter("GetBackBuffer", {std::int64_t(swapChain), std::int64_t(index)});
  if (FAILED(entered)) return entered;
  if (swapChain != 0 || index >= parameters.BackBufferCount || out == nullptr || !backBuffer) {
    return D3DERR_INVALIDCALL;
  }
  // Every back buffer of the chain is the one surface drawn into.
  return HandOut(backBuffer.Get(), out);
}

HRESULT Device::GetFrontBufferData(UINT swapChain, IDirect3DSurface9* destination) {
  Surface* target = AsSurfaceOf(this, destination);
  if (swapChain != 0 || target == nullptr) return D3DERR_INVALIDCALL;
  const SurfaceShape& shape = target->Shape();
  if (shape.format != D3DFMT_A8R8G8B8 || shape.pool != D3DPOOL_SYSTEMMEM ||
      shape.width < presentedFrame.width || shape.height < presentedFrame.height) {
    return D3DERR_INVALIDCALL;
  }
  Image& image = target->Pixels();
  for (UINT y = 0; y < presentedFrame.height; ++y) {
    std::memcpy(image.Row(y), presentedFrame.pixels.data() + std::size_t(y) * presentedFrame.width,
                std::size_t(presentedFrame.width) * 4);
  }
  image.Touch();
  return S_OK;
}

}  // namespace d3d9
