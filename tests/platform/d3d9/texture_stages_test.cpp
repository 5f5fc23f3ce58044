// Stages beyond stage 0: each argument with each modifier, TEMP and RESULTARG, the end of the
// chain, stages without a readable texture, further sets and the specular colour.
#include <gtest/gtest.h>

#include "tests/platform/d3d9/staged_fixture.h"

namespace d3d9_test {
namespace {

using reference::StageSetup;

constexpr DWORD tex = D3DTA_TEXTURE, cur = D3DTA_CURRENT, dif = D3DTA_DIFFUSE;
constexpr D3DCOLOR diffuse = 0x9C5A3C7E, specular = 0x40C08020, factor = 0x7B3DA5C1;

class TextureStagesTest : public StagedTest {
 protected:
  void SetUp() override {
    StagedTest::SetUp();
    for (int i = 0; i < 3; ++i) {
      levels[i] = NoiseLevel(8, 8, 1, std::uint32_t(i + 1));
      textures[i] = MakeFlat({levels[i]});
    }
    ASSERT_EQ(S_OK, device->SetRenderState(D3DRS_TEXTUREFACTOR, factor));
    ASSERT_EQ(S_OK, device->SetTextureStageState(2, D3DTSS_TEXCOORDINDEX, 1));  // two sets
  }
  void TearDown() override {
    for (win32::ComRef<IDirect3DTexture9>& t : textures) t.Reset();
    StagedTest::TearDown();
  }

  // Stages 0 .. n - 1 (stage n disabled) over an 8 × 8 quad, a texel a pixel, with `bound`
  // textures bound and the first `readable` of them read; `seen` (by default the stages set)
  // is what the reference draws.
  void ExpectStages(const std::vector<StageSetup>& stages, int bound, int readable = 8,
                    std::vector<StageSetup> seen = {}) {
    if (seen.empty()) seen = stages;
    for (DWORD i = 0; i < stages.size(); ++i) SetStage(i, stages[i]);
    if (stages.size() < 8) {
      ASSERT_EQ(S_OK, device->SetTextureStageState(DWORD(stages.size()), D3DTSS_COLOROP,
                                                   D3DTOP_DISABLE));
    }
    for (int i = 0; i < 3; ++i) {
      ASSERT_EQ(S_OK, device->SetTexture(DWORD(i), i < bound ? textures[i].Get() : nullptr));
    }
    const double origin[3] = {}, alongX[3] = {1, 0, 0}, alongY[3] = {0, 1, 0};
    StageQuad quad = Quad(4, 4, 8, origin, alongX, alongY);
    quad.diffuse = diffuse, quad.specular = specular;
    ExpectFrame({quad}, [&](const StageQuad& q, int px, int py) {
      reference::PixelInputs in{q.diffuse, q.specular, factor, {}, {}};
      for (int i = 0; i < 3; ++i) {
        in.textured[i] = i < bound && i < readable;
        in.texels[i] = levels[i].At(px - q.x, py - q.y);
      }
      return reference::ShadeStages(seen.data(), int(seen.size()), in);
    }, 1);
  }

