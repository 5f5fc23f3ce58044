#include "bench/d3d9/frame_renderers.h"

#include <SDL.h>

#include <cstring>

namespace map_workload {
namespace {

struct SpriteVertex {
  float x, y, z;
  D3DCOLOR colour;
  float u, v;
};

constexpr UINT ringVertices = 16384;

D3DMATRIX Identity() {
  D3DMATRIX m{};
  m._11 = m._22 = m._33 = m._44 = 1.0f;
  return m;
}

D3DMATRIX ScreenProjection(const D3DVIEWPORT9& viewport) {
  const float x = float(viewport.X), y = float(viewport.Y);
  const float w = float(viewport.Width), h = float(viewport.Height);
  D3DMATRIX m{};
  m._11 = 2.0f / w;
  m._22 = -2.0f / h;
  m._33 = 1.0f;
  m._44 = 1.0f;
  m._41 = -(2.0f * x + 1.0f) / w - 1.0f;
  m._42 = (2.0f * y + 1.0f) / h + 1.0f;
  return m;
}

void SpriteStateCalls(IDirect3DDevice9* device) {
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  device->SetRenderState(D3DRS_LIGHTING, FALSE);
  device->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
  device->SetRenderState(D3DRS_ALPHAREF, 0);
  device->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATER);
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
  device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
  device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
  device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
  device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
  device->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
  device->SetSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP);
  device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
  device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
  device->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_LINEAR);
  const D3DMATRIX identity = Identity();
  device->SetTransform(D3DTS_WORLD, &identity);
  device->SetTransform(D3DTS_VIEW, &identity);
}

}  // namespace

IDirect3DDevice9* MakeScreenDevice(IDirect3D9* direct3d, DepthMode depth) {
  D3DPRESENT_PARAMETERS parameters{};
  parameters.EnableAutoDepthStencil = depth != DepthMode::None;
  parameters.AutoDepthStencilFormat = D3DFMT_D24S8;
  parameters.BackBufferWidth = screenWidth;
  parameters.BackBufferHeight = screenHeight;
  parameters.BackBufferFormat = D3DFMT_X8R8G8B8;
  parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
  parameters.Windowed = TRUE;
  IDirect3DDevice9* device = nullptr;
  direct3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_HARDWARE_VERTEXPROCESSING,
                         &parameters, &device);
  // An automatic depth buffer turns the test on; the bound-but-off case turns it off again.
  device->SetRenderState(D3DRS_ZENABLE, depth == DepthMode::On ? D3DZB_TRUE : D3DZB_FALSE);
  return device;
}

IDirect3DTexture9* MakePictureTexture(IDirect3DDevice9* device, const Picture& picture) {
  IDirect3DTexture9* texture = nullptr;
  device->CreateTexture(UINT(picture.width), UINT(picture.height), 1, 0, D3DFMT_A8R8G8B8,
                        D3DPOOL_MANAGED, &texture, nullptr);
  D3DLOCKED_RECT locked;
  texture->LockRect(0, &locked, nullptr, 0);
  for (int y = 0; y < picture.height; ++y) {
    std::memcpy(static_cast<BYTE*>(locked.pBits) + std::size_t(y) * locked.Pitch,
                picture.texels.data() + std::size_t(y) * picture.width,
                std::size_t(picture.width) * 4);
  }
  texture->UnlockRect(0);
  return texture;
}

std::vector<std::uint32_t> ReadRenderTarget(IDirect3DDevice9* device) {
  IDirect3DSurface9* target = nullptr;
  IDirect3DSurface9* copy = nullptr;
  device->GetRenderTarget(0, &target);
  device->CreateOffscreenPlainSurface(screenWidth, screenHeight, D3DFMT_X8R8G8B8,
                                      D3DPOOL_SYSTEMMEM, &copy, nullptr);
  device->GetRenderTargetData(target, copy);
  D3DLOCKED_RECT locked;
  copy->LockRect(&locked, nullptr, D3DLOCK_READONLY);
  std::vector<std::uint32_t> pixels(std::size_t(screenWidth) * screenHeight);
  for (int y = 0; y < screenHeight; ++y) {
    const auto* row = reinterpret_cast<const std::uint32_t*>(static_cast<const BYTE*>(locked.pBits) +
                                                             std::size_t(y) * locked.Pitch);
    for (int x = 0; x < screenWidth; ++x) pixels[std::size_t(y) * screenWidth + x] = row[x] & 0xFFFFFF;
  }
  copy->UnlockRect();
  copy->Release();
  target->Release();
  return pixels;
}

