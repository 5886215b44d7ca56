#include "kernel/automation/vel_drive_seg.h"

#include <cmath>

#include "kernel/model/segment_dump.h"
#include "kernel/model/segment_registry.h"
#include "kernel/model/value_names.h"
#include "kernel/support/auxcom.h"

namespace {

// A number that is not finite would break the chain's z0 order (NaN compares false with
// everything) and every law built from it; it is refused where a client hands it in.
bool refusedAsNonFinite(const char* name, double v) {
  if (std::isfinite(v)) return false;
  reportError("%s must be a finite number, not %g", name, v);
  return true;
}

}  // namespace

HRESULT giveValue(double v, double* d) {
  if (!d) return E_POINTER;
  *d = v;
  return S_OK;
}

HRESULT giveFlag(bool v, LONG* b) {
  if (!b) return E_POINTER;
  *b = v ? 1 : 0;
  return S_OK;
}

HRESULT evaluateArray(IVelDriveSegImp& core, double z, double* f) {
  if (!f) return E_POINTER;
  FArr out{f[0], f[1], f[2], f[3]};
  core.farr(z, out);
  for (int k = 0; k < 4; ++k) f[k] = out[k];
  return S_OK;
}

HRESULT evaluateEach(IVelDriveSegImp& core, double z, double* f, double* fd, double* fdd,
                     double* fddd) {
  if (!f || !fd || !fdd || !fddd) return E_POINTER;
  FArr out{};
  core.farr(z, out);
  *f = out[0];
  *fd = out[1];
  *fdd = out[2];
  *fddd = out[3];
  return S_OK;
}

HRESULT evaluateElement(IVelDriveSegImp& core, double z, int k, double* d) {
  if (!d) return E_POINTER;
  FArr out{};
  *d = core.farr(z, out)[k];
  return S_OK;
}

ValueType valueTypeOf(BSTR name) {
  char text[32] = "";
  bstrToText(name, text, sizeof text);
  return valueTypeFromName(text);
}

ValueType reportedValueTypeOf(BSTR name) {
  char text[32] = "";
  bstrToText(name, text, sizeof text);
  const ValueType code = valueTypeFromName(text);
  if (code == vtNone) reportError("DRV_E_UNKNOWN_PARAM: %s", text);
  return code;
}

VelDriveSeg::VelDriveSeg() { init(); }
VelDriveSeg::VelDriveSeg(double z0, double f0) : VelDriveSegImp(z0, f0) { init(); }

HRESULT VelDriveSeg::get_z0(double* d) { return giveValue(z0(), d); }
HRESULT VelDriveSeg::get_z1(double* d) { return giveValue(z1(), d); }
HRESULT VelDriveSeg::get_f0(double* d) { return giveValue(f0(), d); }
HRESULT VelDriveSeg::get_f1(double* d) { return giveValue(f1(), d); }

HRESULT VelDriveSeg::put_z0(double v) {
  if (!isVarValue(vtZ0, vsExplicit)) return S_FALSE;
  if (refusedAsNonFinite("z0", v)) return E_INVALIDARG;
  setValue(vtZ0, vsExplicit, v);
  return S_OK;
}

HRESULT VelDriveSeg::put_f0(double v) {
  if (!isVarValue(vtF0, vsExplicit)) return S_FALSE;
  if (refusedAsNonFinite("f0", v)) return E_INVALIDARG;
  setValue(vtF0, vsExplicit, v);
  return S_OK;
}

HRESULT VelDriveSeg::get_fd0(double* d) { return giveValue(value(vtFd0), d); }
HRESULT VelDriveSeg::get_fdd0(double* d) { return giveValue(value(vtFdd0), d); }
HRESULT VelDriveSeg::get_fd1(double* d) { return giveValue(value(vtFd1), d); }
HRESULT VelDriveSeg::get_fdd1(double* d) { return giveValue(value(vtFdd1), d); }

HRESULT VelDriveSeg::get_fmin(double* d) { return giveValue(fmin(), d); }
HRESULT VelDriveSeg::get_fdmin(double* d) { return giveValue(fdmin(), d); }
HRESULT VelDriveSeg::get_fddmin(double* d) { return giveValue(fddmin(), d); }
HRESULT VelDriveSeg::get_fdddmin(double* d) { return giveValue(fdddmin(), d); }
HRESULT VelDriveSeg::get_fmax(double* d) { return giveValue(fmax(), d); }
HRESULT VelDriveSeg::get_fdmax(double* d) { return giveValue(fdmax(), d); }
HRESULT VelDriveSeg::get_fddmax(double* d) { return giveValue(fddmax(), d); }
HRESULT VelDriveSeg::get_fdddmax(double* d) { return giveValue(fdddmax(), d); }

HRESULT VelDriveSeg::get_next(IVelDriveSeg** seg) {
  return handOut<IVelDriveSeg>(fromCore(next()), seg);
}
HRESULT VelDriveSeg::get_prev(IVelDriveSeg** seg) {
  return handOut<IVelDriveSeg>(fromCore(prev()), seg);
}

HRESULT VelDriveSeg::get_value(BSTR type, double* val) {
  if (!val) return E_POINTER;
  *val = value(reportedValueTypeOf(type));
  return S_FALSE;
}

HRESULT VelDriveSeg::put_value(BSTR type, double v) {
  char name[32] = "";
  bstrToText(type, name, sizeof name);
  const ValueType code = valueTypeFromName(name);
  if (code == vtNone) return reportError("DRV_E_UNKNOWN_PARAM: %s", name);
  if (!isVarValue(code, vsExplicit)) return reportError("DRV_E_UNSUPPORTED_PARAM: %s", name);
  if (refusedAsNonFinite(name, v)) return E_INVALIDARG;
  setValue(code, vsExplicit, v);
  return S_OK;
}

HRESULT VelDriveSeg::get_typeName(BSTR* typestr) {
  if (!typestr) return E_POINTER;
  *typestr = textToBstr(typeName());
  return S_OK;
}

HRESULT VelDriveSeg::get_clone(IVelDriveSeg** cloned) {
  return handOut<IVelDriveSeg>(createSegment(typeName()), cloned);
}

HRESULT VelDriveSeg::get__dump(BSTR* str) {
  if (!str) return E_POINTER;
  *str = textToBstr(segmentDump(this).c_str());
  return S_OK;
}

HRESULT VelDriveSeg::farr(double z, double* f) { return evaluateArray(*this, z, f); }
HRESULT VelDriveSeg::fderiv(double z, double* f, double* fd, double* fdd, double* fddd) {
  return evaluateEach(*this, z, f, fd, fdd, fddd);
}
HRESULT VelDriveSeg::f(double z, double* d) { return evaluateElement(*this, z, 0, d); }
HRESULT VelDriveSeg::fd(double z, double* d) { return evaluateElement(*this, z, 1, d); }
HRESULT VelDriveSeg::fdd(double z, double* d) { return evaluateElement(*this, z, 2, d); }
HRESULT VelDriveSeg::fddd(double z, double* d) { return evaluateElement(*this, z, 3, d); }

HRESULT VelDriveSeg::hasValue(BSTR type, LONG* b) {
  return giveFlag(hasValue(valueTypeOf(type)), b);
}

HRESULT VelDriveSeg::isVarValue(BSTR type, LONG* b) {
  return giveFlag(isVarValue(valueTypeOf(type), vsExplicit), b);
}
