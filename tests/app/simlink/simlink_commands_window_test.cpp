#include "app/simlink/simlink_commands.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "app/simlink/exchange_files.h"
#include "app/simlink/frm_wm_check.h"
#include "tests/app/support/attached_simulation.h"

namespace {

using TransferCommandTest = AttachedSimulation;

// Clicks a button of the modal dialog once it is up; gives up (closing it) after a while, so
// the test cannot hang on it.
void clickInModal(const char* name) {
  auto* poll = new QTimer;
  auto* deadline = new QElapsedTimer;
  deadline->start();
  QObject::connect(poll, &QTimer::timeout, [poll, deadline, name] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr && deadline->elapsed() < 5000) return;
    if (modal != nullptr) {
      auto* target = modal->findChild<QPushButton*>(QLatin1String(name));
      if (target) target->click();
      if (modal->isVisible()) modal->close();
    }
    poll->deleteLater();
    delete deadline;
  });
  poll->start(10);
}

TEST_F(TransferCommandTest, RefusesUncomputedDrivesElseRunsTheModalCheck) {
  start(kTwoSliders);
  QWidget mainWindow;
  mainWindow.setWindowTitle("Kinetra - demo.idp");
  ProjectState state;
  DriveRecord uncomputed;
  uncomputed.name = "Hub";
  state.addDrive(uncomputed);
  EXPECT_FALSE(openTransfer(state, guard_, &mainWindow));
  ASSERT_EQ(dialogs_.messages.size(), 1);
  EXPECT_EQ(dialogs_.messages[0].text, resString(158));
  EXPECT_EQ(dialogs_.messages[0].title, "Kinetra - demo.idp");
  EXPECT_TRUE(calls_.isEmpty()) << "no check without results";

  state.drives()[0] = calculatedDrive("Hub", "10", ramp(5));
  clickInModal("cmdCancel");
  EXPECT_FALSE(openTransfer(state, guard_, &mainWindow));
  EXPECT_EQ(calls_.count("RunToFrame"), 0);
  clickInModal("cmdTransfer");
  EXPECT_TRUE(openTransfer(state, guard_, &mainWindow));
  EXPECT_EQ(calls_.count("RunToFrame"), 5);
}

TEST(ExchangeMenuTest, ItemsFollowTheProjectAndEveryListedNameGetsAWindow) {
  QTemporaryDir dir;
  QFile list(dir.filePath("drive.txt"));
  ASSERT_TRUE(list.open(QIODevice::WriteOnly));
  list.write("Hub\r\nHub2\r\n");
  list.close();
  qputenv("KINETRA_EXCHANGE_DIR", dir.path().toUtf8());
  ScriptedDialogs dialogs;
  ProjectState state;
  QMenu menu;
  QAction* get = menu.addAction("get");
  QAction* push = menu.addAction("push");
  std::vector<int> opened;
  connectExchangeMenu(&menu, get, push, state, [&](int number) { opened.push_back(number); });

  emit menu.aboutToShow();
  EXPECT_TRUE(get->isEnabled());
  get->trigger();
  EXPECT_EQ(opened, (std::vector<int>{0, 1}));
  emit menu.aboutToShow();
  EXPECT_FALSE(get->isEnabled());
  EXPECT_FALSE(push->isEnabled()) << "the new drives are not computed";

  for (DriveRecord& drive : state.drives()) drive = calculatedDrive(drive.name, "1", ramp(3));
  emit menu.aboutToShow();
  EXPECT_TRUE(push->isEnabled());
  push->trigger();
  qunsetenv("KINETRA_EXCHANGE_DIR");
  EXPECT_TRUE(QFile::exists(dir.filePath("Hub2.txt")));
  ASSERT_EQ(dialogs.messages.size(), 1);
  EXPECT_EQ(dialogs.messages[0].text, "2 Dateien wurden gespeichert");
}

}  // namespace
