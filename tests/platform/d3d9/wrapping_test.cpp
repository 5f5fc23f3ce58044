// Cylindrical wrapping (D3DRS_WRAP0..7): with a set's coordinate wrapped, a primitive goes
// from one vertex's coordinate to another's the shorter way round, so 0.875 to 0.125 passes
// through 1.0. Each scene is held against the same primitive drawn without wrapping, its
// coordinates written out the way wrapping must take them.
#include <vector>

#include "platform/win32/com_object.h"
#include "tests/platform/d3d9/device_fixture.h"

namespace d3d9_test {
namespace {

// An 8 x 8 texture of distinct opaque texels.
std::vector<std::uint32_t> DistinctTexels(std::uint32_t step = 0x3A1F07u) {
  std::vector<std::uint32_t> texels(64);
  for (std::uint32_t i = 0; i < texels.size(); ++i) texels[i] = 0xFF000000u | (step * (i + 1));
  return texels;
}

// D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX2.
struct TwoSetVertex {
  float x, y, z, rhw;
  D3DCOLOR colour;
  float u0, v0, u1, v1;
};
constexpr DWORD twoSetFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX2;

class WrappingTest : public DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    texture = MakeTexture(8, 8, DistinctTexels());
    device->SetTexture(0, texture.Get());
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
  }
  void TearDown() override {
    device->SetTexture(0, nullptr);
    texture.Reset();
    DeviceTest::TearDown();
  }

  std::vector<std::uint32_t> Quad(DWORD wrap, float u0, float v0, float u1, float v1,
                                  float size = 48) {
    device->SetRenderState(D3DRS_WRAP0, wrap);
    ClearTo(0xFF000000);
    EXPECT_EQ(S_OK, device->BeginScene());
    DrawQuad(8, 8, 8 + size, 8 + size, 0xFFFFFFFF, u0, v0, u1, v1);
    EXPECT_EQ(S_OK, device->EndScene());
    return ReadBack();
  }

  win32::ComRef<IDirect3DTexture9> texture;
};

TEST_F(WrappingTest, TrianglesTakeTheShorterWayRoundInUAndV) {
  const auto wrapped = Quad(D3DWRAPCOORD_0 | D3DWRAPCOORD_1, 0.875f, 0.125f, 0.125f, 0.875f);
  EXPECT_EQ(Quad(0, 0.875f, 0.125f, 1.125f, -0.125f), wrapped);
  EXPECT_NE(Quad(0, 0.875f, 0.125f, 0.125f, 0.875f), wrapped);
  // Only u wrapped: v goes the long way.
  EXPECT_EQ(Quad(0, 0.875f, 0.125f, 1.125f, 0.875f),
            Quad(D3DWRAPCOORD_0, 0.875f, 0.125f, 0.125f, 0.875f));
  // Coordinates whole periods apart: the fractions decide the way.
  EXPECT_EQ(Quad(0, 2.875f, 0.25f, 3.125f, 0.75f),
            Quad(D3DWRAPCOORD_0, 2.875f, 0.25f, -0.875f, 0.75f));
}

// A quad that maps one texel to one pixel is drawn as a blit without wrapping; with u
// wrapped, its coordinates one period apart are the same place, and so is every pixel's.
TEST_F(WrappingTest, AQuadThatWouldBeABlitIsWrappedToo) {
  device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_POINT);
  device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
  const float left = 0.0625f, right = 1.0625f;
  EXPECT_EQ(Quad(0, left, 0.0625f, left, 1.0625f, 8),
            Quad(D3DWRAPCOORD_0, left, 0.0625f, right, 1.0625f, 8));
  EXPECT_NE(Quad(0, left, 0.0625f, right, 1.0625f, 8),
            Quad(D3DWRAPCOORD_0, left, 0.0625f, right, 1.0625f, 8));
}

TEST_F(WrappingTest, LinesTakeTheShorterWayRound) {
  const auto line = [&](DWORD wrap, float u0, float u1) {
    device->SetRenderState(D3DRS_WRAP0, wrap);
    const ScreenVertex ends[2] = {{4, 20, 0, 1, 0xFFFFFFFF, u0, 0.5f},
                                  {60, 20, 0, 1, 0xFFFFFFFF, u1, 0.5f}};
    ClearTo(0xFF000000);
    EXPECT_EQ(S_OK, device->SetFVF(screenVertexFvf));
    EXPECT_EQ(S_OK, device->BeginScene());
    EXPECT_EQ(S_OK, device->DrawPrimitiveUP(D3DPT_LINELIST, 1, ends, sizeof(ScreenVertex)));
    EXPECT_EQ(S_OK, device->EndScene());
    return ReadBack();
  };
  EXPECT_EQ(line(0, 0.125f, -0.25f), line(D3DWRAPCOORD_0, 0.125f, 0.75f));
  EXPECT_NE(line(0, 0.125f, 0.75f), line(D3DWRAPCOORD_0, 0.125f, 0.75f));
}

// WRAPn belongs to coordinate set n, whichever stage reads it: stage 0 reads set 1, which is
// wrapped, and stage 1 reads set 0, which is not, both crossing the same seam.
TEST_F(WrappingTest, EachSetFollowsItsOwnState) {
  const auto second = MakeTexture(8, 8, DistinctTexels(0x0B3D5Au));
  device->SetTexture(1, second.Get());
  device->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 1);
  device->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 0);
  device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_ADDSIGNED);
  device->SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_CURRENT);
  device->SetTextureStageState(1, D3DTSS_COLORARG2, D3DTA_TEXTURE);
  device->SetSamplerState(1, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
  device->SetSamplerState(1, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
  const auto quad = [&](DWORD wrapSet1, float set1Right) {
    device->SetRenderState(D3DRS_WRAP1, wrapSet1);
    const float l = 8, t = 8, r = 56, b = 56;
    const TwoSetVertex v[4] = {{l, t, 0, 1, 0xFFFFFFFF, 0.875f, 0.5f, 0.875f, 0.5f},
                               {r, t, 0, 1, 0xFFFFFFFF, 0.125f, 0.5f, set1Right, 0.5f},
                               {r, b, 0, 1, 0xFFFFFFFF, 0.125f, 0.5f, set1Right, 0.5f},
                               {l, b, 0, 1, 0xFFFFFFFF, 0.875f, 0.5f, 0.875f, 0.5f}};
    ClearTo(0xFF000000);
    EXPECT_EQ(S_OK, device->SetFVF(twoSetFvf));
    EXPECT_EQ(S_OK, device->BeginScene());
    EXPECT_EQ(S_OK, device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, v, sizeof(TwoSetVertex)));
    EXPECT_EQ(S_OK, device->EndScene());
    return ReadBack();
  };
  EXPECT_EQ(quad(0, 1.125f), quad(D3DWRAPCOORD_0, 0.125f));
  EXPECT_NE(quad(0, 0.125f), quad(D3DWRAPCOORD_0, 0.125f));
  device->SetTexture(1, nullptr);
}

}  // namespace
}  // namespace d3d9_test
