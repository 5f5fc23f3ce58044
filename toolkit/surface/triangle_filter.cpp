// D3DX_FILTER_TRIANGLE, and every case no other strategy takes: a tent reconstruction of the
// source integrated over each destination pixel, separably on each axis.
//
// Source rows (in 3-D, slices) are read once, in order, and spread into accumulation rows
// (planes) of the destination rows (slices) they reach. A destination row is complete when
// its last contributing source row has been added; it is then clamped to the source's value
// range, encoded, and its buffer goes back on a free list for a later row.
#include <algorithm>
#include <cstring>

#include "toolkit/common/allocation.h"
#include "toolkit/surface/blitter.h"
#include "toolkit/surface/float_row.h"
#include "toolkit/surface/triangle_weights.h"

namespace {

// Accumulation buffers for the destination rows (2-D) or slices (3-D) still being summed.
class Accumulators {
 public:
  Accumulators() = default;
  ~Accumulators() {
    for (std::size_t i = 0; i < targets; ++i) FreeBytes(records[i].pixels);
    while (freeList != nullptr) {
      FloatPixel* next = NextFree(freeList);
      FreeBytes(freeList);
      freeList = next;
    }
  }
  Accumulators(const Accumulators&) = delete;
  Accumulators& operator=(const Accumulators&) = delete;

  // `count` targets of `size` pixels each, with the number of contributions each awaits.
  HRESULT Prepare(std::size_t count, std::size_t size, const GrowableArray<UINT>& uses) {
    HRESULT hr = records.Reserve(count, false);
    if (FAILED(hr)) return hr;
    for (std::size_t i = 0; i < count; ++i) records[i] = {nullptr, uses[i]};
    targets = count;
    pixelsPerTarget = size;
    return S_OK;
  }

  // The buffer of target t, zeroed on first use; null when memory is refused.
  FloatPixel* Acquire(UINT t) {
    Record& record = records[t];
    if (record.pixels != nullptr) return record.pixels;
    FloatPixel* buffer = freeList;
    if (buffer != nullptr) {
      freeList = NextFree(buffer);
    } else {
      buffer = static_cast<FloatPixel*>(AllocateBytes(pixelsPerTarget * sizeof(FloatPixel)));
      if (buffer == nullptr) return nullptr;
    }
    std::fill(buffer, buffer + pixelsPerTarget, FloatPixel{0, 0, 0, 0});
    record.pixels = buffer;
    return buffer;
  }

  FloatPixel* Buffer(UINT t) { return records[t].pixels; }

  // Counts one contribution to t; true when it was the last.
  bool Contributed(UINT t) { return --records[t].pending == 0; }

  void Recycle(UINT t) {
    FloatPixel* buffer = records[t].pixels;
    records[t].pixels = nullptr;
    std::memcpy(buffer, &freeList, sizeof(freeList));
    freeList = buffer;
  }

 private:
  struct Record {
    FloatPixel* pixels;
    UINT pending;
  };

  // A buffer on the free list holds the next one's address in its first bytes.
  static FloatPixel* NextFree(FloatPixel* buffer) {
    FloatPixel* next;
    std::memcpy(&next, buffer, sizeof(next));
    return next;
  }

  GrowableArray<Record> records;
  std::size_t targets = 0;
  std::size_t pixelsPerTarget = 0;
  FloatPixel* freeList = nullptr;
};

float Clamp(float x, float low, float high) {
  x = x > low ? x : low;
  return x < high ? x : high;
}

// Keeps the sums within the value range of the source's class; floats are left alone.
void ClampToClass(FloatPixel* row, UINT width, NumericClass numericClass) {
  if (numericClass == NumericClass::Float) return;
  const float colourLow = numericClass == NumericClass::Unorm ? 0.0f : -1.0f;
  const float alphaLow = numericClass == NumericClass::SnormAll ? -1.0f : 0.0f;
  for (UINT x = 0; x < width; ++x) {
    FloatPixel& p = row[x];
    p = {Clamp(p.r, colourLow, 1.0f), Clamp(p.g, colourLow, 1.0f), Clamp(p.b, colourLow, 1.0f),
         Clamp(p.a, alphaLow, 1.0f)};
  }
}

// acc[c] += src[x] * (wx * weight) for every source pixel x and each of its columns c.
void SpreadRow(const FloatPixel* src, UINT width, const TriangleWeights& columns, float weight,
               FloatPixel* acc) {
  for (UINT x = 0; x < width; ++x) {
    const FloatPixel p = src[x];
    for (const TriangleWeight* w = columns.Begin(x); w != columns.End(x); ++w) {
      const float k = w->weight * weight;
      FloatPixel& a = acc[w->target];
      a.r += p.r * k;
      a.g += p.g * k;
      a.b += p.b * k;
      a.a += p.a * k;
    }
  }
}

struct TriangleAxes {
  TriangleWeights x, y, z;
};

HRESULT BuildAxes(Blitter& blitter, bool withDepth, TriangleAxes& axes) {
  const RowConverter& dest = blitter.Dest();
  const RowConverter& source = blitter.Source();
  HRESULT hr = axes.x.Build(source.Width(), dest.Width(), blitter.WrapsX());
  if (SUCCEEDED(hr)) hr = axes.y.Build(source.Height(), dest.Height(), blitter.WrapsY());
  if (SUCCEEDED(hr) && withDepth) {
    hr = axes.z.Build(source.Depth(), dest.Depth(), blitter.WrapsZ());
  }
  return hr;
}

// Destination rows (2-D) or slices (3-D) that no source reaches get transparent black; this
// only happens when every weight towards them is negligible.
void ClearUnreached(RowConverter& dest, const GrowableArray<UINT>& uses, bool slices,
                    FloatRow& zeroes) {
  const UINT targets = slices ? dest.Depth() : dest.Height();
  for (UINT t = 0; t < targets; ++t) {
    if (uses[t] != 0) continue;
    if (!slices) {
      dest.EncodeRow(t, 0, zeroes.Data());
      continue;
    }
    for (UINT y = 0; y < dest.Height(); ++y) dest.EncodeRow(y, t, zeroes.Data());
  }
}

}  // namespace

