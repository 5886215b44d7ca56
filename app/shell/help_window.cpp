#include "app/shell/help_window.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QSplitter>
#include <QStyle>
#include <QTabWidget>
#include <QTextBrowser>
#include <QToolBar>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QVBoxLayout>

#include <algorithm>

#include "app/resources/resource_paths.h"

namespace {

// The window's own words; the pages carry the rest.
struct WindowTexts {
  QString help;
  QString index;
  QString filter;
  QString back;
  QString forward;
  QString home;
};

WindowTexts windowTexts(Language language) {
  if (language == Language::German) {
    return {QStringLiteral("Hilfe"),  QStringLiteral("Index"), QStringLiteral("Stichwort …"),
            QStringLiteral("Zurück"), QStringLiteral("Vor"),   QStringLiteral("Startseite")};
  }
  return {QStringLiteral("Help"), QStringLiteral("Index"),   QStringLiteral("Keyword …"),
          QStringLiteral("Back"), QStringLiteral("Forward"), QStringLiteral("Start page")};
}

// The page part of a URL or target: "laws.html" of "…/en/laws.html#choose".
QString pageFile(const QString& pathOrTarget) {
  const QString path = pathOrTarget.section(QLatin1Char('#'), 0, 0);
  return path.section(QLatin1Char('/'), -1);
}

constexpr int kIndexPositionRole = Qt::UserRole;
constexpr int kTargetRole = Qt::UserRole + 1;

QPointer<HelpWindow>& windowSlot() {
  static QPointer<HelpWindow> window;
  return window;
}

}  // namespace

HelpWindow* HelpWindow::instance() {
  QPointer<HelpWindow>& window = windowSlot();
  if (!window) {
    window = new HelpWindow;
    // The help window does not keep the program running, and goes with it.
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, window, [] { delete windowSlot(); });
  }
  return window;
}

HelpWindow::HelpWindow()
    : QWidget(nullptr, Qt::Window),
      language_(currentLanguage()),
      tabs_(new QTabWidget),
      contents_(new QTreeWidget),
      filter_(new QLineEdit),
      index_(new QListWidget),
      page_(new QTextBrowser) {
  setObjectName(QStringLiteral("frmHelp"));
  setAttribute(Qt::WA_QuitOnClose, false);
  setWindowIcon(QIcon(picturePath(kPictureProgram)));
  resize(1080, 760);

  auto* toolBar = new QToolBar;
  toolBar->setObjectName(QStringLiteral("tbrHelp"));
  toolBar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  back_ = toolBar->addAction(style()->standardIcon(QStyle::SP_ArrowBack), QString());
  forward_ = toolBar->addAction(style()->standardIcon(QStyle::SP_ArrowForward), QString());
  home_ = toolBar->addAction(QIcon::fromTheme(QStringLiteral("go-home")), QString());
  back_->setShortcut(QKeySequence::Back);
  forward_->setShortcut(QKeySequence::Forward);
  back_->setEnabled(false);
  forward_->setEnabled(false);

  contents_->setObjectName(QStringLiteral("tvwHelpContents"));
  contents_->setHeaderHidden(true);
  contents_->setRootIsDecorated(true);
  contents_->setIndentation(18);
  contents_->setUniformRowHeights(true);

  filter_->setObjectName(QStringLiteral("txtHelpFilter"));
  filter_->setClearButtonEnabled(true);
  filter_->installEventFilter(this);
  index_->setObjectName(QStringLiteral("lstHelpIndex"));
  index_->setUniformItemSizes(true);
  auto* indexPage = new QWidget;
  auto* indexLayout = new QVBoxLayout(indexPage);
  indexLayout->setContentsMargins(6, 6, 6, 6);
  indexLayout->setSpacing(6);
  indexLayout->addWidget(filter_);
  indexLayout->addWidget(index_);

  tabs_->setObjectName(QStringLiteral("tabHelp"));
  tabs_->addTab(contents_, QString());
  tabs_->addTab(indexPage, QString());
  // Roomier rows than a plain list: the lists are read, not scanned.
  tabs_->setStyleSheet(QStringLiteral("QTreeView::item, QListView::item { padding: 3px 2px; }"));

  page_->setObjectName(QStringLiteral("brwHelpPage"));
  page_->setOpenLinks(true);
  page_->setOpenExternalLinks(false);
  page_->document()->setDocumentMargin(18);
  // The pages name the shared style sheet for web browsers; the browser here takes it as the
  // document's default style, which every page it loads starts from.
  QFile styleSheet(manualPath() + QStringLiteral("/manual.css"));
  if (styleSheet.open(QIODevice::ReadOnly)) {
    page_->document()->setDefaultStyleSheet(QString::fromUtf8(styleSheet.readAll()));
  }

  auto* splitter = new QSplitter(Qt::Horizontal);
  splitter->addWidget(tabs_);
  splitter->addWidget(page_);
  splitter->setStretchFactor(0, 0);
  splitter->setStretchFactor(1, 1);
  splitter->setSizes({370, 710});
  splitter->setChildrenCollapsible(false);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(toolBar);
  layout->addWidget(splitter);

  connect(back_, &QAction::triggered, page_, &QTextBrowser::backward);
  connect(forward_, &QAction::triggered, page_, &QTextBrowser::forward);
  connect(home_, &QAction::triggered, this, [this] {
    if (!catalog_.contents.isEmpty()) showPage(catalog_.contents.first().target);
  });
  connect(page_, &QTextBrowser::backwardAvailable, back_, &QAction::setEnabled);
  connect(page_, &QTextBrowser::forwardAvailable, forward_, &QAction::setEnabled);
  connect(page_, &QTextBrowser::sourceChanged, this, &HelpWindow::pageShown);
  connect(contents_, &QTreeWidget::itemClicked, this, &HelpWindow::openTopic);
  connect(contents_, &QTreeWidget::itemActivated, this, &HelpWindow::openTopic);
  connect(filter_, &QLineEdit::textChanged, this, &HelpWindow::applyFilter);
  connect(filter_, &QLineEdit::returnPressed, this,
          [this] { openIndexItem(index_->currentItem()); });
  connect(index_, &QListWidget::itemActivated, this, &HelpWindow::openIndexItem);

  loadLanguage(language_);
}

