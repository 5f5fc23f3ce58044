// Triangles and lines cut by the near and far planes and the guard band, drawn filled, as
// wireframe and as points, compared with the reference rasteriser's clipping.
#include <string>
#include <vector>

#include "tests/platform/d3d9/depth_scene.h"

namespace d3d9_test {
namespace {

using reference::ClipVertex;
using reference::Frame;
using reference::States;
using reference::Vertex;

struct WorldVertex {
  float x, y, z;
  D3DCOLOR colour;
};
constexpr DWORD worldFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE;

// w is the eye distance z; the near plane is at z = 1 and the far plane at z = 10.
D3DMATRIX Perspective() {
  const float scale = 10.0f / 9.0f;
  D3DMATRIX m = {};
  m.m[0][0] = 1;
  m.m[1][1] = 1;
  m.m[2][2] = scale;
  m.m[2][3] = 1;
  m.m[3][2] = -scale;
  return m;
}

class ClippingTest : public DepthSceneTest {
 protected:
  void SetUp() override {
    DepthSceneTest::SetUp();
    projection = Perspective();
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    ASSERT_EQ(S_OK, device->SetTransform(D3DTS_PROJECTION, &projection));
  }

  // The vertex as the device transforms it: the row (x, y, z, 1) times the projection.
  ClipVertex InClipSpace(const WorldVertex& v) const {
    const double position[4] = {v.x, v.y, v.z, 1.0};
    double clip[4];
    for (int c = 0; c < 4; ++c) {
      double sum = 0.0;
      for (int k = 0; k < 4; ++k) sum += position[k] * double(projection.m[k][c]);
      clip[c] = sum;
    }
    return {clip[0], clip[1], clip[2], clip[3], v.colour};
  }

  // Draws a list of `type` on the device and in `frame`; the device's shade mode is `shade`,
  // the reference takes each primitive's first colour.
  void DrawWorld(Frame& frame, const States& states, D3DPRIMITIVETYPE type,
                 const std::vector<WorldVertex>& vertices, bool clipping,
                 DWORD shade = D3DSHADE_GOURAUD) {
    Apply(states);
    device->SetRenderState(D3DRS_CLIPPING, clipping);
    device->SetRenderState(D3DRS_SHADEMODE, shade);
    ASSERT_EQ(S_OK, device->SetFVF(worldFvf));
    const UINT count = UINT(vertices.size());
    const UINT primitives = type == D3DPT_TRIANGLELIST ? count / 3
                            : type == D3DPT_LINELIST   ? count / 2
                                                       : count - 1;
    ASSERT_EQ(S_OK, device->BeginScene());
    ASSERT_EQ(S_OK,
              device->DrawPrimitiveUP(type, primitives, vertices.data(), sizeof(WorldVertex)));
    ASSERT_EQ(S_OK, device->EndScene());
    const reference::Viewport viewport = {0, 0, width, height, 0, 1};
    std::vector<ClipVertex> clip;
    for (const WorldVertex& v : vertices) clip.push_back(InClipSpace(v));
    for (UINT i = 0; i < primitives; ++i) {
      if (type == D3DPT_TRIANGLELIST) {
        frame.ClippedTriangle(states, viewport, clipping, clip[3 * i], clip[3 * i + 1],
                              clip[3 * i + 2]);
        continue;
      }
      const UINT first = type == D3DPT_LINELIST ? 2 * i : i;
      frame.ClippedLine(states, viewport, clipping, clip[first], clip[first + 1],
                        states.lastPixel);
    }
  }

