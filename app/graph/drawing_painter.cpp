#include "app/graph/drawing_painter.h"

#include <QFont>
#include <QLineF>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPolygonF>
#include <QPrinter>
#include <QSaveFile>
#include <QSvgGenerator>

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

namespace {

constexpr double kScreenDpi = 96.0;

// User coordinates to the device coordinates of the target rectangle, every point moved to
// the pixel it falls in. Aliased drawing puts integer coordinate x into pixel x (the pixel
// right of and below the point), so no point sits on a pixel border where rounding could
// go either way, and a curve and its reduction are drawn from the same pixels.
class DeviceMap {
 public:
  DeviceMap(const UserScale& s, const QRectF& t)
      : sx_(t.width() / s.width),
        ox_(t.left() - s.left * sx_),
        sy_(t.height() / s.height),
        oy_(t.top() - s.top * sy_) {}

  QPointF operator()(QPointF p) const { return {column(p.x()), row(p.y())}; }
  double column(double x) const { return std::floor(sx_ * x + ox_); }
  double row(double y) const { return std::floor(sy_ * y + oy_); }
  // Whether columns grow with x; rows per unit of y.
  bool xGrows() const { return sx_ > 0; }
  double yPixels() const { return sy_; }
  double yOffset() const { return oy_; }
  double xPixels(double userWidth) const { return std::abs(userWidth * sx_); }

 private:
  double sx_, ox_, sy_, oy_;
};

bool isFinite(QPointF p) { return std::isfinite(p.x()) && std::isfinite(p.y()); }

// Calls visit(device point) for each point of the curve that maps to a finite point.
template <class Visit>
void forEachDevicePoint(const Curve& curve, const DeviceMap& map, Visit&& visit) {
  const std::size_t n = curve.size();
  if (n == 0) return;
  const double* xs = curve.x->data();
  const double* ys = curve.y->data();
  const double factor = curve.yFactor;
  for (std::size_t i = 0; i < n; ++i) {
    const QPointF p = map({xs[i], factor * ys[i]});
    if (isFinite(p)) visit(p);
  }
}

// The polyline through a curve's points, drawn with a one-pixel pen, reduced to the points
// that decide its pixels. The points are cut into runs: consecutive points in one pixel
// column inside box, or consecutive points beyond one edge of box (the target grown by the
// pen's reach). Inside a column every segment is vertical, so the run covers the pixels
// from its lowest to its highest point: it keeps where it enters, that lowest and highest
// point, and where it leaves. A run beyond an edge draws nothing between its points: it
// keeps its ends, which the segments to its neighbours start from. The segments between
// runs are kept as they are.
class LineReducer {
 public:
  explicit LineReducer(const QRectF& box) : box_(box) {}

  void add(QPointF p) {
    const Side s = sideOf(p);
    if (open_ && s == side_ && (s != Side::Inside || p.x() == first_.x())) {
      last_ = p;
      lowest_ = std::min(lowest_, p.y());
      highest_ = std::max(highest_, p.y());
      return;
    }
    if (open_) closeRun();
    open_ = true;
    side_ = s;
    first_ = last_ = p;
    lowest_ = highest_ = p.y();
  }

  const QPolygonF& points() {
    if (open_) closeRun();
    open_ = false;
    return out_;
  }

 private:
  enum class Side { Inside, Left, Right, Above, Below };

  Side sideOf(QPointF p) const {
    if (p.x() < box_.left()) return Side::Left;
    if (p.x() > box_.right()) return Side::Right;
    if (p.y() < box_.top()) return Side::Above;
    if (p.y() > box_.bottom()) return Side::Below;
    return Side::Inside;
  }
  void keep(QPointF p) {
    if (out_.isEmpty() || out_.back() != p) out_.append(p);
  }
  void closeRun() {
    keep(first_);
    if (side_ == Side::Inside) {
      keep({first_.x(), lowest_});
      keep({first_.x(), highest_});
    }
    keep(last_);
  }

