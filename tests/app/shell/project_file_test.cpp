#include "app/shell/project_file.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <signal.h>
#include <sys/resource.h>

#include "app/shell/file_commands.h"
#include "tests/app/shell/sample_project.h"
#include "tests/app/support/scripted_dialogs.h"

namespace {

QByteArray bytesOf(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeBytes(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(bytes);
}

void expectSameDrive(const DriveDocument& a, const DriveDocument& b) {
  EXPECT_EQ(a.input.dataRows(), b.input.dataRows());
  EXPECT_EQ(a.periodic, b.periodic);
  EXPECT_EQ(a.offsetText, b.offsetText);
  EXPECT_EQ(a.colorBgr, b.colorBgr);
}

TEST(DriveFile, ThreeRowsSaveAs47CrLfLinesAndOpenBack) {
  LocaleScope english(QLocale::English);
  QTemporaryDir dir;
  const QString path = dir.filePath("a.idd");
  DriveDocument drive = sampleDrive(3, 4);
  drive.periodic = true;
  ScriptedDialogs dialogs;
  dialogs.saveNames.push_back(path);
  ASSERT_EQ(DriveSave(drive), FileOutcome::Done);
  EXPECT_EQ(dialogs.fileRequests.at(0).filter, "*.idd (Kinetra Drive)|*.idd");
  const QByteArray bytes = bytesOf(path);
  EXPECT_EQ(bytes.count("\r\n"), 47);
  EXPECT_EQ(bytes.count('\n'), 47);
  EXPECT_TRUE(bytes.startsWith(" 4 \r\n 1 \r\n4\r\n")) << bytes.left(20).toStdString();

  // Opened into a table of five rows: the file fills rows 1 … 3, R − 2 = 2 new numbered rows
  // are appended, and rows 4 and 5 keep their texts.
  DriveDocument target = sampleDrive(5, 9);
  const DriveDocument before = target;
  dialogs.openNames.push_back(path);
  ASSERT_EQ(DriveOpen(target), FileOutcome::Done);
  ASSERT_EQ(target.input.rowCount(), 8);
  EXPECT_TRUE(target.periodic);
  for (int r = 1; r <= 3; ++r)
    for (int c = 1; c < InputTable::kColumns; ++c)
      EXPECT_EQ(target.input.cell(r, c), drive.input.cell(r, c)) << r << "," << c;
  EXPECT_EQ(target.input.dataRows()[3], before.input.dataRows()[3]);
  EXPECT_EQ(target.input.dataRows()[4], before.input.dataRows()[4]);
  EXPECT_EQ(target.input.cell(6, InputTable::kNumber), "5");
  EXPECT_EQ(target.input.cell(7, InputTable::kNumber), "6");
  EXPECT_EQ(target.input.cell(7, InputTable::kZ), "");
  EXPECT_EQ(target.offsetText, before.offsetText);  // not part of a drive file

  dialogs.openNames.push_back(std::nullopt);
  EXPECT_EQ(DriveOpen(target), FileOutcome::Cancelled);
}

TEST(ProjectFile, TwoDrivesWriteTheirBlocksAndReadBackExactly) {
  LocaleScope german(QLocale::German);
  ProjectState project;
  fillTwoDrives(project);
  project.drives()[1].document->offsetText = QStringLiteral("-0,25");
  giveResults(*project.drives()[0].document);
  const QStringList lines = projectFileLines(project, ProjectFileKind::Saved, QDate(2024, 3, 1));
  ASSERT_EQ(lines.size(), 5 + (11 + 3 * 15) + (11 + 1 * 15) + 1);
  EXPECT_EQ(lines[0], "[Projektdaten allgemein]01.03.24");
  const QStringList head{"cam_mechanism.msim",
                         " ,02 ",
                         " 2 ",
                         "[Start Drive]",
                         "[1.Antrieb]",
                         " 0 ",
                         "Hub",
                         " 1 ",
                         "False",
                         "True",
                         "10.5",
                         " 65280 ",
                         " 1 ",
                         " 4 ",
                         "[1.Tabelle]"};
  EXPECT_EQ(lines.mid(1, head.size()), head);
  const QStringList second{"[2.Antrieb]", " 1 ",       "Rolle", "-7 ", "True",       "False",
                           "-0,25",       " 1193046 ", " 0 ",   " 2 ", "[2.Tabelle]"};
  EXPECT_EQ(lines.mid(61, second.size()), second);
  EXPECT_EQ(lines.last(), "[End Drive]");

  QTemporaryDir dir;
  const QString path = dir.filePath("p.idp");
  ScriptedDialogs dialogs;
  dialogs.saveNames.push_back(path);
  project.ProjektGeaendert();
  const ProjectFileResult saved = ProjektSave(project);
  ASSERT_EQ(saved.outcome, FileOutcome::Done);
  EXPECT_EQ(saved.fileName, path);
  EXPECT_FALSE(project.isChanged());
  EXPECT_EQ(dialogs.fileRequests.at(0).filter, "*.idp (Kinetra Projekt)|*.idp");

  // Opened under a decimal point, the frame time and the offsets written with a comma read
  // back; the offset shows as the reader's general text.
  LocaleScope english(QLocale::English);
  ProjectState loaded;
  loaded.setFrameTime(0.5);
  loaded.ProjektGeaendert();
  dialogs.openNames.push_back(path);
  const ProjectFileResult opened = ProjektOpen(loaded);
  ASSERT_EQ(opened.outcome, FileOutcome::Done);
  EXPECT_EQ(opened.firstRecord, 0);
  EXPECT_EQ(opened.recordsCreated, 2);
  EXPECT_FALSE(loaded.isChanged());
  EXPECT_EQ(loaded.frameTime(), 0.02);
  ASSERT_EQ(loaded.driveCount(), 2);
  project.drives()[1].document->offsetText = QStringLiteral("-0.25");
  for (int i = 0; i < 2; ++i) {
    const DriveRecord& a = project.drives()[i];
    const DriveRecord& b = loaded.drives()[i];
    EXPECT_EQ(b.name, a.name);
    EXPECT_EQ(b.id, a.id);
    EXPECT_EQ(b.closed, a.closed);
    EXPECT_EQ(b.changed, a.changed);
    expectSameDrive(*b.document, *a.document);
    EXPECT_TRUE(b.document->results.isEmpty());
    EXPECT_FALSE(b.document->calculated);
  }
}

TEST(ProjectFile, FrameTimeIsWrittenInTheWritersDecimalConvention) {
  ProjectState project;
  for (const auto& [language, text] :
       {std::pair{QLocale::English, " .02 "}, std::pair{QLocale::German, " ,02 "}}) {
    LocaleScope scope(language);
    EXPECT_EQ(projectFileLines(project).at(2), text);
  }
}

// A count that claims more than the file holds once made the reader append that many rows:
// two billion of them hung the program and exhausted memory.
TEST(ProjectFile, CountsBeyondTheFileCreateOnlyWhatItsLinesFill) {
  QStringList cells;
  for (int i = 0; i < 20; ++i) cells << QString::number(i);

  DriveDocument drive;
  ASSERT_TRUE(readDriveFile(QStringList{" 2000000000 ", " 0 "} + cells, drive));
  ASSERT_EQ(drive.input.rowCount(), 3);  // 20 cells fill two rows
  EXPECT_EQ(drive.input.cell(2, InputTable::kNumber), "1");
  EXPECT_EQ(drive.input.cell(2, InputTable::kZ), "15");
  EXPECT_EQ(drive.input.cell(2, InputTable::kFirstParameter + 2), "");  // past the end

  const QStringList head{"[Projektdaten allgemein]",
                         "",
                         " .02 ",
                         " 30000 ",
                         "[Start Drive]",
                         "[1.Antrieb]",
                         " 0 ",
                         "Hub",
                         " 1 ",
                         "False",
                         "False",
                         "0",
                         " 255 ",
                         " 0 ",
                         " 2000000000 ",
                         "[1.Tabelle]"};
  ProjectState project;
  const ProjectReadResult read = readProjectFile(head + cells, project);
  EXPECT_FALSE(read.complete);
  ASSERT_EQ(read.recordsCreated, 1);
  ASSERT_EQ(project.driveCount(), 1);
  EXPECT_EQ(project.drives()[0].document->input.rowCount(), 3);
  EXPECT_EQ(project.drives()[0].document->colorBgr, 255u);

  // A project that ends inside a block keeps the records begun so far; the first drive's
  // last cell is line 60, the second block's sixth line is line 66.
  ProjectState two;
  fillTwoDrives(two);
  const QStringList lines = projectFileLines(two);
  ASSERT_EQ(lines.size(), 88);
  struct Cut {
    int keep;
    int records;
    bool complete;
  };
  for (const Cut& cut : {Cut{88, 2, true}, Cut{87, 2, true}, Cut{86, 2, false}, Cut{67, 2, false},
                         Cut{66, 1, false}, Cut{60, 1, false}, Cut{3, 0, false}}) {
    ProjectState partial;
    const ProjectReadResult r = readProjectFile(lines.mid(0, cut.keep), partial);
    EXPECT_EQ(r.complete, cut.complete) << cut.keep;
    EXPECT_EQ(partial.driveCount(), cut.records) << cut.keep;
    EXPECT_EQ(r.recordsCreated, cut.records) << cut.keep;
  }
}

// A save once truncated the file and wrote into it: a failure half way destroyed the old
// project. Here the disk "fills" after 64 bytes.
TEST(ProjectFile, AFailedSaveKeepsTheOldFile) {
  QTemporaryDir dir;
  const QString path = dir.filePath("old.idp");
  writeBytes(path, "old project\r\n");
  ProjectState project;
  fillTwoDrives(project);
  project.ProjektGeaendert();
  ScriptedDialogs dialogs;
  dialogs.saveNames.push_back(path);

  rlimit saved{};
  getrlimit(RLIMIT_FSIZE, &saved);
  const auto previousHandler = signal(SIGXFSZ, SIG_IGN);
  rlimit small = saved;
  small.rlim_cur = 64;
  setrlimit(RLIMIT_FSIZE, &small);
  const ProjectFileResult result = ProjektSave(project);
  setrlimit(RLIMIT_FSIZE, &saved);
  signal(SIGXFSZ, previousHandler);

  EXPECT_EQ(result.outcome, FileOutcome::Failed);
  EXPECT_TRUE(project.isChanged());
  EXPECT_EQ(bytesOf(path), "old project\r\n");
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"old.idp"});
}

TEST(ProjectFile, ReadersStopAtLinesThatDoNotConvert) {
  DriveDocument drive;
  const DriveDocument before = drive;
  for (const QStringList& lines :
       {QStringList{}, QStringList{" 4 "}, QStringList{"x", " 0 "}, QStringList{" 3 ", "True?"}}) {
    EXPECT_FALSE(readDriveFile(lines, drive)) << lines.join('|').toStdString();
    EXPECT_EQ(drive.input.dataRows(), before.input.dataRows());
  }
  ProjectState project;
  const QStringList bad{"[Projektdaten allgemein]",
                        "",
                        " .02 ",
                        " 1 ",
                        "[Start Drive]",
                        "[1.Antrieb]",
                        " 0 ",
                        "Hub",
                        "ID?"};
  EXPECT_EQ(readProjectFile(bad, project).recordsCreated, 0);
  EXPECT_EQ(project.driveCount(), 0);
}

}  // namespace
