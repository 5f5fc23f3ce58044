#include "tests/platform/d3d9/depth_scene.h"

#include <string>

namespace d3d9_test {
namespace {

ScreenVertex ToScreen(const reference::Vertex& v) {
  return {float(v.x), float(v.y), float(v.z), 1.0f, v.colour, 0.0f, 0.0f};
}

// The reference gets the positions as the device reads them, in single precision.
std::vector<reference::Vertex> AsRead(const std::vector<reference::Vertex>& vertices) {
  std::vector<reference::Vertex> out;
  for (const reference::Vertex& v : vertices) {
    out.push_back({double(float(v.x)), double(float(v.y)), double(float(v.z)), v.colour});
  }
  return out;
}

std::vector<ScreenVertex> ToScreen(const std::vector<reference::Vertex>& vertices) {
  std::vector<ScreenVertex> out;
  for (const reference::Vertex& v : vertices) out.push_back(ToScreen(v));
  return out;
}

}  // namespace

void DepthSceneTest::TearDown() {
  if (depthSurface != nullptr) depthSurface->Release();
  DeviceTest::TearDown();
}

void DepthSceneTest::UseDepth(D3DFORMAT format) {
  if (depthSurface != nullptr) depthSurface->Release();
  depthSurface = nullptr;
  ASSERT_EQ(S_OK, device->CreateDepthStencilSurface(width, height, format, D3DMULTISAMPLE_NONE, 0,
                                                    FALSE, &depthSurface, nullptr));
  ASSERT_EQ(S_OK, device->SetDepthStencilSurface(depthSurface));
}

reference::DepthKind DepthSceneTest::KindOf(D3DFORMAT format) const {
  switch (format) {
    case D3DFMT_D32F_LOCKABLE: return reference::DepthKind::Float32;
    case D3DFMT_D24S8:
    case D3DFMT_D24X8: return reference::DepthKind::Unorm24;
    case D3DFMT_D32: return reference::DepthKind::Unorm32;
    default: return reference::DepthKind::Unorm16;
  }
}

std::vector<std::uint32_t> DepthSceneTest::ReadDepth() { return ReadDepthCells(depthSurface); }

std::vector<std::uint32_t> DepthSceneTest::RevealStencil() {
  ClearTo(0xFF000000);
  device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
  device->SetRenderState(D3DRS_STENCILENABLE, TRUE);
  device->SetRenderState(D3DRS_STENCILFUNC, D3DCMP_EQUAL);
  device->SetRenderState(D3DRS_STENCILMASK, 0xFF);
  device->SetRenderState(D3DRS_STENCILFAIL, D3DSTENCILOP_KEEP);
  device->SetRenderState(D3DRS_STENCILZFAIL, D3DSTENCILOP_KEEP);
  device->SetRenderState(D3DRS_STENCILPASS, D3DSTENCILOP_KEEP);
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
  device->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  EXPECT_EQ(S_OK, device->BeginScene());
  for (std::uint32_t k = 0; k < 256; ++k) {
    device->SetRenderState(D3DRS_STENCILREF, k);
    DrawQuad(0, 0, float(width), float(height), 0xFF010000u | (k << 8));
  }
  EXPECT_EQ(S_OK, device->EndScene());
  std::vector<std::uint32_t> values = ReadBack();
  // A pixel no pass reached reads 0x100, which no stencil value is.
  for (std::uint32_t& value : values) value = value == 0 ? 0x100 : (value >> 8) & 0xFF;
  return values;
}

reference::Frame DepthSceneTest::BlackFrame() {
  ClearTo(0xFF000000);
  reference::Frame frame(width, height, reference::DepthKind::Unorm16);
  frame.Clear(0xFF000000, 1.0, 0);
  return frame;
}

void DepthSceneTest::Apply(const reference::States& s) {
  device->SetRenderState(D3DRS_CULLMODE, s.cull);
  device->SetRenderState(D3DRS_FILLMODE, s.fill);
  device->SetRenderState(D3DRS_LASTPIXEL, s.lastPixel);
  device->SetRenderState(D3DRS_ZENABLE, s.zEnable ? D3DZB_TRUE : D3DZB_FALSE);
  device->SetRenderState(D3DRS_ZWRITEENABLE, s.zWrite);
  device->SetRenderState(D3DRS_ZFUNC, s.zFunc);
  device->SetRenderState(D3DRS_STENCILENABLE, s.stencilEnable);
  device->SetRenderState(D3DRS_STENCILFUNC, s.stencilFunc);
  device->SetRenderState(D3DRS_STENCILREF, s.stencilRef);
  device->SetRenderState(D3DRS_STENCILMASK, s.stencilMask);
  device->SetRenderState(D3DRS_STENCILWRITEMASK, s.stencilWriteMask);
  device->SetRenderState(D3DRS_STENCILFAIL, s.stencilFail);
  device->SetRenderState(D3DRS_STENCILZFAIL, s.stencilZFail);
  device->SetRenderState(D3DRS_STENCILPASS, s.stencilPass);
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, s.blend);
  device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
}

