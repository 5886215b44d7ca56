#include "kernel/automation/vel_drive.h"

#include <memory>

#include "kernel/automation/vel_drive_seg.h"
#include "kernel/model/drive_table.h"
#include "kernel/model/segment_dump.h"
#include "kernel/model/value_names.h"
#include "kernel/support/auxcom.h"
#include "platform/com/com_ptr.h"

namespace {

// Size of the conversion buffer of a drive's name, terminator included.
constexpr int kDriveNameSize = 128;

// The segment core behind an interface pointer, or null when it is none of our segments.
IVelDriveSegImp* coreOf(IVelDriveSeg* seg) { return dynamic_cast<VelDriveSeg*>(seg); }

}  // namespace

IUnknown* createVelDrive() { return static_cast<IVelDrive*>(new VelDrive); }

VelDrive::VelDrive(const char* name) : VelDriveImp(name) { init(); }

VelDrive::~VelDrive() {
  // Give back every segment reference while this class's onRemove still answers.
  VelDriveImp::clear();
}

// The chain holds one reference on each of its segment objects: taken here, given back when
// the segment leaves the chain.
void VelDrive::onInsert(IVelDriveSegImp* seg) {
  if (VelDriveSeg* s = VelDriveSeg::fromCore(seg)) ComPtr<VelDriveSeg>(s).detach();
}

void VelDrive::onRemove(IVelDriveSegImp* seg) {
  // A plain core segment (linked in by kernel code, not by a client) is owned as the bare
  // core owns it.
  if (VelDriveSeg* s = VelDriveSeg::fromCore(seg))
    ComPtr<VelDriveSeg>::adopt(s);  // the chain's reference goes with the owner
  else
    VelDriveImp::onRemove(seg);
}

// ---- IVelDriveSeg

HRESULT VelDrive::get_z0(double* d) { return giveValue(z0(), d); }
HRESULT VelDrive::get_z1(double* d) { return giveValue(z1(), d); }
HRESULT VelDrive::get_f0(double* d) { return giveValue(f0(), d); }
HRESULT VelDrive::get_f1(double* d) { return giveValue(f1(), d); }
HRESULT VelDrive::put_z0(double) { return S_FALSE; }
HRESULT VelDrive::put_f0(double) { return S_FALSE; }
HRESULT VelDrive::get_fd0(double* d) { return giveValue(value(vtFd0), d); }
HRESULT VelDrive::get_fdd0(double* d) { return giveValue(value(vtFdd0), d); }
HRESULT VelDrive::get_fd1(double* d) { return giveValue(value(vtFd1), d); }
HRESULT VelDrive::get_fdd1(double* d) { return giveValue(value(vtFdd1), d); }
HRESULT VelDrive::get_fmin(double* d) { return giveValue(fmin(), d); }
HRESULT VelDrive::get_fdmin(double* d) { return giveValue(fdmin(), d); }
HRESULT VelDrive::get_fddmin(double* d) { return giveValue(fddmin(), d); }
HRESULT VelDrive::get_fdddmin(double* d) { return giveValue(fdddmin(), d); }
HRESULT VelDrive::get_fmax(double* d) { return giveValue(fmax(), d); }
HRESULT VelDrive::get_fdmax(double* d) { return giveValue(fdmax(), d); }
HRESULT VelDrive::get_fddmax(double* d) { return giveValue(fddmax(), d); }
HRESULT VelDrive::get_fdddmax(double* d) { return giveValue(fdddmax(), d); }

HRESULT VelDrive::get_next(IVelDriveSeg** seg) { return handOut<IVelDriveSeg>(nullptr, seg); }
HRESULT VelDrive::get_prev(IVelDriveSeg** seg) { return handOut<IVelDriveSeg>(nullptr, seg); }

HRESULT VelDrive::get_value(BSTR type, double* val) {
  if (!val) return E_POINTER;
  *val = value(reportedValueTypeOf(type));
  return S_FALSE;  // as a segment answers
}

