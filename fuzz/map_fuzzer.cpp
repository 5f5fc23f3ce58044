// Fuzz target: any bytes as a map file, read from memory through the loader's own stream
// path, and checked against a reading of the same bytes by the standard library.
//
// The cells start with a pattern that no file writes by chance; each cell must then hold
// either the number the reference read for it or, past the first failed read, the pattern.

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "game/map_file.h"
#include "game/world.h"

namespace {

int32_t Pattern(int k) { return static_cast<int32_t>(0x5EED0000u + static_cast<unsigned>(k)); }

int32_t& Cell(int k) {
  return tileMap[k / (kMapSize * kMapSize)][(k / kMapSize) % kMapSize][k % kMapSize];
}

bool IsSpace(std::uint8_t c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// The numbers of a map file as std::from_chars reads them: whitespace, an optional sign,
// decimal digits, a value within int32. Returns how many of the first kMapFileNumbers were read.
int ReadReference(const char* text, std::size_t size, int32_t* numbers) {
  const char* at = text;
  const char* end = text + size;
  for (int k = 0; k < kMapFileNumbers; ++k) {
    while (at < end && IsSpace(static_cast<std::uint8_t>(*at))) ++at;
    // from_chars takes '-' but not '+'; "+-1" is no number.
    if (at < end && *at == '+') {
      ++at;
      if (at == end || *at == '-') return k;
    }
    const auto [next, error] = std::from_chars(at, end, numbers[k], 10);
    if (error != std::errc()) return k;
    at = next;
  }
  return kMapFileNumbers;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static int32_t expected[kMapFileNumbers];
  const int read = ReadReference(reinterpret_cast<const char*>(data), size, expected);

  for (int k = 0; k < kMapFileNumbers; ++k) Cell(k) = Pattern(k);
  // fmemopen copies nothing, but wants a writable buffer type; "r" never writes to it.
  std::FILE* file = size == 0 ? std::fopen("/dev/null", "r")
                              : fmemopen(const_cast<std::uint8_t*>(data), size, "r");
  if (file == nullptr) return 0;
  LoadMapFrom(file);
  std::fclose(file);

  for (int k = 0; k < kMapFileNumbers; ++k) {
    const int32_t want = k < read ? expected[k] : Pattern(k);
    if (Cell(k) != want) {
      std::fprintf(stderr, "map cell %d holds %d, the reference read %d\n", k, Cell(k), want);
      std::abort();
    }
  }
  return 0;
}
