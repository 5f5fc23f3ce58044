#include "toolkit/common/allocation.h"

#include <cstdlib>

namespace {

// Allocations still allowed before refusals start; negative: never refuse.
int allocationsBeforeFailure = -1;
std::size_t largestRequest = 0;
bool refuseOnlyOne = false;
long long allocationsAsked = 0;
long long allocationsRefused = 0;

void NoteRequest(std::size_t size) {
  if (size > largestRequest) largestRequest = size;
}

bool RefuseAllocation(std::size_t size) {
  NoteRequest(size);
  ++allocationsAsked;
  if (allocationsBeforeFailure < 0) return false;
  if (allocationsBeforeFailure == 0) {
    if (refuseOnlyOne) allocationsBeforeFailure = -1;
    ++allocationsRefused;
    return true;
  }
  --allocationsBeforeFailure;
  return false;
}

}  // namespace

void* AllocateBytes(std::size_t size) {
  if (RefuseAllocation(size)) return nullptr;
  return std::malloc(size == 0 ? 1 : size);
}

void* AllocateZeroedBytes(std::size_t size) {
  if (RefuseAllocation(size)) return nullptr;
  return std::calloc(size == 0 ? 1 : size, 1);
}

void* AllocateLibraryBytes(std::size_t size, std::size_t most) {
  NoteRequest(size);
  if (size > most) return nullptr;
  return std::malloc(size == 0 ? 1 : size);
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

std::size_t TakeLargestAllocationRequest() {
  std::size_t largest = largestRequest;
  largestRequest = 0;
  return largest;
}

long long AllocationsAsked() { return allocationsAsked; }

long long AllocationsRefused() { return allocationsRefused; }

}  // namespace testing_hooks