HRESULT TriangleFilter2D(Blitter& blitter) {
  RowConverter& dest = blitter.Dest();
  RowConverter& source = blitter.Source();
  if (source.Depth() != 1 || dest.Depth() != 1) return E_FAIL;
  TriangleAxes axes;
  GrowableArray<UINT> uses;
  HRESULT hr = BuildAxes(blitter, false, axes);
  if (SUCCEEDED(hr)) hr = axes.y.CountUses(dest.Height(), uses);
  Accumulators rows;
  if (SUCCEEDED(hr)) hr = rows.Prepare(dest.Height(), dest.Width(), uses);
  FloatRow sourceRow, zeroes;
  if (SUCCEEDED(hr) &&
      (!sourceRow.Allocate(source.Width()) || !zeroes.AllocateZeroed(dest.Width()))) {
    hr = E_OUTOFMEMORY;
  }
  if (FAILED(hr)) return hr;

  for (UINT i = 0; i < source.Height(); ++i) {
    for (const TriangleWeight* r = axes.y.Begin(i); r != axes.y.End(i); ++r) {
      if (rows.Acquire(r->target) == nullptr) return E_OUTOFMEMORY;
    }
    source.DecodeRow(i, 0, sourceRow.Data());
    for (const TriangleWeight* r = axes.y.Begin(i); r != axes.y.End(i); ++r) {
      SpreadRow(sourceRow.Data(), source.Width(), axes.x, r->weight, rows.Buffer(r->target));
    }
    for (const TriangleWeight* r = axes.y.Begin(i); r != axes.y.End(i); ++r) {
      if (!rows.Contributed(r->target)) continue;
      FloatPixel* done = rows.Buffer(r->target);
      ClampToClass(done, dest.Width(), source.Class());
      dest.EncodeRow(r->target, 0, done);
      rows.Recycle(r->target);
    }
  }
  ClearUnreached(dest, uses, false, zeroes);
  return S_OK;
}

HRESULT TriangleFilter3D(Blitter& blitter) {
  RowConverter& dest = blitter.Dest();
  RowConverter& source = blitter.Source();
  TriangleAxes axes;
  GrowableArray<UINT> uses;
  HRESULT hr = BuildAxes(blitter, true, axes);
  if (SUCCEEDED(hr)) hr = axes.z.CountUses(dest.Depth(), uses);
  const std::size_t planeSize = static_cast<std::size_t>(dest.Width()) * dest.Height();
  Accumulators planes;
  if (SUCCEEDED(hr)) hr = planes.Prepare(dest.Depth(), planeSize, uses);
  FloatRow sourceRow, zeroes;
  if (SUCCEEDED(hr) &&
      (!sourceRow.Allocate(source.Width()) || !zeroes.AllocateZeroed(dest.Width()))) {
    hr = E_OUTOFMEMORY;
  }
  if (FAILED(hr)) return hr;

  for (UINT k = 0; k < source.Depth(); ++k) {
    for (const TriangleWeight* s = axes.z.Begin(k); s != axes.z.End(k); ++s) {
      if (planes.Acquire(s->target) == nullptr) return E_OUTOFMEMORY;
    }
    for (UINT i = 0; i < source.Height(); ++i) {
      source.DecodeRow(i, k, sourceRow.Data());
      for (const TriangleWeight* s = axes.z.Begin(k); s != axes.z.End(k); ++s) {
        FloatPixel* plane = planes.Buffer(s->target);
        for (const TriangleWeight* r = axes.y.Begin(i); r != axes.y.End(i); ++r) {
          SpreadRow(sourceRow.Data(), source.Width(), axes.x, r->weight * s->weight,
                    plane + static_cast<std::size_t>(r->target) * dest.Width());
        }
      }
    }
    for (const TriangleWeight* s = axes.z.Begin(k); s != axes.z.End(k); ++s) {
      if (!planes.Contributed(s->target)) continue;
      FloatPixel* plane = planes.Buffer(s->target);
      for (UINT y = 0; y < dest.Height(); ++y) {
        FloatPixel* row = plane + static_cast<std::size_t>(y) * dest.Width();
        ClampToClass(row, dest.Width(), source.Class());
        dest.EncodeRow(y, s->target, row);
      }
      planes.Recycle(s->target);
    }
  }
  ClearUnreached(dest, uses, true, zeroes);
  return S_OK;
}
