// Cube and volume textures sampled with every filter their caps claim: a cube map seen at each
// face and across its edges, a volume at several depths, addressed beyond its ends in w, and at
// its mip levels; each frame against the reference.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/platform/d3d9/staged_fixture.h"

namespace d3d9_test {
namespace {

// A quad whose set-0 coordinates go from `origin` by `alongX` over its width and `alongY`
// over its height.
StageQuad Quad(int x, int y, int size, const double origin[3], const double alongX[3],
               const double alongY[3]) {
  StageQuad q;
  q.x = x, q.y = y, q.width = q.height = size;
  for (int c = 0; c < 3; ++c) {
    q.topLeft[0][c] = float(origin[c]);
    q.topRight[0][c] = float(origin[c] + alongX[c]);
    q.bottomLeft[0][c] = float(origin[c] + alongY[c]);
  }
  return q;
}

struct FilterCase {
  const char* name;
  DWORD capBit;
  DWORD mag, min, mip;
};

class CubeVolumeTest : public StagedTest {
 protected:
  void SetUp() override {
    StagedTest::SetUp();
    ASSERT_EQ(S_OK, device->GetDeviceCaps(&caps));
    SetStage(0, D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_SELECTARG1, D3DTA_TEXTURE,
             D3DTA_DIFFUSE);
  }

  void SetFiltering(const reference::Filtering& f, DWORD mag, DWORD min, DWORD mip) {
    ASSERT_EQ(S_OK, device->SetSamplerState(0, D3DSAMP_MAGFILTER, mag));
    ASSERT_EQ(S_OK, device->SetSamplerState(0, D3DSAMP_MINFILTER, min));
    ASSERT_EQ(S_OK, device->SetSamplerState(0, D3DSAMP_MIPFILTER, mip));
    ASSERT_EQ(S_OK, device->SetSamplerState(0, D3DSAMP_ADDRESSU, f.address[0]));
    ASSERT_EQ(S_OK, device->SetSamplerState(0, D3DSAMP_ADDRESSV, f.address[1]));
    ASSERT_EQ(S_OK, device->SetSamplerState(0, D3DSAMP_ADDRESSW, f.address[2]));
  }

  static reference::Filtering Filtering(DWORD mag, DWORD min, DWORD mip) {
    reference::Filtering f;
    f.magLinear = mag == D3DTEXF_LINEAR;
    f.minLinear = min == D3DTEXF_LINEAR;
    f.mip = mip;
    return f;
  }

  // Magnification, minification without mips, then each mip filter; for the filters `claimed`.
  std::vector<FilterCase> Cases(DWORD claimed, bool mips) {
    std::vector<FilterCase> cases = {
        {"mag point", D3DPTFILTERCAPS_MAGFPOINT, D3DTEXF_POINT, D3DTEXF_POINT, D3DTEXF_NONE},
        {"mag linear", D3DPTFILTERCAPS_MAGFLINEAR, D3DTEXF_LINEAR, D3DTEXF_POINT, D3DTEXF_NONE},
        {"min point", D3DPTFILTERCAPS_MINFPOINT, D3DTEXF_POINT, D3DTEXF_POINT, D3DTEXF_NONE},
        {"min linear", D3DPTFILTERCAPS_MINFLINEAR, D3DTEXF_POINT, D3DTEXF_LINEAR, D3DTEXF_NONE}};
    if (mips) {
      cases.push_back({"mip point", D3DPTFILTERCAPS_MIPFPOINT, D3DTEXF_POINT, D3DTEXF_LINEAR,
                       D3DTEXF_POINT});
      cases.push_back({"mip linear", D3DPTFILTERCAPS_MIPFLINEAR, D3DTEXF_POINT, D3DTEXF_LINEAR,
                       D3DTEXF_LINEAR});
    }
    std::vector<FilterCase> out;
    for (const FilterCase& c : cases) {
      if ((claimed & c.capBit) != 0) out.push_back(c);
    }
    return out;
  }

