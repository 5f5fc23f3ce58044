// Copying a drawn glyph from the surface into the next free cell of a pool, with its mip
// levels filtered in gamma-2.2 space.
#include <algorithm>

#include "toolkit/common/allocation.h"
#include "toolkit/common/result.h"
#include "toolkit/font/cached_font.h"
#include "toolkit/surface/gamma.h"

namespace {

constexpr std::uint32_t transparentWhite = 0x00FFFFFF;

// Bit 2k of a Z-order position is bit k of x, bit 2k + 1 bit k of y.
POINT CellPosition(UINT position) {
  LONG x = 0, y = 0;
  for (UINT bit = 0; bit < 16; ++bit) {
    x |= static_cast<LONG>((position >> (2 * bit)) & 1) << bit;
    y |= static_cast<LONG>((position >> (2 * bit + 1)) & 1) << bit;
  }
  return POINT{x, y};
}

std::uint32_t* TexelRow(const D3DLOCKED_RECT& locked, UINT row) {
  return reinterpret_cast<std::uint32_t*>(static_cast<BYTE*>(locked.pBits) +
                                          std::size_t(row) * locked.Pitch);
}

void FillLevel(IDirect3DTexture9* texture, UINT level, UINT size) {
  D3DLOCKED_RECT locked{};
  if (FAILED(texture->LockRect(level, &locked, nullptr, 0))) return;
  for (UINT row = 0; row < size; ++row) std::fill_n(TexelRow(locked, row), size, transparentWhite);
  texture->UnlockRect(level);
}

struct InkBox {
  UINT minCol = ~0u, maxCol = 0, minRow = ~0u, maxRow = 0;
  bool Empty() const { return minCol == ~0u; }
  void Take(UINT col, UINT row) {
    minCol = std::min(minCol, col);
    maxCol = std::max(maxCol, col);
    minRow = std::min(minRow, row);
    maxRow = std::max(maxRow, row);
  }
};

}  // namespace

// A new texture for `pool`, every texel of every level white and fully transparent.
HRESULT CachedFont::AddGlyphTexture(CellPool& pool) {
  const std::size_t bytes = TextureBytes(pool);
  MakeRoomForTexture(bytes);
  if (FAILED(textures.Reserve(textureCount + 1, true)) ||
      FAILED(textureCells.Reserve(textureCount + 1, true))) {
    return E_OUTOFMEMORY;
  }
  const UINT cells = pool.textureArea / pool.cellArea;
  auto* owners = static_cast<CellOwner*>(AllocateBytes(sizeof(CellOwner) * cells));
  if (owners == nullptr) return E_OUTOFMEMORY;
  IDirect3DTexture9* texture = nullptr;
  const HRESULT result = device->CreateTexture(pool.textureSize, pool.textureSize, pool.levels, 0,
                                               textureFormat, D3DPOOL_MANAGED, &texture, nullptr);
  if (FAILED(result)) {
    FreeBytes(owners);
    return result;
  }
  textures[textureCount] = texture;
  textureCells[textureCount] = GlyphTextureCells{bytes, 0, cells, owners};
  ++textureCount;
  textureBytes += bytes;
  pool.texture = texture;
  pool.nextCell = 0;
  for (UINT level = 0; level < pool.levels; ++level) {
    FillLevel(texture, level, std::max(pool.textureSize >> level, 1u));
  }
  return S_OK;
}

