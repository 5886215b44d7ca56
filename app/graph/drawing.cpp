#include "app/graph/drawing.h"

#include <algorithm>
#include <cmath>
#include <limits>

quint32 qbColor(int index) {
  static constexpr quint32 kPalette[16] = {
      rgb(0, 0, 0),       rgb(0, 0, 128),   rgb(0, 128, 0),   rgb(0, 128, 128),
      rgb(128, 0, 0),     rgb(128, 0, 128), rgb(128, 128, 0), rgb(192, 192, 192),
      rgb(128, 128, 128), rgb(0, 0, 255),   rgb(0, 255, 0),   rgb(0, 255, 255),
      rgb(255, 0, 0),     rgb(255, 0, 255), rgb(255, 255, 0), rgb(255, 255, 255)};
  return kPalette[index & 15];
}

bool UserScale::isValid() const {
  const double values[] = {left, top, width, height, right(), bottom()};
  return std::all_of(std::begin(values), std::end(values),
                     [](double v) { return std::isfinite(v); }) &&
         width != 0.0 && height != 0.0;
}

std::size_t Curve::size() const {
  if (!x || !y) return 0;
  return std::min(x->size(), y->size());
}

Curve curveFromPoints(const std::vector<QPointF>& points) {
  auto xs = std::make_shared<std::vector<double>>();
  auto ys = std::make_shared<std::vector<double>>();
  xs->reserve(points.size());
  ys->reserve(points.size());
  for (const QPointF& p : points) {
    xs->push_back(p.x());
    ys->push_back(p.y());
  }
  return {std::move(xs), std::move(ys), 1.0};
}

bool Drawing::setScale(const UserScale& scale) {
  if (!scale.isValid()) return false;
  scale_ = scale;
  return true;
}

void Drawing::clear() {
  items_.clear();
  position_ = {};
}

void Drawing::line(QPointF from, QPointF to, Pen pen) {
  items_.push_back({.kind = ItemKind::Line, .pen = pen, .p1 = from, .p2 = to});
  position_ = to;
}

void Drawing::point(QPointF at, Pen pen) {
  items_.push_back({.kind = ItemKind::Point, .pen = pen, .p1 = at});
  position_ = at;
}

void Drawing::circle(QPointF centre, double radius, Pen pen) {
  items_.push_back({.kind = ItemKind::Circle, .pen = pen, .p1 = centre, .radius = radius});
  position_ = centre;
}

void Drawing::text(const QString& text, Pen pen) {
  items_.push_back({.kind = ItemKind::Text, .pen = pen, .p1 = position_, .text = text});
  // The next line starts below the text, at the same left edge; a line's height in user
  // units follows from the pixel size the drawing is shown at.
  const int lines = static_cast<int>(text.count(QLatin1Char('\n'))) + 1;
  const double pixels = std::max(1, viewSize_.height());
  position_.ry() += lines * kTextLineHeight * scale_.height / pixels;
}

void Drawing::curve(Curve curve, CurveMarks marks, Pen pen) {
  const std::size_t n = curve.size();
  if (n == 0) return;
  const double* x = curve.x->data();
  const double* y = curve.y->data();
  constexpr double kLargest = std::numeric_limits<double>::max();
  std::size_t disorder = !(std::abs(x[0]) <= kLargest) + !(std::abs(y[0]) <= kLargest);
  for (std::size_t i = 1; i < n; ++i)
    disorder += !(x[i] >= x[i - 1]) + !(std::abs(x[i]) <= kLargest) + !(std::abs(y[i]) <= kLargest);
  curve.ordered = disorder == 0;
  position_ = curve.point(n - 1);
  items_.push_back(
      {.kind = ItemKind::Curve, .pen = pen, .curve = std::move(curve), .marks = marks});
}
