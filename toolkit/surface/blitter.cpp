#include "toolkit/surface/blitter.h"

namespace {

constexpr DWORD invalidFlags = 0xFF800000u;

bool IsEmpty(const PixelBox& box) {
  return box.Width() == 0 || box.Height() == 0 || box.Depth() == 0;
}

}  // namespace

bool IsValidFilter(DWORD filter) {
  const DWORD type = filter & 0xFFFF;
  return type >= D3DX_FILTER_NONE && type <= D3DX_FILTER_BOX && (filter & invalidFlags) == 0;
}

void Blitter::DropSrgbOnBothSides() {
  if (!dest->Srgb() || !source->Srgb()) return;
  dest->ClearSrgb();
  source->ClearSrgb();
}

HRESULT Blitter::MakeConverters() {
  destRegion.srgb = (filter & D3DX_FILTER_SRGB_OUT) != 0;
  destRegion.dither = (filter & D3DX_FILTER_DITHER) != 0;
  destRegion.diffusion = (filter & D3DX_FILTER_DITHER_DIFFUSION) != 0;
  sourceRegion.srgb = (filter & D3DX_FILTER_SRGB_IN) != 0;
  sourceRegion.dither = FALSE;
  sourceRegion.diffusion = FALSE;
  dest = MakeRowConverter(destRegion);
  if (dest == nullptr) return E_FAIL;
  source = MakeRowConverter(sourceRegion);
  if (source == nullptr) return E_FAIL;
  return S_OK;
}

HRESULT Blitter::PairConverters() {
  if (dest->Class() != source->Class() && dest->Class() != NumericClass::Float) {
    if (FAILED(dest->SetConversionFrom(source->Class()))) return E_OUTOFMEMORY;
  }
  if (dest->Srgb() && FAILED(dest->EnsureScratchRow())) return E_OUTOFMEMORY;
  const bool both = dest->Srgb() && source->Srgb();
  dest->SetBothSrgb(both);
  source->SetBothSrgb(both);
  return S_OK;
}

HRESULT Blitter::RunStrategies() {
  // Nothing to write; the strategies below may divide by the destination's size.
  if (IsEmpty(destRegion.box)) return S_OK;
  // An empty source has nothing to resample: every destination pixel is outside the overlap.
  if (IsEmpty(sourceRegion.box)) return CopyOverlap(*this);

  HRESULT(*const strategies[])
  (Blitter&) = {
      CopyDirectly, ConvertSameSize, CopyUnscaled,   SamplePoints,     BoxFilter2D,
      BoxFilter3D,  LinearFilter2D,  LinearFilter3D, TriangleFilter2D, TriangleFilter3D,
  };
  for (auto strategy : strategies) {
    // What a declining strategy left behind (diffused error, held blocks) must not leak into
    // the next one.
    dest->Restart();
    const HRESULT result = strategy(*this);
    if (SUCCEEDED(result)) {
      dest->Flush();
      return S_OK;
    }
    // A strategy short of memory had taken the job: a later one would resample with another
    // filter than the one asked for (the catch-all triangle filter in place of NONE, say) and
    // hand back a different picture as a success.
    if (result == E_OUTOFMEMORY) return result;
  }
  return E_FAIL;
}

HRESULT Blitter::Run() {
  if (!IsValidFilter(filter)) return D3DERR_INVALIDCALL;
  HRESULT hr = MakeConverters();
  if (SUCCEEDED(hr)) hr = PairConverters();
  if (SUCCEEDED(hr)) hr = RunStrategies();
  dest.reset();
  source.reset();
  return hr;
}
