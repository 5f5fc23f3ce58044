// FileSource: a whole file presented as one read-only block of bytes.
//
// The file is mapped, not read: its bytes stay valid until Close (or destruction), and every
// decoded image that borrows pixels from them must be destroyed first. An empty file opens
// with no data and size 0; the recognition loop then refuses the size.
#pragma once

#include "platform/win32/types.h"

class FileSource {
 public:
  FileSource() = default;
  ~FileSource() { Close(); }
  FileSource(const FileSource&) = delete;
  FileSource& operator=(const FileSource&) = delete;

  // S_OK; D3DERR_INVALIDCALL for a null name; D3DXERR_INVALIDDATA when the file cannot be
  // opened or mapped, is no regular file, or is too large for a 32-bit size. Reopening first
  // closes what was open.
  HRESULT Open(const char* name);
  // The name is UTF-16 and is converted to UTF-8 for the file system; a name that is no
  // valid UTF-16 cannot be opened.
  HRESULT Open(const WCHAR* name);
  // Releases the view and the file, each only if present; safe when nothing is open.
  void Close();

  // First byte of the file; null when nothing is open or the file is empty.
  const BYTE* Data() const { return data; }
  UINT Size() const { return size; }

 private:
  int file = -1;
  void* view = nullptr;
  const BYTE* data = nullptr;
  UINT size = 0;
};
