// Vertex and index buffers: shapes, lock ranges and flags.
#include <cstring>
#include <vector>

#include "platform/win32/com_object.h"
#include "tests/platform/d3d9/device_fixture.h"

namespace d3d9_test {
namespace {

using BuffersTest = DeviceTest;

TEST_F(BuffersTest, ANoOverwriteLockLeavesEarlierContentsIntact) {
  win32::ComRef<IDirect3DVertexBuffer9> buffer;
  ASSERT_EQ(S_OK, device->CreateVertexBuffer(96, D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, 0,
                                             D3DPOOL_DEFAULT, buffer.Receive(), nullptr));
  void* data = nullptr;
  ASSERT_EQ(S_OK, buffer->Lock(0, 0, &data, D3DLOCK_DISCARD));
  std::memset(data, 0xAB, 48);
  ASSERT_EQ(S_OK, buffer->Unlock());
  ASSERT_EQ(S_OK, buffer->Lock(0, 0, &data, D3DLOCK_NOOVERWRITE));
  std::memset(static_cast<BYTE*>(data) + 48, 0xCD, 48);
  EXPECT_EQ(0xAB, static_cast<BYTE*>(data)[47]);
  ASSERT_EQ(S_OK, buffer->Unlock());
  ASSERT_EQ(S_OK, buffer->Lock(0, 0, &data, D3DLOCK_READONLY));
  EXPECT_EQ(0xAB, static_cast<BYTE*>(data)[0]);
  EXPECT_EQ(0xCD, static_cast<BYTE*>(data)[95]);
  ASSERT_EQ(S_OK, buffer->Unlock());
}

TEST_F(BuffersTest, LocksStayWithinTheBuffer) {
  win32::ComRef<IDirect3DIndexBuffer9> buffer;
  ASSERT_EQ(S_OK, device->CreateIndexBuffer(64, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED,
                                            buffer.Receive(), nullptr));
  void* whole = nullptr;
  void* part = nullptr;
  ASSERT_EQ(S_OK, buffer->Lock(0, 0, &whole, 0));
  // Locks nest; each is undone by one Unlock.
  ASSERT_EQ(S_OK, buffer->Lock(16, 8, &part, 0));
  EXPECT_EQ(static_cast<BYTE*>(whole) + 16, part);
  EXPECT_EQ(S_OK, buffer->Unlock());
  EXPECT_EQ(S_OK, buffer->Unlock());
  EXPECT_EQ(D3DERR_INVALIDCALL, buffer->Unlock());
  EXPECT_EQ(D3DERR_INVALIDCALL, buffer->Lock(60, 8, &part, 0));
  EXPECT_EQ(D3DERR_INVALIDCALL, buffer->Lock(65, 0, &part, 0));
  D3DINDEXBUFFER_DESC desc;
  ASSERT_EQ(S_OK, buffer->GetDesc(&desc));
  EXPECT_EQ(D3DFMT_INDEX16, desc.Format);
  EXPECT_EQ(64u, desc.Size);
  EXPECT_EQ(D3DPOOL_MANAGED, desc.Pool);
}

TEST_F(BuffersTest, BuffersAreRefusedForBadShapes) {
  IDirect3DVertexBuffer9* vertices = nullptr;
  IDirect3DIndexBuffer9* indices = nullptr;
  EXPECT_EQ(D3DERR_INVALIDCALL, device->CreateVertexBuffer(0, 0, 0, D3DPOOL_MANAGED, &vertices, nullptr));
  EXPECT_EQ(D3DERR_INVALIDCALL, device->CreateVertexBuffer(64, D3DUSAGE_DYNAMIC, 0,
                                                           D3DPOOL_MANAGED, &vertices, nullptr));
  EXPECT_EQ(D3DERR_INVALIDCALL, device->CreateIndexBuffer(64, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                                          &indices, nullptr));
}

TEST_F(BuffersTest, IndexedDrawsReadTheirVerticesAndRefuseIndicesBeyondThem) {
  win32::ComRef<IDirect3DVertexBuffer9> vertices;
  win32::ComRef<IDirect3DIndexBuffer9> indices;
  ASSERT_EQ(S_OK, device->CreateVertexBuffer(4 * sizeof(ScreenVertex), 0, 0, D3DPOOL_MANAGED,
                                             vertices.Receive(), nullptr));
  ASSERT_EQ(S_OK, device->CreateIndexBuffer(12, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED,
                                            indices.Receive(), nullptr));
  const ScreenVertex quad[4] = {{2, 2, 0, 1, 0xFFFF0000, 0, 0}, {10, 2, 0, 1, 0xFFFF0000, 0, 0},
                                {10, 10, 0, 1, 0xFFFF0000, 0, 0}, {2, 10, 0, 1, 0xFFFF0000, 0, 0}};
  const WORD order[6] = {0, 1, 2, 0, 2, 7};
  void* data = nullptr;
  vertices->Lock(0, 0, &data, 0);
  std::memcpy(data, quad, sizeof(quad));
  vertices->Unlock();
  indices->Lock(0, 0, &data, 0);
  std::memcpy(data, order, sizeof(order));
  indices->Unlock();
  device->SetFVF(screenVertexFvf);
  device->SetStreamSource(0, vertices.Get(), 0, sizeof(ScreenVertex));
  device->SetIndices(indices.Get());
  ClearTo(0xFF000000);
  ASSERT_EQ(S_OK, device->BeginScene());
  EXPECT_EQ(S_OK, device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 3, 0, 1));
  // The second triangle names vertex 7 of a four-vertex buffer.
  EXPECT_EQ(D3DERR_INVALIDCALL, device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 3, 1));
  // Two triangles from index 3 would read past the index buffer.
  EXPECT_EQ(D3DERR_INVALIDCALL, device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 3, 2));
  ASSERT_EQ(S_OK, device->EndScene());
  EXPECT_EQ(0xFF0000u, PixelAt(8, 3));
  EXPECT_EQ(0u, PixelAt(3, 8));
  device->SetStreamSource(0, nullptr, 0, 0);
  device->SetIndices(nullptr);
}

