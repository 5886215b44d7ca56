#include <gtest/gtest.h>

#include "app/common/number_text.h"
#include "app/common/string_table.h"
#include "app/simlink/transfer_check.h"
#include "app/simlink/transfer_run.h"
#include "tests/app/support/attached_simulation.h"

namespace {

class RecordingStatus : public FrameStatusSink {
 public:
  void showStatus(const QList<StatusText>& texts) override { shown.append(texts); }
  QList<QList<StatusText>> shown;
};

using TransferTest = AttachedSimulation;

TEST_F(TransferTest, CommandRefusesUncomputedDrivesAndDoubledNamesWithoutNamingADrive) {
  const DriveRecord a = calculatedDrive("A", "1", ramp(3));
  const std::vector<DriveRecord> uncomputed{a, DriveRecord()};
  const std::vector<DriveRecord> doubled{a, calculatedDrive("B", "1", ramp(3)),
                                         calculatedDrive("A", "2", ramp(3))};
  const std::vector<DriveRecord> caseDiffers{a, calculatedDrive("a", "1", ramp(3))};
  // The command, and the message text (0: none), icon and title.
  const std::tuple<TransferCommand, int, MessageIcon, QString, std::vector<DriveRecord>> cases[] = {
      {TransferCommand::NoDrives, 0, MessageIcon::None, "", {}},
      {TransferCommand::NotComputed, 158, MessageIcon::Exclamation, "Kinetra", uncomputed},
      {TransferCommand::DoubledName, 176, MessageIcon::Critical, resString(101), doubled},
      {TransferCommand::OpenCheck, 0, MessageIcon::None, "", caseDiffers},
  };
  for (const auto& [command, text, icon, title, drives] : cases) {
    ProjectState state;
    for (const DriveRecord& d : drives) state.addDrive(d);
    dialogs_.messages.clear();
    EXPECT_EQ(transferCommand(state), command);
    ASSERT_EQ(dialogs_.messages.size(), text ? 1 : 0);
    if (text == 0) continue;
    EXPECT_EQ(
        std::tie(dialogs_.messages[0].text, dialogs_.messages[0].icon, dialogs_.messages[0].title),
        std::tuple(resString(text), icon, title));
  }
}

TEST_F(TransferTest, CheckVerdictsCompareTheTablesExactly) {
  struct Case {
    const char* what;
    bool offsetOk, zRangeOk;
    QString driveFault;
    QStringList crossings;
    std::vector<DriveRecord> drives;
  };
  const std::vector<DriveRecord> sound{calculatedDrive("A", "10", ramp(4)),
                                       calculatedDrive("B", "2", ramp(7))};
  const std::vector<DriveRecord> offsetZero{calculatedDrive("A", "1", ramp(3)),
                                            calculatedDrive("B", "0", ramp(3)),
                                            calculatedDrive("C", "0", ramp(3))};
  const std::vector<DriveRecord> reachesZero{
      calculatedDrive("A", "5", {{0, 0}, {3.6, -4}, {7.2, -5}, {10.8, -6}, {360, 0}})};
  const std::vector<DriveRecord> endsDiffer{calculatedDrive("A", "1", ramp(3)),
                                            calculatedDrive("B", "1", ramp(3, 360.0001))};
  const std::vector<DriveRecord> startsLate{calculatedDrive("A", "1", {{0.5, 1}, {360, 1}})};
  const Case cases[] = {
      {"sound", true, true, "", {}, sound},
      {"offset text 0, never at zero length", false, true, "B", {}, offsetZero},
      {"offset 5 reaching -5 exactly", true, true, "", {"A\t z= 7.2"}, reachesZero},
      {"ends 360 and 360.0001", true, false, "", {}, endsDiffer},
      {"start at 0.5", true, false, "", {}, startsLate},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const TransferCheck check = evaluateTransfer(c.drives, true);
    const bool verdict = c.offsetOk && c.zRangeOk && c.crossings.isEmpty();
    EXPECT_EQ(check.offsetOk, c.offsetOk);
    EXPECT_EQ(check.driveFault, c.driveFault);
    EXPECT_EQ(check.zeroCrossings, c.crossings);
    EXPECT_EQ(check.zRangeOk, c.zRangeOk);
    EXPECT_EQ(std::pair(check.verdict, check.transferFirst), std::pair(verdict, verdict));
    EXPECT_EQ(check.caption, verdict ? QString("Kinetra OK") : "Kinetra " + resString(170));
  }
  const TransferCheck unprobed = evaluateTransfer(sound, false);
  EXPECT_FALSE(unprobed.verdict) << "a failed frame-rate probe fails the verdict";
  EXPECT_EQ(unprobed.transferFrameCount, 7) << "the largest frame count";
  ASSERT_EQ(unprobed.tree.size(), 8u);
  const std::vector<TransferCheckNode> second(unprobed.tree.begin() + 4, unprobed.tree.end());
  EXPECT_EQ(second, (std::vector<TransferCheckNode>{
                        {"Eintag1", "", "B"},
                        {"Eintrag11", "Eintag1", resString(108) + " 2"},
                        {"Eintrag12", "Eintag1", resString(114) + " 7"},
                        {"Eintrag13", "Eintag1", resString(152) + " 0 - 360"}}));
}

TEST_F(TransferTest, FrameRateProbeFailsOnATrillionthAndLeavesTheSimulationAtFrameZero) {
  start(kTwoSliders);
  ProjectState state;
  state.addDrive(calculatedDrive("Hub", "10", ramp(5)));
  state.abortTransfer = true;
  for (double step : {0.02 + 1e-12, 0.02}) {
    state.setFrameTime(step);
    const std::optional<TransferCheck> check = checkTransfer(guard_, state);
    ASSERT_TRUE(check);
    EXPECT_EQ(check->frameRateOk, step == 0.02);
    EXPECT_EQ(check->verdict, step == 0.02);
    EXPECT_EQ(link_.CurrentFrame(), 0);
    EXPECT_EQ(state.transferFrameCount, 5);
    EXPECT_FALSE(state.abortTransfer);
  }
}

TEST_F(TransferTest, RunPlaysEveryDriveFramePerFrameAndShorterDrivesKeepTheirLastValue) {
  start(kTwoSliders);
  ProjectState state;
  state.addDrive(
      calculatedDrive("Hub", "10", {{0, 1}, {3.6, 2.5}, {7.2, -0.75}, {10.8, 4}, {14.4, 8}}));
  state.addDrive(calculatedDrive("Nope", "1", ramp(5)));  // no such input: not played
  state.addDrive(calculatedDrive("Hub2", "1", {{0, 0.5}, {3.6, 1.5}, {7.2, 2.5}}));
  state.transferFrameCount = 5;
  RecordingStatus status;
  UnstoppableLoop loop;
  TransferOptions options;
  options.status = &status;
  ASSERT_EQ(runTransfer(guard_, state, loop, options), TransferEnd::Completed);

  EXPECT_EQ(calls_.count("RunToFrame"), 5);
  EXPECT_EQ(calls_.count("InputValue"), 5 + 3);
  EXPECT_EQ(calls_.last(), "EndRun");
  ASSERT_EQ(status.shown.size(), 5);
  EXPECT_EQ(status.shown[2],
            (QList<StatusText>{{1, resString(169)}, {2, "Frame: 1"}, {3, "Time: 0.02"}}));

  // Frame 0 is the simulation's start; every later frame holds the values played for it.
  const double hub[] = {11, 12.5, 9.25, 14, 18};
  const double hub2[] = {1.5, 2.5, 3.5, 3.5, 3.5};
  const SimRef sliders[] = {link_.Bodies(qint32{1}), link_.Bodies(qint32{2})};
  for (qint32 f = 1; f < 5; ++f) {
    link_.JumpToFrame(f);
    double x, y[2], z, rx, ry, rz;
    for (int s = 0; s < 2; ++s) link_.GetPosition(sliders[s], x, y[s], z, rx, ry, rz);
    EXPECT_EQ(y[0], hub[f]) << "frame " << f;
    EXPECT_EQ(y[1], hub2[f]) << "frame " << f;
  }
  EXPECT_TRUE(dialogs_.messages.isEmpty());
}

}  // namespace
