// A sprite object on the 64 x 64 test device, with what its tests read back: the runs drawn
// (from the call log), the vertices in the ring, and a snapshot of the device states.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/win32/com_object.h"
#include "tests/platform/d3d9/device_fixture.h"
#include "toolkit/sprite/sprite_batcher.h"

namespace sprite_test {

// One DrawIndexedPrimitive of the sprite, with the texture bound and the lock before it.
struct DrawCall {
  std::int64_t texture;  // address, as logged
  UINT startVertex;
  UINT vertexCount;
  UINT startIndex;
  UINT primitiveCount;
  DWORD lockFlags;
};

// The states the sprite may change, read through the device's getters.
struct DeviceStates {
  std::vector<DWORD> renderStates;
  std::vector<DWORD> stageStates;    // stages 0 and 1
  std::vector<DWORD> samplerStates;  // sampler 0
  std::vector<float> transforms;     // world, view, projection
  IDirect3DBaseTexture9* texture = nullptr;
  IDirect3DVertexBuffer9* stream = nullptr;
  UINT streamOffset = 0;
  UINT streamStride = 0;
  IDirect3DIndexBuffer9* indices = nullptr;
  IDirect3DVertexDeclaration9* declaration = nullptr;
  DWORD fvf = 0;

  bool operator==(const DeviceStates&) const = default;
};

// Field by field, so that a failure names what differs.
void ExpectSameStates(const DeviceStates& expected, const DeviceStates& actual);
// The render, stage, sampler and transform states only.
void ExpectSameRenderStates(const DeviceStates& expected, const DeviceStates& actual);

std::int64_t Address(IDirect3DTexture9* texture);
D3DXMATRIX Translation(float x, float y, float z);
D3DXMATRIX Scaling(float x, float y, float z);

class SpriteTest : public d3d9_test::DeviceTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A managed texture of one colour, released by the fixture.
  IDirect3DTexture9* Texture(UINT w, UINT h, D3DCOLOR colour = 0xFFFFFFFF);
  // One with the given texels.
  IDirect3DTexture9* Texture(UINT w, UINT h, const std::vector<std::uint32_t>& texels);

  // Draws `texture` whole at (x, y, z).
  HRESULT DrawAt(IDirect3DTexture9* texture, float x, float y, float z = 0.0f);
  // Begin(flags), then `count` sprites of `texture` (whole) at (0, 0), then End.
  void DrawBatch(DWORD flags, IDirect3DTexture9* texture, UINT count);

  // The draws since the log was last cleared.
  std::vector<DrawCall> Runs() const;
  std::vector<std::int64_t> BoundTextures() const;
  // `count` vertices of the sprite's ring from `first`.
  std::vector<SpriteVertex> RingVertices(UINT first, UINT count);
  // The vertices of every run since the log was last cleared, in drawing order.
  std::vector<SpriteVertex> DrawnVertices();

  // Reads the states; the references it takes are released at once (the device keeps them).
  DeviceStates ReadStates();
  // Sets states that differ from both the defaults and the sprite's.
  void SetCallerStates();

  ID3DXSprite* sprite = nullptr;
  std::vector<IDirect3DTexture9*> textures;
  IDirect3DIndexBuffer9* callerIndices = nullptr;
  IDirect3DVertexBuffer9* callerVertices = nullptr;
};

}  // namespace sprite_test
