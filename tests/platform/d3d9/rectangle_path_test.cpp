// The rectangle path (one-texel-per-pixel blits, skipped transparent runs, copied opaque runs)
// must draw exactly what the triangle path draws. The same quads are drawn once as a
// two-triangle fan, which the rectangle path takes, and once as two separate triangles, which
// it cannot.
#include <algorithm>
#include <cstring>

#include "platform/win32/com_object.h"
#include "tests/platform/d3d9/sprite_like.h"

namespace d3d9_test {
namespace {

// Runs of transparent, opaque and partly transparent texels, as colour-keyed pictures have.
std::vector<std::uint32_t> KeyedPicture(UINT w, UINT h) {
  std::vector<std::uint32_t> texels(std::size_t(w) * h);
  std::uint32_t seed = 99;
  for (std::size_t i = 0; i < texels.size(); ++i) {
    seed = seed * 1664525u + 1013904223u;
    const std::uint32_t colour = seed >> 8;
    const std::size_t x = i % w;
    const std::uint32_t alpha = x % 11 < 4 ? 0 : (x % 11 == 7 ? (seed >> 24) : 0xFF);
    texels[i] = (alpha << 24) | colour;
  }
  return texels;
}

class RectanglePathTest : public DeviceTest {
 protected:
  // Quads the rectangle path has drawn since the last call: a comparison with the triangle
  // path proves nothing of quads it declined.
  std::uint64_t Taken() {
    const std::uint64_t total = d3d9::RectanglesTaken(device);
    const std::uint64_t since = total - takenBefore;
    takenBefore = total;
    return since;
  }

  // The quad as one fan, which the rectangle path may take (Taken() tells whether it did),
  // and as two triangles, which it cannot.
  void DrawBoth(float left, float top, float right, float bottom, D3DCOLOR colour, float u0,
                float v0, float u1, float v1, std::vector<std::uint32_t>* asQuad,
                std::vector<std::uint32_t>* asTriangles) {
    const ScreenVertex quad[4] = {{left, top, 0, 1, colour, u0, v0},
                                  {right, top, 0, 1, colour, u1, v0},
                                  {right, bottom, 0, 1, colour, u1, v1},
                                  {left, bottom, 0, 1, colour, u0, v1}};
    device->SetFVF(screenVertexFvf);
    ClearTo(0xFF405060);
    ASSERT_EQ(S_OK, device->BeginScene());
    Taken();
    ASSERT_EQ(S_OK, device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, quad, sizeof(ScreenVertex)));
    ASSERT_EQ(S_OK, device->EndScene());
    *asQuad = ReadBack();
    takenByQuad = Taken();
    const ScreenVertex first[3] = {quad[0], quad[1], quad[2]};
    const ScreenVertex second[3] = {quad[0], quad[2], quad[3]};
    ClearTo(0xFF405060);
    ASSERT_EQ(S_OK, device->BeginScene());
    ASSERT_EQ(S_OK, device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, first, sizeof(ScreenVertex)));
    ASSERT_EQ(S_OK, device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, second, sizeof(ScreenVertex)));
    ASSERT_EQ(S_OK, device->EndScene());
    *asTriangles = ReadBack();
  }
  void DrawQuadsOverQuads(D3DFORMAT format);

  std::uint64_t takenBefore = 0;
  std::uint64_t takenByQuad = 0;  // by DrawBoth's fan
};

