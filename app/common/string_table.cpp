#include "app/common/string_table.h"

#include "app/resources/resource_paths.h"

#include <QFile>
#include <QHash>
#include <QStringList>

namespace {

struct Texts {
  QString german;
  QString english;
};

Language& languageSlot() {
  static Language language = languageForLocale(QLocale());
  return language;
}

// The table file is compiled into the program; it is read once, on first use.
const QHash<int, Texts>& table() {
  static const QHash<int, Texts> texts = [] {
    QHash<int, Texts> result;
    QFile file(stringTablePath());
    if (!file.open(QIODevice::ReadOnly)) return result;
    const QString all = QString::fromUtf8(file.readAll());
    for (const QString& line : all.split(QLatin1Char('\n'))) {
      if (line.isEmpty() || line.startsWith(QLatin1Char('#'))) continue;
      const QStringList fields = line.split(QLatin1Char('\t'));
      if (fields.size() != 3) continue;
      auto unescape = [](QString text) {
        return text.replace(QStringLiteral("\\n"), QStringLiteral("\n"));
      };
      result.insert(fields[0].toInt(), {unescape(fields[1]), unescape(fields[2])});
    }
    return result;
  }();
  return texts;
}

}  // namespace

Language languageForLocale(const QLocale& locale) {
  return locale.language() == QLocale::German ? Language::German : Language::English;
}

bool languageFromCode(const QString& code, Language* language) {
  if (code == QLatin1String("de")) {
    *language = Language::German;
  } else if (code == QLatin1String("en")) {
    *language = Language::English;
  } else {
    return false;
  }
  return true;
}

void setLanguage(Language language) { languageSlot() = language; }

Language currentLanguage() { return languageSlot(); }

QString resString(int id) { return resString(id, currentLanguage()); }

QString resString(int id, Language language) {
  const auto it = table().constFind(id);
  if (it == table().constEnd()) return {};
  return language == Language::German ? it->german : it->english;
}
