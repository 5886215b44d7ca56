#pragma once
// The canvas every graph of the program draws on: a widget that keeps a Drawing and paints
// it at its current size (after an expose, a resize, or a change of the drawing), gives
// its mouse events out in user coordinates, and shows two cursor lines (one vertical, one
// horizontal) above the drawing without making them part of it.
//
// Shift with the right button, or the keyboard's menu key, opens a context menu that saves
// the graph as PNG, SVG or PDF at the size shown; the plain right button belongs to the
// graph (row selection, zoom reset, zoom out).

#include <QImage>
#include <QWidget>

#include <optional>

#include "app/graph/drawing.h"
#include "app/graph/drawing_painter.h"

class QMenu;

class Canvas : public QWidget {
  Q_OBJECT
 public:
  explicit Canvas(QWidget* parent = nullptr);

  const Drawing& drawing() const { return drawing_; }
  // The drawing to change; the canvas repaints once control returns to the event loop.
  Drawing& editDrawing();
  // Replaces the drawing; it is shown at the canvas's size.
  void setDrawing(Drawing drawing);

  // Between widget positions and user coordinates of the drawing's scale.
  QPointF toUser(QPointF widgetPosition) const;
  QPointF toWidget(QPointF user) const;

  // The cursor lines, in user coordinates; nothing hides a line.
  void setVerticalCursor(std::optional<double> x);
  void setHorizontalCursor(std::optional<double> y);
  void hideCursorLines();
  std::optional<double> verticalCursor() const { return cursorX_; }
  std::optional<double> horizontalCursor() const { return cursorY_; }
  // The cross-hair mouse pointer over the canvas, or the normal arrow.
  void setCrossCursor(bool cross);
  // Sets the tool tip and, while a tool tip of this canvas is showing, shows the new text.
  void showToolTip(const QString& text);

  // The drawing as the canvas shows it, without the cursor lines.
  QImage image() const;
  // Asks for a file name (userDialogs().saveFileName) and writes the drawing at the size
  // shown; false when cancelled or not written.
  bool saveAs(ImageFormat format);
  // The context menu with its three save actions (object names mnuSavePng, mnuSaveSvg,
  // mnuSavePdf), owned by parent.
  QMenu* createContextMenu(QWidget* parent);

 signals:
  void mouseMoved(QPointF user, Qt::MouseButtons buttons);
  void mousePressed(QPointF user, Qt::MouseButton button);
  void mouseReleased(QPointF user, Qt::MouseButton button);
  void mouseDoubleClicked(QPointF user, Qt::MouseButton button);
  void mouseLeft();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  // Whether a button event is the one that opens the context menu.
  static bool opensMenu(const QMouseEvent& event);

  Drawing drawing_;
  mutable QImage cache_;  // the drawing at the canvas's size; null when it must be painted
  std::optional<double> cursorX_;
  std::optional<double> cursorY_;
};
