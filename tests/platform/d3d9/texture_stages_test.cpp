// Texture stages beyond stage 0: every argument kind with its modifiers, TEMP and RESULTARG,
// the end of the chain, textures a stage cannot read, further coordinate sets and the
// specular colour, each frame against the reference.
#include <gtest/gtest.h>

#include "tests/platform/d3d9/staged_fixture.h"

namespace d3d9_test {
namespace {

using reference::StageSetup;

constexpr D3DCOLOR diffuse = 0x9C5A3C7E;
constexpr D3DCOLOR specular = 0x40C08020;
constexpr D3DCOLOR factor = 0x7B3DA5C1;
constexpr D3DCOLOR constant = 0xD1289A47;

StageSetup Stage(DWORD colorOp, DWORD arg1, DWORD arg2, DWORD alphaOp, DWORD alphaArg1,
                 DWORD alphaArg2, DWORD result = D3DTA_CURRENT) {
  StageSetup s;
  s.colorOp = colorOp;
  s.colorArgs[1] = arg1;
  s.colorArgs[2] = arg2;
  s.alphaOp = alphaOp;
  s.alphaArgs[1] = alphaArg1;
  s.alphaArgs[2] = alphaArg2;
  s.result = result;
  s.constant = constant;
  return s;
}

class TextureStagesTest : public StagedTest {
 protected:
  void SetUp() override {
    StagedTest::SetUp();
    for (int i = 0; i < 3; ++i) {
      levels[i] = NoiseLevel(8, 8, 1, std::uint32_t(i + 1));
      textures[i] = MakeFlat({levels[i]});
    }
    ASSERT_EQ(S_OK, device->SetRenderState(D3DRS_TEXTUREFACTOR, factor));
    // The vertices have two sets; stage 2 reads the second.
    ASSERT_EQ(S_OK, device->SetTextureStageState(2, D3DTSS_TEXCOORDINDEX, 1));
  }
  void TearDown() override {
    for (IDirect3DTexture9* t : textures) {
      if (t != nullptr) t->Release();
    }
    StagedTest::TearDown();
  }

  // An 8 × 8 quad at (4, 4), one texel a pixel in both coordinate sets.
  static StageQuad Quad() {
    StageQuad q;
    q.x = 4, q.y = 4, q.width = 8, q.height = 8;
    q.diffuse = diffuse;
    q.specular = specular;
    for (int s = 0; s < 2; ++s) {
      q.topRight[s][0] = 1.0f;
      q.bottomLeft[s][1] = 1.0f;
    }
    return q;
  }

  // Sets stages 0 .. n - 1 (and disables stage n), binds `bound` textures to stages 0.., and
  // checks the frame against the reference; `textured` says which stages read a texture.
  void ExpectStages(const std::vector<StageSetup>& stages, int bound, int readable = 8) {
    for (DWORD i = 0; i < stages.size(); ++i) SetStage(i, stages[i]);
    if (stages.size() < 8) {
      ASSERT_EQ(S_OK, device->SetTextureStageState(DWORD(stages.size()), D3DTSS_COLOROP,
                                                   D3DTOP_DISABLE));
    }
    for (int i = 0; i < 3; ++i) {
      ASSERT_EQ(S_OK, device->SetTexture(DWORD(i), i < bound ? textures[i] : nullptr));
    }
    ExpectFrame({Quad()}, [&](const StageQuad& q, int px, int py) {
      reference::PixelInputs in;
      in.diffuse = q.diffuse;
      in.specular = q.specular;
      in.factor = factor;
      for (int i = 0; i < 3; ++i) {
        in.textured[i] = i < bound && i < readable;
        in.texels[i] = levels[i].At(px - q.x, py - q.y);
      }
      return reference::ShadeStages(stages.data(), int(stages.size()), in);
    }, 1);
  }

