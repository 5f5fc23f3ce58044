// The configurable test device: capabilities, formats, back-buffer format, injected faults
// and the call log.
#include "platform/win32/com_object.h"
#include "tests/platform/d3d9/sprite_like.h"

namespace d3d9_test {
namespace {

using d3d9::Arg;
using TestSetupTest = DeviceTest;

TEST_F(TestSetupTest, TheNthCallOfANamedOperationFailsWithTheGivenResult) {
  setup->FailCall("CreateTexture", 2, D3DERR_OUTOFVIDEOMEMORY);
  IDirect3DTexture9* first = nullptr;
  IDirect3DTexture9* second = reinterpret_cast<IDirect3DTexture9*>(1);
  IDirect3DTexture9* third = nullptr;
  EXPECT_EQ(S_OK, device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &first, nullptr));
  EXPECT_EQ(D3DERR_OUTOFVIDEOMEMORY,
            device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &second, nullptr));
  EXPECT_EQ(reinterpret_cast<IDirect3DTexture9*>(1), second);  // untouched
  EXPECT_EQ(S_OK, device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &third, nullptr));
  EXPECT_EQ(3u, setup->CallCount("CreateTexture"));
  first->Release();
  third->Release();
}

TEST_F(TestSetupTest, TheNthCallOfAnyOperationFailsUntilFaultsAreCleared) {
  const unsigned before = setup->TotalCallCount();
  setup->FailAnyCall(before + 2, E_FAIL);
  setup->FailAnyCall(before + 4, E_FAIL);
  D3DVIEWPORT9 viewport{};
  EXPECT_EQ(S_OK, device->GetViewport(&viewport));
  EXPECT_EQ(E_FAIL, device->SetRenderState(D3DRS_ZENABLE, FALSE));
  EXPECT_EQ(S_OK, device->GetViewport(&viewport));
  setup->ClearFaults();
  EXPECT_EQ(S_OK, device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0));
  EXPECT_EQ(before + 4, setup->TotalCallCount());
}

TEST_F(TestSetupTest, DeviceObjectsAliveAreCountedWhoeverHoldsThem) {
  const unsigned own = d3d9::LiveObjectCount(device);
  EXPECT_GE(own, 1u) << "the back buffer";
  auto texture = MakeTexture(4, 4, std::vector<std::uint32_t>(16, 0));
  win32::ComRef<IDirect3DSurface9> level;
  ASSERT_EQ(S_OK, texture->GetSurfaceLevel(0, level.Receive()));
  ASSERT_EQ(S_OK, device->SetTexture(0, texture.Get()));
  texture.Reset();
  EXPECT_GT(d3d9::LiveObjectCount(device), own) << "bound and its level held";
  device->SetTexture(0, nullptr);
  level.Reset();
  EXPECT_EQ(own, d3d9::LiveObjectCount(device));
  EXPECT_EQ(0u, d3d9::LiveObjectCount(nullptr));
}

TEST_F(TestSetupTest, FaultsReachObjectsOtherThanTheDevice) {
  IDirect3DVertexBuffer9* buffer = nullptr;
  ASSERT_EQ(S_OK, device->CreateVertexBuffer(64, D3DUSAGE_DYNAMIC, 0, D3DPOOL_DEFAULT, &buffer, nullptr));
  setup->FailCall("IDirect3DVertexBuffer9::Lock", 1, E_OUTOFMEMORY);
  void* data = nullptr;
  EXPECT_EQ(E_OUTOFMEMORY, buffer->Lock(0, 0, &data, 0));
  EXPECT_EQ(S_OK, buffer->Lock(0, 0, &data, 0));
  buffer->Unlock();
  buffer->Release();
}

