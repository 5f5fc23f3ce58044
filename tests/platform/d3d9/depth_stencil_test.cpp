// Depth and stencil buffers: their surfaces and formats, clearing, and scenes drawn under the
// tests compared with the reference rasteriser, colours and buffer contents.
#include <cstring>
#include <string>

#include "platform/win32/com_object.h"
#include "tests/platform/d3d9/depth_scene.h"

namespace d3d9_test {
namespace {

using reference::Frame;
using reference::States;
using reference::Vertex;

constexpr DWORD functions[] = {D3DCMP_NEVER,        D3DCMP_LESS,    D3DCMP_EQUAL,
                               D3DCMP_LESSEQUAL,    D3DCMP_GREATER, D3DCMP_NOTEQUAL,
                               D3DCMP_GREATEREQUAL, D3DCMP_ALWAYS};
constexpr DWORD operations[] = {D3DSTENCILOP_KEEP,    D3DSTENCILOP_ZERO,    D3DSTENCILOP_REPLACE,
                                D3DSTENCILOP_INCRSAT, D3DSTENCILOP_DECRSAT, D3DSTENCILOP_INVERT,
                                D3DSTENCILOP_INCR,    D3DSTENCILOP_DECR};

std::vector<Vertex> Quad(double left, double top, double right, double bottom, double zLeft,
                         double zRight, std::uint32_t colour) {
  return {{left, top, zLeft, colour},
          {right, top, zRight, colour},
          {right, bottom, zRight, colour},
          {left, bottom, zLeft, colour}};
}

using DepthStencilTest = DepthSceneTest;

// A level quad at depth 1/2 (drawn by the rectangle path), then a quad leaning from 1/4 to 3/4
// across it, equal to it on one column; depth is cleared to 5/8 beforehand.
TEST_F(DepthStencilTest, OverlappingQuadsUnderEveryDepthFunction) {
  for (const D3DFORMAT format : {D3DFMT_D16_LOCKABLE, D3DFMT_D32F_LOCKABLE}) {
    UseDepth(format);
    for (const DWORD func : functions) {
      for (const bool write : {true, false}) {
        const std::string scene = "format " + std::to_string(format) + " func " +
                                  std::to_string(func) + (write ? " writing" : " not writing");
        Frame frame(width, height, KindOf(format));
        frame.Clear(0xFF000000, 0.625, 0);
        ASSERT_EQ(S_OK, device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000,
                                      0.625f, 0));
        States states;
        states.zEnable = true;
        states.zWrite = write;
        states.zFunc = func;
        Draw(frame, states, Quad(8, 8, 40, 40, 0.5, 0.5, 0xFFFF0000), true);
        Draw(frame, states, Quad(24, 16, 56, 56, 0.25, 0.75, 0xFF00FF00), true);
        ExpectSameColours(frame, scene);
        ExpectSameDepth(frame, scene);
      }
    }
  }
}

// Without a depth test a later quad covers an earlier nearer one; with it, it does not, and
// turning ZENABLE off leaves the buffer as it was.
TEST_F(DepthStencilTest, TheTestFollowsZEnableAndTheBoundSurface) {
  UseDepth(D3DFMT_D16_LOCKABLE);
  ASSERT_EQ(S_OK, device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0));
  ASSERT_EQ(S_OK, device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE));
  const auto drawTwo = [&] {
    ASSERT_EQ(S_OK, device->BeginScene());
    ScreenVertex near[3] = {{0, 0, 0.25f, 1, 0xFFFF0000, 0, 0},
                            {32, 0, 0.25f, 1, 0xFFFF0000, 0, 0},
                            {0, 32, 0.25f, 1, 0xFFFF0000, 0, 0}};
    ScreenVertex far[3] = {{0, 0, 0.75f, 1, 0xFF0000FF, 0, 0},
                           {32, 0, 0.75f, 1, 0xFF0000FF, 0, 0},
                           {0, 32, 0.75f, 1, 0xFF0000FF, 0, 0}};
    device->SetFVF(screenVertexFvf);
    ASSERT_EQ(S_OK, device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, near, sizeof(ScreenVertex)));
    ASSERT_EQ(S_OK, device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, far, sizeof(ScreenVertex)));
    ASSERT_EQ(S_OK, device->EndScene());
  };
  drawTwo();
  EXPECT_EQ(0xFF0000u, PixelAt(4, 4));
  EXPECT_EQ(0x4000u, ReadDepth()[4 * width + 4]);  // 0.25 of 65535, rounded
  ASSERT_EQ(S_OK, device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE));
  ASSERT_EQ(S_OK, device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 0.5f, 0));
  drawTwo();
  EXPECT_EQ(0x0000FFu, PixelAt(4, 4));
  EXPECT_EQ(0x8000u, ReadDepth()[4 * width + 4]);
  // Unbound, the surface is neither tested nor cleared.
  ASSERT_EQ(S_OK, device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE));
  ASSERT_EQ(S_OK, device->SetDepthStencilSurface(nullptr));
  IDirect3DSurface9* bound = reinterpret_cast<IDirect3DSurface9*>(1);
  EXPECT_EQ(D3DERR_NOTFOUND, device->GetDepthStencilSurface(&bound));
  EXPECT_EQ(nullptr, bound);
  EXPECT_EQ(D3DERR_INVALIDCALL, device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0));
  drawTwo();
  EXPECT_EQ(0x0000FFu, PixelAt(4, 4));
  EXPECT_EQ(0x8000u, ReadDepth()[4 * width + 4]);
  ASSERT_EQ(S_OK, device->SetDepthStencilSurface(depthSurface));
  ASSERT_EQ(S_OK, device->GetDepthStencilSurface(&bound));
  EXPECT_EQ(depthSurface, bound);
  bound->Release();
}

