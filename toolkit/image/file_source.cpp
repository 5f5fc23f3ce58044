#include "toolkit/image/file_source.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>

#include "platform/win32/codepage.h"
#include "toolkit/common/allocation.h"
#include "toolkit/common/result.h"

HRESULT FileSource::Open(const char* name) {
  Close();
  if (name == nullptr) return D3DERR_INVALIDCALL;

  // Not blocking: opening a named pipe would otherwise wait for a writer before the type check.
  file = ::open(name, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (file < 0) return D3DXERR_INVALIDDATA;
  struct stat status {};
  if (::fstat(file, &status) != 0 || !S_ISREG(status.st_mode)) return D3DXERR_INVALIDDATA;
  // Sizes are 32-bit everywhere downstream; a larger file would be silently cut short.
  if (status.st_size > static_cast<off_t>(UINT32_MAX)) return D3DXERR_INVALIDDATA;
  if (status.st_size == 0) return S_OK;

  void* mapped = ::mmap(nullptr, static_cast<std::size_t>(status.st_size), PROT_READ, MAP_PRIVATE,
                        file, 0);
  if (mapped == MAP_FAILED) return D3DXERR_INVALIDDATA;
  view = mapped;
  data = static_cast<const BYTE*>(mapped);
  size = static_cast<UINT>(status.st_size);
  return S_OK;
}

HRESULT FileSource::Open(const WCHAR* name) {
  Close();
  if (name == nullptr) return D3DERR_INVALIDCALL;

  int needed = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, name, -1, nullptr, 0, nullptr,
                                   nullptr);
  if (needed <= 0) return D3DXERR_INVALIDDATA;
  char* narrow = static_cast<char*>(AllocateBytes(static_cast<std::size_t>(needed)));
  if (narrow == nullptr) return E_OUTOFMEMORY;
  HRESULT result = D3DXERR_INVALIDDATA;
  if (WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, name, -1, narrow, needed, nullptr,
                          nullptr) == needed) {
    result = Open(static_cast<const char*>(narrow));
  }
  FreeBytes(narrow);
  return result;
}

void FileSource::Close() {
  if (view != nullptr) ::munmap(view, size);
  if (file >= 0) ::close(file);
  file = -1;
  view = nullptr;
  data = nullptr;
  size = 0;
}
