// What every resource of a device shares: the device it was made on, its kind, usage and
// pool, its private data and priority.
//
// A resource keeps its device alive (an internal count, not the device's COM count), so that
// resources released after the device still find it; GetDevice hands out a COM reference.
#pragma once

#include <map>
#include <vector>

#include "platform/d3d9/com_object.h"

namespace d3d9 {

class Device;

// Keeps the device alive for as long as the holder lives.
class DeviceLink {
 public:
  explicit DeviceLink(Device* device);
  DeviceLink(const DeviceLink&) = delete;
  DeviceLink& operator=(const DeviceLink&) = delete;
  ~DeviceLink();
  Device* Get() const { return device; }
  HRESULT HandOutDevice(IDirect3DDevice9** out) const;

 private:
  Device* device;
};

// SetPrivateData and its siblings; D3DSPD_IUNKNOWN data holds a reference to the object.
class PrivateData {
 public:
  PrivateData() = default;
  PrivateData(const PrivateData&) = delete;
  PrivateData& operator=(const PrivateData&) = delete;
  ~PrivateData();
  HRESULT Set(REFGUID guid, const void* data, DWORD size, DWORD flags);
  HRESULT Get(REFGUID guid, void* data, DWORD* size) const;
  HRESULT Free(REFGUID guid);

 private:
  struct Entry {
    std::vector<BYTE> bytes;
    IUnknown* object = nullptr;
  };
  struct Less {
    bool operator()(const GUID& a, const GUID& b) const;
  };
  std::map<GUID, Entry, Less> entries;
};

constexpr DWORD D3DSPD_IUNKNOWN = 0x00000001;

template <class Interface>
class ResourceObject : public ComObject<Interface> {
 public:
  ResourceObject(Device* device, D3DRESOURCETYPE resourceType, DWORD usageFlags, D3DPOOL memoryPool)
      : link(device), type(resourceType), usage(usageFlags), pool(memoryPool) {}

  HRESULT GetDevice(IDirect3DDevice9** out) override {
    if (out == nullptr) return D3DERR_INVALIDCALL;
    return link.HandOutDevice(out);
  }
  HRESULT SetPrivateData(REFGUID guid, const void* data, DWORD size, DWORD flags) override {
    return privateData.Set(guid, data, size, flags);
  }
  HRESULT GetPrivateData(REFGUID guid, void* data, DWORD* size) override {
    return privateData.Get(guid, data, size);
  }
  HRESULT FreePrivateData(REFGUID guid) override { return privateData.Free(guid); }
  // Priorities only matter to managed resources.
  DWORD SetPriority(DWORD value) override {
    const DWORD old = priority;
    if (pool == D3DPOOL_MANAGED) priority = value;
    return old;
  }
  DWORD GetPriority() override { return priority; }
  void PreLoad() override {}
  D3DRESOURCETYPE GetType() override { return type; }

  Device* OwnerDevice() const { return link.Get(); }
  DWORD Usage() const { return usage; }
  D3DPOOL Pool() const { return pool; }

 protected:
  DeviceLink link;
  D3DRESOURCETYPE type;
  DWORD usage;
  D3DPOOL pool;
  PrivateData privateData;
  DWORD priority = 0;
};

}  // namespace d3d9
