#include "app/shell/mdi_main.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "app/cam/frm_kurve.h"
#include "app/common/text_file.h"
#include "app/editor/frm_child.h"
#include "app/graph/canvas.h"
#include "app/projectgraph/frm_grafik.h"
#include "app/resources/resource_paths.h"
#include "app/shell/frm_input.h"
#include "app/shell/project_file.h"
#include "tests/app/shell/sample_project.h"
#include "tests/app/shell/started_program.h"

namespace {

class MdiMain : public StartedProgram {
 protected:
  void SetUp() override {
    StartedProgram::SetUp();
    if (HasFatalFailure()) return;
    program_ = start(options());
    ASSERT_TRUE(program_);
  }

  MDIMain& main() { return program_->mainWindow(); }
  ProjectState& project() { return program_->project(); }
  template <class T = QAction>
  T* item(const char* name) {
    T* found = main().findChild<T*>(QLatin1String(name));
    EXPECT_TRUE(found) << name;
    return found;
  }
  // Opens a menu as a user does and closes it again.
  void openMenu(const char* name) {
    QMenu* menu = item<QMenu>(name);
    menu->popup(main().mapToGlobal(QPoint(10, 10)));
    menu->close();
  }
  void addDrives(const QStringList& names) {
    for (const QString& name : names) {
      main().openDriveWindow(project().addDrive(sampleRecord(name, 0, 2, 1)));
    }
  }

  LocaleScope german_{QLocale::German};
  std::unique_ptr<KinetraProgram> program_;
};

TEST(MdiMainMenus, ItemsCarryTheirNamesAndCaptionsInBothLanguages) {
  // The captions a translation gets wrong: the tile items swap their senses in English.
  const std::tuple<const char*, const char*, const char*> rows[] = {
      {"mnuTileVertical", "Nebeneinander", "Tile Horizontal"},
      {"mnuTileHorizontal", "Untereinander", "Tile Vertical"},
      {"mnuProjektGrafik", "Projekt Grafik", "Project Meter"}};
  ASSERT_EQ(kernelRegistration().toStdString(), "");
  const std::optional<KernelClient> kernel = KernelClient::create();
  ASSERT_TRUE(kernel);
  ProjectState project;
  SimulationLink unattached;
  SimulationGuard guard(unattached, {});
  for (const QLocale::Language language : {QLocale::German, QLocale::English}) {
    LocaleScope scope(language);
    const bool exchangeMenu = language == QLocale::English;
    MDIMain main(project, *kernel, guard, exchangeMenu);
    for (const auto& [name, german, english] : rows) {
      const QAction* action = main.findChild<QAction*>(QLatin1String(name));
      ASSERT_TRUE(action) << name;
      EXPECT_EQ(action->text(), language == QLocale::German ? german : english);
    }
    EXPECT_EQ(main.findChild<QAction*>("mnuAdams")->isVisible(), exchangeMenu);
    // The conversion pop-up belongs to the drive windows' f cells, not the menu bar.
    EXPECT_FALSE(main.menuBar()->actions().contains(main.findChild<QAction*>("mnuUmrechnung")));
  }
}

TEST_F(MdiMain, ProjectGraphOnlyWhenAllAreCalculatedAndItAndTheCamWindowOpenOnce) {
  const auto offered = [&](const char* name) {
    openMenu("mnuProjekt");
    return item(name)->isEnabled();
  };
  addDrives({"Hub", "Rolle"});
  giveResults(main().driveWindow(0)->document());
  EXPECT_FALSE(offered("mnuProjektGrafik"));
  giveResults(main().driveWindow(1)->document());
  EXPECT_TRUE(offered("mnuProjektGrafik"));
  for (int i = 0; i < 2; ++i) {
    item("mnuProjektGrafik")->trigger();
    item("mnuKurve")->trigger();
  }
  ASSERT_EQ(main().findChildren<frmGrafik*>().size(), 1);
  ASSERT_EQ(main().findChildren<frmKurve*>().size(), 1);
  const Drawing& f = main().findChild<frmGrafik*>()->picGrafik(0)->drawing();
  EXPECT_EQ(std::count_if(f.items().begin(), f.items().end(),
                          [](const DrawItem& d) { return d.kind == ItemKind::Curve; }),
            2);
  EXPECT_EQ(main().findChild<QListWidget*>("lstBody")->count(), 6);
}

TEST_F(MdiMain, TwentyFiveFramesPerSecondInTheOptionsShowInPanel4) {
  EXPECT_EQ(main().panelText(4), "Frames 50/s");
  whenModal([](QWidget* dialog) {
    ASSERT_EQ(dialog->objectName(), "frmOptions");
    auto* step = dialog->findChild<QLineEdit*>("txtStep");
    EXPECT_EQ(step->text(), "50");
    step->setText("25");
    QTest::mouseClick(dialog->findChild<QPushButton*>("cmdClose"), Qt::LeftButton);
  });
  item("mnuOptions")->trigger();
  EXPECT_EQ(main().panelText(4), "Frames 25/s");
  EXPECT_EQ(main().statePicture(), kPictureChanged);

  // motionsim runs at 50 frames a second: the probe now differs.
  item("mnutest")->trigger();
  ASSERT_EQ(dialogs_.messages.size(), 1);
  EXPECT_EQ(dialogs_.messages[0].text, resString(163));
  EXPECT_EQ(dialogs_.messages[0].title, "Frames / sec");
}

TEST_F(MdiMain, ClosingWindow1Of012RenumbersTheOthers) {
  addDrives({"A", "B", "C"});
  EXPECT_TRUE(main().mdiArea()->subWindowList(QMdiArea::CreationOrder).at(1)->close());
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  ASSERT_EQ(main().driveWindowCount(), 2);
  EXPECT_EQ(main().driveWindow(1)->windowNumber(), 1);
  EXPECT_EQ(main().driveWindow(1)->record().name, "C");
}

TEST_F(MdiMain, AChangedDriveStoredAsClosedStillAsksBeforeItsWindowCloses) {
  DriveRecord record = sampleRecord("A", 0, 2, 1);
  record.closed = true;  // as a project file may hold the flag
  record.changed = true;
  main().openDriveWindow(project().addDrive(std::move(record)));
  dialogs_.answers = {MessageAnswer::Cancel};
  EXPECT_FALSE(main().mdiArea()->subWindowList().at(0)->close());
  ASSERT_EQ(dialogs_.messages.size(), 1);
  EXPECT_EQ(dialogs_.messages[0].text, resString(118));
}

TEST_F(MdiMain, TheInputChooserBindsAnInputByDoubleClick) {
  item("mnuNew")->trigger();
  frmInput* chooser = main().inputChooser();
  ASSERT_TRUE(chooser);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(chooser));
  auto* inputs = chooser->findChild<QListWidget*>("lstWMInput");
  ASSERT_EQ(inputs->item(0)->text(), "Hub");  // the example mechanism's first input
  const QRect hub = inputs->visualItemRect(inputs->item(0));
  // A user's double click: a click, then a second press that arrives as a double click.
  QTest::mouseClick(inputs->viewport(), Qt::LeftButton, {}, hub.center());
  QTest::mouseDClick(inputs->viewport(), Qt::LeftButton, {}, hub.center());
  ASSERT_EQ(main().driveWindowCount(), 1);
  EXPECT_EQ(main().driveWindow(0)->record().name, "Hub");
  EXPECT_EQ(chooser->findChild<QListWidget*>("lstDriveInput")->count(), 1);
}

