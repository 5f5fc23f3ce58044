// Where a code-page conversion puts its units: counts every unit, writes only those that fit
// (not part of the program's interface).
#pragma once

namespace win32 {

template <typename Unit>
class UnitSink {
 public:
  // A capacity of 0 only counts.
  UnitSink(Unit* destination, int capacity) : destination_(destination), capacity_(capacity) {}

  void Put(Unit unit) {
    if (count_ < capacity_) destination_[count_] = unit;
    ++count_;
  }
  long long Count() const { return count_; }
  int Capacity() const { return capacity_; }

 private:
  Unit* destination_;
  int capacity_;
  long long count_ = 0;
};

}  // namespace win32
