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

TEST(Guid, WellKnownIdentifierHasItsRegistryForm) {
  EXPECT_EQ(guidToString(IID_IDispatch), "{00020400-0000-0000-C000-000000000046}");
  EXPECT_EQ(guidToString(IID_IDispatchEx), "{A6EF9860-C720-11D0-9337-00A0C90DCAA9}");
  EXPECT_EQ(guidToString(GUID_NULL), "{00000000-0000-0000-0000-000000000000}");
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

TEST(Guid, OleStringFormsMatchTheRegistryForm) {
  OLECHAR buf[39];
  EXPECT_EQ(StringFromGUID2(IID_IUnknown, buf, 38), 0);  // too small for the NUL
  ASSERT_EQ(StringFromGUID2(IID_IUnknown, buf, 39), 39);
  EXPECT_EQ(utf8FromOleStr(buf), "{00000000-0000-0000-C000-000000000046}");
  CLSID parsed;
  EXPECT_EQ(CLSIDFromString(buf, &parsed), S_OK);
  EXPECT_EQ(parsed, IID_IUnknown);
  EXPECT_EQ(CLSIDFromString(u"VelDrive.1", &parsed), CO_E_CLASSSTRING);
  EXPECT_EQ(IIDFromString(u"{nonsense}", &parsed), E_INVALIDARG);
  LPOLESTR text = nullptr;
  ASSERT_EQ(StringFromCLSID(IID_IClassFactory, &text), S_OK);
  EXPECT_EQ(utf8FromOleStr(text), "{00000001-0000-0000-C000-000000000046}");
  CoTaskMemFree(text);
}

}  // namespace