void HelpWindow::followLanguage() {
  if (language_ != currentLanguage()) loadLanguage(currentLanguage());
}

void HelpWindow::loadLanguage(Language language) {
  language_ = language;
  const WindowTexts texts = windowTexts(language_);
  setWindowTitle(QString::fromLatin1(kProductName) + QStringLiteral(" – ") + texts.help);
  tabs_->setTabText(0, resString(129, language_));
  tabs_->setTabText(1, texts.index);
  filter_->setPlaceholderText(texts.filter);
  back_->setText(texts.back);
  forward_->setText(texts.forward);
  home_->setText(texts.home);
  catalog_ = loadHelpCatalog(language_);
  fillContents();
  fillIndex();
  page_->clearHistory();
  page_->setSource(QUrl());
  page_->clear();
}

void HelpWindow::fillContents() {
  contents_->clear();
  // The last item seen at each depth is the parent of the next deeper one.
  QList<QTreeWidgetItem*> parents;
  for (const HelpTopic& topic : catalog_.contents) {
    const int depth = std::min<int>(topic.depth, parents.size());
    parents.resize(depth);
    auto* item = depth == 0 ? new QTreeWidgetItem(contents_) : new QTreeWidgetItem(parents.last());
    item->setText(0, topic.title);
    item->setData(0, kTargetRole, topic.target);
    parents.append(item);
  }
  contents_->expandAll();
}

void HelpWindow::fillIndex() {
  index_->clear();
  for (int i = 0; i < catalog_.index.size(); ++i) {
    auto* item = new QListWidgetItem(catalog_.index[i].keyword, index_);
    item->setData(kIndexPositionRole, i);
  }
  filter_->clear();
  applyFilter(QString());
}

void HelpWindow::applyFilter(const QString& text) {
  const QList<int> matches = filterIndex(catalog_.index, text);
  QListWidgetItem* first = nullptr;
  for (int row = 0, next = 0; row < index_->count(); ++row) {
    QListWidgetItem* item = index_->item(row);
    const bool match = next < matches.size() && matches[next] == row;
    if (match) {
      ++next;
      if (!first) first = item;
    }
    item->setHidden(!match);
  }
  index_->setCurrentItem(first);
  if (first) index_->scrollToItem(first, QAbstractItemView::PositionAtTop);
}

void HelpWindow::stepIndex(int step) {
  int row = index_->currentRow();
  for (int next = row + step; next >= 0 && next < index_->count(); next += step) {
    if (!index_->item(next)->isHidden()) {
      row = next;
      break;
    }
  }
  if (row >= 0) index_->setCurrentRow(row);
}

bool HelpWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == filter_ && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Down || key == Qt::Key_Up) {
      stepIndex(key == Qt::Key_Down ? 1 : -1);
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void HelpWindow::openIndexItem(QListWidgetItem* item) {
  if (!item || item->isHidden()) return;
  const int position = item->data(kIndexPositionRole).toInt();
  showPage(catalog_.index.value(position).target);
}

void HelpWindow::openTopic(QTreeWidgetItem* item) {
  if (item) showPage(item->data(0, kTargetRole).toString());
}

void HelpWindow::pageShown(const QUrl& url) {
  const QString shown = pageFile(url.path());
  const QString title = page_->documentTitle();
  setWindowTitle(QString::fromLatin1(kProductName) + QStringLiteral(" – ") +
                 windowTexts(language_).help +
                 (title.isEmpty() ? QString() : QStringLiteral(": ") + title));
  // Mark the first topic of the page, or the one of the exact anchor where there is one.
  const QString fragment = url.fragment();
  QTreeWidgetItem* mark = nullptr;
  for (QTreeWidgetItemIterator it(contents_); *it; ++it) {
    const QString target = (*it)->data(0, kTargetRole).toString();
    if (pageFile(target) != shown) continue;
    if (!mark) mark = *it;
    if (!fragment.isEmpty() && target.section(QLatin1Char('#'), 1) == fragment) {
      mark = *it;
      break;
    }
  }
  if (!mark) return;
  const QSignalBlocker blocker(contents_);
  contents_->setCurrentItem(mark);
  contents_->scrollToItem(mark);
}

void HelpWindow::showContents() {
  followLanguage();
  tabs_->setCurrentIndex(0);
  showFirstPageOnce();
  bringUp();
  contents_->setFocus();
}

void HelpWindow::showIndex() {
  followLanguage();
  tabs_->setCurrentIndex(1);
  showFirstPageOnce();
  bringUp();
  filter_->setFocus();
  filter_->selectAll();
}

void HelpWindow::showPage(const QString& page) {
  followLanguage();
  page_->setSource(manualUrl(language_, page));
  bringUp();
}

void HelpWindow::showFirstPageOnce() {
  if (page_->source().isEmpty() && !catalog_.contents.isEmpty()) {
    page_->setSource(manualUrl(language_, catalog_.contents.first().target));
  }
}

void HelpWindow::bringUp() {
  if (isMinimized()) showNormal();
  show();
  raise();
  activateWindow();
}
