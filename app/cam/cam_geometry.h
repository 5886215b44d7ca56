#pragma once
// The geometry of the cam window: the cam point of the roller in the plate's frame, the
// three plane views of the cam table (their coordinate systems, axes, labels, curve and the
// row marker), zoom and the read-out under the mouse. Plain numbers; the views draw them.
//
// View 0 is the X-Y plane, view 1 Z-Y, view 2 X-Z. A table row (X, Y, Z) is drawn at
// (X, -Y), (Z, -Y) and (X, Z): the vertical coordinate of a view grows downwards.

#include <QPointF>
#include <QString>
#include <Qt>

#include <optional>
#include <vector>

#include "app/cam/cam_table.h"

struct CamPoint {
  double x = 0.0;
  double y = 0.0;
  double z = 0.0;
};

// The roller's position a relative to the plate's position b, in the plate's frame and in
// millimetres: p = Rᵀ·(a - b)·1000 with R = Rx(α)·Ry(β)·Rz(γ) of the plate's angles (radians).
// Positions are in metres.
CamPoint relativePoint(const CamPoint& a, const CamPoint& b, const CamPoint& plateAngles);

inline constexpr int kCamViews = 3;

// A view's user coordinate system: left, top, width and height.
struct ViewRect {
  double left = 0.0;
  double top = 0.0;
  double width = 0.0;
  double height = 0.0;
  bool operator==(const ViewRect&) const = default;
};

// Where view (0, 1, 2) draws the point (x, y, z).
QPointF viewPoint(int view, double x, double y, double z);

// KurveScale: E = 1.25·extent; every view shows -E .. E both ways.
ViewRect scaledView(double extent);

// Zoom after a mouse button went down at `at` (user coordinates): the left button halves
// the width, the right one doubles it, and the view becomes the square of that width
// centred on the point. Other buttons do not zoom.
std::optional<ViewRect> zoomedView(const ViewRect& view, Qt::MouseButton button, QPointF at);

// The read-out of the mouse at `at` over a view: horizontal and vertical value (2 decimals,
// halves to even), the radius √(x² + y²) (3 decimals), for the status panels 3, 4, 5, and
// the three in one line for the view's tool tip.
struct ReadOut {
  QString horizontal;  // "X= 12.5" (views 0, 2) or "Z= …" (view 1)
  QString vertical;    // "Y= …" (views 0, 1; the view's y negated) or "Z= …" (view 2)
  QString radius;      // "R= …"
  QString toolTip;     // "X= 12.5 | Y= -3 | R= 12.854"
};
ReadOut readOut(int view, QPointF at);

// What one view draws, in its user coordinates.
struct CamDrawing {
  static constexpr quint32 kBlack = 0x000000;  // RGB
  static constexpr quint32 kRed = 0xFF0000;
  static constexpr quint32 kBlue = 0x0000FF;

  struct Line {
    QPointF from;
    QPointF to;
    quint32 rgb;
  };
  struct Label {
    QPointF at;  // the text's top-left corner
    QString text;
  };
  struct Circle {
    QPointF centre;
    double radius;
  };

  ViewRect view;
  std::vector<Line> axes;           // two black lines through the origin, from -M to M
  std::vector<Label> labels;        // "+X" at (M, 0), "-X" at (-1.125·M, 0), … (KurveAchsen)
  std::vector<QPointF> curve;       // red, through every row's point in order (KurveDraw)
  std::optional<Line> closingLine;  // blue, from the last row's point to the origin
  std::optional<Circle> marker;     // around the selected row's point, radius width / 80
};

// The drawing of one view: axes and labels of extent M, the table's curve and the marker
// of markerRow (a data row) when given.
CamDrawing drawCamView(int view, const ViewRect& rect, double extent, const CamTable& table,
                       std::optional<int> markerRow);