TEST_F(TestSetupTest, TheLogRecordsTexturesDrawsLocksAndStateBlocksWithArguments) {
  const auto texture = MakeTexture(4, 4, std::vector<std::uint32_t>(16, 0xFFFFFFFF));
  SpriteLikeDrawer sprite(device);
  sprite.SetStates();
  setup->ClearLog();
  ASSERT_EQ(S_OK, device->BeginStateBlock());
  device->SetRenderState(D3DRS_ALPHAREF, 0);
  win32::ComRef<IDirect3DStateBlock9> block;
  ASSERT_EQ(S_OK, device->EndStateBlock(block.Receive()));
  block->Capture();
  ASSERT_EQ(S_OK, device->BeginScene());
  sprite.Draw(texture.Get(), 4, 4, {0, 0, 4, 4}, 0, 0);
  sprite.Draw(texture.Get(), 4, 4, {0, 0, 2, 2}, 8, 8);
  ASSERT_EQ(S_OK, device->EndScene());
  block->Apply();

  const auto textures = setup->CallsNamed("SetTexture");
  ASSERT_EQ(2u, textures.size());
  EXPECT_EQ((std::vector<std::int64_t>{0, Arg(texture.Get())}), textures[0].arguments);
  const auto draws = setup->CallsNamed("DrawIndexedPrimitive");
  ASSERT_EQ(2u, draws.size());
  EXPECT_EQ((std::vector<std::int64_t>{D3DPT_TRIANGLELIST, 0, 4, 4, 6, 2}), draws[1].arguments);
  const auto locks = setup->CallsNamed("IDirect3DVertexBuffer9::Lock");
  ASSERT_EQ(2u, locks.size());
  EXPECT_EQ(std::int64_t(D3DLOCK_DISCARD), locks[0].arguments[3]);
  EXPECT_EQ(std::int64_t(D3DLOCK_NOOVERWRITE), locks[1].arguments[3]);
  EXPECT_EQ(1u, setup->CallsNamed("BeginStateBlock").size());
  EXPECT_EQ(1u, setup->CallsNamed("EndStateBlock").size());
  ASSERT_EQ(1u, setup->CallsNamed("IDirect3DStateBlock9::Capture").size());
  EXPECT_EQ(Arg(block.Get()), setup->CallsNamed("IDirect3DStateBlock9::Apply")[0].arguments[0]);
}

TEST(TestSetupProfileTest, CapabilitiesFormatsAndBackBufferFormatCanBeSet) {
  auto setup = std::make_shared<d3d9::TestSetup>();
  setup->profile.caps.MaxTextureWidth = 256;
  setup->profile.caps.TextureCaps &= ~D3DPTEXTURECAPS_MIPMAP;
  setup->profile.textureFormats = {D3DFMT_X8R8G8B8, D3DFMT_R8G8B8};
  setup->profile.postPixelShaderBlending = false;
  setup->profile.backBufferFormat = D3DFMT_A8R8G8B8;
  win32::ComRef<IDirect3DDevice9> device;
  ASSERT_EQ(S_OK, d3d9::CreateTestDevice(setup, 32, 32, device.Receive()));
  D3DCAPS9 caps;
  ASSERT_EQ(S_OK, device->GetDeviceCaps(&caps));
  EXPECT_EQ(256u, caps.MaxTextureWidth);
  EXPECT_EQ(0u, caps.TextureCaps & D3DPTEXTURECAPS_MIPMAP);
  win32::ComRef<IDirect3D9> direct3d;
  ASSERT_EQ(S_OK, device->GetDirect3D(direct3d.Receive()));
  EXPECT_EQ(S_OK, direct3d->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, 0,
                                              D3DRTYPE_TEXTURE, D3DFMT_R8G8B8));
  EXPECT_EQ(D3DERR_NOTAVAILABLE, direct3d->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8,
                                                             0, D3DRTYPE_TEXTURE, D3DFMT_A8R8G8B8));
  EXPECT_EQ(D3DERR_NOTAVAILABLE,
            direct3d->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8,
                                        D3DUSAGE_RENDERTARGET | D3DUSAGE_QUERY_POSTPIXELSHADER_BLENDING,
                                        D3DRTYPE_SURFACE, D3DFMT_X8R8G8B8));
  win32::ComRef<IDirect3DTexture9> texture;
  EXPECT_EQ(D3DERR_INVALIDCALL, device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                                      texture.Receive(), nullptr));
  EXPECT_EQ(D3DERR_INVALIDCALL, device->CreateTexture(512, 4, 1, 0, D3DFMT_X8R8G8B8,
                                                      D3DPOOL_MANAGED, texture.Receive(), nullptr));
  win32::ComRef<IDirect3DSurface9> backBuffer;
  ASSERT_EQ(S_OK, device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, backBuffer.Receive()));
  D3DSURFACE_DESC desc;
  backBuffer->GetDesc(&desc);
  EXPECT_EQ(D3DFMT_A8R8G8B8, desc.Format);
  backBuffer.Reset();
  direct3d.Reset();
  EXPECT_EQ(0u, device.Detach()->Release());
}

