// The cam window against a real motionsim with the example mechanism (100 frames), driven
// through its own buttons, fields and menu.
#include "app/cam/frm_kurve.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include "app/common/string_table.h"
#include "app/common/text_file.h"
#include "app/graph/canvas.h"
#include "tests/app/support/attached_simulation.h"

namespace {

class CamWindowTest : public AttachedSimulation {
 protected:
  void open() {
    start({}, {"--frames", "100"});
    window_.emplace(project_, guard_);
    window_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&*window_));
  }
  template <class T>
  T* child(const char* name) const {
    T* found = window_->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
  }
  // The example: list position 2 is "Rolle", 0 is "Scheibe".
  void pickExample() {
    child<QListWidget>("lstBody")->setCurrentRow(2);
    QTest::mouseClick(child<QPushButton>("cmdBodyA"), Qt::LeftButton);
    child<QListWidget>("lstBody")->setCurrentRow(0);
    QTest::mouseClick(child<QPushButton>("cmdBodyB"), Qt::LeftButton);
  }
  void runTo(const char* frame) {
    child<QLineEdit>("txtFrame")->setText(frame);
    QTest::mouseClick(child<QPushButton>("cmdRun"), Qt::LeftButton);
  }
  int rows() const { return child<QTableView>("flgKurve")->model()->rowCount(); }
  QString cell(int row, int column) const {
    const QAbstractItemModel* model = child<QTableView>("flgKurve")->model();
    return model->data(model->index(row, column)).toString();
  }
  // The items of one kind in view v's drawing.
  std::vector<DrawItem> items(int v, ItemKind kind) const {
    std::vector<DrawItem> found;
    for (const DrawItem& item : window_->picKurve(v)->drawing().items())
      if (item.kind == kind) found.push_back(item);
    return found;
  }
  bool menuItemEnabled(const char* name) {
    emit child<QMenu>("mnuKurve")->aboutToShow();
    return child<QAction>(name)->isEnabled();
  }

  ProjectState project_;
  std::optional<frmKurve> window_;
};

TEST_F(CamWindowTest, RunThroughTheButtonsRecordsDrawsScalesAndExports) {
  open();
  EXPECT_EQ(window_->statusPanelText(6), "Last computed frame=99");
  EXPECT_FALSE(menuItemEnabled("mnuWritetofile"));
  pickExample();
  EXPECT_EQ(child<QLineEdit>("txtBodyA")->text(), "Rolle ID-3");

  runTo("100");
  EXPECT_EQ(rows(), 0);
  ASSERT_EQ(dialogs_.messages.size(), 1);
  EXPECT_EQ(dialogs_.messages[0].text, resString(168));

  // Enter in txtFrame hands the focus to cmdRun and runs.
  child<QLineEdit>("txtFrame")->setText("99");
  QTest::keyClick(child<QLineEdit>("txtFrame"), Qt::Key_Return);
  ASSERT_EQ(rows(), 100);
  EXPECT_TRUE(child<QPushButton>("cmdRun")->hasFocus());
  EXPECT_EQ(cell(99, 0), "99");
  EXPECT_TRUE(menuItemEnabled("mnuWritetofile"));
  for (int v = 0; v < kCamViews; ++v) {
    ASSERT_EQ(items(v, ItemKind::Curve).size(), 1u) << v;
    EXPECT_EQ(items(v, ItemKind::Curve)[0].curve.size(), 100u) << v;
    EXPECT_EQ(items(v, ItemKind::Text).size(), 4u) << v;
  }

  // A double click on the multiplier scales the points and the views.
  const double x = cell(50, 1).toDouble();
  child<QLineEdit>("txtMultiplikator")->setText("2");
  QTest::mouseDClick(child<QLineEdit>("txtMultiplikator"), Qt::LeftButton);
  EXPECT_DOUBLE_EQ(cell(50, 1).toDouble(), 2 * x);
  EXPECT_DOUBLE_EQ(window_->picKurve(1)->drawing().scale().width,
                   2.5 * window_->session().table().extent());

  // The marker of the selected row in every view.
  child<QTableView>("flgKurve")->selectRow(10);
  for (int v = 0; v < kCamViews; ++v) EXPECT_EQ(items(v, ItemKind::Circle).size(), 1u) << v;

  QTemporaryDir dir;
  dialogs_.saveNames.push_back(dir.filePath("cam.txt"));
  child<QAction>("mnuWritetofile")->trigger();
  EXPECT_EQ(dialogs_.fileRequests.last().proposedName, resString(133) + " Rolle ID-3 Scheibe ID-1");
  const QStringList lines = readTextLines(dir.filePath("cam.txt")).value_or(QStringList());
  ASSERT_EQ(lines.size(), 100);
  EXPECT_TRUE(lines[0].endsWith("\tSpline closed"));
  EXPECT_EQ(dialogs_.messages.size(), 1);
}

}  // namespace
