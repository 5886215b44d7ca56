#pragma once
// frmGrafik, the project graph: f, f', f'', f''' of every calculated drive of the project in
// four panels over one z axis (project_graph.h draws them). The container picContainer holds
// the frames fraGrafik0 … fraGrafik3 in two rows and two columns, each with its canvas
// picGrafik0 … picGrafik3; the status bar sbrGrafik shows the panel under the mouse (1), its
// z (2) and value (3), and "NOR." or "ZOOM" (4). The menu mnuGrafik holds
// mnuGrafikAktualisieren and mnuClose.
//
// Mouse on a panel: cursor lines in every panel and the read-out; a left drag zooms that
// panel into the rectangle dragged; the right button (released) and "Aktualisieren" bring
// the normal view back, as does every resize. Moving over a frame or the container, or a
// click on the status bar, hides the cursor lines (MouseLineOff).

#include <QMainWindow>
#include <QPointF>

#include <array>
#include <optional>
#include <vector>

#include "app/common/window_parts.h"
#include "app/graph/drive_graph.h"
#include "app/graph/project_graph.h"

class Canvas;
class ProjectState;
class QGroupBox;
class QRubberBand;

class frmGrafik : public QMainWindow {
  Q_OBJECT
 public:
  // The project must outlive the window.
  explicit frmGrafik(ProjectState& project, QWidget* parent = nullptr);

  Canvas* picGrafik(int k) const { return pictures_[k]; }
  QGroupBox* fraGrafik(int k) const { return frames_[k]; }
  // Status panel 1 … 4.
  QString statusPanelText(int panel) const;

  // "Aktualisieren": every drive read again from the project, then the normal view.
  void Aktualisieren();
  // Hides the cursor lines of every panel.
  void MouseLineOff();

 protected:
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void buildMenu();
  // The drives' curves, in list order, as the project holds them now.
  void readDrives();
  // Every panel cleared and drawn over the union of the drives, status "NOR.".
  void normalView();
  void mouseMoved(int k, QPointF at, Qt::MouseButtons buttons);
  void mousePressed(int k, QPointF at, Qt::MouseButton button);
  void mouseReleased(int k, QPointF at, Qt::MouseButton button);

  ProjectState& project_;
  std::vector<DriveCurves> drives_;
  std::array<QGroupBox*, kProjectPanelCount> frames_{};
  std::array<Canvas*, kProjectPanelCount> pictures_{};
  QWidget* container_ = nullptr;
  std::optional<StatusPanels> status_;
  QRubberBand* rubberBand_ = nullptr;
  std::optional<QPointF> zoomStart_;  // user coordinates of the press, on panel zoomPanel_
  int zoomPanel_ = 0;
};

// The project graph of the main window's menu: opened over mainWindow, or raised and read
// again when it is open already (one at a time).
frmGrafik* openProjectGraph(ProjectState& project, QWidget* mainWindow);
