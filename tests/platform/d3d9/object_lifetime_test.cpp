// Reference counts, interface identifiers, and what the device holds.
#include "platform/win32/com_object.h"
#include "tests/platform/d3d9/device_fixture.h"

namespace d3d9_test {
namespace {

using ObjectLifetimeTest = DeviceTest;

ULONG CountOf(IUnknown* object) {
  object->AddRef();
  return object->Release();
}

TEST_F(ObjectLifetimeTest, QueryInterfaceAnswersThePublishedIdentifiersOfTheChain) {
  win32::ComRef<IDirect3DTexture9> texture;
  ASSERT_EQ(S_OK, device->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                        texture.Receive(), nullptr));
  for (const IID* iid : {&IID_IUnknown, &IID_IDirect3DResource9, &IID_IDirect3DBaseTexture9,
                         &IID_IDirect3DTexture9}) {
    void* out = nullptr;
    ASSERT_EQ(S_OK, texture->QueryInterface(*iid, &out));
    EXPECT_EQ(static_cast<void*>(texture.Get()), out);
    texture->Release();
  }
  void* out = reinterpret_cast<void*>(1);
  EXPECT_EQ(E_NOINTERFACE, texture->QueryInterface(IID_IDirect3DSurface9, &out));
  EXPECT_EQ(nullptr, out);
  EXPECT_EQ(0u, texture.Detach()->Release());

  void* self = nullptr;
  ASSERT_EQ(S_OK, device->QueryInterface(IID_IDirect3DDevice9, &self));
  EXPECT_EQ(static_cast<void*>(device), self);
  device->Release();
}

TEST_F(ObjectLifetimeTest, LevelsShareTheCountOfTheirTexture) {
  win32::ComRef<IDirect3DTexture9> texture;
  ASSERT_EQ(S_OK, device->CreateTexture(8, 8, 2, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                        texture.Receive(), nullptr));
  win32::ComRef<IDirect3DSurface9> level;
  ASSERT_EQ(S_OK, texture->GetSurfaceLevel(1, level.Receive()));
  EXPECT_EQ(2u, CountOf(texture.Get()));
  win32::ComRef<IDirect3DTexture9> container;
  ASSERT_EQ(S_OK, level->GetContainer(IID_IDirect3DTexture9,
                                      reinterpret_cast<void**>(container.Receive())));
  EXPECT_EQ(texture.Get(), container.Get());
  container.Reset();
  EXPECT_EQ(1u, texture.Detach()->Release());
  // The level keeps the texture alive, and its description stays readable.
  D3DSURFACE_DESC desc;
  ASSERT_EQ(S_OK, level->GetDesc(&desc));
  EXPECT_EQ(4u, desc.Width);
  EXPECT_EQ(0u, level.Detach()->Release());
}

TEST_F(ObjectLifetimeTest, TheDeviceHoldsReferencesToWhatIsBound) {
  win32::ComRef<IDirect3DTexture9> texture;
  win32::ComRef<IDirect3DVertexBuffer9> vertices;
  win32::ComRef<IDirect3DIndexBuffer9> indices;
  ASSERT_EQ(S_OK, device->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                        texture.Receive(), nullptr));
  ASSERT_EQ(S_OK,
            device->CreateVertexBuffer(64, 0, 0, D3DPOOL_MANAGED, vertices.Receive(), nullptr));
  ASSERT_EQ(S_OK, device->CreateIndexBuffer(64, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED,
                                            indices.Receive(), nullptr));
  ASSERT_EQ(S_OK, device->SetTexture(0, texture.Get()));
  ASSERT_EQ(S_OK, device->SetStreamSource(0, vertices.Get(), 0, 16));
  ASSERT_EQ(S_OK, device->SetIndices(indices.Get()));
  EXPECT_EQ(2u, CountOf(texture.Get()));
  EXPECT_EQ(2u, CountOf(vertices.Get()));
  EXPECT_EQ(2u, CountOf(indices.Get()));
  win32::ComRef<IDirect3DIndexBuffer9> bound;
  ASSERT_EQ(S_OK, device->GetIndices(bound.Receive()));
  EXPECT_EQ(indices.Get(), bound.Get());
  bound.Reset();
  ASSERT_EQ(S_OK, device->SetTexture(0, nullptr));
  EXPECT_EQ(1u, CountOf(texture.Get()));
  ASSERT_EQ(S_OK, device->SetTexture(0, texture.Get()));
  // The last release of the device lets go of everything bound to it.
  EXPECT_EQ(0u, device->Release());
  device = nullptr;
  EXPECT_EQ(0u, texture.Detach()->Release());
  EXPECT_EQ(0u, vertices.Detach()->Release());
  EXPECT_EQ(0u, indices.Detach()->Release());
}