  reference::Level levels[3];
  win32::ComRef<IDirect3DTexture9> textures[3];
};

TEST_F(TextureStagesTest, EachArgumentWithEachModifierInALaterStage) {
  for (DWORD kind : {dif, cur, tex, D3DTA_TFACTOR, D3DTA_SPECULAR, D3DTA_TEMP, D3DTA_CONSTANT}) {
    for (DWORD modifier : {0u, D3DTA_COMPLEMENT, D3DTA_ALPHAREPLICATE,
                           D3DTA_COMPLEMENT | D3DTA_ALPHAREPLICATE}) {
      for (DWORD op : {DWORD(D3DTOP_SELECTARG1), DWORD(D3DTOP_MODULATE)}) {
        SCOPED_TRACE(testing::Message() << "argument " << (kind | modifier) << ", op " << op);
        // Stage 0 leaves texture 0 in TEMP, stage 1 makes CURRENT, stage 2 reads the argument.
        ExpectStages({Stage(D3DTOP_SELECTARG1, tex, dif, D3DTOP_SELECTARG1, tex, dif, D3DTA_TEMP),
                      Stage(D3DTOP_MODULATE, tex, dif, D3DTOP_ADD, tex, dif),
                      Stage(op, kind | modifier, cur, op, kind | modifier, cur)},
                     3);
      }
    }
  }
}

TEST_F(TextureStagesTest, TempAndResultArgument) {
  ExpectStages({Stage(D3DTOP_ADD, tex, dif, D3DTOP_SUBTRACT, tex, dif, D3DTA_TEMP),
                Stage(D3DTOP_MODULATE2X, tex, cur, D3DTOP_MODULATE, tex, D3DTA_TFACTOR),
                Stage(D3DTOP_SUBTRACT, D3DTA_TEMP, cur, D3DTOP_SUBTRACT, cur, D3DTA_TEMP)},
               3);
  // A last stage writing TEMP leaves the pixel as the stage before made it.
  ExpectStages({Stage(D3DTOP_SELECTARG1, tex, dif, D3DTOP_SELECTARG1, tex, dif),
                Stage(D3DTOP_ADD, tex, cur, D3DTOP_ADD, tex, cur, D3DTA_TEMP)},
               2);
}

TEST_F(TextureStagesTest, ChainEndsAtTheFirstDisabledColourOperation) {
  const StageSetup first = Stage(D3DTOP_SELECTARG1, tex, dif, D3DTOP_SELECTARG2, tex, dif);
  SetStage(2, Stage(D3DTOP_ADD, tex, cur, D3DTOP_ADD, tex, cur));
  ExpectStages({first}, 3);  // stage 1 disabled: stage 2 is not seen
  // A disabled alpha operation keeps CURRENT's alpha.
  ExpectStages({first, Stage(D3DTOP_ADD, tex, cur, D3DTOP_DISABLE, tex, cur)}, 2);
}

TEST_F(TextureStagesTest, StagesWithoutAReadableTexturePassCurrentOn) {
  const std::vector<StageSetup> stages = {
      Stage(D3DTOP_MODULATE, tex, dif, D3DTOP_MODULATE, tex, dif),
      Stage(D3DTOP_MODULATE, tex, cur, D3DTOP_MODULATE, tex, cur),
      Stage(D3DTOP_BLENDTEXTUREALPHA, cur, D3DTA_TFACTOR, D3DTOP_SELECTARG2, D3DTA_TFACTOR, cur)};
  ExpectStages(stages, 1);  // no texture on stages 1 and 2
  setup->profile.caps.MaxSimultaneousTextures = 1;
  ExpectStages(stages, 3, 1);  // bound, but beyond what the caps allow
  setup->profile.caps.MaxSimultaneousTextures = 8;
  setup->profile.caps.MaxTextureBlendStages = 2;
  ExpectStages(stages, 3, 8, {stages[0], stages[1]});  // stage 2 beyond MaxTextureBlendStages
}

TEST_F(TextureStagesTest, SpecularEnableAddsTheSpecularColourAfterTheStages) {
  ASSERT_EQ(S_OK, device->SetRenderState(D3DRS_SPECULARENABLE, TRUE));
  const std::vector<StageSetup> asAStage = {
      Stage(D3DTOP_MODULATE, tex, dif, D3DTOP_SELECTARG1, tex, dif),
      Stage(D3DTOP_ADD, D3DTA_SPECULAR, cur, D3DTOP_SELECTARG2, D3DTA_SPECULAR, cur)};
  ExpectStages({asAStage[0]}, 1, 8, asAStage);  // the reference adds it as a stage would
}

// A declaration with a one-component set 1 and the specular colour as COLOR 1; stage 0 reads
// set 1 and stage 1 set 0.
TEST_F(TextureStagesTest, StagesReadTheSetsTheirCoordinateIndexNames) {
  struct Vertex {
    float x, y, z, rhw;
    D3DCOLOR diffuse, specular;
    float uv[2], u;
  };
  const D3DVERTEXELEMENT9 elements[] = {{0, 0, D3DDECLTYPE_FLOAT4, 0, D3DDECLUSAGE_POSITIONT, 0},
                                        {0, 16, D3DDECLTYPE_D3DCOLOR, 0, D3DDECLUSAGE_COLOR, 0},
                                        {0, 20, D3DDECLTYPE_D3DCOLOR, 0, D3DDECLUSAGE_COLOR, 1},
                                        {0, 24, D3DDECLTYPE_FLOAT2, 0, D3DDECLUSAGE_TEXCOORD, 0},
                                        {0, 32, D3DDECLTYPE_FLOAT1, 0, D3DDECLUSAGE_TEXCOORD, 1},
                                        {0xFF, 0, D3DDECLTYPE_UNUSED, 0, 0, 0}};
  win32::ComRef<IDirect3DVertexDeclaration9> declaration;
  ASSERT_EQ(S_OK, device->CreateVertexDeclaration(elements, declaration.Receive()));
  ASSERT_EQ(S_OK, device->SetVertexDeclaration(declaration.Get()));
  std::vector<StageSetup> stages = {Stage(D3DTOP_SELECTARG1, tex, dif, D3DTOP_SELECTARG1, tex, dif),
                                    Stage(D3DTOP_LERP, tex, D3DTA_SPECULAR, D3DTOP_ADD, tex, cur)};
  stages[1].colorArgs[0] = cur;
  for (DWORD i = 0; i < 2; ++i) {
    SetStage(i, stages[i]);
    ASSERT_EQ(S_OK, device->SetTextureStageState(i, D3DTSS_TEXCOORDINDEX, 1 - i));
    ASSERT_EQ(S_OK, device->SetTexture(i, textures[i].Get()));
  }
  const Vertex quad[4] = {{3.5f, 3.5f, 0, 1, diffuse, specular, {0, 0}, 0},
                          {11.5f, 3.5f, 0, 1, diffuse, specular, {1, 0}, 1},
                          {11.5f, 11.5f, 0, 1, diffuse, specular, {1, 1}, 1},
                          {3.5f, 11.5f, 0, 1, diffuse, specular, {0, 1}, 0}};
  ASSERT_EQ(S_OK, device->BeginScene());
  ASSERT_EQ(S_OK, device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, quad, sizeof(Vertex)));
  ASSERT_EQ(S_OK, device->EndScene());
  const std::vector<std::uint32_t> frame = ReadArgb();
  for (int py = 4; py < 12; ++py) {
    for (int px = 4; px < 12; ++px) {
      // Set 1 has no v: stage 0 reads row 0.
      const reference::PixelInputs in{diffuse, specular, 0xFFFFFFFF,
                                      {levels[0].At(px - 4, 0), levels[1].At(px - 4, py - 4)},
                                      {true, true}};
      const std::uint32_t want = reference::ShadeStages(stages.data(), 2, in);
      const std::uint32_t got = frame[std::size_t(py) * width + px];
      ASSERT_TRUE(reference::Near(got, want, 1)) << px << ", " << py << ": 0x" << std::hex << got;
    }
  }
  ASSERT_EQ(S_OK, device->SetVertexDeclaration(nullptr));
}

// (u, v) goes in as (u, v, 1, 0): the third row of the matrix translates. Pre-transformed
// vertices skip the transform.
TEST_F(TextureStagesTest, TextureTransformsOfUntransformedVertices) {
  D3DMATRIX turn{};  // u' = v + 1/2, v' = 1 - u
  turn._21 = 1, turn._31 = 0.5f, turn._12 = -1, turn._32 = 1;
  ASSERT_EQ(S_OK, device->SetTransform(D3DTRANSFORMSTATETYPE(D3DTS_TEXTURE0), &turn));
  ASSERT_EQ(S_OK, device->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2));
  ASSERT_EQ(S_OK, device->SetRenderState(D3DRS_LIGHTING, FALSE));
  SetStage(0, Stage(D3DTOP_SELECTARG1, tex, dif, D3DTOP_SELECTARG1, tex, dif));
  ASSERT_EQ(S_OK, device->SetTexture(0, textures[0].Get()));
  ExpectStages({Stage(D3DTOP_SELECTARG1, tex, dif, D3DTOP_SELECTARG1, tex, dif)}, 1);
  struct Vertex {
    float x, y, z, u, v;
  };
  // Pixels 4 to 11 in both directions, through the identity transforms and the viewport.
  const float l = 3.5f / 32 - 1, r = 11.5f / 32 - 1, t = 1 - 3.5f / 32, b = 1 - 11.5f / 32;
  const Vertex quad[4] = {{l, t, 0.5f, 0, 0}, {r, t, 0.5f, 1, 0}, {r, b, 0.5f, 1, 1},
                          {l, b, 0.5f, 0, 1}};
  ASSERT_EQ(S_OK, device->SetFVF(D3DFVF_XYZ | D3DFVF_TEX1));
  ASSERT_EQ(S_OK, device->BeginScene());
  ASSERT_EQ(S_OK, device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, quad, sizeof(Vertex)));
  ASSERT_EQ(S_OK, device->EndScene());
  const std::vector<std::uint32_t> frame = ReadArgb();
  reference::Filtering point;
  for (int py = 4; py < 12; ++py) {
    for (int px = 4; px < 12; ++px) {
      const double u = (px - 3.5) / 8, v = (py - 3.5) / 8;
      EXPECT_EQ(reference::SampleLevels({levels[0]}, point, v + 0.5, 1 - u, 0, 0),
                frame[std::size_t(py) * width + px]) << px << ", " << py;
    }
  }
}