void DepthSceneTest::Draw(reference::Frame& frame, const reference::States& states,
                          const std::vector<reference::Vertex>& given, bool fan) {
  const std::vector<reference::Vertex> v = AsRead(given);
  Apply(states);
  const std::vector<ScreenVertex> screen = ToScreen(v);
  ASSERT_EQ(S_OK, device->SetFVF(screenVertexFvf));
  ASSERT_EQ(S_OK, device->BeginScene());
  if (fan) {
    ASSERT_EQ(S_OK, device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, UINT(v.size() - 2), screen.data(),
                                            sizeof(ScreenVertex)));
    for (std::size_t k = 1; k + 1 < v.size(); ++k) frame.Triangle(states, v[0], v[k], v[k + 1]);
  } else {
    ASSERT_EQ(S_OK, device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, UINT(v.size() / 3), screen.data(),
                                            sizeof(ScreenVertex)));
    for (std::size_t k = 0; k + 2 < v.size(); k += 3) {
      frame.Triangle(states, v[k], v[k + 1], v[k + 2]);
    }
  }
  ASSERT_EQ(S_OK, device->EndScene());
}

void DepthSceneTest::DrawLines(reference::Frame& frame, const reference::States& states,
                               const std::vector<reference::Vertex>& given) {
  const std::vector<reference::Vertex> ends = AsRead(given);
  Apply(states);
  const std::vector<ScreenVertex> screen = ToScreen(ends);
  ASSERT_EQ(S_OK, device->SetFVF(screenVertexFvf));
  ASSERT_EQ(S_OK, device->BeginScene());
  ASSERT_EQ(S_OK, device->DrawPrimitiveUP(D3DPT_LINELIST, UINT(ends.size() / 2), screen.data(),
                                          sizeof(ScreenVertex)));
  ASSERT_EQ(S_OK, device->EndScene());
  for (std::size_t k = 0; k + 1 < ends.size(); k += 2) {
    frame.ScreenLine(states, ends[k], ends[k + 1], states.lastPixel);
  }
}

void DepthSceneTest::DrawPoints(reference::Frame& frame, const reference::States& states,
                                const std::vector<reference::Vertex>& given) {
  const std::vector<reference::Vertex> points = AsRead(given);
  Apply(states);
  const std::vector<ScreenVertex> screen = ToScreen(points);
  ASSERT_EQ(S_OK, device->SetFVF(screenVertexFvf));
  ASSERT_EQ(S_OK, device->BeginScene());
  ASSERT_EQ(S_OK, device->DrawPrimitiveUP(D3DPT_POINTLIST, UINT(points.size()), screen.data(),
                                          sizeof(ScreenVertex)));
  ASSERT_EQ(S_OK, device->EndScene());
  for (const reference::Vertex& p : points) frame.Point(states, p);
}

void DepthSceneTest::ExpectSameColours(const reference::Frame& frame, const std::string& scene,
                                       int tolerance) {
  const std::vector<std::uint32_t> pixels = ReadBack();
  int differing = 0;
  const auto near = [&](std::uint32_t a, std::uint32_t b) {
    for (int shift = 0; shift < 24; shift += 8) {
      const int difference = int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF);
      if (difference > tolerance || -difference > tolerance) return false;
    }
    return true;
  };
  for (UINT y = 0; y < height; ++y) {
    for (UINT x = 0; x < width; ++x) {
      const std::uint32_t got = pixels[std::size_t(y) * width + x];
      if (near(got, frame.ColourAt(int(x), int(y)))) continue;
      if (++differing <= 3) {
        ADD_FAILURE() << scene << ": pixel " << x << "," << y << " is " << std::hex << got
                      << ", the reference has " << frame.ColourAt(int(x), int(y));
      }
    }
  }
  EXPECT_EQ(0, differing) << scene;
}

void DepthSceneTest::ExpectSameDepth(const reference::Frame& frame, const std::string& scene) {
  const std::vector<std::uint32_t> depth = ReadDepth();
  int differing = 0;
  for (UINT y = 0; y < height; ++y) {
    for (UINT x = 0; x < width; ++x) {
      const std::uint32_t got = depth[std::size_t(y) * width + x];
      if (got == frame.DepthAt(int(x), int(y))) continue;
      if (++differing <= 3) {
        ADD_FAILURE() << scene << ": depth at " << x << "," << y << " is " << std::hex << got
                      << ", the reference has " << frame.DepthAt(int(x), int(y));
      }
    }
  }
  EXPECT_EQ(0, differing) << scene;
}

}  // namespace d3d9_test
