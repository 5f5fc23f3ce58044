// Vertex and index buffers: plain memory with a nestable lock.
//
// A discarding lock hands out the same memory (nothing can still be reading it in a software
// device); a no-overwrite lock leaves earlier contents intact, as the sprite's vertex ring
// relies on.
#pragma once

#include <vector>

#include "platform/d3d9/resource.h"

namespace d3d9 {

template <class Interface>
class BufferObject : public ResourceObject<Interface> {
 public:
  // Throws std::bad_alloc.
  BufferObject(Device* device, D3DRESOURCETYPE resourceType, UINT length, DWORD usageFlags,
               D3DPOOL memoryPool)
      : ResourceObject<Interface>(device, resourceType, usageFlags, memoryPool), bytes(length, 0) {}

  HRESULT Unlock() override;

  const BYTE* Data() const { return bytes.data(); }
  UINT Length() const { return UINT(bytes.size()); }

 protected:
  HRESULT LockBytes(const char* operation, UINT offset, UINT size, void** data, DWORD flags);

  std::vector<BYTE> bytes;
  UINT lockCount = 0;
};

class VertexBuffer final : public BufferObject<IDirect3DVertexBuffer9> {
 public:
  VertexBuffer(Device* device, UINT length, DWORD usageFlags, DWORD vertexFvf, D3DPOOL memoryPool)
      : BufferObject(device, D3DRTYPE_VERTEXBUFFER, length, usageFlags, memoryPool),
        fvf(vertexFvf) {}

  HRESULT Lock(UINT offset, UINT size, void** data, DWORD flags) override {
    return LockBytes("IDirect3DVertexBuffer9::Lock", offset, size, data, flags);
  }
  HRESULT GetDesc(D3DVERTEXBUFFER_DESC* desc) override;

 private:
  DWORD fvf;
};

class IndexBuffer final : public BufferObject<IDirect3DIndexBuffer9> {
 public:
  IndexBuffer(Device* device, UINT length, DWORD usageFlags, D3DFORMAT indexFormat,
              D3DPOOL memoryPool)
      : BufferObject(device, D3DRTYPE_INDEXBUFFER, length, usageFlags, memoryPool),
        format(indexFormat) {}

  HRESULT Lock(UINT offset, UINT size, void** data, DWORD flags) override {
    return LockBytes("IDirect3DIndexBuffer9::Lock", offset, size, data, flags);
  }
  HRESULT GetDesc(D3DINDEXBUFFER_DESC* desc) override;
  D3DFORMAT Format() const { return format; }

 private:
  D3DFORMAT format;
};

class VertexDeclaration final : public ComObject<IDirect3DVertexDeclaration9> {
 public:
  VertexDeclaration(Device* device, std::vector<D3DVERTEXELEMENT9> declared)
      : link(device), elements(std::move(declared)) {}

  HRESULT GetDevice(IDirect3DDevice9** device) override;
  HRESULT GetDeclaration(D3DVERTEXELEMENT9* out, UINT* count) override;

  // The elements without the terminator.
  const std::vector<D3DVERTEXELEMENT9>& Elements() const { return elements; }
  Device* OwnerDevice() const { return link.Get(); }

 private:
  DeviceLink link;
  std::vector<D3DVERTEXELEMENT9> elements;
};

// Checks a declaration's elements: known types, methods and usages, streams below 16, no
// usage and index twice. Returns the elements without the terminator through `out`.
bool ReadDeclaration(const D3DVERTEXELEMENT9* elements, std::vector<D3DVERTEXELEMENT9>* out);

}  // namespace d3d9
