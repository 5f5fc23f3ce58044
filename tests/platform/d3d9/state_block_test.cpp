// Device state: Direct3D 9's defaults, recording between BeginStateBlock and EndStateBlock,
// Capture and Apply, and the device-made blocks.
#include "platform/win32/com_object.h"
#include "tests/platform/d3d9/device_fixture.h"

namespace d3d9_test {
namespace {

using StateBlockTest = DeviceTest;

DWORD RenderState(IDirect3DDevice9* device, D3DRENDERSTATETYPE state) {
  DWORD value = 0xDEADBEEF;
  EXPECT_EQ(S_OK, device->GetRenderState(state, &value));
  return value;
}

TEST_F(StateBlockTest, NewDevicesHaveTheDefaultsOfDirect3D9) {
  EXPECT_EQ(DWORD(D3DCULL_CCW), RenderState(device, D3DRS_CULLMODE));
  EXPECT_EQ(DWORD(FALSE), RenderState(device, D3DRS_ALPHABLENDENABLE));
  EXPECT_EQ(DWORD(D3DBLEND_ONE), RenderState(device, D3DRS_SRCBLEND));
  EXPECT_EQ(DWORD(D3DBLEND_ZERO), RenderState(device, D3DRS_DESTBLEND));
  EXPECT_EQ(DWORD(D3DCMP_ALWAYS), RenderState(device, D3DRS_ALPHAFUNC));
  EXPECT_EQ(DWORD(TRUE), RenderState(device, D3DRS_LIGHTING));
  EXPECT_EQ(DWORD(D3DSHADE_GOURAUD), RenderState(device, D3DRS_SHADEMODE));
  EXPECT_EQ(0xFu, RenderState(device, D3DRS_COLORWRITEENABLE));
  DWORD value = 0;
  device->GetTextureStageState(0, D3DTSS_COLOROP, &value);
  EXPECT_EQ(DWORD(D3DTOP_MODULATE), value);
  device->GetTextureStageState(0, D3DTSS_ALPHAOP, &value);
  EXPECT_EQ(DWORD(D3DTOP_SELECTARG1), value);
  device->GetTextureStageState(1, D3DTSS_COLOROP, &value);
  EXPECT_EQ(DWORD(D3DTOP_DISABLE), value);
  device->GetTextureStageState(3, D3DTSS_TEXCOORDINDEX, &value);
  EXPECT_EQ(3u, value);
  device->GetSamplerState(0, D3DSAMP_ADDRESSU, &value);
  EXPECT_EQ(DWORD(D3DTADDRESS_WRAP), value);
  device->GetSamplerState(0, D3DSAMP_MINFILTER, &value);
  EXPECT_EQ(DWORD(D3DTEXF_POINT), value);
  device->GetSamplerState(D3DVERTEXTEXTURESAMPLER0, D3DSAMP_MAXANISOTROPY, &value);
  EXPECT_EQ(1u, value);
  D3DVIEWPORT9 viewport;
  ASSERT_EQ(S_OK, device->GetViewport(&viewport));
  EXPECT_EQ(width, viewport.Width);
  EXPECT_EQ(height, viewport.Height);
  EXPECT_EQ(0.0f, device->GetNPatchMode());
  D3DMATRIX world;
  device->GetTransform(D3DTS_WORLD, &world);
  EXPECT_EQ(1.0f, world._11);
  EXPECT_EQ(0.0f, world._12);
}

TEST_F(StateBlockTest, RecordingSetsNothingAndRecordsExactlyWhatIsSet) {
  ASSERT_EQ(S_OK, device->BeginStateBlock());
  EXPECT_EQ(D3DERR_INVALIDCALL, device->BeginStateBlock());
  ASSERT_EQ(S_OK, device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE));
  ASSERT_EQ(S_OK, device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW));  // the last value counts
  ASSERT_EQ(S_OK, device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR));
  ASSERT_EQ(S_OK, device->SetNPatchMode(0.0f));
  win32::ComRef<IDirect3DStateBlock9> block, second;
  ASSERT_EQ(S_OK, device->EndStateBlock(block.Receive()));
  EXPECT_EQ(D3DERR_INVALIDCALL, device->EndStateBlock(second.Receive()));
  // The device is as it was.
  EXPECT_EQ(DWORD(D3DCULL_CCW), RenderState(device, D3DRS_CULLMODE));
  // Apply sets the recorded states and nothing else.
  ASSERT_EQ(S_OK, device->SetRenderState(D3DRS_ALPHAREF, 77));
  ASSERT_EQ(S_OK, block->Apply());
  EXPECT_EQ(DWORD(D3DCULL_CW), RenderState(device, D3DRS_CULLMODE));
  EXPECT_EQ(77u, RenderState(device, D3DRS_ALPHAREF));
  DWORD filter = 0;
  device->GetSamplerState(0, D3DSAMP_MAGFILTER, &filter);
  EXPECT_EQ(DWORD(D3DTEXF_LINEAR), filter);
}

