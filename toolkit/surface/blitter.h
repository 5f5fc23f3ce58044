// Blitter: writes a source region into a destination region, converting the pixel format,
// keying out the colour key and resampling when the two boxes differ in size.
//
// It pairs a source and a destination RowConverter for one call and tries a chain of
// strategies, from the cheapest: direct copy, same-size conversion, the NONE and POINT
// filters, then box, linear and triangle resampling in 2-D and 3-D. A strategy either declines
// (E_FAIL) or writes the whole destination box; the first to succeed ends the call. A strategy
// that runs out of memory ends it too, with E_OUTOFMEMORY. Triangle 3-D takes every case, so
// the chain fails only when memory runs out.
#pragma once

#include "platform/win32/types.h"
#include "toolkit/surface/d3dx_surface.h"
#include "toolkit/surface/pixel_region.h"
#include "toolkit/surface/row_converter.h"

// What the loaders use for a filter of D3DX_DEFAULT.
constexpr DWORD defaultLoadFilter = D3DX_FILTER_TRIANGLE | D3DX_FILTER_DITHER;

// The filter type in the low 16 bits must be 1 ... 5, and no bit from 0x800000 up may be set.
bool IsValidFilter(DWORD filter);

class Blitter {
 public:
  Blitter(const PixelRegion& destination, const PixelRegion& sourcePixels, DWORD filterFlags)
      : destRegion(destination), sourceRegion(sourcePixels), filter(filterFlags) {}

  // D3DERR_INVALIDCALL for a bad filter, E_FAIL for an unsupported format or when every
  // strategy declines, E_OUTOFMEMORY when the converters cannot be paired or a strategy runs
  // out of memory.
  HRESULT Run();

  RowConverter& Dest() { return *dest; }
  RowConverter& Source() { return *source; }
  const PixelRegion& DestRegion() const { return destRegion; }
  const PixelRegion& SourceRegion() const { return sourceRegion; }
  DWORD Filter() const { return filter; }
  DWORD FilterType() const { return filter & 0xFFFF; }
  // Whether each axis wraps around at its edges (its mirror bit is clear).
  bool WrapsX() const { return (filter & D3DX_FILTER_MIRROR_U) == 0; }
  bool WrapsY() const { return (filter & D3DX_FILTER_MIRROR_V) == 0; }
  bool WrapsZ() const { return (filter & D3DX_FILTER_MIRROR_W) == 0; }

  // A copy with the gamma step on both sides needs it on neither.
  void DropSrgbOnBothSides();

 private:
  HRESULT MakeConverters();
  HRESULT PairConverters();
  HRESULT RunStrategies();

  PixelRegion destRegion;
  PixelRegion sourceRegion;
  DWORD filter;
  RowConverterPtr dest;
  RowConverterPtr source;
};

// The strategies, in the order the Blitter tries them. Each returns S_OK when it has written
// the whole destination box, E_FAIL when it declines, E_OUTOFMEMORY when it cannot allocate.
HRESULT CopyDirectly(Blitter& blitter);
HRESULT ConvertSameSize(Blitter& blitter);
HRESULT CopyUnscaled(Blitter& blitter);  // D3DX_FILTER_NONE
HRESULT SamplePoints(Blitter& blitter);  // D3DX_FILTER_POINT
HRESULT BoxFilter2D(Blitter& blitter);
HRESULT BoxFilter3D(Blitter& blitter);
HRESULT LinearFilter2D(Blitter& blitter);
HRESULT LinearFilter3D(Blitter& blitter);
HRESULT TriangleFilter2D(Blitter& blitter);
HRESULT TriangleFilter3D(Blitter& blitter);

// The NONE filter's work whatever the filter: the overlap of the two boxes, counted from their
// corners, is copied and the rest of the destination becomes transparent black.
HRESULT CopyOverlap(Blitter& blitter);
