#pragma once
// frmWMCheck: the check dialog of a transfer. When it loads it checks the project against the
// simulation (transfer_check.h) and shows the verdict: the frame rate, the actuator offsets
// and the z ranges each with a passed or failed picture, the overview tree tvwWmStatus (one
// node per drive with its offset, value count and z range), the drives reaching zero length
// in lstNullDurchgang, and as the window's icon, caption and first button in tab order.
//
// cmdTransfer plays the drives into the simulation (transfer_run.h) with a progress bar and
// the status panels "Übertragen", "Frame: ", "Time: "; Escape, the dialog's cmdCancel or its
// close button stop the run before the next frame. cmdWerteProtokol writes the value logs into
// the current directory. Each of the three buttons closes the dialog.

#include <QDialog>

#include <array>
#include <optional>

#include "app/simlink/transfer_check.h"

class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QTreeWidget;
class SimulationGuard;

class frmWMCheck : public QDialog {
  Q_OBJECT
 public:
  static constexpr int kPanels = 3;

  // Runs the check at once. mainWindow (the parent) titles message 158 and comes up when a
  // transfer is cancelled.
  frmWMCheck(ProjectState& project, SimulationGuard& guard, QWidget* mainWindow = nullptr);
  ~frmWMCheck() override;

  // The check; nothing when a simulation call failed while loading (the guard has dealt with
  // that, and the dialog is not to be shown).
  const std::optional<TransferCheck>& check() const { return check_; }
  // The window icon's picture: kPictureVerdictOk or kPictureVerdictStop.
  QString verdictPicture() const { return verdictPicture_; }
  // cmdTransfer has run the transfer.
  bool transferred() const { return transferred_; }
  // Panel 1 … 3 of the status bar.
  QString panelText(int panel) const;

 signals:
  // cmdTransfer has run the transfer and closed the dialog: the main window enables its cam
  // item mnuKurve.
  void transferDone();

 public slots:
  // Escape and the window's close button act as cmdCancel.
  void reject() override;

 private:
  class StatusPanels;

  void buildWindow();
  void showCheck(const TransferCheck& check);
  void showStatus(int panel, const QString& text);
  void cmdTransfer();
  void cmdCancel();
  void cmdWerteProtokol();

  ProjectState& project_;
  SimulationGuard& guard_;
  std::optional<TransferCheck> check_;
  QString verdictPicture_;
  bool running_ = false;
  bool transferred_ = false;

  QTreeWidget* tvwWmStatus_ = nullptr;
  QListWidget* lstNullDurchgang_ = nullptr;
  QLabel* lblDriveFault_ = nullptr;
  QPushButton* cmdTransfer_ = nullptr;
  QPushButton* cmdCancel_ = nullptr;
  QPushButton* cmdWerteProtokol_ = nullptr;
  QProgressBar* progress_ = nullptr;
  std::array<QLabel*, kPanels> panels_{};
};
