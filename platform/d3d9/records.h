// Plain records of the Direct3D 9 interfaces, with their published field order.
#pragma once

#include "platform/d3d9/enums.h"
#include "platform/d3d9/formats.h"
#include "platform/d3d9/math_types.h"
#include "platform/win32/types.h"

struct D3DDISPLAYMODE {
  UINT Width;
  UINT Height;
  UINT RefreshRate;
  D3DFORMAT Format;
};

struct D3DPRESENT_PARAMETERS {
  UINT BackBufferWidth;
  UINT BackBufferHeight;
  D3DFORMAT BackBufferFormat;
  UINT BackBufferCount;
  D3DMULTISAMPLE_TYPE MultiSampleType;
  DWORD MultiSampleQuality;
  D3DSWAPEFFECT SwapEffect;
  HWND hDeviceWindow;
  BOOL Windowed;
  BOOL EnableAutoDepthStencil;
  D3DFORMAT AutoDepthStencilFormat;
  DWORD Flags;
  UINT FullScreen_RefreshRateInHz;
  UINT PresentationInterval;
};

struct D3DDEVICE_CREATION_PARAMETERS {
  UINT AdapterOrdinal;
  D3DDEVTYPE DeviceType;
  HWND hFocusWindow;
  DWORD BehaviorFlags;
};

struct D3DSURFACE_DESC {
  D3DFORMAT Format;
  D3DRESOURCETYPE Type;
  DWORD Usage;
  D3DPOOL Pool;
  D3DMULTISAMPLE_TYPE MultiSampleType;
  DWORD MultiSampleQuality;
  UINT Width;
  UINT Height;
};

struct D3DVOLUME_DESC {
  D3DFORMAT Format;
  D3DRESOURCETYPE Type;
  DWORD Usage;
  D3DPOOL Pool;
  UINT Width;
  UINT Height;
  UINT Depth;
};

struct D3DLOCKED_RECT {
  INT Pitch;
  void* pBits;
};

struct D3DBOX {
  UINT Left;
  UINT Top;
  UINT Right;
  UINT Bottom;
  UINT Front;
  UINT Back;
};

struct D3DLOCKED_BOX {
  INT RowPitch;
  INT SlicePitch;
  void* pBits;
};

struct D3DVERTEXBUFFER_DESC {
  D3DFORMAT Format;
  D3DRESOURCETYPE Type;
  DWORD Usage;
  D3DPOOL Pool;
  UINT Size;
  DWORD FVF;
};

struct D3DINDEXBUFFER_DESC {
  D3DFORMAT Format;
  D3DRESOURCETYPE Type;
  DWORD Usage;
  D3DPOOL Pool;
  UINT Size;
};

struct D3DVERTEXELEMENT9 {
  WORD Stream;
  WORD Offset;
  BYTE Type;
  BYTE Method;
  BYTE Usage;
  BYTE UsageIndex;
};
// The terminator of a vertex declaration.
inline constexpr D3DVERTEXELEMENT9 D3DDECL_END = {0xFF, 0, D3DDECLTYPE_UNUSED, 0, 0, 0};

struct D3DVIEWPORT9 {
  DWORD X;
  DWORD Y;
  DWORD Width;
  DWORD Height;
  float MinZ;
  float MaxZ;
};

struct D3DRECT {
  LONG x1;
  LONG y1;
  LONG x2;
  LONG y2;
};

struct D3DCOLORVALUE {
  float r;
  float g;
  float b;
  float a;
};

struct D3DMATERIAL9 {
  D3DCOLORVALUE Diffuse;
  D3DCOLORVALUE Ambient;
  D3DCOLORVALUE Specular;
  D3DCOLORVALUE Emissive;
  float Power;
};

enum D3DLIGHTTYPE : DWORD { D3DLIGHT_POINT = 1, D3DLIGHT_SPOT = 2, D3DLIGHT_DIRECTIONAL = 3 };

struct D3DLIGHT9 {
  D3DLIGHTTYPE Type;
  D3DCOLORVALUE Diffuse;
  D3DCOLORVALUE Specular;
  D3DCOLORVALUE Ambient;
  D3DVECTOR Position;
  D3DVECTOR Direction;
  float Range;
  float Falloff;
  float Attenuation0;
  float Attenuation1;
  float Attenuation2;
  float Theta;
  float Phi;
};

struct D3DCLIPSTATUS9 {
  DWORD ClipUnion;
  DWORD ClipIntersection;
};

struct D3DRASTER_STATUS {
  BOOL InVBlank;
  UINT ScanLine;
};

struct D3DGAMMARAMP {
  WORD red[256];
  WORD green[256];
  WORD blue[256];
};

// Only passed by pointer; the runtime answers the calls that take them without reading them.
struct D3DADAPTER_IDENTIFIER9;
struct D3DRECTPATCH_INFO;
struct D3DTRIPATCH_INFO;
struct RGNDATA;

enum D3DQUERYTYPE : DWORD {
  D3DQUERYTYPE_VCACHE = 4,
  D3DQUERYTYPE_RESOURCEMANAGER = 5,
  D3DQUERYTYPE_VERTEXSTATS = 6,
  D3DQUERYTYPE_EVENT = 8,
  D3DQUERYTYPE_OCCLUSION = 9
};

static_assert(sizeof(D3DSURFACE_DESC) == 32 && sizeof(D3DVERTEXELEMENT9) == 8);
static_assert(sizeof(D3DVIEWPORT9) == 24 && sizeof(D3DLIGHT9) == 104);
