// ResourceSource: the bytes of a module's resource, presented as a file's bytes are.
//
// The name is looked up first as an RT_BITMAP resource (a DIB without its file header, which
// the last decoder accepts), then as an RT_RCDATA resource. Resource memory belongs to the
// module; closing the source only forgets the pointers.
#pragma once

#include "platform/win32/resources.h"
#include "platform/win32/types.h"

// A module and a resource name (a string, or an integer made with MAKEINTRESOURCE), narrow
// or wide: what the resource entry points are given in place of a file name.
struct ModuleResourceA {
  HMODULE module;
  LPCSTR name;
};
struct ModuleResourceW {
  HMODULE module;
  LPCWSTR name;
};

class ResourceSource {
 public:
  ResourceSource() = default;
  ~ResourceSource() { Close(); }
  ResourceSource(const ResourceSource&) = delete;
  ResourceSource& operator=(const ResourceSource&) = delete;

  // S_OK; D3DXERR_INVALIDDATA when the resource is missing, empty, or cannot be loaded.
  HRESULT Open(const ModuleResourceA& resource);
  HRESULT Open(const ModuleResourceW& resource);
  void Close();

  const BYTE* Data() const { return data; }
  UINT Size() const { return size; }

 private:
  HRESULT Take(HMODULE module, HRSRC found);

  const BYTE* data = nullptr;
  UINT size = 0;
};
