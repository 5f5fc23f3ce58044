// Three renderers of the same draw lists into 640 x 480: the software Direct3D 9 device as
// the sprite object drives it (state blocks, a dynamic vertex ring locked with DISCARD and
// NOOVERWRITE, one DrawIndexedPrimitive per run of one texture, the sprite's states), SDL2's
// software renderer (SDL_RenderCopy with blending) and pixman (OVER compositing).
#pragma once

#include <pixman.h>

#include <cstdint>
#include <vector>

#include "bench/d3d9/map_workload.h"
#include "platform/d3d9/d3d9.h"

struct SDL_Renderer;
struct SDL_Surface;
struct SDL_Texture;

namespace map_workload {

// Whether a device has a depth buffer (D24S8, made with the device), and whether its test is on.
enum class DepthMode { None, BoundOff, On };

// Shared by the renderers on the software device: a windowed 640 x 480 X8R8G8B8 device, a
// managed A8R8G8B8 texture holding a picture, and the render target read back as 0x00RRGGBB.
IDirect3DDevice9* MakeScreenDevice(IDirect3D9* direct3d, DepthMode depth = DepthMode::None);
IDirect3DTexture9* MakePictureTexture(IDirect3DDevice9* device, const Picture& picture);
std::vector<std::uint32_t> ReadRenderTarget(IDirect3DDevice9* device);

class DeviceRenderer {
 public:
  explicit DeviceRenderer(const Workload& workload, DepthMode depth = DepthMode::None);
  ~DeviceRenderer();
  void DrawFrame(const std::vector<Draw>& draws);
  std::vector<std::uint32_t> Pixels();  // 0x00RRGGBB

 private:
  void RecordStates();
  void Flush(const std::vector<Draw>& draws);

  const Workload& workload;
  DWORD clearFlags;
  IDirect3D9* direct3d = nullptr;
  IDirect3DDevice9* device = nullptr;
  IDirect3DVertexDeclaration9* declaration = nullptr;
  IDirect3DVertexBuffer9* vertices = nullptr;
  IDirect3DIndexBuffer9* indices = nullptr;
  IDirect3DStateBlock9* savedStates = nullptr;
  IDirect3DStateBlock9* spriteStates = nullptr;
  std::vector<IDirect3DTexture9*> textures;
  UINT nextVertex = 0;
};

class PixmanRenderer {
 public:
  explicit PixmanRenderer(const Workload& workload);
  ~PixmanRenderer();
  void DrawFrame(const std::vector<Draw>& draws);
  std::vector<std::uint32_t> Pixels();

 private:
  std::vector<std::uint32_t> target;
  pixman_image_t* destination = nullptr;
  std::vector<pixman_image_t*> sources;
};

class SdlRenderer {
 public:
  explicit SdlRenderer(const Workload& workload);
  ~SdlRenderer();
  void DrawFrame(const std::vector<Draw>& draws);
  std::vector<std::uint32_t> Pixels();

 private:
  SDL_Surface* target = nullptr;
  SDL_Renderer* renderer = nullptr;
  std::vector<SDL_Texture*> textures;
};

}  // namespace map_workload
