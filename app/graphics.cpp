#include "app/graphics.h"

#include "game/world.h"
#include "platform/d3d9/d3d9.h"
#include "toolkit/sprite/d3dx_sprite.h"

namespace {

// The runtime version the game asks for.
constexpr UINT kRuntimeVersion = 31;

// One full-screen back buffer of the screen's size in the desktop's format; everything else
// (buffer count, multisampling, depth, refresh, interval) at its default of zero.
D3DPRESENT_PARAMETERS FullScreenParameters(D3DFORMAT displayFormat) {
  D3DPRESENT_PARAMETERS parameters = {};
  parameters.BackBufferWidth = static_cast<UINT>(screenWidth);
  parameters.BackBufferHeight = static_cast<UINT>(screenHeight);
  parameters.BackBufferFormat = displayFormat;
  parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
  parameters.Windowed = FALSE;
  return parameters;
}

// The health bars are drawn straight through the device after each sprite batch, which puts
// back what it changed: these states are in force again for them.
void SetHealthBarStates() {
  device->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE);
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
}

}  // namespace

void SetUpDevice() { SetUpDeviceOn(Direct3DCreate9(kRuntimeVersion)); }

void SetUpDeviceOn(IDirect3D9* direct3d) {
  d3d = direct3d;
  if (d3d == nullptr) return;

  D3DDISPLAYMODE mode = {};
  d3d->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &mode);
  D3DPRESENT_PARAMETERS parameters = FullScreenParameters(mode.Format);
  d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window,
                    D3DCREATE_HARDWARE_VERTEXPROCESSING, &parameters, &device);
  if (device == nullptr) return;  // the frames then skip drawing

  D3DXCreateSprite(device, &sprite);
  SetHealthBarStates();

  // The two fonts of the boss map's text overlay are made last, direction font first.
}

void LoadSheets() {}

void ReleaseDevice() {
  if (device != nullptr) device->Release();
  device = nullptr;
  if (d3d != nullptr) d3d->Release();
  d3d = nullptr;
}

void ReleaseAllGraphics() {
  for (SpriteSheet& sheet : sheets) {
    if (sheet.texture != nullptr) sheet.texture->Release();
    sheet = SpriteSheet{};
  }
  if (sprite != nullptr) sprite->Release();
  sprite = nullptr;
  ReleaseDevice();
}