TEST_F(ObjectLifetimeTest, ResourcesKeepTheirDeviceUsableAfterItsLastRelease) {
  win32::ComRef<IDirect3DTexture9> texture;
  ASSERT_EQ(S_OK, device->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                        texture.Receive(), nullptr));
  EXPECT_EQ(0u, device->Release());
  device = nullptr;
  win32::ComRef<IDirect3DDevice9> owner;
  ASSERT_EQ(S_OK, texture->GetDevice(owner.Receive()));
  EXPECT_EQ(1u, CountOf(owner.Get()));
  EXPECT_EQ(0u, owner.Detach()->Release());
  D3DLOCKED_RECT locked;
  EXPECT_EQ(S_OK, texture->LockRect(0, &locked, nullptr, 0));
  EXPECT_EQ(S_OK, texture->UnlockRect(0));
  EXPECT_EQ(0u, texture.Detach()->Release());
}

TEST_F(ObjectLifetimeTest, GetDirect3DAndGetDeviceAddReferences) {
  win32::ComRef<IDirect3D9> direct3d;
  ASSERT_EQ(S_OK, device->GetDirect3D(direct3d.Receive()));
  const ULONG held = CountOf(direct3d.Get());
  EXPECT_EQ(2u, held);  // the device's and ours
  direct3d.Reset();
  win32::ComRef<IDirect3DSurface9> target;
  ASSERT_EQ(S_OK, device->GetRenderTarget(0, target.Receive()));
  win32::ComRef<IDirect3DDevice9> owner;
  ASSERT_EQ(S_OK, target->GetDevice(owner.Receive()));
  EXPECT_EQ(device, owner.Get());
  EXPECT_EQ(2u, CountOf(device));
}

TEST_F(ObjectLifetimeTest, StateBlocksHoldWhatTheyRecorded) {
  win32::ComRef<IDirect3DTexture9> texture;
  ASSERT_EQ(S_OK, device->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                        texture.Receive(), nullptr));
  ASSERT_EQ(S_OK, device->BeginStateBlock());
  ASSERT_EQ(S_OK, device->SetTexture(0, texture.Get()));
  win32::ComRef<IDirect3DStateBlock9> block;
  ASSERT_EQ(S_OK, device->EndStateBlock(block.Receive()));
  EXPECT_EQ(2u, CountOf(texture.Get()));
  EXPECT_EQ(0u, block.Detach()->Release());
  EXPECT_EQ(1u, CountOf(texture.Get()));
}

TEST_F(ObjectLifetimeTest, ForeignOrMismatchedObjectsAreRefused) {
  win32::ComRef<IDirect3DDevice9> other;
  ASSERT_EQ(S_OK, d3d9::CreateTestDevice(setup, 16, 16, other.Receive()));
  win32::ComRef<IDirect3DTexture9> texture;
  ASSERT_EQ(S_OK, other->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                       texture.Receive(), nullptr));
  EXPECT_EQ(D3DERR_INVALIDCALL, device->SetTexture(0, texture.Get()));
}

}  // namespace
}  // namespace d3d9_test
