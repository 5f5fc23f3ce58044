// Image information from a block of file bytes, a file or a module resource.

#include "toolkit/common/result.h"
#include "toolkit/image/d3dx_image.h"
#include "toolkit/image/decoded_image.h"
#include "toolkit/image/image_source.h"

HRESULT D3DXGetImageInfoFromFileInMemory(LPCVOID data, UINT size, D3DXIMAGE_INFO* info) {
  DecodedImage header;
  return header.LoadFromMemory(data, size, info, false);
}

namespace {

template <typename Name>
HRESULT ImageInfoFromSource(Name name, D3DXIMAGE_INFO* info) {
  ImageSource<Name> source;
  HRESULT result = source.Open(name);
  if (FAILED(result)) return result;
  return D3DXGetImageInfoFromFileInMemory(source.Data(), source.Size(), info);
}

}  // namespace

HRESULT D3DXGetImageInfoFromFileA(LPCSTR file, D3DXIMAGE_INFO* info) {
  return ImageInfoFromSource(file, info);
}

HRESULT D3DXGetImageInfoFromFileW(LPCWSTR file, D3DXIMAGE_INFO* info) {
  return ImageInfoFromSource(file, info);
}

HRESULT D3DXGetImageInfoFromResourceA(HMODULE module, LPCSTR resource, D3DXIMAGE_INFO* info) {
  return ImageInfoFromSource(ModuleResourceA{module, resource}, info);
}

HRESULT D3DXGetImageInfoFromResourceW(HMODULE module, LPCWSTR resource, D3DXIMAGE_INFO* info) {
  return ImageInfoFromSource(ModuleResourceW{module, resource}, info);
}
