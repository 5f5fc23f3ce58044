#include "toolkit/image/resource_source.h"

#include "toolkit/common/result.h"

namespace {

// RT_BITMAP and RT_RCDATA for the wide calls.
LPCWSTR const bitmapType = MAKEINTRESOURCEW(2);
LPCWSTR const rawDataType = MAKEINTRESOURCEW(10);

}  // namespace

HRESULT ResourceSource::Open(const ModuleResourceA& resource) {
  Close();
  HRSRC found = FindResourceA(resource.module, resource.name, RT_BITMAP);
  if (found == nullptr) found = FindResourceA(resource.module, resource.name, RT_RCDATA);
  return Take(resource.module, found);
}

HRESULT ResourceSource::Open(const ModuleResourceW& resource) {
  Close();
  HRSRC found = FindResourceW(resource.module, resource.name, bitmapType);
  if (found == nullptr) found = FindResourceW(resource.module, resource.name, rawDataType);
  return Take(resource.module, found);
}

HRESULT ResourceSource::Take(HMODULE module, HRSRC found) {
  if (found == nullptr) return D3DXERR_INVALIDDATA;
  const DWORD bytes = SizeofResource(module, found);
  if (bytes == 0) return D3DXERR_INVALIDDATA;
  HGLOBAL loaded = LoadResource(module, found);
  if (loaded == nullptr) return D3DXERR_INVALIDDATA;
  const void* locked = LockResource(loaded);
  if (locked == nullptr) return D3DXERR_INVALIDDATA;
  data = static_cast<const BYTE*>(locked);
  size = bytes;
  return S_OK;
}

void ResourceSource::Close() {
  data = nullptr;
  size = 0;
}
