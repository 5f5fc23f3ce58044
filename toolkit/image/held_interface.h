// Held<T>: one reference to a Direct3D interface, released when the holder goes, so that every
// path out of a loader lets go of what it obtained.
#pragma once

#include <utility>

template <class T>
class Held {
 public:
  Held() = default;
  ~Held() { Reset(); }
  Held(const Held&) = delete;
  Held& operator=(const Held&) = delete;

  // For an out-pointer argument: whatever was held is released first.
  T** Receive() {
    Reset();
    return &pointer;
  }
  void Reset() {
    if (T* old = std::exchange(pointer, nullptr)) old->Release();
  }
  // Hands the reference to the caller.
  T* Detach() { return std::exchange(pointer, nullptr); }

  T* Get() const { return pointer; }
  T* operator->() const { return pointer; }
  explicit operator bool() const { return pointer != nullptr; }

 private:
  T* pointer = nullptr;
};
