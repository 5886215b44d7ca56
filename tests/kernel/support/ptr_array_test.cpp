#include "kernel/support/ptr_array.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

void* item(std::intptr_t n) { return reinterpret_cast<void*>(n); }

// A full array grows by its step, else doubles (from 4 when empty); what it held stays.
TEST(PtrArray, GrowsByItsStepOrDoubles) {
  const struct {
    std::int32_t step;
    int appends;
    std::vector<std::int32_t> capacities;
  } cases[] = {{0, 40, {4, 8, 16, 32, 64}}, {3, 10, {3, 6, 9, 12}}, {-2, 5, {4, 8}}};
  for (const auto& c : cases) {
    PtrArray array(c.step);
    std::vector<std::int32_t> seen;
    for (int i = 0; i < c.appends; ++i) {
      ASSERT_TRUE(array.append(item(i + 1)));
      if (seen.empty() || seen.back() != array.capacity()) seen.push_back(array.capacity());
    }
    EXPECT_EQ(seen, c.capacities) << "step " << c.step;
    ASSERT_EQ(array.count(), c.appends);
    for (int i = 0; i < c.appends; ++i) EXPECT_EQ(array.data()[i], item(i + 1));
  }
}

// An index at or beyond the count grows the array with null elements; a negative or
// unreachable one gives null and changes nothing.
TEST(PtrArray, IndexRules) {
  PtrArrayOf<int> array;
  int a = 1, b = 2;
  array.append(&a);
  EXPECT_EQ(array.at(9), nullptr);
  EXPECT_EQ(array.count(), 10);
  for (int i = 1; i < 10; ++i) EXPECT_EQ(array.at(i), nullptr) << i;
  EXPECT_TRUE(array.setAt(20, &b));
  EXPECT_EQ(array.count(), 21);
  EXPECT_EQ(array.at(20), &b);
  EXPECT_EQ(array.at(-1), nullptr);
  EXPECT_EQ(array.at(PtrArray::kMaxCount), nullptr);
  EXPECT_FALSE(array.setAt(-5, &b));
  EXPECT_EQ(array.count(), 21);
  EXPECT_EQ(array.at(0), &a);
}

TEST(PtrArray, RemoveKeepsOrderAndRefusesIndicesOutsideTheCount) {
  PtrArray array;
  for (int i = 1; i <= 5; ++i) array.append(item(i));
  EXPECT_TRUE(array.removeAt(1));
  EXPECT_TRUE(array.removeAt(3));  // the last one
  EXPECT_FALSE(array.removeAt(3));
  EXPECT_FALSE(array.removeAt(-1));
  ASSERT_EQ(array.count(), 3);
  EXPECT_EQ(std::vector<void*>(array.data(), array.data() + 3),
            (std::vector<void*>{item(1), item(3), item(4)}));
  EXPECT_EQ(array.indexOf(item(4)), 2);
  EXPECT_EQ(array.indexOf(item(2)), -1);
  array.clear();
  EXPECT_EQ(array.capacity(), 0);
  EXPECT_FALSE(array.removeAt(0));
  EXPECT_TRUE(array.append(item(7)));
  EXPECT_EQ(array.at(0), item(7));
}

}  // namespace
