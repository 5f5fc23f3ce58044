// A program of one's own on the installed toolkit: a picture loaded into a texture, three of
// its frames drawn as sprites (one as it is, one turned, one enlarged), a line of text, and
// the frame written to a PNG file. Without --window it runs headless.
//
//   sprites PICTURE OUT.png [--window] [--check EXPECTED.png]
#include <d3dx9.h>
#include <png.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr UINT kWidth = 320;
constexpr UINT kHeight = 240;
// The picture's transparent colour.
constexpr D3DCOLOR kKey = 0xFF6A4C30;

// A 2-D transform for the sprite: scale, then turn about the origin, then move.
D3DXMATRIX Transform(float scale, float radians, float x, float y) {
  D3DXMATRIX m;
  D3DXMatrixIdentity(&m);
  m._11 = scale * std::cos(radians);
  m._12 = scale * std::sin(radians);
  m._21 = -scale * std::sin(radians);
  m._22 = scale * std::cos(radians);
  m._41 = x;
  m._42 = y;
  return m;
}

bool Fail(const char* what, HRESULT result) {
  std::fprintf(stderr, "sprites: %s failed (0x%08X)\n", what, static_cast<unsigned>(result));
  return false;
}

bool DrawScene(IDirect3DDevice9* device, IDirect3DTexture9* picture, ID3DXSprite* sprite,
               ID3DXFont* font) {
  device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF203040, 1.0f, 0);
  if (FAILED(device->BeginScene())) return false;
  sprite->Begin(D3DXSPRITE_ALPHABLEND);
  const RECT frames[3] = {{0, 0, 128, 128}, {128, 0, 256, 128}, {256, 0, 384, 128}};
  const D3DXVECTOR3 centre(64, 96, 0);  // the creature's feet
  const D3DXMATRIX placements[3] = {Transform(0.75f, 0.0f, 60, 170),
                                    Transform(0.75f, 0.6f, 160, 150),
                                    Transform(1.25f, 0.0f, 255, 200)};
  for (int i = 0; i < 3; ++i) {
    sprite->SetTransform(&placements[i]);
    sprite->Draw(picture, &frames[i], &centre, nullptr, 0xFFFFFFFF);
  }
  sprite->End();
  RECT line = {0, 16, LONG(kWidth), 60};
  font->DrawTextA(nullptr, "Hello from Mirefell", -1, &line, DT_CENTER, 0xFFFFE080);
  return SUCCEEDED(device->EndScene());
}

// The back buffer as rows of 0xAARRGGBB.
bool ReadFrame(IDirect3DDevice9* device, std::vector<std::uint32_t>& pixels) {
  IDirect3DSurface9* target = nullptr;
  IDirect3DSurface9* copy = nullptr;
  bool done = SUCCEEDED(device->GetRenderTarget(0, &target)) &&
              SUCCEEDED(device->CreateOffscreenPlainSurface(kWidth, kHeight, D3DFMT_X8R8G8B8,
                                                            D3DPOOL_SYSTEMMEM, &copy, nullptr)) &&
              SUCCEEDED(device->GetRenderTargetData(target, copy));
  D3DLOCKED_RECT locked{};
  if (done && SUCCEEDED(copy->LockRect(&locked, nullptr, D3DLOCK_READONLY))) {
    pixels.resize(std::size_t(kWidth) * kHeight);
    for (UINT y = 0; y < kHeight; ++y) {
      std::memcpy(&pixels[std::size_t(y) * kWidth],
                  static_cast<const BYTE*>(locked.pBits) + std::size_t(y) * locked.Pitch,
                  kWidth * 4);
    }
    copy->UnlockRect();
  } else {
    done = false;
  }
  if (copy != nullptr) copy->Release();
  if (target != nullptr) target->Release();
  return done;
}

bool WritePng(const char* path, const std::vector<std::uint32_t>& pixels) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = kWidth;
  image.height = kHeight;
  image.format = PNG_FORMAT_BGRA;
  std::vector<std::uint32_t> opaque(pixels);
  for (std::uint32_t& p : opaque) p |= 0xFF000000u;
  return png_image_write_to_file(&image, path, 0, opaque.data(), 0, nullptr) != 0;
}