TEST_F(StateBlockTest, CaptureRereadsTheRecordedStatesAndApplyRestoresThem) {
  win32::ComRef<IDirect3DTexture9> texture;
  ASSERT_EQ(S_OK, device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                        texture.Receive(), nullptr));
  ASSERT_EQ(S_OK, device->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE));
  ASSERT_EQ(S_OK, device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE));
  // Record as the sprite does: the states it will change.
  ASSERT_EQ(S_OK, device->BeginStateBlock());
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
  device->SetTexture(0, nullptr);
  device->SetFVF(0);
  D3DMATRIX identity{};
  identity._11 = identity._22 = identity._33 = identity._44 = 1.0f;
  device->SetTransform(D3DTS_PROJECTION, &identity);
  win32::ComRef<IDirect3DStateBlock9> saved;
  ASSERT_EQ(S_OK, device->EndStateBlock(saved.Receive()));

  ASSERT_EQ(S_OK, saved->Capture());
  // Change everything it holds, and something it does not.
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
  device->SetTexture(0, texture.Get());
  win32::ComRef<IDirect3DVertexDeclaration9> declaration;
  const D3DVERTEXELEMENT9 elements[] = {
      {0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0}, D3DDECL_END};
  ASSERT_EQ(S_OK, device->CreateVertexDeclaration(elements, declaration.Receive()));
  device->SetVertexDeclaration(declaration.Get());
  D3DMATRIX scaled = identity;
  scaled._11 = 3.0f;
  device->SetTransform(D3DTS_PROJECTION, &scaled);
  device->SetRenderState(D3DRS_ZFUNC, D3DCMP_NEVER);
  ASSERT_EQ(S_OK, saved->Apply());

  EXPECT_EQ(DWORD(TRUE), RenderState(device, D3DRS_ALPHABLENDENABLE));
  IDirect3DBaseTexture9* bound = reinterpret_cast<IDirect3DBaseTexture9*>(1);
  ASSERT_EQ(S_OK, device->GetTexture(0, &bound));
  EXPECT_EQ(nullptr, bound);
  // SetFVF and SetVertexDeclaration are one state: the FVF comes back.
  DWORD fvf = 0;
  device->GetFVF(&fvf);
  EXPECT_EQ(DWORD(D3DFVF_XYZRHW | D3DFVF_DIFFUSE), fvf);
  IDirect3DVertexDeclaration9* current = declaration.Get();
  device->GetVertexDeclaration(&current);
  EXPECT_EQ(nullptr, current);
  D3DMATRIX projection;
  device->GetTransform(D3DTS_PROJECTION, &projection);
  EXPECT_EQ(1.0f, projection._11);
  EXPECT_EQ(DWORD(D3DCMP_NEVER), RenderState(device, D3DRS_ZFUNC));
}

TEST_F(StateBlockTest, CreatedBlocksHoldEveryStateOfTheirKind) {
  device->SetRenderState(D3DRS_ALPHAREF, 9);
  device->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 1);
  win32::ComRef<IDirect3DStateBlock9> pixel;
  win32::ComRef<IDirect3DStateBlock9> all;
  ASSERT_EQ(S_OK, device->CreateStateBlock(D3DSBT_PIXELSTATE, pixel.Receive()));
  ASSERT_EQ(S_OK, device->CreateStateBlock(D3DSBT_ALL, all.Receive()));
  device->SetRenderState(D3DRS_ALPHAREF, 10);
  device->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 2);
  D3DVIEWPORT9 small = {0, 0, 8, 8, 0, 1};
  device->SetViewport(&small);
  ASSERT_EQ(S_OK, pixel->Apply());
  EXPECT_EQ(9u, RenderState(device, D3DRS_ALPHAREF));
  DWORD index = 0;
  device->GetTextureStageState(0, D3DTSS_TEXCOORDINDEX, &index);
  EXPECT_EQ(2u, index);  // a vertex state: not in the pixel block
  ASSERT_EQ(S_OK, all->Apply());
  device->GetTextureStageState(0, D3DTSS_TEXCOORDINDEX, &index);
  EXPECT_EQ(1u, index);
  D3DVIEWPORT9 viewport;
  device->GetViewport(&viewport);
  EXPECT_EQ(width, viewport.Width);
}

TEST_F(StateBlockTest, OnlyNullShadersAreAccepted) {
  EXPECT_EQ(S_OK, device->SetVertexShader(nullptr));
  EXPECT_EQ(S_OK, device->SetPixelShader(nullptr));
  IDirect3DVertexShader9* shader = nullptr;
  const DWORD code[] = {0xFFFE0101, 0x0000FFFF};
  EXPECT_EQ(D3DERR_INVALIDCALL, device->CreateVertexShader(code, &shader));
  EXPECT_EQ(D3DERR_INVALIDCALL, device->SetNPatchMode(-1.0f));
}

}  // namespace
}  // namespace d3d9_test
