// mirefell-icongen PICTURE OUTDIR: the game's desktop icons, drawn with the toolkit from the
// hero's first walking frame: OUTDIR/<n>x<n>/apps/mirefell.png for the usual sizes. Sizes that
// are whole multiples of the cut keep the pixel art's hard edges (point filter); smaller
// ones are resampled (triangle filter).
#include <png.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "toolkit/d3dx9.h"

namespace {

// The hero within the frame: a square around him.
constexpr RECT kCut = {32, 30, 96, 94};
constexpr D3DCOLOR kKey = 0xFF6A4C30;
constexpr UINT kSizes[] = {16, 24, 32, 48, 64, 128, 256};

bool WriteIcon(IDirect3DSurface9* icon, UINT size, const std::filesystem::path& file) {
  D3DLOCKED_RECT locked{};
  if (FAILED(icon->LockRect(&locked, nullptr, D3DLOCK_READONLY))) return false;
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = size;
  image.height = size;
  image.format = PNG_FORMAT_BGRA;
  std::error_code ignored;
  std::filesystem::create_directories(file.parent_path(), ignored);
  const bool written = png_image_write_to_file(&image, file.c_str(), 0, locked.pBits,
                                               locked.Pitch, nullptr) != 0;
  icon->UnlockRect();
  return written;
}

bool MakeIcons(IDirect3DDevice9* device, const char* picture, const std::filesystem::path& out) {
  IDirect3DTexture9* texture = nullptr;
  if (FAILED(D3DXCreateTextureFromFileExA(device, picture, D3DX_DEFAULT_NONPOW2,
                                          D3DX_DEFAULT_NONPOW2, 1, 0, D3DFMT_A8R8G8B8,
                                          D3DPOOL_SYSTEMMEM, D3DX_FILTER_NONE, D3DX_FILTER_NONE,
                                          kKey, nullptr, nullptr, &texture))) {
    std::fprintf(stderr, "mirefell-icongen: cannot load %s\n", picture);
    return false;
  }
  IDirect3DSurface9* source = nullptr;
  bool ok = SUCCEEDED(texture->GetSurfaceLevel(0, &source));
  const UINT cut = UINT(kCut.right - kCut.left);
  for (UINT size : kSizes) {
    IDirect3DSurface9* icon = nullptr;
    ok = ok && SUCCEEDED(device->CreateOffscreenPlainSurface(size, size, D3DFMT_A8R8G8B8,
                                                             D3DPOOL_SYSTEMMEM, &icon, nullptr));
    const DWORD filter = size % cut == 0 ? D3DX_FILTER_POINT : D3DX_FILTER_TRIANGLE;
    ok = ok && SUCCEEDED(D3DXLoadSurfaceFromSurface(icon, nullptr, nullptr, source, nullptr,
                                                    &kCut, filter, 0));
    const std::string name = std::to_string(size) + "x" + std::to_string(size);
    ok = ok && WriteIcon(icon, size, out / name / "apps" / "mirefell.png");
    if (icon != nullptr) icon->Release();
  }
  if (source != nullptr) source->Release();
  texture->Release();
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: mirefell-icongen PICTURE OUTDIR\n");
    return 2;
  }
  IDirect3D9* direct3d = Direct3DCreate9(D3D_SDK_VERSION);
  D3DPRESENT_PARAMETERS parameters{};
  parameters.BackBufferWidth = 16;
  parameters.BackBufferHeight = 16;
  parameters.BackBufferFormat = D3DFMT_X8R8G8B8;
  parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
  parameters.Windowed = TRUE;
  IDirect3DDevice9* device = nullptr;
  bool ok = SUCCEEDED(direct3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, nullptr,
                                             D3DCREATE_SOFTWARE_VERTEXPROCESSING, &parameters,
                                             &device));
  ok = ok && MakeIcons(device, argv[1], argv[2]);
  if (device != nullptr) device->Release();
  direct3d->Release();
  if (!ok) std::fprintf(stderr, "mirefell-icongen: the icons could not be made\n");
  return ok ? 0 : 1;
}
