#include "app/editor/drive_calc.h"

#include <gtest/gtest.h>

#include <QLocale>

#include "app/common/kernel_client.h"
#include "app/common/string_table.h"
#include "app/editor/table_models.h"
#include "tests/app/editor/table_texts.h"
#include "tests/app/support/registered_kernel.h"
#include "tests/app/support/scripted_dialogs.h"

namespace {

// A cam over one turn: rise by 50 and back, both modified sines.
const std::vector<QStringList> kCam = {
    {"0", "0", "ModSine"}, {"180", "50", "ModSine"}, {"360", "0", "ENDE"}};

// Stops the loop at its first chance.
class StopAtOnce : public LoopControl {
 public:
  bool proceed(qint64) override { return false; }
};

class DriveCalcTest : public RegisteredKernel {
 protected:
  void SetUp() override {
    RegisteredKernel::SetUp();
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    setLanguage(Language::German);
  }
  void TearDown() override { QLocale::setDefault(QLocale::system()); }

  CalcOutcome calc(const std::vector<QStringList>& rows, double frameTime = 0.02,
                   int decimals = 10) {
    document_.input = tableOf(rows);
    return DriveCalc(server(), document_, {"Hub", frameTime, decimals}, *loop_);
  }
  QStringList segmentColumn(int column) const {
    QStringList texts;
    for (const InputTable::Row& row : document_.segmentRows) texts << row[column];
    return texts;
  }

