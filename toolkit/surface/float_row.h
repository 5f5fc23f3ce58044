// An owned row of FloatPixel from the toolkit's allocator.
#pragma once

#include <cstring>

#include "toolkit/common/allocation.h"
#include "toolkit/surface/pixel_region.h"

class FloatRow {
 public:
  FloatRow() = default;
  ~FloatRow() { FreeBytes(pixels); }
  FloatRow(const FloatRow&) = delete;
  FloatRow& operator=(const FloatRow&) = delete;
  FloatRow(FloatRow&& other) noexcept : pixels(other.pixels), count(other.count) {
    other.pixels = nullptr;
    other.count = 0;
  }
  FloatRow& operator=(FloatRow&& other) noexcept {
    if (this != &other) {
      FreeBytes(pixels);
      pixels = other.pixels;
      count = other.count;
      other.pixels = nullptr;
      other.count = 0;
    }
    return *this;
  }

  // Replaces the row with `size` uninitialised pixels; false (row empty) when refused.
  bool Allocate(std::size_t size) {
    FreeBytes(pixels);
    pixels = nullptr;
    count = 0;
    if (size > SIZE_MAX / sizeof(FloatPixel)) return false;
    pixels = static_cast<FloatPixel*>(AllocateBytes(size * sizeof(FloatPixel)));
    if (pixels == nullptr) return false;
    count = size;
    return true;
  }
  bool AllocateZeroed(std::size_t size) {
    if (!Allocate(size)) return false;
    Clear();
    return true;
  }
  void Clear() {
    if (pixels != nullptr) std::memset(pixels, 0, count * sizeof(FloatPixel));
  }

  FloatPixel* Data() { return pixels; }
  const FloatPixel* Data() const { return pixels; }
  std::size_t Size() const { return count; }
  bool Empty() const { return pixels == nullptr; }
  FloatPixel& operator[](std::size_t i) { return pixels[i]; }
  const FloatPixel& operator[](std::size_t i) const { return pixels[i]; }

 private:
  FloatPixel* pixels = nullptr;
  std::size_t count = 0;
};
