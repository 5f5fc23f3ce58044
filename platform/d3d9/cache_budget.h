// What the software device derives from textures and keeps between draws, within a budget a
// program may change: each drawn level's texels decoded to 32 bits (for every format but
// D3DFMT_A8R8G8B8, which is drawn from its own memory) and the index of its transparent and
// opaque runs. The least recently drawn levels' data goes first and is derived again when they
// are next drawn; a draw never loses what it is drawing from.
#pragma once

#include <cstddef>

#include "platform/win32/cache_usage.h"

namespace d3d9 {

inline constexpr std::size_t defaultDerivedTexelBudget = std::size_t{256} << 20;

// Lets go at once of what passes the new budget.
void SetDerivedTexelBudget(std::size_t bytes);
CacheUsage DerivedTexelUsage();

}  // namespace d3d9
