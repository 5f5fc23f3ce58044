#include "tests/platform/d3d9/staged_fixture.h"

#include <cstring>

namespace d3d9_test {

double StageQuad::At(int set, int component, int px, int py) const {
  const double fx = (px - x + 0.5) / width;
  const double fy = (py - y + 0.5) / height;
  const double origin = topLeft[set][component];
  return origin + fx * (topRight[set][component] - origin) +
         fy * (bottomLeft[set][component] - origin);
}

void StagedTest::SetUp() {
  DeviceTest::SetUp();
  ASSERT_EQ(S_OK, device->CreateRenderTarget(width, height, D3DFMT_A8R8G8B8, D3DMULTISAMPLE_NONE,
                                             0, FALSE, &target, nullptr));
  ASSERT_EQ(S_OK, device->SetRenderTarget(0, target));
  ASSERT_EQ(S_OK, device->SetFVF(stageVertexFvf));
  ASSERT_EQ(S_OK, device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE));
}

void StagedTest::TearDown() {
  if (target != nullptr) target->Release();
  DeviceTest::TearDown();
}

void StagedTest::Draw(const StageQuad& q) {
  const float left = float(q.x) - 0.5f, top = float(q.y) - 0.5f;
  const float right = left + float(q.width), bottom = top + float(q.height);
  StageVertex v[4] = {};
  const float xs[4] = {left, right, right, left};
  const float ys[4] = {top, top, bottom, bottom};
  for (int i = 0; i < 4; ++i) {
    v[i] = {xs[i], ys[i], 0.5f, 1.0f, q.diffuse, q.specular, {}};
    for (int s = 0; s < 2; ++s) {
      for (int c = 0; c < 3; ++c) {
        const float tl = q.topLeft[s][c];
        const float dx = q.topRight[s][c] - tl, dy = q.bottomLeft[s][c] - tl;
        v[i].sets[s][c] = tl + (i == 1 || i == 2 ? dx : 0.0f) + (i >= 2 ? dy : 0.0f);
      }
    }
  }
  ASSERT_EQ(S_OK, device->BeginScene());
  ASSERT_EQ(S_OK, device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, v, sizeof(StageVertex)));
  ASSERT_EQ(S_OK, device->EndScene());
}

std::vector<std::uint32_t> StagedTest::ReadArgb() {
  std::vector<std::uint32_t> pixels(std::size_t(width) * height);
  IDirect3DSurface9* copy = nullptr;
  EXPECT_EQ(S_OK, device->CreateOffscreenPlainSurface(width, height, D3DFMT_A8R8G8B8,
                                                      D3DPOOL_SYSTEMMEM, &copy, nullptr));
  if (copy == nullptr) return pixels;
  EXPECT_EQ(S_OK, device->GetRenderTargetData(target, copy));
  D3DLOCKED_RECT locked;
  EXPECT_EQ(S_OK, copy->LockRect(&locked, nullptr, D3DLOCK_READONLY));
  for (UINT y = 0; y < height; ++y) {
    std::memcpy(pixels.data() + std::size_t(y) * width,
                static_cast<const BYTE*>(locked.pBits) + std::size_t(y) * locked.Pitch, width * 4);
  }
  copy->UnlockRect();
  copy->Release();
  return pixels;
}

void StagedTest::ExpectFrame(const std::vector<StageQuad>& quads,
                             const std::function<std::uint32_t(const StageQuad&, int, int)>& expected,
                             int tolerance, D3DCOLOR background) {
  ASSERT_EQ(S_OK, device->Clear(0, nullptr, D3DCLEAR_TARGET, background, 1.0f, 0));
  for (const StageQuad& quad : quads) Draw(quad);
  const std::vector<std::uint32_t> frame = ReadArgb();
  int wrong = 0;
  for (int py = 0; py < int(height); ++py) {
    for (int px = 0; px < int(width); ++px) {
      std::uint32_t want = background;
      for (const StageQuad& quad : quads) {
        if (quad.Covers(px, py)) want = expected(quad, px, py);
      }
      const std::uint32_t got = frame[std::size_t(py) * width + px];
      if (!reference::Near(got, want, tolerance) && ++wrong <= 4) {
        ADD_FAILURE() << "pixel (" << px << ", " << py << "): 0x" << std::hex << got
                      << ", expected 0x" << want;
      }
    }
  }
  EXPECT_EQ(0, wrong);
}

