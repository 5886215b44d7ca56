#pragma once
// The user manual as the help window offers it: its folder for a language, the contents
// (page order, depth and titles) and the keyword index, read from the compiled-in files
// manual/<de|en>/contents.txt and index.txt, and the narrowing of the index by a typed text.
//
//   contents.txt: depth (0 = top level), TAB, page[#anchor], TAB, title
//   index.txt:    keyword, TAB, page[#anchor]
//
// Lines that are empty or start with '#' are comments. Qt Core only.

#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

#include "app/common/string_table.h"

struct HelpTopic {
  int depth = 0;
  QString target;  // "page.html" or "page.html#anchor"
  QString title;
};

struct HelpKeyword {
  QString keyword;
  QString target;
};

struct HelpCatalog {
  QList<HelpTopic> contents;
  QList<HelpKeyword> index;  // sorted by keyword for the language
};

// The manual's folder for a language: manualPath() + "/de" or "/en".
QString manualFolder(Language language);
// A page (with or without an anchor) as a URL the help browser can load.
QUrl manualUrl(Language language, const QString& target);

// The lines of the two files; malformed lines are left out.
QList<HelpTopic> parseContents(const QStringList& lines);
QList<HelpKeyword> parseIndex(const QStringList& lines);
// Both files of a language; the index sorted as the language sorts words.
HelpCatalog loadHelpCatalog(Language language);

// The positions of the index entries that match a typed text: every word of the text occurs
// in the keyword, case and accents ignored. An empty text matches every entry.
QList<int> filterIndex(const QList<HelpKeyword>& index, const QString& text);
