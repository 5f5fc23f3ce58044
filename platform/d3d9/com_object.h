// One reference-count mechanism for every object of the runtime.
//
// ComObject<I> implements IUnknown for an interface I whose inheritance chain is listed in
// InterfaceChain<I>: QueryInterface answers any identifier of the chain. Objects start with
// one reference and are destroyed by the Release that brings the count to 0. ComRef<T> is an
// owning pointer that adds a reference when copied and releases it when dropped.
#pragma once

#include <array>
#include <utility>

#include "platform/d3d9/interfaces.h"
#include "platform/d3d9/results.h"

namespace d3d9 {

template <class Interface>
struct InterfaceChain;

#define MIREFELL_INTERFACE_CHAIN(Interface, ...)                  \
  template <>                                                     \
  struct InterfaceChain<Interface> {                              \
    static constexpr std::array ids{&IID_IUnknown, __VA_ARGS__};  \
  }

MIREFELL_INTERFACE_CHAIN(IDirect3D9, &IID_IDirect3D9);
MIREFELL_INTERFACE_CHAIN(IDirect3DDevice9, &IID_IDirect3DDevice9);
MIREFELL_INTERFACE_CHAIN(IDirect3DTexture9, &IID_IDirect3DResource9, &IID_IDirect3DBaseTexture9,
                         &IID_IDirect3DTexture9);
MIREFELL_INTERFACE_CHAIN(IDirect3DCubeTexture9, &IID_IDirect3DResource9,
                         &IID_IDirect3DBaseTexture9, &IID_IDirect3DCubeTexture9);
MIREFELL_INTERFACE_CHAIN(IDirect3DVolumeTexture9, &IID_IDirect3DResource9,
                         &IID_IDirect3DBaseTexture9, &IID_IDirect3DVolumeTexture9);
MIREFELL_INTERFACE_CHAIN(IDirect3DSurface9, &IID_IDirect3DResource9, &IID_IDirect3DSurface9);
MIREFELL_INTERFACE_CHAIN(IDirect3DVolume9, &IID_IDirect3DVolume9);
MIREFELL_INTERFACE_CHAIN(IDirect3DVertexBuffer9, &IID_IDirect3DResource9,
                         &IID_IDirect3DVertexBuffer9);
MIREFELL_INTERFACE_CHAIN(IDirect3DIndexBuffer9, &IID_IDirect3DResource9,
                         &IID_IDirect3DIndexBuffer9);
MIREFELL_INTERFACE_CHAIN(IDirect3DVertexDeclaration9, &IID_IDirect3DVertexDeclaration9);
MIREFELL_INTERFACE_CHAIN(IDirect3DStateBlock9, &IID_IDirect3DStateBlock9);

#undef MIREFELL_INTERFACE_CHAIN

template <class Interface>
class ComObject : public Interface {
 public:
  ComObject() = default;
  ComObject(const ComObject&) = delete;
  ComObject& operator=(const ComObject&) = delete;

  HRESULT QueryInterface(REFIID riid, void** object) override {
    if (object == nullptr) return E_POINTER;
    for (const IID* id : InterfaceChain<Interface>::ids) {
      if (*id == riid) {
        *object = static_cast<Interface*>(this);
        this->AddRef();
        return S_OK;
      }
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return ++refCount; }
  ULONG Release() override {
    const ULONG count = --refCount;
    if (count == 0) LastReleased();
    return count;
  }

 protected:
  virtual ~ComObject() = default;
  // What happens when the count reaches 0; most objects simply go.
  virtual void LastReleased() { delete this; }

  ULONG refCount = 1;
};

template <class T>
class ComRef {
 public:
  ComRef() = default;
  // Takes a new reference to `object`.
  explicit ComRef(T* object) : pointer(object) {
    if (pointer != nullptr) pointer->AddRef();
  }
  ComRef(const ComRef& other) : ComRef(other.pointer) {}
  ComRef(ComRef&& other) noexcept : pointer(std::exchange(other.pointer, nullptr)) {}
  ComRef& operator=(const ComRef& other) {
    ComRef copy(other);
    std::swap(pointer, copy.pointer);
    return *this;
  }
  ComRef& operator=(ComRef&& other) noexcept {
    ComRef moved(std::move(other));
    std::swap(pointer, moved.pointer);
    return *this;
  }
  ~ComRef() { Reset(); }

  // Adopts a reference that the caller already owns.
  static ComRef Adopt(T* object) {
    ComRef result;
    result.pointer = object;
    return result;
  }
  void Reset() {
    if (T* old = std::exchange(pointer, nullptr)) old->Release();
  }
  // Hands the reference out, for an out-pointer.
  T* Detach() { return std::exchange(pointer, nullptr); }

  T* Get() const { return pointer; }
  T* operator->() const { return pointer; }
  explicit operator bool() const { return pointer != nullptr; }
  bool operator==(const T* other) const { return pointer == other; }

 private:
  T* pointer = nullptr;
};

// Stores a new reference to `object` through an out-pointer.
template <class T, class U>
HRESULT HandOut(T* object, U** out) {
  if (object != nullptr) object->AddRef();
  *out = object;
  return S_OK;
}

}  // namespace d3d9
