#pragma once
// Small pieces the windows are built from: a titled frame around one widget, and a status
// bar of numbered panels.

#include <QString>

#include <vector>

class QGroupBox;
class QLabel;
class QStatusBar;
class QWidget;

// A frame (QGroupBox) named objectName with title, holding content with a small margin.
QGroupBox* titledFrame(const QString& objectName, const QString& title, QWidget* content);

// The panels of a status bar, numbered from 1 as the windows address them; panel p is a
// label named <bar's objectName><p>.
class StatusPanels {
 public:
  // Adds count panels to bar, each at least as wide as its entry in minimumWidths (pixels;
  // missing entries: no minimum); the panel stretch takes the room left.
  StatusPanels(QStatusBar* bar, int count, const std::vector<int>& minimumWidths, int stretch);

  QLabel* panel(int p) const { return panels_.at(static_cast<std::size_t>(p - 1)); }
  void setText(int p, const QString& text) const;
  QString text(int p) const;

 private:
  std::vector<QLabel*> panels_;
};
