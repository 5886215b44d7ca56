#include "platform/com/guid.h"

#include <gtest/gtest.h>

#include <random>

#include "platform/com/interfaces.h"

namespace {

GUID randomGuid(std::mt19937& rng) {
  GUID g;
  g.Data1 = static_cast<std::uint32_t>(rng());
  g.Data2 = static_cast<std::uint16_t>(rng());
  g.Data3 = static_cast<std::uint16_t>(rng());
  for (auto& b : g.Data4) b = static_cast<std::uint8_t>(rng());
  return g;
}

TEST(Guid, RegistryFormRoundTripsAndOrdersConsistently) {
  std::mt19937 rng(20240611);
  for (int i = 0; i < 2000; ++i) {
    const GUID a = randomGuid(rng), b = randomGuid(rng);
    const auto parsed = guidFromString(guidToString(a));
    ASSERT_TRUE(parsed.has_value());
    EXPECT_EQ(*parsed, a);
    EXPECT_FALSE(a < a);
    if (a == b) continue;
    EXPECT_NE(a < b, b < a);
  }
}

TEST(Guid, ParsingAcceptsLowerCaseAndRejectsMalformedTexts) {
  EXPECT_EQ(guidFromString("{a6ef9860-c720-11d0-9337-00a0c90dcaa9}"), IID_IDispatchEx);
  for (const char* bad :
       {"", "A6EF9860-C720-11D0-9337-00A0C90DCAA9", "{A6EF9860-C720-11D0-9337-00A0C90DCAA9",
        "{A6EF9860C720-11D0-9337-00A0C90DCAA9-}", "{A6EF9860-C720-11D0-9337-00A0C90DCAAG}",
        "{A6EF9860-C720-11D0-9337-00A0C90DCAA9} ", "{+6EF9860-C720-11D0-9337-00A0C90DCAA9}"})
    EXPECT_FALSE(guidFromString(bad).has_value()) << bad;
}

}  // namespace
