#include "tests/toolkit/sprite/sprite_fixture.h"

#include <cstring>

namespace sprite_test {

std::int64_t Address(IDirect3DTexture9* texture) {
  return d3d9::Arg(static_cast<IDirect3DBaseTexture9*>(texture));
}

D3DXMATRIX Translation(float x, float y, float z) {
  return D3DXMATRIX(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, x, y, z, 1);
}

D3DXMATRIX Scaling(float x, float y, float z) {
  return D3DXMATRIX(x, 0, 0, 0, 0, y, 0, 0, 0, 0, z, 0, 0, 0, 0, 1);
}

void ExpectSameRenderStates(const DeviceStates& expected, const DeviceStates& actual) {
  EXPECT_EQ(expected.renderStates, actual.renderStates);
  EXPECT_EQ(expected.stageStates, actual.stageStates);
  EXPECT_EQ(expected.samplerStates, actual.samplerStates);
  EXPECT_EQ(expected.transforms, actual.transforms);
}

void ExpectSameStates(const DeviceStates& expected, const DeviceStates& actual) {
  ExpectSameRenderStates(expected, actual);
  EXPECT_EQ(expected.texture, actual.texture);
  EXPECT_EQ(expected.stream, actual.stream);
  EXPECT_EQ(expected.streamOffset, actual.streamOffset);
  EXPECT_EQ(expected.streamStride, actual.streamStride);
  EXPECT_EQ(expected.indices, actual.indices);
  EXPECT_EQ(expected.declaration, actual.declaration);
  EXPECT_EQ(expected.fvf, actual.fvf);
}

void SpriteTest::SetUp() {
  DeviceTest::SetUp();
  ASSERT_EQ(S_OK, D3DXCreateSprite(device, &sprite));
  ASSERT_EQ(S_OK, device->BeginScene());
}

void SpriteTest::TearDown() {
  if (device != nullptr) device->EndScene();
  if (sprite != nullptr) {
    EXPECT_EQ(0u, sprite->Release());
  }
  for (IDirect3DTexture9* texture : textures) texture->Release();
  if (callerIndices != nullptr) callerIndices->Release();
  if (callerVertices != nullptr) callerVertices->Release();
  DeviceTest::TearDown();
}

IDirect3DTexture9* SpriteTest::Texture(UINT w, UINT h, D3DCOLOR colour) {
  return Texture(w, h, std::vector<std::uint32_t>(std::size_t(w) * h, colour));
}

IDirect3DTexture9* SpriteTest::Texture(UINT w, UINT h, const std::vector<std::uint32_t>& texels) {
  IDirect3DTexture9* texture = MakeTexture(w, h, texels).Detach();
  if (texture != nullptr) textures.push_back(texture);
  return texture;
}

HRESULT SpriteTest::DrawAt(IDirect3DTexture9* texture, float x, float y, float z) {
  const D3DXVECTOR3 position(x, y, z);
  return sprite->Draw(texture, nullptr, nullptr, &position, 0xFFFFFFFF);
}

void SpriteTest::DrawBatch(DWORD flags, IDirect3DTexture9* texture, UINT count) {
  ASSERT_EQ(S_OK, sprite->Begin(flags));
  for (UINT i = 0; i < count; ++i) ASSERT_EQ(S_OK, DrawAt(texture, 0.0f, 0.0f));
  ASSERT_EQ(S_OK, sprite->End());
}

std::vector<DrawCall> SpriteTest::Runs() const {
  std::vector<DrawCall> runs;
  std::int64_t bound = 0;
  DWORD lockFlags = 0;
  for (const d3d9::CallRecord& call : setup->Log()) {
    if (call.operation == "SetTexture" && call.arguments[0] == 0) bound = call.arguments[1];
    if (call.operation == "IDirect3DVertexBuffer9::Lock") lockFlags = DWORD(call.arguments[3]);
    if (call.operation == "DrawIndexedPrimitive") {
      EXPECT_EQ(D3DPT_TRIANGLELIST, call.arguments[0]);
      EXPECT_EQ(0, call.arguments[1]);
      runs.push_back({bound, UINT(call.arguments[2]), UINT(call.arguments[3]),
                      UINT(call.arguments[4]), UINT(call.arguments[5]), lockFlags});
    }
  }
  return runs;
}

std::vector<std::int64_t> SpriteTest::BoundTextures() const {
  std::vector<std::int64_t> bound;
  for (const DrawCall& run : Runs()) bound.push_back(run.texture);
  return bound;
}

std::vector<SpriteVertex> SpriteTest::RingVertices(UINT first, UINT count) {
  // The ring is the buffer that Flush binds to stream 0 with the sprite's stride.
  IDirect3DVertexBuffer9* ring = nullptr;
  for (const d3d9::CallRecord& call : setup->Log()) {
    if (call.operation == "SetStreamSource" && call.arguments[0] == 0 && call.arguments[1] != 0 &&
        call.arguments[3] == sizeof(SpriteVertex)) {
      ring = reinterpret_cast<IDirect3DVertexBuffer9*>(std::intptr_t(call.arguments[1]));
    }
  }
  std::vector<SpriteVertex> vertices(count);
  if (ring == nullptr) {
    ADD_FAILURE() << "no ring was bound";
    return vertices;
  }
  void* data = nullptr;
  EXPECT_EQ(S_OK, ring->Lock(0, 0, &data, D3DLOCK_READONLY));
  std::memcpy(vertices.data(), static_cast<SpriteVertex*>(data) + first,
              count * sizeof(SpriteVertex));
  ring->Unlock();
  return vertices;
}

std::vector<SpriteVertex> SpriteTest::DrawnVertices() {
  std::vector<SpriteVertex> drawn;
  for (const DrawCall& run : Runs()) {
    const std::vector<SpriteVertex> vertices = RingVertices(run.startVertex, run.vertexCount);
    drawn.insert(drawn.end(), vertices.begin(), vertices.end());
  }
  return drawn;
}

DeviceStates SpriteTest::ReadStates() {
  DeviceStates states;
  for (DWORD s = 0; s < 256; ++s) {
    DWORD value = 0;
    device->GetRenderState(D3DRENDERSTATETYPE(s), &value);
    states.renderStates.push_back(value);
  }
  for (DWORD stage = 0; stage < 2; ++stage) {
    for (DWORD type = 1; type <= 32; ++type) {
      DWORD value = 0;
      device->GetTextureStageState(stage, D3DTEXTURESTAGESTATETYPE(type), &value);
      states.stageStates.push_back(value);
    }
  }
  for (DWORD type = 1; type <= 13; ++type) {
    DWORD value = 0;
    device->GetSamplerState(0, D3DSAMPLERSTATETYPE(type), &value);
    states.samplerStates.push_back(value);
  }
  for (D3DTRANSFORMSTATETYPE t : {D3DTS_WORLD, D3DTS_VIEW, D3DTS_PROJECTION}) {
    D3DMATRIX m;
    device->GetTransform(t, &m);
    states.transforms.insert(states.transforms.end(), &m.m[0][0], &m.m[0][0] + 16);
  }
  EXPECT_EQ(S_OK, device->GetTexture(0, &states.texture));
  EXPECT_EQ(S_OK, device->GetStreamSource(0, &states.stream, &states.streamOffset,
                                          &states.streamStride));
  EXPECT_EQ(S_OK, device->GetIndices(&states.indices));
  EXPECT_EQ(S_OK, device->GetVertexDeclaration(&states.declaration));
  EXPECT_EQ(S_OK, device->GetFVF(&states.fvf));
  if (states.texture != nullptr) states.texture->Release();
  if (states.stream != nullptr) states.stream->Release();
  if (states.indices != nullptr) states.indices->Release();
  if (states.declaration != nullptr) states.declaration->Release();
  return states;
}

// What the game leaves on the device before its sprite batch, and more: a vertex format,
// culling, lighting, blending of its own, a texture, buffers and transforms.
void SpriteTest::SetCallerStates() {
  ASSERT_EQ(S_OK, device->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE));
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
  device->SetRenderState(D3DRS_LIGHTING, TRUE);
  device->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
  device->SetRenderState(D3DRS_ALPHAREF, 0x20);
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
  device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ZERO);
  device->SetRenderState(D3DRS_FOGENABLE, TRUE);
  device->SetRenderState(D3DRS_COLORWRITEENABLE, 0x7);
  device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
  device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_MODULATE);
  device->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_WRAP);
  device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
  ASSERT_EQ(S_OK, device->SetTexture(0, Texture(4, 4)));
  ASSERT_EQ(S_OK, device->CreateIndexBuffer(64, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16,
                                            D3DPOOL_DEFAULT, &callerIndices, nullptr));
  ASSERT_EQ(S_OK, device->SetIndices(callerIndices));
  ASSERT_EQ(S_OK, device->CreateVertexBuffer(256, 0, 0, D3DPOOL_DEFAULT, &callerVertices,
                                             nullptr));
  ASSERT_EQ(S_OK, device->SetStreamSource(0, callerVertices, 16, 20));
  const D3DXMATRIX world = Translation(1, 2, 3);
  const D3DXMATRIX view = Scaling(2, 2, 2);
  const D3DXMATRIX projection = Translation(-1, 1, 0);
  device->SetTransform(D3DTS_WORLD, &world);
  device->SetTransform(D3DTS_VIEW, &view);
  device->SetTransform(D3DTS_PROJECTION, &projection);
}

}  // namespace sprite_test
