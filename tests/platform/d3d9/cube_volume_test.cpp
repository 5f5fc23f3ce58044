// Flat, cube and volume textures with every filter their caps claim: a cube map at each face
// and across its edges, a volume at several depths, addressed beyond its ends in w, and at its
// mip levels; each frame against the reference.
#include <gtest/gtest.h>

#include "tests/platform/d3d9/staged_fixture.h"

namespace d3d9_test {
namespace {

struct FilterCase {
  DWORD bit, mag, min, mip;
  double lod;  // of the scene drawn for it
};

// Magnification (level of detail -1), minification without mips (1), then the mip filters at
// a diagonal footprint of 2 by 2 texels (1.5); those the caps claim.
std::vector<FilterCase> Claimed(DWORD caps, bool mips) {
  const FilterCase all[] = {
      {D3DPTFILTERCAPS_MAGFPOINT, D3DTEXF_POINT, D3DTEXF_POINT, D3DTEXF_NONE, -1},
      {D3DPTFILTERCAPS_MAGFLINEAR, D3DTEXF_LINEAR, D3DTEXF_POINT, D3DTEXF_NONE, -1},
      {D3DPTFILTERCAPS_MINFPOINT, D3DTEXF_POINT, D3DTEXF_POINT, D3DTEXF_NONE, 1},
      {D3DPTFILTERCAPS_MINFLINEAR, D3DTEXF_POINT, D3DTEXF_LINEAR, D3DTEXF_NONE, 1},
      {D3DPTFILTERCAPS_MIPFPOINT, D3DTEXF_POINT, D3DTEXF_LINEAR, D3DTEXF_POINT, 1.5},
      {D3DPTFILTERCAPS_MIPFLINEAR, D3DTEXF_POINT, D3DTEXF_LINEAR, D3DTEXF_LINEAR, 1.5}};
  std::vector<FilterCase> out;
  for (const FilterCase& c : all) {
    if ((caps & c.bit) != 0 && (mips || c.mip == D3DTEXF_NONE)) out.push_back(c);
  }
  return out;
}

reference::Filtering Filtering(DWORD mag, DWORD min, DWORD mip, DWORD addressW = D3DTADDRESS_WRAP) {
  reference::Filtering f;
  f.magLinear = mag == D3DTEXF_LINEAR, f.minLinear = min == D3DTEXF_LINEAR, f.mip = mip;
  f.address[2] = addressW;
  return f;
}

int Tolerance(const FilterCase& c) { return c.mag == D3DTEXF_LINEAR || c.min == D3DTEXF_LINEAR; }

class CubeVolumeTest : public StagedTest {
 protected:
  void SetUp() override {
    StagedTest::SetUp();
    ASSERT_EQ(S_OK, device->GetDeviceCaps(&caps));
    SetStage(0, Stage(D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_SELECTARG1,
                      D3DTA_TEXTURE, D3DTA_DIFFUSE));
  }
  D3DCAPS9 caps{};
};

TEST_F(CubeVolumeTest, CubeMapAtEveryFaceAndAcrossItsEdges) {
  ASSERT_NE(0u, caps.TextureCaps & D3DPTEXTURECAPS_CUBEMAP);
  std::vector<reference::Level> faces[6];
  for (int f = 0; f < 6; ++f) {
    for (int edge = 16; edge >= 4; edge /= 2) faces[f].push_back(NoiseLevel(edge, edge, 1, 100 * f + edge));
  }
  const auto cube = MakeCube(faces);
  ASSERT_EQ(S_OK, device->SetTexture(0, cube.Get()));
  for (const FilterCase& c : Claimed(caps.CubeTextureFilterCaps,
                                     (caps.TextureCaps & D3DPTEXTURECAPS_MIPCUBEMAP) != 0)) {
    SCOPED_TRACE(testing::Message() << "filter bit 0x" << std::hex << c.bit);
    SetFiltering(c.mag, c.min, c.mip);
    // Each face: the major axis at ±1 (±2 for z: directions need no unit length), the other
    // two across it: 16 pixels over the face, 4 over half of it, or 4 diagonally.
    std::vector<StageQuad> quads;
    for (int f = 0; f < 6; ++f) {
      const int axis = f / 2, s = axis == 0 ? 2 : 0, t = axis == 1 ? 2 : 1;
      const double m = f >= 4 ? 2.0 : 1.0;
      double origin[3] = {}, alongX[3] = {}, alongY[3] = {};
      origin[axis] = f % 2 == 0 ? m : -m;
      if (c.lod < 0) {
        origin[s] = origin[t] = -m, alongX[s] = alongY[t] = 2 * m;
        quads.push_back(Quad(1 + 21 * (f % 3), 1 + 21 * (f / 3), 16, origin, alongX, alongY));
        continue;
      }
      origin[s] = -0.96875 * m, alongX[s] = m;
      if (c.lod == 1) origin[t] = -0.96875 * m, alongY[t] = m;
      if (c.lod > 1) origin[t] = -0.03125 * m, alongX[t] = alongY[s] = m, alongY[t] = -m;
      quads.push_back(Quad(2 + 10 * f, 2, 4, origin, alongX, alongY));
    }
    ExpectFrame(quads, [&](const StageQuad& q, int px, int py) {
      return reference::SampleCube(faces, Filtering(c.mag, c.min, c.mip), q.At(0, 0, px, py),
                                   q.At(0, 1, px, py), q.At(0, 2, px, py), c.lod);
    }, Tolerance(c));
  }
  // Across edges, one filter for min and mag (the footprint changes from face to face): x
  // fixed and y, z from -4 to 4 reach the faces around +X, and -X; likewise around -Y.
  for (DWORD filter : {D3DTEXF_POINT, D3DTEXF_LINEAR}) {
    const DWORD bits = filter == D3DTEXF_POINT
                           ? D3DPTFILTERCAPS_MINFPOINT | D3DPTFILTERCAPS_MAGFPOINT
                           : D3DPTFILTERCAPS_MINFLINEAR | D3DPTFILTERCAPS_MAGFLINEAR;
    if ((caps.CubeTextureFilterCaps & bits) != bits) continue;
    SetFiltering(filter, filter, D3DTEXF_NONE);
    const double z[3] = {0, 0, 8}, y[3] = {0, 8, 0}, x[3] = {8, 0, 0};
    const double px[3] = {1, -4, -4}, nx[3] = {-0.5, -4, -4}, ny[3] = {-4, -1.5, -4};
    ExpectFrame({Quad(0, 0, 32, px, z, y), Quad(32, 0, 32, nx, z, y), Quad(16, 32, 32, ny, x, z)},
                [&](const StageQuad& q, int i, int j) {
                  return reference::SampleCube(faces, Filtering(filter, filter, D3DTEXF_NONE),
                                               q.At(0, 0, i, j), q.At(0, 1, i, j), q.At(0, 2, i, j), 0);
                },
                filter == D3DTEXF_LINEAR);
  }
  ASSERT_EQ(S_OK, device->SetTexture(0, nullptr));
}

// The same scenes for a flat texture (which ignores w) and a volume, each with the filters
// its caps claim.
TEST_F(CubeVolumeTest, FlatAndVolumeTexturesAtSeveralDepthsAndMipLevels) {
  ASSERT_NE(0u, caps.TextureCaps & D3DPTEXTURECAPS_VOLUMEMAP);
  for (const bool flat : {true, false}) {
    const int depth = flat ? 1 : 4;
    const std::vector<reference::Level> levels = {
        NoiseLevel(8, 8, depth, 7), NoiseLevel(4, 4, (depth + 1) / 2, 8), NoiseLevel(2, 2, 1, 9)};
    const win32::ComRef<IDirect3DBaseTexture9> texture(
        flat ? static_cast<IDirect3DBaseTexture9*>(MakeFlat(levels).Get())
             : MakeVolume(levels).Get());
    ASSERT_EQ(S_OK, device->SetTexture(0, texture.Get()));
    const std::pair<DWORD, DWORD> modes[] = {{D3DTADDRESS_WRAP, D3DPTADDRESSCAPS_WRAP},
                                             {D3DTADDRESS_CLAMP, D3DPTADDRESSCAPS_CLAMP},
                                             {D3DTADDRESS_MIRROR, D3DPTADDRESSCAPS_MIRROR}};
    const DWORD mips = flat ? D3DPTEXTURECAPS_MIPMAP : D3DPTEXTURECAPS_MIPVOLUMEMAP;
    for (const FilterCase& c : Claimed(flat ? caps.TextureFilterCaps : caps.VolumeTextureFilterCaps,
                                       (caps.TextureCaps & mips) != 0)) {
      for (const auto& [addressW, bit] : modes) {
        if ((caps.VolumeTextureAddressCaps & bit) == 0 || (flat && addressW != D3DTADDRESS_WRAP)) {
          continue;
        }
        SCOPED_TRACE(testing::Message() << (flat ? "flat" : "volume") << ", filter bit 0x"
                                        << std::hex << c.bit << ", w mode " << addressW);
        SetFiltering(c.mag, c.min, c.mip, addressW);
        std::vector<StageQuad> quads;
        const double x[3] = {1, 0, 0}, y[3] = {0, 1, 0};
        if (c.lod < 0) {
          // At and between slice centres, beyond both ends, and w across a quad.
          const double depths[] = {0.125, 0.3125, 0.6875, 0.875, -0.1875, 1.4375};
          for (int k = 0; k < 6; ++k) {
            const double origin[3] = {0, 0, depths[k]};
            quads.push_back(Quad(1 + 21 * (k % 3), 1 + 21 * (k / 3), 16, origin, x, y));
          }
          const double origin[3] = {0, 0, -1}, yw[3] = {0, 1, 3};
          quads.push_back(Quad(1, 44, 16, origin, x, yw));
        } else {
          const double xd[3] = {1, 1, 0}, yd[3] = {1, -1, 0};  // 2 by 2 texels diagonally
          for (int k = 0; k < 4; ++k) {
            const double origin[3] = {0.03125, c.lod == 1 ? 0.03125 : 0.53125, 0.125 + 0.25 * k};
            quads.push_back(c.lod == 1 ? Quad(2 + 10 * k, 2, 4, origin, x, y)
                                       : Quad(2 + 10 * k, 2, 4, origin, xd, yd));
          }
        }
        ExpectFrame(quads, [&](const StageQuad& q, int px, int py) {
          return reference::SampleLevels(levels, Filtering(c.mag, c.min, c.mip, addressW),
                                         q.At(0, 0, px, py), q.At(0, 1, px, py), q.At(0, 2, px, py),
                                         c.lod);
        }, Tolerance(c));
      }
    }
    ASSERT_EQ(S_OK, device->SetTexture(0, nullptr));
  }
}

}  // namespace
}  // namespace d3d9_test
