// The published sprite interface: textured, vertex-coloured rectangles drawn in batches through
// one Direct3D 9 device.
//
// A caller makes the object with D3DXCreateSprite, then repeats Begin, any number of Draw
// calls (with Flush and SetTransform allowed in between) and End. OnLostDevice goes before a
// device reset and OnResetDevice after it. The object holds a reference to its device; it
// holds none to the textures given to Draw, which must stay alive until the Flush or End that
// draws them.
#pragma once

#include "platform/d3d9/d3d9.h"
#include "platform/win32/types.h"
#include "toolkit/common/d3dx_math.h"

inline constexpr IID IID_ID3DXSprite = {
    0xD4715B38, 0x6C44, 0x472A, {0x90, 0x24, 0x6E, 0x2B, 0x03, 0x21, 0xCA, 0xC6}};

// Begin flags. Begin refuses any bit above these eight.
// Capture nothing at Begin and restore nothing at End.
constexpr DWORD D3DXSPRITE_DONOTSAVESTATE = 1 << 0;
// Leave the general device states alone: neither set nor saved.
constexpr DWORD D3DXSPRITE_DONOTMODIFY_RENDERSTATE = 1 << 1;
// Positions are in object space; the device transforms are left alone.
constexpr DWORD D3DXSPRITE_OBJECTSPACE = 1 << 2;
// Sprites face the viewer; implies D3DXSPRITE_OBJECTSPACE.
constexpr DWORD D3DXSPRITE_BILLBOARD = 1 << 3;
// Set (and save and restore) alpha test and source-alpha blending.
constexpr DWORD D3DXSPRITE_ALPHABLEND = 1 << 4;
// Group the batch by texture when it is drawn.
constexpr DWORD D3DXSPRITE_SORT_TEXTURE = 1 << 5;
// Draw the batch by ascending depth key; wins over D3DXSPRITE_SORT_DEPTH_BACKTOFRONT.
constexpr DWORD D3DXSPRITE_SORT_DEPTH_FRONTTOBACK = 1 << 6;
// Draw the batch by descending depth key.
constexpr DWORD D3DXSPRITE_SORT_DEPTH_BACKTOFRONT = 1 << 7;

// The operations in their published slot order.
struct ID3DXSprite : IUnknown {
  // Adds a device reference that the caller must release.
  virtual HRESULT GetDevice(IDirect3DDevice9** device) = 0;
  virtual HRESULT GetTransform(D3DXMATRIX* transform) = 0;
  // Applies to the sprites drawn after the call.
  virtual HRESULT SetTransform(const D3DXMATRIX* transform) = 0;
  // World x view for billboards and depth sorting; refused inside Begin/End.
  virtual HRESULT SetWorldViewRH(const D3DXMATRIX* world, const D3DXMATRIX* view) = 0;
  virtual HRESULT SetWorldViewLH(const D3DXMATRIX* world, const D3DXMATRIX* view) = 0;
  virtual HRESULT Begin(DWORD flags) = 0;
  // Queues the source rectangle of level 0 (right and bottom exclusive; null: the whole
  // level) so that its point `center` lands on `position`. Null center and position mean 0.
  virtual HRESULT Draw(IDirect3DTexture9* texture, const RECT* source,
                       const D3DXVECTOR3* center, const D3DXVECTOR3* position,
                       D3DCOLOR colour) = 0;
  // Draws and empties the queue; only inside Begin/End.
  virtual HRESULT Flush() = 0;
  // Draws what is queued and restores the states that Begin saved.
  virtual HRESULT End() = 0;
  virtual HRESULT OnLostDevice() = 0;
  virtual HRESULT OnResetDevice() = 0;

 protected:
  ~ID3DXSprite() = default;
};

// A new sprite object on `device`, with one reference, in *out.
HRESULT D3DXCreateSprite(IDirect3DDevice9* device, ID3DXSprite** out);
