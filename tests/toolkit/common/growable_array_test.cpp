#include "toolkit/common/growable_array.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <utility>

#include "toolkit/common/allocation.h"

namespace {

// Fills the whole capacity with 0, 1, 2, ...
void FillWithIndices(GrowableArray<int>& array) {
  for (std::size_t i = 0; i < array.Capacity(); ++i) array[i] = static_cast<int>(i);
}

class GrowableArrayTest : public ::testing::Test {
 protected:
  void TearDown() override { testing_hooks::FailAllocationAfter(-1); }
};

TEST_F(GrowableArrayTest, StartsEmptyAndFirstGrowthGivesSixteen) {
  GrowableArray<int> array;
  EXPECT_EQ(S_OK, array.Reserve(0, true));
  EXPECT_EQ(nullptr, array.Data());
  EXPECT_EQ(0u, array.Capacity());
  EXPECT_EQ(S_OK, array.Reserve(1, true));
  EXPECT_NE(nullptr, array.Data());
  EXPECT_EQ(16u, array.Capacity());
}

TEST_F(GrowableArrayTest, DoublesUntilTheRequestFits) {
  GrowableArray<int> array;
  ASSERT_EQ(S_OK, array.Reserve(16, true));
  ASSERT_EQ(S_OK, array.Reserve(17, true));
  EXPECT_EQ(32u, array.Capacity());
  ASSERT_EQ(S_OK, array.Reserve(100, true));
  EXPECT_EQ(128u, array.Capacity());
}

// An empty array asked for more than 16 must not stop at 16.
TEST_F(GrowableArrayTest, FirstRequestAboveSixteenDoublesFromSixteen) {
  GrowableArray<int> array;
  ASSERT_EQ(S_OK, array.Reserve(100, false));
  EXPECT_EQ(128u, array.Capacity());
  array[99] = 7;
  EXPECT_EQ(7, array[99]);
}

TEST_F(GrowableArrayTest, NeverShrinksNorMovesForSmallerRequests) {
  GrowableArray<int> array;
  ASSERT_EQ(S_OK, array.Reserve(64, true));
  int* storage = array.Data();
  EXPECT_EQ(S_OK, array.Reserve(3, false));
  EXPECT_EQ(S_OK, array.Reserve(64, false));
  EXPECT_EQ(storage, array.Data());
  EXPECT_EQ(64u, array.Capacity());
}

TEST_F(GrowableArrayTest, GrowingKeepsTheOldElementsWhenAsked) {
  GrowableArray<int> array;
  ASSERT_EQ(S_OK, array.Reserve(16, true));
  FillWithIndices(array);
  ASSERT_EQ(S_OK, array.Reserve(40, true));
  ASSERT_EQ(64u, array.Capacity());
  for (int i = 0; i < 16; ++i) EXPECT_EQ(i, array[i]) << "element " << i;
}

TEST_F(GrowableArrayTest, GrowingWithoutKeepingGivesFreshStorage) {
  GrowableArray<int> array;
  ASSERT_EQ(S_OK, array.Reserve(16, true));
  const int* old = array.Data();
  ASSERT_EQ(S_OK, array.Reserve(17, false));
  EXPECT_NE(old, array.Data());
  EXPECT_EQ(32u, array.Capacity());
}

TEST_F(GrowableArrayTest, RefusedAllocationLeavesTheArrayAsItWas) {
  GrowableArray<int> array;
  ASSERT_EQ(S_OK, array.Reserve(16, true));
  FillWithIndices(array);
  int* storage = array.Data();
  testing_hooks::FailAllocationAfter(0);
  EXPECT_EQ(E_OUTOFMEMORY, array.Reserve(17, true));
  EXPECT_EQ(storage, array.Data());
  EXPECT_EQ(16u, array.Capacity());
  for (int i = 0; i < 16; ++i) EXPECT_EQ(i, array[i]) << "element " << i;
}

TEST_F(GrowableArrayTest, SizesBeyondTheAddressSpaceAreRefused) {
  GrowableArray<int> array;
  ASSERT_EQ(S_OK, array.Reserve(16, true));
  int* storage = array.Data();
  // The doubling itself would overflow.
  EXPECT_EQ(E_OUTOFMEMORY, array.Reserve(SIZE_MAX, true));
  // The doubling fits, the byte count would wrap around.
  EXPECT_EQ(E_OUTOFMEMORY, array.Reserve(SIZE_MAX / sizeof(int) + 1, true));
  EXPECT_EQ(storage, array.Data());
  EXPECT_EQ(16u, array.Capacity());
}

TEST_F(GrowableArrayTest, MovingHandsTheStorageOver) {
  GrowableArray<int> source;
  ASSERT_EQ(S_OK, source.Reserve(16, true));
  source[3] = 33;
  GrowableArray<int> target;
  ASSERT_EQ(S_OK, target.Reserve(32, true));
  target = std::move(source);
  EXPECT_EQ(16u, target.Capacity());
  EXPECT_EQ(33, target[3]);
  EXPECT_EQ(nullptr, source.Data());
  EXPECT_EQ(0u, source.Capacity());
  GrowableArray<int> constructed(std::move(target));
  EXPECT_EQ(33, constructed[3]);
  EXPECT_EQ(0u, target.Capacity());
}

}  // namespace
