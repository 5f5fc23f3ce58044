// Coverage, culling and colour interpolation of triangles.
#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "tests/platform/d3d9/device_fixture.h"

namespace d3d9_test {
namespace {

class RasterisationTest : public DeviceTest {
 protected:
  void DrawTriangle(ScreenVertex a, ScreenVertex b, ScreenVertex c) {
    const ScreenVertex triangle[3] = {a, b, c};
    ASSERT_EQ(S_OK, device->SetFVF(screenVertexFvf));
    ASSERT_EQ(S_OK, device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, triangle, sizeof(ScreenVertex)));
  }
  void AdditiveBlending() {
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
  }
  static ScreenVertex At(float x, float y, D3DCOLOR colour = 0xFF404040) {
    return {x, y, 0, 1, colour, 0, 0};
  }
};

// Where (x, y) lies against the convex polygon `corners`: +1 strictly inside, -1 strictly
// outside, 0 on an edge line (where the fill rule decides).
int SideOfConvex(const std::vector<std::pair<double, double>>& corners, double x, double y) {
  int sign = 0;
  bool onEdge = false;
  for (std::size_t i = 0; i < corners.size(); ++i) {
    const auto [ax, ay] = corners[i];
    const auto [bx, by] = corners[(i + 1) % corners.size()];
    const double cross = (bx - ax) * (y - ay) - (by - ay) * (x - ax);
    if (std::fabs(cross) < 1e-9) {
      onEdge = true;
      continue;
    }
    const int s = cross > 0 ? 1 : -1;
    if (sign != 0 && s != sign) return -1;
    sign = s;
  }
  return onEdge ? 0 : 1;
}

TEST_F(RasterisationTest, TrianglesSharingAnEdgeCoverEachPixelOnce) {
  ClearTo(0xFF000000);
  AdditiveBlending();
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  ASSERT_EQ(S_OK, device->BeginScene());
  // A slanted shared edge, one that runs through pixel centres, and a vertical one on centres.
  DrawTriangle(At(3.3f, 2.1f), At(40.7f, 9.9f), At(7.2f, 50.4f));
  DrawTriangle(At(40.7f, 9.9f), At(45.0f, 52.0f), At(7.2f, 50.4f));
  DrawTriangle(At(55, 4), At(63, 12), At(55, 20));
  DrawTriangle(At(55, 4), At(55, 20), At(47, 12));
  ASSERT_EQ(S_OK, device->EndScene());
  const std::vector<std::uint32_t> pixels = ReadBack();
  // Each pair forms a convex quadrilateral: every pixel centre strictly inside it, on the
  // shared edge too, is covered exactly once; every one strictly outside is not covered.
  const std::vector<std::vector<std::pair<double, double>>> quads = {
      {{3.3, 2.1}, {40.7, 9.9}, {45.0, 52.0}, {7.2, 50.4}},
      {{55, 4}, {63, 12}, {55, 20}, {47, 12}}};
  int inside = 0;
  for (UINT y = 0; y < height; ++y) {
    for (UINT x = 0; x < width; ++x) {
      const std::uint32_t pixel = pixels[std::size_t(y) * width + x];
      ASSERT_TRUE(pixel == 0 || pixel == 0x404040u)
          << "pixel " << x << "," << y << " is " << std::hex << pixel;
      int side = -1;
      for (const auto& quad : quads) side = std::max(side, SideOfConvex(quad, x, y));
      if (side == 0) continue;
      EXPECT_EQ(side > 0, pixel != 0) << "pixel " << x << "," << y;
      inside += side > 0;
    }
  }
  EXPECT_GT(inside, 1000);
}

TEST_F(RasterisationTest, PixelCentresAreAtIntegerCoordinatesWithTopLeftEdgesIncluded) {
  ClearTo(0xFF000000);
  ASSERT_EQ(S_OK, device->BeginScene());
  DrawQuad(10.5f, 10.5f, 12.5f, 12.5f, 0xFFFFFFFF);
  DrawQuad(20.0f, 20.0f, 21.0f, 21.0f, 0xFFFFFFFF);
  ASSERT_EQ(S_OK, device->EndScene());
  EXPECT_EQ(0u, PixelAt(10, 10));
  EXPECT_EQ(0xFFFFFFu, PixelAt(11, 11));
  EXPECT_EQ(0xFFFFFFu, PixelAt(12, 12));
  EXPECT_EQ(0u, PixelAt(13, 12));
  // A one-pixel quad on a centre covers exactly that pixel.
  EXPECT_EQ(0xFFFFFFu, PixelAt(20, 20));
  EXPECT_EQ(0u, PixelAt(21, 20));
  EXPECT_EQ(0u, PixelAt(20, 21));
}

TEST_F(RasterisationTest, CounterClockwiseTrianglesAreCulledByDefault) {
  ClearTo(0xFF000000);
  ASSERT_EQ(S_OK, device->BeginScene());
  // On screen (y down) this runs counter-clockwise.
  DrawTriangle(At(5, 5), At(5, 30), At(30, 5));
  ASSERT_EQ(S_OK, device->EndScene());
  EXPECT_EQ(0u, PixelAt(8, 8));

  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
  ASSERT_EQ(S_OK, device->BeginScene());
  DrawTriangle(At(5, 5), At(5, 30), At(30, 5));
  DrawTriangle(At(35, 5), At(60, 5), At(35, 30));  // clockwise: culled now
  ASSERT_EQ(S_OK, device->EndScene());
  EXPECT_EQ(0x404040u, PixelAt(8, 8));
  EXPECT_EQ(0u, PixelAt(38, 8));
}

TEST_F(RasterisationTest, GouraudShadingGivesVertexColoursAtTheCorners) {
  ClearTo(0xFF000000);
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  ASSERT_EQ(S_OK, device->BeginScene());
  DrawTriangle(At(0, 0, 0xFFFF0000), At(60, 0, 0xFF00FF00), At(0, 60, 0xFF0000FF));
  ASSERT_EQ(S_OK, device->EndScene());
  EXPECT_EQ(0xFF0000u, PixelAt(0, 0));
  // Halfway along the top edge: red and green in equal parts.
  EXPECT_EQ(0x808000u, PixelAt(30, 0) & 0xFEFEFE);
  EXPECT_EQ(0x800080u, PixelAt(0, 30) & 0xFEFEFE);
  // One pixel in from the green and blue corners, within one step of their colours.
  const std::uint32_t nearGreen = PixelAt(58, 0);
  EXPECT_NEAR(0xFF, int((nearGreen >> 8) & 0xFF), 9);
  EXPECT_NEAR(0x00, int(nearGreen >> 16), 9);
}

TEST_F(RasterisationTest, FlatShadingTakesTheFirstVertexColour) {
  ClearTo(0xFF000000);
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  device->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_FLAT);
  ASSERT_EQ(S_OK, device->BeginScene());
  DrawTriangle(At(0, 0, 0xFF123456), At(60, 0, 0xFF00FF00), At(0, 60, 0xFF0000FF));
  ASSERT_EQ(S_OK, device->EndScene());
  EXPECT_EQ(0x123456u, PixelAt(20, 20));
  EXPECT_EQ(0x123456u, PixelAt(1, 50));
}

