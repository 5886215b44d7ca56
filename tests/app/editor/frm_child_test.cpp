#include "app/editor/frm_child.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>

#include <memory>

#include "app/graph/canvas.h"
#include "app/resources/resource_paths.h"
#include "tests/app/editor/table_texts.h"
#include "tests/app/support/registered_kernel.h"
#include "tests/app/support/scripted_dialogs.h"

namespace {

class FrmChildTest : public RegisteredKernel {
 protected:
  void SetUp() override {
    RegisteredKernel::SetUp();
    if (HasFatalFailure()) return;
    DriveRecord record;
    record.name = "Hub";
    record.id = 7;
    project_.addDrive(record);
    window_ = std::make_unique<frmChild>(project_, 0, kernel());
    window_->show();
    window_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
  }

  template <class Widget>
  Widget* child(const char* name) const {
    Widget* widget = window_->findChild<Widget*>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }
  QTableView* grid() const { return child<QTableView>("flgEingabe"); }
  Canvas* graph(int k) const {
    return child<Canvas>(QStringLiteral("picGraf%1").arg(k).toLatin1());
  }
  int resultRows() const { return child<QTableView>("flgAusgabe")->model()->rowCount(); }
  const InputTable& input() { return window_->document().input; }

  void show(const std::vector<QStringList>& rows) {
    window_->document().input = tableOf(rows);
    window_->refreshFromDocument();
  }
  void calculateCamDrive() {
    show(kCamDrive);
    window_->DriveCalc();
    ASSERT_EQ(resultRows(), 101);
  }
  void clickCell(int gridRow, int column, Qt::MouseButton button = Qt::LeftButton) {
    const QRect cell = grid()->visualRect(grid()->model()->index(gridRow - 1, column));
    QTest::mouseClick(grid()->viewport(), button, {}, cell.center());
  }
  static int itemsOf(const Canvas* canvas, ItemKind kind) {
    const auto& items = canvas->drawing().items();
    return int(std::count_if(items.begin(), items.end(),
                             [kind](const DrawItem& item) { return item.kind == kind; }));
  }

