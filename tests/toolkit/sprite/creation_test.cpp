// D3DXCreateSprite, the object's references, QueryInterface and GetDevice.
#include "tests/toolkit/sprite/sprite_fixture.h"
#include "toolkit/common/allocation.h"

namespace sprite_test {
namespace {

ULONG CountOf(IUnknown* object) {
  object->AddRef();
  return object->Release();
}

using SpriteCreation = SpriteTest;

TEST_F(SpriteCreation, RefusesNullArguments) {
  ID3DXSprite* out = sprite;
  EXPECT_EQ(D3DERR_INVALIDCALL, D3DXCreateSprite(nullptr, &out));
  EXPECT_EQ(sprite, out);
  EXPECT_EQ(D3DERR_INVALIDCALL, D3DXCreateSprite(device, nullptr));
}

TEST_F(SpriteCreation, HoldsTheDeviceAndItsDirect3DUntilReleased) {
  win32::ComRef<IDirect3D9> direct3d;
  ASSERT_EQ(S_OK, device->GetDirect3D(direct3d.Receive()));
  const ULONG deviceCount = CountOf(device);
  const ULONG direct3dCount = CountOf(direct3d.Get());
  win32::ComRef<ID3DXSprite> second;
  ASSERT_EQ(S_OK, D3DXCreateSprite(device, second.Receive()));
  EXPECT_EQ(deviceCount + 1, CountOf(device));
  EXPECT_EQ(direct3dCount + 1, CountOf(direct3d.Get()));
  EXPECT_EQ(0u, second.Detach()->Release());
  EXPECT_EQ(deviceCount, CountOf(device));
  EXPECT_EQ(direct3dCount, CountOf(direct3d.Get()));
}

TEST_F(SpriteCreation, DeviceFailuresAreReturnedAndLeaveNothingHeld) {
  IDirect3D9* direct3d = nullptr;
  ASSERT_EQ(S_OK, device->GetDirect3D(&direct3d));
  const ULONG deviceCount = CountOf(device);
  const ULONG direct3dCount = CountOf(direct3d);
  for (const char* operation : {"GetDirect3D", "CreateVertexDeclaration"}) {
    SCOPED_TRACE(operation);
    setup->FailCall(operation, setup->CallCount(operation) + 1, D3DERR_OUTOFVIDEOMEMORY);
    ID3DXSprite* out = sprite;
    EXPECT_EQ(D3DERR_OUTOFVIDEOMEMORY, D3DXCreateSprite(device, &out));
    EXPECT_EQ(sprite, out);
    EXPECT_EQ(deviceCount, CountOf(device));
    EXPECT_EQ(direct3dCount, CountOf(direct3d));
  }
  direct3d->Release();
}

TEST_F(SpriteCreation, RefusedAllocationsGiveOutOfMemory) {
  const ULONG deviceCount = CountOf(device);
  // The object itself, then its matrix block.
  for (int allowed : {0, 1}) {
    SCOPED_TRACE(allowed);
    testing_hooks::FailAllocationAfter(allowed);
    ID3DXSprite* out = sprite;
    EXPECT_EQ(E_OUTOFMEMORY, D3DXCreateSprite(device, &out));
    testing_hooks::FailAllocationAfter(-1);
    EXPECT_EQ(sprite, out);
    EXPECT_EQ(deviceCount, CountOf(device));
  }
}

TEST_F(SpriteCreation, CapabilitiesChooseFiltersAndAlphaTest) {
  setup->profile.caps.TextureFilterCaps = D3DPTFILTERCAPS_MAGFANISOTROPIC |
                                          D3DPTFILTERCAPS_MINFANISOTROPIC;
  setup->profile.caps.MaxAnisotropy = 8;
  setup->profile.caps.AlphaCmpCaps = D3DPCMPCAPS_ALWAYS;
  win32::ComRef<ID3DXSprite> tuned;
  ASSERT_EQ(S_OK, D3DXCreateSprite(device, tuned.Receive()));
  ASSERT_EQ(S_OK, tuned->Begin(D3DXSPRITE_ALPHABLEND));
  DWORD value = 0;
  device->GetSamplerState(0, D3DSAMP_MAGFILTER, &value);
  EXPECT_EQ(D3DTEXF_ANISOTROPIC, value);
  device->GetSamplerState(0, D3DSAMP_MINFILTER, &value);
  EXPECT_EQ(D3DTEXF_ANISOTROPIC, value);
  device->GetSamplerState(0, D3DSAMP_MIPFILTER, &value);
  EXPECT_EQ(D3DTEXF_POINT, value);
  device->GetSamplerState(0, D3DSAMP_MAXANISOTROPY, &value);
  EXPECT_EQ(8u, value);
  device->GetRenderState(D3DRS_ALPHATESTENABLE, &value);
  EXPECT_EQ(DWORD(FALSE), value);
  ASSERT_EQ(S_OK, tuned->End());
  EXPECT_EQ(0u, tuned.Detach()->Release());
}

TEST_F(SpriteCreation, StandardDeviceGetsLinearFilteringAndDefaultPoolBuffers) {
  ASSERT_EQ(S_OK, sprite->Begin(D3DXSPRITE_ALPHABLEND));
  DWORD value = 0;
  device->GetSamplerState(0, D3DSAMP_MAGFILTER, &value);
  EXPECT_EQ(D3DTEXF_LINEAR, value);
  device->GetSamplerState(0, D3DSAMP_MIPFILTER, &value);
  EXPECT_EQ(D3DTEXF_LINEAR, value);
  device->GetRenderState(D3DRS_ALPHATESTENABLE, &value);
  EXPECT_EQ(DWORD(TRUE), value);
  ASSERT_EQ(S_OK, sprite->End());
  const auto vertexBuffers = setup->CallsNamed("CreateVertexBuffer");
  ASSERT_EQ(1u, vertexBuffers.size());
  EXPECT_EQ((std::vector<std::int64_t>{0x60000, D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, 0,
                                       D3DPOOL_DEFAULT}),
            vertexBuffers[0].arguments);
  const auto indexBuffers = setup->CallsNamed("CreateIndexBuffer");
  ASSERT_EQ(1u, indexBuffers.size());
  EXPECT_EQ((std::vector<std::int64_t>{0xC000, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16,
                                       D3DPOOL_DEFAULT}),
            indexBuffers[0].arguments);
}

TEST_F(SpriteCreation, SoftwareVertexProcessingPutsBuffersInSystemMemory) {
  for (DWORD behaviour : {D3DCREATE_SOFTWARE_VERTEXPROCESSING, D3DCREATE_MIXED_VERTEXPROCESSING}) {
    SCOPED_TRACE(behaviour);
    auto direct3d = win32::ComRef<IDirect3D9>::Adopt(d3d9::CreateTestDirect3D(setup));
    D3DPRESENT_PARAMETERS parameters{};
    parameters.BackBufferWidth = 16;
    parameters.BackBufferHeight = 16;
    parameters.BackBufferFormat = D3DFMT_X8R8G8B8;
    parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
    parameters.Windowed = TRUE;
    win32::ComRef<IDirect3DDevice9> other;
    ASSERT_EQ(S_OK, direct3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, behaviour, &parameters,
                                           other.Receive()));
    direct3d.Reset();
    win32::ComRef<ID3DXSprite> software;
    ASSERT_EQ(S_OK, D3DXCreateSprite(other.Get(), software.Receive()));
    setup->ClearLog();
    ASSERT_EQ(S_OK, software->Begin(0));
    ASSERT_EQ(S_OK, software->End());
    ASSERT_EQ(1u, setup->CallsNamed("CreateVertexBuffer").size());
    EXPECT_EQ(D3DPOOL_SYSTEMMEM, setup->CallsNamed("CreateVertexBuffer")[0].arguments[3]);
    EXPECT_EQ(D3DPOOL_SYSTEMMEM, setup->CallsNamed("CreateIndexBuffer")[0].arguments[3]);
    EXPECT_EQ(0u, software.Detach()->Release());
    EXPECT_EQ(0u, other.Detach()->Release());
  }
}

TEST_F(SpriteCreation, QueryInterfaceAnswersItsTwoIdentifiers) {
  for (const IID* id : {&IID_IUnknown, &IID_ID3DXSprite}) {
    void* out = nullptr;
    ASSERT_EQ(S_OK, sprite->QueryInterface(*id, &out));
    EXPECT_EQ(static_cast<void*>(sprite), out);
    EXPECT_EQ(2u, CountOf(sprite));
    sprite->Release();
  }
  void* out = &out;
  EXPECT_EQ(E_NOINTERFACE, sprite->QueryInterface(IID_IDirect3DDevice9, &out));
  EXPECT_EQ(static_cast<void*>(&out), out);
  EXPECT_EQ(D3DERR_INVALIDCALL, sprite->QueryInterface(IID_IUnknown, nullptr));
  EXPECT_EQ(1u, CountOf(sprite));
}

TEST_F(SpriteCreation, GetDeviceAddsADeviceReference) {
  EXPECT_EQ(D3DERR_INVALIDCALL, sprite->GetDevice(nullptr));
  const ULONG before = CountOf(device);
  IDirect3DDevice9* out = nullptr;
  ASSERT_EQ(S_OK, sprite->GetDevice(&out));
  EXPECT_EQ(device, out);
  EXPECT_EQ(before + 1, CountOf(device));
  out->Release();
}

// The saved general block holds the caller's texture 0 and the sprite the caller's index
// buffer; the last Release gives both back.
TEST_F(SpriteCreation, ReleaseGivesBackWhatTheObjectHolds) {
  IDirect3DTexture9* bound = Texture(4, 4);
  ASSERT_EQ(S_OK, device->SetTexture(0, bound));
  win32::ComRef<IDirect3DIndexBuffer9> indices;
  ASSERT_EQ(S_OK, device->CreateIndexBuffer(12, 0, D3DFMT_INDEX16, D3DPOOL_DEFAULT,
                                            indices.Receive(), nullptr));
  ASSERT_EQ(S_OK, device->SetIndices(indices.Get()));
  const ULONG textureCount = CountOf(bound);
  const ULONG indexCount = CountOf(indices.Get());
  DrawBatch(D3DXSPRITE_ALPHABLEND, Texture(2, 2), 3);
  EXPECT_GT(CountOf(bound), textureCount);
  EXPECT_GT(CountOf(indices.Get()), indexCount);
  EXPECT_EQ(0u, sprite->Release());
  sprite = nullptr;
  EXPECT_EQ(textureCount, CountOf(bound));
  EXPECT_EQ(indexCount, CountOf(indices.Get()));
}

}  // namespace
}  // namespace sprite_test