// The health bar of the game: a fan of pre-transformed vertices with z and rhw 0, blended
// half transparently over the scene.
TEST_F(RasterisationTest, AFanOfPretransformedVerticesWithRhwZeroDraws) {
  ClearTo(0xFF000000);
  struct BarVertex {
    float x, y, z, rhw;
    D3DCOLOR colour;
  };
  const float left = 10, bottom = 40, health = 20;
  const BarVertex bar[4] = {{left, bottom, 0, 0, 0x80FF0000},
                            {left, bottom - 10, 0, 0, 0x8000FF00},
                            {left + 2 * health, bottom - 10, 0, 0, 0x800000FF},
                            {left + 2 * health, bottom, 0, 0, 0x80FFFFFF}};
  ASSERT_EQ(S_OK, device->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE));
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  ASSERT_EQ(S_OK, device->BeginScene());
  ASSERT_EQ(S_OK, device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, bar, sizeof(BarVertex)));
  ASSERT_EQ(S_OK, device->EndScene());
  // Pixel rows 30..39 and columns 10..49; the top-left corner is vertex 1's green at half.
  EXPECT_EQ(0x008000u, PixelAt(10, 30));
  EXPECT_EQ(0u, PixelAt(10, 29));
  EXPECT_EQ(0u, PixelAt(50, 35));
  EXPECT_EQ(0u, PixelAt(30, 40));
  const std::uint32_t middle = PixelAt(30, 35);
  EXPECT_NE(0u, middle);
  EXPECT_LE(int(middle >> 16), 0x80);

  // A negative health turns the winding counter-clockwise, and culling removes the bar.
  ClearTo(0xFF000000);
  BarVertex dead[4];
  for (int i = 0; i < 4; ++i) dead[i] = bar[i];
  dead[2].x = dead[3].x = left - 10;
  ASSERT_EQ(S_OK, device->BeginScene());
  ASSERT_EQ(S_OK, device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, dead, sizeof(BarVertex)));
  ASSERT_EQ(S_OK, device->EndScene());
  EXPECT_EQ(0u, PixelAt(5, 35));
}

