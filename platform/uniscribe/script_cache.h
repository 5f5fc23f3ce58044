// What a SCRIPT_CACHE holds, and the handles this module has given out (not part of the
// program's interface).
#pragma once

#include <memory>
#include <vector>

#include "platform/uniscribe/recent_answers.h"
#include "platform/uniscribe/shaper.h"
#include "platform/uniscribe/usp10.h"

namespace uniscribe {

// A text shaped with the cache's face: what ScriptShape hands out, and the shaping's glyphs.
struct ShapedWord {
  std::vector<WORD> glyphs;
  std::vector<WORD> clusters;
  std::vector<SCRIPT_VISATTR> visAttrs;
  std::vector<ShapedGlyph> shaped;
};

// What a shaped word holds, for the budget of the words a cache keeps.
struct ShapedWordBytes {
  std::size_t operator()(const ShapedWord& word) const {
    return sizeof(ShapedWord) + word.glyphs.size() * sizeof(WORD) +
           word.clusters.size() * sizeof(WORD) + word.visAttrs.size() * sizeof(SCRIPT_VISATTR) +
           word.shaped.size() * sizeof(ShapedGlyph);
  }
};

struct ScriptCacheData {
  std::shared_ptr<Shaper> shaper;
  // The DC and its font when the shaper was last found to be theirs: GDI never hands out a
  // handle twice, and a selected font lives, so while that DC holds that font it still is.
  HDC checkedDc = nullptr;
  HGDIOBJ checkedFont = nullptr;
  // The last shaping, in the order its glyphs were handed out, for the placement that follows.
  std::vector<ShapedGlyph> lastShaped;
  // Words of up to 64 units shaped with the face, by their text and what else changes their
  // shaping, within ShapedWordBudget().
  ManyAnswers<ShapedWord, 64, ShapedWordBytes> shapedWords;
};

// The budget of each cache's shaped words, and what every cache's words hold together.
std::size_t& ShapedWordBudget();
CacheUsage& ShapedWordTotals();

// The cache's data: made from the DC's face when the cache is null, and moved to the DC's face
// when the DC has another one since. E_PENDING for a null cache without a DC; E_INVALIDARG for a
// cache this module did not make (or has freed) or a DC without a face; E_OUTOFMEMORY.
HRESULT ResolveCache(HDC dc, SCRIPT_CACHE* cache, ScriptCacheData** data);
HRESULT FreeCache(SCRIPT_CACHE* cache);

// Pointers handed out as handles; a handle that is not live is refused, never followed.
class LiveHandles {
 public:
  void Add(const void* handle);
  void Remove(const void* handle);
  bool Contains(const void* handle) const;

 private:
  std::vector<const void*> handles_;
};

LiveHandles& LiveStringAnalyses();

}  // namespace uniscribe
