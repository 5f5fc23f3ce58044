// Points, lines and the point and wireframe fill modes, compared with the reference
// rasteriser's point square and diamond rule.
#include <cmath>
#include <iterator>
#include <string>

#include "tests/platform/d3d9/depth_scene.h"

namespace d3d9_test {
namespace {

using reference::Frame;
using reference::States;
using reference::Vertex;

using FillModeTest = DepthSceneTest;

TEST_F(FillModeTest, APointLightsThePixelWhoseCentreIsNearestTiesGoingUpAndLeft) {
  Frame frame = BlackFrame();
  States states;
  DrawPoints(frame, states, {{20.5, 10.5, 0, 0xFFFFFFFF}});
  EXPECT_EQ(0xFFFFFFu, PixelAt(20, 10));
  EXPECT_EQ(0u, PixelAt(21, 11));
  // Positions around the ties and off the target's edges.
  std::vector<Vertex> points;
  const double offsets[] = {0.0, 0.25, 0.4999, 0.5, 0.5001, 0.75, -0.5, -0.2};
  int k = 0;
  for (const double dx : offsets) {
    for (const double dy : offsets) {
      points.push_back({4.0 + 7 * (k % 8) + dx, 20.0 + 5 * (k / 8) + dy, 0,
                        0xFF000000u | std::uint32_t(0x10203 * (k + 1))});
      ++k;
    }
  }
  points.push_back({-0.5, 3, 0, 0xFFFF0000});
  points.push_back({63.5, 3, 0, 0xFF00FF00});
  points.push_back({63.49, 5, 0, 0xFF0000FF});
  DrawPoints(frame, states, points);
  ExpectSameColours(frame, "points");
}

// Lines in every direction from a point off the pixel grid, and level and upright lines whose
// ends lie on pixel centres and on the corners of diamonds, with and without the last pixel.
TEST_F(FillModeTest, LinesLightThePixelsWhoseDiamondsTheyLeave) {
  for (const bool lastPixel : {true, false}) {
    Frame frame = BlackFrame();
    States states;
    states.lastPixel = lastPixel;
    std::vector<Vertex> ends;
    for (int k = 0; k < 40; ++k) {
      const double angle = k * 2 * 3.14159265358979 / 40 + 0.01;
      const std::uint32_t colour = 0xFF000000u | std::uint32_t(0x050A0F * (k + 1));
      const double radius = 10 + (k % 7) * 3.1;
      ends.push_back({32.3, 31.7, 0, colour});
      ends.push_back({32.3 + radius * std::cos(angle), 31.7 + radius * std::sin(angle), 0, colour});
    }
    const double lined[][4] = {{2, 2, 12, 2},  {2.5, 4, 12.5, 4},     {12, 6.5, 2, 6.5},
                               {3, 8, 3, 20},  {5.5, 20.5, 5.5, 9.5}, {7.25, 9, 7.25, 9},
                               {8, 9, 20, 21}, {20, 22, 8, 10},       {9.5, 30, 14.5, 33}};
    for (const auto& l : lined) {
      ends.push_back({l[0], l[1], 0, 0xFFFFFF00});
      ends.push_back({l[2], l[3], 0, 0xFFFFFF00});
    }
    DrawLines(frame, states, ends);
    ExpectSameColours(frame, lastPixel ? "with the last pixel" : "without the last pixel");
  }
}

// Lines whose ends have different reciprocal w take their colours linearly in space, as
// triangles do; with equal ones, linearly on screen. Within one unit per channel.
TEST_F(FillModeTest, LineColoursArePerspectiveCorrect) {
  struct End {
    float x, y, rhw;
    D3DCOLOR colour;
  };
  const End ends[] = {{4.3f, 10.2f, 1.0f, 0xFFFF0000},  {60.1f, 14.7f, 0.1f, 0xFF0000FF},
                      {50.2f, 20.3f, 0.2f, 0xFF00FF00}, {5.7f, 50.9f, 1.0f, 0xFFFFFFFF},
                      {30.4f, 58.6f, 0.5f, 0xFF00FF00}, {33.2f, 3.1f, 0.05f, 0xFFFF00FF},
                      {2.2f, 60.2f, 0.5f, 0xFFFF0000},  {62.3f, 61.9f, 0.5f, 0xFF0000FF}};
  Frame frame = BlackFrame();
  States states;
  Apply(states);
  std::vector<ScreenVertex> screen;
  for (const End& e : ends) screen.push_back({e.x, e.y, 0.0f, e.rhw, e.colour, 0.0f, 0.0f});
  ASSERT_EQ(S_OK, device->SetFVF(screenVertexFvf));
  ASSERT_EQ(S_OK, device->BeginScene());
  ASSERT_EQ(S_OK, device->DrawPrimitiveUP(D3DPT_LINELIST, UINT(screen.size() / 2), screen.data(),
                                          sizeof(ScreenVertex)));
  ASSERT_EQ(S_OK, device->EndScene());
  for (std::size_t k = 0; k < std::size(ends); k += 2) {
    const End& a = ends[k];
    const End& b = ends[k + 1];
    frame.ShadedLine(states, {a.x, a.y, 0.0, a.rhw, a.colour}, {b.x, b.y, 0.0, b.rhw, b.colour},
                     true);
  }
  ExpectSameColours(frame, "lines", 1);
}

// Triangles of both windings under culling, filled as points and as wireframe, over a
// depth-tested filled quad that hides part of them.
TEST_F(FillModeTest, PointAndWireframeFillDrawCornersAndEdgesOfUnculledTriangles) {
  UseDepth(D3DFMT_D16_LOCKABLE);
  for (const DWORD fill : {D3DFILL_POINT, D3DFILL_WIREFRAME, D3DFILL_SOLID}) {
    for (const DWORD cull : {D3DCULL_NONE, D3DCULL_CCW, D3DCULL_CW}) {
      const std::string scene = "fill " + std::to_string(fill) + " cull " + std::to_string(cull);
      Frame frame(width, height, reference::DepthKind::Unorm16);
      frame.Clear(0xFF000000, 1.0, 0);
      ASSERT_EQ(S_OK,
                device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0));
      States states;
      states.zEnable = true;
      Draw(frame, states,
           {{30, 0, 0.5, 0xFF404040}, {64, 0, 0.5, 0xFF404040}, {64, 64, 0.5, 0xFF404040}});
      states.fill = fill;
      states.cull = cull;
      const std::vector<Vertex> triangles = {// clockwise on screen
                                             {3.3, 2.1, 0.25, 0xFFFF0000},
                                             {40.7, 9.9, 0.75, 0xFFFF0000},
                                             {7.2, 50.4, 0.25, 0xFFFF0000},
                                             // counter-clockwise
                                             {45.5, 30.5, 0.3, 0xFF00FF00},
                                             {40, 60, 0.3, 0xFF00FF00},
                                             {60.2, 58.9, 0.9, 0xFF00FF00},
                                             // with corners on pixel centres
                                             {10, 55, 0.1, 0xFF0000FF},
                                             {20, 55, 0.1, 0xFF0000FF},
                                             {10, 62, 0.1, 0xFF0000FF}};
      Draw(frame, states, triangles);
      ExpectSameColours(frame, scene);
      ExpectSameDepth(frame, scene);
    }
  }
}

}  // namespace
}  // namespace d3d9_test