TEST_F(RasterisationTest, TransformedVerticesAreClippedToTheViewportAndTheNearPlane) {
  ClearTo(0xFF000000);
  struct Vertex {
    float x, y, z;
    D3DCOLOR colour;
  };
  device->SetRenderState(D3DRS_LIGHTING, FALSE);
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  const D3DVIEWPORT9 viewport = {16, 16, 32, 32, 0.0f, 1.0f};
  ASSERT_EQ(S_OK, device->SetViewport(&viewport));
  ASSERT_EQ(S_OK, device->SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE));
  // Far larger than the viewport; identity transforms map [-1, 1] onto it.
  const Vertex big[3] = {{-50, 50, 0.5f, 0xFFFFFFFF}, {50, 50, 0.5f, 0xFFFFFFFF},
                         {0, -50, 0.5f, 0xFFFFFFFF}};
  ASSERT_EQ(S_OK, device->BeginScene());
  ASSERT_EQ(S_OK, device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, big, sizeof(Vertex)));
  ASSERT_EQ(S_OK, device->EndScene());
  EXPECT_EQ(0u, PixelAt(15, 30));
  EXPECT_EQ(0xFFFFFFu, PixelAt(16, 30));
  EXPECT_EQ(0xFFFFFFu, PixelAt(47, 47));
  EXPECT_EQ(0u, PixelAt(48, 30));

  // Behind the near plane (z < 0) nothing is drawn.
  ClearTo(0xFF000000);
  const Vertex behind[3] = {{-1, 1, -0.5f, 0xFFFFFFFF}, {1, 1, -0.5f, 0xFFFFFFFF},
                            {0, -1, -0.5f, 0xFFFFFFFF}};
  ASSERT_EQ(S_OK, device->BeginScene());
  ASSERT_EQ(S_OK, device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, behind, sizeof(Vertex)));
  ASSERT_EQ(S_OK, device->EndScene());
  EXPECT_EQ(0u, PixelAt(32, 32));
}

// Cutting an edge that runs from -1e38 to 1e38 loses every digit of the cut coordinate
// unless the cut point is put on the clip plane. This triangle's edge along y = -0.5 is cut on
// the left and right planes; above it the triangle covers the whole viewport.
TEST_F(RasterisationTest, EdgesReachingTheFloatLimitAreCutOnTheClipPlanes) {
  ClearTo(0xFF000000);
  struct Vertex {
    float x, y, z;
    D3DCOLOR colour;
  };
  device->SetRenderState(D3DRS_LIGHTING, FALSE);
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  ASSERT_EQ(S_OK, device->SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE));
  const Vertex wide[3] = {{-1e38f, -0.5f, 0.5f, 0xFFFFFFFF}, {1e38f, -0.5f, 0.5f, 0xFFFFFFFF},
                          {0.0f, 1e38f, 0.5f, 0xFFFFFFFF}};
  ASSERT_EQ(S_OK, device->BeginScene());
  ASSERT_EQ(S_OK, device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, wide, sizeof(Vertex)));
  ASSERT_EQ(S_OK, device->EndScene());
  // y = -0.5 falls between rows 47 and 48.
  for (const auto& [x, y] : {std::pair{0, 0}, {63, 0}, {2, 20}, {61, 40}, {32, 47}}) {
    EXPECT_EQ(0xFFFFFFu, PixelAt(x, y)) << x << ", " << y;
  }
  for (const auto& [x, y] : {std::pair{0, 48}, {32, 48}, {63, 63}}) {
    EXPECT_EQ(0u, PixelAt(x, y)) << x << ", " << y;
  }
}

TEST_F(RasterisationTest, UntransformedVerticesAreLitWhileLightingIsOn) {
  ClearTo(0xFF000000);
  struct Vertex {
    float x, y, z;
    D3DCOLOR colour;
  };
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  device->SetRenderState(D3DRS_AMBIENT, 0xFF808080);
  D3DMATERIAL9 material{};
  material.Ambient = {1.0f, 0.5f, 0.0f, 1.0f};
  material.Diffuse = {0.0f, 0.0f, 0.0f, 1.0f};
  ASSERT_EQ(S_OK, device->SetMaterial(&material));
  // Without a diffuse colour in the vertices the material's colours apply.
  ASSERT_EQ(S_OK, device->SetFVF(D3DFVF_XYZ));
  const float triangle[9] = {-1, 1, 0.5f, 1, 1, 0.5f, 0, -1, 0.5f};
  ASSERT_EQ(S_OK, device->BeginScene());
  ASSERT_EQ(S_OK, device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, triangle, 12));
  ASSERT_EQ(S_OK, device->EndScene());
  EXPECT_EQ(0x804000u, PixelAt(32, 40));
}

TEST_F(RasterisationTest, DrawingOutsideAScenIsRefused) {
  const ScreenVertex triangle[3] = {At(0, 0), At(10, 0), At(0, 10)};
  ASSERT_EQ(S_OK, device->SetFVF(screenVertexFvf));
  EXPECT_EQ(D3DERR_INVALIDCALL,
            device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, triangle, sizeof(ScreenVertex)));
  EXPECT_EQ(D3DERR_INVALIDCALL, device->EndScene());
  ASSERT_EQ(S_OK, device->BeginScene());
  EXPECT_EQ(D3DERR_INVALIDCALL, device->BeginScene());
  EXPECT_EQ(D3DERR_INVALIDCALL, device->Present(nullptr, nullptr, nullptr, nullptr));
  EXPECT_EQ(S_OK, device->EndScene());
}

}  // namespace
}  // namespace d3d9_test
