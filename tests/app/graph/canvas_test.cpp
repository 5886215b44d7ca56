#include "app/graph/canvas.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <random>

#include "tests/app/support/file_bytes.h"
#include "tests/app/support/scripted_dialogs.h"

namespace {

constexpr quint32 kRed = rgb(255, 0, 0);
constexpr quint32 kBlue = rgb(0, 0, 255);

quint32 pixel(const QImage& image, int x, int y) { return image.pixel(x, y) & 0xFFFFFF; }

// User coordinates 0 … 100 across, 0 … 50 down: a red line along y = 10, a blue point.
Drawing sample() {
  Drawing d;
  d.setScale({0, 0, 100, 50});
  d.line({10, 10}, {90, 10}, {kRed});
  d.point({20, 30}, {kBlue});
  return d;
}

TEST(Canvas, PaintsItemsWhereTheScalePutsThemAtEverySizeAndCursorLinesOverThem) {
  Canvas canvas;
  canvas.setDrawing(sample());
  for (QSize size : {QSize(100, 50), QSize(200, 100), QSize(50, 25)}) {
    canvas.resize(size);
    const QImage image = canvas.image();
    const double sx = size.width() / 100.0, sy = size.height() / 50.0;
    SCOPED_TRACE(size.width());
    EXPECT_EQ(pixel(image, int(50 * sx), int(10 * sy)), kRed);
    EXPECT_EQ(pixel(image, int(20 * sx), int(30 * sy)), kBlue);
    EXPECT_EQ(pixel(image, int(50 * sx), int(40 * sy)), kWhite);
  }
  // Upward y: a negative height puts y = 10 near the bottom.
  Drawing up = sample();
  up.setScale({0, 50, 100, -50});
  EXPECT_EQ(pixel(renderDrawing(up, {100, 50}), 50, 40), kRed);

  // Cursor lines are drawn over the drawing but are not items.
  canvas.resize(100, 50);
  canvas.setVerticalCursor(70.0);
  canvas.setHorizontalCursor(40.0);
  EXPECT_EQ(canvas.drawing().items().size(), 2u);
  const QImage shown = canvas.grab().toImage();
  EXPECT_EQ(pixel(shown, 70, 5), kBlack);
  EXPECT_EQ(pixel(shown, 5, 40), kBlack);
  EXPECT_EQ(pixel(canvas.image(), 70, 5), kWhite);  // the saved picture has none
  canvas.hideCursorLines();
  EXPECT_EQ(pixel(canvas.grab().toImage(), 70, 5), kWhite);
}

// Curves of many points per pixel column, smooth with bursts of noise and steep ramps, whole and
// zoomed so that long stretches run beyond every edge; z-ordered ones (taken by pixel columns) and
// a looping one (taken point by point): the reduced painting must give the same pixels as every
// point.
TEST(Canvas, ReducedCurvesPaintTheSamePixelsAsEveryPoint) {
  std::mt19937 random(7);
  std::normal_distribution<double> noise(0.0, 3.0);
  auto zs = std::make_shared<std::vector<double>>();
  auto loop = std::make_shared<std::vector<double>>();
  auto ys = std::make_shared<std::vector<double>>();
  for (int i = 0; i < 100000; ++i) {
    zs->push_back(i * 0.0036);
    loop->push_back(180 + 200 * std::sin(i * 0.00031));
    // Down and up again by 1.5 rows a step, passing over every third row.
    const int inRamp = i % 20000 - 1000;
    const double ramp = inRamp >= 0 && inRamp < 80 ? -0.1 * std::min(inRamp, 80 - inRamp) : 0.0;
    ys->push_back(std::sin(i * 0.0004) * 3 + ramp + (i % 5000 < 40 ? noise(random) : 0.0));
  }
  const struct {
    UserScale view;
    CurveMarks marks;
    int width;
    bool ordered;
  } cases[] = {{{0, -5, 360, 10}, CurveMarks::Lines, 1, true},
               {{100, -1, 20, 2}, CurveMarks::Lines, 1, true},
               {{170, 3.5, 15, -6}, CurveMarks::Lines, 1, true},
               {{400, -20, -500, 40}, CurveMarks::PointsAndLines, 1, true},
               {{0, -5, 360, 10}, CurveMarks::Points, 1, true},
               {{100, -1, 20, 2}, CurveMarks::Points, 3, true},
               {{0, -5, 360, 10}, CurveMarks::PointsAndLines, 1, false},
               {{100, -1, 20, 2}, CurveMarks::Lines, 1, false}};
  for (const auto& c : cases) {
    Drawing d;
    d.setScale(c.view);
    d.curve({c.ordered ? zs : loop, ys, -1.0}, c.marks, {kRed, c.width});
    ASSERT_EQ(d.items()[0].curve.ordered, c.ordered);
    const QImage reduced = renderDrawing(d, {300, 150}, CurveDetail::Reduced);
    SCOPED_TRACE(testing::Message() << c.view.left << " marks " << static_cast<int>(c.marks));
    EXPECT_EQ(differingPixels(reduced, renderDrawing(d, {300, 150}, CurveDetail::Every)), 0);
    EXPECT_GT(differingPixels(reduced, renderDrawing(Drawing(), {300, 150})), 100);
  }
}

TEST(Canvas, ContextMenuSavesPngSvgAndPdfAtTheSizeShown) {
  QTemporaryDir dir;
  ScriptedDialogs dialogs;
  Canvas canvas;
  canvas.setObjectName("picGraf");
  canvas.resize(120, 60);
  canvas.setDrawing(sample());
  std::unique_ptr<QMenu> menu(canvas.createContextMenu(nullptr));
  // Given without its extension, a name gets the format's own.
  const std::tuple<const char*, const char*, const char*, QByteArray> cases[] = {
      {"mnuSavePng", "a", "a.png", "\x89PNG"},
      {"mnuSaveSvg", "b.svg", "b.svg", "<?xml"},
      {"mnuSavePdf", "c", "c.pdf", "%PDF"}};
  for (const auto& [action, given, written, magic] : cases) {
    dialogs.saveNames.push_back(dir.filePath(given));
    menu->findChild<QAction*>(action)->trigger();
    EXPECT_TRUE(fileBytes(dir.filePath(written)).startsWith(magic)) << written;
  }
  EXPECT_EQ(dialogs.fileRequests.at(0).proposedName, "picGraf.png");
  EXPECT_EQ(QImage(dir.filePath("a.png")).size(), QSize(120, 60));
  // Cancelled: nothing written.
  EXPECT_FALSE(canvas.saveAs(ImageFormat::Png));
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 3);
}