  QRectF box_;
  QPolygonF out_;
  bool open_ = false;
  Side side_ = Side::Inside;
  QPointF first_, last_;
  double lowest_ = 0.0, highest_ = 0.0;
};

// A curve's points inside box, each pixel once.
class PointReducer {
 public:
  explicit PointReducer(const QRectF& box)
      : left_(box.left()),
        top_(box.top()),
        columns_(static_cast<int>(std::ceil(box.width())) + 1),
        rows_(static_cast<int>(std::ceil(box.height())) + 1),
        seen_(static_cast<std::size_t>(columns_) * static_cast<std::size_t>(rows_)) {}

  void add(QPointF p) {
    const double column = p.x() - left_;
    const double row = p.y() - top_;
    if (column < 0 || column >= columns_ || row < 0 || row >= rows_) return;
    const std::size_t at = static_cast<std::size_t>(row) * columns_ + static_cast<int>(column);
    if (seen_[at]) return;
    seen_[at] = true;
    out_.append(p);
  }
  // Every row from first to last (first <= last) in column.
  void addRows(double column, double first, double last) {
    first = std::max(first, top_);
    last = std::min(last, top_ + rows_ - 1);
    for (double r = first; r <= last; ++r) add({column, r});
  }
  const QPolygonF& points() const { return out_; }

