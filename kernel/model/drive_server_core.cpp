#include "kernel/model/drive_server_core.h"

#include <cstring>

#include "kernel/support/auxcom_messages.h"

VelDriveServerImp::~VelDriveServerImp() {
  VelDriveServerImp::clear();
  removeAll();
  drives_.clear();
}

VelDriveImp* VelDriveServerImp::driveByName(const char* name) {
  const char* wanted = name ? name : "";
  for (std::int32_t i = 0; i < drives_.count(); ++i) {
    VelDriveImp* drive = drives_.at(i);
    const char* own = drive->name();
    if (std::strcmp(own ? own : "", wanted) == 0) return drive;
  }
  reportError("Drive with name '%s' not in drive servers container.", wanted);
  return nullptr;
}

VelDriveImp* VelDriveServerImp::driveAt(int index) {
  // PtrArray::at grows the array for an index beyond the count, so the range is checked here.
  if (index < 0 || index >= drives_.count()) {
    reportError("Drive with index %d not in drive servers container.", index);
    return nullptr;
  }
  return drives_.at(index);
}

int VelDriveServerImp::count() { return drives_.count(); }

int VelDriveServerImp::insert(VelDriveImp* drive) {
  if (drive && drives_.indexOf(drive) >= 0) {
    // Listed twice, a drive would be evaluated twice and survive its first removal.
    reportError("Attempt to insert a drive the server already holds.");
    return 1;
  }
  if (!drive || !drives_.append(drive)) {
    reportError("Attempt to insert invalid drive to server.");
    return 1;
  }
  onInsert(drive);
  return 0;
}

int VelDriveServerImp::remove(VelDriveImp* drive) {
  const std::int32_t at = drive ? drives_.indexOf(drive) : -1;
  if (at < 0) {
    reportError("Attempt to remove drive from server failed.");
    return 1;
  }
  drives_.removeAt(at);
  onRemove(drive);
  return 0;
}

int VelDriveServerImp::clear() {
  for (std::int32_t i = 0; i < drives_.count(); ++i) drives_.at(i)->clear();
  return 0;
}

void VelDriveServerImp::onInsert(VelDriveImp*) {}

void VelDriveServerImp::onRemove(VelDriveImp* drive) {
  // A drive inserted twice stands in the list twice; it lives until its last entry is gone.
  if (drives_.indexOf(drive) < 0) delete drive;
}

void VelDriveServerImp::removeAll() {
  while (drives_.count() > 0) {
    VelDriveImp* drive = drives_.at(0);
    drives_.removeAt(0);
    onRemove(drive);
  }
}