bool SameAsPng(const char* path, const std::vector<std::uint32_t>& pixels) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (png_image_begin_read_from_file(&image, path) == 0) return false;
  image.format = PNG_FORMAT_BGRA;
  std::vector<std::uint32_t> expected(PNG_IMAGE_SIZE(image) / 4);
  if (png_image_finish_read(&image, nullptr, expected.data(), 0, nullptr) == 0) return false;
  if (image.width != kWidth || image.height != kHeight) return false;
  std::size_t differing = 0;
  for (std::size_t i = 0; i < expected.size(); ++i) {
    differing += (expected[i] & 0xFFFFFF) != (pixels[i] & 0xFFFFFF);
  }
  if (differing != 0) std::fprintf(stderr, "sprites: %zu pixels differ from %s\n", differing, path);
  return differing == 0;
}

LRESULT ExampleWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcA(window, message, wParam, lParam);
}

HWND OpenWindow() {
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = ExampleWindowProc;
  windowClass.lpszClassName = "MirefellSprites";
  if (RegisterClassExA(&windowClass) == 0) return nullptr;
  HWND window = CreateWindowExA(0, "MirefellSprites", "Sprites", WS_POPUP, 0, 0, kWidth,
                                kHeight, nullptr, nullptr, nullptr, nullptr);
  if (window != nullptr) ShowWindow(window, SW_SHOW);
  return window;
}

// Presents the frame for about three seconds, or until the window is closed.
void ShowForAWhile(IDirect3DDevice9* device) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < 3000) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) return;
      DispatchMessageA(&message);
    }
    device->Present(nullptr, nullptr, nullptr, nullptr);
    Sleep(40);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: sprites PICTURE OUT.png [--window] [--check EXPECTED.png]\n");
    return 2;
  }
  bool windowed = false;
  const char* expected = nullptr;
  for (int i = 3; i < argc; ++i) {
    if (std::strcmp(argv[i], "--window") == 0) windowed = true;
    if (std::strcmp(argv[i], "--check") == 0 && i + 1 < argc) expected = argv[++i];
  }
  HWND window = windowed ? OpenWindow() : nullptr;
  if (windowed && window == nullptr) {
    std::fprintf(stderr, "sprites: no window: %s\n", win32::WindowSystemError());
    return 1;
  }

  IDirect3D9* direct3d = Direct3DCreate9(D3D_SDK_VERSION);
  D3DPRESENT_PARAMETERS parameters{};
  parameters.BackBufferWidth = kWidth;
  parameters.BackBufferHeight = kHeight;
  parameters.BackBufferFormat = D3DFMT_X8R8G8B8;
  parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
  parameters.Windowed = TRUE;
  IDirect3DDevice9* device = nullptr;
  IDirect3DTexture9* picture = nullptr;
  ID3DXSprite* sprite = nullptr;
  ID3DXFont* font = nullptr;
  HRESULT result = direct3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window,
                                          D3DCREATE_SOFTWARE_VERTEXPROCESSING, &parameters,
                                          &device);
  bool ok = SUCCEEDED(result) || Fail("CreateDevice", result);
  if (ok) {
    result = D3DXCreateTextureFromFileExA(device, argv[1], D3DX_DEFAULT, D3DX_DEFAULT, 1, 0,
                                          D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, D3DX_FILTER_NONE,
                                          D3DX_FILTER_NONE, kKey, nullptr, nullptr, &picture);
    ok = SUCCEEDED(result) || Fail("D3DXCreateTextureFromFileExA", result);
  }
  if (ok) {
    result = D3DXCreateSprite(device, &sprite);
    ok = SUCCEEDED(result) || Fail("D3DXCreateSprite", result);
  }
  if (ok) {
    result = D3DXCreateFontA(device, 22, 0, FW_BOLD, 1, FALSE, DEFAULT_CHARSET,
                             OUT_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH, "DejaVu Sans",
                             &font);
    ok = SUCCEEDED(result) || Fail("D3DXCreateFontA", result);
  }
  std::vector<std::uint32_t> pixels;
  ok = ok && DrawScene(device, picture, sprite, font) && ReadFrame(device, pixels);
  if (ok && !WritePng(argv[2], pixels)) ok = Fail("writing the picture", E_FAIL);
  if (ok && windowed) ShowForAWhile(device);
  if (ok && expected != nullptr && !SameAsPng(expected, pixels)) ok = false;

  if (font != nullptr) font->Release();
  if (sprite != nullptr) sprite->Release();
  if (picture != nullptr) picture->Release();
  if (device != nullptr) device->Release();
  direct3d->Release();
  if (window != nullptr) DestroyWindow(window);
  return ok ? 0 : 1;
}
