// Weight lists of the triangle filter on one axis: for each source pixel, the destination
// pixels it reaches and with what weight.
//
// The filter reconstructs the source with a tent on each source pixel (linear interpolation
// between pixel centres) and integrates it over each destination pixel. A source pixel's
// weights add up to m/n (the width of one source pixel in destination units), and each
// destination pixel receives about 1 in all.
#pragma once

#include "platform/win32/types.h"
#include "toolkit/common/growable_array.h"

struct TriangleWeight {
  UINT target;  // destination index
  float weight;
};

class TriangleWeights {
 public:
  // The lists of n source over m destination pixels (n, m > 0). Without wrapping the tent is
  // clipped at the edges and the outer halves of the edge pixels are flat; with wrapping it
  // continues around. E_OUTOFMEMORY when refused memory.
  HRESULT Build(UINT n, UINT m, bool wrap);

  // The weights of source pixel j, in order of destination index (wrapped ones last).
  const TriangleWeight* Begin(UINT j) const { return pairs.Data() + starts[j]; }
  const TriangleWeight* End(UINT j) const { return pairs.Data() + starts[j + 1]; }

  // How many source pixels reach each of the m destination pixels.
  HRESULT CountUses(UINT m, GrowableArray<UINT>& uses) const;

 private:
  HRESULT Append(TriangleWeight pair);
  HRESULT AddHalf(UINT j, int half, UINT n, UINT m, float b, bool wrap, TriangleWeight& pending);

  UINT sources = 0;
  std::size_t count = 0;
  GrowableArray<TriangleWeight> pairs;
  GrowableArray<std::size_t> starts;
};
