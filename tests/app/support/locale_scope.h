#pragma once
// Sets the default locale and the program's language for one scope and restores both.

#include <QLocale>

#include "app/common/string_table.h"

class LocaleScope {
 public:
  LocaleScope(const QLocale& locale, Language language) {
    QLocale::setDefault(locale);
    setLanguage(language);
  }
  // German numbers and texts, or English ones.
  explicit LocaleScope(QLocale::Language language)
      : LocaleScope(QLocale(language,
                            language == QLocale::German ? QLocale::Germany : QLocale::UnitedStates),
                    language == QLocale::German ? Language::German : Language::English) {}
  ~LocaleScope() {
    QLocale::setDefault(locale_);
    setLanguage(language_);
  }

 private:
  QLocale locale_;
  Language language_ = currentLanguage();
};
