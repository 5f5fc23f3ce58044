// Draws whose working memory is refused: each refusal fails the draw with E_OUTOFMEMORY and
// leaves the target untouched, and the decoded copies of textures are among the requests.
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "platform/d3d9/cache_budget.h"
#include "platform/win32/com_object.h"
#include "tests/platform/d3d9/device_fixture.h"

namespace d3d9_test {
namespace {

// XYZRHW, diffuse and one set of three coordinates.
struct Vertex3 {
  float x, y, z, rhw;
  D3DCOLOR colour;
  float u, v, w;
};
constexpr DWORD vertex3Fvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1 | D3DFVF_TEXCOORDSIZE3(0);

enum class Kind { Flat, Cube, Volume };

// Red in either format.
void FillRed(void* bits, int pitch, int slicePitch, int size, D3DFORMAT format) {
  const bool twoBytes = format == D3DFMT_R5G6B5;
  for (int z = 0; z < size; ++z) {
    for (int y = 0; y < size; ++y) {
      auto* row = static_cast<BYTE*>(bits) + z * slicePitch + y * pitch;
      for (int x = 0; x < size; ++x) {
        const std::uint32_t red = twoBytes ? 0xF800u : 0xFFFF0000u;
        std::memcpy(row + x * (twoBytes ? 2 : 4), &red, twoBytes ? 2 : 4);
      }
    }
  }
}

class DrawMemoryTest : public DeviceTest {
 protected:
  static constexpr int size = 4;

  IDirect3DBaseTexture9* MakeRed(Kind kind, D3DFORMAT format) {
    if (kind == Kind::Flat) {
      IDirect3DTexture9* t = nullptr;
      EXPECT_EQ(S_OK,
                device->CreateTexture(size, size, 1, 0, format, D3DPOOL_MANAGED, &t, nullptr));
      D3DLOCKED_RECT locked;
      EXPECT_EQ(S_OK, t->LockRect(0, &locked, nullptr, 0));
      FillRed(locked.pBits, locked.Pitch, 0, size, format);
      t->UnlockRect(0);
      return t;
    }
    if (kind == Kind::Cube) {
      IDirect3DCubeTexture9* t = nullptr;
      EXPECT_EQ(S_OK, device->CreateCubeTexture(size, 1, 0, format, D3DPOOL_MANAGED, &t, nullptr));
      for (int face = 0; face < 6; ++face) {
        D3DLOCKED_RECT locked;
        EXPECT_EQ(S_OK, t->LockRect(D3DCUBEMAP_FACES(face), 0, &locked, nullptr, 0));
        FillRed(locked.pBits, locked.Pitch, 0, size, format);
        t->UnlockRect(D3DCUBEMAP_FACES(face), 0);
      }
      return t;
    }
    IDirect3DVolumeTexture9* t = nullptr;
    EXPECT_EQ(S_OK, device->CreateVolumeTexture(size, size, size, 1, 0, format, D3DPOOL_MANAGED,
                                                &t, nullptr));
    D3DLOCKED_BOX locked;
    EXPECT_EQ(S_OK, t->LockBox(0, &locked, nullptr, 0));
    FillRed(locked.pBits, locked.RowPitch, locked.SlicePitch, size, format);
    t->UnlockBox(0);
    return t;
  }

  HRESULT DrawTextured() {
    // A direction along +x for the cube, the middle of the volume and of the flat texture.
    const float u = 1.0f, v = 0.5f, w = 0.5f;
    const Vertex3 quad[4] = {{8, 8, 0, 1, 0xFFFFFFFF, u, v, w},
                             {56, 8, 0, 1, 0xFFFFFFFF, u, v, w},
                             {56, 56, 0, 1, 0xFFFFFFFF, u, v, w},
                             {8, 56, 0, 1, 0xFFFFFFFF, u, v, w}};
    EXPECT_EQ(S_OK, device->SetFVF(vertex3Fvf));
    EXPECT_EQ(S_OK, device->BeginScene());
    const HRESULT drawn = device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, quad, sizeof(Vertex3));
    EXPECT_EQ(S_OK, device->EndScene());
    return drawn;
  }

