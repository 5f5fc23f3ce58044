// The toolkit's one way to allocate memory, so that tests can refuse allocations anywhere.
//
// Every heap block the toolkit owns comes from AllocateBytes and goes back through FreeBytes.
// A refused allocation returns null, and the caller reports E_OUTOFMEMORY. Blocks are aligned
// for any fundamental type.
#pragma once

#include <cstddef>

// A block of at least `size` bytes (a zero size gives a distinct block too), or null.
void* AllocateBytes(std::size_t size);
// The same, filled with zeros; large blocks come zeroed from the system without being touched,
// so pictures that are mostly empty cost only the pages they use.
void* AllocateZeroedBytes(std::size_t size);
// Accepts null.
void FreeBytes(void* block);

// A block of a library's own working memory, for the allocator a library is given (libpng's):
// the same heap, freed with FreeBytes, and null when `size` passes `most`. Its size counts in
// TakeLargestAllocationRequest, so that tests see what a file made the library ask for; the
// failure hooks and AllocationsAsked leave it alone, so that sweeps count the toolkit's own
// blocks only.
void* AllocateLibraryBytes(std::size_t size, std::size_t most);

namespace testing_hooks {

// Lets the next `count` allocations succeed and refuses every one after them, until called
// again. A negative count (the state at start) refuses none. Not thread-safe, like the
// toolkit's objects.
void FailAllocationAfter(int count);
// Lets the next `count` allocations succeed, refuses the one after them and none after that:
// one refusal amid work that goes on.
void FailOneAllocationAfter(int count);
// Allocations asked for since the process began, refused ones included: a clean run of a step
// tells a sweep how many allocations it has to fail in turn.
long long AllocationsAsked();
// Allocations the two calls above have refused since the process began: a sweep that refused
// none has tested nothing.
long long AllocationsRefused();

// The largest size asked of AllocateBytes, AllocateZeroedBytes or AllocateLibraryBytes (refused
// requests included) since the previous call; counting starts again from 0.
std::size_t TakeLargestAllocationRequest();

}  // namespace testing_hooks
