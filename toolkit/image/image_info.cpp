// Image information from a block of file bytes or from a file.

#include "toolkit/common/result.h"
#include "toolkit/image/d3dx_image.h"
#include "toolkit/image/decoded_image.h"
#include "toolkit/image/file_source.h"

HRESULT D3DXGetImageInfoFromFileInMemory(LPCVOID data, UINT size, D3DXIMAGE_INFO* info) {
  DecodedImage header;
  return header.LoadFromMemory(data, size, info, false);
}

namespace {

template <typename Name>
HRESULT ImageInfoFromFile(Name file, D3DXIMAGE_INFO* info) {
  FileSource source;
  HRESULT result = source.Open(file);
  if (FAILED(result)) return result;
  return D3DXGetImageInfoFromFileInMemory(source.Data(), source.Size(), info);
}

}  // namespace

HRESULT D3DXGetImageInfoFromFileA(LPCSTR file, D3DXIMAGE_INFO* info) {
  return ImageInfoFromFile(file, info);
}

HRESULT D3DXGetImageInfoFromFileW(LPCWSTR file, D3DXIMAGE_INFO* info) {
  return ImageInfoFromFile(file, info);
}