  reference::Level levels[3];
  IDirect3DTexture9* textures[3] = {};
};

TEST_F(TextureStagesTest, EachArgumentWithEachModifierInALaterStage) {
  const DWORD kinds[] = {D3DTA_DIFFUSE, D3DTA_CURRENT, D3DTA_TEXTURE, D3DTA_TFACTOR,
                         D3DTA_SPECULAR, D3DTA_TEMP, D3DTA_CONSTANT};
  const DWORD modifiers[] = {0, D3DTA_COMPLEMENT, D3DTA_ALPHAREPLICATE,
                             D3DTA_COMPLEMENT | D3DTA_ALPHAREPLICATE};
  for (DWORD kind : kinds) {
    for (DWORD modifier : modifiers) {
      for (DWORD op : {DWORD(D3DTOP_SELECTARG1), DWORD(D3DTOP_MODULATE)}) {
        SCOPED_TRACE(testing::Message() << "argument " << kind << " modifier " << modifier
                                        << " operation " << op);
        const DWORD arg = kind | modifier;
        // Stage 0 leaves texture 0 in TEMP, stage 1 makes CURRENT, stage 2 reads the argument.
        ExpectStages({Stage(D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_SELECTARG1,
                            D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTA_TEMP),
                      Stage(D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_ADD,
                            D3DTA_TEXTURE, D3DTA_DIFFUSE),
                      Stage(op, arg, D3DTA_CURRENT, op, arg, D3DTA_CURRENT)},
                     3);
      }
    }
  }
}

TEST_F(TextureStagesTest, TempHoldsAResultWhileCurrentMovesOn) {
  // Stage 0 and 1 fill TEMP and CURRENT apart, stage 2 subtracts one from the other.
  ExpectStages({Stage(D3DTOP_ADD, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_SUBTRACT, D3DTA_TEXTURE,
                      D3DTA_DIFFUSE, D3DTA_TEMP),
                Stage(D3DTOP_MODULATE2X, D3DTA_TEXTURE, D3DTA_CURRENT, D3DTOP_MODULATE,
                      D3DTA_TEXTURE, D3DTA_TFACTOR),
                Stage(D3DTOP_SUBTRACT, D3DTA_TEMP, D3DTA_CURRENT, D3DTOP_SUBTRACT, D3DTA_CURRENT,
                      D3DTA_TEMP)},
               3);
  // The last stage writing TEMP leaves the pixel at the stage before.
  ExpectStages({Stage(D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_SELECTARG1,
                      D3DTA_TEXTURE, D3DTA_DIFFUSE),
                Stage(D3DTOP_ADD, D3DTA_TEXTURE, D3DTA_CURRENT, D3DTOP_ADD, D3DTA_TEXTURE,
                      D3DTA_CURRENT, D3DTA_TEMP)},
               2);
}

TEST_F(TextureStagesTest, ChainEndsAtTheFirstDisabledColourOperation) {
  const StageSetup first = Stage(D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE,
                                 D3DTOP_SELECTARG2, D3DTA_TEXTURE, D3DTA_DIFFUSE);
  SetStage(2, Stage(D3DTOP_ADD, D3DTA_TEXTURE, D3DTA_CURRENT, D3DTOP_ADD, D3DTA_TEXTURE,
                    D3DTA_CURRENT));
  // Stage 1 disabled: stage 2's ADD must not be seen.
  ExpectStages({first}, 3);
  // A disabled alpha operation keeps CURRENT's alpha.
  ExpectStages({first, Stage(D3DTOP_ADD, D3DTA_TEXTURE, D3DTA_CURRENT, D3DTOP_DISABLE,
                             D3DTA_TEXTURE, D3DTA_CURRENT)},
               2);
}

TEST_F(TextureStagesTest, StagesWithoutAReadableTexturePassCurrentOn) {
  const std::vector<StageSetup> stages = {
      Stage(D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_MODULATE, D3DTA_TEXTURE,
            D3DTA_DIFFUSE),
      Stage(D3DTOP_ADD, D3DTA_TEXTURE, D3DTA_CURRENT, D3DTOP_BLENDTEXTUREALPHA, D3DTA_TFACTOR,
            D3DTA_CURRENT),
      Stage(D3DTOP_ADDSIGNED, D3DTA_TFACTOR, D3DTA_CURRENT, D3DTOP_SELECTARG1, D3DTA_TFACTOR,
            D3DTA_CURRENT)};
  ExpectStages(stages, 1);  // no texture on stages 1 and 2
  // Textures bound beyond what MaxSimultaneousTextures allows are not read.
  setup->profile.caps.MaxSimultaneousTextures = 1;
  ExpectStages(stages, 3, 1);
  // Nor are stages beyond MaxTextureBlendStages used.
  setup->profile.caps.MaxSimultaneousTextures = 8;
  setup->profile.caps.MaxTextureBlendStages = 2;
  ExpectStages({stages[0], stages[1]}, 3);
  SetStage(2, stages[2]);
  ExpectFrame({Quad()}, [&](const StageQuad& q, int px, int py) {
    reference::PixelInputs in;
    in.diffuse = q.diffuse;
    in.factor = factor;
    for (int i = 0; i < 3; ++i) {
      in.textured[i] = true;
      in.texels[i] = levels[i].At(px - q.x, py - q.y);
    }
    return reference::ShadeStages(stages.data(), 2, in);
  }, 1);
}

TEST_F(TextureStagesTest, SpecularEnableAddsTheSpecularColourAfterTheStages) {
  ASSERT_EQ(S_OK, device->SetRenderState(D3DRS_SPECULARENABLE, TRUE));
  ASSERT_EQ(S_OK, device->SetTexture(0, textures[0]));
  ExpectFrame({Quad()}, [&](const StageQuad& q, int px, int py) {
    const StageSetup modulate = Stage(D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE,
                                      D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE);
    const StageSetup add = Stage(D3DTOP_ADD, D3DTA_SPECULAR, D3DTA_CURRENT, D3DTOP_SELECTARG2,
                                 D3DTA_SPECULAR, D3DTA_CURRENT);
    const StageSetup both[2] = {modulate, add};
    reference::PixelInputs in;
    in.diffuse = q.diffuse;
    in.specular = q.specular;
    in.texels[0] = levels[0].At(px - q.x, py - q.y);
    in.textured[0] = in.textured[1] = true;
    return reference::ShadeStages(both, 2, in);
  }, 1);
}

// A declaration with a one-component set 1 and the specular colour as COLOR 1; stage 0 reads
// set 1 and stage 1 set 0.
TEST_F(TextureStagesTest, StagesReadTheSetsTheirCoordinateIndexNames) {
  struct Vertex {
    float x, y, z, rhw;
    D3DCOLOR diffuse, specular;
    float uv[2];
    float u;
  };
  const D3DVERTEXELEMENT9 elements[] = {
      {0, 0, D3DDECLTYPE_FLOAT4, 0, D3DDECLUSAGE_POSITIONT, 0},
      {0, 16, D3DDECLTYPE_D3DCOLOR, 0, D3DDECLUSAGE_COLOR, 0},
      {0, 20, D3DDECLTYPE_D3DCOLOR, 0, D3DDECLUSAGE_COLOR, 1},
      {0, 24, D3DDECLTYPE_FLOAT2, 0, D3DDECLUSAGE_TEXCOORD, 0},
      {0, 32, D3DDECLTYPE_FLOAT1, 0, D3DDECLUSAGE_TEXCOORD, 1},
      {0xFF, 0, D3DDECLTYPE_UNUSED, 0, 0, 0}};
  IDirect3DVertexDeclaration9* declaration = nullptr;
  ASSERT_EQ(S_OK, device->CreateVertexDeclaration(elements, &declaration));
  ASSERT_EQ(S_OK, device->SetVertexDeclaration(declaration));
  const std::vector<StageSetup> stages = {
      Stage(D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_SELECTARG1, D3DTA_TEXTURE,
            D3DTA_DIFFUSE),
      Stage(D3DTOP_LERP, D3DTA_TEXTURE, D3DTA_SPECULAR, D3DTOP_ADD, D3DTA_TEXTURE, D3DTA_CURRENT)};
  std::vector<StageSetup> withArg0 = stages;
  withArg0[1].colorArgs[0] = D3DTA_CURRENT;
  for (DWORD i = 0; i < 2; ++i) SetStage(i, withArg0[i]);
  ASSERT_EQ(S_OK, device->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 1));
  ASSERT_EQ(S_OK, device->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 0));
  ASSERT_EQ(S_OK, device->SetTexture(0, textures[0]));
  ASSERT_EQ(S_OK, device->SetTexture(1, textures[1]));
  const Vertex quad[4] = {{3.5f, 3.5f, 0, 1, diffuse, specular, {0, 0}, 0},
                          {11.5f, 3.5f, 0, 1, diffuse, specular, {1, 0}, 1},
                          {11.5f, 11.5f, 0, 1, diffuse, specular, {1, 1}, 1},
                          {3.5f, 11.5f, 0, 1, diffuse, specular, {0, 1}, 0}};
  ASSERT_EQ(S_OK, device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0));
  ASSERT_EQ(S_OK, device->BeginScene());
  ASSERT_EQ(S_OK, device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, quad, sizeof(Vertex)));
  ASSERT_EQ(S_OK, device->EndScene());
  const std::vector<std::uint32_t> frame = ReadArgb();
  for (int py = 4; py < 12; ++py) {
    for (int px = 4; px < 12; ++px) {
      reference::PixelInputs in;
      in.diffuse = diffuse;
      in.specular = specular;
      in.texels[0] = levels[0].At(px - 4, 0);  // set 1 has no v: row 0
      in.texels[1] = levels[1].At(px - 4, py - 4);
      in.textured[0] = in.textured[1] = true;
      const std::uint32_t want = reference::ShadeStages(withArg0.data(), 2, in);
      const std::uint32_t got = frame[std::size_t(py) * width + px];
      ASSERT_TRUE(reference::Near(got, want, 1))
          << px << ", " << py << ": 0x" << std::hex << got << " for 0x" << want;
    }
  }
  ASSERT_EQ(S_OK, device->SetVertexDeclaration(nullptr));
  declaration->Release();
}

