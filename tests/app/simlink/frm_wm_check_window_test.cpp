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
  void SetUp() override { start(kTwoSliders); }
  // The dialog over a new project of the drives, shown; a lost simulation runs the program's
  // server-error routine on that project.
  frmWMCheck& open(const std::vector<DriveRecord>& drives) {
    dialog_.reset();
    while (project_.driveCount() > 0) project_.removeDrive(0);
    for (const DriveRecord& drive : drives) project_.addDrive(drive);
    dialog_.emplace(project_, backupGuard_);
    dialog_->show();
    QObject::connect(&*dialog_, &frmWMCheck::transferDone, [this] { done_ = true; });
    return *dialog_;
  }
  QPushButton* button(const char* name) const {
    return dialog_->findChild<QPushButton*>(QLatin1String(name));
  }
  // Clicks cmdTransfer; act runs once while the run's loop processes events after `frames`
  // frames were played.
  void transferActingAfter(int frames, const std::function<void()>& act) {
    bool acted = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
      if (acted || calls_.count("RunToFrame") < frames) return;
      acted = true;
      act();
    });
    poll.start(0);
    calls_.clear();
    QTest::mouseClick(button("cmdTransfer"), Qt::LeftButton);
    EXPECT_TRUE(acted);
  }

  std::optional<frmWMCheck> dialog_;
  bool done_ = false;
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
  // Sound; Hub2 with offset text "0"; Hub2 ending at 360.0001 and Hub3 (offset 5) reaching -5.
  const DriveRecord hub = calculatedDrive("Hub", "10", ramp(4));
  const DriveRecord reaching =
      calculatedDrive("Hub3", "5", {{0, 0}, {3.6, -4}, {7.2, -5}, {360, 0}});
  const std::tuple<std::vector<DriveRecord>, bool, bool> cases[] = {
      {{hub}, true, true},
      {{hub, calculatedDrive("Hub2", "0", ramp(4))}, false, true},
      {{hub, calculatedDrive("Hub2", "1", ramp(4, 360.0001)), reaching}, true, false}};
  for (const auto& [drives, offset, zRange] : cases) {
    const bool sound = offset && zRange;
    SCOPED_TRACE(drives.size());
    frmWMCheck& dialog = open(drives);
    ASSERT_TRUE(dialog.check());
    const std::pair<const char*, bool> pictures[] = {
        {"imgFramesOK", true},      {"imgFramesFalsch", false},
        {"imgAnflaengeOK", offset}, {"imgAnfLaengeFalsch", !offset},
        {"imgZBereichOK", zRange},  {"imgZBereichFalsch", !zRange}};
    for (const auto& [name, visible] : pictures)
      EXPECT_EQ(!dialog.findChild<QLabel*>(QLatin1String(name))->isHidden(), visible) << name;
    EXPECT_EQ(dialog.findChild<QLabel*>("lblDriveFault")->text(), offset ? "" : "Hub2");
    const auto* list = dialog.findChild<QListWidget*>("lstNullDurchgang");
    EXPECT_EQ(list->count() ? list->item(0)->text() : QString(), zRange ? "" : "Hub3\t z= 7.2");
    EXPECT_EQ(dialog.windowTitle(), sound ? QString("Kinetra OK") : "Kinetra " + resString(170));
    EXPECT_EQ(dialog.verdictPicture(), sound ? kPictureVerdictOk : kPictureVerdictStop);
    const char* first = sound ? "cmdTransfer" : "cmdCancel";
    EXPECT_EQ(dialog.focusWidget(), button(first));
    EXPECT_EQ(button(first)->nextInFocusChain(),
              button(sound ? "cmdWerteProtokol" : "cmdTransfer"));
    EXPECT_EQ(shownTree(*dialog.findChild<QTreeWidget*>("tvwWmStatus")), dialog.check()->tree);
  }
}

TEST_F(CheckWindowTest, TransferPlaysEveryFrameClosesAndEnablesTheCamItem) {
  frmWMCheck& dialog = open({calculatedDrive("Hub", "10", ramp(6))});
  calls_.clear();
  QTest::mouseClick(button("cmdTransfer"), Qt::LeftButton);
  EXPECT_EQ(calls_.count("RunToFrame"), 6);
  EXPECT_EQ(calls_.last(), "EndRun");
  EXPECT_EQ(dialog.panelText(1), resString(169));
  EXPECT_TRUE(done_);
  EXPECT_TRUE(dialog.isHidden());
  EXPECT_TRUE(dialog.findChild<QProgressBar*>()->isHidden());
}

TEST_F(CheckWindowTest, EscapeOrCancelDuringTheRunStopsItBeforeTheNextFrame) {
  for (const bool escape : {true, false}) {
    SCOPED_TRACE(escape ? "Escape" : "Cancel");
    frmWMCheck& dialog = open({calculatedDrive("Hub", "10", ramp(20))});
    dialogs_.messages.clear();
    transferActingAfter(3, [&] {
      EXPECT_FALSE(button("cmdTransfer")->isEnabled()) << "no second run inside";
      if (escape)
        QTest::keyClick(&dialog, Qt::Key_Escape);
      else
        QTest::mouseClick(button("cmdCancel"), Qt::LeftButton);
    });
    EXPECT_EQ(calls_.count("RunToFrame"), 3);
    EXPECT_EQ(calls_.count("InputValue"), 3);
    EXPECT_FALSE(calls_.contains("EndRun"));
    ASSERT_EQ(dialogs_.messages.size(), 1);
    EXPECT_EQ(dialogs_.messages[0].text, resString(159) + " Time: 0.04");
    EXPECT_EQ(dialogs_.messages[0].icon, MessageIcon::Critical);
    EXPECT_FALSE(project_.abortTransfer);
    EXPECT_TRUE(dialog.isHidden());
  }
}

TEST_F(CheckWindowTest, ValueLogsGoToTheCurrentDirectory) {
  QTemporaryDir dir;
  const QString before = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(dir.path()));
  const QString current = QDir::currentPath();
  frmWMCheck& dialog =
      open({calculatedDrive("Hub", "10", ramp(3)), calculatedDrive("Hub2", "1", ramp(3))});
  QTest::mouseClick(button("cmdWerteProtokol"), Qt::LeftButton);
  QDir::setCurrent(before);
  EXPECT_TRUE(QFile::exists(dir.filePath("Hub.txt")) && QFile::exists(dir.filePath("Hub2.txt")));
  ASSERT_EQ(dialogs_.messages.size(), 1);
  EXPECT_TRUE(dialogs_.messages[0].text.contains(" " + current + " "));
  EXPECT_TRUE(dialog.isHidden());
  EXPECT_FALSE(dialog.transferred());
}

TEST_F(CheckWindowTest, LostSimulationDuringTheRunLeavesABackupThatReopensWithEveryDrive) {
  QTemporaryDir dir;
  dialogs_.saveNames.push_back(dir.filePath("backup.idp"));
  frmWMCheck& dialog =
      open({calculatedDrive("Hub", "10", ramp(50)), calculatedDrive("Hub2", "2.5", ramp(50))});
  transferActingAfter(10, [&] { kill(); });
  expectBackupOfEveryDrive(dialogs_, dir.filePath("backup.idp"), project_);
  EXPECT_FALSE(calls_.contains("EndRun"));
  EXPECT_FALSE(done_);
  EXPECT_TRUE(dialog.isHidden());
}

}  // namespace