// Narrow rectangles are drawn row by row whole, wider ones run by run: both sizes are drawn.
TEST_F(RectanglePathTest, MatchesTheTrianglePathUnderTheSpritesStatesAndOthers) {
  for (const UINT size : {24u, 48u}) {
    const auto texture = MakeTexture(size, size, KeyedPicture(size, size));
    SpriteLikeDrawer sprite(device);
    sprite.SetStates();
    device->SetFVF(screenVertexFvf);
    device->SetTexture(0, texture.Get());
    const struct {
      const char* name;
      DWORD alphaTest, blend, filter;
      D3DCOLOR colour;
    } variants[] = {{"sprite", TRUE, TRUE, D3DTEXF_LINEAR, 0xFFFFFFFF},
                    {"tinted", TRUE, TRUE, D3DTEXF_LINEAR, 0x80FF8040},
                    {"blend only", FALSE, TRUE, D3DTEXF_POINT, 0xFFFFFFFF},
                    {"opaque", FALSE, FALSE, D3DTEXF_LINEAR, 0xFFFFFFFF},
                    {"test only", TRUE, FALSE, D3DTEXF_POINT, 0xC0FFFFFF}};
    // One texel per pixel at whole positions (also partly off the target, and of a part of
    // the texture), which the blit takes, and shapes it cannot: a half-pixel offset and a
    // magnification.
    const float n = float(size);
    const struct {
      float left, top, right, bottom, u0, v0, u1, v1;
      bool blit;
    } placements[] = {{-0.5f, -0.5f, n - 0.5f, n - 0.5f, 0, 0, 1, 1, true},
                      {20 - 0.5f, 40 - 0.5f, 20 + n - 0.5f, 40 + n - 0.5f, 0, 0, 1, 1, true},
                      {-10.5f, 5.5f, n - 10.5f, n + 5.5f, 0, 0, 1, 1, true},
                      {3.5f, 3.5f, 3.5f + n / 4, 3.5f + n / 2, 0.25f, 0.125f, 0.5f, 0.625f, true},
                      {3, 3, 3 + n, 3 + n, 0, 0, 1, 1, false},
                      {0, 0, 2 * n, 2 * n, 0, 0, 1, 1, false}};
    for (const auto& v : variants) {
      device->SetRenderState(D3DRS_ALPHATESTENABLE, v.alphaTest);
      device->SetRenderState(D3DRS_ALPHABLENDENABLE, v.blend);
      device->SetSamplerState(0, D3DSAMP_MAGFILTER, v.filter);
      device->SetSamplerState(0, D3DSAMP_MINFILTER, v.filter);
      for (const auto& p : placements) {
        std::vector<std::uint32_t> quad, triangles;
        DrawBoth(p.left, p.top, p.right, p.bottom, v.colour, p.u0, p.v0, p.u1, p.v1, &quad,
                 &triangles);
        if (p.blit) {
          EXPECT_EQ(1u, takenByQuad) << v.name << " size " << size << " at " << p.left;
        }
        for (std::size_t i = 0; i < quad.size(); ++i) {
          ASSERT_EQ(triangles[i], quad[i]) << v.name << " size " << size << " at " << p.left
                                           << "," << p.top << " pixel " << i % width << ","
                                           << i / width;
        }
      }
    }
    device->SetTexture(0, nullptr);
  }
}