  D3DCAPS9 caps{};
};

// Faces of edge 16 with levels of 8 and 4 texels, each of its own texels.
void MakeFaces(std::vector<reference::Level> faces[6]) {
  for (int f = 0; f < 6; ++f) {
    for (int edge = 16, level = 0; edge >= 4; edge /= 2, ++level) {
      faces[f].push_back(NoiseLevel(edge, edge, 1, std::uint32_t(100 + 10 * f + level)));
    }
  }
}

TEST_F(CubeVolumeTest, CubeMapAtEveryFaceAndAcrossItsEdges) {
  ASSERT_NE(0u, caps.TextureCaps & D3DPTEXTURECAPS_CUBEMAP);
  std::vector<reference::Level> faces[6];
  MakeFaces(faces);
  IDirect3DCubeTexture9* cube = MakeCube(faces);
  ASSERT_NE(nullptr, cube);
  ASSERT_EQ(S_OK, device->SetTexture(0, cube));
  const bool mips = (caps.TextureCaps & D3DPTEXTURECAPS_MIPCUBEMAP) != 0;
  for (const FilterCase& c : Cases(caps.CubeTextureFilterCaps, mips)) {
    SCOPED_TRACE(c.name);
    const reference::Filtering filtering = Filtering(c.mag, c.min, c.mip);
    SetFiltering(filtering, c.mag, c.min, c.mip);
    const bool magnified = c.capBit >= D3DPTFILTERCAPS_MAGFPOINT;
    // Each face: the major axis fixed at ±1 (±2 for the z faces: directions need no unit
    // length), the other two across it. 16 pixels over the face magnify 2 times (level of
    // detail -1); 4 pixels over half of it minify 2 times (1), and diagonally 2 by 2 (1.5)
    // for the mip filters.
    std::vector<StageQuad> quads;
    for (int f = 0; f < 6; ++f) {
      const int axis = f / 2, b = axis == 0 ? 2 : 0, t = axis == 1 ? 2 : 1;
      const double scale = f >= 4 ? 2.0 : 1.0;
      double origin[3] = {}, alongX[3] = {}, alongY[3] = {};
      origin[axis] = f % 2 == 0 ? scale : -scale;
      if (magnified) {
        origin[b] = origin[t] = -scale;
        alongX[b] = alongY[t] = 2 * scale;
        quads.push_back(Quad(1 + 21 * (f % 3), 1 + 21 * (f / 3), 16, origin, alongX, alongY));
      } else if (c.mip == D3DTEXF_NONE) {
        origin[b] = origin[t] = -0.96875 * scale;
        alongX[b] = alongY[t] = scale;
        quads.push_back(Quad(2 + 10 * f, 2, 4, origin, alongX, alongY));
      } else {
        origin[b] = -0.96875 * scale, origin[t] = -0.03125 * scale;
        alongX[b] = alongX[t] = alongY[b] = scale;
        alongY[t] = -scale;
        quads.push_back(Quad(2 + 10 * f, 2, 4, origin, alongX, alongY));
      }
    }
    const double lod = magnified ? -1.0 : c.mip == D3DTEXF_NONE ? 1.0 : 1.5;
    ExpectFrame(quads, [&](const StageQuad& q, int px, int py) {
      return reference::SampleCube(faces, filtering, q.At(0, 0, px, py), q.At(0, 1, px, py),
                                   q.At(0, 2, px, py), lod);
    }, c.mag == D3DTEXF_LINEAR || c.min == D3DTEXF_LINEAR ? 1 : 0);
  }
  // Across edges, with one filter for min and mag (the footprint changes from face to face):
  // x fixed and y, z from -4 to 4 reach the four faces around +X; likewise for -X and -Y.
  for (DWORD filter : {D3DTEXF_POINT, D3DTEXF_LINEAR}) {
    const DWORD bits = filter == D3DTEXF_POINT
                           ? D3DPTFILTERCAPS_MINFPOINT | D3DPTFILTERCAPS_MAGFPOINT
                           : D3DPTFILTERCAPS_MINFLINEAR | D3DPTFILTERCAPS_MAGFLINEAR;
    if ((caps.CubeTextureFilterCaps & bits) != bits) continue;
    SCOPED_TRACE(testing::Message() << "across edges, filter " << filter);
    const reference::Filtering filtering = Filtering(filter, filter, D3DTEXF_NONE);
    SetFiltering(filtering, filter, filter, D3DTEXF_NONE);
    const double z[3] = {0, 0, 8}, y[3] = {0, 8, 0}, x[3] = {8, 0, 0};
    const double positiveX[3] = {1, -4, -4}, negativeX[3] = {-0.5, -4, -4};
    const double negativeY[3] = {-4, -1.5, -4};
    ExpectFrame({Quad(0, 0, 32, positiveX, z, y), Quad(32, 0, 32, negativeX, z, y),
                 Quad(16, 32, 32, negativeY, x, z)},
                [&](const StageQuad& q, int px, int py) {
                  return reference::SampleCube(faces, filtering, q.At(0, 0, px, py),
                                               q.At(0, 1, px, py), q.At(0, 2, px, py), 0.0);
                },
                filter == D3DTEXF_LINEAR ? 1 : 0);
  }
  ASSERT_EQ(S_OK, device->SetTexture(0, nullptr));
  cube->Release();
}

TEST_F(CubeVolumeTest, VolumeAtSeveralDepthsAndMipLevels) {
  ASSERT_NE(0u, caps.TextureCaps & D3DPTEXTURECAPS_VOLUMEMAP);
  const std::vector<reference::Level> levels = {NoiseLevel(8, 8, 4, 7), NoiseLevel(4, 4, 2, 8),
                                                NoiseLevel(2, 2, 1, 9)};
  IDirect3DVolumeTexture9* volume = MakeVolume(levels);
  ASSERT_NE(nullptr, volume);
  ASSERT_EQ(S_OK, device->SetTexture(0, volume));
  const bool mips = (caps.TextureCaps & D3DPTEXTURECAPS_MIPVOLUMEMAP) != 0;
  for (const FilterCase& c : Cases(caps.VolumeTextureFilterCaps, mips)) {
    for (DWORD addressW : {D3DTADDRESS_WRAP, D3DTADDRESS_CLAMP, D3DTADDRESS_MIRROR}) {
      SCOPED_TRACE(testing::Message() << c.name << ", ADDRESSW " << addressW);
      if ((caps.VolumeTextureAddressCaps & (addressW == D3DTADDRESS_WRAP    ? D3DPTADDRESSCAPS_WRAP
                                            : addressW == D3DTADDRESS_CLAMP ? D3DPTADDRESSCAPS_CLAMP
                                                                            : D3DPTADDRESSCAPS_MIRROR)) == 0) {
        continue;
      }
      reference::Filtering filtering = Filtering(c.mag, c.min, c.mip);
      filtering.address[2] = addressW;
      SetFiltering(filtering, c.mag, c.min, c.mip);
      const bool magnified = c.capBit >= D3DPTFILTERCAPS_MAGFPOINT;
      std::vector<StageQuad> quads;
      if (magnified) {
        // Depths at and between slice centres, beyond both ends, and w across a quad.
        const double depths[] = {0.125, 0.3125, 0.6875, 0.875, -0.1875, 1.4375};
        for (int k = 0; k < 6; ++k) {
          const double origin[3] = {0, 0, depths[k]}, alongX[3] = {1, 0, 0}, alongY[3] = {0, 1, 0};
          quads.push_back(Quad(1 + 21 * (k % 3), 1 + 21 * (k / 3), 16, origin, alongX, alongY));
        }
        const double origin[3] = {0, 0, -1.0}, alongX[3] = {1, 0, 0}, alongY[3] = {0, 1, 3.0};
        quads.push_back(Quad(1, 44, 16, origin, alongX, alongY));
      } else {
        // Two texels a pixel (level of detail 1), or diagonally 2 by 2 (1.5) for the mips.
        for (int k = 0; k < 4; ++k) {
          const double w = 0.125 + 0.25 * k;
          const double origin[3] = {0.03125, 0.03125, w};
          const double alongX[3] = {1, c.mip == D3DTEXF_NONE ? 0.0 : 1.0, 0};
          const double alongY[3] = {c.mip == D3DTEXF_NONE ? 0.0 : 1.0, c.mip == D3DTEXF_NONE ? 1.0 : -1.0, 0};
          quads.push_back(Quad(2 + 10 * k, 2, 4, origin, alongX, alongY));
        }
      }
      const double lod = magnified ? -1.0 : c.mip == D3DTEXF_NONE ? 1.0 : 1.5;
      ExpectFrame(quads, [&](const StageQuad& q, int px, int py) {
        return reference::SampleLevels(levels, filtering, q.At(0, 0, px, py), q.At(0, 1, px, py),
                                       q.At(0, 2, px, py), lod);
      }, c.mag == D3DTEXF_LINEAR || c.min == D3DTEXF_LINEAR ? 1 : 0);
    }
  }
  ASSERT_EQ(S_OK, device->SetTexture(0, nullptr));
  volume->Release();
}

}  // namespace
}  // namespace d3d9_test
