// GrowableArray: a pointer and a capacity, for work arrays reused from call to call.
//
// The number of elements in use is the owner's business; the array only guarantees room.
// Reserve grows by doubling from 16 and never shrinks; the storage is freed with the array.
// Elements are raw memory (trivially copyable, not constructed), so new room holds garbage.
#pragma once

#include <cassert>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "platform/win32/types.h"
#include "toolkit/common/allocation.h"

template <typename T>
class GrowableArray {
  static_assert(std::is_trivially_copyable_v<T>, "elements are moved with memcpy");
  static_assert(alignof(T) <= alignof(std::max_align_t), "AllocateBytes aligns this far");

 public:
  static constexpr std::size_t initialCapacity = 16;

  GrowableArray() = default;
  ~GrowableArray() { FreeBytes(items); }

  GrowableArray(GrowableArray&& other) noexcept : items(other.items), capacity(other.capacity) {
    other.items = nullptr;
    other.capacity = 0;
  }
  GrowableArray& operator=(GrowableArray&& other) noexcept {
    if (this != &other) {
      FreeBytes(items);
      items = other.items;
      capacity = other.capacity;
      other.items = nullptr;
      other.capacity = 0;
    }
    return *this;
  }
  GrowableArray(const GrowableArray&) = delete;
  GrowableArray& operator=(const GrowableArray&) = delete;

  // Makes room for at least `count` elements. When growing, the old elements are copied only
  // if `keepContents`. On E_OUTOFMEMORY (refused allocation, or a size beyond the address
  // space) the array is unchanged.
  HRESULT Reserve(std::size_t count, bool keepContents) {
    if (count <= capacity) return S_OK;
    std::size_t grown = capacity == 0 ? initialCapacity : capacity;
    while (grown < count) {
      if (grown > SIZE_MAX / 2) return E_OUTOFMEMORY;
      grown *= 2;
    }
    if (grown > SIZE_MAX / sizeof(T)) return E_OUTOFMEMORY;
    T* fresh = static_cast<T*>(AllocateBytes(grown * sizeof(T)));
    if (fresh == nullptr) return E_OUTOFMEMORY;
    if (keepContents && capacity > 0) std::memcpy(fresh, items, capacity * sizeof(T));
    FreeBytes(items);
    items = fresh;
    capacity = grown;
    return S_OK;
  }

  T* Data() { return items; }
  const T* Data() const { return items; }
  std::size_t Capacity() const { return capacity; }

  T& operator[](std::size_t index) {
    assert(index < capacity);
    return items[index];
  }
  const T& operator[](std::size_t index) const {
    assert(index < capacity);
    return items[index];
  }

 private:
  T* items = nullptr;
  std::size_t capacity = 0;
};
