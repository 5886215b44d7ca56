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

const Language kLanguages[] = {Language::German, Language::English};

QString fileText(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QStringList captures(const QString& text, const QString& pattern) {
  QStringList found;
  for (const auto& match : QRegularExpression(pattern).globalMatch(text)) {
    found << match.captured(1);
  }
  return found;
}

// Why a link from a page in folder fails, or nothing when it resolves: "page.html#anchor",
// "#anchor" (same page) and "../manual.css" must name a compiled-in file and an anchor in it.
std::string brokenLink(const QString& folder, const QString& fromPage, const QString& link) {
  if (link.contains(QLatin1Char(':'))) return "points outside the manual";
  const QString file = link.section(QLatin1Char('#'), 0, 0);
  const QString anchor = link.section(QLatin1Char('#'), 1);
  const QString path =
      QDir::cleanPath(folder + QLatin1Char('/') + (file.isEmpty() ? fromPage : file));
  if (!QFile::exists(path)) return "no file " + path.toStdString();
  if (anchor.isEmpty()) return {};
  const QStringList anchors = captures(fileText(path), QStringLiteral(R"((?:id|name)="([^"]+)\")"));
  return anchors.contains(anchor) ? std::string() : "no anchor in " + path.toStdString();
}

TEST(Manual, BothLanguagesHoldTheSamePagesAndEveryTargetAndLinkResolves) {
  QStringList pagesOf[2];
  for (int l = 0; l < 2; ++l) {
    const Language language = kLanguages[l];
    const QString folder = manualFolder(language);
    const QStringList pages = QDir(folder).entryList({QStringLiteral("*.html")}, QDir::Files);
    pagesOf[l] = pages;
    const HelpCatalog catalog = loadHelpCatalog(language);
    ASSERT_GT(catalog.contents.size(), 10) << folder.toStdString();
    ASSERT_GT(catalog.index.size(), 50) << folder.toStdString();
    QStringList targets;
    for (const HelpTopic& topic : catalog.contents) targets << topic.target;
    for (const HelpKeyword& keyword : catalog.index) targets << keyword.target;
    for (const QString& target : targets) {
      EXPECT_EQ(brokenLink(folder, QString(), target), "") << target.toStdString();
    }
    for (const QString& page : pages) {
      const QString html = fileText(folder + QLatin1Char('/') + page);
      for (const QString& link : captures(html, QStringLiteral(R"((?:href|src)="([^"]*)\")"))) {
        EXPECT_EQ(brokenLink(folder, page, link), "")
            << page.toStdString() << " → " << link.toStdString();
      }
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
TEST(HelpWindowTest, IndexAndContentsOpenPagesInTheProgramsLanguage) {
  const auto child = [](const char* name) {
    return HelpWindow::instance()->findChild<QWidget*>(name);
  };
  const auto shownPage = [&] {
    return qobject_cast<QTextBrowser*>(child("brwHelpPage"))
        ->source()
        .path()
        .section('/', -2)
        .toStdString();
  };
  const auto tree = [&] { return qobject_cast<QTreeWidget*>(child("tvwHelpContents")); };
  {
    LocaleScope german(QLocale::German);
    HelpWindow::instance()->showIndex();
    auto* filter = qobject_cast<QLineEdit*>(child("txtHelpFilter"));
    auto* list = qobject_cast<QListWidget*>(child("lstHelpIndex"));
    QTest::keyClicks(filter, QStringLiteral("ubertr"));  // without the accent
    for (int i = 0; i < list->count(); ++i) {
      EXPECT_EQ(list->item(i)->isHidden(),
                !list->item(i)->text().contains("bertr", Qt::CaseInsensitive))
          << list->item(i)->text().toStdString();
    }
    QTest::keyClick(filter, Qt::Key_Return);
    EXPECT_EQ(shownPage(), "de/transfer.html");
    HelpWindow::instance()->showPage(QStringLiteral("laws.html#marks"));  // marked
    EXPECT_EQ(tree()->currentItem()->text(0), "Bewegungsgesetze");
    delete HelpWindow::instance();
  }
  LocaleScope english(QLocale::English);
  HelpWindow::instance()->showContents();
  EXPECT_EQ(shownPage(), "en/index.html");
  QTreeWidgetItem* laws = tree()->findItems("Motion laws", Qt::MatchExactly).value(0);
  ASSERT_NE(laws, nullptr);
  QTest::mouseClick(tree()->viewport(), Qt::LeftButton, {}, tree()->visualItemRect(laws).center());
  EXPECT_EQ(shownPage(), "en/laws.html");
  delete HelpWindow::instance();
}

}  // namespace
