// Runs drawn whole by the shaping services (with fallback faces) and cut into pieces of at most
// one run cell, kept by their characters and direction.
#include "toolkit/font/run_cache.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "toolkit/common/allocation.h"
#include "toolkit/common/result.h"
#include "toolkit/font/cached_font.h"
#include "toolkit/font/text_services.h"

namespace {

constexpr std::size_t firstBucketCount = 64;
// Runs up to this wide leave the surface as wide as they made it.
constexpr INT widestKeptSurface = 4096;

// FNV-1a over the units, with the direction as one more unit.
std::uint32_t HashOf(const WCHAR* text, INT length, bool rightToLeft) {
  std::uint32_t hash = 2166136261u;
  auto take = [&hash](std::uint32_t unit) {
    hash = (hash ^ (unit & 0xFF)) * 16777619u;
    hash = (hash ^ (unit >> 8)) * 16777619u;
  };
  for (INT i = 0; i < length; ++i) take(text[i]);
  take(rightToLeft ? 1 : 0);
  return hash;
}

std::size_t AlignedUp(std::size_t bytes) {
  constexpr std::size_t alignment = alignof(std::max_align_t);
  return (bytes + alignment - 1) / alignment * alignment;
}

}  // namespace

RunEntry* RunCache::Make(const WCHAR* text, INT length, bool rightToLeft, INT pieceCount) {
  if (length <= 0 || pieceCount < 0) return nullptr;
  const std::size_t textAt = AlignedUp(sizeof(RunEntry));
  const std::size_t piecesAt = AlignedUp(textAt + sizeof(WCHAR) * std::size_t(length));
  const std::size_t widthsAt = piecesAt + sizeof(GlyphRecord) * std::size_t(pieceCount);
  const std::size_t bytes = widthsAt + sizeof(INT) * std::size_t(pieceCount);
  auto* block = static_cast<BYTE*>(AllocateBytes(bytes));
  if (block == nullptr) return nullptr;
  auto* entry = reinterpret_cast<RunEntry*>(block);
  *entry = RunEntry{};
  entry->bytes = bytes;
  entry->hash = HashOf(text, length, rightToLeft);
  entry->rightToLeft = rightToLeft;
  entry->length = length;
  entry->pieceCount = pieceCount;
  entry->text = reinterpret_cast<WCHAR*>(block + textAt);
  entry->pieces = reinterpret_cast<GlyphRecord*>(block + piecesAt);
  entry->pieceWidths = reinterpret_cast<INT*>(block + widthsAt);
  std::memcpy(entry->text, text, sizeof(WCHAR) * std::size_t(length));
  std::fill_n(entry->pieces, pieceCount, GlyphRecord{});
  std::fill_n(entry->pieceWidths, pieceCount, 0);
  return entry;
}

void RunCache::Discard(RunEntry* entry) { FreeBytes(entry); }

RunEntry* RunCache::Find(const WCHAR* text, INT length, bool rightToLeft) {
  if (count == 0) return nullptr;
  const std::uint32_t hash = HashOf(text, length, rightToLeft);
  for (RunEntry* entry = *BucketOf(hash); entry != nullptr; entry = entry->chain) {
    if (entry->hash != hash || entry->length != length || entry->rightToLeft != rightToLeft ||
        std::memcmp(entry->text, text, sizeof(WCHAR) * std::size_t(length)) != 0) {
      continue;
    }
    if (entry != newest) {
      Unlink(entry);
      entry->older = newest;
      entry->newer = nullptr;
      newest->newer = entry;
      newest = entry;
    }
    return entry;
  }
  return nullptr;
}

HRESULT RunCache::Add(RunEntry* entry) {
  if (count >= bucketCount && FAILED(Grow())) return E_OUTOFMEMORY;
  RunEntry** bucket = BucketOf(entry->hash);
  entry->chain = *bucket;
  *bucket = entry;
  entry->older = newest;
  entry->newer = nullptr;
  (newest != nullptr ? newest->newer : oldest) = entry;
  newest = entry;
  entryBytes += entry->bytes;
  ++count;
  return S_OK;
}