// A stage that passes CURRENT on changes nothing: a perspective scene cut by the near plane,
// with a mipmapped texture and a colour gradient, and lines and points over it, drawn by stage
// 0 alone and again with such a second stage (which takes the stages' own path) are equal.
TEST_F(TextureStagesTest, APassingStageKeepsPerspectiveClippingAndMipsAsTheyWere) {
  struct Vertex {
    float x, y, z;
    D3DCOLOR colour;
    float u, v;
  };
  const Vertex quad[4] = {{-1.5f, -1, 0.5f, 0xFF2080F0, 0, 0}, {1.5f, -1, 0.5f, 0x80F04020, 4, 0},
                          {1.5f, 1, 4, 0xC040F080, 4, 4}, {-1.5f, 1, 4, 0x40FFFFFF, 0, 4}};
  D3DMATRIX projection{};
  projection._11 = projection._22 = 1;
  projection._33 = 10.0f / 9.0f;
  projection._34 = 1;
  projection._43 = -10.0f / 9.0f;
  ASSERT_EQ(S_OK, device->SetTransform(D3DTS_PROJECTION, &projection));
  ASSERT_EQ(S_OK, device->SetRenderState(D3DRS_LIGHTING, FALSE));
  ASSERT_EQ(S_OK, device->SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1));
  std::vector<reference::Level> mips;
  for (int size = 32, seed = 60; size >= 1; size /= 2, ++seed) {
    mips.push_back(NoiseLevel(size, size, 1, std::uint32_t(seed)));
  }
  IDirect3DTexture9* texture = MakeFlat(mips);
  ASSERT_EQ(S_OK, device->SetTexture(0, texture));
  ASSERT_EQ(S_OK, device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR));
  ASSERT_EQ(S_OK, device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR));
  ASSERT_EQ(S_OK, device->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_LINEAR));
  const auto frame = [&]() {
    EXPECT_EQ(S_OK, device->Clear(0, nullptr, D3DCLEAR_TARGET, 0x10203040, 1.0f, 0));
    EXPECT_EQ(S_OK, device->BeginScene());
    EXPECT_EQ(S_OK, device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, quad, sizeof(Vertex)));
    EXPECT_EQ(S_OK, device->DrawPrimitiveUP(D3DPT_LINESTRIP, 3, quad, sizeof(Vertex)));
    EXPECT_EQ(S_OK, device->DrawPrimitiveUP(D3DPT_POINTLIST, 4, quad, sizeof(Vertex)));
    EXPECT_EQ(S_OK, device->EndScene());
    return ReadArgb();
  };
  ASSERT_EQ(S_OK, device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE));
  const std::vector<std::uint32_t> alone = frame();
  SetStage(1, Stage(D3DTOP_SELECTARG1, D3DTA_CURRENT, D3DTA_TEXTURE, D3DTOP_SELECTARG2,
                    D3DTA_TEXTURE, D3DTA_CURRENT));
  const std::vector<std::uint32_t> staged = frame();
  int drawn = 0;
  for (std::size_t i = 0; i < alone.size(); ++i) {
    drawn += alone[i] != 0x10203040;
    ASSERT_EQ(alone[i], staged[i]) << "pixel " << i % width << ", " << i / width;
  }
  EXPECT_GT(drawn, int(width * height / 4));
  texture->Release();
}

}  // namespace
}  // namespace d3d9_test
