// Script caches: a shaper for the DC's face, and the positions of the last shaping.
#include "platform/uniscribe/script_cache.h"

#include <algorithm>
#include <new>

#include "platform/gdi/objects.h"
#include "platform/uniscribe/cache_budget.h"
#include "platform/uniscribe/uniscribe.h"

namespace uniscribe {
namespace {

// Kept to the end of the process, so that caches freed from static owners still find it.
LiveHandles& LiveCaches() {
  static auto* caches = new LiveHandles;
  return *caches;
}

}  // namespace

void LiveHandles::Add(const void* handle) { handles_.push_back(handle); }

void LiveHandles::Remove(const void* handle) { std::erase(handles_, handle); }

bool LiveHandles::Contains(const void* handle) const {
  return handle != nullptr && std::find(handles_.begin(), handles_.end(), handle) != handles_.end();
}

std::size_t& ShapedWordBudget() {
  static std::size_t budget = defaultShapedWordBudget;
  return budget;
}

CacheUsage& ShapedWordTotals() {
  static CacheUsage totals;
  return totals;
}

LiveHandles& LiveStringAnalyses() {
  static auto* analyses = new LiveHandles;
  return *analyses;
}

HRESULT ResolveCache(HDC dc, SCRIPT_CACHE* cache, ScriptCacheData** data) {
  if (cache == nullptr) return E_INVALIDARG;
  auto* held = static_cast<ScriptCacheData*>(*cache);
  if (held != nullptr && !LiveCaches().Contains(held)) return E_INVALIDARG;
  if (dc == nullptr) {
    if (held == nullptr) return E_PENDING;
    *data = held;
    return S_OK;
  }
  const gdi::DcObject* context = gdi::LookUpDc(dc);
  if (held != nullptr && context != nullptr && dc == held->checkedDc &&
      context->font == held->checkedFont) {
    *data = held;
    return S_OK;
  }
  const gdi::FontFace* face = gdi::FaceOfDc(dc);
  if (face == nullptr) return E_INVALIDARG;
  if (held != nullptr && held->shaper->Face() == face->FreeTypeFace()) {
    held->checkedDc = dc;
    held->checkedFont = context->font;
    *data = held;
    return S_OK;
  }
  std::shared_ptr<Shaper> shaper = Shaper::ForFace(*face);
  if (!shaper) return E_OUTOFMEMORY;
  if (held == nullptr) {
    held = new (std::nothrow) ScriptCacheData;
    if (held == nullptr) return E_OUTOFMEMORY;
    LiveCaches().Add(held);
    *cache = held;
  }
  held->shaper = std::move(shaper);
  held->checkedDc = dc;
  held->checkedFont = context->font;
  held->lastShaped.clear();
  held->shapedWords.Clear(ShapedWordTotals());
  *data = held;
  return S_OK;
}

HRESULT FreeCache(SCRIPT_CACHE* cache) {
  if (cache == nullptr) return E_INVALIDARG;
  auto* held = static_cast<ScriptCacheData*>(*cache);
  if (held == nullptr) return S_OK;
  if (!LiveCaches().Contains(held)) return E_INVALIDARG;
  LiveCaches().Remove(held);
  held->shapedWords.Clear(ShapedWordTotals());
  delete held;
  *cache = nullptr;
  return S_OK;
}

}  // namespace uniscribe

void uniscribe::SetShapedWordBudget(std::size_t bytes) { ShapedWordBudget() = bytes; }

CacheUsage uniscribe::ShapedWordUsage() { return ShapedWordTotals(); }

HRESULT ScriptFreeCache(SCRIPT_CACHE* cache) { return uniscribe::FreeCache(cache); }
