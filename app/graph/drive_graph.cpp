#include "app/graph/drive_graph.h"

#include <algorithm>
#include <cmath>

#include "app/common/number_text.h"
#include "app/common/string_table.h"
#include "app/common/user_dialogs.h"

namespace {

constexpr int kOverflowMessage = 177;
constexpr int kFunctionText = 109;    // "Funktion"
constexpr int kDerivationText = 110;  // "Ableitung"
// The visible range reaches this far beyond the values.
constexpr double kMargin = 1.25;
// The magnitude of a column whose values are all 0.
constexpr double kSmallestMagnitude = 1e-5;
// The normalised graph: the range of the normalised values and the places of its read-out.
constexpr double kNormalisedEdge = 1.25;
constexpr int kNormalisedDecimals = 2;
constexpr int kNormalisedRowDecimals = 1;

// The grid row of data row i and back (row 0 of the grid is the header).
int dataRow(int gridRow) { return gridRow - 1; }
bool holdsRow(const ResultTable& results, int gridRow) {
  return gridRow >= 1 && dataRow(gridRow) < results.rowCount();
}

std::vector<double> inputNumbers(const InputTable& input, int column) {
  std::vector<double> out;
  for (int r = 1; r < input.rowCount(); ++r)
    if (std::optional<double> v = parseNumber(input.cell(r, column))) out.push_back(*v);
  return out;
}

// The vertical boundary lines at the input z values, from y top to y bottom.
void boundaryLines(Drawing& graph, const DriveCurves& curves, double top, double bottom) {
  for (double z : curves.boundaryZ) graph.line({z, top}, {z, bottom}, {kBoundaryColor});
}

}  // namespace

QString roundedText(double value, int decimals) {
  return generalText(roundHalfEven(value, decimals));
}

QString driveGraphCaption(int k) {
  const QString derivation = resString(kDerivationText);
  switch (k) {
    case 0: return QStringLiteral("f(z) ") + resString(kFunctionText);
    case 1: return QStringLiteral("f'(z) 1.") + derivation;
    case 2: return QStringLiteral("f''(z) 2.") + derivation;
    case 3: return QStringLiteral("f'''(z) 3.") + derivation;
    case 4:
      return QStringLiteral("f' x f''(z) 1.") + derivation + QStringLiteral(" x 2.") + derivation;
    case 5:
      return QStringLiteral("f'' x f'''(z) 2.") + derivation + QStringLiteral(" x 3.") + derivation;
  }
  return {};
}

QString driveGraphLabel(int k) {
  static const char* const kLabels[kDriveGraphCount] = {
      "f= ", "f'= ", "f''= ", "f'''= ", "f'x f''= ", "f''x f'''= "};
  return k >= 0 && k < kDriveGraphCount ? QString::fromLatin1(kLabels[k]) : QString();
}

RangeTable GrafMiniMax(const ResultTable& results, double frameTime) {
  RangeTable t;
  if (results.isEmpty()) return t;
  for (int r = 0; r < results.rowCount(); ++r) {
    for (int c = 0; c < ResultTable::kColumns; ++c) {
      const double v = results.value(r, c);
      t.lo[c] = std::min(t.lo[c], v);
      t.hi[c] = std::max(t.hi[c], v);
    }
  }
  for (int c = 0; c < ResultTable::kColumns; ++c) {
    if (t.lo[c] == t.hi[c]) {
      t.lo[c] -= frameTime;
      t.hi[c] += frameTime;
    }
  }
  for (int c = 1; c < ResultTable::kColumns; ++c) {
    if (t.lo[c] == 0.0) t.lo[c] = -1.0;
    if (t.hi[c] == 0.0) t.hi[c] = 1.0;
    t.m[c] = std::max(std::abs(t.lo[c]), std::abs(t.hi[c]));
    if (t.m[c] == 0.0) t.m[c] = kSmallestMagnitude;
  }
  t.hi[0] += frameTime;
  return t;
}

Curve DriveCurves::curve(int c, double factor) const { return {columns[0], columns[c], -factor}; }

DriveCurves driveCurves(const DriveDocument& document, double frameTime) {
  DriveCurves curves;
  const ResultTable& results = document.results;
  std::array<std::shared_ptr<std::vector<double>>, ResultTable::kColumns> columns;
  for (auto& column : columns) column = std::make_shared<std::vector<double>>(results.rowCount());
  for (int r = 0; r < results.rowCount(); ++r)
    for (int c = 0; c < ResultTable::kColumns; ++c) (*columns[c])[r] = results.value(r, c);
  std::copy(columns.begin(), columns.end(), curves.columns.begin());
  curves.ranges = GrafMiniMax(results, frameTime);
  curves.boundaryZ = inputNumbers(document.input, InputTable::kZ);
  curves.boundaryF = inputNumbers(document.input, InputTable::kF);
  curves.color = rgbFromBgr(document.colorBgr);
  return curves;
}

UserScale graphScale(const RangeTable& ranges, int k) {
  const double top = -kMargin * ranges.hi[k + 1];
  const double bottom = -kMargin * ranges.lo[k + 1];
  return {ranges.lo[0], top, ranges.hi[0] - ranges.lo[0], bottom - top};
}

bool GrafScale(DriveGraphs& graphs, const RangeTable& ranges) {
  for (int k = 0; k < kDriveGraphCount; ++k) {
    if (!graphs[k].setScale(graphScale(ranges, k))) {
      showMessage(resString(kOverflowMessage), QString::fromLatin1(kProductName));
      return false;
    }
  }
  return true;
}