TEST(StandardAdapterTest, AcceptsTheSamplerFormatsAndBlendingRenderTargets) {
  auto direct3d = win32::ComRef<IDirect3D9>::Adopt(Direct3DCreate9(D3D_SDK_VERSION));
  ASSERT_NE(nullptr, direct3d.Get());
  D3DDISPLAYMODE mode;
  ASSERT_EQ(S_OK, direct3d->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &mode));
  EXPECT_EQ(640u, mode.Width);  // no display in tests
  EXPECT_EQ(480u, mode.Height);
  EXPECT_EQ(D3DFMT_X8R8G8B8, mode.Format);
  for (D3DFORMAT format : {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_R5G6B5, D3DFMT_X1R5G5B5,
                           D3DFMT_A1R5G5B5, D3DFMT_A4R4G4B4, D3DFMT_A8, D3DFMT_L8, D3DFMT_A8L8,
                           D3DFMT_A16B16G16R16, D3DFMT_A16B16G16R16F, D3DFMT_A32B32G32R32F,
                           D3DFMT_DXT1, D3DFMT_DXT2, D3DFMT_DXT3, D3DFMT_DXT4, D3DFMT_DXT5}) {
    EXPECT_EQ(S_OK, direct3d->CheckDeviceFormat(0, D3DDEVTYPE_HAL, mode.Format, 0,
                                                D3DRTYPE_TEXTURE, format))
        << format;
  }
  EXPECT_EQ(D3DERR_NOTAVAILABLE, direct3d->CheckDeviceFormat(0, D3DDEVTYPE_HAL, mode.Format, 0,
                                                             D3DRTYPE_TEXTURE, D3DFMT_P8));
  for (D3DFORMAT format : {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8}) {
    EXPECT_EQ(S_OK, direct3d->CheckDeviceFormat(
                        0, D3DDEVTYPE_HAL, mode.Format,
                        D3DUSAGE_RENDERTARGET | D3DUSAGE_QUERY_POSTPIXELSHADER_BLENDING,
                        D3DRTYPE_SURFACE, format));
  }
  D3DCAPS9 caps;
  ASSERT_EQ(S_OK, direct3d->GetDeviceCaps(0, D3DDEVTYPE_HAL, &caps));
  EXPECT_EQ(4096u, caps.MaxTextureWidth);
  EXPECT_NE(0u, caps.TextureCaps & D3DPTEXTURECAPS_MIPMAP);
  EXPECT_NE(0u, caps.TextureCaps & D3DPTEXTURECAPS_POW2);
  EXPECT_NE(0u, caps.TextureCaps & D3DPTEXTURECAPS_NONPOW2CONDITIONAL);
  EXPECT_EQ(0xFFu, caps.AlphaCmpCaps);
  EXPECT_EQ(0u, caps.TextureFilterCaps & D3DPTFILTERCAPS_MINFANISOTROPIC);
  EXPECT_NE(0u, caps.TextureFilterCaps & D3DPTFILTERCAPS_MIPFLINEAR);
  EXPECT_EQ(0u, direct3d.Detach()->Release());
}

}  // namespace
}  // namespace d3d9_test
