#include "app/simlink/frm_wm_check.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <functional>

#include "app/resources/resource_paths.h"
#include "tests/app/support/attached_simulation.h"

namespace {

class CheckWindowTest : public AttachedSimulation {
 protected:
  void SetUp() override {
    AttachedSimulation::SetUp();
    start(kTwoSliders);
  }

  static QPushButton* button(const frmWMCheck& dialog, const char* name) {
    return dialog.findChild<QPushButton*>(QLatin1String(name));
  }

  // Clicks cmdTransfer; act runs once while the run's loop processes events after `frames`
  // frames were played.
  void transferActingAfter(frmWMCheck& dialog, int frames, const std::function<void()>& act) {
    bool acted = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
      if (acted || calls_.count("RunToFrame") < frames) return;
      acted = true;
      act();
    });
    poll.start(0);
    calls_.clear();
    QTest::mouseClick(button(dialog, "cmdTransfer"), Qt::LeftButton);
    EXPECT_TRUE(acted);
  }
};

// The tree as the dialog shows it, node by node, parents before their children.
std::vector<TransferCheckNode> shownTree(const QTreeWidget& tree) {
  std::vector<TransferCheckNode> nodes;
  std::function<void(QTreeWidgetItem*, const QString&)> walk = [&](QTreeWidgetItem* item,
                                                                   const QString& parentKey) {
    const QString key = item->data(0, Qt::UserRole).toString();
    nodes.push_back({key, parentKey, item->text(0)});
    for (int i = 0; i < item->childCount(); ++i) walk(item->child(i), key);
  };
  for (int i = 0; i < tree.topLevelItemCount(); ++i) walk(tree.topLevelItem(i), QString());
  return nodes;
}