TEST_F(DepthStencilTest, ClearsFollowTheRectanglesViewportAndFormat) {
  UseDepth(D3DFMT_D16_LOCKABLE);
  ASSERT_EQ(S_OK, device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0));
  const D3DRECT rects[2] = {{2, 3, 10, 12}, {50, 60, 80, 90}};
  D3DVIEWPORT9 viewport = {0, 0, 56, 64, 0.0f, 1.0f};
  ASSERT_EQ(S_OK, device->SetViewport(&viewport));
  ASSERT_EQ(S_OK, device->Clear(2, rects, D3DCLEAR_ZBUFFER, 0, 0.0f, 0));
  const std::vector<std::uint32_t> depth = ReadDepth();
  for (UINT y = 0; y < height; ++y) {
    for (UINT x = 0; x < width; ++x) {
      const bool cleared = (x >= 2 && x < 10 && y >= 3 && y < 12) || (x >= 50 && x < 56 && y >= 60);
      EXPECT_EQ(cleared ? 0u : 0xFFFFu, depth[y * width + x]) << x << "," << y;
    }
  }
  // Depth outside 0..1 and stencil of a format without it are refused.
  EXPECT_EQ(D3DERR_INVALIDCALL, device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.5f, 0));
  EXPECT_EQ(D3DERR_INVALIDCALL, device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, -0.25f, 0));
  EXPECT_EQ(D3DERR_INVALIDCALL, device->Clear(0, nullptr, D3DCLEAR_STENCIL, 0, 1.0f, 0));
  UseDepth(D3DFMT_D24S8);
  EXPECT_EQ(S_OK, device->Clear(0, nullptr, D3DCLEAR_STENCIL, 0, 1.0f, 7));
  viewport.Width = 64;
  ASSERT_EQ(S_OK, device->SetViewport(&viewport));
  const std::vector<std::uint32_t> stencil = RevealStencil();
  EXPECT_EQ(7u, stencil[0]);
  EXPECT_EQ(7u, stencil[55]);
  EXPECT_EQ(0u, stencil[56]);
}

