#include "kernel/support/text_buffer.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>

namespace {

TEST(TextBuffer, GrowsBySixteenWhenEmptyThenByItsCapacity) {
  TextBuffer buffer;
  EXPECT_EQ(buffer.capacity(), 0);
  EXPECT_STREQ(buffer.text(), "");
  buffer.append("abc");
  EXPECT_EQ(buffer.capacity(), 16);
  buffer.append("defghijklmno");  // 15 characters + terminator fill 16
  EXPECT_EQ(buffer.capacity(), 16);
  buffer.append("p");
  EXPECT_EQ(buffer.capacity(), 32);
  EXPECT_STREQ(buffer.text(), "abcdefghijklmnop");
  EXPECT_EQ(buffer.length(), 16);
}

TEST(TextBuffer, GrowsByItsStepButAtLeastByWhatTheTextNeeds) {
  TextBuffer buffer(4, 10);
  EXPECT_EQ(buffer.capacity(), 4);
  buffer.append("abcd");  // needs 5
  EXPECT_EQ(buffer.capacity(), 14);
  const std::string longText(100, 'x');
  buffer.append(longText.c_str());  // needs 105
  EXPECT_EQ(buffer.capacity(), 105);
  EXPECT_EQ(buffer.text(), "abcd" + longText);
}

TEST(TextBuffer, NullOrEmptyTextAppendsNothing) {
  TextBuffer buffer;
  EXPECT_TRUE(buffer.append(static_cast<const char*>(nullptr)));
  EXPECT_TRUE(buffer.append(""));
  EXPECT_EQ(buffer.length(), 0);
  EXPECT_EQ(buffer.capacity(), 0);
}

TEST(TextBuffer, WritesDoublesInShortestOfFixedAndExponentForm) {
  const struct {
    double value;
    const char* text;
  } cases[] = {{0.0, "0"},           {1.5, "1.5"},         {-0.25, "-0.25"},   {0.1 + 0.2, "0.3"},
               {1e-5, "1e-05"},      {123456.0, "123456"}, {1234567.0, "1.23457e+06"},
               {3.14159265, "3.14159"}, {1e300, "1e+300"}};
  for (const auto& c : cases) {
    TextBuffer buffer;
    buffer << c.value;
    EXPECT_STREQ(buffer.text(), c.text);
  }
}

TEST(TextBuffer, HexFlagAppliesToTheNextWholeNumberOnly) {
  TextBuffer buffer;
  buffer << 255 << " ";
  buffer.setFlags(TextBuffer::kHexOnce);
  buffer << 255 << " " << 255 << " ";
  EXPECT_EQ(buffer.flags(), 0u);
  buffer.setFlags(TextBuffer::kHexOnce);
  buffer << -1 << " " << -42L << " ";
  buffer.setFlags(TextBuffer::kHexOnce);
  buffer << 0x80004005L;
  EXPECT_STREQ(buffer.text(), "255 ff 255 ffffffff -42 80004005");
}

TEST(TextBuffer, DoublesIgnoreTheProgramLocale) {
  if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8")) GTEST_SKIP() << "no German locale";
  TextBuffer buffer;
  buffer << 2.5;
  std::setlocale(LC_NUMERIC, "C");
  EXPECT_STREQ(buffer.text(), "2.5");
}

TEST(TextBuffer, ClearKeepsCapacityAndConvertsToAutomationString) {
  TextBuffer buffer(512);
  buffer << "Größe " << 3;
  BSTR s = buffer.toBstr();
  EXPECT_EQ(std::u16string(s, SysStringLen(s)), u"Größe 3");
  SysFreeString(s);
  buffer.clear();
  EXPECT_STREQ(buffer.text(), "");
  EXPECT_EQ(buffer.capacity(), 512);
}

}  // namespace
