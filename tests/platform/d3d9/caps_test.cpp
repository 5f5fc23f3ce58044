// The caps tell the truth: each texture operation, filter and stage count the device claims
// draws as the reference says, and what is not built is not claimed.
#include <gtest/gtest.h>

#include "tests/platform/d3d9/staged_fixture.h"

namespace d3d9_test {
namespace {

using reference::StageSetup;

constexpr D3DCOLOR diffuse = 0xB4406A93;
constexpr D3DCOLOR factor = 0x5EC3217F;

bool ColourOnly(DWORD op) {
  return op == D3DTOP_MODULATEALPHA_ADDCOLOR || op == D3DTOP_MODULATECOLOR_ADDALPHA ||
         op == D3DTOP_MODULATEINVALPHA_ADDCOLOR || op == D3DTOP_MODULATEINVCOLOR_ADDALPHA;
}

class CapsTest : public StagedTest {
 protected:
  void SetUp() override {
    StagedTest::SetUp();
    ASSERT_EQ(S_OK, device->GetDeviceCaps(&caps));
    ASSERT_EQ(S_OK, device->SetRenderState(D3DRS_TEXTUREFACTOR, factor));
  }

  // A size × size quad at (x, y) whose set 0 runs over the texture from `origin`, by `alongX`
  // over its width and `alongY` over its height.
  static StageQuad Quad(int x, int y, int size, float u0, float v0, float du, float dv) {
    StageQuad q;
    q.x = x, q.y = y, q.width = q.height = size;
    q.diffuse = diffuse;
    q.topLeft[0][0] = u0, q.topLeft[0][1] = v0;
    q.topRight[0][0] = u0 + du, q.topRight[0][1] = v0;
    q.bottomLeft[0][0] = u0, q.bottomLeft[0][1] = v0 + dv;
    return q;
  }

