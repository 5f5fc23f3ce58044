// GetCharacterPlacementA or W, chosen by the text's character type, with the output arrays the
// font asks for; a null array is not asked for.
#pragma once

#include <type_traits>

#include "platform/gdi/gdi.h"

struct PlacementArrays {
  WORD* glyphs;
  UINT* order = nullptr;
  INT* advances = nullptr;
  char* classes = nullptr;
};

// Returns the number of glyphs placed, at most `count`.
template <typename Char>
UINT PlaceCharacters(HDC dc, const Char* text, UINT count, DWORD flags,
                     const PlacementArrays& arrays) {
  constexpr bool wide = sizeof(Char) == sizeof(WCHAR);
  using Results = std::conditional_t<wide, GCP_RESULTSW, GCP_RESULTSA>;
  Results results{};
  results.lStructSize = sizeof(results);
  results.lpOrder = arrays.order;
  results.lpDx = arrays.advances;
  results.lpClass = arrays.classes;
  results.lpGlyphs = reinterpret_cast<LPWSTR>(arrays.glyphs);
  results.nGlyphs = count;
  if constexpr (wide) {
    GetCharacterPlacementW(dc, text, static_cast<int>(count), 0, &results, flags);
  } else {
    GetCharacterPlacementA(dc, text, static_cast<int>(count), 0, &results, flags);
  }
  return results.nGlyphs < count ? results.nGlyphs : count;
}
