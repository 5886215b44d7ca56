#include "app/shell/project_file.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include <signal.h>
#include <sys/resource.h>

#include "app/shell/file_commands.h"
#include "tests/app/shell/sample_project.h"
#include "tests/app/support/file_bytes.h"
#include "tests/app/support/scripted_dialogs.h"

namespace {

TEST(DriveFile, ThreeRowsSaveAs47LinesAndOpenIntoALargerTableFromRow1) {
  QTemporaryDir dir;
  const QString path = dir.filePath("a.idd");
  DriveRecord source = sampleRecord("a", 0, 3, 4);
  source.document->periodic = true;
  ScriptedDialogs dialogs;
  dialogs.saveNames.push_back(path);
  dialogs.openNames = {path, std::nullopt};
  ASSERT_EQ(DriveSave(*source.document), FileOutcome::Done);
  const QByteArray bytes = fileBytes(path);
  EXPECT_EQ(bytes.count("\r\n"), 47);
  EXPECT_EQ(bytes.count('\n'), 47);
  EXPECT_TRUE(bytes.startsWith(" 4 \r\n 1 \r\n361\r\n")) << bytes.left(20).toStdString();

  // Five rows before: the file fills rows 1 … 3, rows 4 and 5 keep their texts, and
  // R − 2 = 2 new rows numbered 5 and 6 follow.
  DriveRecord target = sampleRecord("b", 0, 5, 9);
  const auto before = target.document->input.dataRows();
  ASSERT_EQ(DriveOpen(*target.document), FileOutcome::Done);
  const auto& rows = target.document->input.dataRows();
  ASSERT_EQ(rows.size(), 7u);
  EXPECT_TRUE(target.document->periodic);
  for (int r = 0; r < 3; ++r) EXPECT_EQ(rows[r], source.document->input.dataRows()[r]);
  EXPECT_EQ(rows[3], before[3]);
  EXPECT_EQ(rows[4], before[4]);
  EXPECT_EQ(rows[6][InputTable::kNumber], "6");
  EXPECT_EQ(rows[6][InputTable::kZ], "");
  EXPECT_EQ(DriveOpen(*target.document), FileOutcome::Cancelled);
  EXPECT_EQ(dialogs.fileRequests.at(0).filter, fileFilter(FileKind::Drive));
}

TEST(ProjectFile, TwoDrivesWriteTheirBlocksAndReadBackExactly) {
  LocaleScope german(QLocale::German);
  ProjectState project;
  fillTwoDrives(project);
  project.drives()[1].document->offsetText = "-0,25";
  giveResults(*project.drives()[0].document);
  const QStringList lines = projectFileLines(project, ProjectFileKind::Saved, QDate(2024, 3, 1));
  ASSERT_EQ(lines.size(), 5 + (11 + 3 * 15) + (11 + 1 * 15) + 1);
  EXPECT_EQ(lines[0], "[Projektdaten allgemein]01.03.24");
  EXPECT_EQ(lines.mid(1, 15), QStringLiteral("cam_mechanism.msim| ,02 | 2 |[Start Drive]|"
                                             "[1.Antrieb]| 0 |Hub| 1 |False|True|10.5| 65280 |"
                                             " 1 | 4 |[1.Tabelle]")
                                  .split('|'));
  EXPECT_EQ(lines.mid(61, 11), QStringLiteral("[2.Antrieb]| 1 |Rolle|-7 |True|False|-0,25|"
                                              " 1193046 | 0 | 2 |[2.Tabelle]")
                                   .split('|'));
  EXPECT_EQ(lines.last(), "[End Drive]");

  QTemporaryDir dir;
  const QString path = dir.filePath("p.idp");
  ScriptedDialogs dialogs;
  dialogs.saveNames.push_back(path);
  dialogs.openNames.push_back(path);
  project.ProjektGeaendert();
  ASSERT_EQ(ProjektSave(project).outcome, FileOutcome::Done);
  EXPECT_FALSE(project.isChanged());

  // Opened under a decimal point: the frame time and the offset written with a comma read
  // back, the offset shown as the reader's number text.
  LocaleScope english(QLocale::English);
  ProjectState loaded;
  loaded.setFrameTime(0.5);
  loaded.ProjektGeaendert();
  const ProjectFileResult opened = ProjektOpen(loaded);
  ASSERT_EQ(opened.outcome, FileOutcome::Done);
  EXPECT_EQ(opened.fileName, path);
  EXPECT_EQ(opened.recordsCreated, 2);
  EXPECT_FALSE(loaded.isChanged());
  EXPECT_EQ(loaded.frameTime(), 0.02);
  ASSERT_EQ(loaded.driveCount(), 2);
  project.drives()[1].document->offsetText = "-0.25";
  for (int i = 0; i < 2; ++i) {
    const DriveRecord &a = project.drives()[i], &b = loaded.drives()[i];
    const DriveDocument &x = *a.document, &y = *b.document;
    EXPECT_EQ(std::tie(b.name, b.id, b.closed, b.changed, y.periodic, y.offsetText, y.colorBgr),
              std::tie(a.name, a.id, a.closed, a.changed, x.periodic, x.offsetText, x.colorBgr));
    EXPECT_EQ(y.input.dataRows(), x.input.dataRows());
    EXPECT_TRUE(b.document->results.isEmpty());
  }
}

// A count that claimed more than the file holds made the reader append that many rows: two
// billion of them hung the program and exhausted memory.
TEST(ProjectFile, CountsBeyondTheFileCreateOnlyWhatItsLinesFill) {
  QStringList cells;
  for (int i = 0; i < 20; ++i) cells << QString::number(i);
  DriveDocument drive;
  ASSERT_TRUE(readDriveFile(QStringList{" 2000000000 ", " 0 "} + cells, drive));
  ASSERT_EQ(drive.input.rowCount(), 3);  // 20 cells fill two rows
  EXPECT_EQ(drive.input.cell(2, InputTable::kZ), "15");

  ProjectState one;
  one.addDrive(DriveRecord{});
  QStringList lines = projectFileLines(one).mid(0, 16);
  lines[3] = " 30000 ";        // drive count
  lines[14] = " 2000000000 ";  // row count
  ProjectState project;
  const ProjectReadResult read = readProjectFile(lines + cells, project);
  EXPECT_FALSE(read.complete);
  ASSERT_EQ(project.driveCount(), 1);
  EXPECT_EQ(project.drives()[0].document->input.rowCount(), 3);

  // A file that ends early keeps the records begun (six lines of a block) so far.
  ProjectState two;
  fillTwoDrives(two);
  const QStringList full = projectFileLines(two);
  const std::pair<int, int> cuts[] = {{87, 2}, {67, 2}, {66, 1}, {3, 0}};  // lines kept, records
  for (const auto& [keep, records] : cuts) {
    ProjectState partial;
    const ProjectReadResult r = readProjectFile(full.mid(0, keep), partial);
    EXPECT_EQ(r.complete, keep == 87) << keep;
    EXPECT_EQ(partial.driveCount(), records) << keep;
  }
}

// A save truncated the file and wrote into it, and a write that failed half way (here: the
// disk "fills" after 64 bytes) left a cut project behind, reported as saved.
TEST(ProjectFile, AFailedSaveKeepsTheOldFile) {
  QTemporaryDir dir;
  const QString path = dir.filePath("old.idp");
  ASSERT_TRUE(writeTextFile(path, {"old project"}));
  ProjectState project;
  fillTwoDrives(project);
  project.ProjektGeaendert();
  ScriptedDialogs dialogs;
  dialogs.saveNames.push_back(path);

  rlimit saved{};
  getrlimit(RLIMIT_FSIZE, &saved);
  const auto handler = signal(SIGXFSZ, SIG_IGN);
  rlimit small = saved;
  small.rlim_cur = 64;
  setrlimit(RLIMIT_FSIZE, &small);
  const FileOutcome outcome = ProjektSave(project).outcome;
  setrlimit(RLIMIT_FSIZE, &saved);
  signal(SIGXFSZ, handler);

  EXPECT_EQ(outcome, FileOutcome::Failed);
  EXPECT_TRUE(project.isChanged());
  EXPECT_EQ(fileBytes(path), "old project\r\n");
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"old.idp"});
}

}  // namespace
