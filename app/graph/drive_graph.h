#pragma once
// What a drive window draws after a calculation: six graphs over z (picGraf(0..5): f, f',
// f'', f''', f'·f'', f''·f''') and the normalised graph (Graph) in which f … f'·f'' share
// one axis, with the segment boundaries of the input table, the read-out texts of the
// mouse, the row selection and the zoom. Pure functions over the drive's tables; the
// window puts the drawings on its canvases and the texts in its status bar.
//
// Every graph k draws z as x and the negated value -v of result column k + 1 as y, so that
// larger values are drawn higher.
//
// The drive window's use, with picGraf(k) and Graph canvases (Canvas) and its own state
// (the curves, the zoom start, the selected row, initially 2):
// - after a calculation: curves = driveCurves(document, frameTime); graphs = grafik(curves);
//   picGraf(k).setDrawing(graphs[k]); Graph.setDrawing(Normiert(curves)). The same again
//   (without driveCurves) on a re-layout; GrafClear on the canvases' drawings for "Löschen".
// - mouse moved on picGraf(k) at p: every picGraf(j).setVerticalCursor(p.x()),
//   picGraf(k).setHorizontalCursor(p.y()); graphReadout(results, k, p, selectedRow,
//   decimals) gives status panels 2 and 3 and picGraf(k)'s tool tip.
// - pressed (any button): the zoom start := p. Right or middle: selectRow(results, p.x(),
//   stepZ) → selected row; scroll and select it in the result table; selectionReadout for
//   the status; markRow(picGraf(j).editDrawing(), j, results, row, kBlack) for every j.
// - released, left: zoomRectangle(start, p) → if any, zoomGraph(picGraf(k).editDrawing(),
//   k, curves, rect). Right: the re-layout.
// - double click on a result row r: markRow(…, r, kRowMarkColor) in every graph j and the
//   cursor lines at rowPoint(results, j, r).
// - a new drive colour: curves.color = rgbFromBgr(bgr); GrafLine on every graph's drawing.
// - Graph: normalisedReadout on move; normalisedRowAt on press.

#include <QPointF>
#include <QString>

#include <array>
#include <optional>
#include <span>
#include <vector>

#include "app/editor/drive_document.h"
#include "app/graph/drawing.h"

inline constexpr int kDriveGraphCount = 6;
// Segment boundaries and the f values of the input rows.
inline constexpr quint32 kBoundaryColor = rgb(0, 255, 255);
// The marker of a double-clicked result row.
inline constexpr quint32 kRowMarkColor = rgb(0, 128, 128);
// The share of a graph's visible width that is the radius of a row marker.
inline constexpr double kRowMarkRadiusShare = 1.0 / 150.0;

// A number of a read-out: rounded to decimals places (halves to even), in general text.
QString roundedText(double value, int decimals);

// The caption of graph k's frame: "f(z) Funktion", "f'(z) 1.Ableitung", …
QString driveGraphCaption(int k);
// The read-out label of graph k: "f= ", "f'= ", "f''= ", "f'''= ", "f'x f''= ", "f''x f'''= ".
QString driveGraphLabel(int k);

// The range table: for each result column c, the lowest and highest value lo(c), hi(c) and,
// for c >= 1, the magnitude m(c) that the normalised graph divides by.
struct RangeTable {
  std::array<double, ResultTable::kColumns> lo{};
  std::array<double, ResultTable::kColumns> hi{};
  std::array<double, ResultTable::kColumns> m{};
};

// Builds the range table over every row: every range contains 0; a range of one value is
// widened by the frame time on both sides; an f range without a negative (positive) value
// reaches down to -1 (up to 1); the z range ends one frame time after the last z. A table
// without rows leaves every entry 0.
RangeTable GrafMiniMax(const ResultTable& results, double frameTime);

// The numbers the graphs are drawn from, taken from the document once per calculation and
// shared by every item that draws them.
struct DriveCurves {
  std::array<Column, ResultTable::kColumns> columns;  // z, f, f', f'', f''', f'·f'', f''·f'''
  RangeTable ranges;
  std::vector<double> boundaryZ;  // the input rows' z, where they are numbers
  std::vector<double> boundaryF;  // the input rows' f, where they are numbers
  quint32 color = kBlack;         // the drive colour, 0x00RRGGBB

