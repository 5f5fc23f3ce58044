#include "tests/platform/d3d9/staged_fixture.h"

#include <cstring>

namespace d3d9_test {
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

StageQuad Quad(int x, int y, int size, const double origin[3], const double alongX[3],
               const double alongY[3]) {
  StageQuad q;
  q.x = x, q.y = y, q.size = size;
  for (int s = 0; s < 2; ++s) {
    for (int c = 0; c < 3; ++c) {
      q.corners[0][s][c] = float(origin[c]);
      q.corners[1][s][c] = float(origin[c] + alongX[c]);
      q.corners[2][s][c] = float(origin[c] + alongY[c]);
    }
  }
  return q;
}

reference::StageSetup Stage(DWORD colorOp, DWORD arg1, DWORD arg2, DWORD alphaOp, DWORD alphaArg1,
                            DWORD alphaArg2, DWORD result) {
  reference::StageSetup s;
  s.colorOp = colorOp, s.colorArgs[1] = arg1, s.colorArgs[2] = arg2;
  s.alphaOp = alphaOp, s.alphaArgs[1] = alphaArg1, s.alphaArgs[2] = alphaArg2;
  s.result = result;
  s.constant = 0xD1289A47;
  return s;
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

void StagedTest::SetUp() {
  DeviceTest::SetUp();
  ASSERT_EQ(S_OK, device->CreateRenderTarget(width, height, D3DFMT_A8R8G8B8, D3DMULTISAMPLE_NONE,
                                             0, FALSE, &target, nullptr));
  ASSERT_EQ(S_OK, device->SetRenderTarget(0, target));
  ASSERT_EQ(S_OK, device->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEX2 |
                                 D3DFVF_TEXCOORDSIZE3(0) | D3DFVF_TEXCOORDSIZE3(1)));
  ASSERT_EQ(S_OK, device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE));
}

void StagedTest::TearDown() {
  if (target != nullptr) target->Release();
  DeviceTest::TearDown();
}

std::vector<std::uint32_t> StagedTest::ReadArgb() {
  std::vector<std::uint32_t> pixels(std::size_t(width) * height);
  IDirect3DSurface9* copy = nullptr;
  EXPECT_EQ(S_OK, device->CreateOffscreenPlainSurface(width, height, D3DFMT_A8R8G8B8,
                                                      D3DPOOL_SYSTEMMEM, &copy, nullptr));
  D3DLOCKED_RECT locked;
  EXPECT_EQ(S_OK, device->GetRenderTargetData(target, copy));
  EXPECT_EQ(S_OK, copy->LockRect(&locked, nullptr, D3DLOCK_READONLY));
  for (UINT y = 0; y < height; ++y) {
    std::memcpy(&pixels[std::size_t(y) * width],
                static_cast<const BYTE*>(locked.pBits) + std::size_t(y) * locked.Pitch, width * 4);
  }
  copy->UnlockRect();
  copy->Release();
  return pixels;
}

void StagedTest::ExpectFrame(const std::vector<StageQuad>& quads, const Expected& expected,
                             int tolerance) {
  ASSERT_EQ(S_OK, device->Clear(0, nullptr, D3DCLEAR_TARGET, background, 1.0f, 0));
  ASSERT_EQ(S_OK, device->BeginScene());
  for (const StageQuad& q : quads) {
    const float l = float(q.x) - 0.5f, t = float(q.y) - 0.5f, n = float(q.size);
    StageVertex v[4] = {{l, t, 0.5f, 1, q.diffuse, q.specular, {}},
                        {l + n, t, 0.5f, 1, q.diffuse, q.specular, {}},
                        {l + n, t + n, 0.5f, 1, q.diffuse, q.specular, {}},
                        {l, t + n, 0.5f, 1, q.diffuse, q.specular, {}}};
    for (int s = 0; s < 2; ++s) {
      for (int c = 0; c < 3; ++c) {
        const float o = q.corners[0][s][c];
        const float dx = q.corners[1][s][c] - o, dy = q.corners[2][s][c] - o;
        v[0].sets[s][c] = o, v[1].sets[s][c] = o + dx;
        v[2].sets[s][c] = o + dx + dy, v[3].sets[s][c] = o + dy;
      }
    }
    ASSERT_EQ(S_OK, device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, v, sizeof(StageVertex)));
  }
  ASSERT_EQ(S_OK, device->EndScene());
  const std::vector<std::uint32_t> frame = ReadArgb();
  int wrong = 0;
  for (int py = 0; py < int(height); ++py) {
    for (int px = 0; px < int(width); ++px) {
      std::uint32_t want = background;
      for (const StageQuad& q : quads) {
        if (px >= q.x && px < q.x + q.size && py >= q.y && py < q.y + q.size) {
          want = expected(q, px, py);
        }
      }
      const std::uint32_t got = frame[std::size_t(py) * width + px];
      if (!reference::Near(got, want, tolerance) && ++wrong <= 3) {
        ADD_FAILURE() << "(" << px << ", " << py << "): 0x" << std::hex << got << " for 0x" << want;
      }
    }
  }
  EXPECT_EQ(0, wrong);
}

