#include "app/graph/project_graph.h"

#include <gtest/gtest.h>

#include "tests/app/graph/graph_test_support.h"

namespace {

// A drive graph's coordinates as the drive window draws values: top at the negated largest
// value, height the value range.
UserScale valueScale(double z0, double z1, double lo, double hi) {
  return {z0, -hi, z1 - z0, hi - lo};
}

TEST(ProjectGraph, PanelsSpanTheUnionOfTheDrivesGraphs) {
  const struct {
    const char* name;
    std::vector<UserScale> drives;
    UserScale panel;
  } cases[] = {
      {"z 0-360 and 0-180",
       {valueScale(0, 360, -1, 1), valueScale(0, 180, -1, 1)},
       {0, -1, 360, 2}},
      {"f -2..5 and -1..8", {valueScale(0, 10, -2, 5), valueScale(0, 10, -1, 8)}, {0, -8, 10, 10}},
      {"values away from 0 still reach it", {valueScale(0, 10, 2, 5)}, {0, -5, 10, 5}},
      // A drive starting left of 0 must not cut off one that ends further right.
      {"z -180-180 and 0-360",
       {valueScale(-180, 180, -1, 1), valueScale(0, 360, -1, 1)},
       {-180, -1, 540, 2}},
  };
  for (const auto& c : cases) EXPECT_EQ(skalieren(c.drives), c.panel) << c.name;
}

TEST(ProjectGraph, DrawsEveryComputedDriveWithItsBoundariesAcrossThePanel) {
  DriveDocument a = graphDocument(graphRows(0, 1, 361, [](double z) { return z / 100; }),
                                  {{"0", "0"}, {"120", "1"}});
  a.colorBgr = 0x000000FF;
  DriveDocument b = graphDocument(graphRows(0, 1, 181, [](double) { return -2.0; }), {{"90", "0"}});
  b.colorBgr = 0x00FF0000;
  const DriveDocument uncalculated = graphDocument({}, {{"500", "0"}});
  const std::vector<DriveCurves> drives = {driveCurves(a, 0.02), driveCurves(uncalculated, 0.02),
                                           driveCurves(b, 0.02)};
  const ProjectPanels panels = projectGraph(drives);
  const Drawing& f = panels[0];
  EXPECT_DOUBLE_EQ(f.scale().left, 0);
  EXPECT_DOUBLE_EQ(f.scale().width, 360.02);
  EXPECT_DOUBLE_EQ(f.scale().top, -1.25 * 3.6);
  EXPECT_DOUBLE_EQ(f.scale().bottom(), 1.25 * 2);

  std::vector<quint32> curveColors;
  std::vector<double> boundaries;
  for (const DrawItem& item : f.items()) {
    if (item.kind == ItemKind::Curve) curveColors.push_back(item.pen.rgb);
    if (item.kind == ItemKind::Line && item.pen.rgb == kBoundaryColor) {
      boundaries.push_back(item.p1.x());
      EXPECT_EQ(item.p1.y(), f.scale().top);
      EXPECT_EQ(item.p2.y(), f.scale().bottom());
    }
  }
  EXPECT_EQ(curveColors, (std::vector<quint32>{rgb(255, 0, 0), rgb(0, 0, 255)}));
  EXPECT_EQ(boundaries, (std::vector<double>{0, 120, 90}));
  EXPECT_EQ(f.items().front().p2, QPointF(360.02, 0));  // the z axis along the panel

  Drawing zoomed = panels[0];
  zoomPanel(zoomed, 0, drives, {50, -2, 100, 3});
  EXPECT_EQ(zoomed.items().back().p1, QPointF(50, 0));
  EXPECT_EQ(zoomed.items().back().p2, QPointF(150, 0));
}

TEST(ProjectGraph, ReadOutRoundsToThreePlaces) {
  LocaleScope texts(QLocale::c(), Language::German);
  const PanelReadout r = panelReadout(2, {12.34567, 0.00162});
  EXPECT_EQ(r.zText, "z= 12.346");
  EXPECT_EQ(r.valueText, "f''= -0.002");
}

}  // namespace