// Pixels that reach past the surface or the cell are cut off: the copy never leaves the
// surface row nor the cell.
HRESULT CachedFont::RenderIntoCell(INT x0, INT width, INT height, CellPool& pool,
                                   GlyphRecord& record) {
  if (pool.nextCell + pool.cellArea > pool.textureArea) {
    const HRESULT result = AddGlyphTexture(pool);
    if (FAILED(result)) return result;
  }
  const POINT cell = CellPosition(pool.nextCell);
  const UINT x = static_cast<UINT>(cell.x), y = static_cast<UINT>(cell.y);
  const UINT size = pool.cellSize;
  const UINT w = static_cast<UINT>(std::clamp(std::min(width, surfaceWidth - x0), 0,
                                              static_cast<INT>(size)));
  const UINT h = static_cast<UINT>(std::clamp(std::min(height, surfaceHeight), 0,
                                              static_cast<INT>(size)));
  const bool mips = pool.levels > 1;
  if (mips) std::fill_n(mipScratch, 2 * pool.cellArea, 0.0f);
  const UINT dx = x + (size - w) / 2, dy = y + (size - h) / 2;

  InkBox box;
  D3DLOCKED_RECT locked{};
  const bool writable = SUCCEEDED(pool.texture->LockRect(0, &locked, nullptr, 0));
  for (UINT ry = 0; ry < h; ++ry) {
    const std::uint32_t* source = surfaceBits + std::size_t(ry) * surfaceWidth + x0;
    for (UINT cx = 0; cx < w; ++cx) {
      const UINT v = (source[cx] >> 8) & 0xFF;
      if (v == 0) continue;
      box.Take(cx, ry);
      if (writable) TexelRow(locked, dy + ry)[dx + cx] = (v << 24) | 0xFFFFFF;
      if (mips) mipScratch[2 * ((dy - y + ry) * size + dx - x + cx)] = ExpandGamma(v / 255.0f);
    }
  }
  if (writable) pool.texture->UnlockRect(0);
  if (box.Empty()) {
    record.texture = noGlyphImage;
    return S_OK;
  }
  if (mips) {
    for (UINT row = dy - y + box.minRow; row <= dy - y + box.maxRow; ++row) {
      for (UINT col = dx - x + box.minCol; col <= dx - x + box.maxCol; ++col) {
        mipScratch[2 * (row * size + col) + 1] = 1.0f;
      }
    }
    for (UINT level = 1; level < pool.levels; ++level) {
      const UINT n = size >> level;
      const bool levelWritable = SUCCEEDED(pool.texture->LockRect(level, &locked, nullptr, 0));
      for (UINT j = 0; j < n; ++j) {
        for (UINT i = 0; i < n; ++i) {
          const float* a = mipScratch + 2 * ((2 * j) * size + 2 * i);
          const float* b = a + 2 * size;
          const float value = (a[0] + a[2] + b[0] + b[2]) * 0.25f;
          const float weight = (a[1] + a[3] + b[1] + b[3]) * 0.25f;
          float* out = mipScratch + 2 * (j * size + i);
          out[0] = value;
          out[1] = weight;
          if (weight == 0.0f || !levelWritable) continue;
          const UINT alpha = static_cast<UINT>(CompressGamma(value / weight) * 255.0f + 0.5f);
          TexelRow(locked, (y >> level) + j)[(x >> level) + i] = (alpha << 24) | 0xFFFFFF;
        }
      }
      if (levelWritable) pool.texture->UnlockRect(level);
    }
  }
  record.texture = pool.texture;
  record.left = static_cast<std::uint16_t>(dx + box.minCol);
  record.top = static_cast<std::uint16_t>(dy + box.minRow);
  record.right = static_cast<std::uint16_t>(dx + box.maxCol + 1);
  record.bottom = static_cast<std::uint16_t>(dy + box.maxRow + 1);
  record.originX = static_cast<std::int16_t>(box.minCol);
  record.originY = static_cast<std::int16_t>(box.minRow);
  // One transparent texel of margin where the cell has room, so that filtering at the edge of
  // the rectangle reads no neighbour's ink.
  if (record.left > x) --record.left, --record.originX;
  if (record.top > y) --record.top, --record.originY;
  if (record.right < x + size) ++record.right;
  if (record.bottom < y + size) ++record.bottom;
  pool.nextCell += pool.cellArea;
  return S_OK;
}