void StagedTest::SetStage(DWORD stage, DWORD colorOp, DWORD arg1, DWORD arg2, DWORD alphaOp,
                          DWORD alphaArg1, DWORD alphaArg2) {
  reference::StageSetup s;
  s.colorOp = colorOp;
  s.colorArgs[1] = arg1;
  s.colorArgs[2] = arg2;
  s.alphaOp = alphaOp;
  s.alphaArgs[1] = alphaArg1;
  s.alphaArgs[2] = alphaArg2;
  SetStage(stage, s);
}

void StagedTest::SetStage(DWORD stage, const reference::StageSetup& s) {
  const auto set = [&](D3DTEXTURESTAGESTATETYPE type, DWORD value) {
    ASSERT_EQ(S_OK, device->SetTextureStageState(stage, type, value));
  };
  set(D3DTSS_COLOROP, s.colorOp);
  set(D3DTSS_COLORARG0, s.colorArgs[0]);
  set(D3DTSS_COLORARG1, s.colorArgs[1]);
  set(D3DTSS_COLORARG2, s.colorArgs[2]);
  set(D3DTSS_ALPHAOP, s.alphaOp);
  set(D3DTSS_ALPHAARG0, s.alphaArgs[0]);
  set(D3DTSS_ALPHAARG1, s.alphaArgs[1]);
  set(D3DTSS_ALPHAARG2, s.alphaArgs[2]);
  set(D3DTSS_RESULTARG, s.result);
  set(D3DTSS_CONSTANT, s.constant);
}

namespace {

void CopyIn(void* bits, INT pitch, INT slicePitch, const reference::Level& level) {
  for (int z = 0; z < level.depth; ++z) {
    for (int y = 0; y < level.height; ++y) {
      std::memcpy(static_cast<BYTE*>(bits) + std::size_t(z) * slicePitch + std::size_t(y) * pitch,
                  &level.texels[(std::size_t(z) * level.height + y) * level.width],
                  std::size_t(level.width) * 4);
    }
  }
}

}  // namespace

IDirect3DTexture9* StagedTest::MakeFlat(const std::vector<reference::Level>& levels) {
  IDirect3DTexture9* texture = nullptr;
  EXPECT_EQ(S_OK, device->CreateTexture(levels[0].width, levels[0].height, UINT(levels.size()), 0,
                                        D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr));
  for (UINT i = 0; texture != nullptr && i < levels.size(); ++i) {
    D3DLOCKED_RECT locked;
    EXPECT_EQ(S_OK, texture->LockRect(i, &locked, nullptr, 0));
    CopyIn(locked.pBits, locked.Pitch, 0, levels[i]);
    EXPECT_EQ(S_OK, texture->UnlockRect(i));
  }
  return texture;
}

IDirect3DCubeTexture9* StagedTest::MakeCube(const std::vector<reference::Level> faces[6]) {
  IDirect3DCubeTexture9* texture = nullptr;
  EXPECT_EQ(S_OK, device->CreateCubeTexture(faces[0][0].width, UINT(faces[0].size()), 0,
                                            D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr));
  for (int f = 0; texture != nullptr && f < 6; ++f) {
    for (UINT i = 0; i < faces[f].size(); ++i) {
      D3DLOCKED_RECT locked;
      const auto face = D3DCUBEMAP_FACES(f);
      EXPECT_EQ(S_OK, texture->LockRect(face, i, &locked, nullptr, 0));
      CopyIn(locked.pBits, locked.Pitch, 0, faces[f][i]);
      EXPECT_EQ(S_OK, texture->UnlockRect(face, i));
    }
  }
  return texture;
}

IDirect3DVolumeTexture9* StagedTest::MakeVolume(const std::vector<reference::Level>& levels) {
  IDirect3DVolumeTexture9* texture = nullptr;
  EXPECT_EQ(S_OK, device->CreateVolumeTexture(levels[0].width, levels[0].height, levels[0].depth,
                                              UINT(levels.size()), 0, D3DFMT_A8R8G8B8,
                                              D3DPOOL_MANAGED, &texture, nullptr));
  for (UINT i = 0; texture != nullptr && i < levels.size(); ++i) {
    D3DLOCKED_BOX locked;
    EXPECT_EQ(S_OK, texture->LockBox(i, &locked, nullptr, 0));
    CopyIn(locked.pBits, locked.RowPitch, locked.SlicePitch, levels[i]);
    EXPECT_EQ(S_OK, texture->UnlockBox(i));
  }
  return texture;
}

reference::Level NoiseLevel(int width, int height, int depth, std::uint32_t seed) {
  reference::Level level{width, height, depth, {}};
  std::uint32_t state = seed * 2654435761u + 12345u;
  for (int i = 0; i < width * height * depth; ++i) {
    state = state * 1664525u + 1013904223u;
    level.texels.push_back(state ^ (state >> 13));
  }
  return level;
}

}  // namespace d3d9_test