HRESULT VelDrive::put_value(BSTR type, double) {
  // No value of a drive can be set; the client is told why.
  char name[32] = "";
  bstrToText(type, name, sizeof name);
  if (valueTypeFromName(name) == vtNone)
    reportError("DRV_E_UNKNOWN_PARAM: %s", name);
  else
    reportError("DRV_E_UNSUPPORTED_PARAM: %s", name);
  return S_OK;
}

HRESULT VelDrive::get_typeName(BSTR* typestr) {
  if (!typestr) return E_POINTER;
  *typestr = textToBstr(typeName());
  return S_OK;
}

HRESULT VelDrive::get_clone(IVelDriveSeg** cloned) {
  return handOut<IVelDriveSeg>(nullptr, cloned);
}

HRESULT VelDrive::get__dump(BSTR* str) {
  if (!str) return E_POINTER;
  *str = textToBstr(segmentDump(this).c_str());
  return S_OK;
}

HRESULT VelDrive::farr(double z, double* f) { return evaluateArray(*this, z, f); }
HRESULT VelDrive::fderiv(double z, double* f, double* fd, double* fdd, double* fddd) {
  return evaluateEach(*this, z, f, fd, fdd, fddd);
}
HRESULT VelDrive::f(double z, double* d) { return evaluateElement(*this, z, 0, d); }
HRESULT VelDrive::fd(double z, double* d) { return evaluateElement(*this, z, 1, d); }
HRESULT VelDrive::fdd(double z, double* d) { return evaluateElement(*this, z, 2, d); }
HRESULT VelDrive::fddd(double z, double* d) { return evaluateElement(*this, z, 3, d); }

HRESULT VelDrive::hasValue(BSTR type, LONG* b) { return giveFlag(hasValue(valueTypeOf(type)), b); }

HRESULT VelDrive::isVarValue(BSTR type, LONG* b) {
  return giveFlag(isVarValue(valueTypeOf(type), vsExplicit), b);
}

// ---- IVelDrive

HRESULT VelDrive::get_name(BSTR* n) {
  if (!n) return E_POINTER;
  *n = textToBstr(name());
  return S_OK;
}

HRESULT VelDrive::put_name(BSTR v) {
  char text[kDriveNameSize] = "";
  bstrToText(v, text, sizeof text);
  setName(text);
  return S_OK;
}

HRESULT VelDrive::get_periodic(LONG* p) {
  if (!p) return E_POINTER;
  *p = periodic();
  return S_OK;
}

HRESULT VelDrive::put_periodic(LONG v) {
  setPeriodic(v);
  return S_OK;
}

HRESULT VelDrive::get_head(IVelDriveSeg** seg) {
  if (!seg) return E_POINTER;
  handOut<IVelDriveSeg>(VelDriveSeg::fromCore(head()), seg);
  return *seg ? S_OK : S_FALSE;
}

HRESULT VelDrive::put_segment(BSTR v) {
  const std::unique_ptr<char[]> text(bstrToNewText(v));
  return addSegment(text.get()) == 0 ? S_OK : E_INVALIDARG;
}

HRESULT VelDrive::add(IVelDriveSeg* seg) {
  if (seg) insert(coreOf(seg));
  return S_FALSE;
}

HRESULT VelDrive::remove(IVelDriveSeg* seg) {
  if (seg) VelDriveImp::remove(coreOf(seg));
  return S_FALSE;
}

HRESULT VelDrive::compile(LONG* res) {
  if (!res) return E_POINTER;
  *res = VelDriveImp::compile(vsDerived);
  return *res == 0 ? S_OK : E_FAIL;
}

HRESULT VelDrive::decompile() {
  VelDriveImp::decompile();
  return S_OK;
}

HRESULT VelDrive::clear() {
  VelDriveImp::clear();
  return S_OK;
}

HRESULT VelDrive::htmlTable(BSTR* table) {
  if (!table) return E_POINTER;
  *table = textToBstr(driveHtmlTable(*this).c_str());
  return S_OK;
}
