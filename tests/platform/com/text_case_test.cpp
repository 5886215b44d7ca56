#include "platform/com/text_case.h"

#include <gtest/gtest.h>

namespace {

using namespace std::string_view_literals;

TEST(TextCase, FoldsAsciiLettersOnlyAndOrdersBytesUnsigned) {
  EXPECT_TRUE(equalsNoCase("HKEY_Classes_Root"sv, "hkey_classes_root"sv));
  EXPECT_TRUE(equalsNoCase(u"ItemName"sv, "itemNAME"sv));
  EXPECT_FALSE(equalsNoCase("Ä"sv, "ä"sv)) << "no folding beyond ASCII";
  EXPECT_FALSE(equalsNoCase("["sv, "{"sv)) << "only letters fold";
  EXPECT_FALSE(equalsNoCase("abc"sv, "ab"sv));
  EXPECT_LT(compareNoCase("apple"sv, "Banana"sv), 0);
  EXPECT_LT(compareNoCase("ab"sv, "AB c"sv), 0) << "a beginning sorts first";
  EXPECT_GT(compareNoCase("\xC3\xA4"sv, "z"sv), 0) << "UTF-8 bytes sort after ASCII";
}

}  // namespace
