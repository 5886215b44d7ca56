#include "app/cam/cam_geometry.h"

#include <cmath>

#include "app/common/number_text.h"

namespace {

constexpr double kMillimetresPerMetre = 1000.0;
// The views show 1.25 times the extent; the labels of the negative ends sit at 1.125 times
// it (1.25 / 2 + 0.5) so their text, which grows right and down, stays clear of the axes.
constexpr double kViewFactor = 1.25;
constexpr double kNegativeLabelFactor = 1.125;
constexpr double kMarkerFraction = 1.0 / 80.0;

// The names of a view's horizontal and vertical axis, and its four labels in the order
// (M, 0), (-1.125·M, 0), (0, M), (0, -1.125·M).
struct ViewAxes {
  const char* horizontal;
  const char* vertical;
  const char* labels[4];
};
constexpr ViewAxes kAxes[kCamViews] = {
    {"X= ", "Y= ", {"+X", "-X", "-Y", "+Y"}},
    {"Z= ", "Y= ", {"+Z", "-Z", "-Y", "+Y"}},
    {"X= ", "Z= ", {"+X", "-X", "+Z", "-Z"}},
};

QPointF rowPoint(int view, const CamTable& table, int row) {
  return viewPoint(view, table.value(row, CamTable::kX), table.value(row, CamTable::kY),
                   table.value(row, CamTable::kZ));
}

}  // namespace

CamPoint relativePoint(const CamPoint& a, const CamPoint& b, const CamPoint& plateAngles) {
  const double ca = std::cos(plateAngles.x), sa = std::sin(plateAngles.x);
  const double cb = std::cos(plateAngles.y), sb = std::sin(plateAngles.y);
  const double cg = std::cos(plateAngles.z), sg = std::sin(plateAngles.z);
  // R = Rx(α)·Ry(β)·Rz(γ), row by row.
  const double r[3][3] = {
      {cb * cg, -cb * sg, sb},
      {ca * sg + sa * sb * cg, ca * cg - sa * sb * sg, -sa * cb},
      {sa * sg - ca * sb * cg, sa * cg + ca * sb * sg, ca * cb},
  };
  const double d[3] = {a.x - b.x, a.y - b.y, a.z - b.z};
  // p = Rᵀ·d·1000: p_j = Σ_i R_ij·d_i
  double p[3];
  for (int j = 0; j < 3; ++j) {
    p[j] = kMillimetresPerMetre * (r[0][j] * d[0] + r[1][j] * d[1] + r[2][j] * d[2]);
  }
  return {p[0], p[1], p[2]};
}

QPointF viewPoint(int view, double x, double y, double z) {
  switch (view) {
    case 0: return {x, -y};
    case 1: return {z, -y};
    default: return {x, z};
  }
}

ViewRect scaledView(double extent) {
  const double e = kViewFactor * extent;
  return {-e, -e, 2.0 * e, 2.0 * e};
}

std::optional<ViewRect> zoomedView(const ViewRect& view, Qt::MouseButton button, QPointF at) {
  double w = 0.0;
  if (button == Qt::LeftButton) {
    w = view.width / 2.0;
  } else if (button == Qt::RightButton) {
    w = view.width * 2.0;
  } else {
    return std::nullopt;
  }
  return ViewRect{at.x() - w / 2.0, at.y() - w / 2.0, w, w};
}

ReadOut readOut(int view, QPointF at) {
  const ViewAxes& axes = kAxes[view];
  const double h = at.x();
  const double v = view == 2 ? at.y() : -at.y();
  const double r = std::hypot(at.x(), at.y());
  ReadOut out;
  out.horizontal = QString::fromLatin1(axes.horizontal) + generalText(roundHalfEven(h, 2));
  out.vertical = QString::fromLatin1(axes.vertical) + generalText(roundHalfEven(v, 2));
  out.radius = QStringLiteral("R= ") + generalText(roundHalfEven(r, 3));
  out.toolTip =
      out.horizontal + QStringLiteral(" | ") + out.vertical + QStringLiteral(" | ") + out.radius;
  return out;
}

CamDrawing drawCamView(int view, const ViewRect& rect, double extent, const CamTable& table,
                       std::optional<int> markerRow) {
  CamDrawing drawing;
  drawing.view = rect;
  const double m = extent;
  const double far = -kNegativeLabelFactor * m;
  drawing.axes = {{{-m, 0.0}, {m, 0.0}, CamDrawing::kBlack},
                  {{0.0, m}, {0.0, -m}, CamDrawing::kBlack}};
  const QPointF labelAt[4] = {{m, 0.0}, {far, 0.0}, {0.0, m}, {0.0, far}};
  for (int i = 0; i < 4; ++i) {
    drawing.labels.push_back({labelAt[i], QString::fromLatin1(kAxes[view].labels[i])});
  }
  drawing.curve.reserve(static_cast<std::size_t>(table.rowCount()));
  for (int row = 0; row < table.rowCount(); ++row)
    drawing.curve.push_back(rowPoint(view, table, row));
  if (!drawing.curve.empty()) {
    drawing.closingLine = CamDrawing::Line{drawing.curve.back(), {0.0, 0.0}, CamDrawing::kBlue};
  }
  if (markerRow && *markerRow >= 0 && *markerRow < table.rowCount()) {
    drawing.marker =
        CamDrawing::Circle{rowPoint(view, table, *markerRow), rect.width * kMarkerFraction};
  }
  return drawing;
}
