#include "kernel/automation/vel_drive_server.h"

#include <new>

#include "kernel/automation/vel_drive.h"
#include "kernel/automation/vel_drive_seg.h"
#include "kernel/model/segment_registry.h"
#include "kernel/support/auxcom.h"
#include "platform/com/com_ptr.h"

namespace {

// Sizes of the conversion buffers, terminator included.
constexpr int kDriveNameSize = 128;
constexpr int kTypeNameSize = 32;

// The automation object of a drive core, or null when the core is none of ours.
VelDrive* objectOf(VelDriveImp* core) { return dynamic_cast<VelDrive*>(core); }
// The drive core behind an interface pointer, or null when it is none of our drives.
VelDriveImp* coreOf(IVelDrive* drv) { return dynamic_cast<VelDrive*>(drv); }

// Hands a listed drive out with one reference: S_OK, or E_FAIL and null when not found.
HRESULT handOutDrive(VelDriveImp* core, IVelDrive** drv) {
  handOut<IVelDrive>(objectOf(core), drv);
  return *drv ? S_OK : E_FAIL;
}

}  // namespace

IUnknown* createVelDriveServer() {
  VelDriveServer* server = new (std::nothrow) VelDriveServer;
  return server ? static_cast<IVelDriveServer*>(server) : nullptr;
}

VelDriveServer::VelDriveServer() { init(); }

VelDriveServer::~VelDriveServer() {
  // Every listed drive gives back its segments; the list's references are given back as
  // well, so that drives nobody else holds are destroyed with the server.
  VelDriveServerImp::clear();
  removeAll();
}

// The list holds one reference on each of its drive objects: taken here, given back when the
// drive leaves the list.
void VelDriveServer::onInsert(VelDriveImp* drive) {
  if (VelDrive* d = objectOf(drive)) ComPtr<VelDrive>(d).detach();
}

void VelDriveServer::onRemove(VelDriveImp* drive) {
  // A plain core drive (inserted by kernel code, not by a client) is owned as the bare core
  // owns it.
  if (VelDrive* d = objectOf(drive))
    ComPtr<VelDrive>::adopt(d);  // the list's reference goes with the owner
  else
    VelDriveServerImp::onRemove(drive);
}

HRESULT VelDriveServer::get_version(BSTR* ver) {
  if (!ver) return E_POINTER;
  *ver = textToBstr(kVelDriveServerVersion);
  return S_OK;
}

HRESULT VelDriveServer::get_driveCount(LONG* n) {
  if (!n) return E_POINTER;
  *n = count();
  return S_OK;
}

HRESULT VelDriveServer::get_drive(SHORT idx, IVelDrive** drv) {
  if (!drv) return E_POINTER;
  return handOutDrive(driveAt(idx), drv);
}

HRESULT VelDriveServer::get_driveByName(BSTR name, IVelDrive** drv) {
  if (!drv) return E_POINTER;
  char text[kDriveNameSize] = "";
  bstrToText(name, text, sizeof text);
  return handOutDrive(driveByName(text), drv);
}

HRESULT VelDriveServer::get_segmentTypeCount(LONG* n) {
  if (!n) return E_POINTER;
  *n = segmentTypeCount();
  return S_OK;
}

HRESULT VelDriveServer::get_segmentType(SHORT idx, BSTR* typeName) {
  if (!typeName) return E_POINTER;
  const char* name = segmentTypeName(idx);
  *typeName = name ? textToBstr(name) : nullptr;
  return name ? S_OK : E_FAIL;
}

HRESULT VelDriveServer::get_segment(BSTR type, IVelDriveSeg** seg) {
  if (!seg) return E_POINTER;
  char text[kTypeNameSize] = "";
  bstrToText(type, text, sizeof text);
  // An unknown name is no failure for the result code: the client receives a null segment.
  // The message tells a client that does not check for null why it got nothing.
  IVelDriveSeg* made = createSegment(text);
  if (!made) reportError("Unknown segment type \"%s\".", text);
  handOut<IVelDriveSeg>(made, seg);
  return S_OK;
}

HRESULT VelDriveServer::put_segment(BSTR, IVelDriveSeg*) { return E_NOTIMPL; }

HRESULT VelDriveServer::add(IVelDrive* drv) { return insert(coreOf(drv)) == 0 ? S_OK : E_FAIL; }

HRESULT VelDriveServer::remove(IVelDrive* drv) {
  return VelDriveServerImp::remove(coreOf(drv)) == 0 ? S_OK : E_FAIL;
}

HRESULT VelDriveServer::clear() {
  VelDriveServerImp::clear();
  return S_OK;
}

HRESULT VelDriveServer::newDrive(BSTR name, IVelDrive** drv) {
  if (!drv) return E_POINTER;
  char text[kDriveNameSize] = "";
  bstrToText(name, text, sizeof text);
  VelDrive* drive = new (std::nothrow) VelDrive(text);
  *drv = nullptr;
  if (!drive) return E_OUTOFMEMORY;
  drive->AddRef();
  *drv = drive;
  return S_OK;
}