// --- The device, driven as the sprite object drives it ----------------------------------------

DeviceRenderer::DeviceRenderer(const Workload& toDraw, DepthMode depth)
    : workload(toDraw),
      clearFlags(D3DCLEAR_TARGET |
                 (depth == DepthMode::On ? D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL : 0)) {
  direct3d = Direct3DCreate9(D3D_SDK_VERSION);
  device = MakeScreenDevice(direct3d, depth);
  const D3DVERTEXELEMENT9 elements[] = {
      {0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
      {0, 12, D3DDECLTYPE_D3DCOLOR, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_COLOR, 0},
      {0, 16, D3DDECLTYPE_FLOAT2, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 0},
      D3DDECL_END};
  device->CreateVertexDeclaration(elements, &declaration);
  device->CreateVertexBuffer(ringVertices * sizeof(SpriteVertex),
                             D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, 0, D3DPOOL_DEFAULT, &vertices,
                             nullptr);
  device->CreateIndexBuffer(0xC000, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_DEFAULT, &indices,
                            nullptr);
  void* data = nullptr;
  indices->Lock(0, 0, &data, 0);
  auto* index = static_cast<WORD*>(data);
  for (UINT q = 0; q < 4096; ++q) {
    const WORD quad[6] = {WORD(4 * q), WORD(4 * q + 1), WORD(4 * q + 2),
                          WORD(4 * q + 2), WORD(4 * q + 1), WORD(4 * q + 3)};
    std::memcpy(index + 6 * q, quad, sizeof(quad));
  }
  indices->Unlock();
  for (const Picture& picture : workload.pictures) {
    textures.push_back(MakePictureTexture(device, picture));
  }
  RecordStates();
}

DeviceRenderer::~DeviceRenderer() {
  for (IDirect3DTexture9* texture : textures) texture->Release();
  savedStates->Release();
  spriteStates->Release();
  declaration->Release();
  vertices->Release();
  indices->Release();
  device->Release();
  direct3d->Release();
}

void DeviceRenderer::RecordStates() {
  device->BeginStateBlock();
  SpriteStateCalls(device);
  device->SetVertexDeclaration(declaration);
  device->SetStreamSource(0, nullptr, 0, 0);
  device->SetTexture(0, nullptr);
  const D3DMATRIX identity = Identity();
  device->SetTransform(D3DTS_PROJECTION, &identity);
  device->EndStateBlock(&savedStates);
  device->BeginStateBlock();
  SpriteStateCalls(device);
  device->EndStateBlock(&spriteStates);
}

void DeviceRenderer::Flush(const std::vector<Draw>& draws) {
  device->SetVertexDeclaration(declaration);
  device->SetIndices(indices);
  device->SetStreamSource(0, vertices, 0, sizeof(SpriteVertex));
  int bound = -1;
  std::size_t next = 0;
  while (next < draws.size()) {
    const int picture = draws[next].picture;
    if (picture != bound) {
      device->SetTexture(0, textures[std::size_t(picture)]);
      bound = picture;
    }
    void* data = nullptr;
    vertices->Lock(0, 0, &data, nextVertex > 0 ? D3DLOCK_NOOVERWRITE : D3DLOCK_DISCARD);
    auto* ring = static_cast<SpriteVertex*>(data);
    const UINT startVertex = nextVertex;
    const float inverseW = 1.0f / float(workload.pictures[std::size_t(picture)].width);
    const float inverseH = 1.0f / float(workload.pictures[std::size_t(picture)].height);
    while (next < draws.size() && draws[next].picture == bound && nextVertex < ringVertices) {
      const Draw& d = draws[next++];
      const float x = float(d.x), y = float(d.y), w = float(d.width), h = float(d.height);
      const float uL = float(d.sourceX) * inverseW, uR = float(d.sourceX + d.width) * inverseW;
      const float vT = float(d.sourceY) * inverseH, vB = float(d.sourceY + d.height) * inverseH;
      SpriteVertex* quad = ring + nextVertex;
      quad[0] = {x, y, 0, 0xFFFFFFFF, uL, vT};
      quad[1] = {x, y + h, 0, 0xFFFFFFFF, uL, vB};
      quad[2] = {x + w, y, 0, 0xFFFFFFFF, uR, vT};
      quad[3] = {x + w, y + h, 0, 0xFFFFFFFF, uR, vB};
      nextVertex += 4;
    }
    vertices->Unlock();
    const UINT count = nextVertex - startVertex;
    device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, startVertex, count, startVertex / 4 * 6,
                                 count / 2);
    if (nextVertex >= ringVertices) nextVertex = 0;
  }
}