// Blits whose rows are known to pass untested must see depth written through a lock and by a
// clear of part of the buffer.
TEST_F(DepthStencilTest, BlitsSeeDepthFromLocksAndPartialClears) {
  UseDepth(D3DFMT_D16_LOCKABLE);
  const auto texture = MakeTexture(64, 32, std::vector<std::uint32_t>(64 * 32, 0xFFFF0000));
  ASSERT_EQ(S_OK, device->SetTexture(0, texture.Get()));
  ASSERT_EQ(S_OK, device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE));
  ASSERT_EQ(S_OK, device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0));
  const auto blit = [&](float top) {
    ASSERT_EQ(S_OK, device->BeginScene());
    const ScreenVertex quad[4] = {{-0.5f, top - 0.5f, 0.5f, 1, 0xFFFFFFFF, 0, 0},
                                  {63.5f, top - 0.5f, 0.5f, 1, 0xFFFFFFFF, 1, 0},
                                  {63.5f, top + 31.5f, 0.5f, 1, 0xFFFFFFFF, 1, 1},
                                  {-0.5f, top + 31.5f, 0.5f, 1, 0xFFFFFFFF, 0, 1}};
    ASSERT_EQ(S_OK, device->SetFVF(screenVertexFvf));
    ASSERT_EQ(S_OK, device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, quad, sizeof(ScreenVertex)));
    ASSERT_EQ(S_OK, device->EndScene());
  };
  const D3DRECT band = {0, 40, 64, 48};
  ASSERT_EQ(S_OK, device->Clear(1, &band, D3DCLEAR_ZBUFFER, 0, 0.25f, 0));
  blit(32);
  D3DLOCKED_RECT locked;
  ASSERT_EQ(S_OK, depthSurface->LockRect(&locked, nullptr, 0));
  const std::uint16_t nearest = 0;
  std::memcpy(static_cast<BYTE*>(locked.pBits) + 5 * locked.Pitch + 2 * 10, &nearest, 2);
  ASSERT_EQ(S_OK, depthSurface->UnlockRect());
  blit(0);
  const std::vector<std::uint32_t> pixels = ReadBack();
  EXPECT_EQ(0u, pixels[5 * width + 10]);
  EXPECT_EQ(0xFF0000u, pixels[5 * width + 11]);
  EXPECT_EQ(0xFF0000u, pixels[39 * width + 3]);
  EXPECT_EQ(0u, pixels[40 * width + 3]);
  EXPECT_EQ(0u, pixels[47 * width + 60]);
  EXPECT_EQ(0xFF0000u, pixels[48 * width + 60]);
  const std::vector<std::uint32_t> depth = ReadDepth();
  EXPECT_EQ(0u, depth[5 * width + 10]);
  EXPECT_EQ(0x8000u, depth[5 * width + 11]);
  EXPECT_EQ(0x4000u, depth[44 * width + 30]);
  device->SetTexture(0, nullptr);
}

// Every operation as the stencil-fail, depth-fail and pass operation of a quad over regions
// cleared to 0x00 and 0xFF, leaning through the cleared depth; the mask is then used to draw.
TEST_F(DepthStencilTest, AStencilMaskIsDrawnThenUsed) {
  UseDepth(D3DFMT_D24S8);
  for (int k = 0; k < 8; ++k) {
    const std::string scene = "rotation " + std::to_string(k);
    Frame frame(width, height, reference::DepthKind::Unorm24);
    frame.Clear(0xFF000000, 0.5, 0xFF);
    frame.ClearRect(0, 32, 64, 64, false, 0, true, 0x00);
    ASSERT_EQ(S_OK, device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL,
                                  0xFF000000, 0.5f, 0xFF));
    const D3DRECT lower = {0, 32, 64, 64};
    ASSERT_EQ(S_OK, device->Clear(1, &lower, D3DCLEAR_STENCIL, 0, 0.0f, 0x00));
    States mask;
    mask.zEnable = true;
    mask.zFunc = D3DCMP_LESS;
    mask.stencilEnable = true;
    mask.stencilFunc = D3DCMP_LESSEQUAL;
    mask.stencilRef = 0x80;
    mask.stencilMask = 0xF0;
    mask.stencilWriteMask = 0xF3;
    mask.stencilFail = operations[k];
    mask.stencilZFail = operations[(k + 3) % 8];
    mask.stencilPass = operations[(k + 5) % 8];
    Draw(frame, mask, Quad(8, 8, 56, 56, 0.25, 0.75, 0xFF808080), true);
    States use;
    use.stencilEnable = true;
    use.stencilFunc = D3DCMP_NOTEQUAL;
    use.stencilRef = 0xFF;
    use.stencilMask = 0x3C;
    Draw(frame, use, Quad(0, 0, 64, 64, 0, 0, 0xFF2040C0), true);
    ExpectSameColours(frame, scene);
    const std::vector<std::uint32_t> stencil = RevealStencil();
    int differing = 0;
    for (UINT y = 0; y < height; ++y) {
      for (UINT x = 0; x < width; ++x) {
        differing += stencil[y * width + x] != frame.StencilAt(int(x), int(y));
      }
    }
    EXPECT_EQ(0, differing) << scene;
  }
}

