#include "kernel/support/text_conversion.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "platform/com/bstr.h"

namespace {

Bstr makeBstr(const std::u16string& text) { return Bstr(std::u16string_view(text)); }
std::u16string contents(BSTR s) { return std::u16string(s, SysStringLen(s)); }
std::string newText(BSTR s) {
  std::unique_ptr<char[]> text(bstrToNewText(s));
  return text ? std::string(text.get()) : std::string("<null>");
}
const char* utf8(const char8_t* text) { return reinterpret_cast<const char*>(text); }

// Fault mended: the buffer was left without a terminator when the text did not fit.
TEST(TextConversion, BufferConversionCutsAtCharacterBoundaryAndTerminates) {
  Bstr source = makeBstr(u"Kä😀x");  // UTF-8: K(1) ä(2) 😀(4) x(1)
  const struct {
    int size;
    const char8_t* expected;
  } cases[] = {{1, u8""},   {2, u8"K"},   {3, u8"K"},    {4, u8"Kä"},
               {7, u8"Kä"}, {8, u8"Kä😀"}, {9, u8"Kä😀x"}, {32, u8"Kä😀x"}};
  for (const auto& c : cases) {
    char buffer[40];
    std::memset(buffer, '#', sizeof buffer);
    bstrToText(source.get(), buffer, c.size);
    EXPECT_STREQ(buffer, utf8(c.expected)) << c.size;
    EXPECT_EQ(buffer[c.size], '#') << "wrote past " << c.size;
  }
  char untouched[2] = "u";
  bstrToText(source.get(), untouched, 0);
  EXPECT_STREQ(untouched, "u");
}

// Unpaired surrogates (UTF-16 to UTF-8) and ill-formed UTF-8 (the other way) become U+FFFD.
TEST(TextConversion, MalformedInputBecomesReplacementCharacters) {
  const std::u16string lone{u'a', char16_t(0xD800), u'b', char16_t(0xDC00), char16_t(0xD83D)};
  EXPECT_EQ(newText(makeBstr(lone).get()), std::string(utf8(u8"a\uFFFDb\uFFFD\uFFFD")));
  const struct {
    const char* text;
    std::u16string expected;
  } cases[] = {
      {"\xC3(", u"\uFFFD("},                              // lead byte without continuation
      {"\xC0\xAF", u"\uFFFD\uFFFD"},                      // overlong form of "/"
      {"\xE0\x80\x80", u"\uFFFD\uFFFD\uFFFD"},            // overlong three-byte form
      {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},            // encoded surrogate
      {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // beyond U+10FFFF
      {"a\xE2\x82", u"a\uFFFD"},                          // cut off by the end
      {"\xE2\x82\xAC\x80", u"€\uFFFD"},                   // stray continuation byte
      {"\xFF\xFE", u"\uFFFD\uFFFD"},
  };
  for (const auto& c : cases) {
    auto wide = Bstr::adopt(textToBstr(c.text));
    ASSERT_FALSE(wide.isNull());
    EXPECT_EQ(contents(wide.get()), c.expected) << c.text;
  }
}

}  // namespace
