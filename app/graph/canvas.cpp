#include "app/graph/canvas.h"

#include <QContextMenuEvent>
#include <QFileInfo>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include "app/common/string_table.h"
#include "app/common/user_dialogs.h"

Canvas::Canvas(QWidget* parent) : QWidget(parent) {
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
  drawing_.setViewSize(size());
}

Drawing& Canvas::editDrawing() {
  cache_ = QImage();
  update();
  return drawing_;
}

void Canvas::setDrawing(Drawing drawing) {
  editDrawing() = std::move(drawing);
  drawing_.setViewSize(size());
}

QPointF Canvas::toUser(QPointF p) const {
  const UserScale& s = drawing_.scale();
  const double w = std::max(1, width());
  const double h = std::max(1, height());
  return {s.left + p.x() / w * s.width, s.top + p.y() / h * s.height};
}

QPointF Canvas::toWidget(QPointF user) const {
  const UserScale& s = drawing_.scale();
  return {(user.x() - s.left) / s.width * width(), (user.y() - s.top) / s.height * height()};
}

void Canvas::setVerticalCursor(std::optional<double> x) {
  cursorX_ = x;
  update();
}

void Canvas::setHorizontalCursor(std::optional<double> y) {
  cursorY_ = y;
  update();
}

void Canvas::hideCursorLines() {
  setVerticalCursor(std::nullopt);
  setHorizontalCursor(std::nullopt);
}

void Canvas::setCrossCursor(bool cross) {
  if (cross)
    setCursor(Qt::CrossCursor);
  else
    unsetCursor();
}

void Canvas::showToolTip(const QString& text) {
  setToolTip(text);
  if (QToolTip::isVisible() && underMouse()) QToolTip::showText(QCursor::pos(), text, this);
}

QImage Canvas::image() const {
  const qreal ratio = devicePixelRatioF();
  const QSize pixels = (QSizeF(size().expandedTo(QSize(1, 1))) * ratio).toSize();
  if (cache_.isNull() || cache_.size() != pixels) {
    // Painted at the screen's resolution, in the canvas's own (logical) coordinates.
    cache_ = QImage(pixels, QImage::Format_RGB32);
    cache_.setDevicePixelRatio(ratio);
    QPainter painter(&cache_);
    paintDrawing(painter, drawing_, QRectF(QPointF(0, 0), QSizeF(size())));
  }
  return cache_;
}

bool Canvas::saveAs(ImageFormat format) {
  const QString suffix = imageFormatSuffix(format);
  FileRequest request;
  request.filter = QStringLiteral("%1 (*.%2)|*.%2").arg(suffix.toUpper(), suffix);
  request.proposedName =
      (objectName().isEmpty() ? QStringLiteral("Grafik") : objectName()) + '.' + suffix;
  std::optional<QString> name = userDialogs().saveFileName(request);
  if (!name || name->isEmpty()) return false;
  if (QFileInfo(*name).suffix().isEmpty()) *name += '.' + suffix;
  return saveDrawing(drawing_, size(), format, *name);
}

QMenu* Canvas::createContextMenu(QWidget* parent) {
  const bool german = currentLanguage() == Language::German;
  auto* menu = new QMenu(parent);
  const struct {
    ImageFormat format;
    const char* name;
  } entries[] = {{ImageFormat::Png, "mnuSavePng"},
                 {ImageFormat::Svg, "mnuSaveSvg"},
                 {ImageFormat::Pdf, "mnuSavePdf"}};
  for (const auto& entry : entries) {
    const QString suffix = imageFormatSuffix(entry.format).toUpper();
    QAction* action = menu->addAction(german ? QStringLiteral("Als %1 speichern …").arg(suffix)
                                             : QStringLiteral("Save as %1 …").arg(suffix));
    action->setObjectName(QString::fromLatin1(entry.name));
    const ImageFormat format = entry.format;
    connect(action, &QAction::triggered, this, [this, format] { saveAs(format); });
  }
  return menu;
}

void Canvas::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.drawImage(0, 0, image());
  painter.setPen(QPen(Qt::black, 0));
  // The cursor lines on the pixel their coordinate falls in, across the whole canvas.
  const QPointF at = toWidget({cursorX_.value_or(0.0), cursorY_.value_or(0.0)});
  if (cursorX_) {
    const double x = std::floor(at.x());
    painter.drawLine(QPointF(x, 0), QPointF(x, height()));
  }
  if (cursorY_) {
    const double y = std::floor(at.y());
    painter.drawLine(QPointF(0, y), QPointF(width(), y));
  }
}

void Canvas::resizeEvent(QResizeEvent* event) {
  drawing_.setViewSize(size());
  cache_ = QImage();
  QWidget::resizeEvent(event);
}

bool Canvas::opensMenu(const QMouseEvent& event) {
  return event.button() == Qt::RightButton && (event.modifiers() & Qt::ShiftModifier);
}

void Canvas::mouseMoveEvent(QMouseEvent* event) {
  emit mouseMoved(toUser(event->position()), event->buttons());
}

void Canvas::mousePressEvent(QMouseEvent* event) {
  if (!opensMenu(*event)) emit mousePressed(toUser(event->position()), event->button());
}

void Canvas::mouseReleaseEvent(QMouseEvent* event) {
  if (!opensMenu(*event)) emit mouseReleased(toUser(event->position()), event->button());
}

void Canvas::mouseDoubleClickEvent(QMouseEvent* event) {
  if (!opensMenu(*event)) emit mouseDoubleClicked(toUser(event->position()), event->button());
}

void Canvas::leaveEvent(QEvent* event) {
  emit mouseLeft();
  QWidget::leaveEvent(event);
}

void Canvas::contextMenuEvent(QContextMenuEvent* event) {
  event->accept();
  const bool fromMouse = event->reason() == QContextMenuEvent::Mouse;
  if (fromMouse && !(event->modifiers() & Qt::ShiftModifier)) return;
  QMenu* menu = createContextMenu(this);
  menu->setAttribute(Qt::WA_DeleteOnClose);
  menu->popup(event->globalPos());
}