// The automatic surface comes with the device, in the asked format and the back buffer's size,
// and the depth test is on from the start.
// A blit's depth writes keep every cell's stencil: after a clear, a part clear of the stencil
// alone and a draw that replaces it in a band, a depth-tested blit over the whole buffer
// (opaque texels with transparent columns, so that it writes depth in spans) leaves the three
// stencil values where they were, as it leaves them after a clear alone.
TEST_F(DepthStencilTest, BlitDepthWritesKeepTheStencil) {
  UseDepth(D3DFMT_D24S8);
  std::vector<std::uint32_t> texels(std::size_t(width) * height);
  for (std::size_t i = 0; i < texels.size(); ++i) {
    const std::uint32_t colour = std::uint32_t(i * 2654435761u >> 8) & 0xFFFFFF;
    texels[i] = (i % width) % 7 == 0 ? 0x00102030u : 0xFF000000u | colour;
  }
  const auto texture = MakeTexture(width, height, texels);
  // 0: a clear alone; 1: then a part clear of the stencil; 2: then a band drawn with it.
  for (const int marks : {0, 1, 2}) {
    ASSERT_EQ(S_OK, device->Clear(0, nullptr, D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, 0, 1.0f, 0x5A));
    device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    device->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
    device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
    device->SetRenderState(D3DRS_STENCILENABLE, FALSE);  // as RevealStencil left it: on
    if (marks == 1) {
      const D3DRECT top = {0, 0, LONG(width), 16};
      ASSERT_EQ(S_OK, device->Clear(1, &top, D3DCLEAR_STENCIL, 0, 0.0f, 0x21));
    }
    if (marks == 2) {
      device->SetRenderState(D3DRS_STENCILENABLE, TRUE);
      device->SetRenderState(D3DRS_STENCILFUNC, D3DCMP_ALWAYS);
      device->SetRenderState(D3DRS_STENCILPASS, D3DSTENCILOP_REPLACE);
      device->SetRenderState(D3DRS_STENCILREF, 0x77);
      ASSERT_EQ(S_OK, device->BeginScene());
      DrawQuad(-0.5f, 39.5f, float(width) - 0.5f, 55.5f, 0xFF808080);
      ASSERT_EQ(S_OK, device->EndScene());
      device->SetRenderState(D3DRS_STENCILENABLE, FALSE);
    }
    device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    device->SetTexture(0, texture.Get());
    device->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
    device->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATER);
    device->SetRenderState(D3DRS_ALPHAREF, 0);
    ASSERT_EQ(S_OK, device->BeginScene());
    DrawQuad(-0.5f, -0.5f, float(width) - 0.5f, float(height) - 0.5f, 0xFFFFFFFF);
    ASSERT_EQ(S_OK, device->EndScene());
    device->SetTexture(0, nullptr);
    device->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
    const std::vector<std::uint32_t> stencil = RevealStencil();
    for (UINT y = 0; y < height; ++y) {
      const std::uint32_t expected =
          marks == 1 && y < 16 ? 0x21 : (marks == 2 && y >= 40 && y < 56 ? 0x77 : 0x5A);
      for (UINT x = 0; x < width; ++x) {
        ASSERT_EQ(expected, stencil[std::size_t(y) * width + x])
            << "marks " << marks << " at " << x << "," << y;
      }
    }
  }
}

