#include "app/graph/drive_graph.h"

#include <gtest/gtest.h>

#include "tests/app/graph/graph_test_support.h"
#include "tests/app/support/scripted_dialogs.h"

namespace {

constexpr double kFrameTime = 0.02;

std::vector<const DrawItem*> linesIn(const Drawing& d, quint32 color) {
  std::vector<const DrawItem*> out;
  for (const DrawItem& item : d.items())
    if (item.kind == ItemKind::Line && item.pen.rgb == color) out.push_back(&item);
  return out;
}

TEST(DriveGraph, RangesContainZeroAndGiveTheGraphsAQuarterMore) {
  // z 100 … 110, f 0 … 10 (never negative), f' constant 0, f'' -4 … -1 (never positive).
  std::vector<ResultTable::Row> rows;
  for (int i = 0; i <= 10; ++i) rows.push_back({100.0 + i, double(i), 0, -4.0 + i * 0.3, 0, 0, 0});
  const RangeTable t = GrafMiniMax(graphDocument(rows).results, kFrameTime);
  const struct {
    int graph;
    double lo, hi, top, bottom;
  } cases[] = {
      {0, -1, 10, -12.5, 1.25},         // f >= 0: lo becomes -1
      {1, -0.02, 0.02, -0.025, 0.025},  // constant 0: widened by the frame time, nothing more
      {2, -4, 1, -1.25, 5},             // f'' <= 0: hi becomes 1
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.graph);
    EXPECT_DOUBLE_EQ(t.lo[c.graph + 1], c.lo);
    EXPECT_DOUBLE_EQ(t.hi[c.graph + 1], c.hi);
    const UserScale s = graphScale(t, c.graph);
    EXPECT_DOUBLE_EQ(s.top, c.top);
    EXPECT_DOUBLE_EQ(s.bottom(), c.bottom);
    EXPECT_DOUBLE_EQ(s.left, 0.0);        // the z range starts at 0 …
    EXPECT_DOUBLE_EQ(s.right(), 110.02);  // … and ends one frame time after the last z
  }
}

