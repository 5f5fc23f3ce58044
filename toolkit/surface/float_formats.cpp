// The floating-point formats: red first in memory, 16-bit halves or 32-bit floats, values
// stored as they are (no quantisation, so no dithering or diffused error).
#include <algorithm>
#include <cstring>

#include "toolkit/common/d3dx_math.h"
#include "toolkit/surface/converter_families.h"

namespace {

template <typename Scalar, UINT channels>
class FloatConverter final : public RowConverter {
 public:
  explicit FloatConverter(const PixelRegion& region)
      : RowConverter(region, sizeof(Scalar) * channels) {}

 protected:
  void DecodePixels(UINT row, UINT slice, FloatPixel* out) override {
    const BYTE* p = RowAddress(row, slice);
    const UINT count = Width();
    float* flat = &out[0].r;
    // Widen into the front of the row, then spread backwards so nothing is overwritten
    // before it is read.
    Widen(flat, p, count * channels);
    if constexpr (channels < 4) {
      for (UINT x = count; x-- > 0;) {
        FloatPixel pixel{1.0f, 1.0f, 1.0f, 1.0f};
        std::memcpy(&pixel.r, flat + x * channels, channels * sizeof(float));
        out[x] = pixel;
      }
    }
  }

  void EncodePixels(UINT row, UINT slice, const FloatPixel* in) override {
    BYTE* p = RowAddress(row, slice);
    const UINT count = Width();
    if constexpr (channels == 4) {
      Narrow(p, &in[0].r, count * 4);
    } else {
      // Gather the stored channels a chunk at a time.
      constexpr UINT chunk = 64;
      float gathered[chunk * channels];
      for (UINT start = 0; start < count; start += chunk) {
        const UINT n = std::min(chunk, count - start);
        for (UINT i = 0; i < n; ++i) {
          std::memcpy(gathered + i * channels, &in[start + i].r, channels * sizeof(float));
        }
        Narrow(p + start * channels * sizeof(Scalar), gathered, n * channels);
      }
    }
  }

 private:
  static void Widen(float* out, const BYTE* in, UINT n) {
    if constexpr (sizeof(Scalar) == 2) {
      D3DXFloat16To32Array(out, reinterpret_cast<const D3DXFLOAT16*>(in), n);
    } else {
      std::memmove(out, in, n * sizeof(float));
    }
  }
  static void Narrow(BYTE* out, const float* in, UINT n) {
    if constexpr (sizeof(Scalar) == 2) {
      D3DXFloat32To16Array(reinterpret_cast<D3DXFLOAT16*>(out), in, n);
    } else {
      std::memcpy(out, in, n * sizeof(float));
    }
  }
};

template <typename Scalar, UINT channels>
RowConverter* Create(const PixelRegion& region) {
  return new (std::nothrow) FloatConverter<Scalar, channels>(region);
}

using Half = D3DXFLOAT16;

}  // namespace

RowConverter* CreateFloatConverter(const PixelRegion& region) {
  switch (region.format) {
    case D3DFMT_R16F:
      return Create<Half, 1>(region);
    case D3DFMT_G16R16F:
      return Create<Half, 2>(region);
    case D3DFMT_A16B16G16R16F:
      return Create<Half, 4>(region);
    case D3DFMT_R32F:
    case D3DFMT_D32F_LOCKABLE:
      return Create<float, 1>(region);
    case D3DFMT_G32R32F:
      return Create<float, 2>(region);
    case D3DFMT_A32B32G32R32F:
      return Create<float, 4>(region);
    default:
      return nullptr;
  }
}
