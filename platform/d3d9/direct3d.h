// The IDirect3D9 object: one adapter, described by an AdapterProfile (the standard one, or a
// test setup's), and the factory of devices.
#pragma once

#include <memory>

#include "platform/d3d9/com_object.h"
#include "platform/d3d9/test_device.h"

namespace d3d9 {

class Direct3D final : public ComObject<IDirect3D9> {
 public:
  // `setup` may be null: the standard adapter, no faults, no log.
  explicit Direct3D(std::shared_ptr<TestSetup> setup);

  HRESULT RegisterSoftwareDevice(void* initializeFunction) override;
  UINT GetAdapterCount() override;
  HRESULT GetAdapterIdentifier(UINT adapter, DWORD flags,
                               D3DADAPTER_IDENTIFIER9* identifier) override;
  UINT GetAdapterModeCount(UINT adapter, D3DFORMAT format) override;
  HRESULT EnumAdapterModes(UINT adapter, D3DFORMAT format, UINT mode,
                           D3DDISPLAYMODE* displayMode) override;
  HRESULT GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) override;
  HRESULT CheckDeviceType(UINT adapter, D3DDEVTYPE deviceType, D3DFORMAT adapterFormat,
                          D3DFORMAT backBufferFormat, BOOL windowed) override;
  HRESULT CheckDeviceFormat(UINT adapter, D3DDEVTYPE deviceType, D3DFORMAT adapterFormat,
                            DWORD usage, D3DRESOURCETYPE resourceType,
                            D3DFORMAT checkFormat) override;
  HRESULT CheckDeviceMultiSampleType(UINT adapter, D3DDEVTYPE deviceType,
                                     D3DFORMAT surfaceFormat, BOOL windowed,
                                     D3DMULTISAMPLE_TYPE multiSampleType,
                                     DWORD* qualityLevels) override;
  HRESULT CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE deviceType, D3DFORMAT adapterFormat,
                                 D3DFORMAT renderTargetFormat,
                                 D3DFORMAT depthStencilFormat) override;
  HRESULT CheckDeviceFormatConversion(UINT adapter, D3DDEVTYPE deviceType,
                                      D3DFORMAT sourceFormat, D3DFORMAT targetFormat) override;
  HRESULT GetDeviceCaps(UINT adapter, D3DDEVTYPE deviceType, D3DCAPS9* caps) override;
  HMONITOR GetAdapterMonitor(UINT adapter) override;
  HRESULT CreateDevice(UINT adapter, D3DDEVTYPE deviceType, HWND focusWindow,
                       DWORD behaviorFlags, D3DPRESENT_PARAMETERS* parameters,
                       IDirect3DDevice9** device) override;

  const AdapterProfile& Profile() const { return setup ? setup->profile : standard; }
  const std::shared_ptr<TestSetup>& Setup() const { return setup; }
  // Whether the adapter accepts `format` for `usage` and `type`, without logging.
  HRESULT FormatSupport(DWORD usage, D3DRESOURCETYPE type, D3DFORMAT format) const;

 private:
  HRESULT Enter(const char* operation, std::initializer_list<std::int64_t> arguments) {
    return setup ? setup->Enter(operation, arguments) : S_OK;
  }
  bool IsDisplayFormat(D3DFORMAT format) const;

  std::shared_ptr<TestSetup> setup;
  AdapterProfile standard;
};

}  // namespace d3d9