  int rowCount() const { return columns[0] ? static_cast<int>(columns[0]->size()) : 0; }
  // The curve (z, -v) of result column c (1 … 6), v scaled by factor.
  Curve curve(int c, double factor = 1.0) const;
};
DriveCurves driveCurves(const DriveDocument& document, double frameTime);

using DriveGraphs = std::array<Drawing, kDriveGraphCount>;

// Graph k's user coordinates: from lo(0) to hi(0), from -1.25 · hi(k + 1) at the top to
// -1.25 · lo(k + 1) at the bottom.
UserScale graphScale(const RangeTable& ranges, int k);
// Sets every graph's user coordinates. A scale that overflows shows message 177 and keeps
// that graph's coordinates and those of the graphs after it; false then.
bool GrafScale(DriveGraphs& graphs, const RangeTable& ranges);
// Graph k's grid: a vertical boundary line at each input z across the range, in graph 0 a
// horizontal line at each input f, and the black zero axis.
void GrafGitter(Drawing& graph, int k, const DriveCurves& curves);
// Graph k's values as points, and as a line, in the drive colour.
void GrafPoint(Drawing& graph, int k, const DriveCurves& curves);
void GrafLine(Drawing& graph, int k, const DriveCurves& curves);
void GrafClear(DriveGraphs& graphs);
// The six graphs after a calculation: GrafScale, GrafGitter, GrafPoint, GrafLine (the
// range table is the one driveCurves built). A result table without rows draws nothing.
DriveGraphs grafik(const DriveCurves& curves);
// The normalised graph: f … f'·f'' divided by their magnitudes, from -1.25 to 1.25, in the
// palette colours 1 … 5, with the boundary lines on top.
Drawing Normiert(const DriveCurves& curves);

// The read-out of the mouse at user point at over graph k: status panels 2 and 3 show the
// selected row (grid numbering: data row + 1), the tool tip the point under the mouse.
struct GraphReadout {
  QString zText;      // "z= " + the row's z cell
  QString valueText;  // the graph's label + the row's cell of column k + 1
  QString toolTip;    // "z= " x " | " label (-y), rounded to decimals
};
GraphReadout graphReadout(const ResultTable& results, int k, QPointF at, int selectedRow,
                          int decimals);
// The status texts after a right or middle click selected row: "z= " and "f= " + its cells.
GraphReadout selectionReadout(const ResultTable& results, int k, int row);

// The row a right or middle click at z = x selects, in grid numbering: the last row whose
// z - x < stepZ, at least 2. Nothing when the table has fewer than two data rows.
std::optional<int> selectRow(const ResultTable& results, double x, double stepZ);
// The point (z, -v) of grid row row in graph k; nothing for a row the table does not hold.
std::optional<QPointF> rowPoint(const ResultTable& results, int k, int row);
// A circle of radius (the graph's visible width / 150) around row's point in graph k, and
// a point there, in color (black for a selection, kRowMarkColor for a double click).
void markRow(Drawing& graph, int k, const ResultTable& results, int row, quint32 color);

// The rectangle dragged from start to end with its corners ordered (left < right, top <
// bottom); nothing when it has no width or no height, so a click does not zoom.
std::optional<UserScale> zoomRectangle(QPointF start, QPointF end);
// Graph k zoomed into rect: cleared, rect as its coordinates, grid and line drawn again.
void zoomGraph(Drawing& graph, int k, const DriveCurves& curves, const UserScale& rect);

// The read-out over the normalised graph: "z= " x and "f*(z)= " (-y), rounded to 2 places.
GraphReadout normalisedReadout(QPointF at);
// The row a click at z = x on the normalised graph scrolls to: the first row (grid
// numbering, from 2) whose z equals x rounded to 1 place; nothing when none does.
std::optional<int> normalisedRowAt(const ResultTable& results, double x);
