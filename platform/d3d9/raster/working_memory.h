// A draw's working memory (processed vertices, the texture stages' state, decoded copies of
// texture levels), allocated without exceptions: null when the system has none to give or the
// device's test setup refuses the request. The draw then fails with E_OUTOFMEMORY.
#pragma once

#include <cstddef>
#include <memory>
#include <new>

namespace d3d9 {

class TestSetup;

class WorkingMemory {
 public:
  // `testSetup` may be null: nothing is refused on purpose.
  explicit WorkingMemory(TestSetup* testSetup = nullptr) : setup(testSetup) {}

  template <class T>
  std::unique_ptr<T[]> Array(std::size_t count) const {
    if (!Granted()) return nullptr;
    return std::unique_ptr<T[]>(new (std::nothrow) T[count]);
  }
  template <class T>
  std::unique_ptr<T> Object() const {
    if (!Granted()) return nullptr;
    return std::unique_ptr<T>(new (std::nothrow) T);
  }

 private:
  bool Granted() const;

  TestSetup* setup;
};

}  // namespace d3d9
