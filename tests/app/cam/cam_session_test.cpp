// Recording a cam from a real motionsim: input checks, relative point, multiplier, stops.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <cmath>
#include <random>

#include "app/cam/cam_session.h"
#include "app/common/string_table.h"
#include "simulator/rotation.h"
#include "tests/app/support/attached_simulation.h"

namespace {

constexpr double kPi = 3.141592653589793;

class CamSessionTest : public AttachedSimulation {
 protected:
  // The example: "Scheibe" is body 1, "Rolle" body 3.
  void pickExample() {
    session_.pickBody(CamBody::Roller, 2);
    session_.pickBody(CamBody::Plate, 0);
  }
  CamSession session_{backupGuard_};
  UnstoppableLoop loop_;
};

TEST(CamGeometry, RelativePointIsTheRollerInThePlatesFrameInMillimetres) {
  // The plate turned 90° about x, the roller one unit along the world's y axis from it.
  const CamPoint p = relativePoint({0, 1, 0}, {0, 0, 0}, {kPi / 2, 0, 0});
  EXPECT_LT(std::hypot(p.x, p.y, p.z + 1000.0), 1e-9);
  // Any turn: the simulator's own rotation carries the point back onto the offset.
  std::mt19937 random(7);
  std::uniform_real_distribution<double> angle(-kPi, kPi), length(-2, 2);
  for (int i = 0; i < 200; ++i) {
    const CamPoint a{length(random), length(random), length(random)};
    const CamPoint b{length(random), length(random), length(random)};
    const motionsim::Vec3 angles{angle(random), angle(random), angle(random)};
    const CamPoint p = relativePoint(a, b, {angles.x, angles.y, angles.z});
    const motionsim::Vec3 back = motionsim::rotationXYZ(angles) * motionsim::Vec3{p.x, p.y, p.z};
    EXPECT_NEAR(back.x / 1000, a.x - b.x, 1e-12);
    EXPECT_NEAR(back.y / 1000, a.y - b.y, 1e-12);
    EXPECT_NEAR(back.z / 1000, a.z - b.z, 1e-12);
  }
}

TEST_F(CamSessionTest, LastFrameMustLieWithinOneAndTheSimulationsLastFrame) {
  start({}, {"--frames", "100"});
  EXPECT_EQ(session_.run("99", "1", 10, loop_), CamRunEnd::Refused) << "no bodies picked";
  pickExample();
  for (const auto& [frame, end] : {std::pair{"0", CamRunEnd::Refused},
                                   {"0.5", CamRunEnd::Refused},
                                   {"100", CamRunEnd::Refused},
                                   {"abc", CamRunEnd::NotANumber},
                                   {"99", CamRunEnd::Completed}}) {
    SCOPED_TRACE(frame);
    dialogs_.messages.clear();
    EXPECT_EQ(session_.run(frame, "1", 10, loop_), end);
    ASSERT_EQ(dialogs_.messages.size(), end == CamRunEnd::Refused ? 1 : 0);
    if (end != CamRunEnd::Refused) continue;
    EXPECT_EQ(dialogs_.messages[0].text, resString(168));
    EXPECT_EQ(dialogs_.messages[0].icon, MessageIcon::Question);
    EXPECT_EQ(dialogs_.messages[0].title, "Kinetra");
  }
  const CamTable& table = session_.table();
  ASSERT_EQ(table.rowCount(), 100);
  EXPECT_EQ(table.value(99, CamTable::kFrame), 99);
  EXPECT_EQ(table.value(99, CamTable::kTime), 1.98);
  EXPECT_EQ(calls_.last(), "EndRun");
  EXPECT_TRUE(session_.isDrawn());
}

TEST_F(CamSessionTest, PlateTurnedAboutXPutsTheRollerOnTheNegativeZAxis) {
  start(
      "motionsim-document 1\nstep 0.02\n"
      "body 1 Plate angles 1.5707963267948966 0 0\nbody 2 Roller offset 0 1 0\n",
      {"--frames", "2"});
  session_.pickBody(CamBody::Roller, 1);
  session_.pickBody(CamBody::Plate, 0);
  ASSERT_EQ(session_.run("1", "1", 10, loop_), CamRunEnd::Completed);
  for (int row = 0; row < 2; ++row) {
    EXPECT_EQ(session_.table().value(row, CamTable::kX), 0);
    EXPECT_EQ(session_.table().value(row, CamTable::kY), 0);
    EXPECT_EQ(session_.table().value(row, CamTable::kZ), -1000);
  }
}

TEST_F(CamSessionTest, MultiplierAppliedTwiceScalesThePointsTwice) {
  start({}, {"--frames", "20"});
  pickExample();
  ASSERT_EQ(session_.run("19", "1", 10, loop_), CamRunEnd::Completed);
  const CamTable before = session_.table();
  EXPECT_TRUE(session_.Multiplikator("2"));
  EXPECT_TRUE(session_.Multiplikator("2"));
  EXPECT_FALSE(session_.Multiplikator("zwei"));
  for (int row = 0; row < before.rowCount(); ++row) {
    for (int column = 0; column < CamTable::kColumns; ++column) {
      const bool point = column >= CamTable::kX && column <= CamTable::kZ;
      EXPECT_DOUBLE_EQ(session_.table().value(row, column),
                       (point ? 4 : 1) * before.value(row, column));
    }
  }
}

TEST_F(CamSessionTest, StopOrALostSimulationKeepsTheRowsSoFarWithoutEndRunOrDrawing) {
  start({}, {"--frames", "20"});
  project_.addDrive(calculatedDrive("Hub", "10", ramp(3)));
  project_.addDrive(calculatedDrive("Hub2", "2.5", ramp(3)));
  pickExample();
  ActingLoop stop(5, [] { return false; });
  EXPECT_EQ(session_.run("19", "1", 10, stop), CamRunEnd::Cancelled);
  EXPECT_EQ(session_.table().rowCount(), 5);
  EXPECT_FALSE(session_.isDrawn());
  ASSERT_EQ(dialogs_.messages.size(), 1);
  EXPECT_EQ(dialogs_.messages[0].text, resString(159));
  EXPECT_EQ(dialogs_.messages[0].icon, MessageIcon::Critical);

  // Lost mid-run: message 164 and a backup of the project.
  QTemporaryDir dir;
  dialogs_.saveNames.push_back(dir.filePath("backup.idp"));
  dialogs_.messages.clear();
  ActingLoop killAt(5, [&] {
    kill();
    return true;
  });
  EXPECT_EQ(session_.run("19", "1", 10, killAt), CamRunEnd::Failed);
  EXPECT_EQ(session_.table().rowCount(), 5);
  EXPECT_FALSE(calls_.contains("EndRun"));
  expectBackupOfEveryDrive(dialogs_, dir.filePath("backup.idp"), project_);
}

}  // namespace
