#include "app/simlink/simulation_guard.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "app/common/text_file.h"
#include "app/shell/file_commands.h"
#include "app/shell/input_chooser.h"
#include "app/shell/server_error.h"
#include "tests/app/shell/sample_project.h"
#include "tests/app/support/attached_simulation.h"

namespace {

class SimulationGuardTest : public AttachedSimulation {
 protected:
  void attach() { start("motionsim-document 1\nstep 0.02\ninput 1 Hub 0\ninput 5 hub 0\n"); }
  InputChooser chooser_{project_, backupGuard_};
};

TEST_F(SimulationGuardTest, ChooserBindsEachInputNameOnceComparingCase) {
  attach();
  project_.addDrive(sampleRecord("Hub", 1, 2, 1));
  ASSERT_EQ(chooser_.load(), SimOutcome::Done);
  EXPECT_EQ(chooser_.documentName(), "test.msim");
  ASSERT_EQ(chooser_.inputs().size(), 2u);
  EXPECT_FALSE(chooser_.cmdAdd(-1));  // nothing selected
  EXPECT_FALSE(chooser_.cmdAdd(0));   // "Hub" is bound already
  EXPECT_FALSE(project_.isChanged());
  EXPECT_EQ(chooser_.cmdAdd(1), 1);  // "hub" is another name
  EXPECT_FALSE(chooser_.cmdAdd(1));
  EXPECT_EQ(chooser_.driveInputs(), (QStringList{"Hub", "hub"}));
  const DriveRecord& added = project_.drives().at(1);
  EXPECT_EQ(added.id, 5);
  EXPECT_FALSE(added.changed || added.closed || added.frameCount);
  EXPECT_TRUE(project_.isChanged());
}

TEST_F(SimulationGuardTest, SimulatorKilledWhileTheChooserReadsGives164AndABackupOfEveryDrive) {
  attach();
  fillTwoDrives(project_);
  QTemporaryDir dir;
  const QString backup = dir.filePath("backup.idp");
  dialogs_.saveNames = {backup, std::nullopt};
  kill();

  EXPECT_EQ(chooser_.InputAktualisieren(), SimOutcome::ServerError);
  expectBackupOfEveryDrive(dialogs_, backup, project_);
  EXPECT_EQ(dialogs_.messages.size(), 1);
  EXPECT_EQ(dialogs_.fileRequests.at(0).filter, fileFilter(FileKind::Project));
  EXPECT_EQ(readTextLines(backup).value_or(QStringList{}).value(1),
            "[Sicherung erfolgte wegen Server-Fehler]");

  // The connection stays lost: the next operation ends the same way, once.
  EXPECT_EQ(chooser_.load(), SimOutcome::ServerError);
  EXPECT_EQ(dialogs_.messages.size(), 2);
}

TEST_F(SimulationGuardTest, OtherErrorsEndTheOperationSilentlyAndNestedRunsReportOnce) {
  int routines = 0;
  SimulationGuard counting(link_, [&] { ++routines; });
  EXPECT_EQ(counting.run([](SimulationLink&) { throw SimulationError(9, "out of range"); }),
            SimOutcome::OtherError);
  EXPECT_EQ(counting.lastError(), 9);

  // A frame loop skips one statement's error, not a lost connection; the inner run belongs
  // to the outer operation.
  int steps = 0;
  EXPECT_EQ(counting.run([&](SimulationLink&) {
    for (int frame = 0; frame < 3; ++frame)
      steps += skipSimulationError([] { throw SimulationError(438, "no member"); }) ? 0 : 1;
    counting.run([](SimulationLink&) { throw SimulationError(462, "gone"); });
    ++steps;
  }),
            SimOutcome::ServerError);
  EXPECT_EQ(steps, 3);
  EXPECT_EQ(routines, 1);
  EXPECT_EQ(counting.run([](SimulationLink&) {}), SimOutcome::Done);
  EXPECT_EQ(counting.lastError(), 0);
  EXPECT_TRUE(dialogs_.messages.isEmpty());
}

}  // namespace
