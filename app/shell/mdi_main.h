#pragma once
// MDIMain: the main window. It holds one drive window (frmChild) per record of the project's
// drive list in its MDI area, the menus, and the status bar sbrMain with five panels:
//   1 the kernel's version and ours (after a calculation with the server's drive count),
//   2 the simulation document's name, 3 the project state picture (saved / changed),
//   4 "Frames 50/s", 5 "Antriebe: n".
// Its rules live in main_window_logic.h and file_commands.h; every call into the simulation
// runs through the program's SimulationGuard.

#include <QMainWindow>
#include <QPoint>
#include <QPointer>

#include <array>
#include <vector>

class KernelClient;
class ProjectState;
class SimulationGuard;
class QAction;
class QLabel;
class QMdiArea;
class QMenu;
class frmChild;
class frmInput;

class MDIMain : public QMainWindow {
  Q_OBJECT
 public:
  static constexpr int kPanels = 5;

  // exchangeMenu: show the Adams menu, which the window otherwise keeps hidden.
  MDIMain(ProjectState& project, const KernelClient& kernel, SimulationGuard& guard,
          bool exchangeMenu = false, QWidget* parent = nullptr);
  ~MDIMain() override;

  QMdiArea* mdiArea() const { return mdiArea_; }
  // The drive windows in window-number order.
  int driveWindowCount() const { return static_cast<int>(children_.size()); }
  frmChild* driveWindow(int number) const;
  // Panel 1 … 5 of sbrMain.
  QString panelText(int panel) const;
  // The picture panel 3 shows (kPictureSaved or kPictureChanged).
  QString statePicture() const { return statePicture_; }
  // The input chooser, once mnuNew has opened it.
  frmInput* inputChooser() const;

  // ProjektOpen without the dialog: the project file given on the command line.
  void openProjectFile(const QString& path);
  // Opens the drive window of record number (a new record of the drive list).
  frmChild* openDriveWindow(int number);

 public slots:
  void ProjektOpen();
  void ProjektSave();
  void mnuDruckerSetup();
  void mnuProjektCalc();
  void mnuProjektGrafik();
  void mnuNew();
  void mnutest();
  void mnuTileVertical();
  void mnuTileHorizontal();
  void mnuCascade();
  void mnuArrangeIcons();
  void mnuOptions();
  void mnuInfo();

  // The project graph frmGrafik (mnuProjektGrafik once every drive is calculated) and the
  // cam window frmKurve (mnuKurve), one of each, raised when open.
  void openProjectGraph();
  void openCam();
  // mnuTransfer: the transfer command with its check dialog; a transfer enables mnuKurve.
  void openTransfer();
  // The help window at its contents and its index.
  void showHelpContents();
  void showHelpIndex();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void buildMenus(bool exchangeMenu);
  QMenu* addMenu(QMenu* parent, const char* name);
  QAction* addItem(QMenu* menu, const char* name, void (MDIMain::*slot)());
  void buildStatusBar();
  void mnuProjektOpening();
  void mnuWorkingModelOpening();
  void mnuFensterOpening();
  void showProjectResult(int firstRecord, int recordsCreated, bool done, const QString& file);
  void showKernelPanel(bool afterCalculation);
  void showSettings();
  void showState(bool changed);
  void showDriveCount();
  void driveWindowGone(QObject* window);
  void popUpConversion(int windowNumber, QPoint globalPos);
  void convert(void (frmChild::*conversion)());
  // Tiles the normal drive windows in one row (side by side) or one column.
  void tile(Qt::Orientation orientation);

  ProjectState& project_;
  const KernelClient& kernel_;
  SimulationGuard& guard_;
  QMdiArea* mdiArea_ = nullptr;
  std::array<QLabel*, kPanels> panels_{};
  QString statePicture_;
  QMenu* windowMenu_ = nullptr;
  QMenu* conversionMenu_ = nullptr;
  QAction* camItem_ = nullptr;
  std::vector<QAction*> windowItems_;
  std::vector<frmChild*> children_;  // window-number order
  int conversionWindow_ = -1;        // the drive window whose f cell the pop-up acts on
  QPointer<frmInput> input_;
  bool calculating_ = false;
  bool tearingDown_ = false;
};