void RunCache::Remove(RunEntry* entry) {
  RunEntry** link = BucketOf(entry->hash);
  while (*link != entry) link = &(*link)->chain;
  *link = entry->chain;
  Unlink(entry);
  entryBytes -= entry->bytes;
  --count;
  FreeBytes(entry);
}

void RunCache::Clear() {
  while (oldest != nullptr) Remove(oldest);
  FreeBytes(buckets);
  buckets = nullptr;
  bucketCount = 0;
}

// Doubles the bucket table (64 buckets at first) and spreads the entries over it again.
HRESULT RunCache::Grow() {
  const std::size_t grown = bucketCount == 0 ? firstBucketCount : 2 * bucketCount;
  if (grown > SIZE_MAX / sizeof(RunEntry*)) return E_OUTOFMEMORY;
  auto* fresh = static_cast<RunEntry**>(AllocateBytes(grown * sizeof(RunEntry*)));
  if (fresh == nullptr) return E_OUTOFMEMORY;
  std::fill_n(fresh, grown, nullptr);
  for (RunEntry* entry = oldest; entry != nullptr; entry = entry->newer) {
    RunEntry** bucket = &fresh[entry->hash & (grown - 1)];
    entry->chain = *bucket;
    *bucket = entry;
  }
  FreeBytes(buckets);
  buckets = fresh;
  bucketCount = grown;
  return S_OK;
}

void RunCache::Unlink(RunEntry* entry) {
  (entry->older != nullptr ? entry->older->newer : oldest) = entry->newer;
  (entry->newer != nullptr ? entry->newer->older : newest) = entry->older;
  entry->older = entry->newer = nullptr;
}

namespace {

struct RunPiece {
  INT left;
  INT width;
};

// Calls `piece`(left, width) for every piece of [from, to): cut from the left into pieces of at
// most `limit` pixels.
template <typename Piece>
HRESULT ForEachPiece(INT from, INT to, INT limit, Piece piece) {
  for (INT left = from; left < to; left += limit) {
    const HRESULT result = piece(left, std::min(limit, to - left));
    if (FAILED(result)) return result;
  }
  return S_OK;
}

}  // namespace

HRESULT CachedFont::RenderRun(const WCHAR* text, INT length, BOOL rightToLeft,
                              INT* pieceCountOut, GlyphRecord** piecesOut,
                              INT** pieceWidthsOut) {
  if (length <= 0) return D3DERR_INVALIDCALL;
  RunEntry* entry = runCache.Find(text, length, rightToLeft != FALSE);
  if (entry == nullptr) {
    const TextServices& services = SharedTextServices();
    const DWORD flags = SSA_GLYPHS | SSA_FALLBACK | SSA_LINK | (rightToLeft ? SSA_RTL : 0);
    SCRIPT_STRING_ANALYSIS analysis = nullptr;
    const int maxGlyphs = static_cast<int>(std::min<long long>(length * 3LL / 2 + 16, INT_MAX));
    HRESULT result =
        services.scriptStringAnalyse(dc, text, length, maxGlyphs, -1, flags, 0, &scriptControl,
                                     &scriptState, nullptr, nullptr, nullptr, &analysis);
    if (FAILED(result)) return result;
    result = CutRunIntoPieces(analysis, text, length, rightToLeft != FALSE, &entry);
    services.scriptStringFree(&analysis);
    if (FAILED(result)) return result;
  }
  entry->lastUse = useCount;
  *pieceCountOut = entry->pieceCount;
  *piecesOut = entry->pieces;
  *pieceWidthsOut = entry->pieceWidths;
  return S_OK;
}

