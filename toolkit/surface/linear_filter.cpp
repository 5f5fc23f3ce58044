// D3DX_FILTER_LINEAR: each destination pixel samples the source at its centre, blending the
// two nearest source pixels on each axis. At the edges an axis wraps around, or clamps when
// its mirror bit is set.
//
// Source rows are decoded into a few buffers that are reused while consecutive destination
// rows need the same source rows, so each source row is decoded once per run of uses.
#include "toolkit/common/growable_array.h"
#include "toolkit/surface/blitter.h"
#include "toolkit/surface/float_row.h"

namespace {

struct LinearTap {
  UINT i0;
  float w0;
  UINT i1;
  float w1;
};

// The taps of m destination pixels over n source pixels (n, m > 0).
bool BuildLinearTable(UINT n, UINT m, bool wrap, GrowableArray<LinearTap>& storage,
                      const LinearTap*& taps) {
  if (FAILED(storage.Reserve(m, false))) return false;
  LinearTap* table = storage.Data();
  TruncatingRounding truncating;
  const float f = static_cast<float>(n) / static_cast<float>(m);
  for (UINT i = 0; i < m; ++i) {
    const float p = (static_cast<float>(i) + 0.5f) * f + 0.5f;
    const auto i1 = static_cast<long long>(p);
    long long i0 = i1 - 1;
    const float w0 = static_cast<float>(i1) + 1.0f - p;
    long long last = i1;
    if (i0 < 0) i0 = wrap ? n - 1 : 0;
    if (last >= n) last = wrap ? 0 : n - 1;
    table[i] = {static_cast<UINT>(i0), w0, static_cast<UINT>(last), 1.0f - w0};
  }
  taps = table;
  return true;
}

// Decoded source rows, each buffer remembering which (row, slice) it holds.
class RowCache {
 public:
  static constexpr int maxRows = 4;

  RowCache(RowConverter& rowSource, int rowCount) : source(rowSource), count(rowCount) {}

  bool Allocate() {
    for (int i = 0; i < count; ++i) {
      if (!buffers[i].Allocate(source.Width())) return false;
    }
    return true;
  }

  // Points rows[k] at the decoded (wanted[k].row, wanted[k].slice) for every k < count,
  // decoding only the rows no buffer holds.
  void Fetch(const UINT (*wanted)[2], const FloatPixel** rows) {
    bool used[maxRows] = {};
    int found[maxRows];
    for (int k = 0; k < count; ++k) {
      found[k] = -1;
      for (int b = 0; b < count; ++b) {
        if (!used[b] && held[b][0] == wanted[k][0] && held[b][1] == wanted[k][1]) {
          used[b] = true;
          found[k] = b;
          break;
        }
      }
    }
    for (int k = 0; k < count; ++k) {
      if (found[k] < 0) {
        int b = 0;
        while (used[b]) ++b;
        used[b] = true;
        found[k] = b;
        source.DecodeRow(wanted[k][0], wanted[k][1], buffers[b].Data());
        held[b][0] = wanted[k][0];
        held[b][1] = wanted[k][1];
      }
      rows[k] = buffers[found[k]].Data();
    }
  }

 private:
  static constexpr UINT none = 0xFFFFFFFFu;

