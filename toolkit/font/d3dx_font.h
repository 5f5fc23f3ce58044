// The published font interface: text drawn with a Windows font through one Direct3D 9 device.
//
// A caller makes the object with D3DXCreateFont (or its Indirect form, from a description) and
// draws with DrawText, either through a sprite it has begun itself or through the font's own
// sprite. Glyphs are rasterised into textures that the font keeps within a budget
// (font_cache.h); Preload* fills that cache ahead of drawing. OnLostDevice goes before a device
// reset and OnResetDevice after it. The object holds a reference to its device.
#pragma once

#include "platform/d3d9/d3d9.h"
#include "platform/gdi/records.h"
#include "platform/win32/types.h"
#include "toolkit/sprite/d3dx_sprite.h"

inline constexpr IID IID_ID3DXFont = {
    0x0B8D1536, 0x9EEC, 0x49B0, {0xA5, 0xAD, 0x93, 0xCF, 0x63, 0xAF, 0xB7, 0xC6}};

struct D3DXFONT_DESCA {
  INT Height;
  UINT Width;
  UINT Weight;
  UINT MipLevels;
  BOOL Italic;
  BYTE CharSet;
  BYTE OutputPrecision;
  BYTE Quality;
  BYTE PitchAndFamily;
  CHAR FaceName[LF_FACESIZE];
};

struct D3DXFONT_DESCW {
  INT Height;
  UINT Width;
  UINT Weight;
  UINT MipLevels;
  BOOL Italic;
  BYTE CharSet;
  BYTE OutputPrecision;
  BYTE Quality;
  BYTE PitchAndFamily;
  WCHAR FaceName[LF_FACESIZE];
};

// DrawText formats. Any other bit makes the call fail.
constexpr DWORD DT_TOP = 0x00000000;
constexpr DWORD DT_LEFT = 0x00000000;
constexpr DWORD DT_CENTER = 0x00000001;
constexpr DWORD DT_RIGHT = 0x00000002;
constexpr DWORD DT_VCENTER = 0x00000004;
constexpr DWORD DT_BOTTOM = 0x00000008;
constexpr DWORD DT_WORDBREAK = 0x00000010;
constexpr DWORD DT_SINGLELINE = 0x00000020;
constexpr DWORD DT_EXPANDTABS = 0x00000040;
constexpr DWORD DT_NOCLIP = 0x00000100;
constexpr DWORD DT_CALCRECT = 0x00000400;
constexpr DWORD DT_RTLREADING = 0x00020000;
// Published but refused here.
constexpr DWORD DT_END_ELLIPSIS = 0x00008000;

// The operations in their slot order.
struct ID3DXFont : IUnknown {
  // Adds a device reference that the caller must release.
  virtual HRESULT GetDevice(IDirect3DDevice9** device) = 0;
  // The description as the GDI font reports it (Quality after the default was chosen).
  virtual HRESULT GetDescA(D3DXFONT_DESCA* desc) = 0;
  virtual HRESULT GetDescW(D3DXFONT_DESCW* desc) = 0;
  // The memory DC with the font and the drawing surface selected; the caller may draw with it
  // but must leave both selected.
  virtual HDC GetDC() = 0;
  // The cached image of a glyph: its texture (a reference for the caller; null for a glyph
  // without ink), its rectangle in level 0 and where that rectangle lies from the pen.
  virtual HRESULT GetGlyphData(UINT glyph, IDirect3DTexture9** texture, RECT* blackBox,
                               POINT* cellInc) = 0;
  virtual HRESULT PreloadCharacters(UINT first, UINT last) = 0;
  virtual HRESULT PreloadGlyphs(UINT first, UINT last) = 0;
  // Count -1: up to the terminating zero.
  virtual HRESULT PreloadTextA(LPCSTR text, INT count) = 0;
  virtual HRESULT PreloadTextW(LPCWSTR text, INT count) = 0;
  // The height of the drawn text from the rectangle's top, or 0 on failure. `sprite`, when
  // given, must have been begun by the caller; otherwise the font's own sprite is used.
  virtual INT DrawTextA(ID3DXSprite* sprite, LPCSTR text, INT count, RECT* rect, DWORD format,
                        D3DCOLOR colour) = 0;
  virtual INT DrawTextW(ID3DXSprite* sprite, LPCWSTR text, INT count, RECT* rect, DWORD format,
                        D3DCOLOR colour) = 0;
  virtual HRESULT OnLostDevice() = 0;
  virtual HRESULT OnResetDevice() = 0;

 protected:
  ~ID3DXFont() = default;
};

HRESULT D3DXCreateFontA(IDirect3DDevice9* device, INT height, UINT width, UINT weight,
                        UINT mipLevels, BOOL italic, DWORD charSet, DWORD outputPrecision,
                        DWORD quality, DWORD pitchAndFamily, LPCSTR faceName, ID3DXFont** font);
HRESULT D3DXCreateFontW(IDirect3DDevice9* device, INT height, UINT width, UINT weight,
                        UINT mipLevels, BOOL italic, DWORD charSet, DWORD outputPrecision,
                        DWORD quality, DWORD pitchAndFamily, LPCWSTR faceName, ID3DXFont** font);
HRESULT D3DXCreateFontIndirectA(IDirect3DDevice9* device, const D3DXFONT_DESCA* desc,
                                ID3DXFont** font);
HRESULT D3DXCreateFontIndirectW(IDirect3DDevice9* device, const D3DXFONT_DESCW* desc,
                                ID3DXFont** font);