// With the depth test on, over a depth buffer of random triangles at three depths, the
// rectangle path draws and writes depth exactly where the triangle path does.
TEST_F(RectanglePathTest, MatchesTheTrianglePathWithDepthTested) {
  win32::ComRef<IDirect3DSurface9> depth;
  ASSERT_EQ(S_OK, device->CreateDepthStencilSurface(width, height, D3DFMT_D16_LOCKABLE,
                                                    D3DMULTISAMPLE_NONE, 0, FALSE, depth.Receive(),
                                                    nullptr));
  ASSERT_EQ(S_OK, device->SetDepthStencilSurface(depth.Get()));
  std::vector<ScreenVertex> pattern;
  std::uint32_t seed = 7;
  const auto next = [&](std::uint32_t range) {
    seed = seed * 1664525u + 1013904223u;
    return (seed >> 8) % range;
  };
  for (int k = 0; k < 24; ++k) {
    const float z = 0.25f * float(1 + next(3));
    for (int corner = 0; corner < 3; ++corner) {
      pattern.push_back({float(next(80)) - 8.0f, float(next(80)) - 8.0f, z, 1, 0xFF000000, 0, 0});
    }
  }
  const UINT size = 48;
  auto texture = MakeTexture(size, size, KeyedPicture(size, size));
  SpriteLikeDrawer sprite(device);
  sprite.SetStates();
  device->SetFVF(screenVertexFvf);
  device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
  const auto prepare = [&] {
    ClearTo(0xFF405060);
    ASSERT_EQ(S_OK, device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0));
    device->SetTexture(0, nullptr);
    device->SetRenderState(D3DRS_ZFUNC, D3DCMP_ALWAYS);
    device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
    device->SetRenderState(D3DRS_COLORWRITEENABLE, 0);
    ASSERT_EQ(S_OK, device->BeginScene());
    ASSERT_EQ(S_OK, device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, UINT(pattern.size() / 3),
                                            pattern.data(), sizeof(ScreenVertex)));
    ASSERT_EQ(S_OK, device->EndScene());
    device->SetRenderState(D3DRS_COLORWRITEENABLE, 0xF);
    device->SetTexture(0, texture.Get());
  };
  const float n = float(size);
  // Blits, and a half-pixel offset that the blit declines.
  const struct {
    float left, top;
    D3DCOLOR colour;
    DWORD alphaTest;
    bool blit;
  } placements[] = {{-0.5f, -0.5f, 0xFFFFFFFF, TRUE, true},
                    {20 - 0.5f, 10 - 0.5f, 0xC0FFFFFF, TRUE, true},
                    {-10.5f, 30.5f, 0xFFFFFFFF, FALSE, true},
                    {3.0f, 7.0f, 0xFFFFFFFF, TRUE, false}};
  for (const DWORD func : {D3DCMP_LESS, D3DCMP_EQUAL, D3DCMP_LESSEQUAL, D3DCMP_GREATER,
                           D3DCMP_NOTEQUAL, D3DCMP_ALWAYS}) {
    for (const DWORD write : {TRUE, FALSE}) {
      for (const auto& p : placements) {
        const ScreenVertex quad[4] = {{p.left, p.top, 0.5f, 1, p.colour, 0, 0},
                                      {p.left + n, p.top, 0.5f, 1, p.colour, 1, 0},
                                      {p.left + n, p.top + n, 0.5f, 1, p.colour, 1, 1},
                                      {p.left, p.top + n, 0.5f, 1, p.colour, 0, 1}};
        const ScreenVertex first[3] = {quad[0], quad[1], quad[2]};
        const ScreenVertex second[3] = {quad[0], quad[2], quad[3]};
        std::vector<std::uint32_t> colours[2];
        std::vector<std::uint32_t> depths[2];
        for (int route = 0; route < 2; ++route) {
          prepare();
          device->SetRenderState(D3DRS_ZFUNC, func);
          device->SetRenderState(D3DRS_ZWRITEENABLE, write);
          device->SetRenderState(D3DRS_ALPHATESTENABLE, p.alphaTest);
          ASSERT_EQ(S_OK, device->BeginScene());
          if (route == 0) {
            Taken();
            ASSERT_EQ(S_OK,
                      device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, quad, sizeof(ScreenVertex)));
            const std::uint64_t taken = Taken();
            if (p.blit) {
              EXPECT_EQ(1u, taken) << "func " << func << " write " << write;
            }
          } else {
            ASSERT_EQ(S_OK,
                      device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, first, sizeof(ScreenVertex)));
            ASSERT_EQ(S_OK,
                      device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, second, sizeof(ScreenVertex)));
          }
          ASSERT_EQ(S_OK, device->EndScene());
          colours[route] = ReadBack();
          depths[route] = ReadDepthCells(depth.Get());
        }
        EXPECT_EQ(colours[1], colours[0])
            << "func " << func << " write " << write << " at " << p.left;
        EXPECT_EQ(depths[1], depths[0])
            << "func " << func << " write " << write << " at " << p.left;
      }
    }
  }
  device->SetTexture(0, nullptr);
  texture.Reset();
  ASSERT_EQ(S_OK, device->SetDepthStencilSurface(nullptr));
}

// What the rectangle path knows of the buffer's depths must follow every write: quads drawn
// one over another (wide and narrow, partly over each other) and part clears, under alpha
// tests that keep some texels, all of them or none. Each scene is drawn as fans and as
// separate triangles, and both the colours and the depth cells (D16 and D32F) must agree.
TEST_F(RectanglePathTest, MatchesTheTrianglePathOverEarlierQuadsAndPartClears) {
  for (const D3DFORMAT format : {D3DFMT_D16_LOCKABLE, D3DFMT_D32F_LOCKABLE}) {
    DrawQuadsOverQuads(format);
  }
}