  D3DCAPS9 caps{};
};

TEST_F(CapsTest, EveryClaimedTextureOperationDrawsAsDocumented) {
  const reference::Level levels[2] = {NoiseLevel(8, 8, 1, 21), NoiseLevel(8, 8, 1, 22)};
  IDirect3DTexture9* textures[2] = {MakeFlat({levels[0]}), MakeFlat({levels[1]})};
  ASSERT_EQ(S_OK, device->SetTexture(0, textures[0]));
  ASSERT_EQ(S_OK, device->SetTexture(1, textures[1]));
  ASSERT_EQ(S_OK, device->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 0));
  int claimed = 0;
  for (DWORD op = D3DTOP_DISABLE; op <= 31; ++op) {
    if ((caps.TextureOpCaps & (DWORD(1) << (op - 1))) == 0) continue;
    ++claimed;
    SCOPED_TRACE(testing::Message() << "operation " << op);
    StageSetup first;
    first.colorOp = first.alphaOp = D3DTOP_SELECTARG1;
    StageSetup second;
    second.colorOp = op;
    second.alphaOp = ColourOnly(op) ? D3DTOP_SUBTRACT : op;
    second.colorArgs[0] = second.alphaArgs[0] = D3DTA_DIFFUSE;
    // Stage 0 alone on texture and diffuse, then stage 1 on its texture and stage 0's result.
    StageSetup alone = second;
    alone.colorArgs[2] = alone.alphaArgs[2] = D3DTA_DIFFUSE;
    for (const std::vector<StageSetup>& stages :
         {std::vector<StageSetup>{alone}, std::vector<StageSetup>{first, second}}) {
      for (DWORD i = 0; i < stages.size(); ++i) SetStage(i, stages[i]);
      if (op == D3DTOP_DISABLE && stages.size() == 1) continue;
      ASSERT_EQ(S_OK, device->SetTextureStageState(DWORD(stages.size()), D3DTSS_COLOROP,
                                                   D3DTOP_DISABLE));
      ExpectFrame({Quad(4, 4, 8, 0, 0, 1, 1)}, [&](const StageQuad& q, int px, int py) {
        reference::PixelInputs in;
        in.diffuse = diffuse;
        in.factor = factor;
        for (int i = 0; i < 2; ++i) {
          in.textured[i] = true;
          in.texels[i] = levels[i].At(px - q.x, py - q.y);
        }
        return reference::ShadeStages(stages.data(), int(stages.size()), in);
      }, 1);
    }
  }
  // At least what the fixed-function pipeline is known by.
  EXPECT_GE(claimed, 16);
  for (IDirect3DTexture9* t : textures) t->Release();
}

TEST_F(CapsTest, EveryClaimedFilterDrawsAsDocumented) {
  const std::vector<reference::Level> levels = {NoiseLevel(16, 16, 1, 31), NoiseLevel(8, 8, 1, 32),
                                                NoiseLevel(4, 4, 1, 33)};
  IDirect3DTexture9* texture = MakeFlat(levels);
  ASSERT_EQ(S_OK, device->SetTexture(0, texture));
  SetStage(0, D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_SELECTARG1, D3DTA_TEXTURE,
           D3DTA_DIFFUSE);
  struct Case {
    DWORD bit, mag, min, mip;
    double lod;
  };
  const Case cases[] = {
      {D3DPTFILTERCAPS_MAGFPOINT, D3DTEXF_POINT, D3DTEXF_LINEAR, D3DTEXF_NONE, -1.0},
      {D3DPTFILTERCAPS_MAGFLINEAR, D3DTEXF_LINEAR, D3DTEXF_POINT, D3DTEXF_NONE, -1.0},
      {D3DPTFILTERCAPS_MINFPOINT, D3DTEXF_LINEAR, D3DTEXF_POINT, D3DTEXF_NONE, 1.0},
      {D3DPTFILTERCAPS_MINFLINEAR, D3DTEXF_POINT, D3DTEXF_LINEAR, D3DTEXF_NONE, 1.0},
      {D3DPTFILTERCAPS_MIPFPOINT, D3DTEXF_POINT, D3DTEXF_POINT, D3DTEXF_POINT, 1.0},
      {D3DPTFILTERCAPS_MIPFLINEAR, D3DTEXF_POINT, D3DTEXF_LINEAR, D3DTEXF_LINEAR, 1.5}};
  const DWORD known = D3DPTFILTERCAPS_MAGFPOINT | D3DPTFILTERCAPS_MAGFLINEAR |
                      D3DPTFILTERCAPS_MINFPOINT | D3DPTFILTERCAPS_MINFLINEAR |
                      D3DPTFILTERCAPS_MIPFPOINT | D3DPTFILTERCAPS_MIPFLINEAR;
  for (DWORD claimed : {caps.TextureFilterCaps, caps.CubeTextureFilterCaps,
                        caps.VolumeTextureFilterCaps}) {
    EXPECT_EQ(0u, claimed & ~known) << std::hex << claimed;
  }
  for (const Case& c : cases) {
    if ((caps.TextureFilterCaps & c.bit) == 0) continue;
    SCOPED_TRACE(testing::Message() << "filter bit 0x" << std::hex << c.bit);
    ASSERT_EQ(S_OK, device->SetSamplerState(0, D3DSAMP_MAGFILTER, c.mag));
    ASSERT_EQ(S_OK, device->SetSamplerState(0, D3DSAMP_MINFILTER, c.min));
    ASSERT_EQ(S_OK, device->SetSamplerState(0, D3DSAMP_MIPFILTER, c.mip));
    reference::Filtering filtering;
    filtering.magLinear = c.mag == D3DTEXF_LINEAR;
    filtering.minLinear = c.min == D3DTEXF_LINEAR;
    filtering.mip = c.mip;
    // 32 pixels over the texture magnify 2 times; 8 pixels over it minify 2 times; at 1.5 the
    // footprint is 2 by 2 texels diagonally.
    StageQuad quad = c.lod < 0 ? Quad(3, 3, 32, 0, 0, 1, 1)
                               : Quad(3, 3, 8, 1.0f / 64, 1.0f / 64, 1, 1);
    if (c.lod == 1.5) {
      quad = Quad(3, 3, 4, 1.0f / 64, 0.5f + 1.0f / 64, 0.5f, 0.5f);
      quad.topRight[0][1] += 0.5f;
      quad.bottomLeft[0][1] -= 1.0f;
    }
    ExpectFrame({quad}, [&](const StageQuad& q, int px, int py) {
      return reference::SampleLevels(levels, filtering, q.At(0, 0, px, py), q.At(0, 1, px, py), 0,
                                     c.lod);
    }, c.mag == D3DTEXF_LINEAR || c.min == D3DTEXF_LINEAR ? 1 : 0);
  }
  texture->Release();
}

TEST_F(CapsTest, AsManyStagesAndTexturesAsClaimed) {
  ASSERT_GE(caps.MaxTextureBlendStages, 2u);
  ASSERT_LE(caps.MaxSimultaneousTextures, caps.MaxTextureBlendStages);
  const int stages = int(caps.MaxTextureBlendStages);
  std::vector<reference::Level> levels;
  std::vector<IDirect3DTexture9*> textures;
  std::vector<StageSetup> setups;
  for (int i = 0; i < stages; ++i) {
    // Small values, so that the sum of eight does not saturate.
    reference::Level level = NoiseLevel(8, 8, 1, std::uint32_t(40 + i));
    for (std::uint32_t& texel : level.texels) texel &= 0x1F1F1F1F;
    levels.push_back(level);
    textures.push_back(MakeFlat({level}));
    ASSERT_EQ(S_OK, device->SetTexture(DWORD(i), textures.back()));
    ASSERT_EQ(S_OK, device->SetTextureStageState(DWORD(i), D3DTSS_TEXCOORDINDEX, 0));
    StageSetup s;
    s.colorOp = s.alphaOp = i == 0 ? D3DTOP_SELECTARG1 : D3DTOP_ADD;
    setups.push_back(s);
    SetStage(DWORD(i), s);
  }
  ExpectFrame({Quad(4, 4, 8, 0, 0, 1, 1)}, [&](const StageQuad& q, int px, int py) {
    reference::PixelInputs in;
    for (int i = 0; i < stages; ++i) {
      in.textured[i] = i < int(caps.MaxSimultaneousTextures);
      in.texels[i] = levels[std::size_t(i)].At(px - q.x, py - q.y);
    }
    return reference::ShadeStages(setups.data(), stages, in);
  }, 0);
  for (IDirect3DTexture9* t : textures) t->Release();
}

TEST_F(CapsTest, WhatIsNotBuiltIsNotClaimed) {
  // Lighting: directional lights only, without the specular term or texture generation.
  EXPECT_EQ(DWORD(D3DVTXPCAPS_DIRECTIONALLIGHTS), caps.VertexProcessingCaps);
  // Fog, user clip planes, point sprites, vertex blending, shaders, anisotropy.
  EXPECT_EQ(0u, caps.RasterCaps & (D3DPRASTERCAPS_FOGVERTEX | D3DPRASTERCAPS_FOGTABLE |
                                   D3DPRASTERCAPS_FOGRANGE | D3DPRASTERCAPS_WFOG |
                                   D3DPRASTERCAPS_ZFOG | D3DPRASTERCAPS_ANISOTROPY));
  EXPECT_EQ(0u, caps.ShadeCaps & D3DPSHADECAPS_FOGGOURAUD);
  EXPECT_EQ(0u, caps.MaxUserClipPlanes);
  EXPECT_LE(caps.MaxPointSize, 1.0f);
  EXPECT_EQ(0u, caps.MaxVertexBlendMatrices);
  EXPECT_EQ(0u, caps.VertexShaderVersion & 0xFFFF);
  EXPECT_EQ(0u, caps.PixelShaderVersion & 0xFFFF);
  EXPECT_EQ(1u, caps.MaxAnisotropy);
  EXPECT_EQ(0u, caps.TextureCaps & D3DPTEXTURECAPS_PROJECTED);
  EXPECT_EQ(0u, caps.TextureOpCaps & (D3DTEXOPCAPS_PREMODULATE | D3DTEXOPCAPS_BUMPENVMAP |
                                      D3DTEXOPCAPS_BUMPENVMAPLUMINANCE));

  // A point light is accepted as state but lights nothing; a directional one lights.
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
    light.Range = 100;
    light.Attenuation0 = 1;
    light.Theta = 1, light.Phi = 2, light.Falloff = 1;
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