void StagedTest::SetStage(DWORD stage, const reference::StageSetup& s) {
  const std::pair<D3DTEXTURESTAGESTATETYPE, DWORD> states[] = {
      {D3DTSS_COLOROP, s.colorOp},         {D3DTSS_COLORARG0, s.colorArgs[0]},
      {D3DTSS_COLORARG1, s.colorArgs[1]},  {D3DTSS_COLORARG2, s.colorArgs[2]},
      {D3DTSS_ALPHAOP, s.alphaOp},         {D3DTSS_ALPHAARG0, s.alphaArgs[0]},
      {D3DTSS_ALPHAARG1, s.alphaArgs[1]},  {D3DTSS_ALPHAARG2, s.alphaArgs[2]},
      {D3DTSS_RESULTARG, s.result},        {D3DTSS_CONSTANT, s.constant}};
  for (const auto& [type, value] : states) {
    ASSERT_EQ(S_OK, device->SetTextureStageState(stage, type, value));
  }
}

void StagedTest::SetFiltering(DWORD mag, DWORD min, DWORD mip, DWORD addressW) {
  ASSERT_EQ(S_OK, device->SetSamplerState(0, D3DSAMP_MAGFILTER, mag));
  ASSERT_EQ(S_OK, device->SetSamplerState(0, D3DSAMP_MINFILTER, min));
  ASSERT_EQ(S_OK, device->SetSamplerState(0, D3DSAMP_MIPFILTER, mip));
  ASSERT_EQ(S_OK, device->SetSamplerState(0, D3DSAMP_ADDRESSW, addressW));
}

win32::ComRef<IDirect3DTexture9> StagedTest::MakeFlat(const std::vector<reference::Level>& levels) {
  win32::ComRef<IDirect3DTexture9> texture;
  EXPECT_EQ(S_OK,
            device->CreateTexture(levels[0].width, levels[0].height, UINT(levels.size()), 0,
                                  D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, texture.Receive(), nullptr));
  for (UINT i = 0; texture && i < levels.size(); ++i) {
    D3DLOCKED_RECT locked;
    EXPECT_EQ(S_OK, texture->LockRect(i, &locked, nullptr, 0));
    CopyIn(locked.pBits, locked.Pitch, 0, levels[i]);
    EXPECT_EQ(S_OK, texture->UnlockRect(i));
  }
  return texture;
}

win32::ComRef<IDirect3DCubeTexture9> StagedTest::MakeCube(
    const std::vector<reference::Level> faces[6]) {
  win32::ComRef<IDirect3DCubeTexture9> texture;
  EXPECT_EQ(S_OK,
            device->CreateCubeTexture(faces[0][0].width, UINT(faces[0].size()), 0, D3DFMT_A8R8G8B8,
                                      D3DPOOL_MANAGED, texture.Receive(), nullptr));
  for (int f = 0; texture && f < 6; ++f) {
    for (UINT i = 0; i < faces[f].size(); ++i) {
      D3DLOCKED_RECT locked;
      EXPECT_EQ(S_OK, texture->LockRect(D3DCUBEMAP_FACES(f), i, &locked, nullptr, 0));
      CopyIn(locked.pBits, locked.Pitch, 0, faces[f][i]);
      EXPECT_EQ(S_OK, texture->UnlockRect(D3DCUBEMAP_FACES(f), i));
    }
  }
  return texture;
}

win32::ComRef<IDirect3DVolumeTexture9> StagedTest::MakeVolume(
    const std::vector<reference::Level>& levels) {
  win32::ComRef<IDirect3DVolumeTexture9> texture;
  EXPECT_EQ(S_OK, device->CreateVolumeTexture(levels[0].width, levels[0].height, levels[0].depth,
                                              UINT(levels.size()), 0, D3DFMT_A8R8G8B8,
                                              D3DPOOL_MANAGED, texture.Receive(), nullptr));
  for (UINT i = 0; texture && i < levels.size(); ++i) {
    D3DLOCKED_BOX locked;
    EXPECT_EQ(S_OK, texture->LockBox(i, &locked, nullptr, 0));
    CopyIn(locked.pBits, locked.RowPitch, locked.SlicePitch, levels[i]);
    EXPECT_EQ(S_OK, texture->UnlockBox(i));
  }
  return texture;
}

}  // namespace d3d9_test