  D3DMATRIX projection;
};

// Each triangle is one colour, or under flat shading has its first vertex's colour; the others
// differ so that a colour taken from elsewhere shows.
std::vector<WorldVertex> Triangles(bool flat) {
  const D3DCOLOR other = flat ? 0xFF808080 : 0;
  std::vector<WorldVertex> out;
  const auto add = [&](WorldVertex a, WorldVertex b, WorldVertex c) {
    if (flat) b.colour = c.colour = other;
    out.insert(out.end(), {a, b, c});
  };
  // Through the near plane, its first corner in front of it.
  add({0.2f, 0.9f, 0.6f, 0xFFFF0000}, {1.5f, -0.8f, 3.0f, 0xFFFF0000},
      {-1.8f, -0.5f, 2.5f, 0xFFFF0000});
  // Through the far plane, counter-clockwise.
  add({-3.0f, 2.0f, 8.0f, 0xFF00FF00}, {1.0f, -4.0f, 12.0f, 0xFF00FF00},
      {4.0f, 3.0f, 14.0f, 0xFF00FF00});
  // Far beyond the guard band on the right.
  add({800.0f, 0.5f, 2.0f, 0xFF0000FF}, {0.2f, -0.7f, 2.5f, 0xFF0000FF},
      {-0.5f, 0.6f, 2.0f, 0xFF0000FF});
  // Beyond the guard band above and through the near plane.
  add({0.1f, 0.2f, 4.0f, 0xFFFFFF00}, {-0.3f, 700.0f, 1.5f, 0xFFFFFF00},
      {0.9f, 0.4f, 0.25f, 0xFFFFFF00});
  // Within every plane.
  add({-0.9f, -0.2f, 2.0f, 0xFFFF00FF}, {-0.2f, -0.9f, 2.0f, 0xFFFF00FF},
      {-0.9f, -0.9f, 3.0f, 0xFFFF00FF});
  return out;
}

TEST_F(ClippingTest, ClippedTrianglesShowTheirOutlineAndOnlyTheirOwnCorners) {
  for (const bool clipping : {true, false}) {
    for (const DWORD shade : {D3DSHADE_GOURAUD, D3DSHADE_FLAT}) {
      for (const DWORD fill : {D3DFILL_POINT, D3DFILL_WIREFRAME, D3DFILL_SOLID}) {
        for (const DWORD cull : {D3DCULL_NONE, D3DCULL_CCW, D3DCULL_CW}) {
          const std::string scene = "clipping " + std::to_string(clipping) + " shade " +
                                    std::to_string(shade) + " fill " + std::to_string(fill) +
                                    " cull " + std::to_string(cull);
          Frame frame = BlackFrame();
          States states;
          states.fill = fill;
          states.cull = cull;
          DrawWorld(frame, states, D3DPT_TRIANGLELIST, Triangles(shade == D3DSHADE_FLAT),
                    clipping, shade);
          ExpectSameColours(frame, scene);
        }
      }
    }
  }
}

// Pre-transformed triangles far beyond the guard band on different sides still cover the
// target between them.
TEST_F(ClippingTest, PretransformedTrianglesBeyondTheGuardBandAreCutNotDropped) {
  for (const DWORD fill : {D3DFILL_SOLID, D3DFILL_WIREFRAME}) {
    Frame frame = BlackFrame();
    States states;
    states.fill = fill;
    Draw(frame, states,
         {{-30000, -20, 0, 0xFFFFFFFF}, {30000, 10, 0, 0xFFFFFFFF}, {20, 40000, 0, 0xFFFFFFFF}});
    EXPECT_EQ(fill == D3DFILL_SOLID ? 0xFFFFFFu : 0u, PixelAt(32, 32));
    // The reference draws the whole triangle; the target shows its middle.
    if (fill == D3DFILL_SOLID) ExpectSameColours(frame, "solid");
  }
}

TEST_F(ClippingTest, LinesAreCutOnThePlanesWithoutALastPixelAtTheCut) {
  const std::vector<WorldVertex> list = {
      // From the near plane's far side into view, and back out.
      {0.3f, 0.2f, 3.0f, 0xFFFF0000}, {-0.4f, 0.3f, 0.5f, 0xFFFF0000},
      {-0.2f, -0.6f, 0.4f, 0xFF00FF00}, {0.35f, -0.45f, 2.0f, 0xFF00FF00},
      // Through the far plane.
      {-6.0f, 5.0f, 8.0f, 0xFF0000FF}, {3.0f, -2.0f, 16.0f, 0xFF0000FF},
      // Out through the guard band, and in from it.
      {0.1f, 0.7f, 2.0f, 0xFFFFFF00}, {900.0f, -300.0f, 2.0f, 0xFFFFFF00},
      {-500.0f, -700.0f, 1.5f, 0xFFFF00FF}, {-0.6f, 0.1f, 2.0f, 0xFFFF00FF},
      // From behind the eye.
      {0.5f, 0.5f, -2.0f, 0xFF00FFFF}, {-0.3f, -0.25f, 2.5f, 0xFF00FFFF},
      // Wholly in front of the near plane, and wholly inside.
      {0.1f, 0.1f, 0.5f, 0xFFFFFFFF}, {0.4f, -0.2f, 0.8f, 0xFFFFFFFF},
      {-0.8f, 0.85f, 2.0f, 0xFF808080}, {0.7f, 0.75f, 2.0f, 0xFF808080}};
  for (const bool clipping : {true, false}) {
    for (const bool lastPixel : {true, false}) {
      for (const D3DPRIMITIVETYPE type : {D3DPT_LINELIST, D3DPT_LINESTRIP}) {
        const std::string scene = "clipping " + std::to_string(clipping) + " last pixel " +
                                  std::to_string(lastPixel) + " type " + std::to_string(type);
        Frame frame = BlackFrame();
        States states;
        states.lastPixel = lastPixel;
        // A strip joins ends of different colours: flat shading keeps each line's first.
        DrawWorld(frame, states, type, list, clipping, D3DSHADE_FLAT);
        ExpectSameColours(frame, scene);
      }
    }
  }
}

TEST_F(ClippingTest, PretransformedLinesAreCutOnTheGuardBand) {
  const std::vector<Vertex> ends = {{10.3, 20.7, 0, 0xFFFF0000},   {40000.5, 30.2, 0, 0xFFFF0000},
                                    {50000, 40, 0, 0xFF00FF00},    {20.2, 33.1, 0, 0xFF00FF00},
                                    {30.6, -25000, 0, 0xFF0000FF}, {40.1, 60.4, 0, 0xFF0000FF},
                                    {-20000, -19900, 0, 0xFFFFFF00}, {50.2, 62.7, 0, 0xFFFFFF00}};
  for (const bool lastPixel : {true, false}) {
    Frame frame = BlackFrame();
    States states;
    states.lastPixel = lastPixel;
    DrawLines(frame, states, ends);
    ExpectSameColours(frame, lastPixel ? "with the last pixel" : "without the last pixel");
  }
}

}  // namespace
}  // namespace d3d9_test
