#include "platform/com/bstr.h"

#include <gtest/gtest.h>

#include <random>

namespace {

TEST(Bstr, EmbeddedNulSurvivesConversion) {
  const OLECHAR text[] = {u'a', 0, u'b'};
  BSTR s = SysAllocStringLen(text, 3);
  EXPECT_EQ(utf8FromBstr(s), std::string("a\0b", 3));
  SysFreeString(s);
}

// Every code point (surrogates excepted) survives UTF-8 -> UTF-16 -> UTF-8, and the UTF-16
// length is 2 exactly for the supplementary planes.
TEST(Bstr, Utf8AndUtf16RoundTripAnyCodePoint) {
  std::mt19937 rng(7);
  std::uniform_int_distribution<std::uint32_t> cp(0, 0x10FFFF);
  for (int i = 0; i < 20000; ++i) {
    char32_t c = cp(rng);
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    const std::u32string one(1, c);
    std::string utf8;
    // Independent encoder: the standard conversion facets are deprecated, so spell it out.
    if (c < 0x80)
      utf8 = {char(c)};
    else if (c < 0x800)
      utf8 = {char(0xC0 | (c >> 6)), char(0x80 | (c & 0x3F))};
    else if (c < 0x10000)
      utf8 = {char(0xE0 | (c >> 12)), char(0x80 | ((c >> 6) & 0x3F)), char(0x80 | (c & 0x3F))};
    else
      utf8 = {char(0xF0 | (c >> 18)), char(0x80 | ((c >> 12) & 0x3F)),
              char(0x80 | ((c >> 6) & 0x3F)), char(0x80 | (c & 0x3F))};
    const std::u16string wide = utf16FromUtf8(utf8);
    ASSERT_EQ(wide.size(), c >= 0x10000 ? 2u : 1u) << std::hex << unsigned(c);
    ASSERT_EQ(utf8FromUtf16(wide), utf8) << std::hex << unsigned(c);
  }
}

TEST(Bstr, MalformedInputBecomesReplacementCharacters) {
  EXPECT_EQ(utf16FromUtf8("a\xFF"
                          "b"),
            u"a\uFFFDb");
  EXPECT_EQ(utf16FromUtf8("\xC0\xAF"), u"\uFFFD");      // overlong '/'
  EXPECT_EQ(utf16FromUtf8("\xED\xA0\x80"), u"\uFFFD");  // encoded surrogate
  EXPECT_EQ(utf16FromUtf8("x\xE2\x82"), u"x\uFFFD");    // cut short at the end
  EXPECT_EQ(utf8FromUtf16(std::u16string(1, char16_t(0xD800)) + u"z"), "\xEF\xBF\xBDz");
}

}  // namespace
