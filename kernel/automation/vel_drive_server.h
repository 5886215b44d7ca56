#pragma once
// VelDriveServer: the kernel's entry object. It makes drives and segments, names the segment
// types, keeps a list of drives that clients find again by index or name, and holds one
// reference on each drive in that list.

#include "kernel/automation/vel_base.h"
#include "kernel/automation/vel_persist.h"
#include "kernel/model/drive_server_core.h"

class VelDriveServer : public VelBaseImp<IVelDriveServer>,
                       public VelPersistImp,
                       public VelDriveServerImp {
 public:
  // A new server with reference count 0; whoever creates it takes the first reference.
  VelDriveServer();

  VEL_FORWARD_IUNKNOWN(VelBaseImp<IVelDriveServer>)

  // ---- IVelDriveServer
  HRESULT get_version(BSTR* ver) override;
  HRESULT get_driveCount(LONG* count) override;
  HRESULT get_drive(SHORT idx, IVelDrive** drv) override;
  HRESULT get_driveByName(BSTR name, IVelDrive** drv) override;
  HRESULT get_segmentTypeCount(LONG* count) override;
  HRESULT get_segmentType(SHORT idx, BSTR* typeName) override;
  HRESULT get_segment(BSTR type, IVelDriveSeg** seg) override;
  HRESULT put_segment(BSTR type, IVelDriveSeg* seg) override;
  HRESULT add(IVelDrive* drv) override;
  HRESULT remove(IVelDrive* drv) override;
  // Serves both the interface member and the core operation of the same signature.
  HRESULT clear() override;
  HRESULT newDrive(BSTR name, IVelDrive** drv) override;

  // The core operations keep their names beside the interface members.
  using VelDriveServerImp::count;
  using VelDriveServerImp::driveByName;
  using VelDriveServerImp::remove;

 protected:
  // Clears every listed drive, then gives back the list's references.
  ~VelDriveServer() override;

  // Each list entry holds one reference on its drive.
  void onInsert(VelDriveImp* drive) override;
  void onRemove(VelDriveImp* drive) override;
};

// The banner of get_version.
inline constexpr const char kVelDriveServerVersion[] = "VelDrive 2.0 drive server";

// The creation function of the server's class record: a new server with count 0.
IUnknown* createVelDriveServer();
