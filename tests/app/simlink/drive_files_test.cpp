// Value logs and the exchange files: the files a transfer's drives leave for other programs.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "app/common/string_table.h"
#include "app/simlink/exchange_files.h"
#include "app/simlink/value_log.h"
#include "tests/app/support/attached_simulation.h"
#include "tests/app/support/file_bytes.h"

namespace {

class DriveFilesTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    state_.addDrive(calculatedDrive("Hub", "10", {{0, -2.5}, {3.6, 0}, {7.2, 1.25}}));
    state_.addDrive(calculatedDrive("Hub2", "-0.5", {{0, 1}, {3.6, 2}}));
  }
  QString path(const QString& name) const { return dir_.filePath(name); }

  QTemporaryDir dir_;
  ProjectState state_;
  ScriptedDialogs dialogs_;
};

TEST_F(DriveFilesTest, ValueLogsHoldZValueAndFrameOfEveryTransferredFrame) {
  state_.transferFrameCount = 3;
  const FilesWritten written = cmdWerteProtokol(state_, dir_.path());
  EXPECT_TRUE(written.ok()) << written.error.toStdString();
  EXPECT_EQ(fileBytes(path("Hub.txt")),
            " 0\t 7.5\t0.Frame\r\n 3.6\t 10\t1.Frame\r\n 7.2\t 11.25\t2.Frame\r\n");
  // The shorter drive logs the frames it has.
  EXPECT_EQ(fileBytes(path("Hub2.txt")), " 0\t 0.5\t0.Frame\r\n 3.6\t 1.5\t1.Frame\r\n");
  ASSERT_EQ(dialogs_.messages.size(), 1);
  EXPECT_EQ(dialogs_.messages[0].title, "Kinetra");
  EXPECT_EQ(dialogs_.messages[0].icon, MessageIcon::Information);
}

// The texts around the folder bring no blank of their own in German: the folder ran into
// them ("…im Verzeichnis/home/xgespeichert").
TEST_F(DriveFilesTest, ValueLogMessageSetsTheFolderApartByOneBlank) {
  const Language before = currentLanguage();
  const std::pair<Language, QString> cases[] = {
      {Language::German, "2 Datei(en) wurde(n) im Verzeichnis %1 gespeichert"},
      {Language::English, "2 File(s) was in %1 saved"}};
  for (const auto& [language, text] : cases) {
    setLanguage(language);
    dialogs_.messages.clear();
    cmdWerteProtokol(state_, dir_.path());
    ASSERT_EQ(dialogs_.messages.size(), 1);
    EXPECT_EQ(dialogs_.messages[0].text, text.arg(dir_.path()));
  }
  setLanguage(before);
}

// A drive name is a simulation input's name or a line of another program's list: it must not
// steer a file out of the chosen folder.
TEST_F(DriveFilesTest, NameWithAPathSeparatorStopsTheWritingWithoutASuccessMessage) {
  state_.addDrive(calculatedDrive("../escape", "1", {{0, 1}}));
  state_.transferFrameCount = 1;
  const FilesWritten logs = cmdWerteProtokol(state_, dir_.path());
  const FilesWritten splines = mnuAdamsPush(state_, dir_.path());
  for (const FilesWritten& w : {logs, splines}) {
    EXPECT_FALSE(w.ok());
    EXPECT_EQ(w.count, 2);
  }
  EXPECT_TRUE(dialogs_.messages.isEmpty());
  EXPECT_FALSE(QFile::exists(dir_.filePath("../escape.txt")));
}

TEST_F(DriveFilesTest, SplineFilesAddTheOffsetAndCountTheFiles) {
  qputenv("KINETRA_EXCHANGE_DIR", dir_.path().toUtf8());
  const FilesWritten written = mnuAdamsPush(state_);
  qunsetenv("KINETRA_EXCHANGE_DIR");
  EXPECT_EQ(exchangeDirectory(), "/tmp/");
  EXPECT_TRUE(written.ok());
  EXPECT_EQ(fileBytes(path("Hub.txt")),
            "time\tSplineHub\r\n 0\t 7.5\r\n 3.6\t 10\r\n 7.2\t 11.25\r\n");
  EXPECT_EQ(fileBytes(path("Hub2.txt")), "time\tSplineHub2\r\n 0\t 0.5\r\n 3.6\t 1.5\r\n");
  ASSERT_EQ(dialogs_.messages.size(), 1);
  EXPECT_EQ(dialogs_.messages[0].text, "2 Dateien wurden gespeichert");
  EXPECT_EQ(dialogs_.messages[0].icon, MessageIcon::Information);
}

TEST_F(DriveFilesTest, NameListCreatesOneDrivePerLineWithItsIndexAsIdentifier) {
  ProjectState fresh;
  EXPECT_TRUE(adamsMenuState(fresh).getEnabled);
  QFile list(path("drive.txt"));
  ASSERT_TRUE(list.open(QIODevice::WriteOnly));
  list.write("Hub\r\nHub2\r\nDrei\r\n");
  list.close();
  EXPECT_EQ(mnuAdamsGet(fresh, dir_.path()), 3);
  ASSERT_EQ(fresh.driveCount(), 3);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(fresh.drives()[i].id, i);
  EXPECT_EQ(fresh.drives()[2].name, "Drei");
  EXPECT_TRUE(dialogs_.messages.isEmpty());
  EXPECT_FALSE(adamsMenuState(fresh).getEnabled);
  EXPECT_FALSE(adamsMenuState(fresh).pushEnabled) << "not computed";
  EXPECT_TRUE(adamsMenuState(state_).pushEnabled);

  // An empty or missing list: "fehler", nothing added.
  ASSERT_TRUE(list.open(QIODevice::WriteOnly | QIODevice::Truncate));
  list.close();
  for (const QString& dir : {dir_.path(), dir_.filePath("missing")}) {
    dialogs_.messages.clear();
    EXPECT_EQ(mnuAdamsGet(fresh, dir), 0);
    ASSERT_EQ(dialogs_.messages.size(), 1);
    EXPECT_EQ(dialogs_.messages[0].text, "fehler");
  }
  EXPECT_EQ(fresh.driveCount(), 3);
}

}  // namespace
