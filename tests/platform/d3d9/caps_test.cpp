// The caps tell the truth: each texture operation and stage count claimed draws as the
// reference says (the filters: cube_volume_test.cpp), and what is not built is not claimed.
#include <gtest/gtest.h>

#include "tests/platform/d3d9/staged_fixture.h"

namespace d3d9_test {
namespace {

using reference::StageSetup;

constexpr D3DCOLOR diffuse = 0xB4406A93, factor = 0x5EC3217F;
const double origin[3] = {}, alongX[3] = {1, 0, 0}, alongY[3] = {0, 1, 0};

class CapsTest : public StagedTest {
 protected:
  void SetUp() override {
    StagedTest::SetUp();
    ASSERT_EQ(S_OK, device->GetDeviceCaps(&caps));
    ASSERT_EQ(S_OK, device->SetRenderState(D3DRS_TEXTUREFACTOR, factor));
    for (DWORD i = 0; i < 8; ++i) {
      ASSERT_EQ(S_OK, device->SetTextureStageState(i, D3DTSS_TEXCOORDINDEX, 0));
    }
  }
  D3DCAPS9 caps{};
};

TEST_F(CapsTest, EveryClaimedTextureOperationDrawsAsDocumented) {
  const reference::Level levels[2] = {NoiseLevel(8, 8, 1, 21), NoiseLevel(8, 8, 1, 22)};
  const win32::ComRef<IDirect3DTexture9> textures[2] = {MakeFlat({levels[0]}),
                                                        MakeFlat({levels[1]})};
  ASSERT_EQ(S_OK, device->SetTexture(0, textures[0].Get()));
  ASSERT_EQ(S_OK, device->SetTexture(1, textures[1].Get()));
  int claimed = 0;
  for (DWORD op = D3DTOP_DISABLE; op <= 32; ++op) {
    if ((caps.TextureOpCaps & (DWORD(1) << (op - 1))) == 0) continue;
    ++claimed;
    SCOPED_TRACE(testing::Message() << "operation " << op);
    const bool colourOnly = op >= D3DTOP_MODULATEALPHA_ADDCOLOR && op <= D3DTOP_MODULATEINVCOLOR_ADDALPHA;
    // Stage 1 on its texture and stage 0's texel; then stage 0 alone on texture and diffuse.
    StageSetup second = Stage(op, D3DTA_TEXTURE, D3DTA_CURRENT, colourOnly ? D3DTOP_SUBTRACT : op,
                              D3DTA_TEXTURE, D3DTA_CURRENT);
    second.colorArgs[0] = second.alphaArgs[0] = D3DTA_DIFFUSE;
    StageSetup alone = second;
    alone.colorArgs[2] = alone.alphaArgs[2] = D3DTA_DIFFUSE;
    const StageSetup first = Stage(D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE,
                                   D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE);
    for (const std::vector<StageSetup>& stages : {std::vector<StageSetup>{first, second},
                                                  std::vector<StageSetup>{alone}}) {
      for (DWORD i = 0; i < stages.size(); ++i) SetStage(i, stages[i]);
      ASSERT_EQ(S_OK, device->SetTextureStageState(DWORD(stages.size()), D3DTSS_COLOROP,
                                                   D3DTOP_DISABLE));
      StageQuad quad = Quad(4, 4, 8, origin, alongX, alongY);
      quad.diffuse = diffuse;
      ExpectFrame({quad}, [&](const StageQuad& q, int px, int py) {
        const reference::PixelInputs in{
            diffuse, 0, factor, {levels[0].At(px - q.x, py - q.y), levels[1].At(px - q.x, py - q.y)},
            {true, true}};
        return reference::ShadeStages(stages.data(), int(stages.size()), in);
      }, 1);
    }
  }
  EXPECT_GE(claimed, 16);  // at least what the fixed-function pipeline is known by
}

TEST_F(CapsTest, AsManyStagesAndTexturesAsClaimed) {
  ASSERT_GE(caps.MaxTextureBlendStages, 2u);
  ASSERT_LE(caps.MaxSimultaneousTextures, caps.MaxTextureBlendStages);
  const int stages = int(caps.MaxTextureBlendStages);
  std::vector<reference::Level> levels;
  std::vector<win32::ComRef<IDirect3DTexture9>> textures;
  std::vector<StageSetup> setups;
  for (int i = 0; i < stages; ++i) {
    levels.push_back(NoiseLevel(8, 8, 1, std::uint32_t(40 + i)));
    for (std::uint32_t& texel : levels.back().texels) texel &= 0x1F1F1F1F;  // sums of 8 fit
    textures.push_back(MakeFlat({levels.back()}));
    ASSERT_EQ(S_OK, device->SetTexture(DWORD(i), textures.back().Get()));
    const DWORD op = i == 0 ? D3DTOP_SELECTARG1 : D3DTOP_ADD;
    setups.push_back(Stage(op, D3DTA_TEXTURE, D3DTA_CURRENT, op, D3DTA_TEXTURE, D3DTA_CURRENT));
    SetStage(DWORD(i), setups.back());
  }
  ExpectFrame(
      {Quad(4, 4, 8, origin, alongX, alongY)},
      [&](const StageQuad& q, int px, int py) {
        reference::PixelInputs in;
        for (int i = 0; i < stages; ++i) {
          in.textured[i] = i < int(caps.MaxSimultaneousTextures);
          in.texels[i] = levels[std::size_t(i)].At(px - q.x, py - q.y);
        }
        return reference::ShadeStages(setups.data(), stages, in);
      },
      0);
}

TEST_F(CapsTest, WhatIsNotBuiltIsNotClaimed) {
  // Directional lights only: no positional lights, specular lighting or texture generation.
  EXPECT_EQ(DWORD(D3DVTXPCAPS_DIRECTIONALLIGHTS), caps.VertexProcessingCaps);
  EXPECT_EQ(0u, caps.RasterCaps & (D3DPRASTERCAPS_FOGVERTEX | D3DPRASTERCAPS_FOGTABLE |
                                   D3DPRASTERCAPS_FOGRANGE | D3DPRASTERCAPS_WFOG |
                                   D3DPRASTERCAPS_ZFOG | D3DPRASTERCAPS_ANISOTROPY));
  EXPECT_EQ(0u, caps.ShadeCaps & D3DPSHADECAPS_FOGGOURAUD);
  EXPECT_EQ(0u, caps.MaxUserClipPlanes);
  EXPECT_LE(caps.MaxPointSize, 1.0f);
  EXPECT_EQ(0u, caps.MaxVertexBlendMatrices);
  EXPECT_EQ(0u, (caps.VertexShaderVersion | caps.PixelShaderVersion) & 0xFFFF);
  EXPECT_EQ(1u, caps.MaxAnisotropy);
  // Point and linear filters only (each drawn in the cube and volume tests).
  const DWORD filters = D3DPTFILTERCAPS_MINFPOINT | D3DPTFILTERCAPS_MINFLINEAR |
                        D3DPTFILTERCAPS_MAGFPOINT | D3DPTFILTERCAPS_MAGFLINEAR |
                        D3DPTFILTERCAPS_MIPFPOINT | D3DPTFILTERCAPS_MIPFLINEAR;
  for (DWORD claimed : {caps.TextureFilterCaps, caps.CubeTextureFilterCaps, caps.VolumeTextureFilterCaps}) {
    EXPECT_EQ(0u, claimed & ~filters) << std::hex << claimed;
  }
  EXPECT_EQ(0u, caps.TextureCaps & D3DPTEXTURECAPS_PROJECTED);
  EXPECT_EQ(0u, caps.TextureOpCaps & (D3DTEXOPCAPS_PREMODULATE | D3DTEXOPCAPS_BUMPENVMAP |
                                      D3DTEXOPCAPS_BUMPENVMAPLUMINANCE));
  // Point and spot lights are kept as state and light nothing; a directional light lights.
  struct Vertex {
    float x, y, z, nx, ny, nz;
  };
  const Vertex quad[4] = {{-1, 1, 0.5f, 0, 0, -1}, {1, 1, 0.5f, 0, 0, -1},
                          {1, -1, 0.5f, 0, 0, -1}, {-1, -1, 0.5f, 0, 0, -1}};
  D3DMATERIAL9 material{};
  material.Diffuse = {1, 1, 1, 1};
  ASSERT_EQ(S_OK, device->SetMaterial(&material));
  ASSERT_EQ(S_OK, device->SetFVF(D3DFVF_XYZ | D3DFVF_NORMAL));
  for (D3DLIGHTTYPE type : {D3DLIGHT_POINT, D3DLIGHT_SPOT, D3DLIGHT_DIRECTIONAL}) {
    D3DLIGHT9 light{};
    light.Type = type;
    light.Diffuse = {1, 1, 1, 1};
    light.Position = {0, 0, -1};
    light.Direction = {0, 0, 1};
    light.Range = 100, light.Attenuation0 = 1, light.Theta = 1, light.Phi = 2, light.Falloff = 1;
    ASSERT_EQ(S_OK, device->SetLight(0, &light));
    ASSERT_EQ(S_OK, device->LightEnable(0, TRUE));
    ASSERT_EQ(S_OK, device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF808080, 1.0f, 0));
    ASSERT_EQ(S_OK, device->BeginScene());
    ASSERT_EQ(S_OK, device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, quad, sizeof(Vertex)));
    ASSERT_EQ(S_OK, device->EndScene());
    EXPECT_EQ(type == D3DLIGHT_DIRECTIONAL ? 0xFFFFFFFFu : 0xFF000000u, ReadArgb()[32 * width + 32])
        << "light type " << type;
  }
}

}  // namespace
}  // namespace d3d9_test