  // Refuses the first, second, ... request for working memory of a draw of a fresh texture
  // until the draw goes through: every refused draw must fail with E_OUTOFMEMORY and leave the
  // target black, and the draw that goes through must show the texture. Returns the number of
  // refused draws.
  int RefuseInTurn(Kind kind, D3DFORMAT format) {
    const std::string scene = "kind " + std::to_string(int(kind)) + " format " +
                              std::to_string(int(format));
    for (int k = 1; k <= 16; ++k) {
      ClearTo(0xFF000000);
      IDirect3DBaseTexture9* texture = MakeRed(kind, format);
      if (texture == nullptr) return -1;
      EXPECT_EQ(S_OK, device->SetTexture(0, texture));
      setup->RefuseDrawMemory(setup->DrawMemoryRequests() + unsigned(k));
      const HRESULT drawn = DrawTextured();
      EXPECT_EQ(S_OK, device->SetTexture(0, nullptr));
      texture->Release();
      setup->ClearFaults();
      if (drawn == S_OK) {
        EXPECT_EQ(0xFF0000u, PixelAt(32, 32)) << scene;
        return k - 1;
      }
      EXPECT_EQ(E_OUTOFMEMORY, drawn) << scene << " refusing request " << k;
      EXPECT_EQ(0u, PixelAt(32, 32)) << scene << " refusing request " << k;
    }
    ADD_FAILURE() << scene << ": never drawn";
    return -1;
  }
};

// A8R8G8B8 levels are read in place; R5G6B5 ones need a decoded copy, one per level and face,
// which can be refused like the vertices.
TEST_F(DrawMemoryTest, RefusedDecodedCopiesFailTheDrawInsteadOfDrawingUntextured) {
  const int flatInPlace = RefuseInTurn(Kind::Flat, D3DFMT_A8R8G8B8);
  EXPECT_GE(flatInPlace, 1);
  EXPECT_EQ(flatInPlace + 1, RefuseInTurn(Kind::Flat, D3DFMT_R5G6B5));
  const int cubeInPlace = RefuseInTurn(Kind::Cube, D3DFMT_A8R8G8B8);
  EXPECT_GE(cubeInPlace, 1);
  EXPECT_EQ(cubeInPlace + 6, RefuseInTurn(Kind::Cube, D3DFMT_R5G6B5));
  const int volumeInPlace = RefuseInTurn(Kind::Volume, D3DFMT_A8R8G8B8);
  EXPECT_GE(volumeInPlace, 1);
  EXPECT_EQ(volumeInPlace + 1, RefuseInTurn(Kind::Volume, D3DFMT_R5G6B5));
}

// After a refusal the copy is made by the next draw, and a changed texture is decoded anew
// into it.
TEST_F(DrawMemoryTest, ARefusedCopyIsMadeByTheNextDrawAndFollowsChanges) {
  const auto texture =
      win32::ComRef<IDirect3DBaseTexture9>::Adopt(MakeRed(Kind::Flat, D3DFMT_R5G6B5));
  ASSERT_NE(nullptr, texture.Get());
  ASSERT_EQ(S_OK, device->SetTexture(0, texture.Get()));
  ClearTo(0xFF000000);
  setup->RefuseDrawMemory(setup->DrawMemoryRequests() + 1);
  EXPECT_EQ(E_OUTOFMEMORY, DrawTextured());
  EXPECT_EQ(0u, PixelAt(32, 32));
  EXPECT_EQ(S_OK, DrawTextured());
  EXPECT_EQ(0xFF0000u, PixelAt(32, 32));
  auto* flat = static_cast<IDirect3DTexture9*>(texture.Get());
  D3DLOCKED_RECT locked;
  ASSERT_EQ(S_OK, flat->LockRect(0, &locked, nullptr, 0));
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const std::uint16_t blue = 0x001F;
      std::memcpy(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch + 2 * x, &blue, 2);
    }
  }
  ASSERT_EQ(S_OK, flat->UnlockRect(0));
  EXPECT_EQ(S_OK, DrawTextured());
  EXPECT_EQ(0x0000FFu, PixelAt(32, 32));
  device->SetTexture(0, nullptr);
}