// Draws an analysed run on the surface (widened when the run needs it) and cuts it into the
// pieces of a new entry: the spans between successive trailing caret edges, each cut from its
// left end into pieces of at most one run cell. The pieces are kept left to right, as glyphs of
// a word are, whichever way the run reads.
HRESULT CachedFont::CutRunIntoPieces(SCRIPT_STRING_ANALYSIS analysis, const WCHAR* text, INT length,
                                     bool rightToLeft, RunEntry** out) {
  const TextServices& services = SharedTextServices();
  const SIZE* measured = services.scriptStringSize(analysis);
  if (measured == nullptr) return E_FAIL;
  const SIZE size = *measured;
  if (size.cx > surfaceWidth && FAILED(ReplaceSurface(size.cx))) return E_OUTOFMEMORY;
  const HRESULT result = DrawAndCutRun(analysis, text, length, rightToLeft, size, out);
  // A surface widened for a very long run goes back to the glyphs' width, so that one such run
  // does not hold its memory for the font's life.
  if (surfaceWidth > std::max<INT>(widestKeptSurface, metrics.tmMaxCharWidth)) {
    ReplaceSurface(metrics.tmMaxCharWidth);
  }
  return result;
}

// The drawing surface replaced by one of `width` pixels, selected into the DC; the old one is
// kept when the new one cannot be had.
HRESULT CachedFont::ReplaceSurface(INT width) {
  HBITMAP replacement = nullptr;
  void* bits = nullptr;
  if (FAILED(MakeSurface(width, surfaceHeight, &replacement, &bits))) return E_OUTOFMEMORY;
  SelectObject(dc, replacement);
  DeleteObject(surface);
  surface = replacement;
  surfaceBits = static_cast<std::uint32_t*>(bits);
  surfaceWidth = width;
  return S_OK;
}

HRESULT CachedFont::DrawAndCutRun(SCRIPT_STRING_ANALYSIS analysis, const WCHAR* text, INT length,
                                  bool rightToLeft, SIZE size, RunEntry** out) {
  const TextServices& services = SharedTextServices();
  const INT runHeight = std::min<INT>(size.cy, surfaceHeight);
  HRESULT result = services.scriptStringOut(analysis, 0, 0, ETO_OPAQUE, nullptr, 0, 0, FALSE);
  if (FAILED(result)) return result;

  const INT limit = static_cast<INT>(runPool.cellSize);
  auto eachSpan = [&](auto onPiece) -> HRESULT {
    int current = 0;
    services.scriptStringCPtoX(analysis, 0, FALSE, &current);
    for (INT i = 0; i < length; ++i) {
      int edge = 0;
      services.scriptStringCPtoX(analysis, i, TRUE, &edge);
      if (edge == current) continue;
      const INT previous = std::clamp<INT>(current, 0, size.cx);
      current = edge;
      const INT next = std::clamp<INT>(edge, 0, size.cx);
      const HRESULT spanResult =
          ForEachPiece(std::min(previous, next), std::max(previous, next), limit, onPiece);
      if (FAILED(spanResult)) return spanResult;
    }
    return S_OK;
  };
  INT count = 0;
  eachSpan([&](INT, INT) {
    ++count;
    return S_OK;
  });
  auto* spans = static_cast<RunPiece*>(AllocateBytes(sizeof(RunPiece) * count));
  RunEntry* entry = RunCache::Make(text, length, rightToLeft, count);
  result = spans != nullptr && entry != nullptr ? S_OK : E_OUTOFMEMORY;
  if (SUCCEEDED(result)) {
    INT k = 0;
    eachSpan([&](INT left, INT width) {
      spans[k++] = RunPiece{left, width};
      return S_OK;
    });
    // A run read right to left gives its spans from the right.
    std::stable_sort(spans, spans + count,
                     [](const RunPiece& a, const RunPiece& b) { return a.left < b.left; });
    // Cells are owned by the entry as they are taken, so that a texture the run is spread over
    // stays while the run is made.
    entry->lastUse = useCount;
    for (k = 0; k < count && SUCCEEDED(result); ++k) {
      entry->pieceWidths[k] = spans[k].width;
      result = RenderIntoCell(spans[k].left, spans[k].width, runHeight, runPool, entry->pieces[k]);
      if (SUCCEEDED(result) && HasImage(entry->pieces[k])) {
        NoteCellOwner(entry->pieces[k].texture, CellOwner{entry, -1});
      }
    }
  }
  FreeBytes(spans);
  if (SUCCEEDED(result)) result = KeepRun(entry);
  if (FAILED(result)) {
    if (entry != nullptr) ForgetRunCells(*entry);
    RunCache::Discard(entry);
    return result;
  }
  *out = entry;
  return S_OK;
}
