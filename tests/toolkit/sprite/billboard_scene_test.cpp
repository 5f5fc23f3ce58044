// Billboards in a perspective view over a depth-tested ground, drawn by the sprite object with
// a depth sort, compared with the reference rasteriser drawing the quads the sprite's rules
// give: each billboard a square of one view unit centred on its position, facing the viewer,
// in the order of its depth key, blended by source alpha.
#include <algorithm>
#include <string>

#include "tests/platform/d3d9/reference_raster.h"
#include "tests/toolkit/sprite/sprite_fixture.h"

namespace sprite_test {
namespace {

// Row-vector perspective: x' = 2x, y' = 2y, w = z, and z from 1 to 33 onto depth 0 to 1. On
// the 64 x 64 target a point (x, y, z) lands on (32 + 64x / z, 32 - 64y / z), exactly for the
// scene's positions.
D3DMATRIX Perspective() {
  D3DMATRIX m{};
  m._11 = 2.0f;
  m._22 = 2.0f;
  m._33 = 33.0f / 32.0f;
  m._34 = 1.0f;
  m._43 = -33.0f / 32.0f;
  return m;
}

reference::Vertex Project(double x, double y, double z, std::uint32_t colour) {
  return {32.0 + 64.0 * x / z, 32.0 - 64.0 * y / z, (33.0 / 32.0) * (z - 1.0) / z, colour};
}

struct Billboard {
  double x, y, z;
  std::uint32_t texel;
  std::uint32_t diffuse;
};

std::uint32_t Modulate(std::uint32_t a, std::uint32_t b) {
  std::uint32_t out = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    const double product = double((a >> shift) & 0xFF) * double((b >> shift) & 0xFF) / 255.0;
    out |= std::uint32_t(product + 0.5) << shift;
  }
  return out;
}

class BillboardSceneTest : public SpriteTest {
 protected:
  // The scene with billboards writing depth or not, compared with the reference.
  void DrawScene(DWORD write);
};

// With depth writes, nearer billboards drawn first hide those behind them; without, the later
// ones blend over them. The ground hides what is below it either way.
TEST_F(BillboardSceneTest, DepthSortedBillboardsOverADepthTestedGround) {
  for (const DWORD write : {TRUE, FALSE}) {
    DrawScene(write);
  }
}

void BillboardSceneTest::DrawScene(DWORD write) {
  win32::ComRef<IDirect3DSurface9> depth;
  ASSERT_EQ(S_OK, device->CreateDepthStencilSurface(width, height, D3DFMT_D16_LOCKABLE,
                                                    D3DMULTISAMPLE_NONE, 0, FALSE, depth.Receive(),
                                                    nullptr));
  ASSERT_EQ(S_OK, device->SetDepthStencilSurface(depth.Get()));
  ASSERT_EQ(S_OK, device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE));
  ASSERT_EQ(S_OK, device->SetRenderState(D3DRS_LIGHTING, FALSE));
  ASSERT_EQ(S_OK, device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE));
  const D3DMATRIX projection = Perspective();
  ASSERT_EQ(S_OK, device->SetTransform(D3DTS_PROJECTION, &projection));
  reference::Frame frame(int(width), int(height), reference::DepthKind::Unorm16);
  frame.Clear(0xFF000000, 1.0, 0);
  // The fixture has begun the scene.
  ASSERT_EQ(S_OK,
            device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0));

  // The ground: level at y = -15/8, from z = 2 to z = 32.
  struct GroundVertex {
    float x, y, z;
    D3DCOLOR colour;
  };
  const D3DCOLOR ground = 0xFF506070;
  const GroundVertex quad[4] = {{-16, -1.875f, 2, ground},
                                {16, -1.875f, 2, ground},
                                {16, -1.875f, 32, ground},
                                {-16, -1.875f, 32, ground}};
  ASSERT_EQ(S_OK, device->SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE));
  ASSERT_EQ(S_OK, device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, quad, sizeof(GroundVertex)));
  reference::States states;
  states.zEnable = true;
  reference::Vertex corners[4];
  for (int k = 0; k < 4; ++k) corners[k] = Project(quad[k].x, quad[k].y, quad[k].z, ground);
  frame.Triangle(states, corners[0], corners[1], corners[2]);
  frame.Triangle(states, corners[0], corners[2], corners[3]);

  // Half-transparent billboards overlapping one another, one sunk partly into the ground and
  // one wholly below it, queued far and near mixed.
  const Billboard billboards[] = {
      {-0.75, -1.0, 8, 0xFFFF0000, 0x80FFFFFF},  {0.5, -1.0, 16, 0xFF0000FF, 0xFFFFFFFF},
      {0.25, -0.625, 4, 0xFF00FF00, 0x80FFFFFF}, {-3.0, -1.75, 16, 0xFFFFFF00, 0xC0FFFFFF},
      {0.25, -1.0, 2, 0xFFFF00FF, 0x60FFFFFF},   {1.5, -3.0, 8, 0xFF00FFFF, 0xFFFFFFFF},
      {0.3125, -1.0, 8, 0xFFFFFFFF, 0x80FFFFFF}};
  ASSERT_EQ(S_OK, device->SetRenderState(D3DRS_ZWRITEENABLE, write));
  ASSERT_EQ(S_OK, sprite->Begin(D3DXSPRITE_ALPHABLEND | D3DXSPRITE_OBJECTSPACE |
                                D3DXSPRITE_BILLBOARD | D3DXSPRITE_SORT_DEPTH_BACKTOFRONT));
  const D3DXVECTOR3 center(0.5f, 0.5f, 0.0f);
  for (const Billboard& b : billboards) {
    const D3DXVECTOR3 position(float(b.x), float(b.y), float(b.z));
    ASSERT_EQ(S_OK, sprite->Draw(Texture(1, 1, b.texel), nullptr, &center, &position, b.diffuse));
  }
  ASSERT_EQ(S_OK, sprite->End());

  // The depth key of a billboard is minus the sum of its corners' view z; back to front draws
  // the larger keys first.
  std::vector<Billboard> order(std::begin(billboards), std::end(billboards));
  std::stable_sort(order.begin(), order.end(),
                   [](const Billboard& a, const Billboard& b) { return -4 * a.z > -4 * b.z; });
  states.blend = true;
  states.zWrite = write != FALSE;
  for (const Billboard& b : order) {
    const std::uint32_t colour = Modulate(b.texel, b.diffuse);
    const reference::Vertex v[4] = {
        Project(b.x - 0.5, b.y - 0.5, b.z, colour), Project(b.x - 0.5, b.y + 0.5, b.z, colour),
        Project(b.x + 0.5, b.y - 0.5, b.z, colour), Project(b.x + 0.5, b.y + 0.5, b.z, colour)};
    frame.Triangle(states, v[0], v[1], v[2]);
    frame.Triangle(states, v[2], v[1], v[3]);
  }

  // Blending rounds each product on the device: colours agree within one unit.
  const std::vector<std::uint32_t> pixels = ReadBack();
  int differing = 0, billboardPixels = 0;
  for (UINT y = 0; y < height; ++y) {
    for (UINT x = 0; x < width; ++x) {
      const std::uint32_t got = pixels[y * width + x];
      const std::uint32_t want = frame.ColourAt(int(x), int(y));
      billboardPixels += want != 0 && want != (ground & 0xFFFFFF);
      bool close = true;
      for (int shift = 0; shift < 24; shift += 8) {
        const int d = int((got >> shift) & 0xFF) - int((want >> shift) & 0xFF);
        close = close && d >= -1 && d <= 1;
      }
      if (!close && ++differing <= 3) {
        ADD_FAILURE() << "pixel " << x << "," << y << " is " << std::hex << got
                      << ", the reference has " << want;
      }
    }
  }
  EXPECT_EQ(0, differing) << "depth writes " << write;
  EXPECT_GT(billboardPixels, 300);
  D3DLOCKED_RECT locked;
  ASSERT_EQ(S_OK, depth->LockRect(&locked, nullptr, D3DLOCK_READONLY));
  int depthDiffering = 0;
  for (UINT y = 0; y < height; ++y) {
    const auto* row = reinterpret_cast<const std::uint16_t*>(
        static_cast<const BYTE*>(locked.pBits) + std::size_t(y) * locked.Pitch);
    for (UINT x = 0; x < width; ++x) {
      if (row[x] == frame.DepthAt(int(x), int(y))) continue;
      if (++depthDiffering <= 3) {
        ADD_FAILURE() << "depth at " << x << "," << y << " is " << row[x] << ", the reference has "
                      << frame.DepthAt(int(x), int(y));
      }
    }
  }
  depth->UnlockRect();
  EXPECT_EQ(0, depthDiffering) << "depth writes " << write;
  ASSERT_EQ(S_OK, device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE));
  ASSERT_EQ(S_OK, device->SetDepthStencilSurface(nullptr));
}

}  // namespace
}  // namespace sprite_test
