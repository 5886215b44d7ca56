#include "app/shell/input_chooser.h"

void InputChooser::readInputs(SimulationLink& sim) {
  inputs_.clear();
  const qint32 count = sim.Count(sim.inputs());
  for (qint32 i = 1; i <= count; ++i) {
    const SimRef input = sim.Item(sim.inputs(), static_cast<qint16>(i));
    const QString name = sim.Name(input);
    inputs_.push_back({name, sim.ID(input)});
  }
}

SimOutcome InputChooser::load() {
  return guard_.run([this](SimulationLink& sim) {
    readInputs(sim);
    documentName_ = sim.DocumentName();
  });
}

SimOutcome InputChooser::InputAktualisieren() {
  return guard_.run([this](SimulationLink& sim) { readInputs(sim); });
}

QStringList InputChooser::driveInputs() const {
  QStringList names;
  for (const DriveRecord& record : project_.drives()) names << record.name;
  return names;
}

std::optional<int> InputChooser::cmdAdd(int selected) {
  if (selected < 0 || selected >= static_cast<int>(inputs_.size())) return std::nullopt;
  const SimulationInput& input = inputs_[selected];
  for (const DriveRecord& record : project_.drives())
    if (record.name == input.name) return std::nullopt;
  DriveRecord record;
  record.name = input.name;
  record.id = input.id;
  const int number = project_.addDrive(std::move(record));
  project_.ProjektGeaendert();
  return number;
}
