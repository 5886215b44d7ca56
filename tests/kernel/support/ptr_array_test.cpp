#include "kernel/support/ptr_array.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

void* item(std::intptr_t n) { return reinterpret_cast<void*>(n); }

std::vector<std::int32_t> capacitiesWhileAppending(PtrArray& array, int count) {
  std::vector<std::int32_t> seen;
  for (int i = 0; i < count; ++i) {
    EXPECT_TRUE(array.append(item(i + 1)));
    if (seen.empty() || seen.back() != array.capacity()) seen.push_back(array.capacity());
  }
  return seen;
}

TEST(PtrArray, FullArrayDoublesFromFourWithoutStep) {
  PtrArray array;
  EXPECT_EQ(capacitiesWhileAppending(array, 40), (std::vector<std::int32_t>{4, 8, 16, 32, 64}));
  EXPECT_EQ(array.count(), 40);
  for (int i = 0; i < 40; ++i) EXPECT_EQ(array.at(i), item(i + 1));
}

TEST(PtrArray, FullArrayGrowsByItsStep) {
  PtrArray array(3);
  EXPECT_EQ(capacitiesWhileAppending(array, 10), (std::vector<std::int32_t>{3, 6, 9, 12}));
}

TEST(PtrArray, RemoveMovesLaterElementsDownAndKeepsOrder) {
  PtrArray array;
  for (int i = 1; i <= 5; ++i) array.append(item(i));
  EXPECT_TRUE(array.removeAt(1));
  EXPECT_TRUE(array.removeAt(3));  // the last one
  ASSERT_EQ(array.count(), 3);
  EXPECT_EQ(array.at(0), item(1));
  EXPECT_EQ(array.at(1), item(3));
  EXPECT_EQ(array.at(2), item(4));
  EXPECT_EQ(array.indexOf(item(4)), 2);
  EXPECT_EQ(array.indexOf(item(2)), -1);
}

TEST(PtrArray, RemoveOutsideTheCountChangesNothing) {
  PtrArray array;
  array.append(item(1));
  EXPECT_FALSE(array.removeAt(-1));
  EXPECT_FALSE(array.removeAt(1));
  EXPECT_FALSE(PtrArray().removeAt(0));
  EXPECT_EQ(array.count(), 1);
}

TEST(PtrArray, ReadingBeyondTheCountGrowsWithNullElements) {
  PtrArray array;
  array.append(item(1));
  EXPECT_EQ(array.at(9), nullptr);
  EXPECT_EQ(array.count(), 10);
  EXPECT_GE(array.capacity(), 10);
  for (int i = 1; i < 10; ++i) EXPECT_EQ(array.at(i), nullptr);
  EXPECT_EQ(array.at(0), item(1));
  EXPECT_TRUE(array.setAt(20, item(21)));
  EXPECT_EQ(array.count(), 21);
  EXPECT_EQ(array.at(20), item(21));
}

TEST(PtrArray, NegativeOrUnreachableIndexGivesNullAndChangesNothing) {
  PtrArray array;
  array.append(item(1));
  EXPECT_EQ(array.at(-1), nullptr);
  EXPECT_EQ(array.at(PtrArray::kMaxCount), nullptr);
  EXPECT_EQ(array.at(INT32_MAX), nullptr);
  EXPECT_FALSE(array.setAt(-5, item(2)));
  EXPECT_EQ(array.count(), 1);
  EXPECT_EQ(array.capacity(), 4);
}

TEST(PtrArray, ClearEmptiesAndTheArrayCanBeReused) {
  PtrArrayOf<int> array;
  int a = 1, b = 2;
  array.append(&a);
  array.clear();
  EXPECT_EQ(array.count(), 0);
  EXPECT_EQ(array.capacity(), 0);
  array.append(&b);
  EXPECT_EQ(array.at(0), &b);
}

}  // namespace
