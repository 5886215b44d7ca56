#include "app/shell/project_state.h"

void ProjectState::setFrameTime(double seconds) {
  if (!(seconds > 0.0) || seconds == frameTime_) return;
  frameTime_ = seconds;
  emit settingsChanged();
}

void ProjectState::setDecimals(int decimals) {
  if (decimals < 0 || decimals > 15 || decimals == decimals_) return;
  decimals_ = decimals;
  emit settingsChanged();
}

int ProjectState::addDrive(DriveRecord record) {
  drives_.push_back(std::move(record));
  emit driveListChanged();
  return driveCount() - 1;
}

void ProjectState::removeDrive(int number) {
  if (number < 0 || number >= driveCount()) return;
  drives_.erase(drives_.begin() + number);
  emit driveListChanged();
}

void ProjectState::ProjektGeaendert() {
  const bool was = changed_;
  changed_ = true;
  if (!was) emit changedStateChanged(true);
}

void ProjectState::projektOK() {
  const bool was = changed_;
  changed_ = false;
  if (was) emit changedStateChanged(false);
}
