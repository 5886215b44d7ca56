#pragma once
// The kernel's three dual automation interfaces. Early-bound clients call these members
// through the virtual table, so their order is binding; late-bound clients reach the same
// members by name and dispatch id through the type library.

#include "kernel/automation/veldrive_ids.h"
#include "platform/com/interfaces.h"

struct IVelDriveSeg : IDispatchEx {
  virtual HRESULT get_z0(double* d) = 0;                  // 0x64
  virtual HRESULT put_z0(double v) = 0;                   // 0x64
  virtual HRESULT get_z1(double* d) = 0;                  // 0x65
  virtual HRESULT get_f0(double* d) = 0;                  // 0x66
  virtual HRESULT put_f0(double v) = 0;                   // 0x66
  virtual HRESULT get_f1(double* d) = 0;                  // 0x67
  virtual HRESULT get_fd0(double* d) = 0;                 // 0x68
  virtual HRESULT get_fdd0(double* d) = 0;                // 0x6a
  virtual HRESULT get_fd1(double* d) = 0;                 // 0x69
  virtual HRESULT get_fdd1(double* d) = 0;                // 0x6b
  virtual HRESULT get_fmin(double* d) = 0;                // 0x72
  virtual HRESULT get_fdmin(double* d) = 0;               // 0x73
  virtual HRESULT get_fddmin(double* d) = 0;              // 0x74
  virtual HRESULT get_fdddmin(double* d) = 0;             // 0x75
  virtual HRESULT get_fmax(double* d) = 0;                // 0x6e
  virtual HRESULT get_fdmax(double* d) = 0;               // 0x6f
  virtual HRESULT get_fddmax(double* d) = 0;              // 0x70
  virtual HRESULT get_fdddmax(double* d) = 0;             // 0x71
  virtual HRESULT get_next(IVelDriveSeg** seg) = 0;       // 0x76
  virtual HRESULT get_prev(IVelDriveSeg** seg) = 0;       // 0x77
  virtual HRESULT get_value(BSTR type, double* val) = 0;  // 0x78
  virtual HRESULT put_value(BSTR type, double v) = 0;     // 0x78
  virtual HRESULT get_typeName(BSTR* typestr) = 0;        // 0x79
  virtual HRESULT get_clone(IVelDriveSeg** cloned) = 0;   // 0x7a
  virtual HRESULT get__dump(BSTR* str) = 0;               // 0x7b
  virtual HRESULT farr(double z, double* f) = 0;          // 0xc8, f holds four doubles
  virtual HRESULT fderiv(double z, double* f, double* fd, double* fdd, double* fddd) = 0;  // 0xc9
  virtual HRESULT f(double z, double* d) = 0;                                              // 0xca
  virtual HRESULT fd(double z, double* d) = 0;                                             // 0xcb
  virtual HRESULT fdd(double z, double* d) = 0;                                            // 0xcc
  virtual HRESULT fddd(double z, double* d) = 0;                                           // 0xcd
  virtual HRESULT hasValue(BSTR type, LONG* b) = 0;                                        // 0xce
  virtual HRESULT isVarValue(BSTR type, LONG* b) = 0;                                      // 0xcf
};

struct IVelDrive : IVelDriveSeg {
  virtual HRESULT get_name(BSTR* n) = 0;             // 0x12c
  virtual HRESULT put_name(BSTR v) = 0;              // 0x12c
  virtual HRESULT get_periodic(LONG* p) = 0;         // 0x12d
  virtual HRESULT put_periodic(LONG v) = 0;          // 0x12d
  virtual HRESULT get_head(IVelDriveSeg** seg) = 0;  // 0x12e
  virtual HRESULT put_segment(BSTR v) = 0;           // 0x12f
  virtual HRESULT add(IVelDriveSeg* seg) = 0;        // 0x190
  virtual HRESULT remove(IVelDriveSeg* seg) = 0;     // 0x191
  virtual HRESULT compile(LONG* res) = 0;            // 0x192
  virtual HRESULT decompile() = 0;                   // 0x193
  virtual HRESULT clear() = 0;                       // 0x194
  virtual HRESULT htmlTable(BSTR* table) = 0;        // 0x195
};

struct IVelDriveServer : IDispatchEx {
  virtual HRESULT get_version(BSTR* ver) = 0;                       // 0x64
  virtual HRESULT get_driveCount(LONG* count) = 0;                  // 0x65
  virtual HRESULT get_drive(SHORT idx, IVelDrive** drv) = 0;        // 0x66
  virtual HRESULT get_driveByName(BSTR name, IVelDrive** drv) = 0;  // 0x67
  virtual HRESULT get_segmentTypeCount(LONG* count) = 0;            // 0x68
  virtual HRESULT get_segmentType(SHORT idx, BSTR* typeName) = 0;   // 0x69
  virtual HRESULT get_segment(BSTR type, IVelDriveSeg** seg) = 0;   // 0x6a
  virtual HRESULT put_segment(BSTR type, IVelDriveSeg* seg) = 0;    // 0x6a
  virtual HRESULT add(IVelDrive* drv) = 0;                          // 0x190
  virtual HRESULT remove(IVelDrive* drv) = 0;                       // 0x191
  virtual HRESULT clear() = 0;                                      // 0x192
  virtual HRESULT newDrive(BSTR name, IVelDrive** drv) = 0;         // 0x193
};
