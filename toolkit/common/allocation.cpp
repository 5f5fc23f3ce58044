#include "toolkit/common/allocation.h"

#include <cstdlib>

namespace {

// Allocations still allowed before refusals start; negative: never refuse.
int allocationsBeforeFailure = -1;
bool refuseOnlyOne = false;
long long allocationsAsked = 0;

bool RefuseAllocation() {
  ++allocationsAsked;
  if (allocationsBeforeFailure < 0) return false;
  if (allocationsBeforeFailure == 0) {
    if (refuseOnlyOne) allocationsBeforeFailure = -1;
    return true;
  }
  --allocationsBeforeFailure;
  return false;
}

}  // namespace

void* AllocateBytes(std::size_t size) {
  if (RefuseAllocation()) return nullptr;
  return std::malloc(size == 0 ? 1 : size);
}

void* AllocateZeroedBytes(std::size_t size) {
  if (RefuseAllocation()) return nullptr;
  return std::calloc(size == 0 ? 1 : size, 1);
}

void FreeBytes(void* block) { std::free(block); }

namespace testing_hooks {

void FailAllocationAfter(int count) {
  allocationsBeforeFailure = count;
  refuseOnlyOne = false;
}

void FailOneAllocationAfter(int count) {
  allocationsBeforeFailure = count;
  refuseOnlyOne = true;
}

long long AllocationsAsked() { return allocationsAsked; }

}  // namespace testing_hooks
