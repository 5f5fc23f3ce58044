#include "game/map_file.h"

#include <cstdio>

#include "game/world.h"

namespace {

constexpr int64_t kLargestMagnitude = 2147483648;  // of -2147483648

bool IsSpace(int c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
bool IsDigit(int c) { return c >= '0' && c <= '9'; }

// Formatted reading of signed decimal int32 values, one character of look-ahead. A failed read
// leaves the reader failed: the rest of the file is never looked at.
class NumberReader {
 public:
  explicit NumberReader(std::FILE* file) : file_(file), next_(std::getc(file)) {}

  bool Read(int32_t* value) {
    while (IsSpace(next_)) Advance();
    bool negative = false;
    if (next_ == '+' || next_ == '-') {
      negative = next_ == '-';
      Advance();
    }
    if (!IsDigit(next_)) return false;
    // Leading zeros are allowed, so the digits are counted by value, not by number.
    const int64_t limit = negative ? kLargestMagnitude : kLargestMagnitude - 1;
    int64_t magnitude = 0;
    bool fits = true;
    while (IsDigit(next_)) {
      if (fits) {
        magnitude = magnitude * 10 + (next_ - '0');
        fits = magnitude <= limit;
      }
      Advance();
    }
    if (!fits) return false;
    *value = static_cast<int32_t>(negative ? -magnitude : magnitude);
    return true;
  }

 private:
  void Advance() { next_ = std::getc(file_); }

  std::FILE* file_;
  int next_;
};

}  // namespace

void LoadMap(const char* fileName) {
  std::FILE* file = std::fopen(fileName, "r");
  if (file == nullptr) return;
  LoadMapFrom(file);
  std::fclose(file);
}

void LoadMapFrom(std::FILE* file) {
  NumberReader reader(file);
  for (int k = 0; k < kMapFileNumbers; ++k) {
    int32_t value = 0;
    if (!reader.Read(&value)) break;
    tileMap[k / (kMapSize * kMapSize)][(k / kMapSize) % kMapSize][k % kMapSize] = value;
  }
}

int32_t MarkedObject(int32_t cellValue) {
  // Negated in 64 bits: -(-2147483648) does not fit in int32.
  const int64_t index = -static_cast<int64_t>(cellValue);
  return IsObjectIndex(index) ? static_cast<int32_t>(index) : -1;
}
