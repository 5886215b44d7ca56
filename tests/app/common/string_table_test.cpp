#include "app/common/string_table.h"

#include <gtest/gtest.h>

namespace {

TEST(StringTable, HoldsEveryNumberInBothLanguagesExactlyAsWritten) {
  std::vector<int> ids;
  for (int id = 101; id <= 189; ++id) ids.push_back(id);
  ids.push_back(192);
  for (int id : ids) {
    EXPECT_FALSE(resString(id, Language::German).isEmpty()) << id;
    EXPECT_FALSE(resString(id, Language::English).isEmpty()) << id;
  }
  EXPECT_EQ(resString(108, Language::German), QString::fromUtf8("Anfangslänge"));
  EXPECT_EQ(resString(143, Language::English), "Please calculate again! ");
  EXPECT_TRUE(resString(190).isEmpty());
}

TEST(StringTable, LanguageFollowsTheLocaleUnlessChosen) {
  EXPECT_EQ(languageForLocale(QLocale(QLocale::German, QLocale::Austria)), Language::German);
  EXPECT_EQ(languageForLocale(QLocale(QLocale::French)), Language::English);
  Language chosen = Language::German;
  EXPECT_TRUE(languageFromCode("en", &chosen));
  EXPECT_EQ(chosen, Language::English);
  EXPECT_FALSE(languageFromCode("fr", &chosen));
  const Language before = currentLanguage();
  setLanguage(Language::German);
  EXPECT_EQ(resString(189), QString::fromUtf8("ENDE"));
  setLanguage(before);
}

}  // namespace
