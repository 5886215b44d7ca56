#include "kernel/automation/vel_module.h"

#include "kernel/automation/vel_drive.h"
#include "kernel/automation/vel_drive_server.h"
#include "kernel/automation/veldrive_ids.h"

namespace {

#define VEL_DRIVE_CLSID "{6F896842-0FBC-491F-A2F3-8601A2998D3A}"
#define VEL_SERVER_CLSID "{D6A8C987-7B78-4938-AA6E-1AAD9B11C228}"
#define VEL_TYPELIB_ID "{CC9A20F0-E2C1-426A-B6BE-49E6A498956C}"

// Registration of one creatable class: its class key, ProgID and version-independent
// ProgID. Entries with root 0 continue the key of the last entry that named a root.
#define VEL_CLASS_REGISTRY(clsid, description, progId, viProgId)                       \
  {                                                                                    \
    {kVelRegRootClasses, "CLSID\\" clsid, nullptr, description, kVelRegDeleteFirst},   \
        {0, "InprocServer32", nullptr, kVelRegModulePath, 0},                          \
        {0, "InprocServer32", "ThreadingModel", "Apartment", 0},                       \
        {0, "ProgID", nullptr, progId, 0}, {0, "TypeLib", nullptr, VEL_TYPELIB_ID, 0}, \
        {0, "VersionIndependentProgID", nullptr, viProgId, 0},                         \
        {kVelRegRootClasses, viProgId, nullptr, description, 0},                       \
        {0, "CurVer", nullptr, progId, 0},                                             \
        {kVelRegRootClasses, progId, nullptr, description, kVelRegDeleteFirst},        \
        {0, "CLSID", nullptr, clsid, 0}, {0, nullptr, nullptr, nullptr, kVelRegEnd},   \
  }

const VelRegEntry kDriveRegistry[] =
    VEL_CLASS_REGISTRY(VEL_DRIVE_CLSID, "VelDrive Class", "VelDrive.1", "VelDrive");
const VelRegEntry kServerRegistry[] = VEL_CLASS_REGISTRY(VEL_SERVER_CLSID, "VelDriveServer Class",
                                                         "VelDriveServer.1", "VelDriveServer");

VelClassRecord gClasses[kVelClassCount] = {
    {"VelDriveSeg component", "VelDriveSeg.1", "VelDriveSeg", 1, nullptr, &CLSID_NULL,
     &IID_IVelDriveSeg, nullptr, nullptr, nullptr},
    {"VelDrive component", "VelDrive.1", "VelDrive", 1, createVelDrive, &CLSID_VelDrive,
     &IID_IVelDrive, kDriveRegistry, nullptr, nullptr},
    {"VelDriveServer Class", "VelDriveServer.1", "VelDriveServer", 1, createVelDriveServer,
     &CLSID_VelDriveServer, &IID_IVelDriveServer, kServerRegistry, nullptr, nullptr},
};

}  // namespace

VelModule& velModule() {
  static VelModule module;
  if (!module.classes) {
    module.typeLibId = &LIBID_VelDriveLib;
    module.typeLibFile = kVelDriveLibraryFile;
    module.classes = gClasses;
    module.classCount = kVelClassCount;
  }
  return module;
}

VelClassRecord& velClassRecord(VelClassIndex index) { return gClasses[index]; }
