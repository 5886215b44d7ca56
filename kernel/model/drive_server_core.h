#pragma once
// The drive-server core: an ordered list of drive cores that clients look up again by
// index or by name. Names need not be unique; the same drive may stand in the list more
// than once.

#include <cstdint>

#include "kernel/model/drive_core.h"
#include "kernel/support/ptr_array.h"

// The drive-server core operations.
class IVelDriveServerImp {
 public:
  virtual ~IVelDriveServerImp() = default;
  // The first drive in list order whose name equals name exactly, or null (reported).
  virtual VelDriveImp* driveByName(const char* name) = 0;
  // The drive at 0 ≤ index < count, or null (reported).
  virtual VelDriveImp* driveAt(int index) = 0;
  virtual int count() = 0;
  // Appends drive, then onInsert(drive): 0 done, 1 invalid drive.
  virtual int insert(VelDriveImp* drive) = 0;
  // Takes out the first entry of drive, then onRemove(drive): 0 done, 1 not in the list.
  virtual int remove(VelDriveImp* drive) = 0;
  // Clears every listed drive, in list order; the drives stay in the list. Always 0.
  virtual int clear() = 0;
  // Called after drive was appended / taken out; the pair manages who keeps drive alive.
  virtual void onInsert(VelDriveImp* drive) = 0;
  virtual void onRemove(VelDriveImp* drive) = 0;
};

class VelDriveServerImp : public IVelDriveServerImp {
 public:
  VelDriveServerImp() = default;
  VelDriveServerImp(const VelDriveServerImp&) = delete;
  VelDriveServerImp& operator=(const VelDriveServerImp&) = delete;
  // Runs clear, then takes every entry out through onRemove and frees the list.
  ~VelDriveServerImp() override;

  VelDriveImp* driveByName(const char* name) override;
  VelDriveImp* driveAt(int index) override;
  int count() override;
  int insert(VelDriveImp* drive) override;
  int remove(VelDriveImp* drive) override;
  int clear() override;
  // The bare core owns its drives: onInsert keeps drive, onRemove deletes it once its last
  // entry is gone.
  void onInsert(VelDriveImp* drive) override;
  void onRemove(VelDriveImp* drive) override;

 protected:
  // Takes every entry out, in list order, calling onRemove for each. Destructors call it,
  // so that each class gives back what its own onInsert took.
  void removeAll();

 private:
  // Growth 4, then doubling; removal keeps the order of the others.
  PtrArrayOf<VelDriveImp> drives_;
};