// A stage passing CURRENT on changes nothing: a perspective scene cut by the near plane, with
// mips and a colour gradient, and lines and points over it, drawn by stage 0 alone and again
// with such a stage (which takes the stages' own path) are equal.
TEST_F(TextureStagesTest, APassingStageKeepsPerspectiveClippingAndMipsAsTheyWere) {
  struct Vertex {
    float x, y, z;
    D3DCOLOR colour;
    float u, v;
  };
  const Vertex quad[4] = {{-1.5f, -1, 0.5f, 0xFF2080F0, 0, 0}, {1.5f, -1, 0.5f, 0x80F04020, 4, 0},
                          {1.5f, 1, 4, 0xC040F080, 4, 4}, {-1.5f, 1, 4, 0x40FFFFFF, 0, 4}};
  D3DMATRIX projection{};
  projection._11 = projection._22 = projection._34 = 1;
  projection._33 = 10.0f / 9.0f;
  projection._43 = -10.0f / 9.0f;
  ASSERT_EQ(S_OK, device->SetTransform(D3DTS_PROJECTION, &projection));
  ASSERT_EQ(S_OK, device->SetRenderState(D3DRS_LIGHTING, FALSE));
  ASSERT_EQ(S_OK, device->SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1));
  std::vector<reference::Level> mips;
  for (int size = 32; size >= 1; size /= 2) mips.push_back(NoiseLevel(size, size, 1, size));
  const auto texture = MakeFlat(mips);
  ASSERT_EQ(S_OK, device->SetTexture(0, texture.Get()));
  SetFiltering(D3DTEXF_LINEAR, D3DTEXF_LINEAR, D3DTEXF_LINEAR);
  const auto frame = [&]() {
    EXPECT_EQ(S_OK, device->Clear(0, nullptr, D3DCLEAR_TARGET, background, 1.0f, 0));
    EXPECT_EQ(S_OK, device->BeginScene());
    EXPECT_EQ(S_OK, device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, quad, sizeof(Vertex)));
    EXPECT_EQ(S_OK, device->DrawPrimitiveUP(D3DPT_LINESTRIP, 3, quad, sizeof(Vertex)));
    EXPECT_EQ(S_OK, device->DrawPrimitiveUP(D3DPT_POINTLIST, 4, quad, sizeof(Vertex)));
    EXPECT_EQ(S_OK, device->EndScene());
    return ReadArgb();
  };
  const std::vector<std::uint32_t> alone = frame();
  SetStage(1, Stage(D3DTOP_SELECTARG1, cur, tex, D3DTOP_SELECTARG2, tex, cur));
  const std::vector<std::uint32_t> staged = frame();
  int drawn = 0;
  for (std::size_t i = 0; i < alone.size(); ++i) {
    drawn += alone[i] != background;
    ASSERT_EQ(alone[i], staged[i]) << "pixel " << i % width << ", " << i / width;
  }
  EXPECT_GT(drawn, int(width * height / 4));
}

}  // namespace
}  // namespace d3d9_test
