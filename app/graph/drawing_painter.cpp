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

  QPointF operator()(QPointF p) const {
    return {std::floor(sx_ * p.x() + ox_), std::floor(sy_ * p.y() + oy_)};
  }
  double xPixels(double userWidth) const { return std::abs(userWidth * sx_); }

 private:
  double sx_, ox_, sy_, oy_;
};

bool isFinite(QPointF p) { return std::isfinite(p.x()) && std::isfinite(p.y()); }

// Calls visit(device point) for each point of the curve that maps to a finite point.
template <class Visit>
void forEachDevicePoint(const Curve& curve, const DeviceMap& map, Visit&& visit) {
  const std::size_t n = curve.size();
  for (std::size_t i = 0; i < n; ++i) {
    const QPointF p = map(curve.point(i));
    if (isFinite(p)) visit(p);
  }
}

QPolygonF everyPoint(const Curve& curve, const DeviceMap& map) {
  QPolygonF out;
  out.reserve(static_cast<qsizetype>(curve.size()));
  forEachDevicePoint(curve, map, [&](QPointF p) { out.append(p); });
  return out;
}

// The polyline through the curve's points, drawn with a one-pixel pen, reduced to the
// points that decide its pixels. The points are cut into runs: consecutive points in one
// pixel column inside box, or consecutive points beyond one edge of box (the target grown
// by the pen's reach). Inside a column every segment is vertical, so the run covers the
// pixels from its lowest to its highest point: it keeps where it enters, that lowest and
// highest point, and where it leaves. A run beyond an edge draws nothing between its
// points: it keeps its ends, which the segments to its neighbours start from. The segments
// between runs are kept as they are.
QPolygonF reducedLine(const Curve& curve, const DeviceMap& map, const QRectF& box) {
  enum class Side { Inside, Left, Right, Above, Below };
  const auto sideOf = [&box](QPointF p) {
    if (p.x() < box.left()) return Side::Left;
    if (p.x() > box.right()) return Side::Right;
    if (p.y() < box.top()) return Side::Above;
    if (p.y() > box.bottom()) return Side::Below;
    return Side::Inside;
  };
  QPolygonF out;
  const auto keep = [&out](QPointF p) {
    if (out.isEmpty() || out.back() != p) out.append(p);
  };
  bool open = false;
  Side side = Side::Inside;
  QPointF first, last;
  double lowest = 0.0, highest = 0.0;
  const auto closeRun = [&] {
    keep(first);
    if (side == Side::Inside) {
      keep({first.x(), lowest});
      keep({first.x(), highest});
    }
    keep(last);
  };
  forEachDevicePoint(curve, map, [&](QPointF p) {
    const Side s = sideOf(p);
    if (open && s == side && (s != Side::Inside || p.x() == first.x())) {
      last = p;
      lowest = std::min(lowest, p.y());
      highest = std::max(highest, p.y());
      return;
    }
    if (open) closeRun();
    open = true;
    side = s;
    first = last = p;
    lowest = highest = p.y();
  });
  if (open) closeRun();
  return out;
}

// The curve's points inside box, each pixel once.
QPolygonF reducedPoints(const Curve& curve, const DeviceMap& map, const QRectF& box) {
  const int columns = static_cast<int>(std::ceil(box.width())) + 1;
  const int rows = static_cast<int>(std::ceil(box.height())) + 1;
  std::vector<bool> seen(static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows));
  QPolygonF out;
  forEachDevicePoint(curve, map, [&](QPointF p) {
    if (!box.contains(p)) return;
    const int column = static_cast<int>(p.x() - box.left());
    const int row = static_cast<int>(p.y() - box.top());
    if (column < 0 || column >= columns || row < 0 || row >= rows) return;
    const std::size_t at = static_cast<std::size_t>(row) * columns + column;
    if (seen[at]) return;
    seen[at] = true;
    out.append(p);
  });
  return out;
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

void paintCurve(QPainter& painter, const DrawItem& item, const DeviceMap& map, const QRectF& target,
                int penPixels, CurveDetail detail) {
  const bool reduce = detail == CurveDetail::Reduced;
  const double reach = penPixels + 1.0;
  const QRectF box = target.adjusted(-reach, -reach, reach, reach);
  if (item.marks != CurveMarks::Points) {
    if (penPixels > 1)
      painter.drawPolyline(everyPoint(item.curve, map));
    else
      drawJoined(painter, reduce ? reducedLine(item.curve, map, box) : everyPoint(item.curve, map));
  }
  if (item.marks != CurveMarks::Lines)
    painter.drawPoints(reduce ? reducedPoints(item.curve, map, box) : everyPoint(item.curve, map));
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
