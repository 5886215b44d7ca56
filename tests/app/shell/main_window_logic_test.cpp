#include "app/shell/main_window_logic.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "app/shell/options.h"
#include "tests/app/shell/sample_project.h"
#include "tests/app/support/scripted_dialogs.h"

namespace {

TEST(Options, FramesPerSecondBecomeTheFrameTimeOnlyWhenAbove0) {
  LocaleScope german(QLocale::German);
  ProjectState project;
  EXPECT_EQ(framesPanelText(project.frameTime()), "Frames 50/s");
  for (const char* refused : {"0", "-3", "x", "", "1e-320"}) {
    EXPECT_FALSE(applyOptions(project, refused, 3)) << refused;
    EXPECT_EQ(project.decimals(), 10);
    EXPECT_FALSE(project.isChanged());
  }
  ASSERT_TRUE(applyOptions(project, "25", 0));
  EXPECT_EQ(project.frameTime(), 0.04);
  EXPECT_EQ(project.decimals(), 0);
  EXPECT_TRUE(project.isChanged());
  EXPECT_EQ(framesPanelText(project.frameTime()), "Frames 25/s");
  ASSERT_TRUE(applyOptions(project, "12,5", 15));
  EXPECT_EQ(framesPanelText(project.frameTime()), "Frames 12,5/s");
}

TEST(MainWindow, ProjectMenuOffersOpenOnlyWithoutDrivesAndGraphOnlyWhenAllAreCalculated) {
  struct Case {
    std::vector<bool> calculated;
    ProjectMenuState expected;  // open, calculate, graph, save
  };
  const Case cases[] = {{{}, {true, false, false, false}},
                        {{false}, {false, true, false, true}},
                        {{true, false}, {false, true, false, true}},
                        {{true, true}, {false, true, true, true}}};
  for (const Case& c : cases) {
    ProjectState project;
    for (const bool calculated : c.calculated) {
      DriveRecord record;
      if (calculated) giveResults(*record.document);
      project.addDrive(std::move(record));
    }
    const ProjectMenuState s = projectMenuState(project);
    EXPECT_EQ(std::tie(s.open, s.calculate, s.graph, s.save),
              std::tie(c.expected.open, c.expected.calculate, c.expected.graph, c.expected.save))
        << c.calculated.size();
  }
}

TEST(MainWindow, ClosingWindow1Of012LeavesWindows0And1) {
  LocaleScope german(QLocale::German);
  ProjectState project;
  for (const char* name : {"A", "B", "C"}) project.addDrive(sampleRecord(name, 0, 1, 1));
  driveWindowClosed(project, 1);
  EXPECT_EQ(SetChildNumbers(0, 1), 0);
  EXPECT_EQ(SetChildNumbers(2, 1), 1);
  ASSERT_EQ(project.driveCount(), 2);
  EXPECT_EQ(project.drives()[1].name, "C");
  EXPECT_EQ(drivesPanelText(project.driveCount()), "Antriebe: 2");
  EXPECT_TRUE(project.isChanged());
}

// A Yes to "save?" followed by a cancelled or failed save closed the window anyway and lost
// the drive (or the project); the window now stays open.
TEST(MainWindow, ClosingQuestionsCloseOnlyWhenNothingIsLost) {
  QTemporaryDir dir;
  struct Case {
    bool mainWindow;
    bool changed;
    MessageAnswer answer;
    std::optional<QString> saveName;
    bool closes;
  };
  const Case cases[] = {
      {false, true, MessageAnswer::Cancel, {}, false},
      {false, true, MessageAnswer::No, {}, true},
      {false, true, MessageAnswer::Yes, dir.filePath("d.idd"), true},
      {false, true, MessageAnswer::Yes, std::nullopt, false},
      {false, false, MessageAnswer::Cancel, {}, true},
      {true, false, MessageAnswer::Cancel, {}, true},
      {true, true, MessageAnswer::Cancel, {}, false},
      {true, true, MessageAnswer::Yes, std::nullopt, false},
      {true, true, MessageAnswer::Yes, dir.filePath("p.idp"), true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(&c - cases);
    ProjectState project;
    DriveRecord record;
    record.changed = c.changed;
    project.addDrive(std::move(record));
    if (c.mainWindow && c.changed) project.ProjektGeaendert();
    ScriptedDialogs dialogs;
    dialogs.answers.push_back(c.answer);
    dialogs.saveNames.push_back(c.saveName);
    EXPECT_EQ(c.mainWindow ? queryCloseMain(project) : queryCloseDrive(project, 0, true), c.closes);
    ASSERT_EQ(dialogs.messages.size(), c.changed ? 1 : 0);
    if (c.changed) {
      EXPECT_EQ(dialogs.messages[0].text, resString(c.mainWindow ? 172 : 118));
      EXPECT_EQ(dialogs.messages[0].buttons, MessageButtons::YesNoCancel);
    }
    EXPECT_EQ(project.drives()[0].closed, !c.mainWindow && c.closes);
  }
  EXPECT_TRUE(QFile::exists(dir.filePath("d.idd")) && QFile::exists(dir.filePath("p.idp")));
}

}  // namespace