// A blit walks the runs of its texture's transparent, opaque and other texels; refused the
// memory for them, it is drawn as two triangles, to the same picture.
TEST_F(DrawMemoryTest, ABlitWithoutMemoryForItsRunsDrawsTheSamePicture) {
  std::vector<std::uint32_t> texels(48 * 48);
  for (std::uint32_t i = 0; i < texels.size(); ++i) {
    const std::uint32_t alpha = i % 7 < 2 ? 0x00 : i % 7 < 5 ? 0xFF : 0x80;
    texels[i] = alpha << 24 | (0x10203u * (i % 11));
  }
  const auto texture = MakeTexture(48, 48, texels);
  ASSERT_EQ(S_OK, device->SetTexture(0, texture.Get()));
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  const auto draw = [&] {
    ClearTo(0xFF203040);
    ASSERT_EQ(S_OK, device->BeginScene());
    // One texel per pixel.
    DrawQuad(7.5f, 7.5f, 55.5f, 55.5f, 0xFFFFFFFF);
    ASSERT_EQ(S_OK, device->EndScene());
  };
  draw();
  const std::vector<std::uint32_t> whole = ReadBack();
  // The vertices are asked for first; new texels make the runs be built again.
  for (unsigned k = 2; k <= 4; ++k) {
    FillLevel(texture.Get(), 0, texels);
    const unsigned before = setup->DrawMemoryRequests();
    setup->RefuseDrawMemory(before + k);
    draw();
    EXPECT_GE(setup->DrawMemoryRequests(), before + k) << "refusing request " << k;
    EXPECT_EQ(whole, ReadBack()) << "refusing request " << k;
  }
  device->SetTexture(0, nullptr);
}

// A depth clear asks for room to note the lowest depth of each row; refused it, the clear
// still clears, and the draws after it, which then test every pixel, give the same picture
// and depths.
TEST_F(DrawMemoryTest, ARefusedNoteOfRowDepthsStillClearsAndDrawsTheSame) {
  const auto scene = [&](bool refuse, std::vector<std::uint32_t>* colours,
                         std::vector<std::uint32_t>* depths) {
    win32::ComRef<IDirect3DSurface9> depth;
    ASSERT_EQ(S_OK, device->CreateDepthStencilSurface(width, height, D3DFMT_D16_LOCKABLE,
                                                      D3DMULTISAMPLE_NONE, 0, FALSE,
                                                      depth.Receive(), nullptr));
    ASSERT_EQ(S_OK, device->SetDepthStencilSurface(depth.Get()));
    device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    ClearTo(0xFF000000);
    const unsigned before = setup->DrawMemoryRequests();
    if (refuse) setup->RefuseDrawMemory(before + 1);
    EXPECT_EQ(S_OK, device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 0.5f, 0));
    EXPECT_EQ(before + 1, setup->DrawMemoryRequests());
    setup->ClearFaults();
    // Behind the cleared depth, then in front of it, then behind the one in front.
    const struct {
      float left, z;
      D3DCOLOR colour;
    } quads[] = {{4, 0.75f, 0xFFFF0000}, {12, 0.25f, 0xFF00FF00}, {20, 0.375f, 0xFF0000FF}};
    device->SetFVF(screenVertexFvf);
    ASSERT_EQ(S_OK, device->BeginScene());
    for (const auto& q : quads) {
      const float right = q.left + 24;
      const ScreenVertex v[4] = {{q.left, 8, q.z, 1, q.colour, 0, 0},
                                 {right, 8, q.z, 1, q.colour, 0, 0},
                                 {right, 40, q.z, 1, q.colour, 0, 0},
                                 {q.left, 40, q.z, 1, q.colour, 0, 0}};
      ASSERT_EQ(S_OK, device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, v, sizeof(ScreenVertex)));
    }
    ASSERT_EQ(S_OK, device->EndScene());
    *colours = ReadBack();
    *depths = ReadDepthCells(depth.Get());
    ASSERT_EQ(S_OK, device->SetDepthStencilSurface(nullptr));
  };
  std::vector<std::uint32_t> colours[2];
  std::vector<std::uint32_t> depths[2];
  scene(false, &colours[0], &depths[0]);
  scene(true, &colours[1], &depths[1]);
  EXPECT_EQ(colours[0], colours[1]);
  EXPECT_EQ(depths[0], depths[1]);
  EXPECT_EQ(0u, colours[1][std::size_t(20) * width + 6]);
  EXPECT_EQ(0x00FF00u, colours[1][std::size_t(20) * width + 30]);
  EXPECT_EQ(0x0000FFu, colours[1][std::size_t(20) * width + 40]);
  EXPECT_EQ(0x8000u, depths[1][std::size_t(20) * width + 6]);
}

