// The standard adapter: the capabilities of a typical Direct3D 9 hardware device, and the
// formats this runtime's sampler and render targets handle.
#include <SDL.h>

#include <cstring>

#include "platform/d3d9/test_device.h"

namespace d3d9 {
namespace {

D3DCAPS9 StandardCaps() {
  D3DCAPS9 caps{};
  caps.DeviceType = D3DDEVTYPE_HAL;
  caps.AdapterOrdinal = 0;
  caps.Caps2 = D3DCAPS2_DYNAMICTEXTURES | D3DCAPS2_CANMANAGERESOURCE;
  caps.PresentationIntervals = D3DPRESENT_INTERVAL_ONE | D3DPRESENT_INTERVAL_IMMEDIATE;
  caps.DevCaps = D3DDEVCAPS_EXECUTESYSTEMMEMORY | D3DDEVCAPS_TLVERTEXSYSTEMMEMORY |
                 D3DDEVCAPS_TEXTURESYSTEMMEMORY | D3DDEVCAPS_DRAWPRIMTLVERTEX |
                 D3DDEVCAPS_CANRENDERAFTERFLIP | D3DDEVCAPS_DRAWPRIMITIVES2 |
                 D3DDEVCAPS_DRAWPRIMITIVES2EX | D3DDEVCAPS_HWTRANSFORMANDLIGHT |
                 D3DDEVCAPS_HWRASTERIZATION;
  caps.PrimitiveMiscCaps = D3DPMISCCAPS_CULLNONE | D3DPMISCCAPS_CULLCW | D3DPMISCCAPS_CULLCCW |
                           D3DPMISCCAPS_COLORWRITEENABLE | D3DPMISCCAPS_CLIPTLVERTS |
                           D3DPMISCCAPS_BLENDOP | D3DPMISCCAPS_SEPARATEALPHABLEND |
                           D3DPMISCCAPS_PERSTAGECONSTANT | D3DPMISCCAPS_TSSARGTEMP;
  // Depth and stencil: z-buffering (no w-buffer, no depth bias) with every comparison, and
  // one-sided stencil with every operation; ZWRITEENABLE masks depth writes.
  caps.RasterCaps = D3DPRASTERCAPS_ZTEST | D3DPRASTERCAPS_MIPMAPLODBIAS | D3DPRASTERCAPS_SCISSORTEST;
  caps.PrimitiveMiscCaps |= D3DPMISCCAPS_MASKZ;
  caps.ZCmpCaps = 0xFF;
  caps.StencilCaps = D3DSTENCILCAPS_KEEP | D3DSTENCILCAPS_ZERO | D3DSTENCILCAPS_REPLACE |
                     D3DSTENCILCAPS_INCRSAT | D3DSTENCILCAPS_DECRSAT | D3DSTENCILCAPS_INVERT |
                     D3DSTENCILCAPS_INCR | D3DSTENCILCAPS_DECR;
  caps.SrcBlendCaps = 0x3FFF;
  caps.DestBlendCaps = 0x3FFF;
  caps.AlphaCmpCaps = 0xFF;
  caps.ShadeCaps = D3DPSHADECAPS_COLORGOURAUDRGB | D3DPSHADECAPS_SPECULARGOURAUDRGB |
                   D3DPSHADECAPS_ALPHAGOURAUDBLEND;
  caps.TextureCaps = D3DPTEXTURECAPS_PERSPECTIVE | D3DPTEXTURECAPS_POW2 |
                     D3DPTEXTURECAPS_ALPHA | D3DPTEXTURECAPS_NONPOW2CONDITIONAL |
                     D3DPTEXTURECAPS_CUBEMAP | D3DPTEXTURECAPS_VOLUMEMAP |
                     D3DPTEXTURECAPS_MIPMAP | D3DPTEXTURECAPS_MIPVOLUMEMAP |
                     D3DPTEXTURECAPS_MIPCUBEMAP | D3DPTEXTURECAPS_CUBEMAP_POW2 |
                     D3DPTEXTURECAPS_VOLUMEMAP_POW2;
  const DWORD filters = D3DPTFILTERCAPS_MINFPOINT | D3DPTFILTERCAPS_MINFLINEAR |
                        D3DPTFILTERCAPS_MIPFPOINT | D3DPTFILTERCAPS_MIPFLINEAR |
                        D3DPTFILTERCAPS_MAGFPOINT | D3DPTFILTERCAPS_MAGFLINEAR;
  caps.TextureFilterCaps = filters;
  caps.CubeTextureFilterCaps = filters;
  caps.VolumeTextureFilterCaps = filters;
  const DWORD addressing = D3DPTADDRESSCAPS_WRAP | D3DPTADDRESSCAPS_MIRROR |
                           D3DPTADDRESSCAPS_CLAMP | D3DPTADDRESSCAPS_BORDER |
                           D3DPTADDRESSCAPS_INDEPENDENTUV | D3DPTADDRESSCAPS_MIRRORONCE;
  caps.TextureAddressCaps = addressing;
  caps.VolumeTextureAddressCaps = addressing;
  caps.LineCaps = D3DLINECAPS_TEXTURE | D3DLINECAPS_ZTEST | D3DLINECAPS_BLEND | D3DLINECAPS_ALPHACMP;
  caps.MaxTextureWidth = 4096;
  caps.MaxTextureHeight = 4096;
  caps.MaxVolumeExtent = 512;
  caps.MaxTextureRepeat = 8192;
  caps.MaxTextureAspectRatio = 4096;
  caps.MaxAnisotropy = 1;
  caps.MaxVertexW = 1e10f;
  caps.GuardBandLeft = -16384.0f;
  caps.GuardBandTop = -16384.0f;
  caps.GuardBandRight = 16384.0f;
  caps.GuardBandBottom = 16384.0f;
  caps.FVFCaps = 8;
  // Every operation but PREMODULATE and the two bump-mapping ones.
  caps.TextureOpCaps =
      D3DTEXOPCAPS_DISABLE | D3DTEXOPCAPS_SELECTARG1 | D3DTEXOPCAPS_SELECTARG2 |
      D3DTEXOPCAPS_MODULATE | D3DTEXOPCAPS_MODULATE2X | D3DTEXOPCAPS_MODULATE4X |
      D3DTEXOPCAPS_ADD | D3DTEXOPCAPS_ADDSIGNED | D3DTEXOPCAPS_ADDSIGNED2X |
      D3DTEXOPCAPS_SUBTRACT | D3DTEXOPCAPS_ADDSMOOTH | D3DTEXOPCAPS_BLENDDIFFUSEALPHA |
      D3DTEXOPCAPS_BLENDTEXTUREALPHA | D3DTEXOPCAPS_BLENDFACTORALPHA |
      D3DTEXOPCAPS_BLENDTEXTUREALPHAPM | D3DTEXOPCAPS_BLENDCURRENTALPHA |
      D3DTEXOPCAPS_MODULATEALPHA_ADDCOLOR | D3DTEXOPCAPS_MODULATECOLOR_ADDALPHA |
      D3DTEXOPCAPS_MODULATEINVALPHA_ADDCOLOR | D3DTEXOPCAPS_MODULATEINVCOLOR_ADDALPHA |
      D3DTEXOPCAPS_DOTPRODUCT3 | D3DTEXOPCAPS_MULTIPLYADD | D3DTEXOPCAPS_LERP;
  caps.MaxTextureBlendStages = 8;
  caps.MaxSimultaneousTextures = 8;
  // Fixed-function lighting: directional lights only (no specular term), any number enabled.
  caps.VertexProcessingCaps = D3DVTXPCAPS_DIRECTIONALLIGHTS;
  caps.MaxActiveLights = 8;
  caps.MaxPointSize = 1.0f;
  caps.MaxPrimitiveCount = 0xFFFFF;
  caps.MaxVertexIndex = 0xFFFFFF;
  caps.MaxStreams = 16;
  caps.MaxStreamStride = 508;
  caps.NumberOfAdaptersInGroup = 1;
  caps.DeclTypes = D3DDTCAPS_UBYTE4 | D3DDTCAPS_UBYTE4N | D3DDTCAPS_SHORT2N |
                   D3DDTCAPS_SHORT4N | D3DDTCAPS_USHORT2N | D3DDTCAPS_USHORT4N |
                   D3DDTCAPS_FLOAT16_2 | D3DDTCAPS_FLOAT16_4;
  caps.NumSimultaneousRTs = 1;
  caps.StretchRectFilterCaps = D3DPTFILTERCAPS_MINFPOINT | D3DPTFILTERCAPS_MINFLINEAR |
                               D3DPTFILTERCAPS_MAGFPOINT | D3DPTFILTERCAPS_MAGFLINEAR;
  return caps;
}

// The desktop's size when a real display is open; 640 x 480 otherwise.
D3DDISPLAYMODE DesktopMode() {
  D3DDISPLAYMODE mode = {640, 480, 60, D3DFMT_X8R8G8B8};
  if (SDL_WasInit(SDL_INIT_VIDEO) == 0) return mode;
  const char* driver = SDL_GetCurrentVideoDriver();
  if (driver == nullptr || std::strcmp(driver, "dummy") == 0 ||
      std::strcmp(driver, "offscreen") == 0) {
    return mode;
  }
  SDL_DisplayMode desktop;
  if (SDL_GetDesktopDisplayMode(0, &desktop) == 0 && desktop.w > 0 && desktop.h > 0) {
    mode.Width = UINT(desktop.w);
    mode.Height = UINT(desktop.h);
    if (desktop.refresh_rate > 0) mode.RefreshRate = UINT(desktop.refresh_rate);
  }
  return mode;
}

}  // namespace

AdapterProfile AdapterProfile::Standard() {
  AdapterProfile profile;
  profile.caps = StandardCaps();
  profile.textureFormats = {
      D3DFMT_A8R8G8B8,     D3DFMT_X8R8G8B8,      D3DFMT_R5G6B5,      D3DFMT_X1R5G5B5,
      D3DFMT_A1R5G5B5,     D3DFMT_A4R4G4B4,      D3DFMT_X4R4G4B4,    D3DFMT_A2B10G10R10,
      D3DFMT_A2R10G10B10,  D3DFMT_A8B8G8R8,      D3DFMT_X8B8G8R8,    D3DFMT_G16R16,
      D3DFMT_A16B16G16R16, D3DFMT_A8,            D3DFMT_L8,          D3DFMT_A8L8,
      D3DFMT_L16,          D3DFMT_R16F,          D3DFMT_G16R16F,     D3DFMT_A16B16G16R16F,
      D3DFMT_R32F,         D3DFMT_G32R32F,       D3DFMT_A32B32G32R32F, D3DFMT_DXT1,
      D3DFMT_DXT2,         D3DFMT_DXT3,          D3DFMT_DXT4,        D3DFMT_DXT5};
  profile.renderTargetFormats = {D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8};
  profile.depthStencilFormats = {D3DFMT_D16,  D3DFMT_D24S8,        D3DFMT_D24X8,
                                 D3DFMT_D32,  D3DFMT_D16_LOCKABLE, D3DFMT_D32F_LOCKABLE};
  profile.displayMode = DesktopMode();
  return profile;
}

}  // namespace d3d9
