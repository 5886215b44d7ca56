#include "kernel/support/text_buffer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Text that does not fit grows the buffer by its step, else by its capacity (16 when none),
// and at least by what the text needs; a null or empty text appends nothing.
TEST(TextBuffer, GrowsByItsStepOrCapacityButAtLeastAsNeeded) {
  const struct {
    std::int32_t capacity, step;
    std::vector<std::string> texts;
    std::vector<std::int32_t> capacities;
  } cases[] = {{0, 0, {"", "abc", "defghijklmno", "p"}, {0, 16, 16, 32}},
               {4, 10, {"abcd", std::string(100, 'x')}, {14, 105}}};
  for (const auto& c : cases) {
    TextBuffer buffer(c.capacity, c.step);
    std::string all;
    for (std::size_t i = 0; i < c.texts.size(); ++i) {
      EXPECT_TRUE(buffer.append(c.texts[i].c_str()));
      all += c.texts[i];
      EXPECT_EQ(buffer.capacity(), c.capacities[i]) << i;
    }
    EXPECT_EQ(buffer.text(), all);
    EXPECT_EQ(buffer.length(), static_cast<std::int32_t>(all.size()));
  }
  TextBuffer empty;
  EXPECT_TRUE(empty.append(static_cast<const char*>(nullptr)));
  EXPECT_STREQ(empty.text(), "");
}

TEST(TextBuffer, WritesNumbersLikePrintf) {
  TextBuffer buffer;
  for (double v : {0.0, 1.5, -0.25, 0.1 + 0.2, 1e-5, 123456.0, 1234567.0, 3.14159265, 1e300})
    buffer << v << " ";
  // %x applies to the next whole number only, as its 32-bit pattern.
  buffer << 255 << " ";
  buffer.setFlags(TextBuffer::kHexOnce);
  buffer << 255 << " " << 255 << " ";
  buffer.setFlags(TextBuffer::kHexOnce);
  buffer << -1 << " " << -42L << " ";
  buffer.setFlags(TextBuffer::kHexOnce);
  buffer << 0x80004005L;
  EXPECT_STREQ(buffer.text(),
               "0 1.5 -0.25 0.3 1e-05 123456 1.23457e+06 3.14159 1e+300 "
               "255 ff 255 ffffffff -42 80004005");
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