  RowConverter& source;
  int count;
  FloatRow buffers[maxRows];
  UINT held[maxRows][2] = {{none, none}, {none, none}, {none, none}, {none, none}};
};

// u0 * row[j0] + u1 * row[j1] for each destination column, weighted by `w` and added to out.
void BlendRowInto(const FloatPixel* row, const LinearTap* columns, UINT width, float w,
                  FloatPixel* out) {
  for (UINT x = 0; x < width; ++x) {
    const LinearTap& c = columns[x];
    const FloatPixel& p = row[c.i0];
    const FloatPixel& q = row[c.i1];
    out[x].r += w * (c.w0 * p.r + c.w1 * q.r);
    out[x].g += w * (c.w0 * p.g + c.w1 * q.g);
    out[x].b += w * (c.w0 * p.b + c.w1 * q.b);
    out[x].a += w * (c.w0 * p.a + c.w1 * q.a);
  }
}

// w0 (u0 A[j0] + u1 A[j1]) + w1 (u0 B[j0] + u1 B[j1]) for each destination column.
void BlendTwoRows(const FloatPixel* a, const FloatPixel* b, const LinearTap* columns, UINT width,
                  float w0, float w1, FloatPixel* out) {
  for (UINT x = 0; x < width; ++x) {
    const LinearTap& c = columns[x];
    const FloatPixel &a0 = a[c.i0], &a1 = a[c.i1], &b0 = b[c.i0], &b1 = b[c.i1];
    out[x] = {w0 * (c.w0 * a0.r + c.w1 * a1.r) + w1 * (c.w0 * b0.r + c.w1 * b1.r),
              w0 * (c.w0 * a0.g + c.w1 * a1.g) + w1 * (c.w0 * b0.g + c.w1 * b1.g),
              w0 * (c.w0 * a0.b + c.w1 * a1.b) + w1 * (c.w0 * b0.b + c.w1 * b1.b),
              w0 * (c.w0 * a0.a + c.w1 * a1.a) + w1 * (c.w0 * b0.a + c.w1 * b1.a)};
  }
}

struct LinearTables {
  GrowableArray<LinearTap> storage[3];
  const LinearTap* x = nullptr;
  const LinearTap* y = nullptr;
  const LinearTap* z = nullptr;
};

bool BuildTables(Blitter& blitter, bool withDepth, LinearTables& tables) {
  const RowConverter& dest = blitter.Dest();
  const RowConverter& source = blitter.Source();
  if (!BuildLinearTable(source.Width(), dest.Width(), blitter.WrapsX(), tables.storage[0],
                        tables.x)) {
    return false;
  }
  if (!BuildLinearTable(source.Height(), dest.Height(), blitter.WrapsY(), tables.storage[1],
                        tables.y)) {
    return false;
  }
  if (!withDepth) return true;
  return BuildLinearTable(source.Depth(), dest.Depth(), blitter.WrapsZ(), tables.storage[2],
                          tables.z);
}

// Linear resampling with `planes` source slices per destination slice (1 in 2-D, 2 in 3-D).
HRESULT Resample(Blitter& blitter, bool withDepth) {
  RowConverter& dest = blitter.Dest();
  LinearTables tables;
  if (!BuildTables(blitter, withDepth, tables)) return E_OUTOFMEMORY;
  const int planes = withDepth ? 2 : 1;
  RowCache cache(blitter.Source(), 2 * planes);
  FloatRow out;
  if (!cache.Allocate() || !out.Allocate(dest.Width())) return E_OUTOFMEMORY;

  for (UINT z = 0; z < dest.Depth(); ++z) {
    const LinearTap depthTap = withDepth ? tables.z[z] : LinearTap{0, 1.0f, 0, 0.0f};
    for (UINT y = 0; y < dest.Height(); ++y) {
      const LinearTap& t = tables.y[y];
      const UINT wanted[4][2] = {
          {t.i0, depthTap.i0}, {t.i1, depthTap.i0}, {t.i0, depthTap.i1}, {t.i1, depthTap.i1}};
      const FloatPixel* rows[4];
      cache.Fetch(wanted, rows);
      if (!withDepth) {
        BlendTwoRows(rows[0], rows[1], tables.x, dest.Width(), t.w0, t.w1, out.Data());
        dest.EncodeRow(y, z, out.Data());
        continue;
      }
      out.Clear();
      for (int plane = 0; plane < planes; ++plane) {
        const float wz = plane == 0 ? depthTap.w0 : depthTap.w1;
        BlendRowInto(rows[2 * plane], tables.x, dest.Width(), wz * t.w0, out.Data());
        BlendRowInto(rows[2 * plane + 1], tables.x, dest.Width(), wz * t.w1, out.Data());
      }
      dest.EncodeRow(y, z, out.Data());
    }
  }
  return S_OK;
}

}  // namespace

HRESULT LinearFilter2D(Blitter& blitter) {
  if (blitter.FilterType() != D3DX_FILTER_LINEAR) return E_FAIL;
  if (blitter.Source().Depth() != 1 || blitter.Dest().Depth() != 1) return E_FAIL;
  return Resample(blitter, false);
}

HRESULT LinearFilter3D(Blitter& blitter) {
  if (blitter.FilterType() != D3DX_FILTER_LINEAR) return E_FAIL;
  return Resample(blitter, true);
}
