// What one of the platform's caches holds against its budget (not part of the program's
// interface beyond reading it): each cache counts its bytes the way its budget is stated.
#pragma once

#include <cstddef>
#include <cstdint>

struct CacheUsage {
  std::size_t bytes = 0;
  std::size_t entries = 0;
  std::uint64_t evictions = 0;  // entries that went to make room, since the process began
};
