#include "toolkit/common/allocation.h"

#include <gtest/gtest.h>

namespace {

TEST(AllocationTest, RefusesEveryAllocationAfterTheCountUntilReset) {
  testing_hooks::FailAllocationAfter(2);
  void* first = AllocateBytes(8);
  void* second = AllocateBytes(8);
  void* third = AllocateBytes(8);
  void* fourth = AllocateBytes(8);
  testing_hooks::FailAllocationAfter(-1);
  void* afterReset = AllocateBytes(8);
  EXPECT_NE(nullptr, first);
  EXPECT_NE(nullptr, second);
  EXPECT_EQ(nullptr, third);
  EXPECT_EQ(nullptr, fourth);
  EXPECT_NE(nullptr, afterReset);
  FreeBytes(first);
  FreeBytes(second);
  FreeBytes(afterReset);
}

TEST(AllocationTest, ASingleRefusalLetsTheAllocationsAfterItThrough) {
  testing_hooks::FailOneAllocationAfter(1);
  void* first = AllocateBytes(8);
  void* second = AllocateZeroedBytes(8);
  void* third = AllocateBytes(8);
  testing_hooks::FailAllocationAfter(-1);
  EXPECT_NE(nullptr, first);
  EXPECT_EQ(nullptr, second);
  EXPECT_NE(nullptr, third);
  FreeBytes(first);
  FreeBytes(third);
}

TEST(AllocationTest, CountsEveryAllocationAskedForRefusedOrNot) {
  const long long before = testing_hooks::AllocationsAsked();
  const long long refusedBefore = testing_hooks::AllocationsRefused();
  void* given = AllocateBytes(8);
  testing_hooks::FailAllocationAfter(0);
  void* refused = AllocateZeroedBytes(8);
  // A library's block is neither counted nor refused by the hooks.
  void* library = AllocateLibraryBytes(8, 8);
  testing_hooks::FailAllocationAfter(-1);
  FreeBytes(given);
  FreeBytes(library);
  EXPECT_EQ(nullptr, refused);
  EXPECT_NE(nullptr, library);
  EXPECT_EQ(before + 2, testing_hooks::AllocationsAsked());
  EXPECT_EQ(refusedBefore + 1, testing_hooks::AllocationsRefused());
}

TEST(AllocationTest, ZeroBytesGiveDistinctBlocks) {
  void* a = AllocateBytes(0);
  void* b = AllocateBytes(0);
  EXPECT_NE(nullptr, a);
  EXPECT_NE(a, b);
  FreeBytes(a);
  FreeBytes(b);
  FreeBytes(nullptr);
}

TEST(AllocationTest, ZeroedBlocksAreZeroAndRefusedLikeOthers) {
  auto* block = static_cast<unsigned char*>(AllocateZeroedBytes(4096));
  ASSERT_NE(nullptr, block);
  for (int i = 0; i < 4096; ++i) ASSERT_EQ(block[i], 0) << i;
  FreeBytes(block);
  testing_hooks::FailAllocationAfter(0);
  void* refused = AllocateZeroedBytes(16);
  testing_hooks::FailAllocationAfter(-1);
  EXPECT_EQ(nullptr, refused);
}

TEST(AllocationTest, TheLargestRequestIsToldOnceRefusalsIncluded) {
  testing_hooks::TakeLargestAllocationRequest();
  FreeBytes(AllocateBytes(300));
  FreeBytes(AllocateZeroedBytes(700));
  testing_hooks::FailAllocationAfter(0);
  EXPECT_EQ(nullptr, AllocateBytes(900));
  testing_hooks::FailAllocationAfter(-1);
  FreeBytes(AllocateBytes(20));
  EXPECT_EQ(900u, testing_hooks::TakeLargestAllocationRequest());
  EXPECT_EQ(0u, testing_hooks::TakeLargestAllocationRequest());
  // A library's request past its limit is refused, and told all the same.
  EXPECT_EQ(nullptr, AllocateLibraryBytes(5000, 4096));
  EXPECT_EQ(5000u, testing_hooks::TakeLargestAllocationRequest());
}

}  // namespace
