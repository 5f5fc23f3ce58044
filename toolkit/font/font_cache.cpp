// The glyph cache's budget: what its textures and runs hold, what goes when a new one would pass
// the budget, and when a texture that went is let go of.
#include "toolkit/font/font_cache.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "toolkit/common/allocation.h"
#include "toolkit/font/cached_font.h"
#include "toolkit/sprite/open_batches.h"

namespace {

CachedFont* ToolkitFont(ID3DXFont* font) { return dynamic_cast<CachedFont*>(font); }

}  // namespace

HRESULT GetFontCacheBudget(ID3DXFont* font, FontCacheBudget* budget) {
  CachedFont* cached = ToolkitFont(font);
  if (cached == nullptr || budget == nullptr) return D3DERR_INVALIDCALL;
  *budget = cached->budget;
  return S_OK;
}

HRESULT SetFontCacheBudget(ID3DXFont* font, const FontCacheBudget* budget) {
  CachedFont* cached = ToolkitFont(font);
  if (cached == nullptr || budget == nullptr) return D3DERR_INVALIDCALL;
  cached->SetBudget(*budget);
  return S_OK;
}

HRESULT GetFontCacheUsage(ID3DXFont* font, FontCacheUsage* usage) {
  CachedFont* cached = ToolkitFont(font);
  if (cached == nullptr || usage == nullptr) return D3DERR_INVALIDCALL;
  *usage = cached->Usage();
  return S_OK;
}

void CachedFont::SetBudget(const FontCacheBudget& wanted) {
  budget = wanted;
  const bool wasPinning = std::exchange(pinning, false);
  TrimToBudget();
  pinning = wasPinning;
  ReleaseRetiredTextures();
}

FontCacheUsage CachedFont::Usage() const {
  FontCacheUsage usage{};
  usage.textureBytes = textureBytes;
  usage.textureCount = textureCount;
  usage.retiredBytes = retiredBytes;
  usage.retiredCount = retiredCount;
  usage.runBytes = runCache.Bytes();
  usage.runCount = runCache.Count();
  for (UINT b = 0; b < blockCount; ++b) {
    if (blocks[b] != nullptr)
      usage.tableBytes += 256 * (sizeof(GlyphRecord) + sizeof(**recordUses));
  }
  usage.texturesEvicted = texturesEvicted;
  usage.runsEvicted = runsEvicted;
  return usage;
}

void CachedFont::BeginCacheUse(bool pinningUse, ID3DXSprite* callerSprite) {
  ++useCount;
  pinning = false;
  foreignSprite = nullptr;
  ReleaseRetiredTextures();
  TrimToBudget();
  pinning = pinningUse;
  if (callerSprite != nullptr && !sprite_batches::IsToolkitSprite(callerSprite)) {
    foreignSprite = callerSprite;
  }
}

void CachedFont::EndCacheUse() {
  pinning = true;
  foreignSprite = nullptr;
  ReleaseRetiredTextures();
}

std::size_t CachedFont::TextureBytes(const CellPool& pool) const {
  std::size_t bytes = 0;
  for (UINT level = 0; level < pool.levels; ++level) {
    const std::size_t edge = std::max(pool.textureSize >> level, 1u);
    bytes += edge * edge * 4;
  }
  return bytes;
}

// The texture is the newest of its pool or close to it: the search starts from the end.
void CachedFont::NoteCellOwner(IDirect3DTexture9* texture, CellOwner owner) {
  for (UINT t = textureCount; t-- > 0;) {
    if (textures[t] != texture) continue;
    GlyphTextureCells& cells = textureCells[t];
    if (cells.ownerCount < cells.cellCapacity) cells.owners[cells.ownerCount++] = owner;
    return;
  }
}

void CachedFont::ForgetRunCells(const RunEntry& entry) {
  for (INT k = 0; k < entry.pieceCount; ++k) {
    if (!HasImage(entry.pieces[k])) continue;
    for (UINT t = 0; t < textureCount; ++t) {
      if (textures[t] != entry.pieces[k].texture) continue;
      GlyphTextureCells& cells = textureCells[t];
      for (UINT c = 0; c < cells.ownerCount; ++c) {
        if (cells.owners[c].run == &entry) cells.owners[c] = CellOwner{nullptr, -1};
      }
    }
  }
}

