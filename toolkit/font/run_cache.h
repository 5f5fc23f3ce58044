// The run cache: runs drawn whole by the shaping services (with fallback faces), cut into
// pieces of at most one run cell, and found again by their characters and direction.
//
// Entries are kept in a hash table, so that finding a run costs the same however many are
// kept, and in the order of their last use, so that the least recently used goes first when
// the font's budget is full. Each entry is one block: the entry, its characters, its pieces and
// their widths.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/win32/types.h"

struct GlyphRecord;

struct RunEntry {
  RunEntry* chain;  // the next entry of its bucket
  RunEntry* older;  // neighbours in the order of use
  RunEntry* newer;
  std::uint64_t lastUse;  // the font's use count when it was last handed out
  std::size_t bytes;      // of the whole block
  std::uint32_t hash;
  bool rightToLeft;
  INT length;
  INT pieceCount;
  WCHAR* text;
  GlyphRecord* pieces;  // left to right
  INT* pieceWidths;
};

class RunCache {
 public:
  RunCache() = default;
  ~RunCache() { Clear(); }
  RunCache(const RunCache&) = delete;
  RunCache& operator=(const RunCache&) = delete;

  // A new entry holding the run's key and room for `pieceCount` pieces, not in the cache yet;
  // null when the memory is refused.
  static RunEntry* Make(const WCHAR* text, INT length, bool rightToLeft, INT pieceCount);
  // Frees an entry that was never added.
  static void Discard(RunEntry* entry);

  // The run's entry, made the most recently used; null when it is not kept.
  RunEntry* Find(const WCHAR* text, INT length, bool rightToLeft);
  // Keeps `entry` as the most recently used; E_OUTOFMEMORY (and nothing kept) when the table
  // cannot grow for it.
  HRESULT Add(RunEntry* entry);
  // Takes `entry` out of the cache and frees it.
  void Remove(RunEntry* entry);
  void Clear();

  RunEntry* Oldest() const { return oldest; }
  // Entries and bucket table together.
  std::size_t Bytes() const { return entryBytes + bucketCount * sizeof(RunEntry*); }
  UINT Count() const { return count; }

 private:
  RunEntry** BucketOf(std::uint32_t hash) { return &buckets[hash & (bucketCount - 1)]; }
  HRESULT Grow();
  void Unlink(RunEntry* entry);

  RunEntry** buckets = nullptr;
  std::size_t bucketCount = 0;  // a power of two, or 0 before the first entry
  RunEntry* oldest = nullptr;
  RunEntry* newest = nullptr;
  std::size_t entryBytes = 0;
  UINT count = 0;
};
