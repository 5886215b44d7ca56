#include "app/editor/drive_calc.h"

#include <gtest/gtest.h>

#include "app/common/kernel_client.h"
#include "app/editor/table_models.h"
#include "tests/app/editor/table_texts.h"
#include "tests/app/support/registered_kernel.h"
#include "tests/app/support/scripted_dialogs.h"

namespace {

// A cam over one turn: rise by 50 and back, both modified sines.
const std::vector<QStringList> kCam = {
    {"0", "0", "ModSine"}, {"180", "50", "ModSine"}, {"360", "0", "ENDE"}};
// A modified sine given only its start slope waits for an end slope nobody hands it.
const std::vector<QStringList> kUnsolved = {{"0", "0", "ModSine", "1"}, {"10", "5", "ENDE"}};

class StopAtOnce : public LoopControl {
 public:
  bool proceed(qint64) override { return false; }
};

class DriveCalcTest : public RegisteredKernel {
 protected:
  CalcStatus calc(const std::vector<QStringList>& rows, double frameTime = 0.02,
                  int decimals = 10) {
    document_.input = tableOf(rows);
    dialogs_.messages.clear();
    outcome_ = DriveCalc(server(), document_, {"Hub", frameTime, decimals}, *loop_);
    return outcome_.status;
  }
  void expectOneMessage(int id, MessageIcon icon) {
    ASSERT_EQ(dialogs_.messages.size(), 1);
    EXPECT_EQ(dialogs_.messages[0].text, resString(id));
    EXPECT_EQ(dialogs_.messages[0].icon, icon);
  }

  FixedTexts texts_;
  ScriptedDialogs dialogs_;
  DriveDocument document_;
  CalcOutcome outcome_;
  UnstoppableLoop unstoppable_;
  LoopControl* loop_ = &unstoppable_;
};

TEST_F(DriveCalcTest, OneTurnAt180PerSecondGives101FramesOfASinglePrecisionStep) {
  ASSERT_EQ(calc(kCam), CalcStatus::Calculated);
  EXPECT_EQ(outcome_.frameCount, 101);
  EXPECT_EQ(outcome_.serverDriveCount, 1);
  EXPECT_EQ(serverDriveCount(), 0);
  EXPECT_TRUE(document_.calculated && !document_.needsCalculation);
  EXPECT_TRUE(dialogs_.messages.isEmpty());
  EXPECT_EQ(document_.results.text(1, 0), "3.5999999046");
  EXPECT_EQ(document_.results.text(100, 0), "359.9999904633");
  EXPECT_EQ(document_.results.text(50, 1), "50");  // z = 179.9999952316: at rest on the top
  QStringList segments;                            // z and law of each segment
  for (const InputTable::Row& row : document_.segmentRows)
    segments << row[InputTable::kZ] + " " + row[InputTable::kLaw];
  EXPECT_EQ(segments, QStringList({"0 ModSine", "180 ModSine", "360 ENDE"}));
}

TEST_F(DriveCalcTest, CellsAreRoundedHalfToEvenToTheDecimalsSetting) {
  // f = z / 8 in steps of 1 at 2 decimals: 0.125 shows as 0.12, 0.375 as 0.38.
  document_.camSpeedText = "50";
  // Mended: an end row written under the other language ("END") used to be refused.
  ASSERT_EQ(calc({{"0", "0", "Linear"}, {"8", "1", "END"}}, 0.02, 2), CalcStatus::Calculated);
  const ResultModel model(document_.results);
  ASSERT_EQ(model.rowCount(), 9);
  for (const auto& [row, column, text] : {std::tuple{1, 1, "0.12"}, {3, 1, "0.38"}, {1, 2, "0.12"}})
    EXPECT_EQ(model.data(model.index(row, column)).toString(), text);
}

TEST_F(DriveCalcTest, BadInputShowsMessage168AndLeavesNoResultsAndNoDrive) {
  const QStringList end = {"10", "1", "ENDE"};
  const std::pair<std::vector<QStringList>, const char*> cases[] = {
      {{{"0", "0", "Sinus"}, end}, "180"},
      {{{"0", "0", "Linear"}, {"10", "1", "Ende"}}, "180"},
      {{{"0", "0", "Linear"}, {"x", "1", "ENDE"}}, "180"},
      {{{"0", "", "Linear"}, end}, "180"},
      {{{"0", "0", "Linear"}, end}, "0"},
      // Mended: 280 million frames were tabulated until memory ran out.
      {{{"0", "0", "Linear"}, {"1e9", "1", "ENDE"}}, "180"},
  };
  for (const auto& [rows, speed] : cases) {
    SCOPED_TRACE(rows[1].join('|').toStdString() + " " + speed);
    document_.results.appendRow({});
    document_.camSpeedText = speed;
    EXPECT_EQ(calc(rows), CalcStatus::BadInput);
    expectOneMessage(168, MessageIcon::Critical);
    EXPECT_TRUE(document_.results.isEmpty());
    EXPECT_EQ(serverDriveCount(), 0);
  }
}

// Mended: a calculation took "the server's drive at index 0" out again, and one that stopped
// while tabulating left its drive in the server, so the next removed that older drive (or
// another client's) instead of its own. An unsolved drive (message 117, OK only) or a stopped
// one leaves the next calculation a clean server.
TEST_F(DriveCalcTest, EveryCalculationRemovesTheDriveItAddedAndNoOther) {
  ComPtr<IVelDrive> other;
  ASSERT_TRUE(SUCCEEDED(server()->newDrive(toBstr("Other").get(), other.put())));
  ASSERT_TRUE(SUCCEEDED(server()->add(other.get())));
  StopAtOnce stop;
  const std::tuple<std::vector<QStringList>, LoopControl*, CalcStatus> cases[] = {
      {kCam, &stop, CalcStatus::Stopped},
      {kUnsolved, &unstoppable_, CalcStatus::Unsolved},
      {kCam, &unstoppable_, CalcStatus::Calculated}};
  for (const auto& [rows, loop, status] : cases) {
    loop_ = loop;
    EXPECT_EQ(calc(rows, 0.0002), status);  // the cam: 10,001 frames
    ComPtr<IVelDrive> first;
    server()->get_drive(0, first.put());
    EXPECT_EQ(first, other);
    EXPECT_EQ(serverDriveCount(), 1);
    EXPECT_EQ(document_.calculated, status == CalcStatus::Calculated);
    if (status == CalcStatus::Unsolved) {
      expectOneMessage(117, MessageIcon::None);
      EXPECT_EQ(dialogs_.messages[0].buttons, MessageButtons::Ok);
      EXPECT_TRUE(document_.results.isEmpty());
    } else if (status == CalcStatus::Stopped) {
      EXPECT_EQ(document_.results.rowCount(), kCalcProgressFrames);  // the rows so far stay
      EXPECT_TRUE(dialogs_.messages.isEmpty());
    }
  }
  server()->remove(other.get());
}

// Mended: a step below the resolution of z (3.6 where doubles are 16 apart) never reached
// the end; the tabulation now stops after the frame that did not advance.
TEST_F(DriveCalcTest, AStepThatCannotAdvanceZStopsInsteadOfRunningForever) {
  EXPECT_EQ(calc({{"1e17", "0", "Linear"}, {"1.0000000000001e17", "1", "ENDE"}}),
            CalcStatus::Stopped);
  EXPECT_EQ(document_.results.rowCount(), 1);
  EXPECT_EQ(serverDriveCount(), 0);
}

}  // namespace