void RectanglePathTest::DrawQuadsOverQuads(D3DFORMAT format) {
  win32::ComRef<IDirect3DSurface9> depth;
  ASSERT_EQ(S_OK, device->CreateDepthStencilSurface(width, height, format, D3DMULTISAMPLE_NONE, 0,
                                                    FALSE, depth.Receive(), nullptr));
  ASSERT_EQ(S_OK, device->SetDepthStencilSurface(depth.Get()));
  const UINT size = 48;
  auto texture = MakeTexture(size, size, KeyedPicture(size, size));
  SpriteLikeDrawer sprite(device);
  sprite.SetStates();
  device->SetFVF(screenVertexFvf);
  device->SetTexture(0, texture.Get());
  device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
  device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
  struct Quad {
    float left, top, z, columns;
    D3DCOLOR colour;
  };
  // After a part clear to a near depth, a wide quad over it, then a narrow nearer one, and
  // wide quads over both, farther and nearer: each must see what the ones before it wrote.
  // Widths are whole eighths of the texture's, so that u maps one texel to one pixel exactly.
  const Quad quads[] = {{10.5f, 30.5f, 0.375f, 42, 0xFFFFFFFF},
                        {30.5f, -0.5f, 0.125f, 12, 0xFFFFFFFF},
                        {-0.5f, 20.5f, 0.5f, 48, 0xC0FFFFFF},
                        {4.5f, 6.5f, 0.25f, 36, 0xFFFFFFFF}};
  const D3DRECT part = {0, 40, 64, 52};
  const auto drawScene = [&](bool asFans) {
    ClearTo(0xFF405060);
    ASSERT_EQ(S_OK, device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0));
    ASSERT_EQ(S_OK, device->BeginScene());
    ASSERT_EQ(S_OK, device->Clear(1, &part, D3DCLEAR_ZBUFFER, 0, 0.3f, 0));
    for (const Quad& q : quads) {
      const float right = q.left + q.columns, bottom = q.top + float(size);
      const float u1 = q.columns / float(size);
      const ScreenVertex v[4] = {{q.left, q.top, q.z, 1, q.colour, 0, 0},
                                 {right, q.top, q.z, 1, q.colour, u1, 0},
                                 {right, bottom, q.z, 1, q.colour, u1, 1},
                                 {q.left, bottom, q.z, 1, q.colour, 0, 1}};
      if (asFans) {
        ASSERT_EQ(S_OK, device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, v, sizeof(ScreenVertex)));
      } else {
        // One call each: two triangles of one call would be paired into a rectangle.
        const ScreenVertex first[3] = {v[0], v[1], v[2]};
        const ScreenVertex second[3] = {v[0], v[2], v[3]};
        ASSERT_EQ(S_OK,
                  device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, first, sizeof(ScreenVertex)));
        ASSERT_EQ(S_OK,
                  device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, second, sizeof(ScreenVertex)));
      }
    }
    ASSERT_EQ(S_OK, device->EndScene());
  };
  const struct {
    DWORD func, ref;
  } alphaTests[] = {{D3DCMP_GREATER, 0},  {D3DCMP_GREATER, 0x80}, {D3DCMP_LESS, 0},
                    {D3DCMP_ALWAYS, 0},   {D3DCMP_NEVER, 0},      {D3DCMP_LESSEQUAL, 0x90}};
  for (const DWORD zFunc : {D3DCMP_LESSEQUAL, D3DCMP_LESS}) {
    for (const auto& a : alphaTests) {
      device->SetRenderState(D3DRS_ZFUNC, zFunc);
      device->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
      device->SetRenderState(D3DRS_ALPHAFUNC, a.func);
      device->SetRenderState(D3DRS_ALPHAREF, a.ref);
      std::vector<std::uint32_t> colours[2];
      std::vector<std::uint32_t> cells[2];
      for (int route = 0; route < 2; ++route) {
        Taken();
        drawScene(route == 0);
        EXPECT_EQ(route == 0 ? std::size(quads) : 0u, Taken());
        colours[route] = ReadBack();
        cells[route] = ReadDepthCells(depth.Get());
      }
      EXPECT_EQ(colours[1], colours[0]) << "z func " << zFunc << " alpha func " << a.func
                                        << " ref " << a.ref;
      EXPECT_EQ(cells[1], cells[0]) << "format " << format << " z func " << zFunc
                                    << " alpha func " << a.func
                                    << " ref " << a.ref;
    }
  }
  device->SetTexture(0, nullptr);
  texture.Reset();
  ASSERT_EQ(S_OK, device->SetDepthStencilSurface(nullptr));
}