  FixedTexts texts_;
  ScriptedDialogs dialogs_;
  ProjectState project_;
  std::unique_ptr<frmChild> window_;
};

TEST_F(FrmChildTest, ADriveTypedWithTheKeyboardCalculatesToItsResultRows) {
  auto* edit = child<QLineEdit>("txtEdit");
  auto* laws = child<QComboBox>("cboDriveList");
  // A number typed into the current cell; Right leaves it for the next column.
  const auto type = [&](const QString& text) {
    QTest::keyClick(grid(), text[0].toLatin1());
    ASSERT_TRUE(edit->isVisible());
    QTest::keyClicks(edit, text.mid(1));
    QTest::keyClick(edit, Qt::Key_Right);
  };
  // The law list opened on the current cell, moved to the law, taken with Enter.
  const auto choose = [&](const QString& law) {
    QTest::keyClick(grid(), Qt::Key_Space);
    ASSERT_TRUE(laws->isVisible());
    const int wanted = laws->findText(law);
    ASSERT_GE(wanted, 0);
    while (laws->currentIndex() != wanted)
      QTest::keyClick(laws, laws->currentIndex() < wanted ? Qt::Key_Down : Qt::Key_Up);
    QTest::keyClick(laws, Qt::Key_Return);
    EXPECT_FALSE(laws->isVisible());
  };

  QTest::keyClick(grid(), Qt::Key_Right);
  QTest::keyClick(grid(), Qt::Key_Right);
  choose("Linear");  // row 1 keeps its 0, 0; a law on the last row appends row 2
  for (std::size_t r = 1; r < kCamDrive.size(); ++r) {
    type(kCamDrive[r][0]);
    type(kCamDrive[r][1]);
    choose(kCamDrive[r][2]);
  }
  EXPECT_EQ(columnTexts(input(), InputTable::kZ),
            QStringList({"0", "60", "150", "210", "300", "360"}));
  EXPECT_EQ(columnTexts(input(), InputTable::kLaw),
            QStringList({"Linear", "ModSine", "Linear", "ModSine", "Linear", "ENDE"}));
  EXPECT_EQ(input().cell(2, InputTable::kFirstParameter), "x");  // ModSine takes fd0
  EXPECT_EQ(window_->statusPanelText(5), kPictureChanged);

  // Down in the editor on the last row appends a row; Delete takes it away again.
  QTest::keyClick(grid(), Qt::Key_Left);
  QTest::keyClick(grid(), '7');
  QTest::keyClick(edit, Qt::Key_Down);
  ASSERT_EQ(input().rowCount(), 8);
  QTest::keyClick(grid(), Qt::Key_Delete);
  EXPECT_EQ(input().rowCount(), 7);
  EXPECT_EQ(input().cell(6, InputTable::kF), "7");

  // Calc while a cell is being typed into: the typed text takes part (it used to be left out).
  QSignalSpy calculated(window_.get(), &frmChild::calculated);
  EXPECT_FALSE(window_->toolbarButton(12)->isEnabled());
  QTest::keyClick(grid(), Qt::Key_Right);
  QTest::keyClick(grid(), '0');
  window_->tbrDriveButtonClick("Calc");
  EXPECT_EQ(input().cell(6, InputTable::kF), "0");
  ASSERT_EQ(resultRows(), 101);
  EXPECT_EQ(window_->document().results.value(100, 1), 0.0);
  EXPECT_EQ(calculated.size(), 1);
  EXPECT_EQ(window_->statusPanelText(4), "Werte: 101");
  EXPECT_EQ(window_->statusPanelText(5), kPictureSaved);
  EXPECT_EQ(project_.drives()[0].frameCount, 101);
  EXPECT_TRUE(window_->toolbarButton(12)->isEnabled());
  EXPECT_TRUE(dialogs_.messages.isEmpty());
}

TEST_F(FrmChildTest, WhileCalculatingTheWindowNeitherClosesNorCalculatesAgain) {
  // Closing the window from inside the calculation's event rounds destroyed it under the
  // running loop.
  show(kCamDrive);
  window_->document().camSpeedText = "1";  // 18001 frames: the loop lets events through
  project_.drives()[0].changed = true;
  dialogs_.answers = {MessageAnswer::No};
  QTimer::singleShot(0, window_.get(), [this] {
    EXPECT_TRUE(window_->isCalculating());
    EXPECT_FALSE(window_->close());
    window_->tbrDriveButtonClick("Calc");
  });
  window_->DriveCalc();
  EXPECT_EQ(resultRows(), 18001);
  EXPECT_TRUE(window_->isVisible());
  EXPECT_TRUE(dialogs_.messages.isEmpty());
}

TEST_F(FrmChildTest, ToolbarButtonsAnswerTheirExactKeys) {
  show(kCamDrive);
  window_->tbrDriveButtonClick("calc");  // keys are compared exactly
  EXPECT_EQ(resultRows(), 0);
  QToolBar* toolbar = child<QToolBar>("tbrDrive");
  QTest::mouseClick(toolbar->widgetForAction(window_->toolbarButton(9)), Qt::LeftButton);
  EXPECT_EQ(input().rowCount(), 8);
  QTest::mouseClick(toolbar->widgetForAction(window_->toolbarButton(8)), Qt::LeftButton);
  EXPECT_EQ(input().rowCount(), 7);
}

TEST_F(FrmChildTest, RightClickOnANumericFCellAsksForTheConversion) {
  show({{"0", "3.14159265358979", "Sine"}, {"90", "x"}});
  QSignalSpy asked(window_.get(), &frmChild::conversionRequested);
  clickCell(2, InputTable::kF, Qt::RightButton);  // not a number
  clickCell(1, InputTable::kF, Qt::RightButton);
  ASSERT_EQ(asked.size(), 1);
  window_->mnuGrad();
  EXPECT_EQ(input().cell(1, InputTable::kF), "180");
}

TEST_F(FrmChildTest, CalculationDrawsEveryGraphAndLoeschenClearsThem) {
  calculateCamDrive();
  for (int k = 0; k < kDriveGraphCount; ++k) {
    SCOPED_TRACE(k);
    EXPECT_EQ(itemsOf(graph(k), ItemKind::Curve), 2);  // the points and the line
    EXPECT_GE(itemsOf(graph(k), ItemKind::Line), 6);   // boundaries and the zero axis
  }
  EXPECT_EQ(itemsOf(child<Canvas>("Graph"), ItemKind::Curve), 5);
  EXPECT_EQ(child<QTableView>("flgBerechnung")->model()->rowCount(), 6);

  window_->tbrDriveButtonClick("Löschen");
  EXPECT_EQ(resultRows(), 0);
  for (int k = 0; k < kDriveGraphCount; ++k) EXPECT_TRUE(graph(k)->drawing().items().empty());
  EXPECT_TRUE(child<Canvas>("Graph")->drawing().items().empty());
  EXPECT_TRUE(window_->toolbarButton(12)->isEnabled());  // the drive stays calculated
}

TEST_F(FrmChildTest, RightClickLeftOfTheFirstZSelectsRowTwo) {
  calculateCamDrive();
  QTest::mouseClick(graph(1), Qt::RightButton, {},
                    QPoint(0, graph(1)->height() / 2));  // left of z = 0
  EXPECT_EQ(window_->selectedRow(), 2);
  EXPECT_EQ(child<QTableView>("flgAusgabe")->currentIndex().row(), 1);
  EXPECT_EQ(window_->statusPanelText(2), "z= " + window_->document().results.text(1, 0));
  for (int k = 0; k < kDriveGraphCount; ++k) {
    const DrawItem& mark = graph(k)->drawing().items().back();
    EXPECT_EQ(mark.kind, ItemKind::Point);  // a circle and a point at the row's value
    EXPECT_EQ(mark.p1, rowPoint(window_->document().results, k, 2));
  }
}

TEST_F(FrmChildTest, DriveColourOfAnUncalculatedDriveChangesOnlyTheSwatch) {
  constexpr quint32 kGreenBgr = 0x0000FF00, kRedBgr = 0x000000FF;
  auto* swatch = child<QLineEdit>("txtDriveColor");
  dialogs_.colors = {kGreenBgr, kRedBgr};
  QTest::mouseClick(swatch, Qt::LeftButton);
  EXPECT_EQ(swatch->palette().color(QPalette::Base), QColor(0, 255, 0));
  EXPECT_EQ(window_->document().colorBgr, kGreenBgr);
  EXPECT_TRUE(project_.isChanged());
  for (int k = 0; k < kDriveGraphCount; ++k) EXPECT_TRUE(graph(k)->drawing().items().empty());

  calculateCamDrive();  // a calculated drive's curves are drawn again in the new colour
  window_->tbrDriveButtonClick("DriveColor");
  EXPECT_EQ(graph(0)->drawing().items().back().pen.rgb, rgb(255, 0, 0));
}

TEST_F(FrmChildTest, PrintedPageHoldsTheNameAndPageButNoResults) {
  calculateCamDrive();
  QTemporaryDir folder;
  const QString pdf = folder.filePath("drive.pdf");
  dialogs_.printers.push_back(PrinterChoice{{}, pdf});
  window_->tbrDriveButtonClick("Print");
  QProcess text;
  text.start("pdftotext", {"-layout", pdf, "-"});
  ASSERT_TRUE(text.waitForFinished(30000));
  const QString page = QString::fromUtf8(text.readAllStandardOutput());
  EXPECT_TRUE(page.contains(QRegularExpression("Hub\\s+Seite:\\s+1"))) << page.toStdString();
  EXPECT_FALSE(page.contains(window_->document().results.text(1, 0))) << page.toStdString();
}

TEST_F(FrmChildTest, CamSpeedOfZeroCannotBeLeft) {
  auto* speed = child<QLineEdit>("txtKurvenGeschwindigkeit");
  EXPECT_EQ(speed->text(), "180");
  speed->setFocus();
  speed->selectAll();
  QTest::keyClicks(speed, "0");
  grid()->setFocus();
  QApplication::processEvents();
  EXPECT_TRUE(speed->hasFocus());
  EXPECT_EQ(speed->selectedText(), "0");
}

TEST_F(FrmChildTest, ActivationInTheMainWindowShowsTheRecordsIdAndTheNumber) {
  DriveRecord second;
  second.name = "Nocke";
  second.id = 12;
  project_.addDrive(second);
  QMdiArea area;
  QMdiSubWindow* first = area.addSubWindow(new frmChild(project_, 0, kernel()));
  auto* other = new frmChild(project_, 1, kernel());
  QMdiSubWindow* frame = area.addSubWindow(other);
  area.show();
  QSignalSpy activated(other, &frmChild::activatedWindow);
  area.setActiveSubWindow(first);
  area.setActiveSubWindow(frame);
  ASSERT_EQ(activated.size(), 1);
  EXPECT_EQ(frame->windowTitle(), "Nocke");
  EXPECT_EQ(other->statusPanelText(1), "ID: 12");
  EXPECT_EQ(other->statusPanelText(6), "1");
}

}  // namespace
