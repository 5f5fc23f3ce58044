// One reference-count mechanism for every COM object of the program: the device's, the
// toolkit's, and those a program's tests implement.
//
// ComObject<I> implements IUnknown for an interface I whose identifiers InterfaceChain<I> lists
// (IID_IUnknown first): QueryInterface answers any of them. The chain also says how refusals
// are answered, which differs between families of interfaces (ComQueryRules). Objects start
// with one reference and are destroyed by the Release that brings the count to 0. ComRef<T> is
// an owning pointer that adds a reference when copied and releases it when dropped, so that
// every way out of a scope lets go of what it obtained.
#pragma once

#include <utility>

#include "platform/win32/types.h"

namespace win32 {

// The answers of the common COM rule: E_POINTER for a null out-pointer, and a refused
// identifier clears it.
struct ComQueryRules {
  static constexpr HRESULT nullObject = E_POINTER;
  static constexpr bool clearsRefused = true;
};

// Specialised for each interface: `static constexpr std::array ids{&IID_IUnknown, ...}` and the
// query rules, usually by deriving from ComQueryRules.
template <class Interface>
struct InterfaceChain;

template <class Interface>
class ComObject : public Interface {
 public:
  ComObject() = default;
  ComObject(const ComObject&) = delete;
  ComObject& operator=(const ComObject&) = delete;

  HRESULT QueryInterface(REFIID riid, void** object) override {
    using Chain = InterfaceChain<Interface>;
    if (object == nullptr) return Chain::nullObject;
    for (const IID* id : Chain::ids) {
      if (*id == riid) {
        *object = static_cast<Interface*>(this);
        this->AddRef();
        return S_OK;
      }
    }
    if (Chain::clearsRefused) *object = nullptr;
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
  // For an out-pointer argument: whatever was held is released first, and the reference the
  // call stores is adopted.
  T** Receive() {
    Reset();
    return &pointer;
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

}  // namespace win32
