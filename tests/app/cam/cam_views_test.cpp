// The cam table's views, read-out and export, on tables built by hand.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "app/cam/cam_drawing.h"
#include "app/cam/cam_export.h"
#include "app/cam/cam_geometry.h"
#include "app/cam/cam_session.h"
#include "app/common/string_table.h"
#include "tests/app/support/locale_scope.h"
#include "tests/app/support/scripted_dialogs.h"

namespace {

CamTable tableOf(std::initializer_list<CamTable::Row> rows) {
  CamTable table;
  for (const CamTable::Row& row : rows) table.appendRow(row);
  return table;
}

std::vector<QPointF> labelPositions(const CamDrawing& d) {
  std::vector<QPointF> at;
  for (const auto& label : d.labels) at.push_back(label.at);
  return at;
}

TEST(CamViews, ExtentFiftyGivesViewsOfPlusMinus62Point5AndLabelsAt50AndMinus56Point25) {
  const CamTable table = tableOf({{0, 10, -20, 5, 0}, {1, 50, 30, -40, 0.02}});
  EXPECT_EQ(table.extent(), 50);
  EXPECT_EQ(tableOf({{0, 1, 2, 3, 80}}).extent(), 80) << "the time column counts";
  const ViewRect view = scaledView(table.extent());
  EXPECT_EQ(view, (ViewRect{-62.5, -62.5, 125, 125}));
  CamTable doubled = table;  // the points, not the frame or the time
  doubled.multiply(2);
  EXPECT_EQ(doubled.row(1), (CamTable::Row{1, 100, 60, -80, 0.02}));

  const char* labels[kCamViews][4] = {
      {"+X", "-X", "-Y", "+Y"}, {"+Z", "-Z", "-Y", "+Y"}, {"+X", "-X", "+Z", "-Z"}};
  // Row (X, Y, Z) = (50, 30, -40) drawn at (X, -Y), (Z, -Y), (X, Z).
  const QPointF last[kCamViews] = {{50, -30}, {-40, -30}, {50, -40}};
  for (int v = 0; v < kCamViews; ++v) {
    SCOPED_TRACE(v);
    const CamDrawing d = drawCamView(v, view, 50, table, 1);
    EXPECT_EQ(labelPositions(d),
              (std::vector<QPointF>{{50, 0}, {-56.25, 0}, {0, 50}, {0, -56.25}}));
    for (int i = 0; i < 4; ++i) EXPECT_EQ(d.labels[i].text, labels[v][i]);
    ASSERT_EQ(d.axes.size(), 2u);
    EXPECT_EQ(d.axes[0].from, QPointF(-50, 0));
    EXPECT_EQ(d.axes[1].to, QPointF(0, -50));
    ASSERT_EQ(d.curve.size(), 2u);
    EXPECT_EQ(d.curve[1], last[v]);
    ASSERT_TRUE(d.closingLine);
    EXPECT_EQ(d.closingLine->from, last[v]);
    EXPECT_EQ(d.closingLine->to, QPointF(0, 0));
    ASSERT_TRUE(d.marker);
    EXPECT_EQ(d.marker->centre, last[v]);
    EXPECT_EQ(d.marker->radius, 125.0 / 80);
  }

  // The drawing list: axes, labels, a red curve, the blue closing line and the marker.
  Drawing drawing;
  fillDrawing(drawCamView(0, scaledView(50), 50, table, 0), drawing);
  EXPECT_EQ(drawing.scale(), (UserScale{-62.5, -62.5, 125, 125}));
  ASSERT_EQ(drawing.items().size(), 9u);  // two axes, four labels, curve, line, marker
  EXPECT_EQ(drawing.items()[3].p1, QPointF(-56.25, 0));
  EXPECT_EQ(drawing.items()[6].pen.rgb, rgb(255, 0, 0));
  EXPECT_EQ(drawing.items()[6].curve.size(), 2u);
  EXPECT_EQ(drawing.items()[7].pen.rgb, rgb(0, 0, 255));
  EXPECT_EQ(drawing.items()[8].kind, ItemKind::Circle);
  // A view with nothing to show keeps its scale and draws nothing.
  fillDrawing(CamDrawing{}, drawing);
  EXPECT_EQ(drawing.scale().width, 125);
  EXPECT_TRUE(drawing.items().empty());
}

TEST(CamViews, LeftClicksZoomInAroundThePointRightClicksOut) {
  const ViewRect start{-62.5, -62.5, 125, 125};
  const QPointF at(10, -5);
  ViewRect v = *zoomedView(*zoomedView(start, Qt::LeftButton, at), Qt::LeftButton, at);
  EXPECT_EQ(v, (ViewRect{10 - 125.0 / 8, -5 - 125.0 / 8, 125.0 / 4, 125.0 / 4}));
  v = *zoomedView(v, Qt::RightButton, at);
  EXPECT_EQ(v.width, 125.0 / 2);
  EXPECT_EQ(v.left, 10 - 125.0 / 4);
  EXPECT_FALSE(zoomedView(v, Qt::MiddleButton, at));
}

TEST(CamViews, ReadOutNamesTheViewsAxesAndRoundsHalvesToEven) {
  LocaleScope c(QLocale::c(), currentLanguage());
  for (const auto& [view, at, toolTip] :
       {std::tuple{0, QPointF(3.456, -4.321), "X= 3.46 | Y= 4.32 | R= 5.533"},
        {1, QPointF(0.125, 0.375), "Z= 0.12 | Y= -0.38 | R= 0.395"},
        {2, QPointF(-3, 4), "X= -3 | Z= 4 | R= 5"}}) {
    const ReadOut r = readOut(view, at);
    EXPECT_EQ(r.horizontal + " | " + r.vertical + " | " + r.radius, toolTip);
    EXPECT_EQ(r.toolTip, toolTip);
  }
}

TEST(CamExport, FramesZeroTo99GiveTheClosingPointAndRowsTwoTo100) {
  CamTable table;
  for (int f = 0; f < 100; ++f) table.appendRow({double(f), 60.0 - f, -0.5 * f, 0, 0.02 * f});
  QTemporaryDir dir;
  ScriptedDialogs dialogs;
  dialogs.saveNames = {std::nullopt, dir.filePath("cam.txt")};
  EXPECT_FALSE(WriteToFile(table, "Rolle ID-3", "Scheibe ID-1")) << "cancelled";
  EXPECT_FALSE(QFile::exists(dir.filePath("cam.txt")));
  ASSERT_TRUE(WriteToFile(table, "Rolle ID-3", "Scheibe ID-1"));
  ASSERT_EQ(dialogs.fileRequests.size(), 2);
  EXPECT_EQ(dialogs.fileRequests[0].proposedName, resString(133) + " Rolle ID-3 Scheibe ID-1");
  EXPECT_EQ(dialogs.fileRequests[0].filter, "*.txt (Kinetra " + resString(146) + ")|*.txt");
  EXPECT_TRUE(dialogs.fileRequests[0].overwritePrompt);

  QFile file(dir.filePath("cam.txt"));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QList<QByteArray> lines = file.readAll().split('\n');
  ASSERT_EQ(lines.size(), 101);  // 100 lines and the empty rest after the last line end
  EXPECT_EQ(lines[0], "-39\t-49.5\t 0\tSpline closed\r");
  EXPECT_EQ(lines[1], " 59\t-0.5\t 0\t2\r");
  EXPECT_EQ(lines[99], "-39\t-49.5\t 0\t100\r");
}

}  // namespace
