// The project graph window with two calculated drives: zoom by a drag and back, cursor lines.
#include "app/projectgraph/frm_grafik.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QGroupBox>
#include <QStatusBar>
#include <QTest>

#include <functional>

#include "app/graph/canvas.h"
#include "app/shell/project_state.h"
#include "tests/app/graph/graph_test_support.h"

namespace {

class FrmGrafikTest : public testing::Test {
 protected:
  void SetUp() override {
    // z 0 … 360 with f from -2 to 5, and z 0 … 180 with f from -1 to 8.
    addDrive(graphRows(0, 1, 361, [](double z) { return -2 + 7 * z / 360; }), 0x000000FF);
    addDrive(graphRows(0, 1, 181, [](double z) { return -1 + 9 * z / 180; }), 0x0000FF00);
    window_.emplace(project_);
    window_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&*window_));
  }
  void addDrive(const std::vector<ResultTable::Row>& rows, quint32 colorBgr) {
    DriveRecord record;
    *record.document = graphDocument(rows, {{"0", "0"}, {"90", "1"}});
    record.document->colorBgr = colorBgr;
    project_.addDrive(record);
  }
  Canvas* panel(int k) const { return window_->picGrafik(k); }
  // A left drag on panel k between two pixel points; the user rectangle it spans.
  UserScale drag(int k, QPoint from, QPoint to) {
    const QPointF a = panel(k)->toUser(from), b = panel(k)->toUser(to);
    QTest::mousePress(panel(k), Qt::LeftButton, {}, from);
    QTest::mouseMove(panel(k), to);
    QTest::mouseRelease(panel(k), Qt::LeftButton, {}, to);
    return {std::min(a.x(), b.x()), std::min(a.y(), b.y()), std::abs(a.x() - b.x()),
            std::abs(a.y() - b.y())};
  }

  LocaleScope texts_{QLocale::c(), Language::German};
  ProjectState project_;
  std::optional<frmGrafik> window_;
};

TEST_F(FrmGrafikTest, DragEitherWayZoomsIntoTheSameRectangleAndRightButtonRestores) {
  EXPECT_EQ(window_->statusPanelText(4), "NOR.");
  const UserScale normal = panel(1)->drawing().scale();
  const UserScale otherPanel = panel(0)->drawing().scale();
  const QPoint upperLeft(40, 30), lowerRight(160, 90);
  const UserScale dragged = drag(1, upperLeft, lowerRight);
  const UserScale zoomed = panel(1)->drawing().scale();
  EXPECT_EQ(zoomed, dragged);
  EXPECT_EQ(window_->statusPanelText(4), "ZOOM");
  EXPECT_EQ(panel(0)->drawing().scale(), otherPanel);

  QTest::mouseClick(panel(1), Qt::RightButton, {}, QPoint(10, 10));
  EXPECT_EQ(panel(1)->drawing().scale(), normal);
  EXPECT_EQ(window_->statusPanelText(4), "NOR.");

  // The other way round; then "Aktualisieren", and a resize, each back to the normal view.
  using Restore = std::function<void()>;
  for (const Restore& restore :
       {Restore([&] { window_->findChild<QAction*>("mnuGrafikAktualisieren")->trigger(); }),
        Restore([&] { window_->resize(window_->size() + QSize(40, 30)); })}) {
    drag(1, lowerRight, upperLeft);
    EXPECT_EQ(panel(1)->drawing().scale(), zoomed);
    restore();
    EXPECT_EQ(panel(1)->drawing().scale(), normal);
    EXPECT_EQ(window_->statusPanelText(4), "NOR.");
  }
}

TEST_F(FrmGrafikTest, CursorLinesInEveryPanelUntilTheStatusBarIsClicked) {
  const QPoint at(70, 40);
  const QPointF user = panel(2)->toUser(at);
  QTest::mouseMove(panel(2), at);
  for (int k = 0; k < kProjectPanelCount; ++k) {
    EXPECT_EQ(panel(k)->verticalCursor(), user.x()) << k;
    EXPECT_EQ(panel(k)->horizontalCursor(), user.y()) << k;
  }
  EXPECT_EQ(window_->statusPanelText(1), "f''(z) 2.Ableitung");
  EXPECT_TRUE(window_->statusPanelText(2).startsWith("z= "));

  QTest::mouseClick(window_->statusBar(), Qt::LeftButton, {}, QPoint(5, 5));
  for (int k = 0; k < kProjectPanelCount; ++k) EXPECT_FALSE(panel(k)->verticalCursor()) << k;
  QTest::mouseMove(panel(2), at);
  QTest::mouseMove(window_->fraGrafik(2), QPoint(2, 2));
  for (int k = 0; k < kProjectPanelCount; ++k) EXPECT_FALSE(panel(k)->horizontalCursor()) << k;
}

}  // namespace