 private:
  double left_, top_;
  int columns_, rows_;
  std::vector<bool> seen_;
  QPolygonF out_;
};

// Feeds an ordered curve (see Curve::ordered) to the reducers by pixel columns instead of
// point by point: its columns follow the points' order, so the points before the box and
// after it, and each column's points inside, are found by bisection. The points before
// (after) the box give only their ends to the line; each column gives the line its first
// point, its lowest and highest (from the lowest and highest y, the mapping being
// monotonic) and its last; the points take every row between those two where the curve
// moves less than half a row from point to point, else each point's own row. False when a
// point does not map to a finite one; the caller then takes the points one by one.
bool reduceOrdered(const Curve& curve, const DeviceMap& map, const QRectF& box, LineReducer* line,
                   PointReducer* marks) {
  const std::size_t n = curve.size();
  const double* xs = curve.x->data();
  const double* ys = curve.y->data();
  const double factor = curve.yFactor;
  const auto column = [&](std::size_t i) { return map.column(xs[i]); };
  const auto row = [&](std::size_t i) { return map.row(factor * ys[i]); };
  const bool grows = map.xGrows();
  const auto before = [&](double c) { return grows ? c < box.left() : c > box.right(); };
  const auto after = [&](double c) { return grows ? c > box.right() : c < box.left(); };
  // The first index in [from, to) whose column fails keep; keep holds for a leading stretch.
  const auto firstFailing = [&](std::size_t from, std::size_t to, auto keep) {
    while (from < to) {
      const std::size_t mid = from + (to - from) / 2;
      if (keep(column(mid)))
        from = mid + 1;
      else
        to = mid;
    }
    return from;
  };
  bool finite = true;
  const auto feed = [&](QPointF p) {
    finite = finite && isFinite(p);
    if (line) line->add(p);
  };
  const auto feedEnds = [&](std::size_t from, std::size_t to) {
    if (from == to) return;
    feed({column(from), row(from)});
    feed({column(to - 1), row(to - 1)});
  };

  const std::size_t start = firstFailing(0, n, before);
  const std::size_t end = firstFailing(start, n, [&](double c) { return !after(c); });
  feedEnds(0, start);
  for (std::size_t i = start; i < end && finite;) {
    const double c = column(i);
    // Gallop, then bisect, to the first index of the next column.
    std::size_t low = i, step = 1, high = i + 1;
    while (high < end && column(high) == c) {
      low = high;
      step *= 2;
      high = std::min(end, low + step);
    }
    const std::size_t next = firstFailing(low + 1, high, [c](double other) { return other == c; });
    double lowest = ys[i], highest = ys[i];
    for (std::size_t k = i + 1; k < next; ++k) {
      lowest = std::min(lowest, ys[k]);
      highest = std::max(highest, ys[k]);
    }
    const double a = map.row(factor * lowest), b = map.row(factor * highest);
    const double top = std::min(a, b), bottom = std::max(a, b);
    if (line) {
      feed({c, row(i)});
      feed({c, top});
      feed({c, bottom});
      feed({c, row(next - 1)});
    }
    if (marks) {
      double widestStep = 0.0;
      for (std::size_t k = i + 1; k < next; ++k)
        widestStep = std::max(widestStep, std::abs(ys[k] - ys[k - 1]));
      // Steps of at most half a row pass every row between the lowest and the highest point
      // (while rows and offset are far below 2^52, rounding cannot make a step a whole row).
      constexpr double kSmallRows = 0x1p40;
      if (widestStep * std::abs(map.yPixels() * factor) <= 0.5 && std::abs(top) < kSmallRows &&
          std::abs(bottom) < kSmallRows && std::abs(map.yOffset()) < kSmallRows) {
        marks->addRows(c, top, bottom);
      } else {
        for (std::size_t k = i; k < next; ++k) {
          const double r = row(k);
          if (std::isfinite(r)) marks->add({c, r});
        }
      }
    }
    i = next;
  }
  feedEnds(end, n);
  return finite;
}

// Joins consecutive points with one-pixel lines. Each segment is drawn as a line of its own,
// so its pixels depend on its two ends alone (a stroked polyline carries state from one
// segment to the next and would make them depend on every point before); a segment of no
// length draws nothing.
void drawJoined(QPainter& painter, const QPolygonF& points) {
  constexpr int kBatch = 4096;
  std::vector<QLineF> lines;
  lines.reserve(kBatch);
  for (qsizetype i = 1; i < points.size(); ++i) {
    if (points[i] == points[i - 1]) continue;
    lines.emplace_back(points[i - 1], points[i]);
    if (lines.size() == kBatch) {
      painter.drawLines(lines.data(), kBatch);
      lines.clear();
    }
  }
  painter.drawLines(lines.data(), static_cast<int>(lines.size()));
}

// A curve item in one pass over its points: reduced where the pixels allow it (lines of a
// one-pixel pen, points of any pen), else every point.
void paintCurve(QPainter& painter, const DrawItem& item, const DeviceMap& map, const QRectF& target,
                int penPixels, CurveDetail detail) {
  const bool lines = item.marks != CurveMarks::Points;
  const bool points = item.marks != CurveMarks::Lines;
  const bool thin = penPixels == 1;
  const bool reduceLine = detail == CurveDetail::Reduced && lines && thin;
  const bool reducePoints = detail == CurveDetail::Reduced && points;
  const bool needEvery = (lines && !reduceLine) || (points && !reducePoints);
  const double reach = penPixels + 1.0;
  const QRectF box = target.adjusted(-reach, -reach, reach, reach);

  std::optional<LineReducer> line;
  std::optional<PointReducer> marks;
  const auto startReducers = [&] {
    if (reduceLine) line.emplace(box);
    if (reducePoints) marks.emplace(box);
  };
  startReducers();
  const bool byColumns =
      item.curve.ordered && !needEvery &&
      reduceOrdered(item.curve, map, box, line ? &*line : nullptr, marks ? &*marks : nullptr);
  QPolygonF every;
  if (needEvery) every.reserve(static_cast<qsizetype>(item.curve.size()));
  if (!byColumns) {
    startReducers();
    forEachDevicePoint(item.curve, map, [&](QPointF p) {
      if (line) line->add(p);
      if (marks) marks->add(p);
      if (needEvery) every.append(p);
    });
  }
  if (lines) {
    const QPolygonF& joined = line ? line->points() : every;
    if (thin)
      drawJoined(painter, joined);
    else
      painter.drawPolyline(joined);
  }
  if (points) painter.drawPoints(marks ? marks->points() : every);
}

}  // namespace

