// What the shaping module keeps between calls, within budgets a program may change: the words
// each script cache has shaped (least recently used go first), the fallback face lists and the
// fallback faces open at once (least recently used closed first). Recent itemisations and
// word breaks are 16 texts of up to 1,024 units each, kept in turn.
#pragma once

#include <cstddef>

#include "platform/win32/cache_usage.h"

namespace uniscribe {

inline constexpr std::size_t defaultShapedWordBudget = std::size_t{1} << 20;  // per script cache
inline constexpr std::size_t defaultOpenFallbackFaces = 16;

// Bytes of shaped words each script cache keeps; taken in at each cache's next keep.
void SetShapedWordBudget(std::size_t bytes);
// Every script cache's shaped words together.
CacheUsage ShapedWordUsage();
// Fallback faces kept open, over every fallback list (at least one). Entries count faces.
void SetOpenFallbackFaceBudget(std::size_t faces);
CacheUsage OpenFallbackFaceUsage();

}  // namespace uniscribe
