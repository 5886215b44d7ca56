#pragma once
// The input chooser's logic (frmInput): the simulation's inputs (lstWMInput), the drives
// already bound (lstDriveInput: the project's drive records), and binding an input to a
// new drive (cmdAdd). Every call into the simulation runs through the guard.

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

#include "app/shell/project_state.h"
#include "app/simlink/simulation_guard.h"

struct SimulationInput {
  QString name;  // "Name" of the input
  qint32 id;     // its "ID", the list entry's item data
};

class InputChooser {
 public:
  InputChooser(ProjectState& project, SimulationGuard& guard) : project_(project), guard_(guard) {}

  // On load: InputAktualisieren, then the document's name for status panel 1, as one
  // operation (a lost connection shows its message once).
  SimOutcome load();
  // cmdInputAktuali: the list is cleared and read again, Inputs."Count" and for i = 1 …
  // Count Inputs."Item"(i)."Name" and ."ID". An error ends the reading; what was read stays.
  SimOutcome InputAktualisieren();

  const std::vector<SimulationInput>& inputs() const { return inputs_; }
  const QString& documentName() const { return documentName_; }
  // lstDriveInput: the names of the project's drives, in window-number order.
  QStringList driveInputs() const;

  // cmdAdd (and a double click on lstWMInput) with the selected entry of inputs() (-1: none
  // selected). When no drive has exactly this name (case-sensitive), appends a record (name,
  // ID, flags false, frame count 0), marks the project changed and returns its window
  // number; the window opens its drive window and shows drivesPanelText. Otherwise nothing.
  std::optional<int> cmdAdd(int selected);

 private:
  void readInputs(SimulationLink& sim);

  ProjectState& project_;
  SimulationGuard& guard_;
  std::vector<SimulationInput> inputs_;
  QString documentName_;
};
