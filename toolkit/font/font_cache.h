// How much a font's glyph cache may hold, and what it holds: this toolkit's own addition to the
// published font interface.
//
// A font keeps its glyph textures and its runs drawn whole within a budget. When a new texture
// or run would pass it, what was drawn least recently goes first; a glyph or run that went is
// drawn again, the same, when it is next needed. Nothing a call is still using goes, and a
// texture that goes is held until no sprite queue open when it went can still draw from it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/win32/types.h"
#include "toolkit/font/d3dx_font.h"

struct FontCacheBudget {
  std::size_t textureBytes;  // glyph textures: every level of every pool
  std::size_t runBytes;      // runs drawn whole: their characters, pieces and widths
};

// What every font starts with: 16 MiB of glyph textures, 1 MiB of runs.
inline constexpr FontCacheBudget defaultFontCacheBudget = {std::size_t{16} << 20,
                                                           std::size_t{1} << 20};

struct FontCacheUsage {
  std::size_t textureBytes;  // glyph textures in use
  UINT textureCount;
  // Textures let go of but held until no open sprite queue can still draw from them.
  std::size_t retiredBytes;
  UINT retiredCount;
  std::size_t runBytes;  // runs kept, with their table
  UINT runCount;
  // Glyph records and when each was last used: one block per 256 glyph indices in use, at
  // most 2 MiB whatever is drawn.
  std::size_t tableBytes;
  std::uint64_t texturesEvicted;
  std::uint64_t runsEvicted;
};

// D3DERR_INVALIDCALL for a null argument or a font this toolkit did not make. Setting a budget
// lets go at once of what it no longer has room for; the textures a pool is filling stay.
HRESULT GetFontCacheBudget(ID3DXFont* font, FontCacheBudget* budget);
HRESULT SetFontCacheBudget(ID3DXFont* font, const FontCacheBudget* budget);
HRESULT GetFontCacheUsage(ID3DXFont* font, FontCacheUsage* usage);
