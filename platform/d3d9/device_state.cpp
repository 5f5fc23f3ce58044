#include "platform/d3d9/device_state.h"

#include <bit>

namespace d3d9 {
namespace {

DWORD FloatBits(float value) { return std::bit_cast<DWORD>(value); }

void SetRenderStateDefaults(std::array<DWORD, renderStateCount>& rs, bool autoDepthStencil) {
  rs[D3DRS_ZENABLE] = autoDepthStencil ? D3DZB_TRUE : D3DZB_FALSE;
  rs[D3DRS_FILLMODE] = D3DFILL_SOLID;
  rs[D3DRS_SHADEMODE] = D3DSHADE_GOURAUD;
  rs[D3DRS_ZWRITEENABLE] = TRUE;
  rs[D3DRS_LASTPIXEL] = TRUE;
  rs[D3DRS_SRCBLEND] = D3DBLEND_ONE;
  rs[D3DRS_DESTBLEND] = D3DBLEND_ZERO;
  rs[D3DRS_CULLMODE] = D3DCULL_CCW;
  rs[D3DRS_ZFUNC] = D3DCMP_LESSEQUAL;
  rs[D3DRS_ALPHAFUNC] = D3DCMP_ALWAYS;
  rs[D3DRS_FOGSTART] = FloatBits(0.0f);
  rs[D3DRS_FOGEND] = FloatBits(1.0f);
  rs[D3DRS_FOGDENSITY] = FloatBits(1.0f);
  rs[D3DRS_STENCILFAIL] = D3DSTENCILOP_KEEP;
  rs[D3DRS_STENCILZFAIL] = D3DSTENCILOP_KEEP;
  rs[D3DRS_STENCILPASS] = D3DSTENCILOP_KEEP;
  rs[D3DRS_STENCILFUNC] = D3DCMP_ALWAYS;
  rs[D3DRS_STENCILMASK] = 0xFFFFFFFF;
  rs[D3DRS_STENCILWRITEMASK] = 0xFFFFFFFF;
  rs[D3DRS_TEXTUREFACTOR] = 0xFFFFFFFF;
  rs[D3DRS_CLIPPING] = TRUE;
  rs[D3DRS_LIGHTING] = TRUE;
  rs[D3DRS_COLORVERTEX] = TRUE;
  rs[D3DRS_LOCALVIEWER] = TRUE;
  rs[D3DRS_DIFFUSEMATERIALSOURCE] = D3DMCS_COLOR1;
  rs[D3DRS_SPECULARMATERIALSOURCE] = D3DMCS_COLOR2;
  rs[D3DRS_AMBIENTMATERIALSOURCE] = D3DMCS_MATERIAL;
  rs[D3DRS_EMISSIVEMATERIALSOURCE] = D3DMCS_MATERIAL;
  rs[D3DRS_POINTSIZE] = FloatBits(1.0f);
  rs[D3DRS_POINTSIZE_MIN] = FloatBits(1.0f);
  rs[D3DRS_POINTSCALE_A] = FloatBits(1.0f);
  rs[D3DRS_POINTSCALE_B] = FloatBits(0.0f);
  rs[D3DRS_POINTSCALE_C] = FloatBits(0.0f);
  rs[D3DRS_MULTISAMPLEANTIALIAS] = TRUE;
  rs[D3DRS_MULTISAMPLEMASK] = 0xFFFFFFFF;
  rs[D3DRS_PATCHEDGESTYLE] = D3DPATCHEDGE_DISCRETE;
  rs[D3DRS_DEBUGMONITORTOKEN] = D3DDMT_ENABLE;
  rs[D3DRS_POINTSIZE_MAX] = FloatBits(64.0f);
  rs[D3DRS_COLORWRITEENABLE] = 0xF;
  rs[D3DRS_TWEENFACTOR] = FloatBits(0.0f);
  rs[D3DRS_BLENDOP] = D3DBLENDOP_ADD;
  rs[D3DRS_POSITIONDEGREE] = D3DDEGREE_CUBIC;
  rs[D3DRS_NORMALDEGREE] = D3DDEGREE_LINEAR;
  rs[D3DRS_MINTESSELLATIONLEVEL] = FloatBits(1.0f);
  rs[D3DRS_MAXTESSELLATIONLEVEL] = FloatBits(1.0f);
  rs[D3DRS_ADAPTIVETESS_Z] = FloatBits(1.0f);
  rs[D3DRS_CCW_STENCILFAIL] = D3DSTENCILOP_KEEP;
  rs[D3DRS_CCW_STENCILZFAIL] = D3DSTENCILOP_KEEP;
  rs[D3DRS_CCW_STENCILPASS] = D3DSTENCILOP_KEEP;
  rs[D3DRS_CCW_STENCILFUNC] = D3DCMP_ALWAYS;
  rs[D3DRS_COLORWRITEENABLE1] = 0xF;
  rs[D3DRS_COLORWRITEENABLE2] = 0xF;
  rs[D3DRS_COLORWRITEENABLE3] = 0xF;
  rs[D3DRS_BLENDFACTOR] = 0xFFFFFFFF;
  rs[D3DRS_SRCBLENDALPHA] = D3DBLEND_ONE;
  rs[D3DRS_DESTBLENDALPHA] = D3DBLEND_ZERO;
  rs[D3DRS_BLENDOPALPHA] = D3DBLENDOP_ADD;
}

void SetStageDefaults(std::array<DWORD, stageStateCount>& stage, UINT index) {
  stage[D3DTSS_COLOROP] = index == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
  stage[D3DTSS_COLORARG1] = D3DTA_TEXTURE;
  stage[D3DTSS_COLORARG2] = D3DTA_CURRENT;
  stage[D3DTSS_ALPHAOP] = index == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
  stage[D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
  stage[D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
  stage[D3DTSS_TEXCOORDINDEX] = index;
  stage[D3DTSS_TEXTURETRANSFORMFLAGS] = D3DTTFF_DISABLE;
  stage[D3DTSS_COLORARG0] = D3DTA_CURRENT;
  stage[D3DTSS_ALPHAARG0] = D3DTA_CURRENT;
  stage[D3DTSS_RESULTARG] = D3DTA_CURRENT;
}

void SetSamplerDefaults(std::array<DWORD, samplerStateCount>& sampler) {
  sampler[D3DSAMP_ADDRESSU] = D3DTADDRESS_WRAP;
  sampler[D3DSAMP_ADDRESSV] = D3DTADDRESS_WRAP;
  sampler[D3DSAMP_ADDRESSW] = D3DTADDRESS_WRAP;
  sampler[D3DSAMP_MAGFILTER] = D3DTEXF_POINT;
  sampler[D3DSAMP_MINFILTER] = D3DTEXF_POINT;
  sampler[D3DSAMP_MIPFILTER] = D3DTEXF_NONE;
  sampler[D3DSAMP_MAXANISOTROPY] = 1;
}

}  // namespace

UINT SamplerIndex(DWORD sampler) {
  if (sampler < 16) return sampler;
  if (sampler >= D3DDMAPSAMPLER && sampler <= D3DVERTEXTEXTURESAMPLER3) {
    return 16 + (sampler - D3DDMAPSAMPLER);
  }
  return samplerCount;
}

D3DMATRIX IdentityMatrix() {
  D3DMATRIX m{};
  m._11 = m._22 = m._33 = m._44 = 1.0f;
  return m;
}

DeviceState DeviceState::Defaults(UINT width, UINT height, bool autoDepthStencil) {
  DeviceState state;
  SetRenderStateDefaults(state.renderStates, autoDepthStencil);
  for (UINT i = 0; i < stageCount; ++i) SetStageDefaults(state.stageStates[i], i);
  for (auto& sampler : state.samplerStates) SetSamplerDefaults(sampler);
  state.transforms.fill(IdentityMatrix());
  state.viewport = {0, 0, width, height, 0.0f, 1.0f};
  state.scissorRect = {0, 0, LONG(width), LONG(height)};
  state.material = {};
  return state;
}

}  // namespace d3d9
