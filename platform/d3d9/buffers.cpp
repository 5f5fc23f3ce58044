#include "platform/d3d9/buffers.h"

#include <set>
#include <utility>

#include "platform/d3d9/device.h"

namespace d3d9 {

template <class Interface>
HRESULT BufferObject<Interface>::LockBytes(const char* operation, UINT offset, UINT size,
                                           void** data, DWORD flags) {
  const HRESULT entered = this->OwnerDevice()->Enter(
      operation, {Arg(this), std::int64_t(offset), std::int64_t(size), std::int64_t(flags)});
  if (FAILED(entered)) return entered;
  if (data == nullptr) return D3DERR_INVALIDCALL;
  const std::size_t length = bytes.size();
  // Size 0 locks from the offset to the end.
  const std::size_t end = size == 0 ? length : std::size_t(offset) + size;
  if (offset > length || end > length) return D3DERR_INVALIDCALL;
  *data = bytes.data() + offset;
  ++lockCount;
  return S_OK;
}

template <class Interface>
HRESULT BufferObject<Interface>::Unlock() {
  if (lockCount == 0) return D3DERR_INVALIDCALL;
  --lockCount;
  return S_OK;
}

template class BufferObject<IDirect3DVertexBuffer9>;
template class BufferObject<IDirect3DIndexBuffer9>;

HRESULT VertexBuffer::GetDesc(D3DVERTEXBUFFER_DESC* desc) {
  if (desc == nullptr) return D3DERR_INVALIDCALL;
  *desc = {D3DFMT_VERTEXDATA, D3DRTYPE_VERTEXBUFFER, usage, pool, Length(), fvf};
  return S_OK;
}

HRESULT IndexBuffer::GetDesc(D3DINDEXBUFFER_DESC* desc) {
  if (desc == nullptr) return D3DERR_INVALIDCALL;
  *desc = {format, D3DRTYPE_INDEXBUFFER, usage, pool, Length()};
  return S_OK;
}

// --- Vertex declarations -----------------------------------------------------------------------

HRESULT VertexDeclaration::GetDevice(IDirect3DDevice9** out) {
  if (out == nullptr) return D3DERR_INVALIDCALL;
  return link.HandOutDevice(out);
}

HRESULT VertexDeclaration::GetDeclaration(D3DVERTEXELEMENT9* out, UINT* count) {
  if (count == nullptr) return D3DERR_INVALIDCALL;
  *count = UINT(elements.size()) + 1;
  if (out == nullptr) return S_OK;
  for (std::size_t i = 0; i < elements.size(); ++i) out[i] = elements[i];
  out[elements.size()] = D3DDECL_END;
  return S_OK;
}

bool ReadDeclaration(const D3DVERTEXELEMENT9* elements, std::vector<D3DVERTEXELEMENT9>* out) {
  std::set<std::pair<BYTE, BYTE>> usages;
  std::vector<D3DVERTEXELEMENT9> read;
  for (UINT i = 0;; ++i) {
    if (i >= MAXD3DDECLLENGTH) return false;
    const D3DVERTEXELEMENT9& element = elements[i];
    if (element.Stream == 0xFF) break;
    if (element.Stream >= 16 || element.Type >= D3DDECLTYPE_UNUSED ||
        element.Method > D3DDECLMETHOD_LOOKUPPRESAMPLED || element.Usage > D3DDECLUSAGE_SAMPLE ||
        element.Offset % 4 != 0) {
      return false;
    }
    if (!usages.insert({element.Usage, element.UsageIndex}).second) return false;
    read.push_back(element);
  }
  *out = std::move(read);
  return true;
}

}  // namespace d3d9
