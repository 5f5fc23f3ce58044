// The runtime's interfaces in the one reference-count mechanism (platform/win32/com_object.h):
// the identifiers each object answers to, and the names the runtime's code uses for it.
#pragma once

#include <array>

#include "platform/d3d9/interfaces.h"
#include "platform/d3d9/results.h"
#include "platform/win32/com_object.h"

#define MIREFELL_INTERFACE_CHAIN(Interface, ...)                   \
  template <>                                                      \
  struct win32::InterfaceChain<Interface> : win32::ComQueryRules { \
    static constexpr std::array ids{&IID_IUnknown, __VA_ARGS__};   \
  }

MIREFELL_INTERFACE_CHAIN(IDirect3D9, &IID_IDirect3D9);
MIREFELL_INTERFACE_CHAIN(IDirect3DDevice9, &IID_IDirect3DDevice9);
MIREFELL_INTERFACE_CHAIN(IDirect3DTexture9, &IID_IDirect3DResource9, &IID_IDirect3DBaseTexture9,
                         &IID_IDirect3DTexture9);
MIREFELL_INTERFACE_CHAIN(IDirect3DCubeTexture9, &IID_IDirect3DResource9,
                         &IID_IDirect3DBaseTexture9, &IID_IDirect3DCubeTexture9);
MIREFELL_INTERFACE_CHAIN(IDirect3DVolumeTexture9, &IID_IDirect3DResource9,
                         &IID_IDirect3DBaseTexture9, &IID_IDirect3DVolumeTexture9);
MIREFELL_INTERFACE_CHAIN(IDirect3DSurface9, &IID_IDirect3DResource9, &IID_IDirect3DSurface9);
MIREFELL_INTERFACE_CHAIN(IDirect3DVolume9, &IID_IDirect3DVolume9);
MIREFELL_INTERFACE_CHAIN(IDirect3DVertexBuffer9, &IID_IDirect3DResource9,
                         &IID_IDirect3DVertexBuffer9);
MIREFELL_INTERFACE_CHAIN(IDirect3DIndexBuffer9, &IID_IDirect3DResource9,
                         &IID_IDirect3DIndexBuffer9);
MIREFELL_INTERFACE_CHAIN(IDirect3DVertexDeclaration9, &IID_IDirect3DVertexDeclaration9);
MIREFELL_INTERFACE_CHAIN(IDirect3DStateBlock9, &IID_IDirect3DStateBlock9);

#undef MIREFELL_INTERFACE_CHAIN

namespace d3d9 {

using win32::ComObject;
using win32::ComRef;
using win32::HandOut;

}  // namespace d3d9