TEST(Canvas, MouseEventsArriveInUserCoordinates) {
  Canvas canvas;
  canvas.resize(200, 100);
  Drawing d;
  d.setScale({100, 10, 400, -20});
  canvas.setDrawing(d);
  canvas.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&canvas));
  QSignalSpy pressed(&canvas, &Canvas::mousePressed);
  QSignalSpy released(&canvas, &Canvas::mouseReleased);
  QSignalSpy moved(&canvas, &Canvas::mouseMoved);
  QTest::mousePress(&canvas, Qt::RightButton, {}, QPoint(50, 25));
  QTest::mouseRelease(&canvas, Qt::RightButton, {}, QPoint(150, 75));
  QTest::mouseMove(&canvas, QPoint(100, 50));
  ASSERT_EQ(pressed.size(), 1);
  EXPECT_EQ(pressed[0][0].toPointF(), QPointF(200, 5));
  EXPECT_EQ(pressed[0][1].value<Qt::MouseButton>(), Qt::RightButton);
  EXPECT_EQ(released[0][0].toPointF(), QPointF(400, -5));
  ASSERT_FALSE(moved.isEmpty());
  EXPECT_EQ(moved.back()[0].toPointF(), QPointF(300, 0));
  // Shift with the right button opens the context menu and is not the graph's click.
  QTest::mousePress(&canvas, Qt::RightButton, Qt::ShiftModifier, QPoint(10, 10));
  EXPECT_EQ(pressed.size(), 1);
}

}  // namespace
