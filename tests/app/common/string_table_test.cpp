#include "app/common/string_table.h"

#include <gtest/gtest.h>

namespace {

TEST(StringTable, HoldsEveryNumberInBothLanguagesExactlyAsWritten) {
  for (int id = 101; id <= 192; ++id) {
    EXPECT_EQ(resString(id, Language::German).isEmpty(), id == 190 || id == 191) << id;
    EXPECT_EQ(resString(id, Language::English).isEmpty(), id == 190 || id == 191) << id;
  }
  EXPECT_EQ(resString(108, Language::German), QString::fromUtf8("Anfangslänge"));
  EXPECT_EQ(resString(143, Language::English), "Please calculate again! ");
}

TEST(StringTable, LanguageFollowsTheLocaleUnlessChosen) {
  EXPECT_EQ(languageForLocale(QLocale(QLocale::German, QLocale::Austria)), Language::German);
  EXPECT_EQ(languageForLocale(QLocale(QLocale::French)), Language::English);
  Language chosen = Language::German;
  EXPECT_TRUE(languageFromCode("en", &chosen));
  EXPECT_EQ(chosen, Language::English);
  EXPECT_FALSE(languageFromCode("fr", &chosen));
}

}  // namespace
