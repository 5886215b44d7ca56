#include "app/shell/help_catalog.h"

#include <QCollator>
#include <QLocale>

#include <algorithm>

#include "app/common/text_file.h"
#include "app/resources/resource_paths.h"

namespace {

bool isComment(const QString& line) {
  return line.trimmed().isEmpty() || line.startsWith(QLatin1Char('#'));
}

// Lower case without accents, so "ubertragung" finds "Übertragung".
QString foldedText(const QString& text) {
  const QString decomposed = text.normalized(QString::NormalizationForm_D);
  QString folded;
  folded.reserve(decomposed.size());
  for (const QChar c : decomposed) {
    if (c.category() != QChar::Mark_NonSpacing) folded.append(c.toLower());
  }
  return folded;
}

QStringList fileLines(const QString& path) { return readTextLines(path).value_or(QStringList()); }

}  // namespace

QString manualFolder(Language language) {
  return manualPath() +
         (language == Language::German ? QStringLiteral("/de") : QStringLiteral("/en"));
}

QUrl manualUrl(Language language, const QString& target) {
  // ":/kinetra/manual/de" becomes "qrc:/kinetra/manual/de/page.html#anchor".
  return QUrl(QStringLiteral("qrc") + manualFolder(language) + QLatin1Char('/') + target);
}

QList<HelpTopic> parseContents(const QStringList& lines) {
  QList<HelpTopic> topics;
  for (const QString& line : lines) {
    if (isComment(line)) continue;
    const QStringList fields = line.split(QLatin1Char('\t'));
    bool isNumber = false;
    const int depth = fields.value(0).toInt(&isNumber);
    if (fields.size() != 3 || !isNumber || depth < 0 || fields[1].isEmpty()) continue;
    topics.append({depth, fields[1], fields[2]});
  }
  return topics;
}

QList<HelpKeyword> parseIndex(const QStringList& lines) {
  QList<HelpKeyword> keywords;
  for (const QString& line : lines) {
    if (isComment(line)) continue;
    const QStringList fields = line.split(QLatin1Char('\t'));
    if (fields.size() != 2 || fields[0].isEmpty() || fields[1].isEmpty()) continue;
    keywords.append({fields[0], fields[1]});
  }
  return keywords;
}

HelpCatalog loadHelpCatalog(Language language) {
  const QString folder = manualFolder(language);
  HelpCatalog catalog;
  catalog.contents = parseContents(fileLines(folder + QStringLiteral("/contents.txt")));
  catalog.index = parseIndex(fileLines(folder + QStringLiteral("/index.txt")));
  QCollator collator(QLocale(language == Language::German ? QLocale::German : QLocale::English));
  collator.setCaseSensitivity(Qt::CaseInsensitive);
  std::stable_sort(catalog.index.begin(), catalog.index.end(),
                   [&collator](const HelpKeyword& a, const HelpKeyword& b) {
                     return collator.compare(a.keyword, b.keyword) < 0;
                   });
  return catalog;
}

QList<int> filterIndex(const QList<HelpKeyword>& index, const QString& text) {
  const QStringList words = foldedText(text).split(QLatin1Char(' '), Qt::SkipEmptyParts);
  QList<int> matches;
  for (int i = 0; i < index.size(); ++i) {
    const QString keyword = foldedText(index[i].keyword);
    if (std::all_of(words.begin(), words.end(),
                    [&keyword](const QString& word) { return keyword.contains(word); })) {
      matches.append(i);
    }
  }
  return matches;
}