// Rows far wider than the depth test takes at a time, over a depth buffer whose passing and
// failing pixels change every few columns: the blit, the untextured rectangle and the
// triangles must agree in colour and depth.
TEST_F(RectanglePathTest, WideRowsMatchTheTrianglePathOverAVariedDepthBuffer) {
  constexpr UINT wide = 1300, rows = 3;
  win32::ComRef<IDirect3DSurface9> target;
  win32::ComRef<IDirect3DSurface9> depth;
  win32::ComRef<IDirect3DSurface9> copy;
  ASSERT_EQ(S_OK, device->CreateRenderTarget(wide, rows, D3DFMT_X8R8G8B8, D3DMULTISAMPLE_NONE, 0,
                                             FALSE, target.Receive(), nullptr));
  ASSERT_EQ(S_OK,
            device->CreateDepthStencilSurface(wide, rows, D3DFMT_D16_LOCKABLE, D3DMULTISAMPLE_NONE,
                                              0, FALSE, depth.Receive(), nullptr));
  ASSERT_EQ(S_OK, device->CreateOffscreenPlainSurface(wide, rows, D3DFMT_X8R8G8B8,
                                                      D3DPOOL_SYSTEMMEM, copy.Receive(), nullptr));
  ASSERT_EQ(S_OK, device->SetRenderTarget(0, target.Get()));
  ASSERT_EQ(S_OK, device->SetDepthStencilSurface(depth.Get()));
  auto texture = MakeTexture(wide, rows, KeyedPicture(wide, rows));
  SpriteLikeDrawer sprite(device);
  sprite.SetStates();
  device->SetFVF(screenVertexFvf);
  device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
  device->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESS);
  // Near (0x2000) and far (0xF000) cells in runs of 1 to 7 columns; the quads lie between.
  const auto resetDepth = [&] {
    D3DLOCKED_RECT locked;
    ASSERT_EQ(S_OK, depth->LockRect(&locked, nullptr, 0));
    for (UINT y = 0; y < rows; ++y) {
      auto* row = reinterpret_cast<std::uint16_t*>(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch);
      for (UINT x = 0; x < wide; ++x) row[x] = (x / (1 + (x + y) % 7)) % 2 == 0 ? 0x2000 : 0xF000;
    }
    ASSERT_EQ(S_OK, depth->UnlockRect());
  };
  const auto read = [&](std::vector<std::uint32_t>* colours, std::vector<std::uint32_t>* depths) {
    ASSERT_EQ(S_OK, device->GetRenderTargetData(target.Get(), copy.Get()));
    D3DLOCKED_RECT locked;
    ASSERT_EQ(S_OK, copy->LockRect(&locked, nullptr, D3DLOCK_READONLY));
    for (UINT y = 0; y < rows; ++y) {
      const auto* row = reinterpret_cast<const std::uint32_t*>(static_cast<const BYTE*>(locked.pBits) + y * locked.Pitch);
      colours->insert(colours->end(), row, row + wide);
    }
    copy->UnlockRect();
    *depths = ReadDepthCells(depth.Get());
  };
  for (const bool textured : {true, false}) {
    device->SetTexture(0, textured ? texture.Get() : nullptr);
    const D3DCOLOR colour = textured ? 0xFFFFFFFF : 0xFF30C060;
    const float right = float(wide) - 0.5f, bottom = float(rows) - 0.5f;
    const ScreenVertex quad[4] = {{-0.5f, -0.5f, 0.5f, 1, colour, 0, 0},
                                  {right, -0.5f, 0.5f, 1, colour, 1, 0},
                                  {right, bottom, 0.5f, 1, colour, 1, 1},
                                  {-0.5f, bottom, 0.5f, 1, colour, 0, 1}};
    const ScreenVertex first[3] = {quad[0], quad[1], quad[2]};
    const ScreenVertex second[3] = {quad[0], quad[2], quad[3]};
    std::vector<std::uint32_t> colours[2];
    std::vector<std::uint32_t> depths[2];
    for (int route = 0; route < 2; ++route) {
      resetDepth();
      ASSERT_EQ(S_OK, device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF405060, 1.0f, 0));
      ASSERT_EQ(S_OK, device->BeginScene());
      if (route == 0) {
        Taken();
        ASSERT_EQ(S_OK, device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, quad, sizeof(ScreenVertex)));
        EXPECT_EQ(1u, Taken()) << (textured ? "blit" : "untextured");
      } else {
        ASSERT_EQ(S_OK, device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, first, sizeof(ScreenVertex)));
        ASSERT_EQ(S_OK, device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, second, sizeof(ScreenVertex)));
      }
      ASSERT_EQ(S_OK, device->EndScene());
      read(&colours[route], &depths[route]);
    }
    EXPECT_EQ(colours[1], colours[0]) << (textured ? "blit" : "untextured");
    EXPECT_EQ(depths[1], depths[0]) << (textured ? "blit" : "untextured");
    // Pixels pass and fail in every 500 columns of each row.
    for (UINT at = 0; at < colours[0].size(); at += 500) {
      const auto from = colours[0].begin() + at;
      const auto to = colours[0].begin() + std::min<std::size_t>(at + 500, colours[0].size());
      EXPECT_NE(to, std::find(from, to, 0xFF405060u)) << at;
      EXPECT_NE(to, std::find_if(from, to, [](std::uint32_t c) { return c != 0xFF405060u; })) << at;
    }
  }
  device->SetTexture(0, nullptr);
  texture.Reset();
  copy.Reset();
  ASSERT_EQ(S_OK, device->SetDepthStencilSurface(nullptr));
}