TEST_F(CheckWindowTest, ShowsTheVerdictByPicturesCaptionListAndFirstButton) {
  struct Case {
    const char* what;
    DriveRecord second;
    bool offset, zRange;
    QString fault, crossing;
  };
  const Case cases[] = {
      {"sound", calculatedDrive("Hub2", "2", ramp(4)), true, true, "", ""},
      {"offset text 0", calculatedDrive("Hub2", "0", ramp(4)), false, true, "Hub2", ""},
      {"ends 360.0001", calculatedDrive("Hub2", "1", ramp(4, 360.0001)), true, false, "", ""},
      {"offset 5 reaching -5",
       calculatedDrive("Hub2", "5", {{0, 0}, {3.6, -4}, {7.2, -5}, {360, 0}}), true, true, "",
       "Hub2\t z= 7.2"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ProjectState state;
    state.addDrive(calculatedDrive("Hub", "10", ramp(4)));
    state.addDrive(c.second);
    frmWMCheck dialog(state, guard_);
    ASSERT_TRUE(dialog.check());
    const std::pair<const char*, bool> pictures[] = {
        {"imgFramesOK", true},        {"imgFramesFalsch", false},
        {"imgAnflaengeOK", c.offset}, {"imgAnfLaengeFalsch", !c.offset},
        {"imgZBereichOK", c.zRange},  {"imgZBereichFalsch", !c.zRange}};
    for (const auto& [name, visible] : pictures)
      EXPECT_EQ(!dialog.findChild<QLabel*>(QLatin1String(name))->isHidden(), visible) << name;
    EXPECT_EQ(dialog.findChild<QLabel*>("lblDriveFault")->text(), c.fault);
    const auto* list = dialog.findChild<QListWidget*>("lstNullDurchgang");
    EXPECT_EQ(list->count() ? list->item(0)->text() : QString(), c.crossing);

    const bool verdict = c.offset && c.zRange && c.crossing.isEmpty();
    EXPECT_EQ(dialog.windowTitle(), verdict ? QString("Kinetra OK") : "Kinetra " + resString(170));
    EXPECT_EQ(dialog.verdictPicture(), verdict ? kPictureVerdictOk : kPictureVerdictStop);
    const char* first = verdict ? "cmdTransfer" : "cmdCancel";
    EXPECT_EQ(dialog.focusWidget(), button(dialog, first));
    EXPECT_EQ(button(dialog, first)->nextInFocusChain(),
              button(dialog, verdict ? "cmdWerteProtokol" : "cmdTransfer"));
    EXPECT_EQ(shownTree(*dialog.findChild<QTreeWidget*>("tvwWmStatus")), dialog.check()->tree);
  }
}

TEST_F(CheckWindowTest, TransferPlaysEveryFrameClosesAndEnablesTheCamItem) {
  ProjectState state;
  state.addDrive(calculatedDrive("Hub", "10", ramp(6)));
  frmWMCheck dialog(state, guard_);
  dialog.show();
  bool done = false;
  QObject::connect(&dialog, &frmWMCheck::transferDone, [&] { done = true; });
  calls_.clear();
  QTest::mouseClick(button(dialog, "cmdTransfer"), Qt::LeftButton);
  EXPECT_EQ(calls_.count("RunToFrame"), 6);
  EXPECT_EQ(calls_.last(), "EndRun");
  EXPECT_EQ(dialog.panelText(1), resString(169));
  EXPECT_TRUE(done);
  EXPECT_TRUE(dialog.isHidden());
  EXPECT_TRUE(dialog.findChild<QProgressBar*>()->isHidden());
}

TEST_F(CheckWindowTest, EscapeOrCancelDuringTheRunStopsItBeforeTheNextFrame) {
  struct Case {
    const char* what;
    std::function<void(frmWMCheck&)> stop;
  };
  const Case cases[] = {
      {"Escape", [](frmWMCheck& d) { QTest::keyClick(&d, Qt::Key_Escape); }},
      {"Cancel", [](frmWMCheck& d) { QTest::mouseClick(button(d, "cmdCancel"), Qt::LeftButton); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ProjectState state;
    state.addDrive(calculatedDrive("Hub", "10", ramp(20)));
    frmWMCheck dialog(state, guard_);
    dialog.show();
    dialogs_.messages.clear();
    transferActingAfter(dialog, 3, [&] {
      EXPECT_FALSE(button(dialog, "cmdTransfer")->isEnabled()) << "no second run inside";
      c.stop(dialog);
    });
    EXPECT_EQ(calls_.count("RunToFrame"), 3);
    EXPECT_EQ(calls_.count("InputValue"), 3);
    EXPECT_FALSE(calls_.contains("EndRun"));
    ASSERT_EQ(dialogs_.messages.size(), 1);
    EXPECT_EQ(dialogs_.messages[0].text, resString(159) + " Time: 0.04");
    EXPECT_EQ(dialogs_.messages[0].icon, MessageIcon::Critical);
    EXPECT_FALSE(state.abortTransfer);
    EXPECT_TRUE(dialog.isHidden());
  }
}

TEST_F(CheckWindowTest, ValueLogsGoToTheCurrentDirectory) {
  QTemporaryDir dir;
  const QString before = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(dir.path()));
  const QString current = QDir::currentPath();
  ProjectState state;
  state.addDrive(calculatedDrive("Hub", "10", ramp(3)));
  state.addDrive(calculatedDrive("Hub2", "1", ramp(3)));
  frmWMCheck dialog(state, guard_);
  dialog.show();
  QTest::mouseClick(button(dialog, "cmdWerteProtokol"), Qt::LeftButton);
  QDir::setCurrent(before);
  EXPECT_TRUE(QFile::exists(dir.filePath("Hub.txt")));
  EXPECT_TRUE(QFile::exists(dir.filePath("Hub2.txt")));
  ASSERT_EQ(dialogs_.messages.size(), 1);
  EXPECT_TRUE(dialogs_.messages[0].text.contains(" " + current + " "));
  EXPECT_TRUE(dialog.isHidden());
  EXPECT_FALSE(dialog.transferred());
}

TEST_F(CheckWindowTest, LostSimulationDuringTheRunLeavesABackupThatReopensWithEveryDrive) {
  ProjectState state;
  state.addDrive(calculatedDrive("Hub", "10", ramp(50)));
  state.addDrive(calculatedDrive("Hub2", "2.5", ramp(50)));
  QTemporaryDir dir;
  const QString backup = dir.filePath("backup.idp");
  dialogs_.saveNames.push_back(backup);
  SimulationGuard guard(link_, [&state] { serverErrorRoutine(state); });
  frmWMCheck dialog(state, guard);
  dialog.show();
  bool done = false;
  QObject::connect(&dialog, &frmWMCheck::transferDone, [&] { done = true; });
  transferActingAfter(dialog, 10, [&] { kill(); });

  expectBackupOfEveryDrive(dialogs_, backup, state);
  EXPECT_FALSE(calls_.contains("EndRun"));
  EXPECT_FALSE(done);
  EXPECT_TRUE(dialog.isHidden());
}

}  // namespace
