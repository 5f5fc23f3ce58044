// Reads a fuzz input as a stream of typed values, front to back.
//
// Every read succeeds: once the bytes run out, integers read as 0, floats as 0.0 and byte
// runs come back short, so a target never has to check for the end between reads and an input
// that stops early simply takes the quiet choices for the rest. Integers are little-endian.
#pragma once

#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <type_traits>

class FuzzInput {
 public:
  FuzzInput(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  std::size_t Remaining() const { return size_ - offset_; }
  bool Empty() const { return Remaining() == 0; }

  // sizeof(T) bytes; the missing high bytes of a short read are 0.
  template <typename T>
  T Read() {
    static_assert(std::is_integral_v<T>);
    std::make_unsigned_t<T> value = 0;
    for (std::size_t i = 0; i < sizeof(T) && !Empty(); ++i) {
      value |= static_cast<decltype(value)>(data_[offset_++]) << (8 * i);
    }
    return static_cast<T>(value);
  }
  std::uint8_t Byte() { return Read<std::uint8_t>(); }
  bool Bool() { return (Byte() & 1) != 0; }

  // A value in [0, bound); 0 for an empty range. Reads as few bytes as the bound needs.
  std::uint32_t Below(std::uint32_t bound) {
    if (bound <= 1) return 0;
    if (bound <= 0x100) return Byte() % bound;
    if (bound <= 0x10000) return Read<std::uint16_t>() % bound;
    return Read<std::uint32_t>() % bound;
  }
  // A value in [low, high].
  std::int64_t InRange(std::int64_t low, std::int64_t high) {
    return low + static_cast<std::int64_t>(Below(static_cast<std::uint32_t>(high - low + 1)));
  }
  // One of the entries of a table.
  template <typename T, std::size_t n>
  T OneOf(const T (&table)[n]) {
    return table[Below(n)];
  }

  // A 32-bit value that is usually small, and often one of the values at which arithmetic on
  // int32 goes wrong: a selector byte, then one byte, a table entry, or four raw bytes.
  std::int32_t EdgyInt32() {
    static constexpr std::int32_t kEdges[] = {
        0,           1,           -1,          INT32_MAX,       INT32_MIN,      INT32_MAX - 1,
        INT32_MIN + 1, INT32_MAX / 2, INT32_MIN / 2, INT32_MAX / 2 + 1, 0x8000,   0xFFFF,
        0x10000,     -0x10000,    1 << 24,     -(1 << 24)};
    const std::uint8_t selector = Byte();
    if (selector < 0xA0) return static_cast<std::int8_t>(Byte());
    if (selector < 0xE0) return OneOf(kEdges);
    return Read<std::int32_t>();
  }

  // Four raw bytes: any float, NaN and infinities included.
  float RawFloat() {
    const std::uint32_t bits = Read<std::uint32_t>();
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
  }
  // Usually a small float in quarter steps (-32 to 31.75), sometimes any float.
  float Float() {
    if (Byte() < 0xE0) return static_cast<float>(static_cast<std::int8_t>(Byte())) / 4.0f;
    return RawFloat();
  }

  // Up to `count` bytes; fewer when the input runs out.
  std::span<const std::uint8_t> Bytes(std::size_t count) {
    if (count > Remaining()) count = Remaining();
    const std::span<const std::uint8_t> run(data_ + offset_, count);
    offset_ += count;
    return run;
  }
  std::span<const std::uint8_t> Rest() { return Bytes(Remaining()); }

  // Fills `size` bytes with a run of up to 64 KiB (its length read first) repeated to the
  // end, or with zeros when the run is empty: large buffers of patterned contents from a few
  // bytes of input.
  void Fill(void* out, std::size_t size) {
    auto* bytes = static_cast<std::uint8_t*>(out);
    const std::span<const std::uint8_t> run = Bytes(Read<std::uint16_t>());
    if (run.empty()) {
      std::memset(bytes, 0, size);
      return;
    }
    for (std::size_t done = 0; done < size;) {
      const std::size_t step = run.size() < size - done ? run.size() : size - done;
      std::memcpy(bytes + done, run.data(), step);
      done += step;
    }
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t offset_ = 0;
};
