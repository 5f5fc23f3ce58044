#include "tests/platform/d3d9/sprite_like.h"

#include <cstring>

namespace d3d9_test {

D3DMATRIX ScreenProjection(const D3DVIEWPORT9& viewport) {
  const float x = float(viewport.X), y = float(viewport.Y);
  const float w = float(viewport.Width), h = float(viewport.Height);
  D3DMATRIX m{};
  m._11 = 2.0f / w;
  m._22 = -2.0f / h;
  m._33 = 1.0f;
  m._44 = 1.0f;
  m._41 = -(2.0f * x + 1.0f) / w - 1.0f;
  m._42 = (2.0f * y + 1.0f) / h + 1.0f;
  return m;
}

SpriteLikeDrawer::SpriteLikeDrawer(IDirect3DDevice9* target) : device(target) {
  const D3DVERTEXELEMENT9 elements[] = {
      {0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
      {0, 12, D3DDECLTYPE_D3DCOLOR, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_COLOR, 0},
      {0, 16, D3DDECLTYPE_FLOAT2, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 0},
      D3DDECL_END};
  EXPECT_EQ(S_OK, device->CreateVertexDeclaration(elements, &declaration));
  EXPECT_EQ(S_OK, device->CreateVertexBuffer(4096 * sizeof(SpriteVertex),
                                             D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, 0,
                                             D3DPOOL_DEFAULT, &vertices, nullptr));
  EXPECT_EQ(S_OK, device->CreateIndexBuffer(6 * 1024 * 2, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16,
                                            D3DPOOL_DEFAULT, &indices, nullptr));
  void* data = nullptr;
  EXPECT_EQ(S_OK, indices->Lock(0, 0, &data, 0));
  auto* index = static_cast<WORD*>(data);
  for (WORD q = 0; q < 1024; ++q) {
    const WORD quad[6] = {WORD(4 * q), WORD(4 * q + 1), WORD(4 * q + 2),
                          WORD(4 * q + 2), WORD(4 * q + 1), WORD(4 * q + 3)};
    std::memcpy(index + 6 * q, quad, sizeof(quad));
  }
  indices->Unlock();
}

SpriteLikeDrawer::~SpriteLikeDrawer() {
  if (declaration != nullptr) declaration->Release();
  if (vertices != nullptr) vertices->Release();
  if (indices != nullptr) indices->Release();
}

void SpriteLikeDrawer::SetStates() {
  device->SetVertexDeclaration(declaration);
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  device->SetRenderState(D3DRS_LIGHTING, FALSE);
  device->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
  device->SetRenderState(D3DRS_ALPHAREF, 0);
  device->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATER);
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
  device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
  device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
  device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
  device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
  device->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
  device->SetSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP);
  device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
  device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
  device->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_LINEAR);
  const D3DMATRIX identity = {{{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}}};
  device->SetTransform(D3DTS_WORLD, &identity);
  device->SetTransform(D3DTS_VIEW, &identity);
  D3DVIEWPORT9 viewport;
  device->GetViewport(&viewport);
  const D3DMATRIX projection = ScreenProjection(viewport);
  device->SetTransform(D3DTS_PROJECTION, &projection);
}

void SpriteLikeDrawer::Draw(IDirect3DTexture9* texture, UINT texW, UINT texH, RECT source,
                            float x, float y, D3DCOLOR colour) {
  const float w = float(source.right - source.left), h = float(source.bottom - source.top);
  const float inverseW = 1.0f / float(texW), inverseH = 1.0f / float(texH);
  const float uL = float(source.left) * inverseW, uR = float(source.right) * inverseW;
  const float vT = float(source.top) * inverseH, vB = float(source.bottom) * inverseH;
  const SpriteVertex quad[4] = {{x, y, 0, colour, uL, vT},
                                {x, y + h, 0, colour, uL, vB},
                                {x + w, y, 0, colour, uR, vT},
                                {x + w, y + h, 0, colour, uR, vB}};
  if (nextVertex + 4 > 4096) nextVertex = 0;
  void* data = nullptr;
  ASSERT_EQ(S_OK, vertices->Lock(0, 0, &data, nextVertex > 0 ? D3DLOCK_NOOVERWRITE : D3DLOCK_DISCARD));
  std::memcpy(static_cast<SpriteVertex*>(data) + nextVertex, quad, sizeof(quad));
  vertices->Unlock();
  device->SetTexture(0, texture);
  device->SetIndices(indices);
  device->SetStreamSource(0, vertices, 0, sizeof(SpriteVertex));
  const UINT startIndex = nextVertex / 4 * 6;
  ASSERT_EQ(S_OK, device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, nextVertex, 4, startIndex, 2));
  nextVertex += 4;
}

}  // namespace d3d9_test