// Older runs go, least recently used first, until the new one fits; runs of the call in
// progress stay, even past the budget.
HRESULT CachedFont::KeepRun(RunEntry* entry) {
  while (runCache.Bytes() + entry->bytes > budget.runBytes) {
    RunEntry* oldest = runCache.Oldest();
    if (oldest == nullptr || (pinning && oldest->lastUse >= useCount)) break;
    DropRun(oldest);
  }
  return runCache.Add(entry);
}

void CachedFont::DropRun(RunEntry* entry) {
  ForgetRunCells(*entry);
  runCache.Remove(entry);
  ++runsEvicted;
}

void CachedFont::MakeRoomForTexture(std::size_t bytes) {
  while (textureBytes + bytes > budget.textureBytes && EvictOneTexture()) {
  }
}

void CachedFont::TrimToBudget() {
  while (textureBytes > budget.textureBytes && EvictOneTexture()) {
  }
  while (runCache.Bytes() > budget.runBytes && runCache.Oldest() != nullptr) {
    DropRun(runCache.Oldest());
  }
}

std::uint64_t CachedFont::LastUseOf(const GlyphTextureCells& cells) const {
  std::uint64_t last = 0;
  for (UINT c = 0; c < cells.ownerCount; ++c) {
    const CellOwner& owner = cells.owners[c];
    if (owner.run != nullptr) {
      last = std::max(last, owner.run->lastUse);
    } else if (owner.glyph >= 0) {
      last = std::max(last, recordUses[owner.glyph >> 8][owner.glyph & 255]);
    }
  }
  return last;
}

bool CachedFont::FillsAPool(const IDirect3DTexture9* texture) const {
  return texture == smallPool.texture || texture == largePool.texture || texture == runPool.texture;
}

// The least recently used texture that no pool is filling and the call in progress does not
// use; the oldest of equals. False when there is none, or no room to hold it while it retires.
bool CachedFont::EvictOneTexture() {
  UINT victim = textureCount;
  std::uint64_t victimUse = std::numeric_limits<std::uint64_t>::max();
  for (UINT t = 0; t < textureCount; ++t) {
    if (FillsAPool(textures[t])) continue;
    const std::uint64_t use = LastUseOf(textureCells[t]);
    if (pinning && use >= useCount) continue;
    if (use < victimUse) victim = t, victimUse = use;
  }
  if (victim == textureCount || FAILED(retired.Reserve(retiredCount + 1, true))) return false;
  // A sprite this toolkit did not make is not among the queues the retired textures wait for.
  if (foreignSprite != nullptr) std::exchange(foreignSprite, nullptr)->Flush();
  EvictTexture(victim);
  return true;
}

// Every glyph in the texture is made again when next asked for, every run with a piece in it is
// dropped, and the texture retires.
void CachedFont::EvictTexture(UINT index) {
  const GlyphTextureCells cells = textureCells[index];
  for (UINT c = 0; c < cells.ownerCount; ++c) {
    const CellOwner owner = cells.owners[c];  // dropping a run clears its owners here too
    if (owner.run != nullptr) {
      DropRun(owner.run);
    } else if (owner.glyph >= 0) {
      blocks[owner.glyph >> 8][owner.glyph & 255] = GlyphRecord{};
      recordUses[owner.glyph >> 8][owner.glyph & 255] = 0;
    }
  }
  FreeBytes(cells.owners);
  retired[retiredCount++] = RetiredTexture{textures[index], cells.bytes, sprite_batches::Clock()};
  retiredBytes += cells.bytes;
  for (UINT t = index; t + 1 < textureCount; ++t) {
    textures[t] = textures[t + 1];
    textureCells[t] = textureCells[t + 1];
  }
  --textureCount;
  textureBytes -= cells.bytes;
  ++texturesEvicted;
}

void CachedFont::ReleaseRetiredTextures() {
  const std::uint64_t oldestOpen = sprite_batches::OldestOpen();
  UINT kept = 0;
  for (UINT r = 0; r < retiredCount; ++r) {
    if (retired[r].retiredAt < oldestOpen) {
      retired[r].texture->Release();
      retiredBytes -= retired[r].bytes;
    } else {
      retired[kept++] = retired[r];
    }
  }
  retiredCount = kept;
}
