// Choosing the game's random draws in tests: a generator state whose next draws give wanted
// remainders, and a count of the draws made since a state.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <utility>

#include "game/world.h"

inline uint32_t NextState(uint32_t s) { return s * 214013u + 2531011u; }
inline int32_t DrawOf(uint32_t s) { return static_cast<int32_t>((s >> 16) & 0x7FFF); }

// Sets randomState so that the next draws, modulo the given n, give the given remainders.
inline void RigDraws(std::initializer_list<std::pair<int32_t, int32_t>> draws) {
  for (uint32_t seed = 1;; ++seed) {
    uint32_t s = seed;
    bool fits = true;
    for (const auto& [modulus, remainder] : draws) {
      s = NextState(s);
      if (DrawOf(s) % modulus != remainder) {
        fits = false;
        break;
      }
    }
    if (fits) {
      randomState = seed;
      return;
    }
  }
}

// The number of draws that lead from state `from` to the current state (-1 beyond 1000).
inline int DrawsSince(uint32_t from) {
  for (int n = 0; n <= 1000; ++n, from = NextState(from)) {
    if (from == randomState) return n;
  }
  return -1;
}
