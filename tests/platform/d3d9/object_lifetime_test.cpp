// Reference counts, interface identifiers, and what the device holds.
#include "tests/platform/d3d9/device_fixture.h"

namespace d3d9_test {
namespace {

using ObjectLifetimeTest = DeviceTest;

ULONG CountOf(IUnknown* object) {
  object->AddRef();
  return object->Release();
}

TEST_F(ObjectLifetimeTest, QueryInterfaceAnswersThePublishedIdentifiersOfTheChain) {
  IDirect3DTexture9* texture = nullptr;
  ASSERT_EQ(S_OK, device->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture,
                                        nullptr));
  for (const IID* iid : {&IID_IUnknown, &IID_IDirect3DResource9, &IID_IDirect3DBaseTexture9,
                         &IID_IDirect3DTexture9}) {
    void* out = nullptr;
    ASSERT_EQ(S_OK, texture->QueryInterface(*iid, &out));
    EXPECT_EQ(static_cast<void*>(texture), out);
    texture->Release();
  }
  void* out = reinterpret_cast<void*>(1);
  EXPECT_EQ(E_NOINTERFACE, texture->QueryInterface(IID_IDirect3DSurface9, &out));
  EXPECT_EQ(nullptr, out);
  EXPECT_EQ(0u, texture->Release());

  void* self = nullptr;
  ASSERT_EQ(S_OK, device->QueryInterface(IID_IDirect3DDevice9, &self));
  EXPECT_EQ(static_cast<void*>(device), self);
  device->Release();
}

TEST_F(ObjectLifetimeTest, LevelsShareTheCountOfTheirTexture) {
  IDirect3DTexture9* texture = nullptr;
  ASSERT_EQ(S_OK, device->CreateTexture(8, 8, 2, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture,
                                        nullptr));
  IDirect3DSurface9* level = nullptr;
  ASSERT_EQ(S_OK, texture->GetSurfaceLevel(1, &level));
  EXPECT_EQ(2u, CountOf(texture));
  IDirect3DTexture9* container = nullptr;
  ASSERT_EQ(S_OK, level->GetContainer(IID_IDirect3DTexture9, reinterpret_cast<void**>(&container)));
  EXPECT_EQ(texture, container);
  container->Release();
  EXPECT_EQ(1u, texture->Release());
  // The level keeps the texture alive, and its description stays readable.
  D3DSURFACE_DESC desc;
  ASSERT_EQ(S_OK, level->GetDesc(&desc));
  EXPECT_EQ(4u, desc.Width);
  EXPECT_EQ(0u, level->Release());
}

TEST_F(ObjectLifetimeTest, TheDeviceHoldsReferencesToWhatIsBound) {
  IDirect3DTexture9* texture = nullptr;
  IDirect3DVertexBuffer9* vertices = nullptr;
  IDirect3DIndexBuffer9* indices = nullptr;
  ASSERT_EQ(S_OK, device->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture,
                                        nullptr));
  ASSERT_EQ(S_OK, device->CreateVertexBuffer(64, 0, 0, D3DPOOL_MANAGED, &vertices, nullptr));
  ASSERT_EQ(S_OK, device->CreateIndexBuffer(64, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, &indices,
                                            nullptr));
  ASSERT_EQ(S_OK, device->SetTexture(0, texture));
  ASSERT_EQ(S_OK, device->SetStreamSource(0, vertices, 0, 16));
  ASSERT_EQ(S_OK, device->SetIndices(indices));
  EXPECT_EQ(2u, CountOf(texture));
  EXPECT_EQ(2u, CountOf(vertices));
  EXPECT_EQ(2u, CountOf(indices));
  IDirect3DIndexBuffer9* bound = nullptr;
  ASSERT_EQ(S_OK, device->GetIndices(&bound));
  EXPECT_EQ(indices, bound);
  bound->Release();
  ASSERT_EQ(S_OK, device->SetTexture(0, nullptr));
  EXPECT_EQ(1u, CountOf(texture));
  ASSERT_EQ(S_OK, device->SetTexture(0, texture));
  // The last release of the device lets go of everything bound to it.
  EXPECT_EQ(0u, device->Release());
  device = nullptr;
  EXPECT_EQ(0u, texture->Release());
  EXPECT_EQ(0u, vertices->Release());
  EXPECT_EQ(0u, indices->Release());
}

TEST_F(ObjectLifetimeTest, ResourcesKeepTheirDeviceUsableAfterItsLastRelease) {
  IDirect3DTexture9* texture = nullptr;
  ASSERT_EQ(S_OK, device->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture,
                                        nullptr));
  EXPECT_EQ(0u, device->Release());
  device = nullptr;
  IDirect3DDevice9* owner = nullptr;
  ASSERT_EQ(S_OK, texture->GetDevice(&owner));
  EXPECT_EQ(1u, CountOf(owner));
  EXPECT_EQ(0u, owner->Release());
  D3DLOCKED_RECT locked;
  EXPECT_EQ(S_OK, texture->LockRect(0, &locked, nullptr, 0));
  EXPECT_EQ(S_OK, texture->UnlockRect(0));
  EXPECT_EQ(0u, texture->Release());
}

TEST_F(ObjectLifetimeTest, GetDirect3DAndGetDeviceAddReferences) {
  IDirect3D9* direct3d = nullptr;
  ASSERT_EQ(S_OK, device->GetDirect3D(&direct3d));
  const ULONG held = CountOf(direct3d);
  EXPECT_EQ(2u, held);  // the device's and ours
  direct3d->Release();
  IDirect3DSurface9* target = nullptr;
  ASSERT_EQ(S_OK, device->GetRenderTarget(0, &target));
  IDirect3DDevice9* owner = nullptr;
  ASSERT_EQ(S_OK, target->GetDevice(&owner));
  EXPECT_EQ(device, owner);
  EXPECT_EQ(2u, CountOf(device));
  owner->Release();
  target->Release();
}

TEST_F(ObjectLifetimeTest, StateBlocksHoldWhatTheyRecorded) {
  IDirect3DTexture9* texture = nullptr;
  ASSERT_EQ(S_OK, device->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture,
                                        nullptr));
  ASSERT_EQ(S_OK, device->BeginStateBlock());
  ASSERT_EQ(S_OK, device->SetTexture(0, texture));
  IDirect3DStateBlock9* block = nullptr;
  ASSERT_EQ(S_OK, device->EndStateBlock(&block));
  EXPECT_EQ(2u, CountOf(texture));
  EXPECT_EQ(0u, block->Release());
  EXPECT_EQ(1u, CountOf(texture));
  texture->Release();
}

TEST_F(ObjectLifetimeTest, ForeignOrMismatchedObjectsAreRefused) {
  IDirect3DDevice9* other = nullptr;
  ASSERT_EQ(S_OK, d3d9::CreateTestDevice(setup, 16, 16, &other));
  IDirect3DTexture9* texture = nullptr;
  ASSERT_EQ(S_OK, other->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture,
                                       nullptr));
  EXPECT_EQ(D3DERR_INVALIDCALL, device->SetTexture(0, texture));
  texture->Release();
  other->Release();
}

}  // namespace
}  // namespace d3d9_test
