// What the GDI layer keeps between calls, within a budget a program may change: the rendered
// images of glyphs of every face together, least recently used going first. (The kerning of
// recent glyph pairs is 1,024 slots per face, and the glyphs of the first 256 characters 256.)
#pragma once

#include <cstddef>

#include "platform/win32/cache_usage.h"

namespace gdi {

inline constexpr std::size_t defaultGlyphImageBudget = std::size_t{8} << 20;

// Lets go at once of the images past the new budget.
void SetGlyphImageBudget(std::size_t bytes);
CacheUsage GlyphImageUsage();

}  // namespace gdi