// A draw through more than stage 0 checks its vertices before it asks for memory for the
// stages: one that reads past its vertex buffer is invalid whatever memory there is.
TEST_F(DrawMemoryTest, AStagedDrawPastItsVerticesIsInvalidBeforeAnythingIsAsked) {
  device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_ADD);
  device->SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_CURRENT);
  device->SetTextureStageState(1, D3DTSS_COLORARG2, D3DTA_TFACTOR);
  win32::ComRef<IDirect3DVertexBuffer9> buffer;
  ASSERT_EQ(S_OK, device->CreateVertexBuffer(3 * sizeof(ScreenVertex), 0, screenVertexFvf,
                                             D3DPOOL_MANAGED, buffer.Receive(), nullptr));
  ASSERT_EQ(S_OK, device->SetStreamSource(0, buffer.Get(), 0, sizeof(ScreenVertex)));
  ASSERT_EQ(S_OK, device->SetFVF(screenVertexFvf));
  ASSERT_EQ(S_OK, device->BeginScene());
  const unsigned before = setup->DrawMemoryRequests();
  setup->RefuseDrawMemory(before + 1);
  EXPECT_EQ(D3DERR_INVALIDCALL, device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2));
  EXPECT_EQ(before, setup->DrawMemoryRequests());
  // The same draw within the buffer asks, and is refused.
  EXPECT_EQ(E_OUTOFMEMORY, device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1));
  setup->ClearFaults();
  EXPECT_EQ(S_OK, device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1));
  ASSERT_EQ(S_OK, device->EndScene());
  device->SetStreamSource(0, nullptr, 0, 0);
}

// Decoded copies keep to their budget: the least recently drawn go, and a texture whose copy
// went draws again the same.
TEST_F(DrawMemoryTest, DecodedCopiesKeepToTheirBudgetAndDrawAgainTheSame) {
  constexpr int edge = 16;
  std::vector<win32::ComRef<IDirect3DTexture9>> textures(6);
  for (std::size_t i = 0; i < textures.size(); ++i) {
    ASSERT_EQ(S_OK, device->CreateTexture(edge, edge, 1, 0, D3DFMT_R5G6B5, D3DPOOL_MANAGED,
                                          textures[i].Receive(), nullptr));
    D3DLOCKED_RECT locked;
    ASSERT_EQ(S_OK, textures[i]->LockRect(0, &locked, nullptr, 0));
    for (int y = 0; y < edge; ++y) {
      auto* row = reinterpret_cast<WORD*>(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch);
      for (int x = 0; x < edge; ++x) row[x] = WORD(0x1234 * (i + 1) + x * 33 + y * 7);
    }
    textures[i]->UnlockRect(0);
  }
  const std::size_t budget = 2 * edge * edge * 4;  // two decoded copies
  d3d9::SetDerivedTexelBudget(budget);
  const std::uint64_t evictedBefore = d3d9::DerivedTexelUsage().evictions;
  std::vector<std::vector<std::uint32_t>> first;
  for (int pass = 0; pass < 2; ++pass) {
    for (std::size_t i = 0; i < textures.size(); ++i) {
      ClearTo(0);
      ASSERT_EQ(S_OK, device->BeginScene());
      ASSERT_EQ(S_OK, device->SetTexture(0, textures[i].Get()));
      DrawQuad(0, 0, edge, edge, 0xFFFFFFFF);
      ASSERT_EQ(S_OK, device->EndScene());
      ASSERT_LE(d3d9::DerivedTexelUsage().bytes, budget) << i;
      if (pass == 0) {
        first.push_back(ReadBack());
      } else {
        EXPECT_EQ(first[i], ReadBack()) << i;
      }
    }
  }
  EXPECT_GE(d3d9::DerivedTexelUsage().evictions - evictedBefore, 8u);
  device->SetTexture(0, nullptr);
  d3d9::SetDerivedTexelBudget(d3d9::defaultDerivedTexelBudget);
}

}  // namespace
}  // namespace d3d9_test
