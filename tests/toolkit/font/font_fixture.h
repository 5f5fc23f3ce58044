// Fonts on the 64 x 64 test device, a sprite that records what the font queues on it, and
// helpers to read glyph textures back.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/win32/com_object.h"
#include "tests/platform/d3d9/device_fixture.h"
#include "toolkit/font/cached_font.h"

namespace font_test {

// One Draw call as the sprite received it.
struct QueuedGlyph {
  IDirect3DTexture9* texture;
  RECT source;
  D3DXVECTOR3 center;
  D3DXVECTOR3 position;
  D3DCOLOR colour;
  // Where the source's top-left lands on the screen.
  LONG ScreenLeft() const { return static_cast<LONG>(position.x - center.x); }
  LONG ScreenTop() const { return static_cast<LONG>(position.y - center.y); }
};

// A caller's sprite: counts Begin and End and records every Draw.
class RecordingSprite final : public ID3DXSprite {
 public:
  HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
  ULONG AddRef() override { return 2; }
  ULONG Release() override { return 1; }
  HRESULT GetDevice(IDirect3DDevice9**) override { return E_FAIL; }
  HRESULT GetTransform(D3DXMATRIX*) override { return E_FAIL; }
  HRESULT SetTransform(const D3DXMATRIX*) override { return E_FAIL; }
  HRESULT SetWorldViewRH(const D3DXMATRIX*, const D3DXMATRIX*) override { return E_FAIL; }
  HRESULT SetWorldViewLH(const D3DXMATRIX*, const D3DXMATRIX*) override { return E_FAIL; }
  HRESULT Begin(DWORD) override {
    ++begins;
    return S_OK;
  }
  HRESULT Draw(IDirect3DTexture9* texture, const RECT* source, const D3DXVECTOR3* center,
               const D3DXVECTOR3* position, D3DCOLOR colour) override {
    drawn.push_back({texture, *source, *center, *position, colour});
    return drawResult;
  }
  HRESULT Flush() override { return S_OK; }
  HRESULT End() override {
    ++ends;
    return S_OK;
  }
  HRESULT OnLostDevice() override { return S_OK; }
  HRESULT OnResetDevice() override { return S_OK; }

  std::vector<QueuedGlyph> drawn;
  int begins = 0;
  int ends = 0;
  HRESULT drawResult = S_OK;
};

// Fonts analyse with GDI here unless a test shows the shaping module, which every program has
// from start-up; whatever a test did to the module, the real one is back afterwards.
class FontTest : public d3d9_test::DeviceTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Shows or hides "usp10.dll" and forgets the probe, so that the next font takes that path.
  static void UseShapingModule(bool shown);

  // A font made by D3DXCreateFontA and kept for release at the end.
  CachedFont* MakeFont(const char* face, INT height, UINT mipLevels = 0, DWORD quality = 0);
  // Level `level` of a glyph texture, row after row.
  std::vector<std::uint32_t> ReadLevel(IDirect3DTexture9* texture, UINT level);
  // The record of the glyph of a character, cached on the way.
  GlyphRecord& RecordOf(CachedFont* font, WCHAR character);
  WORD GlyphOf(CachedFont* font, WCHAR character);
  // Glyph positions of the words of the last analysis, as the characters they stand for.
  std::vector<std::u16string> WordTexts(CachedFont* font);

  std::vector<CachedFont*> fonts;
};

}  // namespace font_test
