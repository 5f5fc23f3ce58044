#include "toolkit/surface/triangle_weights.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float smallestWeight = 0.00001f;
constexpr UINT noTarget = 0xFFFFFFFFu;

}  // namespace

HRESULT TriangleWeights::Append(TriangleWeight pair) {
  if (pair.target == noTarget || !(pair.weight > smallestWeight)) return S_OK;
  const HRESULT hr = pairs.Reserve(count + 1, true);
  if (FAILED(hr)) return hr;
  pairs[count++] = pair;
  return S_OK;
}

// Half 0 rises from 0 to 1 over source coordinates j - 0.5 ... j + 0.5, half 1 falls over
// j + 0.5 ... j + 1.5 (pixel centres at j + 0.5). Contributions to the cell in `pending` are
// summed until the cell changes.
HRESULT TriangleWeights::AddHalf(UINT j, int half, UINT n, UINT m, float b, bool wrap,
                                 TriangleWeight& pending) {
  const float start = static_cast<float>(j) + static_cast<float>(half) - 0.5f;
  float g = start * b;
  float o = g + b;
  if (!wrap) {
    g = std::max(g, 0.0f);
    o = std::min(o, static_cast<float>(m));
  }
  const bool flatRise = !wrap && half == 0 && j == 0;
  const bool flatFall = !wrap && half == 1 && j == n - 1;
  for (float u = std::floor(g); u < o; u += 1.0f) {
    const float low = std::max(g, u), high = std::min(o, u + 1.0f);
    float t = (low + high) * 0.5f / b - start;
    if (flatRise) t = 1.0f;
    if (flatFall) t = 0.0f;
    const float contribution = (half == 0 ? t : 1.0f - t) * (high - low);
    long long cell = static_cast<long long>(u);
    if (wrap) cell = ((cell % static_cast<long long>(m)) + m) % static_cast<long long>(m);
    const auto target = static_cast<UINT>(cell);
    if (target == pending.target) {
      pending.weight += contribution;
      continue;
    }
    const HRESULT hr = Append(pending);
    if (FAILED(hr)) return hr;
    pending = {target, contribution};
  }
  return S_OK;
}

HRESULT TriangleWeights::Build(UINT n, UINT m, bool wrap) {
  sources = n;
  count = 0;
  HRESULT hr = starts.Reserve(static_cast<std::size_t>(n) + 1, false);
  if (FAILED(hr)) return hr;
  const float b = static_cast<float>(m) / static_cast<float>(n);
  for (UINT j = 0; j < n; ++j) {
    starts[j] = count;
    TriangleWeight pending = {noTarget, 0.0f};
    for (int half = 0; half < 2 && SUCCEEDED(hr); ++half) {
      hr = AddHalf(j, half, n, m, b, wrap, pending);
    }
    if (SUCCEEDED(hr)) hr = Append(pending);
    if (FAILED(hr)) return hr;
  }
  starts[n] = count;
  return S_OK;
}

HRESULT TriangleWeights::CountUses(UINT m, GrowableArray<UINT>& uses) const {
  const HRESULT hr = uses.Reserve(m, false);
  if (FAILED(hr)) return hr;
  std::fill(uses.Data(), uses.Data() + m, 0u);
  for (UINT j = 0; j < sources; ++j) {
    for (const TriangleWeight* w = Begin(j); w != End(j); ++w) ++uses[w->target];
  }
  return S_OK;
}