void GrafGitter(Drawing& graph, int k, const DriveCurves& curves) {
  const RangeTable& t = curves.ranges;
  boundaryLines(graph, curves, -t.hi[k + 1], -t.lo[k + 1]);
  if (k == 0)
    for (double f : curves.boundaryF) graph.line({t.lo[0], -f}, {t.hi[0], -f}, {kBoundaryColor});
  graph.line({t.lo[0], 0.0}, {t.hi[0], 0.0}, {kBlack});
}

void GrafPoint(Drawing& graph, int k, const DriveCurves& curves) {
  graph.curve(curves.curve(k + 1), CurveMarks::Points, {curves.color});
}

void GrafLine(Drawing& graph, int k, const DriveCurves& curves) {
  graph.curve(curves.curve(k + 1), CurveMarks::Lines, {curves.color});
}

void GrafClear(DriveGraphs& graphs) {
  for (Drawing& graph : graphs) graph.clear();
}

DriveGraphs grafik(const DriveCurves& curves) {
  DriveGraphs graphs;
  if (curves.rowCount() == 0) return graphs;
  // A scale that overflows has been reported; the drawing goes on as far as it can.
  GrafScale(graphs, curves.ranges);
  for (int k = 0; k < kDriveGraphCount; ++k) GrafGitter(graphs[k], k, curves);
  for (int k = 0; k < kDriveGraphCount; ++k) GrafPoint(graphs[k], k, curves);
  for (int k = 0; k < kDriveGraphCount; ++k) GrafLine(graphs[k], k, curves);
  return graphs;
}

Drawing Normiert(const DriveCurves& curves) {
  Drawing graph;
  if (curves.rowCount() == 0) return graph;
  const RangeTable& t = curves.ranges;
  graph.setScale({t.lo[0], -kNormalisedEdge, t.hi[0] - t.lo[0], 2 * kNormalisedEdge});
  graph.line({t.lo[0], 0.0}, {graph.scale().right(), 0.0}, {kBlack});
  for (int c = 1; c <= 5; ++c)
    graph.curve(curves.curve(c, 1.0 / t.m[c]), CurveMarks::PointsAndLines, {qbColor(c)});
  boundaryLines(graph, curves, -kNormalisedEdge, kNormalisedEdge);
  return graph;
}

GraphReadout graphReadout(const ResultTable& results, int k, QPointF at, int selectedRow,
                          int decimals) {
  const QString label = driveGraphLabel(k);
  const bool held = holdsRow(results, selectedRow);
  const auto cell = [&](int column) {
    return held ? results.text(dataRow(selectedRow), column) : QString();
  };
  return {QStringLiteral("z= ") + cell(0), label + cell(k + 1),
          QStringLiteral("z= ") + roundedText(at.x(), decimals) + QStringLiteral(" | ") + label +
              roundedText(-at.y(), decimals)};
}

GraphReadout selectionReadout(const ResultTable& results, int k, int row) {
  if (!holdsRow(results, row)) return {QStringLiteral("z= "), QStringLiteral("f= "), {}};
  return {QStringLiteral("z= ") + results.text(dataRow(row), 0),
          QStringLiteral("f= ") + results.text(dataRow(row), k + 1),
          {}};
}

std::optional<int> selectRow(const ResultTable& results, double x, double stepZ) {
  constexpr int kFirstSelectable = 2;
  if (!holdsRow(results, kFirstSelectable)) return std::nullopt;
  for (int i = results.rowCount() - 1; i >= 0; --i) {
    if (results.value(i, 0) - x < stepZ) return std::max(kFirstSelectable, i + 1);
  }
  return kFirstSelectable;
}

std::optional<QPointF> rowPoint(const ResultTable& results, int k, int row) {
  if (!holdsRow(results, row) || k < 0 || k >= kDriveGraphCount) return std::nullopt;
  return QPointF(results.value(dataRow(row), 0), -results.value(dataRow(row), k + 1));
}

void markRow(Drawing& graph, int k, const ResultTable& results, int row, quint32 color) {
  const std::optional<QPointF> at = rowPoint(results, k, row);
  if (!at) return;
  graph.circle(*at, std::abs(graph.scale().width) * kRowMarkRadiusShare, {color});
  graph.point(*at, {color});
}

std::optional<UserScale> zoomRectangle(QPointF start, QPointF end) {
  const double left = std::min(start.x(), end.x());
  const double top = std::min(start.y(), end.y());
  const UserScale rect{left, top, std::max(start.x(), end.x()) - left,
                       std::max(start.y(), end.y()) - top};
  if (!rect.isValid()) return std::nullopt;
  return rect;
}

void zoomGraph(Drawing& graph, int k, const DriveCurves& curves, const UserScale& rect) {
  graph.clear();
  graph.setScale(rect);
  GrafGitter(graph, k, curves);
  GrafLine(graph, k, curves);
}

GraphReadout normalisedReadout(QPointF at) {
  return {QStringLiteral("z= ") + roundedText(at.x(), kNormalisedDecimals),
          QStringLiteral("f*(z)= ") + roundedText(-at.y(), kNormalisedDecimals),
          {}};
}

std::optional<int> normalisedRowAt(const ResultTable& results, double x) {
  const double z = roundHalfEven(x, kNormalisedRowDecimals);
  for (int i = dataRow(2); i < results.rowCount(); ++i)
    if (results.value(i, 0) == z) return i + 1;
  return std::nullopt;
}
