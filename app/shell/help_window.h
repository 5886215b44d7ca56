#pragma once
// The help window: the program's own manual with a contents tree, a keyword index with a
// filter box and the page itself. One window per program, in the language the program
// speaks (currentLanguage()); the Help menu's "Inhalt" and "Index" open it.
//
//   HelpWindow::instance()->showContents();      // mnuHelpInhalt
//   HelpWindow::instance()->showIndex();         // mnuHelpIndex
//   HelpWindow::instance()->showPage("laws.html#choose");
//
// Controls (object names): tabHelp with the contents tree tvwHelpContents and the index
// page (filter txtHelpFilter, list lstHelpIndex), the page brwHelpPage, the tool bar
// tbrHelp.

#include <QWidget>

#include "app/common/string_table.h"
#include "app/shell/help_catalog.h"

class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QTabWidget;
class QTextBrowser;
class QTreeWidget;
class QTreeWidgetItem;
class QUrl;
class QAction;

class HelpWindow : public QWidget {
  Q_OBJECT
 public:
  // The program's help window, created on first use; it is deleted when the application
  // quits (or by whoever deletes it, after which instance() makes a new one).
  static HelpWindow* instance();

  // Brings the window up with the contents tree in front.
  void showContents();
  // Brings the window up with the keyword index in front and the filter box focused.
  void showIndex();
  // Brings the window up at a page of the manual: "page.html" or "page.html#anchor".
  void showPage(const QString& page);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  HelpWindow();

  // Takes the program's current language: texts, contents and index are loaded again when
  // it changed since the last call.
  void followLanguage();
  void loadLanguage(Language language);
  void fillContents();
  void fillIndex();
  void applyFilter(const QString& text);
  // Moves the index selection over the visible entries (Up/Down typed in the filter box).
  void stepIndex(int step);
  void openIndexItem(QListWidgetItem* item);
  void openTopic(QTreeWidgetItem* item);
  // After a page is shown: the window title names it and the contents tree marks it. The URL
  // comes from the signal: source() may still name the page before while it is emitted.
  void pageShown(const QUrl& url);
  void showFirstPageOnce();
  void bringUp();

  Language language_;
  HelpCatalog catalog_;
  QTabWidget* tabs_;
  QTreeWidget* contents_;
  QLineEdit* filter_;
  QListWidget* index_;
  QTextBrowser* page_;
  QAction* back_;
  QAction* forward_;
  QAction* home_;
};
