#pragma once
// frmKurve, the cam window: the roller ("Rolle") and the plate ("Scheibe") picked from the
// simulation's bodies, the run that records the roller's path in the plate's frame, the cam
// table, the three plane views and the export. The window is thin: CamSession does the work
// (cam_session.h); the window forwards its events there and shows the outcome.
//
// Layout: on the left the controls from top to bottom: lstBody in fraWMBodies; cmdBodyA and
// txtBodyA in fraBodyA ("Rolle"), cmdBodyB and txtBodyB in fraBodyB ("Scheibe"); txtFrame in
// fraFrame ("bis Frame"); txtMultiplikator in fraMultiplikator; cmdRun. On the right the three
// views picKurve0 … picKurve2 in fraKurve0 … fraKurve2 ("X-Y Ebene", "Z-Y Ebene", "X-Z Ebene"),
// each kept square, above the table flgKurve in fraSpline ("Kurven-Spline"). The status bar
// sbrKurve has six panels (1 frame, 2 time, 3 to 5 the read-out, 6 the last computed frame)
// and the progress bar prbKurve while a run goes. The menu mnuKurve holds mnuWritetofile,
// mnuKurveAktualisieren and mnuKurveClose.

#include <QMainWindow>
#include <QPointF>

#include <array>
#include <optional>

#include "app/cam/cam_session.h"
#include "app/common/window_parts.h"

class Canvas;
class CamTableModel;
class ProjectState;
class QAction;
class QListWidget;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTableView;

class frmKurve : public QMainWindow {
  Q_OBJECT
 public:
  // The project and the guard must outlive the window. Reads the body list and the status
  // texts from the simulation.
  frmKurve(ProjectState& project, SimulationGuard& guard, QWidget* parent = nullptr);
  ~frmKurve() override;

  const CamSession& session() const { return session_; }
  Canvas* picKurve(int view) const { return pictures_[view]; }
  // Status panel 1 … 6.
  QString statusPanelText(int panel) const;
  bool isRunning() const { return running_; }

  // cmdBodyA / cmdBodyB: the body selected in lstBody becomes the roller or the plate.
  void pickBody(CamBody which);
  // cmdRun ("Kurve holen"): records frames 0 … txtFrame; Escape stops it.
  void Run();
  // Double click on txtMultiplikator: the table's X, Y, Z times the multiplier.
  void Multiplikator();
  // mnuKurveAktualisieren: the views scaled to the table and drawn again.
  void Aktualisieren();
  // mnuWritetofile: the table written to the file the save dialog names.
  void WriteToFile();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  class RunStatus;

  void buildMenu(const KurveTexts& texts);
  QWidget* buildControls(const KurveTexts& texts);
  QWidget* buildViews(const KurveTexts& texts);
  QWidget* buildTable(const KurveTexts& texts);
  void buildStatusBar();
  void BodyList();
  // Beschriftung's status panels 6, 1 and 2 from the simulation.
  void showSimulationStatus();
  // The table and the views as the session holds them now; the menu's enabled states.
  void showTable();
  void showViews();
  void updateMenu();
  void readOut(int view, QPointF at);
  void zoom(int view, QPointF at, Qt::MouseButton button);
  void markRow(int row);

  ProjectState& project_;
  CamSession session_;
  CamTableModel* model_ = nullptr;
  QListWidget* lstBody_ = nullptr;
  QLineEdit* txtBodyA_ = nullptr;
  QLineEdit* txtBodyB_ = nullptr;
  QLineEdit* txtFrame_ = nullptr;
  QLineEdit* txtMultiplikator_ = nullptr;
  QPushButton* cmdRun_ = nullptr;
  QWidget* controls_ = nullptr;
  QProgressBar* prbKurve_ = nullptr;
  QTableView* flgKurve_ = nullptr;
  std::array<Canvas*, kCamViews> pictures_{};
  QAction* mnuWritetofile_ = nullptr;
  QAction* mnuKurveAktualisieren_ = nullptr;
  std::optional<StatusPanels> status_;
  bool running_ = false;
};

// The cam window of the main window's menu: opened over mainWindow, or raised when it is
// open already (one at a time).
frmKurve* openCam(ProjectState& project, SimulationGuard& guard, QWidget* mainWindow);
