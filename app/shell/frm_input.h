#pragma once
// frmInput: binds inputs of the simulation to new drives. lstWMInput lists the inputs of the
// open simulation, lstDriveInput (in fraDriveInput) the drives already bound. cmdAdd (or a
// double click on an input) makes a drive of the selected input unless one has its name;
// the main window opens its drive window. cmdInputAktuali reads the inputs again; cmdOK
// hides the window. Its logic is InputChooser's.

#include <QDialog>

#include "app/shell/input_chooser.h"

class QLabel;
class QListWidget;

class frmInput : public QDialog {
  Q_OBJECT
 public:
  // Reads the simulation's inputs and document name at once.
  frmInput(ProjectState& project, SimulationGuard& guard, QWidget* parent = nullptr);

  const InputChooser& chooser() const { return chooser_; }

 signals:
  // A drive record with this window number was added: its window is to open.
  void driveAdded(int windowNumber);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void InputAktualisieren();
  void cmdAdd();
  void showInputs();
  void showDrives();

  ProjectState& project_;
  InputChooser chooser_;
  QListWidget* lstWMInput_;
  QListWidget* lstDriveInput_;
  QLabel* documentPanel_;
};
