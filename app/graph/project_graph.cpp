#include "app/graph/project_graph.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "app/common/string_table.h"

namespace {

constexpr int kGraphText = 120;    // "Grafik"
constexpr int kProjectText = 102;  // "Projekt"
constexpr int kReadoutDecimals = 3;

void zAxis(Drawing& panel, double from, double to) { panel.line({from, 0.0}, {to, 0.0}, {kBlack}); }

}  // namespace

QString projectGraphCaption() {
  return resString(kGraphText) + QStringLiteral("  ") + resString(kProjectText) + QLatin1Char(' ') +
         QString::fromLatin1(kProductName);
}

QString projectPanelCaption(int k) {
  return k >= 0 && k < kProjectPanelCount ? driveGraphCaption(k) : QString();
}

UserScale skalieren(std::span<const UserScale> driveScales) {
  // L smallest left, R largest right edge, T smallest top, A largest |top|, B largest
  // height - |top|; all start at 0. The width is taken from the right edges rather than
  // the largest width, so a drive that starts left of 0 does not cut off one that ends
  // further right.
  double left = 0.0, right = 0.0, top = 0.0, above = 0.0, below = 0.0;
  for (const UserScale& s : driveScales) {
    left = std::min(left, s.left);
    right = std::max(right, s.right());
    top = std::min(top, s.top);
    above = std::max(above, std::abs(s.top));
    below = std::max(below, s.height - std::abs(s.top));
  }
  return {left, top, right - left, std::abs(below) + std::abs(above)};
}

void PunktGrafik(Drawing& panel, int k, std::span<const DriveCurves> drives) {
  for (const DriveCurves& d : drives) panel.curve(d.curve(k + 1), CurveMarks::Lines, {d.color});
}

void Gitter(Drawing& panel, std::span<const DriveCurves> drives) {
  const UserScale& s = panel.scale();
  for (const DriveCurves& d : drives)
    for (double z : d.boundaryZ) panel.line({z, s.top}, {z, s.bottom()}, {kBoundaryColor});
}

ProjectPanels projectGraph(std::span<const DriveCurves> all) {
  std::vector<DriveCurves> drives;
  std::copy_if(all.begin(), all.end(), std::back_inserter(drives),
               [](const DriveCurves& d) { return d.rowCount() > 0; });
  ProjectPanels panels;
  for (int k = 0; k < kProjectPanelCount; ++k) {
    std::vector<UserScale> scales;
    for (const DriveCurves& d : drives) scales.push_back(graphScale(d.ranges, k));
    Drawing& panel = panels[k];
    if (!panel.setScale(skalieren(scales))) continue;
    zAxis(panel, panel.scale().left, panel.scale().right());
    PunktGrafik(panel, k, drives);
    Gitter(panel, drives);
  }
  return panels;
}

void zoomPanel(Drawing& panel, int k, std::span<const DriveCurves> drives, const UserScale& rect) {
  panel.clear();
  panel.setScale(rect);
  PunktGrafik(panel, k, drives);
  Gitter(panel, drives);
  zAxis(panel, rect.left, rect.right());
}

PanelReadout panelReadout(int k, QPointF at) {
  return {projectPanelCaption(k), QStringLiteral("z= ") + roundedText(at.x(), kReadoutDecimals),
          driveGraphLabel(k) + roundedText(-at.y(), kReadoutDecimals)};
}
