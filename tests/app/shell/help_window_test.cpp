#include "app/shell/help_window.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QRegularExpression>
#include <QTest>
#include <QTextBrowser>
#include <QTreeWidget>

#include "tests/app/support/locale_scope.h"

namespace {

QString fileText(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QStringList captures(const QString& text, const char* pattern) {
  QStringList found;
  for (const auto& match : QRegularExpression(pattern).globalMatch(text))
    found << match.captured(1);
  return found;
}

// Why a link from a page in folder fails, or nothing when it resolves: "page.html#anchor",
// "#anchor" (same page) and "../manual.css" must name a compiled-in file and an anchor in it.
std::string brokenLink(const QString& folder, const QString& fromPage, const QString& link) {
  if (link.contains(':')) return "points outside the manual";
  const QString file = link.section('#', 0, 0), anchor = link.section('#', 1);
  const QString path = QDir::cleanPath(folder + '/' + (file.isEmpty() ? fromPage : file));
  if (!QFile::exists(path)) return "no file " + path.toStdString();
  if (anchor.isEmpty() || captures(fileText(path), R"re((?:id|name)="([^"]+)")re").contains(anchor))
    return {};
  return "no anchor in " + path.toStdString();
}

TEST(Manual, BothLanguagesHoldTheSamePagesAndEveryTargetAndLinkResolves) {
  QStringList pagesOf[2];
  for (const Language language : {Language::German, Language::English}) {
    const QString folder = manualFolder(language);
    const QStringList pages = QDir(folder).entryList({QStringLiteral("*.html")}, QDir::Files);
    pagesOf[language == Language::German ? 0 : 1] = pages;
    const HelpCatalog catalog = loadHelpCatalog(language);
    ASSERT_GT(catalog.index.size(), 50) << folder.toStdString();
    QStringList targets;
    for (const HelpTopic& topic : catalog.contents) targets << topic.target;
    for (const HelpKeyword& keyword : catalog.index) targets << keyword.target;
    for (const QString& target : targets)
      EXPECT_EQ(brokenLink(folder, QString(), target), "") << target.toStdString();
    for (const QString& page : pages) {
      for (const QString& link :
           captures(fileText(folder + '/' + page), R"re((?:href|src)="([^"]*)")re"))
        EXPECT_EQ(brokenLink(folder, page, link), "")
            << page.toStdString() << " → " << link.toStdString();
    }
  }
  EXPECT_EQ(pagesOf[0], pagesOf[1]);
}

TEST(Manual, IndexFilterIgnoresCaseAndAccentsAndNeedsEveryWord) {
  const QList<HelpKeyword> index = {{QStringLiteral("Übertragung"), QStringLiteral("a.html")},
                                    {QStringLiteral("Lambda"), QStringLiteral("b.html")},
                                    {QStringLiteral("Ca, Lambda folgt"), QStringLiteral("c.html")}};
  const struct {
    const char* text;
    QList<int> matches;
  } cases[] = {{"", {0, 1, 2}}, {"UBERT", {0}}, {"lambda", {1, 2}}, {" ca  lam", {2}}, {"x", {}}};
  for (const auto& c : cases) {
    EXPECT_EQ(filterIndex(index, QString::fromUtf8(c.text)), c.matches) << c.text;
  }
}

// The program's one help window: the index narrowed by typing, the contents, the page marked.
TEST(HelpWindowTest, TypingNarrowsTheIndexEnterOpensThePageAndTheContentsMarkIt) {
  LocaleScope german(QLocale::German);
  HelpWindow* help = HelpWindow::instance();
  help->showIndex();
  auto* filter = help->findChild<QLineEdit*>("txtHelpFilter");
  auto* list = help->findChild<QListWidget*>("lstHelpIndex");
  QTest::keyClicks(filter, QStringLiteral("ubertr"));  // without the accent
  for (int i = 0; i < list->count(); ++i) {
    EXPECT_EQ(list->item(i)->isHidden(),
              !list->item(i)->text().contains("bertr", Qt::CaseInsensitive))
        << list->item(i)->text().toStdString();
  }
  QTest::keyClick(filter, Qt::Key_Return);
  EXPECT_EQ(help->findChild<QTextBrowser*>("brwHelpPage")->source().path().section('/', -2),
            "de/transfer.html");
  help->showPage(QStringLiteral("laws.html#marks"));
  EXPECT_EQ(help->findChild<QTreeWidget*>("tvwHelpContents")->currentItem()->text(0),
            "Bewegungsgesetze");
  delete help;
}

}  // namespace