// Counts whose index total passes 32 bits must not wrap to a few indices that pass the range
// checks; the caps' limits on primitives and index values are enforced.
TEST_F(BuffersTest, DrawCountsAreCheckedInSixtyFourBitsAndAgainstTheCaps) {
  const ScreenVertex quad[4] = {{2, 2, 0, 1, 0xFFFF0000, 0, 0}, {10, 2, 0, 1, 0xFFFF0000, 0, 0},
                                {10, 10, 0, 1, 0xFFFF0000, 0, 0}, {2, 10, 0, 1, 0xFFFF0000, 0, 0}};
  const WORD order[6] = {0, 1, 2, 0, 2, 3};
  win32::ComRef<IDirect3DVertexBuffer9> vertices;
  ASSERT_EQ(S_OK, device->CreateVertexBuffer(sizeof(quad), 0, 0, D3DPOOL_MANAGED,
                                             vertices.Receive(), nullptr));
  void* data = nullptr;
  vertices->Lock(0, 0, &data, 0);
  std::memcpy(data, quad, sizeof(quad));
  vertices->Unlock();
  device->SetFVF(screenVertexFvf);
  ASSERT_EQ(S_OK, device->BeginScene());
  const UINT stride = sizeof(ScreenVertex);
  // 3 × 0x55555556 wraps to 2, 2 × 0x80000001 to 2, 0xFFFFFFFF + 2 to 1.
  EXPECT_EQ(D3DERR_INVALIDCALL, device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 0x55555556, quad, stride));
  EXPECT_EQ(D3DERR_INVALIDCALL, device->DrawPrimitiveUP(D3DPT_LINELIST, 0x80000001, quad, stride));
  EXPECT_EQ(D3DERR_INVALIDCALL, device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 0xFFFFFFFF, quad, stride));
  EXPECT_EQ(D3DERR_INVALIDCALL,
            device->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 4, 0x55555556, order,
                                           D3DFMT_INDEX16, quad, stride));
  device->SetStreamSource(0, vertices.Get(), 0, stride);
  EXPECT_EQ(D3DERR_INVALIDCALL, device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 0xFFFFFFFF));
  EXPECT_EQ(D3DERR_INVALIDCALL, device->DrawPrimitive(D3DPT_LINESTRIP, 0, 0xFFFFFFFF));

  setup->profile.caps.MaxPrimitiveCount = 1;
  EXPECT_EQ(D3DERR_INVALIDCALL, device->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 2));
  EXPECT_EQ(S_OK, device->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 1));
  EXPECT_EQ(D3DERR_INVALIDCALL, device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, quad, stride));
  setup->profile.caps.MaxPrimitiveCount = 0xFFFFF;
  setup->profile.caps.MaxVertexIndex = 2;
  EXPECT_EQ(D3DERR_INVALIDCALL, device->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 4, 2, order,
                                                               D3DFMT_INDEX16, quad, stride));
  EXPECT_EQ(S_OK, device->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 4, 1, order,
                                                 D3DFMT_INDEX16, quad, stride));
  ASSERT_EQ(S_OK, device->EndScene());
  device->SetStreamSource(0, nullptr, 0, 0);
}

// Indices far apart draw as the same indices close together: only the vertices named are
// processed, not the range between them.
TEST_F(BuffersTest, IndicesFarApartDrawLikeIndicesCloseTogether) {
  constexpr UINT far = 200000;
  std::vector<ScreenVertex> spread(far + 4, ScreenVertex{0, 0, 0, 1, 0, 0, 0});
  const ScreenVertex corners[4] = {{2, 2, 0, 1, 0xFFFF0000, 0, 0}, {30, 4, 0, 1, 0xFF00FF00, 0, 0},
                                   {28, 30, 0, 1, 0xFF0000FF, 0, 0}, {3, 25, 0, 1, 0xFFFFFFFF, 0, 0}};
  spread[0] = corners[0];
  spread[1] = corners[1];
  spread[far + 2] = corners[2];
  spread[far + 3] = corners[3];
  const DWORD farOrder[6] = {0, 1, far + 2, 0, far + 2, far + 3};
  const DWORD nearOrder[6] = {0, 1, 2, 0, 2, 3};
  device->SetFVF(screenVertexFvf);
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  ClearTo(0xFF000000);
  ASSERT_EQ(S_OK, device->BeginScene());
  ASSERT_EQ(S_OK, device->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 4, 2, nearOrder,
                                                 D3DFMT_INDEX32, corners, sizeof(ScreenVertex)));
  ASSERT_EQ(S_OK, device->EndScene());
  const std::vector<std::uint32_t> expected = ReadBack();
  ClearTo(0xFF000000);
  ASSERT_EQ(S_OK, device->BeginScene());
  ASSERT_EQ(S_OK, device->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, far + 4, 2, farOrder,
                                                 D3DFMT_INDEX32, spread.data(),
                                                 sizeof(ScreenVertex)));
  ASSERT_EQ(S_OK, device->EndScene());
  EXPECT_EQ(expected, ReadBack());
  EXPECT_NE(0u, expected[std::size_t(10) * width + 10]);
}

}  // namespace
}  // namespace d3d9_test
