#pragma once
// VelDrive: a drive as an automation object. It forwards every IVelDrive member to the
// drive core, converts strings and result codes, and holds one reference on each segment
// of its chain.

#include "kernel/automation/vel_base.h"
#include "kernel/automation/vel_persist.h"
#include "kernel/model/drive_core.h"

class VelDrive : public VelBaseImp<IVelDrive>, public VelPersistImp, public VelDriveImp {
 public:
  // A new drive with reference count 0; whoever creates it takes the first reference.
  explicit VelDrive(const char* name = nullptr);

  VEL_FORWARD_IUNKNOWN(VelBaseImp<IVelDrive>)

  // ---- IVelDriveSeg, answered by the drive as a whole
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

  // ---- IVelDrive
  HRESULT get_name(BSTR* n) override;
  HRESULT put_name(BSTR v) override;
  HRESULT get_periodic(LONG* p) override;
  HRESULT put_periodic(LONG v) override;
  HRESULT get_head(IVelDriveSeg** seg) override;
  HRESULT put_segment(BSTR v) override;
  HRESULT add(IVelDriveSeg* seg) override;
  HRESULT remove(IVelDriveSeg* seg) override;
  HRESULT compile(LONG* res) override;
  // Serves both the interface member and the core operation of the same signature.
  HRESULT decompile() override;
  HRESULT clear() override;
  HRESULT htmlTable(BSTR* table) override;

  // The core operations keep their names beside the interface members.
  using VelDriveImp::compile;
  using VelDriveImp::farr;
  using VelDriveImp::hasValue;
  using VelDriveImp::isVarValue;
  using VelDriveImp::remove;

 protected:
  ~VelDrive() override;

  // Each linked segment is held by one reference.
  void onInsert(IVelDriveSegImp* seg) override;
  void onRemove(IVelDriveSegImp* seg) override;
};

// The creation function of the drive's class record: a new drive with count 0.
IUnknown* createVelDrive();
