#include "app/simlink/simulation_guard.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "app/common/text_file.h"
#include "app/shell/file_commands.h"
#include "app/shell/input_chooser.h"
#include "app/shell/project_file.h"
#include "app/shell/server_error.h"
#include "tests/app/shell/sample_project.h"
#include "tests/app/support/scripted_dialogs.h"
#include "tests/simulator/motionsim_process.h"

namespace {

constexpr int kTestTimeoutMs = 5000;

class SimulationGuardTest : public testing::Test {
 protected:
  void attach(const std::string& document) {
    const std::string path = sim_.writeFile("inputs.msim", document);
    ASSERT_TRUE(sim_.start({path})) << sim_.output();
    ASSERT_TRUE(link_.AttachSimulation(QString::fromStdString(sim_.socketPath())));
  }

  QTemporaryDir dir_;
  ScriptedDialogs dialogs_;
  ProjectState project_;
  MotionsimProcess sim_;
  SimulationLink link_{kTestTimeoutMs};
  SimulationGuard guard_{link_, [this] { serverErrorRoutine(project_); }};
};

TEST_F(SimulationGuardTest, ChooserReadsInputsAndBindsEachNameOnce) {
  attach(
      "motionsim-document 1\nstep 0.02\ninput 1 Hub 0\ninput 5 hub 0\ninput 7 Rolle 0\n"
      "body 1 Scheibe\n");
  project_.addDrive(sampleRecord("Hub", 1, 2, 1));
  InputChooser chooser(project_, guard_);
  ASSERT_EQ(chooser.load(), SimOutcome::Done);
  EXPECT_EQ(chooser.documentName(), "inputs.msim");
  ASSERT_EQ(chooser.inputs().size(), 3u);
  EXPECT_EQ(chooser.inputs()[1].name, "hub");
  EXPECT_EQ(chooser.inputs()[2].id, 7);

  EXPECT_FALSE(chooser.cmdAdd(-1));
  EXPECT_FALSE(chooser.cmdAdd(0));  // "Hub" is bound already
  EXPECT_FALSE(project_.isChanged());
  EXPECT_EQ(chooser.cmdAdd(1), 1);  // "hub" is another name
  EXPECT_FALSE(chooser.cmdAdd(1));
  EXPECT_EQ(chooser.driveInputs(), (QStringList{"Hub", "hub"}));
  const DriveRecord& added = project_.drives().at(1);
  EXPECT_EQ(added.id, 5);
  EXPECT_FALSE(added.changed || added.closed);
  EXPECT_EQ(added.frameCount, 0);
  EXPECT_TRUE(project_.isChanged());
  EXPECT_TRUE(dialogs_.messages.isEmpty());
}

TEST_F(SimulationGuardTest, SimulatorKilledWhileTheChooserReadsGives164AndABackupOfEveryDrive) {
  attach("motionsim-document 1\nstep 0.02\ninput 1 Hub 0\nbody 1 Scheibe\n");
  fillTwoDrives(project_);
  project_.ProjektGeaendert();
  const QString backup = dir_.filePath("backup.idp");
  dialogs_.saveNames.push_back(backup);
  InputChooser chooser(project_, guard_);
  sim_.signal(SIGKILL);
  sim_.waitExit();

  EXPECT_EQ(chooser.InputAktualisieren(), SimOutcome::ServerError);
  EXPECT_EQ(guard_.lastError(), 462);
  ASSERT_EQ(dialogs_.messages.size(), 1);
  EXPECT_EQ(dialogs_.messages[0].text, resString(164));
  EXPECT_EQ(dialogs_.messages[0].title, "Server Fehler");
  EXPECT_EQ(dialogs_.messages[0].buttons, MessageButtons::Ok);
  ASSERT_EQ(dialogs_.fileRequests.size(), 1);
  EXPECT_EQ(dialogs_.fileRequests[0].filter, fileFilter(FileKind::Project));
  EXPECT_TRUE(project_.isChanged());

  // The marker line follows the first line; the backup reopens with every drive.
  const std::optional<QStringList> lines = readTextLines(backup);
  ASSERT_TRUE(lines);
  EXPECT_EQ(lines->at(1), "[Sicherung erfolgte wegen Server-Fehler]");
  ProjectState reopened;
  const ProjectFileResult opened = openProjectFile(reopened, backup);
  EXPECT_EQ(opened.outcome, FileOutcome::Done);
  ASSERT_EQ(reopened.driveCount(), 2);
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(reopened.drives()[i].name, project_.drives()[i].name);
    EXPECT_EQ(reopened.drives()[i].document->input.dataRows(),
              project_.drives()[i].document->input.dataRows());
  }

  // Every later operation meets the lost connection again; a cancelled dialog writes nothing.
  dialogs_.saveNames.push_back(std::nullopt);
  EXPECT_EQ(chooser.load(), SimOutcome::ServerError);
  EXPECT_EQ(dialogs_.messages.size(), 2);
}

TEST_F(SimulationGuardTest, OtherErrorsEndTheOperationSilentlyAndNestedRunsReportOnce) {
  int routines = 0;
  SimulationGuard counting(link_, [&] { ++routines; });
  int steps = 0;
  EXPECT_EQ(counting.run([&](SimulationLink&) {
    ++steps;
    throw SimulationError(9, "Subscript out of range");
  }),
            SimOutcome::OtherError);
  EXPECT_EQ(steps, 1);
  EXPECT_EQ(counting.lastError(), 9);
  EXPECT_EQ(routines, 0);

  // A frame loop skips a statement's error but not a lost connection; the inner run belongs
  // to the outer operation, so the routine runs once.
  EXPECT_EQ(counting.run([&](SimulationLink&) {
    for (int frame = 0; frame < 3; ++frame) {
      EXPECT_FALSE(skipSimulationError([] { throw SimulationError(438, "no member"); }));
      ++steps;
    }
    counting.run([](SimulationLink&) { throw SimulationError(462, "gone"); });
    ++steps;
  }),
            SimOutcome::ServerError);
  EXPECT_EQ(steps, 4);
  EXPECT_EQ(routines, 1);
  EXPECT_EQ(counting.run([](SimulationLink&) {}), SimOutcome::Done);
  EXPECT_EQ(counting.lastError(), 0);
  EXPECT_TRUE(dialogs_.messages.isEmpty());
}

}  // namespace