TEST(DepthStencilSurfaces, AutomaticSurfaceFormatsAndMatches) {
  const auto direct3d = win32::ComRef<IDirect3D9>::Adopt(
      d3d9::CreateTestDirect3D(std::make_shared<d3d9::TestSetup>()));
  D3DPRESENT_PARAMETERS parameters{};
  parameters.BackBufferWidth = 40;
  parameters.BackBufferHeight = 30;
  parameters.BackBufferFormat = D3DFMT_X8R8G8B8;
  parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
  parameters.Windowed = TRUE;
  parameters.EnableAutoDepthStencil = TRUE;
  parameters.AutoDepthStencilFormat = D3DFMT_D24S8;
  win32::ComRef<IDirect3DDevice9> device;
  ASSERT_EQ(S_OK,
            direct3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_HARDWARE_VERTEXPROCESSING,
                                   &parameters, device.Receive()));
  win32::ComRef<IDirect3DSurface9> surface;
  ASSERT_EQ(S_OK, device->GetDepthStencilSurface(surface.Receive()));
  D3DSURFACE_DESC desc;
  ASSERT_EQ(S_OK, surface->GetDesc(&desc));
  EXPECT_EQ(D3DFMT_D24S8, desc.Format);
  EXPECT_EQ(40u, desc.Width);
  EXPECT_EQ(30u, desc.Height);
  EXPECT_EQ(DWORD(D3DUSAGE_DEPTHSTENCIL), desc.Usage);
  D3DLOCKED_RECT locked;
  EXPECT_EQ(D3DERR_INVALIDCALL, surface->LockRect(&locked, nullptr, 0));
  surface.Reset();
  DWORD zEnable = 0;
  ASSERT_EQ(S_OK, device->GetRenderState(D3DRS_ZENABLE, &zEnable));
  EXPECT_EQ(DWORD(D3DZB_TRUE), zEnable);
  ASSERT_EQ(S_OK, device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL,
                                0, 1.0f, 0));
  ASSERT_EQ(S_OK, device->BeginScene());
  ASSERT_EQ(S_OK, device->SetFVF(screenVertexFvf));
  for (const auto& [z, colour] : {std::pair{0.25f, 0xFFFF0000u}, std::pair{0.75f, 0xFF0000FFu}}) {
    const ScreenVertex quad[4] = {{0, 0, z, 1, colour, 0, 0},
                                  {20, 0, z, 1, colour, 0, 0},
                                  {20, 20, z, 1, colour, 0, 0},
                                  {0, 20, z, 1, colour, 0, 0}};
    ASSERT_EQ(S_OK, device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, quad, sizeof(ScreenVertex)));
  }
  ASSERT_EQ(S_OK, device->EndScene());
  EXPECT_EQ(0xFF0000u, ReadRenderTarget(device.Get(), 40, 30)[5 * 40 + 5]);

  // Formats: the six depth formats as surfaces only; lockable ones lock.
  for (const D3DFORMAT format : {D3DFMT_D16, D3DFMT_D24X8, D3DFMT_D24S8, D3DFMT_D32,
                                 D3DFMT_D16_LOCKABLE, D3DFMT_D32F_LOCKABLE}) {
    EXPECT_EQ(S_OK, direct3d->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8,
                                                D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, format));
    EXPECT_EQ(D3DERR_NOTAVAILABLE,
              direct3d->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DUSAGE_DEPTHSTENCIL,
                                          D3DRTYPE_TEXTURE, format));
    EXPECT_EQ(S_OK, direct3d->CheckDepthStencilMatch(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8,
                                                     D3DFMT_A8R8G8B8, format));
    ASSERT_EQ(S_OK, device->CreateDepthStencilSurface(8, 8, format, D3DMULTISAMPLE_NONE, 0, FALSE,
                                                      surface.Receive(), nullptr));
    const bool lockable = format == D3DFMT_D16_LOCKABLE || format == D3DFMT_D32F_LOCKABLE;
    const HRESULT lock = surface->LockRect(&locked, nullptr, 0);
    EXPECT_EQ(lockable ? S_OK : D3DERR_INVALIDCALL, lock) << format;
    if (SUCCEEDED(lock)) surface->UnlockRect();
    surface.Reset();
  }
  for (const D3DFORMAT format : {D3DFMT_D15S1, D3DFMT_D24X4S4, D3DFMT_D24FS8, D3DFMT_A8R8G8B8}) {
    EXPECT_EQ(D3DERR_NOTAVAILABLE,
              direct3d->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DUSAGE_DEPTHSTENCIL,
                                          D3DRTYPE_SURFACE, format));
    EXPECT_EQ(D3DERR_NOTAVAILABLE,
              device->CreateDepthStencilSurface(8, 8, format, D3DMULTISAMPLE_NONE, 0, FALSE,
                                                surface.Receive(), nullptr));
  }
  EXPECT_EQ(D3DERR_INVALIDCALL,
            device->CreateDepthStencilSurface(0, 8, D3DFMT_D16, D3DMULTISAMPLE_NONE, 0, FALSE,
                                              surface.Receive(), nullptr));
  win32::ComRef<IDirect3DTexture9> texture;
  EXPECT_EQ(D3DERR_INVALIDCALL, device->CreateTexture(8, 8, 1, D3DUSAGE_DEPTHSTENCIL, D3DFMT_D16,
                                                      D3DPOOL_DEFAULT, texture.Receive(), nullptr));
  // A render target is no depth surface.
  win32::ComRef<IDirect3DSurface9> target;
  ASSERT_EQ(S_OK, device->GetRenderTarget(0, target.Receive()));
  EXPECT_EQ(D3DERR_INVALIDCALL, device->SetDepthStencilSurface(target.Get()));
  target.Reset();

  D3DCAPS9 caps;
  ASSERT_EQ(S_OK, device->GetDeviceCaps(&caps));
  EXPECT_EQ(DWORD(0xFF), caps.ZCmpCaps);
  EXPECT_EQ(DWORD(0xFF), caps.StencilCaps);  // every operation, one-sided
  EXPECT_NE(0u, caps.RasterCaps & D3DPRASTERCAPS_ZTEST);
  EXPECT_NE(0u, caps.PrimitiveMiscCaps & D3DPMISCCAPS_MASKZ);
  EXPECT_EQ(0u, device.Detach()->Release());
}

}  // namespace
}  // namespace d3d9_test