void DeviceRenderer::DrawFrame(const std::vector<Draw>& draws) {
  device->Clear(0, nullptr, clearFlags, 0xFF000000, 1.0f, 0);
  device->BeginScene();
  savedStates->Capture();
  spriteStates->Apply();
  D3DVIEWPORT9 viewport;
  device->GetViewport(&viewport);
  const D3DMATRIX projection = ScreenProjection(viewport);
  device->SetTransform(D3DTS_PROJECTION, &projection);
  Flush(draws);
  savedStates->Apply();
  device->EndScene();
}

std::vector<std::uint32_t> DeviceRenderer::Pixels() { return ReadRenderTarget(device); }

// --- pixman ----------------------------------------------------------------------------------

PixmanRenderer::PixmanRenderer(const Workload& workload)
    : target(std::size_t(screenWidth) * screenHeight) {
  destination = pixman_image_create_bits(PIXMAN_x8r8g8b8, screenWidth, screenHeight,
                                         target.data(), screenWidth * 4);
  // Keyed texels are transparent black, so the pictures are premultiplied as they are.
  for (const Picture& picture : workload.pictures) {
    sources.push_back(pixman_image_create_bits(
        PIXMAN_a8r8g8b8, picture.width, picture.height,
        const_cast<std::uint32_t*>(picture.texels.data()), picture.width * 4));
  }
}

PixmanRenderer::~PixmanRenderer() {
  for (pixman_image_t* source : sources) pixman_image_unref(source);
  pixman_image_unref(destination);
}

void PixmanRenderer::DrawFrame(const std::vector<Draw>& draws) {
  pixman_fill(target.data(), screenWidth, 32, 0, 0, screenWidth, screenHeight, 0xFF000000);
  for (const Draw& d : draws) {
    pixman_image_composite32(PIXMAN_OP_OVER, sources[std::size_t(d.picture)], nullptr,
                             destination, d.sourceX, d.sourceY, 0, 0, d.x, d.y, d.width,
                             d.height);
  }
}

std::vector<std::uint32_t> PixmanRenderer::Pixels() {
  std::vector<std::uint32_t> pixels = target;
  for (std::uint32_t& pixel : pixels) pixel &= 0xFFFFFF;
  return pixels;
}

// --- SDL2's software renderer ------------------------------------------------------------------

SdlRenderer::SdlRenderer(const Workload& workload) {
  target = SDL_CreateRGBSurfaceWithFormat(0, screenWidth, screenHeight, 32, SDL_PIXELFORMAT_RGB888);
  renderer = SDL_CreateSoftwareRenderer(target);
  for (const Picture& picture : workload.pictures) {
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(
        const_cast<std::uint32_t*>(picture.texels.data()), picture.width, picture.height, 32,
        picture.width * 4, SDL_PIXELFORMAT_ARGB8888);
    SDL_Texture* texture = SDL_CreateTextureFromSurface(renderer, surface);
    SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_BLEND);
    SDL_FreeSurface(surface);
    textures.push_back(texture);
  }
}

SdlRenderer::~SdlRenderer() {
  for (SDL_Texture* texture : textures) SDL_DestroyTexture(texture);
  SDL_DestroyRenderer(renderer);
  SDL_FreeSurface(target);
}

void SdlRenderer::DrawFrame(const std::vector<Draw>& draws) {
  SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
  SDL_RenderClear(renderer);
  for (const Draw& d : draws) {
    const SDL_Rect source = {d.sourceX, d.sourceY, d.width, d.height};
    const SDL_Rect destination = {d.x, d.y, d.width, d.height};
    SDL_RenderCopy(renderer, textures[std::size_t(d.picture)], &source, &destination);
  }
  SDL_RenderFlush(renderer);
}

std::vector<std::uint32_t> SdlRenderer::Pixels() {
  std::vector<std::uint32_t> pixels(std::size_t(screenWidth) * screenHeight);
  for (int y = 0; y < screenHeight; ++y) {
    const auto* row = reinterpret_cast<const std::uint32_t*>(static_cast<const std::uint8_t*>(target->pixels) +
                                                             std::size_t(y) * target->pitch);
    for (int x = 0; x < screenWidth; ++x) pixels[std::size_t(y) * screenWidth + x] = row[x] & 0xFFFFFF;
  }
  return pixels;
}

}  // namespace map_workload
