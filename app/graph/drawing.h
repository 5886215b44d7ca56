#pragma once
// A drawing as a list of items in a user coordinate system, the way every graph of the
// program draws: set the scale (left, top, width, height; y grows downwards unless the
// height is negative), then lines, points, circles, text and whole curves, each with its
// own colour and pen width. The list is what the canvas keeps and repaints after an expose
// or a resize, and what an image, a PDF or SVG file and a printer are painted from; tests
// inspect it directly. Qt Core only: painting lives with the canvas.
//
// The current position works as in a picture box: a line leaves it at its end, a point or a
// circle at its centre, a curve at its last point; text is printed with its top-left corner
// at the current position and moves it to the start of the line below.

#include <QPointF>
#include <QSize>
#include <QString>

#include <memory>
#include <vector>

// Colours are 0x00RRGGBB.
constexpr quint32 rgb(int r, int g, int b) {
  return (static_cast<quint32>(r & 0xFF) << 16) | (static_cast<quint32>(g & 0xFF) << 8) |
         static_cast<quint32>(b & 0xFF);
}
// The files and the colour dialog hold colours as 0x00BBGGRR.
constexpr quint32 rgbFromBgr(quint32 bgr) {
  return rgb(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
             static_cast<int>((bgr >> 16) & 0xFF));
}
// The classic 16-colour palette (QBColor numbering): 0 black, 1 blue, 2 green, 3 cyan, 4 red,
// 5 magenta, 6 brown, 7 light grey, 8 dark grey, 9 … 15 their bright forms, 15 white. Index
// taken modulo 16.
quint32 qbColor(int index);

inline constexpr quint32 kBlack = rgb(0, 0, 0);
inline constexpr quint32 kWhite = rgb(255, 255, 255);

// The user coordinate system: user point (x, y) lands at the fraction (x - left) / width of
// the target's width and (y - top) / height of its height.
struct UserScale {
  double left = 0.0;
  double top = 0.0;
  double width = 1.0;
  double height = 1.0;

  double right() const { return left + width; }
  double bottom() const { return top + height; }
  // Finite edges and a non-zero, finite width and height.
  bool isValid() const;
  bool operator==(const UserScale&) const = default;
};

// The numbers of a curve, shared between the items that draw them (a drive's z column is
// the x of all its graphs): point i is (x[i], yFactor · y[i]).
using Column = std::shared_ptr<const std::vector<double>>;
struct Curve {
  Column x;
  Column y;
  double yFactor = 1.0;
  // Every x and y is finite and x never decreases (as z in a result table), so painting can
  // find a pixel column's points by bisection. Set by Drawing::curve.
  bool ordered = false;

  std::size_t size() const;
  QPointF point(std::size_t i) const { return {(*x)[i], yFactor * (*y)[i]}; }
};
Curve curveFromPoints(const std::vector<QPointF>& points);

enum class ItemKind { Line, Point, Circle, Text, Curve };
// How a curve item is drawn: its points joined by lines, the points alone, or both.
enum class CurveMarks { Lines, Points, PointsAndLines };

struct Pen {
  quint32 rgb = kBlack;
  int width = 1;  // device pixels
};

struct DrawItem {
  ItemKind kind = ItemKind::Line;
  Pen pen;
  QPointF p1{};         // Line: start; Point, Circle: centre; Text: top-left corner
  QPointF p2{};         // Line: end
  double radius = 0.0;  // Circle: in x units, drawn round on the device
  QString text{};       // Text
  Curve curve{};        // Curve
  CurveMarks marks = CurveMarks::Lines;
};

class Drawing {
 public:
  // Pixel height of one printed text line; the painter's font fits it.
  static constexpr int kTextLineHeight = 13;

  // Sets the user coordinate system; a scale that is not valid (see UserScale) is refused,
  // keeping the one before, and false returned.
  bool setScale(const UserScale& scale);
  const UserScale& scale() const { return scale_; }
  // The size in pixels the drawing is shown at; only a text's advance to the next line
  // depends on it. The canvas keeps it at its own size.
  void setViewSize(QSize pixels) { viewSize_ = pixels; }
  QSize viewSize() const { return viewSize_; }
  void setBackground(quint32 color) { background_ = color; }
  quint32 background() const { return background_; }

  // Removes every item and puts the current position at (0, 0); the scale stays.
  void clear();
  QPointF currentPosition() const { return position_; }
  void moveTo(QPointF position) { position_ = position; }

  void line(QPointF from, QPointF to, Pen pen = {});
  void lineTo(QPointF to, Pen pen = {}) { line(position_, to, pen); }
  void point(QPointF at, Pen pen = {});
  void circle(QPointF centre, double radius, Pen pen = {});
  void text(const QString& text, Pen pen = {});
  // A curve of any length as one item; an empty curve adds nothing.
  void curve(Curve curve, CurveMarks marks, Pen pen = {});

  const std::vector<DrawItem>& items() const { return items_; }

 private:
  UserScale scale_;
  QSize viewSize_{300, 150};
  quint32 background_ = kWhite;
  QPointF position_;
  std::vector<DrawItem> items_;
};