TEST(DriveGraph, AnEmptyResultTableDrawsNothing) {
  ScriptedDialogs dialogs;
  const DriveCurves curves = driveCurves(graphDocument({}, {{"0", "0"}, {"90", "1"}}), kFrameTime);
  for (int c = 0; c < ResultTable::kColumns; ++c) {
    EXPECT_EQ(curves.ranges.lo[c], 0.0);
    EXPECT_EQ(curves.ranges.hi[c], 0.0);
  }
  for (const Drawing& graph : grafik(curves)) EXPECT_TRUE(graph.items().empty());
  EXPECT_TRUE(Normiert(curves).items().empty());
  EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST(DriveGraph, GridMarksTheInputRowsAlsoBetweenResultRows) {
  DriveDocument doc = graphDocument(graphRows(0, 1, 11, [](double z) { return z; }),
                                    {{"0", "0"}, {"2.5", "3"}, {"x", "?"}, {"10", "10"}});
  doc.colorBgr = 0x00FF8000;
  LocaleScope english(QLocale::c(), Language::English);
  const DriveCurves curves = driveCurves(doc, kFrameTime);
  const DriveGraphs graphs = grafik(curves);
  const RangeTable& t = curves.ranges;
  for (int k = 0; k < kDriveGraphCount; ++k) {
    SCOPED_TRACE(k);
    std::vector<double> verticalZ, horizontalY;
    for (const DrawItem* line : linesIn(graphs[k], kBoundaryColor)) {
      if (line->p1.x() == line->p2.x()) {
        verticalZ.push_back(line->p1.x());
        EXPECT_EQ(line->p1.y(), -t.hi[k + 1]);
        EXPECT_EQ(line->p2.y(), -t.lo[k + 1]);
      } else {
        horizontalY.push_back(line->p1.y());
        EXPECT_EQ(line->p1.x(), t.lo[0]);
        EXPECT_EQ(line->p2.x(), t.hi[0]);
      }
    }
    EXPECT_EQ(verticalZ, (std::vector<double>{0, 2.5, 10}));
    EXPECT_EQ(horizontalY, k == 0 ? (std::vector<double>{-0.0, -3, -10}) : std::vector<double>{});
    ASSERT_EQ(linesIn(graphs[k], kBlack).size(), 1u);  // the zero axis
    EXPECT_EQ(linesIn(graphs[k], kBlack)[0]->p1, QPointF(t.lo[0], 0));

    // Points, then the line through them, in the drive colour, values negated.
    const DrawItem& points = graphs[k].items().rbegin()[1];
    const DrawItem& line = graphs[k].items().back();
    EXPECT_EQ(points.marks, CurveMarks::Points);
    EXPECT_EQ(line.marks, CurveMarks::Lines);
    EXPECT_EQ(line.pen.rgb, rgb(0x00, 0x80, 0xFF));
    EXPECT_EQ(line.curve.point(4), QPointF(4, k == 0 ? -4.0 : -0.0));
  }
}

TEST(DriveGraph, ScaleOverflowShowsMessage177) {
  ScriptedDialogs dialogs;
  const DriveCurves curves =
      driveCurves(graphDocument({{0, 1.5e308, 0, 0, 0, 0, 0}, {1, 0, 0, 0, 0, 0, 0}}), kFrameTime);
  const DriveGraphs graphs = grafik(curves);
  ASSERT_EQ(dialogs.messages.size(), 1);
  EXPECT_EQ(dialogs.messages[0].text, resString(177));
  EXPECT_EQ(graphs[1].scale(), UserScale{});  // the graphs after the failing one keep theirs
}

TEST(DriveGraph, NormalisedGraphDrawsFiveCurvesDividedByTheirLargestValue) {
  std::vector<ResultTable::Row> rows;
  for (int i = 0; i < 5; ++i) rows.push_back({i * 2.0, 1.0 * i, -2.0 * i, 3, 4, 5, 6});
  const DriveCurves curves = driveCurves(graphDocument(rows, {{"0", "0"}, {"7", "1"}}), kFrameTime);
  const Drawing graph = Normiert(curves);
  EXPECT_EQ(graph.scale(), (UserScale{0, -1.25, 8.02, 2.5}));
  const double lastNormalised[] = {-1, 1, -1, -1, -1};  // (-v / m) of the last row
  std::vector<const DrawItem*> curvesDrawn;
  for (const DrawItem& item : graph.items())
    if (item.kind == ItemKind::Curve) curvesDrawn.push_back(&item);
  ASSERT_EQ(curvesDrawn.size(), 5u);  // f''·f''' is not part of it
  for (int c = 0; c < 5; ++c) {
    EXPECT_EQ(curvesDrawn[c]->marks, CurveMarks::PointsAndLines);
    EXPECT_DOUBLE_EQ(curvesDrawn[c]->curve.point(4).y(), lastNormalised[c]) << c;
  }
  // The boundary line at z = 7 spans the whole height, drawn over the curves.
  EXPECT_EQ(graph.items().back().p1, QPointF(7, -1.25));
  EXPECT_EQ(graph.items().back().p2, QPointF(7, 1.25));
}

TEST(DriveGraph, ClickSelectsTheLastRowBeforeTheNextStepButNeverRowOne) {
  const DriveDocument doc = graphDocument(graphRows(10, 2, 4, [](double) { return 0.0; }));
  const struct {
    double x;
    int row;
  } cases[] = {{0, 2}, {9, 2}, {12, 2}, {13, 3}, {15.5, 4}, {100, 4}};
  for (const auto& c : cases) EXPECT_EQ(selectRow(doc.results, c.x, 2.0), c.row) << c.x;
  EXPECT_FALSE(selectRow(graphDocument({{0, 0, 0, 0, 0, 0, 0}}).results, 0, 2.0));
}

TEST(DriveGraph, ZoomOrdersTheCornersAndRedrawsGridAndLine) {
  const UserScale expected{10, -3, 30, 5};
  for (auto [a, b] : {std::pair{QPointF(10, -3), QPointF(40, 2)},
                      {QPointF(40, 2), {10, -3}},
                      {QPointF(10, 2), {40, -3}},
                      {QPointF(40, -3), {10, 2}}})
    EXPECT_EQ(zoomRectangle(a, b), expected);
  EXPECT_FALSE(zoomRectangle({5, 5}, {5, 5}));  // a click is no rectangle
  EXPECT_FALSE(zoomRectangle({5, 5}, {9, 5}));

  const DriveDocument doc =
      graphDocument(graphRows(0, 1, 50, [](double z) { return z; }), {{"0", "0"}});
  const DriveCurves curves = driveCurves(doc, kFrameTime);
  Drawing graph = grafik(curves)[0];
  zoomGraph(graph, 0, curves, expected);
  EXPECT_EQ(graph.scale(), expected);
  EXPECT_EQ(graph.items().back().marks, CurveMarks::Lines);
  EXPECT_EQ(linesIn(graph, kBoundaryColor).size(), 2u);
  // A row marker's radius follows the zoomed width.
  markRow(graph, 0, doc.results, 12, kRowMarkColor);
  const DrawItem& circle = graph.items().rbegin()[1];
  EXPECT_EQ(circle.kind, ItemKind::Circle);
  EXPECT_EQ(circle.pen.rgb, rgb(0, 128, 128));
  EXPECT_EQ(circle.p1, QPointF(11, -11));
  EXPECT_DOUBLE_EQ(circle.radius, 0.2);
  EXPECT_EQ(graph.items().back().kind, ItemKind::Point);
}

TEST(DriveGraph, ReadOutTextsShowTheSelectedRowAndThePointer) {
  LocaleScope texts(QLocale(QLocale::English, QLocale::UnitedStates), Language::German);
  const ResultTable results = graphDocument({{0, 1, 0, 0, 0, 0, 0},
                                             {0.1, 1, 2.5, 0, 0, 0, 0},
                                             {0.2, 1, 5, 0, 0, 0, 0},
                                             {0.3, 1, 7.5, 0, 0, 0, 0}})
                                  .results;

  const GraphReadout moved = graphReadout(results, 1, {0.123456, 3.25}, 3, 2);
  EXPECT_EQ(moved.zText, "z= 0.2");
  EXPECT_EQ(moved.valueText, "f'= 5");
  EXPECT_EQ(moved.toolTip, "z= 0.12 | f'= -3.25");
  EXPECT_EQ(selectionReadout(results, 1, 4).valueText, "f= 7.5");
  EXPECT_EQ(normalisedReadout({1.234, 0.5}).valueText, "f*(z)= -0.5");

  const struct {
    double x;
    std::optional<int> row;
  } clicks[] = {{0.14, 2}, {0.25, 3}, {0.26, 4}, {0.04, std::nullopt}, {0.9, std::nullopt}};
  for (const auto& c : clicks) EXPECT_EQ(normalisedRowAt(results, c.x), c.row) << c.x;
}

}  // namespace