void paintDrawing(QPainter& painter, const Drawing& drawing, const QRectF& target,
                  CurveDetail detail) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setClipRect(target);
  painter.fillRect(target, QColor::fromRgb(drawing.background()));
  painter.setBrush(Qt::NoBrush);
  const DeviceMap map(drawing.scale(), target);
  // Pen widths and text are given in screen pixels; a printer or a file of another
  // resolution draws them at the same size on paper.
  const double pixel = painter.device() ? painter.device()->logicalDpiX() / kScreenDpi : 1.0;
  QFont font = painter.font();
  font.setPixelSize(
      std::max(1, static_cast<int>(std::lround((Drawing::kTextLineHeight - 2) * pixel))));
  painter.setFont(font);

  for (const DrawItem& item : drawing.items()) {
    const int penPixels = std::max(1, static_cast<int>(std::lround(item.pen.width * pixel)));
    // Width 0 is Qt's one-pixel cosmetic pen.
    QPen pen(QColor::fromRgb(item.pen.rgb), penPixels == 1 ? 0 : penPixels);
    pen.setCapStyle(item.kind == ItemKind::Point || item.kind == ItemKind::Curve
                        ? (penPixels == 1 ? Qt::SquareCap : Qt::RoundCap)
                        : Qt::SquareCap);
    painter.setPen(pen);
    // An item whose position has no place on the device (a scale it overflows) is left out.
    if (item.kind != ItemKind::Curve && !(isFinite(map(item.p1)) && isFinite(map(item.p2))))
      continue;
    switch (item.kind) {
      case ItemKind::Line: painter.drawLine(map(item.p1), map(item.p2)); break;
      case ItemKind::Point: painter.drawPoint(map(item.p1)); break;
      case ItemKind::Circle: {
        const double r = map.xPixels(item.radius);
        if (std::isfinite(r)) painter.drawEllipse(map(item.p1), r, r);
        break;
      }
      case ItemKind::Text: {
        const QPointF corner = map(item.p1);
        painter.drawText(QRectF(corner, QSizeF(target.width(), target.height())),
                         Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, item.text);
        break;
      }
      case ItemKind::Curve: paintCurve(painter, item, map, target, penPixels, detail); break;
    }
  }
  painter.restore();
}

QImage renderDrawing(const Drawing& drawing, QSize size, CurveDetail detail) {
  QImage image(size.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
  QPainter painter(&image);
  paintDrawing(painter, drawing, QRectF(QPointF(0, 0), QSizeF(image.size())), detail);
  return image;
}

qint64 differingPixels(const QImage& a, const QImage& b) {
  if (a.size() != b.size())
    return std::max(qint64(a.width()) * a.height(), qint64(b.width()) * b.height());
  qint64 count = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) count += a.pixel(x, y) != b.pixel(x, y);
  return count;
}

QString imageFormatSuffix(ImageFormat format) {
  switch (format) {
    case ImageFormat::Png: return QStringLiteral("png");
    case ImageFormat::Svg: return QStringLiteral("svg");
    case ImageFormat::Pdf: return QStringLiteral("pdf");
  }
  return {};
}

bool saveDrawing(const Drawing& drawing, QSize size, ImageFormat format, const QString& path) {
  size = size.expandedTo(QSize(1, 1));
  const QRectF target(QPointF(0, 0), QSizeF(size));
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return false;
  switch (format) {
    case ImageFormat::Png:
      if (!renderDrawing(drawing, size).save(&file, "PNG")) return false;
      break;
    case ImageFormat::Svg: {
      QSvgGenerator svg;
      svg.setOutputDevice(&file);
      svg.setSize(size);
      svg.setViewBox(target);
      svg.setResolution(static_cast<int>(kScreenDpi));
      QPainter painter;
      if (!painter.begin(&svg)) return false;
      paintDrawing(painter, drawing, target);
      painter.end();
      break;
    }
    case ImageFormat::Pdf: {
      QPdfWriter pdf(&file);
      pdf.setResolution(static_cast<int>(kScreenDpi));
      pdf.setPageSize(QPageSize(QSizeF(size) * 72.0 / kScreenDpi, QPageSize::Point));
      pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
      QPainter painter;
      if (!painter.begin(&pdf)) return false;
      paintDrawing(painter, drawing, target);
      painter.end();
      break;
    }
  }
  return file.commit();
}

void printDrawing(QPrinter& printer, const Drawing& drawing) {
  QPainter painter;
  if (!painter.begin(&printer)) return;
  const QRectF page = printer.pageRect(QPrinter::DevicePixel);
  const QSize shown = drawing.viewSize().expandedTo(QSize(1, 1));
  const double height = page.width() * shown.height() / shown.width();
  paintDrawing(painter, drawing, QRectF(0, 0, page.width(), std::min(height, page.height())));
  painter.end();
}
