#include "app/simlink/simlink_commands.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QTemporaryDir>

#include "app/simlink/exchange_files.h"
#include "tests/app/support/attached_simulation.h"

namespace {

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
