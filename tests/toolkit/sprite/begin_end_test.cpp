// Begin and End: calling order, flags, the states saved, set and restored, device buffers and
// state blocks, device loss.
#include "platform/win32/modules.h"
#include "tests/toolkit/sprite/sprite_fixture.h"
#include "toolkit/common/debug_mute.h"

namespace sprite_test {
namespace {

// A debug layer whose mute calls go into the test device's call log.
d3d9::TestSetup* mutedSetup = nullptr;
BOOL LoggedDebugSetMute(BOOL mute) {
  mutedSetup->Enter("DebugSetMute", {mute});
  return FALSE;
}

using SpriteBeginEnd = SpriteTest;

DWORD RenderState(IDirect3DDevice9* device, D3DRENDERSTATETYPE state) {
  DWORD value = 0;
  device->GetRenderState(state, &value);
  return value;
}

D3DMATRIX Transform(IDirect3DDevice9* device, D3DTRANSFORMSTATETYPE state) {
  D3DMATRIX m;
  device->GetTransform(state, &m);
  return m;
}

TEST_F(SpriteBeginEnd, SecondBeginIsRefusedAndTheFirstBatchGoesOn) {
  ClearTo(0);
  ASSERT_EQ(S_OK, sprite->Begin(D3DXSPRITE_ALPHABLEND));
  EXPECT_EQ(D3DERR_INVALIDCALL, sprite->Begin(D3DXSPRITE_ALPHABLEND));
  ASSERT_EQ(S_OK, DrawAt(Texture(2, 2, 0xFF00FF00), 3, 4));
  EXPECT_EQ(D3DERR_INVALIDCALL, sprite->Begin(0));
  EXPECT_EQ(S_OK, sprite->End());
  EXPECT_EQ(0x00FF00u, PixelAt(3, 4));
  EXPECT_EQ(0x00FF00u, PixelAt(4, 5));
  EXPECT_EQ(0u, PixelAt(5, 5));
}

TEST_F(SpriteBeginEnd, UnknownFlagsAreRefused) {
  EXPECT_EQ(D3DERR_INVALIDCALL, sprite->Begin(0x100));
  EXPECT_EQ(D3DERR_INVALIDCALL, sprite->Begin(0x80000000u | D3DXSPRITE_ALPHABLEND));
  EXPECT_EQ(D3DERR_INVALIDCALL, sprite->End());
  EXPECT_EQ(S_OK, sprite->Begin(0xFF));
  EXPECT_EQ(S_OK, sprite->End());
}

TEST_F(SpriteBeginEnd, BatchOperationsOutsideBeginAreRefused) {
  IDirect3DTexture9* texture = Texture(2, 2);
  EXPECT_EQ(D3DERR_INVALIDCALL, sprite->End());
  EXPECT_EQ(D3DERR_INVALIDCALL, sprite->Flush());
  EXPECT_EQ(D3DERR_INVALIDCALL, DrawAt(texture, 0, 0));
  DrawBatch(0, texture, 1);
  EXPECT_EQ(D3DERR_INVALIDCALL, sprite->End());
  EXPECT_EQ(D3DERR_INVALIDCALL, DrawAt(texture, 0, 0));
  ASSERT_EQ(S_OK, sprite->Begin(0));
  EXPECT_EQ(D3DERR_INVALIDCALL, sprite->Draw(nullptr, nullptr, nullptr, nullptr, 0xFFFFFFFF));
  EXPECT_EQ(D3DERR_INVALIDCALL, sprite->SetWorldViewLH(nullptr, nullptr));
  EXPECT_EQ(D3DERR_INVALIDCALL, sprite->SetWorldViewRH(nullptr, nullptr));
  EXPECT_EQ(S_OK, sprite->End());
}

TEST_F(SpriteBeginEnd, StatesAfterEndAreThoseBeforeBegin) {
  SetCallerStates();
  const DeviceStates before = ReadStates();
  IDirect3DTexture9* texture = Texture(2, 2);
  for (DWORD flags :
       {DWORD{0}, D3DXSPRITE_ALPHABLEND, D3DXSPRITE_ALPHABLEND | D3DXSPRITE_SORT_TEXTURE,
        D3DXSPRITE_OBJECTSPACE | D3DXSPRITE_SORT_DEPTH_BACKTOFRONT, D3DXSPRITE_BILLBOARD}) {
    SCOPED_TRACE(flags);
    ASSERT_EQ(S_OK, sprite->Begin(flags));
    EXPECT_NE(before, ReadStates());
    ASSERT_EQ(S_OK, DrawAt(texture, 1, 1, 0.5f));
    ASSERT_EQ(S_OK, sprite->Flush());
    ASSERT_EQ(S_OK, DrawAt(texture, 2, 2, 0.25f));
    ASSERT_EQ(S_OK, sprite->End());
    ExpectSameStates(before, ReadStates());
  }
  // An empty batch restores as well, without drawing.
  setup->ClearLog();
  ASSERT_EQ(S_OK, sprite->Begin(D3DXSPRITE_ALPHABLEND));
  ASSERT_EQ(S_OK, sprite->End());
  ExpectSameStates(before, ReadStates());
  EXPECT_EQ(0u, setup->CallsNamed("DrawIndexedPrimitive").size());
  EXPECT_EQ(0u, setup->CallsNamed("SetStreamSource").size());
}

TEST_F(SpriteBeginEnd, SpriteStatesAreSetInsideTheBatch) {
  SetCallerStates();
  const D3DMATRIX callerProjection = Transform(device, D3DTS_PROJECTION);
  ASSERT_EQ(S_OK, sprite->Begin(D3DXSPRITE_ALPHABLEND));
  EXPECT_EQ(DWORD(D3DCULL_NONE), RenderState(device, D3DRS_CULLMODE));
  EXPECT_EQ(DWORD(FALSE), RenderState(device, D3DRS_LIGHTING));
  EXPECT_EQ(DWORD(FALSE), RenderState(device, D3DRS_FOGENABLE));
  EXPECT_EQ(0xFu, RenderState(device, D3DRS_COLORWRITEENABLE));
  EXPECT_EQ(DWORD(TRUE), RenderState(device, D3DRS_ALPHATESTENABLE));
  EXPECT_EQ(0u, RenderState(device, D3DRS_ALPHAREF));
  EXPECT_EQ(DWORD(D3DCMP_GREATER), RenderState(device, D3DRS_ALPHAFUNC));
  EXPECT_EQ(DWORD(TRUE), RenderState(device, D3DRS_ALPHABLENDENABLE));
  EXPECT_EQ(DWORD(D3DBLEND_SRCALPHA), RenderState(device, D3DRS_SRCBLEND));
  EXPECT_EQ(DWORD(D3DBLEND_INVSRCALPHA), RenderState(device, D3DRS_DESTBLEND));
  DWORD value = 0;
  device->GetTextureStageState(0, D3DTSS_COLOROP, &value);
  EXPECT_EQ(DWORD(D3DTOP_MODULATE), value);
  device->GetTextureStageState(1, D3DTSS_COLOROP, &value);
  EXPECT_EQ(DWORD(D3DTOP_DISABLE), value);
  device->GetSamplerState(0, D3DSAMP_ADDRESSU, &value);
  EXPECT_EQ(DWORD(D3DTADDRESS_CLAMP), value);
  const D3DXMATRIX identity = Scaling(1, 1, 1);
  EXPECT_EQ(identity, D3DXMATRIX(Transform(device, D3DTS_WORLD)));
  EXPECT_EQ(identity, D3DXMATRIX(Transform(device, D3DTS_VIEW)));
  // The screen projection of the 64 x 64 viewport.
  const D3DXMATRIX projection = Transform(device, D3DTS_PROJECTION);
  EXPECT_NE(D3DXMATRIX(callerProjection), projection);
  EXPECT_FLOAT_EQ(2.0f / 64, projection._11);
  EXPECT_FLOAT_EQ(-2.0f / 64, projection._22);
  EXPECT_FLOAT_EQ(-1.0f / 64 - 1.0f, projection._41);
  EXPECT_FLOAT_EQ(1.0f / 64 + 1.0f, projection._42);
  ASSERT_EQ(S_OK, sprite->End());
}

TEST_F(SpriteBeginEnd, DoNotSaveStateLeavesTheSpriteStatesBehind) {
  SetCallerStates();
  const DeviceStates before = ReadStates();
  ASSERT_EQ(S_OK, sprite->Begin(D3DXSPRITE_DONOTSAVESTATE | D3DXSPRITE_ALPHABLEND));
  ASSERT_EQ(S_OK, DrawAt(Texture(2, 2), 0, 0));
  ASSERT_EQ(S_OK, sprite->End());
  const DeviceStates after = ReadStates();
  EXPECT_NE(before, after);
  EXPECT_EQ(DWORD(D3DCULL_NONE), RenderState(device, D3DRS_CULLMODE));
  EXPECT_EQ(DWORD(D3DBLEND_SRCALPHA), RenderState(device, D3DRS_SRCBLEND));
  EXPECT_NE(before.transforms, after.transforms);
  EXPECT_NE(callerIndices, after.indices);
  EXPECT_EQ(0u, setup->CallsNamed("IDirect3DStateBlock9::Capture").size());
}

TEST_F(SpriteBeginEnd, DoNotModifyRenderStateLeavesTheGeneralStatesAlone) {
  SetCallerStates();
  const DeviceStates before = ReadStates();
  IDirect3DTexture9* texture = Texture(2, 2);
  ASSERT_EQ(S_OK, sprite->Begin(D3DXSPRITE_DONOTMODIFY_RENDERSTATE | D3DXSPRITE_ALPHABLEND));
  EXPECT_EQ(DWORD(D3DCULL_CW), RenderState(device, D3DRS_CULLMODE));
  EXPECT_EQ(DWORD(TRUE), RenderState(device, D3DRS_LIGHTING));
  EXPECT_EQ(DWORD(D3DBLEND_SRCALPHA), RenderState(device, D3DRS_SRCBLEND));
  ASSERT_EQ(S_OK, DrawAt(texture, 0, 0));
  ASSERT_EQ(S_OK, sprite->End());
  // The blend and transform pairs are restored; Flush's buffers, declaration and texture
  // stay bound.
  const DeviceStates after = ReadStates();
  ExpectSameRenderStates(before, after);
  EXPECT_EQ(static_cast<IDirect3DBaseTexture9*>(texture), after.texture);
  EXPECT_NE(callerIndices, after.indices);
  EXPECT_NE(callerVertices, after.stream);
  EXPECT_EQ(0u, after.fvf);
}

TEST_F(SpriteBeginEnd, WithoutAlphaBlendTheCallersBlendingStays) {
  SetCallerStates();
  ASSERT_EQ(S_OK, sprite->Begin(0));
  EXPECT_EQ(DWORD(FALSE), RenderState(device, D3DRS_ALPHATESTENABLE));
  EXPECT_EQ(DWORD(D3DBLEND_ONE), RenderState(device, D3DRS_SRCBLEND));
  EXPECT_EQ(DWORD(D3DCULL_NONE), RenderState(device, D3DRS_CULLMODE));
  ASSERT_EQ(S_OK, sprite->End());
}

// Billboards need identity world and view but keep the caller's projection; plain object
// space touches no transform.
TEST_F(SpriteBeginEnd, BillboardImpliesObjectSpace) {
  SetCallerStates();
  IDirect3DTexture9* texture = Texture(2, 2);
  DrawBatch(D3DXSPRITE_BILLBOARD, texture, 0);
  const D3DXMATRIX identity = Scaling(1, 1, 1);
  std::vector<std::vector<std::string>> operations;
  for (DWORD flags : {D3DXSPRITE_BILLBOARD, D3DXSPRITE_BILLBOARD | D3DXSPRITE_OBJECTSPACE}) {
    SCOPED_TRACE(flags);
    setup->ClearLog();
    ASSERT_EQ(S_OK, sprite->Begin(flags));
    EXPECT_EQ(identity, D3DXMATRIX(Transform(device, D3DTS_WORLD)));
    EXPECT_EQ(identity, D3DXMATRIX(Transform(device, D3DTS_VIEW)));
    EXPECT_EQ(Translation(-1, 1, 0), D3DXMATRIX(Transform(device, D3DTS_PROJECTION)));
    ASSERT_EQ(S_OK, DrawAt(texture, 1, 2, 3));
    ASSERT_EQ(S_OK, sprite->End());
    std::vector<std::string> names;
    for (const d3d9::CallRecord& call : setup->Log()) names.push_back(call.operation);
    operations.push_back(names);
  }
  EXPECT_EQ(operations[0], operations[1]);
  ASSERT_EQ(S_OK, sprite->Begin(D3DXSPRITE_OBJECTSPACE));
  EXPECT_EQ(D3DXMATRIX(Translation(1, 2, 3)), D3DXMATRIX(Transform(device, D3DTS_WORLD)));
  ASSERT_EQ(S_OK, sprite->End());
}

TEST_F(SpriteBeginEnd, StateBlocksAreRecordedOnceAndCapturedPerBatch) {
  IDirect3DTexture9* texture = Texture(2, 2);
  DrawBatch(D3DXSPRITE_ALPHABLEND, texture, 1);
  EXPECT_EQ(6u, setup->CallCount("BeginStateBlock"));
  EXPECT_EQ(3u, setup->CallCount("IDirect3DStateBlock9::Capture"));
  DrawBatch(D3DXSPRITE_ALPHABLEND, texture, 1);
  DrawBatch(0, texture, 1);
  EXPECT_EQ(6u, setup->CallCount("BeginStateBlock"));
  EXPECT_EQ(8u, setup->CallCount("IDirect3DStateBlock9::Capture"));
  EXPECT_EQ(1u, setup->CallCount("CreateVertexBuffer"));
  EXPECT_EQ(1u, setup->CallCount("CreateIndexBuffer"));
}

TEST_F(SpriteBeginEnd, IndexBufferHoldsTwoTrianglesPerQuad) {
  DrawBatch(0, Texture(2, 2), 1);
  const auto buffers = setup->CallsNamed("SetIndices");
  ASSERT_FALSE(buffers.empty());
  // The first SetIndices of Flush binds the sprite's buffer.
  IDirect3DIndexBuffer9* indices = nullptr;
  for (const d3d9::CallRecord& call : buffers) {
    if (call.arguments[0] != 0) {
      indices = reinterpret_cast<IDirect3DIndexBuffer9*>(std::intptr_t(call.arguments[0]));
      break;
    }
  }
  ASSERT_NE(nullptr, indices);
  D3DINDEXBUFFER_DESC desc;
  ASSERT_EQ(S_OK, indices->GetDesc(&desc));
  ASSERT_EQ(0xC000u, desc.Size);
  void* data = nullptr;
  ASSERT_EQ(S_OK, indices->Lock(0, 0, &data, D3DLOCK_READONLY));
  const auto* index = static_cast<const WORD*>(data);
  for (UINT q : {0u, 1u, 2345u, 4095u}) {
    const std::vector<WORD> quad(index + 6 * q, index + 6 * q + 6);
    const WORD v = WORD(4 * q);
    EXPECT_EQ((std::vector<WORD>{v, WORD(v + 1), WORD(v + 2), WORD(v + 2), WORD(v + 1),
                                 WORD(v + 3)}),
              quad);
  }
  indices->Unlock();
}

TEST_F(SpriteBeginEnd, FailedBufferCreationLeavesTheObjectIdle) {
  const DeviceStates before = ReadStates();
  IDirect3DTexture9* texture = Texture(2, 2);
  for (const char* operation : {"CreateIndexBuffer", "CreateVertexBuffer"}) {
    SCOPED_TRACE(operation);
    setup->FailCall(operation, setup->CallCount(operation) + 1, D3DERR_OUTOFVIDEOMEMORY);
    EXPECT_EQ(D3DERR_OUTOFVIDEOMEMORY, sprite->Begin(D3DXSPRITE_ALPHABLEND));
    EXPECT_EQ(D3DERR_INVALIDCALL, DrawAt(texture, 0, 0));
    EXPECT_EQ(D3DERR_INVALIDCALL, sprite->End());
    EXPECT_EQ(before, ReadStates());
  }
  // A later Begin makes what is missing.
  setup->ClearLog();
  DrawBatch(D3DXSPRITE_ALPHABLEND, texture, 1);
  EXPECT_EQ(2u, setup->CallCount("CreateIndexBuffer"));
  EXPECT_EQ(2u, setup->CallCount("CreateVertexBuffer"));
  EXPECT_EQ(1u, Runs().size());
}

TEST_F(SpriteBeginEnd, FailedIndexWriteDropsTheIndexBuffer) {
  setup->FailCall("IDirect3DIndexBuffer9::Lock", 1, D3DERR_INVALIDCALL);
  EXPECT_EQ(D3DERR_INVALIDCALL, sprite->Begin(0));
  EXPECT_EQ(D3DERR_INVALIDCALL, sprite->End());
  DrawBatch(0, Texture(2, 2), 1);
  EXPECT_EQ(2u, setup->CallCount("CreateIndexBuffer"));
  EXPECT_EQ(1u, Runs().size());
}

TEST_F(SpriteBeginEnd, FailedStateBlockRecordingLeavesTheObjectIdle) {
  const DeviceStates before = ReadStates();
  // The first block of the blend pair.
  setup->FailCall("BeginStateBlock", 3, E_FAIL);
  EXPECT_EQ(E_FAIL, sprite->Begin(D3DXSPRITE_ALPHABLEND));
  EXPECT_EQ(D3DERR_INVALIDCALL, sprite->End());
  EXPECT_EQ(before, ReadStates());
  // The device is not left recording: a state set now takes effect.
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
  EXPECT_EQ(DWORD(D3DCULL_CW), RenderState(device, D3DRS_CULLMODE));
  // The second block of the blend pair: its first is dropped with it.
  setup->FailCall("BeginStateBlock", setup->CallCount("BeginStateBlock") + 2, E_FAIL);
  EXPECT_EQ(E_FAIL, sprite->Begin(D3DXSPRITE_ALPHABLEND));
  // The pairs already made are kept; the next Begin records only the missing ones.
  const unsigned recorded = setup->CallCount("BeginStateBlock");
  DrawBatch(D3DXSPRITE_ALPHABLEND, Texture(2, 2), 1);
  EXPECT_EQ(4u, setup->CallCount("BeginStateBlock") - recorded);
  EXPECT_EQ(DWORD(D3DCULL_CW), RenderState(device, D3DRS_CULLMODE));
}

TEST_F(SpriteBeginEnd, DeviceLossDropsBuffersStateBlocksAndTheQueue) {
  IDirect3DTexture9* texture = Texture(2, 2);
  ASSERT_EQ(S_OK, sprite->Begin(D3DXSPRITE_ALPHABLEND));
  ASSERT_EQ(S_OK, DrawAt(texture, 0, 0));
  ASSERT_EQ(S_OK, sprite->Flush());
  ASSERT_EQ(S_OK, DrawAt(texture, 0, 0));
  EXPECT_EQ(S_OK, sprite->OnLostDevice());
  EXPECT_EQ(D3DERR_INVALIDCALL, sprite->End());
  EXPECT_EQ(S_OK, sprite->OnResetDevice());
  setup->ClearLog();
  ASSERT_EQ(S_OK, sprite->Begin(D3DXSPRITE_ALPHABLEND));
  ASSERT_EQ(S_OK, sprite->End());
  EXPECT_EQ(1u, setup->CallsNamed("CreateVertexBuffer").size());
  EXPECT_EQ(1u, setup->CallsNamed("CreateIndexBuffer").size());
  EXPECT_EQ(6u, setup->CallsNamed("BeginStateBlock").size());
  EXPECT_TRUE(Runs().empty());
  // The new ring starts at 0 with a discarding lock.
  setup->ClearLog();
  DrawBatch(0, texture, 1);
  ASSERT_EQ(1u, Runs().size());
  EXPECT_EQ(0u, Runs()[0].startVertex);
  EXPECT_EQ(D3DLOCK_DISCARD, Runs()[0].lockFlags);
}

// After the target loses blending: no blending, alpha reference 63, so texels of alpha 63 or
// less are discarded and the rest drawn opaque.
TEST_F(SpriteBeginEnd, TargetWithoutBlendingGetsAlphaTestOnly) {
  setup->profile.postPixelShaderBlending = false;
  ASSERT_EQ(S_OK, sprite->OnLostDevice());
  ASSERT_EQ(S_OK, sprite->OnResetDevice());
  ClearTo(0x000000FF);
  ASSERT_EQ(S_OK, sprite->Begin(D3DXSPRITE_ALPHABLEND));
  EXPECT_EQ(DWORD(FALSE), RenderState(device, D3DRS_ALPHABLENDENABLE));
  EXPECT_EQ(0x3Fu, RenderState(device, D3DRS_ALPHAREF));
  ASSERT_EQ(S_OK, DrawAt(Texture(1, 1, 0x3FFF0000), 0, 0));
  ASSERT_EQ(S_OK, DrawAt(Texture(1, 1, 0x40FF0000), 1, 0));
  ASSERT_EQ(S_OK, sprite->End());
  EXPECT_EQ(0x0000FFu, PixelAt(0, 0));
  EXPECT_EQ(0xFF0000u, PixelAt(1, 0));
  // The device's answer is asked again at each reset.
  setup->profile.postPixelShaderBlending = true;
  ASSERT_EQ(S_OK, sprite->OnLostDevice());
  ASSERT_EQ(S_OK, sprite->OnResetDevice());
  ASSERT_EQ(S_OK, sprite->Begin(D3DXSPRITE_ALPHABLEND));
  EXPECT_EQ(DWORD(TRUE), RenderState(device, D3DRS_ALPHABLENDENABLE));
  ASSERT_EQ(S_OK, sprite->End());
}

TEST_F(SpriteBeginEnd, ResetWithoutRenderTargetAssumesBlending) {
  setup->profile.postPixelShaderBlending = false;
  setup->FailCall("GetRenderTarget", setup->CallCount("GetRenderTarget") + 1, D3DERR_NOTFOUND);
  ASSERT_EQ(S_OK, sprite->OnLostDevice());
  EXPECT_EQ(S_OK, sprite->OnResetDevice());
  ASSERT_EQ(S_OK, sprite->Begin(D3DXSPRITE_ALPHABLEND));
  EXPECT_EQ(DWORD(TRUE), RenderState(device, D3DRS_ALPHABLENDENABLE));
  ASSERT_EQ(S_OK, sprite->End());
}

TEST_F(SpriteBeginEnd, AlphaBlendDiscardsZeroAlphaAndBlendsTheRest) {
  ClearTo(0x000000FF);
  const std::vector<std::uint32_t> texels = {0x00FF0000, 0x80FF0000, 0xFFFF0000, 0xFFFFFFFF};
  ASSERT_EQ(S_OK, sprite->Begin(D3DXSPRITE_ALPHABLEND));
  ASSERT_EQ(S_OK, DrawAt(Texture(4, 1, texels), 0, 0));
  // The colour modulates: white texels show it, and its alpha scales their opacity.
  const D3DXVECTOR3 position(0, 1, 0);
  const RECT white = {3, 0, 4, 1};
  ASSERT_EQ(S_OK, sprite->Draw(textures.back(), &white, nullptr, &position, 0xFF00FF00));
  const D3DXVECTOR3 below(0, 2, 0);
  ASSERT_EQ(S_OK, sprite->Draw(textures.back(), &white, nullptr, &below, 0x00FFFFFF));
  ASSERT_EQ(S_OK, sprite->End());
  EXPECT_EQ(0x0000FFu, PixelAt(0, 0));
  const std::uint32_t half = PixelAt(1, 0);
  EXPECT_NEAR(0x80, int(half >> 16), 1);
  EXPECT_NEAR(0x7F, int(half & 0xFF), 1);
  EXPECT_EQ(0xFF0000u, PixelAt(2, 0));
  EXPECT_EQ(0xFFFFFFu, PixelAt(3, 0));
  EXPECT_EQ(0x00FF00u, PixelAt(0, 1));
  EXPECT_EQ(0x0000FFu, PixelAt(0, 2));
}

// Begin and End do their state-block work with the debug layer muted.
TEST_F(SpriteBeginEnd, StateBlockWorkIsMutedForTheDebugLayer) {
  testing_hooks::ResetDebugMute();
  mutedSetup = setup.get();
  win32::RegisterModule("d3d9d.dll",
                        {{"DebugSetMute", reinterpret_cast<FARPROC>(&LoggedDebugSetMute)}}, true);
  DrawBatch(D3DXSPRITE_ALPHABLEND, Texture(2, 2), 1);
  win32::UnregisterModule("d3d9d.dll");
  testing_hooks::ResetDebugMute();
  std::vector<std::string> sequence;
  for (const d3d9::CallRecord& call : setup->Log()) {
    std::string name = call.operation;
    if (name == "DebugSetMute") name += call.arguments[0] ? "(TRUE)" : "(FALSE)";
    if (name.find("StateBlock") == std::string::npos && name.find("DebugSetMute") != 0 &&
        name != "DrawIndexedPrimitive") {
      continue;
    }
    if (sequence.empty() || sequence.back() != name) sequence.push_back(name);
  }
  const std::string capture = "IDirect3DStateBlock9::Capture";
  const std::string apply = "IDirect3DStateBlock9::Apply";
  EXPECT_EQ((std::vector<std::string>{"DebugSetMute(TRUE)", "BeginStateBlock", "EndStateBlock",
                                      "BeginStateBlock", "EndStateBlock", "BeginStateBlock",
                                      "EndStateBlock", "BeginStateBlock", "EndStateBlock",
                                      "BeginStateBlock", "EndStateBlock", "BeginStateBlock",
                                      "EndStateBlock", capture, apply, capture, apply, capture,
                                      apply, "DebugSetMute(FALSE)", "DrawIndexedPrimitive",
                                      "DebugSetMute(TRUE)", apply, "DebugSetMute(FALSE)"}),
            sequence);
}

}  // namespace
}  // namespace sprite_test