// A level-of-detail bias moves one texel per pixel onto another level: a positive one is no
// blit of level 0, a negative one still is.
TEST_F(RectanglePathTest, ALevelOfDetailBiasIsHonoured) {
  const auto texture = MakeTexture(16, 16, std::vector<std::uint32_t>(256, 0xFFFF0000), 2);
  FillLevel(texture.Get(), 1, std::vector<std::uint32_t>(64, 0xFF0000FF));
  SpriteLikeDrawer sprite(device);
  sprite.SetStates();
  device->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_POINT);
  for (const float bias : {1.0f, -1.0f}) {
    DWORD bits;
    std::memcpy(&bits, &bias, sizeof bits);
    device->SetSamplerState(0, D3DSAMP_MIPMAPLODBIAS, bits);
    device->SetTexture(0, texture.Get());
    std::vector<std::uint32_t> quad, triangles;
    DrawBoth(-0.5f, -0.5f, 15.5f, 15.5f, 0xFFFFFFFF, 0, 0, 1, 1, &quad, &triangles);
    EXPECT_EQ(bias < 0 ? 1u : 0u, takenByQuad) << bias;
    EXPECT_EQ(triangles, quad) << bias;
    EXPECT_EQ(bias > 0 ? 0x0000FFu : 0xFF0000u, quad[std::size_t(5) * width + 5] & 0xFFFFFF) << bias;
  }
  device->SetTexture(0, nullptr);
}

TEST_F(RectanglePathTest, ABlitSeesTexelsWrittenSinceTheLastDraw) {
  std::vector<std::uint32_t> texels(16, 0x00000000);
  const auto texture = MakeTexture(4, 4, texels);
  SpriteLikeDrawer sprite(device);
  sprite.SetStates();
  ClearTo(0xFF000000);
  Taken();
  ASSERT_EQ(S_OK, device->BeginScene());
  sprite.Draw(texture.Get(), 4, 4, {0, 0, 4, 4}, 0, 0);
  ASSERT_EQ(S_OK, device->EndScene());
  EXPECT_EQ(0u, PixelAt(1, 1));
  FillLevel(texture.Get(), 0, std::vector<std::uint32_t>(16, 0xFF00FF00));
  ASSERT_EQ(S_OK, device->BeginScene());
  sprite.Draw(texture.Get(), 4, 4, {0, 0, 4, 4}, 0, 0);
  ASSERT_EQ(S_OK, device->EndScene());
  EXPECT_EQ(0x00FF00u, PixelAt(1, 1));
  EXPECT_EQ(2u, Taken());
}

TEST_F(RectanglePathTest, UntexturedRectanglesAreFilledWithTheFillRule) {
  std::vector<std::uint32_t> quad, triangles;
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  DrawBoth(2.25f, 3.75f, 40.5f, 9.5f, 0x80FF0000, 0, 0, 0, 0, &quad, &triangles);
  EXPECT_EQ(1u, takenByQuad);
  EXPECT_EQ(triangles, quad);
  EXPECT_NE(0x405060u, quad[std::size_t(4) * width + 3]);
  EXPECT_EQ(0x405060u, quad[std::size_t(4) * width + 2]);
}

}  // namespace
}  // namespace d3d9_test
