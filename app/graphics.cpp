#include "app/graphics.h"

#include <initializer_list>

#include "game/sheet_table.h"
#include "game/text_overlay.h"
#include "game/world.h"
#include "platform/d3d9/d3d9.h"
#include "toolkit/font/d3dx_font.h"
#include "toolkit/image/d3dx_image.h"
#include "toolkit/surface/d3dx_surface.h"
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
  CreateOverlayFonts();
}

void LoadSheet(int32_t index, const char* file, DWORD colourKey, int32_t frameWidth,
               int32_t frameHeight, int32_t frameCount, int32_t anchorX, int32_t anchorY,
               int32_t frameDelay) {
  if (!IsSheetIndex(index)) return;
  // The picture unscaled at the texture's top-left, texel for pixel, the key made
  // transparent black; the file's own size comes back in `info`.
  D3DXIMAGE_INFO info = {};
  IDirect3DTexture9* texture = nullptr;
  D3DXCreateTextureFromFileExA(device, file, 0, 0, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                               D3DX_FILTER_NONE, D3DX_FILTER_NONE, colourKey, &info, nullptr,
                               &texture);
  SpriteSheet& sheet = sheets[index];
  if (sheet.texture != nullptr) sheet.texture->Release();  // loaded again
  sheet.texture = texture;
  sheet.imageWidth = static_cast<int32_t>(info.Width);
  sheet.imageHeight = static_cast<int32_t>(info.Height);
  sheet.frameWidth = frameWidth;
  sheet.frameHeight = frameHeight;
  sheet.frameCount = frameCount;
  sheet.frameDelay = frameDelay;
  sheet.anchorX = anchorX;
  sheet.anchorY = anchorY;
}

void LoadSheets() {
  for (const SheetRow& row : kSheetTable) {
    LoadSheet(row.index, row.file, row.colorKey, row.frameWidth, row.frameHeight,
              row.frameCount, row.anchorX, row.anchorY, row.frameDelay);
  }
}

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
  // The fonts hold the device; they go before it.
  for (ID3DXFont** font : {&directionFont, &creditFont}) {
    if (*font != nullptr) (*font)->Release();
    *font = nullptr;
  }
  ReleaseDevice();
}
