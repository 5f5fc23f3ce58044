// Seams of the runtime for tests and tools.
//
// TestSetup describes a configurable adapter: its capabilities, the formats CheckDeviceFormat
// accepts, the display mode and the back-buffer format. It also injects faults (the n-th call
// of a named operation fails with a given result) and keeps a log of the calls made through
// the runtime, with their arguments. Device operations are named as published
// ("DrawIndexedPrimitive"); operations of other interfaces carry the interface name
// ("IDirect3DVertexBuffer9::Lock", "IDirect3DStateBlock9::Apply"). Pointer arguments are
// logged as their addresses, except CreateDevice's presentation parameters, whose fields
// follow its other arguments in declaration order.
//
// LastPresentedFrame reads what a device's last Present showed, with or without a display.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/d3d9/d3d9.h"

namespace d3d9 {

struct CallRecord {
  std::string operation;
  std::vector<std::int64_t> arguments;
};

inline std::int64_t Arg(const void* pointer) {
  return static_cast<std::int64_t>(reinterpret_cast<std::intptr_t>(pointer));
}

// The adapter of Direct3DCreate9, as a test can change it.
struct AdapterProfile {
  D3DCAPS9 caps;
  std::vector<D3DFORMAT> textureFormats;       // textures, cube and volume textures, surfaces
  std::vector<D3DFORMAT> renderTargetFormats;  // D3DUSAGE_RENDERTARGET and back buffers
  std::vector<D3DFORMAT> depthStencilFormats;  // D3DUSAGE_DEPTHSTENCIL
  bool postPixelShaderBlending = true;         // render targets can blend
  D3DDISPLAYMODE displayMode;                  // GetAdapterDisplayMode
  D3DFORMAT backBufferFormat = D3DFMT_UNKNOWN;  // UNKNOWN: the format asked for

  // The standard adapter; the display mode is the desktop's (640 x 480 without a display).
  static AdapterProfile Standard();
};

class TestSetup {
 public:
  TestSetup() : profile(AdapterProfile::Standard()) {}

  AdapterProfile profile;

  // The `nth` call (counted from 1, over the setup's whole life) of `operation` fails with
  // `result` and does nothing else.
  void FailCall(const std::string& operation, unsigned nth, HRESULT result);
  unsigned CallCount(const std::string& operation) const;
  // The `nth` call of any operation (counted from 1 over the setup's life, as TotalCallCount
  // counts) fails with `result` and does nothing else: for sweeps that fail every call in turn.
  void FailAnyCall(unsigned nth, HRESULT result);
  unsigned TotalCallCount() const { return totalCount; }
  // Forgets every injected fault (and memory refusal) that has not struck yet.
  void ClearFaults();

  // The `nth` request (counted from 1 over the setup's life) for a draw's working memory is
  // refused as if memory had run out, and the draw fails with E_OUTOFMEMORY. The requests:
  // the texture stages' state, the decoded copy of each texture level the draw reads first in
  // a format other than A8R8G8B8, the index tables of draws whose indices reach far apart, and
  // the processed vertices. The run index of a blit's texture is asked for too; refused, the
  // blit is drawn as two triangles instead.
  void RefuseDrawMemory(unsigned nth);
  unsigned DrawMemoryRequests() const { return memoryRequests; }
  // Counts one request; false when it is to be refused.
  bool GrantDrawMemory();

  const std::vector<CallRecord>& Log() const { return log; }
  std::vector<CallRecord> CallsNamed(const std::string& operation) const;
  void ClearLog() { log.clear(); }

  // Counts and logs one call; answers the injected failure, or S_OK.
  HRESULT Enter(const char* operation, std::initializer_list<std::int64_t> arguments);

 private:
  struct Fault {
    unsigned nth;
    HRESULT result;
  };
  std::multimap<std::string, Fault> faults;
  std::vector<Fault> anyCallFaults;
  std::vector<unsigned> memoryRefusals;
  unsigned memoryRequests = 0;
  std::map<std::string, unsigned> counts;
  unsigned totalCount = 0;
  std::vector<CallRecord> log;
};

// An IDirect3D9 over a test setup; its devices share the setup.
IDirect3D9* CreateTestDirect3D(std::shared_ptr<TestSetup> setup);

// A device of width x height on a test setup, windowed, with no window: Direct3D object and
// device in one call. The device holds the Direct3D object.
HRESULT CreateTestDevice(std::shared_ptr<TestSetup> setup, UINT width, UINT height,
                         IDirect3DDevice9** device);

struct PresentedFrame {
  UINT width = 0;
  UINT height = 0;
  std::vector<std::uint32_t> pixels;  // 0xAARRGGBB, row after row
};

// Objects made on a device of this runtime that are still alive: its own back buffer and
// render target, and every texture, surface, buffer, declaration and state block made on it,
// whoever holds them. 0 for a device of another runtime.
unsigned LiveObjectCount(IDirect3DDevice9* device);

// Pairs of triangles that the rectangle path (one-texel-per-pixel blits and one-colour
// rectangles) has drawn on a device of this runtime, so that its tests can tell it drew; 0 for
// a device of another runtime.
std::uint64_t RectanglesTaken(IDirect3DDevice9* device);

// The last frame presented by a device of this runtime; null before the first Present or for
// a device of another runtime.
const PresentedFrame* LastPresentedFrame(IDirect3DDevice9* device);

}  // namespace d3d9