TEST_F(MdiMain, TransferChecksTheDrivesRunsTheCheckDialogAndEnablesTheCamItem) {
  main().openProjectFile(KINETRA_SOURCE_DIR "/examples/demo.idp");
  ASSERT_EQ(main().driveWindowCount(), 3);
  item("mnuTransfer")->trigger();
  ASSERT_EQ(dialogs_.messages.size(), 1);
  EXPECT_EQ(dialogs_.messages[0].text, resString(158));
  EXPECT_EQ(dialogs_.messages[0].title, main().windowTitle());

  main().mnuProjektCalc();
  QAction* cam = item("mnuKurve");
  for (const char* button : {"cmdCancel", "cmdTransfer"}) {
    cam->setEnabled(false);
    whenModal([button](QWidget* dialog) {
      ASSERT_EQ(dialog->objectName(), "frmWMCheck");
      dialog->findChild<QPushButton*>(QLatin1String(button))->click();
    });
    item("mnuTransfer")->trigger();
    EXPECT_EQ(cam->isEnabled(), button == std::string("cmdTransfer")) << button;
  }
  EXPECT_EQ(dialogs_.messages.size(), 1);
}

TEST_F(MdiMain, EachNameOfTheExchangeListGetsADriveWindowAndPushWritesTheirSplines) {
  QTemporaryDir dir;
  ASSERT_TRUE(writeTextFile(dir.filePath("drive.txt"), {"Hub", "Schwenk"}));
  qputenv("KINETRA_EXCHANGE_DIR", dir.path().toUtf8());
  openMenu("mnuAdams");
  item("mnuAdamsGet")->trigger();
  ASSERT_EQ(main().driveWindowCount(), 2);
  EXPECT_EQ(main().driveWindow(1)->record().name, "Schwenk");
  for (int i = 0; i < 2; ++i) giveResults(main().driveWindow(i)->document());
  openMenu("mnuAdams");
  item("mnuAdamsPush")->trigger();
  qunsetenv("KINETRA_EXCHANGE_DIR");
  EXPECT_TRUE(QFile::exists(dir.filePath("Schwenk.txt")));
  ASSERT_EQ(dialogs_.messages.size(), 1);
  EXPECT_EQ(dialogs_.messages[0].text, "2 Dateien wurden gespeichert");
}

}  // namespace
