#pragma once
// VelDriveSeg: a segment as an automation object. Every segment type derives from it and
// decides, on the core, which values it has and how it builds its law.

#include "kernel/automation/vel_base.h"
#include "kernel/automation/vel_persist.h"
#include "kernel/model/segment_core.h"

class VelDriveSeg : public VelBaseImp<IVelDriveSeg>, public VelPersistImp, public VelDriveSegImp {
 public:
  VEL_FORWARD_IUNKNOWN(VelBaseImp<IVelDriveSeg>)

  // ---- IVelDriveSeg
  HRESULT get_z0(double* d) override;
  HRESULT put_z0(double v) override;
  HRESULT get_z1(double* d) override;
  HRESULT get_f0(double* d) override;
  HRESULT put_f0(double v) override;
  HRESULT get_f1(double* d) override;
  HRESULT get_fd0(double* d) override;
  HRESULT get_fdd0(double* d) override;
  HRESULT get_fd1(double* d) override;
  HRESULT get_fdd1(double* d) override;
  HRESULT get_fmin(double* d) override;
  HRESULT get_fdmin(double* d) override;
  HRESULT get_fddmin(double* d) override;
  HRESULT get_fdddmin(double* d) override;
  HRESULT get_fmax(double* d) override;
  HRESULT get_fdmax(double* d) override;
  HRESULT get_fddmax(double* d) override;
  HRESULT get_fdddmax(double* d) override;
  HRESULT get_next(IVelDriveSeg** seg) override;
  HRESULT get_prev(IVelDriveSeg** seg) override;
  HRESULT get_value(BSTR type, double* val) override;
  HRESULT put_value(BSTR type, double v) override;
  HRESULT get_typeName(BSTR* typestr) override;
  HRESULT get_clone(IVelDriveSeg** cloned) override;
  HRESULT get__dump(BSTR* str) override;
  HRESULT farr(double z, double* f) override;
  HRESULT fderiv(double z, double* f, double* fd, double* fdd, double* fddd) override;
  HRESULT f(double z, double* d) override;
  HRESULT fd(double z, double* d) override;
  HRESULT fdd(double z, double* d) override;
  HRESULT fddd(double z, double* d) override;
  HRESULT hasValue(BSTR type, LONG* b) override;
  HRESULT isVarValue(BSTR type, LONG* b) override;

  // The core operations keep their names beside the interface members.
  using VelDriveSegImp::farr;
  using VelDriveSegImp::hasValue;
  using VelDriveSegImp::isVarValue;

  // The automation object of a segment core, or null when the core is none of ours.
  static VelDriveSeg* fromCore(IVelDriveSegImp* core) {
    return core ? core->automationObject() : nullptr;
  }
  VelDriveSeg* automationObject() override { return this; }

 protected:
  VelDriveSeg();
  VelDriveSeg(double z0, double f0);
  ~VelDriveSeg() override = default;
};

// Out parameters of the automation members: E_POINTER for a null one.
HRESULT giveValue(double v, double* d);
HRESULT giveFlag(bool v, LONG* b);

// The evaluation members of IVelDriveSeg over any segment core, a segment's or a whole
// drive's: all four values into f (left as they are where the core writes nothing), each
// into its own out parameter, or element k alone.
HRESULT evaluateArray(IVelDriveSegImp& core, double z, double* f);
HRESULT evaluateEach(IVelDriveSegImp& core, double z, double* f, double* fd, double* fdd,
                     double* fddd);
HRESULT evaluateElement(IVelDriveSegImp& core, double z, int k, double* d);

// Converts an automation string holding a value name to its code (vtNone when unknown).
ValueType valueTypeOf(BSTR name);
// The same for a value a client reads: an unknown name still reads 0, but is reported, so a
// misspelt name does not pass for a value of 0.
ValueType reportedValueTypeOf(BSTR name);
// Hands an interface pointer to the caller with one reference added (null stays null).
template <class I>
inline HRESULT handOut(I* p, I** out) {
  if (!out) return E_POINTER;
  if (p) p->AddRef();
  *out = p;
  return S_OK;
}
