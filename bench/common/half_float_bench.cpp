// Half-float conversion over a million values, as the 16-bit float pixel formats use it.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "toolkit/common/d3dx_math.h"

namespace {

constexpr UINT valueCount = 1 << 20;

// Pixel-like values in [0, 1] with some subnormals, large values and specials mixed in.
std::vector<float> SampleFloats() {
  std::vector<float> values(valueCount);
  for (UINT i = 0; i < valueCount; ++i) values[i] = static_cast<float>(i % 4096) / 4095.0f;
  for (UINT i = 0; i < valueCount; i += 97) values[i] = std::ldexp(1.0f, -20) * (i % 7);
  for (UINT i = 5; i < valueCount; i += 101) values[i] = 70000.0f;
  for (UINT i = 9; i < valueCount; i += 1009) values[i] = NAN;
  return values;
}

void BM_Float32To16Array(benchmark::State& state) {
  const std::vector<float> in = SampleFloats();
  std::vector<D3DXFLOAT16> out(valueCount);
  for (auto _ : state) {
    D3DXFloat32To16Array(out.data(), in.data(), valueCount);
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * valueCount);
}
BENCHMARK(BM_Float32To16Array);

void BM_Float16To32Array(benchmark::State& state) {
  std::vector<D3DXFLOAT16> in(valueCount);
  for (UINT i = 0; i < valueCount; ++i) in[i] = D3DXFLOAT16::FromBits(static_cast<WORD>(i));
  std::vector<float> out(valueCount);
  for (auto _ : state) {
    D3DXFloat16To32Array(out.data(), in.data(), valueCount);
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * valueCount);
}
BENCHMARK(BM_Float16To32Array);

}  // namespace