  ScriptedDialogs dialogs_;
  DriveDocument document_;
  UnstoppableLoop unstoppable_;
  LoopControl* loop_ = &unstoppable_;
};

TEST_F(DriveCalcTest, OneTurnAt180PerSecondGives101FramesOfASinglePrecisionStep) {
  const CalcOutcome outcome = calc(kCam);
  ASSERT_EQ(outcome.status, CalcStatus::Calculated);
  EXPECT_TRUE(outcome.drawGraphs());
  EXPECT_EQ(outcome.kernelDriveName, "Hub");
  EXPECT_EQ(outcome.frameCount, 101);
  EXPECT_EQ(outcome.serverDriveCount, 1);
  EXPECT_EQ(serverDriveCount(), 0);
  EXPECT_TRUE(document_.calculated);
  EXPECT_FALSE(document_.needsCalculation);
  EXPECT_TRUE(dialogs_.messages.isEmpty());

  const ResultTable& results = document_.results;
  ASSERT_EQ(results.rowCount(), 101);
  EXPECT_EQ(results.text(1, 0), "3.5999999046");
  EXPECT_EQ(results.text(100, 0), "359.9999904633");
  EXPECT_EQ(results.text(0, 1), "0");
  EXPECT_EQ(results.text(50, 1), "50");  // z = 179.9999952316: at rest on the top

  EXPECT_EQ(segmentColumn(InputTable::kNumber), QStringList({"0", "1", "2"}));
  EXPECT_EQ(segmentColumn(InputTable::kZ), QStringList({"0", "180", "360"}));
  EXPECT_EQ(segmentColumn(InputTable::kLaw), QStringList({"ModSine", "ModSine", "ENDE"}));
}

TEST_F(DriveCalcTest, CellsAreRoundedHalfToEvenAndShownCentredByTheModel) {
  // f = z / 8 in steps of 1: 0.125 shows as 0.12, 0.375 as 0.38.
  document_.camSpeedText = "50";
  ASSERT_EQ(calc({{"0", "0", "Linear"}, {"8", "1", "ENDE"}}, 0.02, 2).status,
            CalcStatus::Calculated);
  ResultModel model(document_.results);
  ASSERT_EQ(model.rowCount(), 9);
  EXPECT_EQ(model.data(model.index(1, 1)).toString(), "0.12");
  EXPECT_EQ(model.data(model.index(3, 1)).toString(), "0.38");
  EXPECT_EQ(model.data(model.index(1, 2)).toString(), "0.12");
  EXPECT_EQ(model.data(model.index(1, 5)).toString(), "0");
  EXPECT_EQ(model.data(model.index(1, 1), Qt::TextAlignmentRole).value<Qt::Alignment>(),
            Qt::AlignCenter);
  EXPECT_EQ(model.headerData(6, Qt::Horizontal).toString(), "f'' f'''(z)");
}

TEST_F(DriveCalcTest, BadInputShowsMessage168AndLeavesNoResultsAndNoDrive) {
  struct Case {
    const char* what;
    std::vector<QStringList> rows;
    const char* speed;
  } cases[] = {
      {"unknown law", {{"0", "0", "Sinus"}, {"10", "1", "ENDE"}}, "180"},
      {"other language's end", {{"0", "0", "Linear"}, {"10", "1", "END"}}, "180"},
      {"z not a number", {{"0", "0", "Linear"}, {"zehn", "1", "ENDE"}}, "180"},
      {"empty f", {{"0", "", "Linear"}, {"10", "1", "ENDE"}}, "180"},
      {"no cam speed", {{"0", "0", "Linear"}, {"10", "1", "ENDE"}}, "0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    document_.results.appendRow({});
    document_.camSpeedText = c.speed;
    dialogs_.messages.clear();
    EXPECT_EQ(calc(c.rows).status, CalcStatus::BadInput);
    ASSERT_EQ(dialogs_.messages.size(), 1);
    EXPECT_EQ(dialogs_.messages[0].text, resString(168));
    EXPECT_EQ(dialogs_.messages[0].icon, MessageIcon::Critical);
    EXPECT_TRUE(document_.results.isEmpty());
    EXPECT_FALSE(document_.calculated);
    EXPECT_EQ(serverDriveCount(), 0);
  }
}

TEST_F(DriveCalcTest, AnUnsolvedDriveShowsMessage117AndTheNextCalculationWorks) {
  // A modified sine given only its start slope waits for an end slope nobody hands it.
  std::vector<QStringList> rows = {{"0", "0", "ModSine", "1"}, {"10", "5", "ENDE"}};
  EXPECT_EQ(calc(rows).status, CalcStatus::Unsolved);
  ASSERT_EQ(dialogs_.messages.size(), 1);
  EXPECT_EQ(dialogs_.messages[0].text, resString(117));
  EXPECT_EQ(dialogs_.messages[0].buttons, MessageButtons::Ok);
  EXPECT_TRUE(document_.results.isEmpty());
  EXPECT_FALSE(document_.calculated);
  EXPECT_EQ(serverDriveCount(), 0);

  rows[0][3] = "x";
  EXPECT_EQ(calc(rows).status, CalcStatus::Calculated);
  EXPECT_EQ(serverDriveCount(), 0);
}

// Mended: a calculation took "the server's drive at index 0" out again, and a calculation
// that stopped while tabulating left its drive in the server, so the next one removed that
// older drive (or any other client's) instead of its own.
TEST_F(DriveCalcTest, EveryCalculationRemovesTheDriveItAddedAndNoOther) {
  ComPtr<IVelDrive> other;
  ASSERT_TRUE(SUCCEEDED(server()->newDrive(toBstr("Other").get(), other.put())));
  ASSERT_TRUE(SUCCEEDED(server()->add(other.get())));
  StopAtOnce stop;
  struct Case {
    const char* what;
    std::vector<QStringList> rows;
    LoopControl* loop;
    CalcStatus status;
  } cases[] = {
      {"stopped", kCam, &stop, CalcStatus::Stopped},
      {"unsolved",
       {{"0", "0", "ModSine", "1"}, {"10", "5", "ENDE"}},
       &unstoppable_,
       CalcStatus::Unsolved},
      {"calculated", kCam, &unstoppable_, CalcStatus::Calculated},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    loop_ = c.loop;
    EXPECT_EQ(calc(c.rows, 0.0002).status, c.status);
    EXPECT_EQ(serverDriveCount(), 1);
    ComPtr<IVelDrive> first;
    ASSERT_TRUE(SUCCEEDED(server()->get_drive(0, first.put())));
    EXPECT_EQ(first, other);
  }
  server()->remove(other.get());
}

TEST_F(DriveCalcTest, AStoppedTabulationKeepsItsRowsButIsNotCalculated) {
  StopAtOnce stop;
  loop_ = &stop;
  const CalcOutcome outcome = calc(kCam, 0.0002);  // 10,001 frames
  EXPECT_EQ(outcome.status, CalcStatus::Stopped);
  EXPECT_FALSE(outcome.drawGraphs());
  EXPECT_EQ(document_.results.rowCount(), kCalcProgressFrames);
  EXPECT_EQ(document_.results.text(1, 0), "0.0359999985");
  EXPECT_FALSE(document_.calculated);
  EXPECT_TRUE(dialogs_.messages.isEmpty());
}

}  // namespace
