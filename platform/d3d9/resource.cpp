#include "platform/d3d9/resource.h"

#include <cstring>

#include "platform/d3d9/device.h"

namespace d3d9 {

DeviceLink::DeviceLink(Device* owner) : device(owner) { device->RetainInternally(); }

DeviceLink::~DeviceLink() { device->ReleaseInternally(); }

HRESULT DeviceLink::HandOutDevice(IDirect3DDevice9** out) const { return HandOut(device, out); }

bool PrivateData::Less::operator()(const GUID& a, const GUID& b) const {
  return std::memcmp(&a, &b, sizeof(GUID)) < 0;
}

PrivateData::~PrivateData() {
  for (auto& [guid, entry] : entries) {
    if (entry.object != nullptr) entry.object->Release();
  }
}

HRESULT PrivateData::Set(REFGUID guid, const void* data, DWORD size, DWORD flags) {
  if (data == nullptr && size != 0) return D3DERR_INVALIDCALL;
  Entry entry;
  if ((flags & D3DSPD_IUNKNOWN) != 0) {
    if (size != sizeof(IUnknown*) || data == nullptr) return D3DERR_INVALIDCALL;
    entry.object = *static_cast<IUnknown* const*>(data);
    if (entry.object != nullptr) entry.object->AddRef();
  } else {
    const BYTE* first = static_cast<const BYTE*>(data);
    entry.bytes.assign(first, first + size);
  }
  Free(guid);
  entries.emplace(guid, std::move(entry));
  return S_OK;
}

HRESULT PrivateData::Get(REFGUID guid, void* data, DWORD* size) const {
  if (size == nullptr) return D3DERR_INVALIDCALL;
  const auto found = entries.find(guid);
  if (found == entries.end()) return D3DERR_NOTFOUND;
  const Entry& entry = found->second;
  const DWORD needed =
      entry.object != nullptr ? DWORD(sizeof(IUnknown*)) : DWORD(entry.bytes.size());
  if (data == nullptr) {
    *size = needed;
    return S_OK;
  }
  if (*size < needed) {
    *size = needed;
    return D3DERR_MOREDATA;
  }
  if (entry.object != nullptr) {
    entry.object->AddRef();
    std::memcpy(data, &entry.object, sizeof(IUnknown*));
  } else if (needed != 0) {
    std::memcpy(data, entry.bytes.data(), needed);
  }
  *size = needed;
  return S_OK;
}

HRESULT PrivateData::Free(REFGUID guid) {
  const auto found = entries.find(guid);
  if (found == entries.end()) return D3DERR_NOTFOUND;
  if (found->second.object != nullptr) found->second.object->Release();
  entries.erase(found);
  return S_OK;
}

}  // namespace d3d9
