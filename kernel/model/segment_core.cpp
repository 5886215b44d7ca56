#include "kernel/model/segment_core.h"

#include <algorithm>

#include "kernel/support/numeric.h"

using veldrive::isSmall;
using veldrive::isZero;

VelDriveSegImp::~VelDriveSegImp() {
  next_ = nullptr;
  prev_ = nullptr;
}

VelDriveSegImp::Scale VelDriveSegImp::scale() {
  return {(z1() - z0()) / (law_->z1() - law_->z0()), (f1() - f0()) / (law_->f1() - law_->f0())};
}

FArr& VelDriveSegImp::farr(double z, FArr& out) {
  if (!law_ || !isCompiled()) return out;
  const Scale s = scale();
  if (isZero(s.z)) {
    // A zero-length segment shows its law's start: f = fscale·f(0) + f0, f^(k) = fscale·f^(k)(0)
    law_->farr(0.0, out);
    out[0] = s.f * out[0] + f0();
    out[1] *= s.f;
    out[2] *= s.f;
    out[3] *= s.f;
    return out;
  }
  // zn = (z − z0) / zscale; f = fscale·f(zn) + f0; f^(k) = fscale / zscale^k · f^(k)(zn)
  law_->farr((z - z0()) / s.z, out);
  const double d1 = s.f / s.z;
  const double d2 = d1 / s.z;
  const double d3 = d2 / s.z;
  out[0] = s.f * out[0] + f0();
  out[1] *= d1;
  out[2] *= d2;
  out[3] *= d3;
  return out;
}

double VelDriveSegImp::z0() { return z0_; }
double VelDriveSegImp::z1() { return next_ ? next_->z0() : z0_; }
double VelDriveSegImp::f0() { return f0_; }
double VelDriveSegImp::f1() { return next_ ? next_->f0() : f0_; }

VelDriveSegImp::Range VelDriveSegImp::fRange() {
  if (!law_) return {std::min(f0(), f1()), std::max(f0(), f1())};
  const double range = law_->fmax() - law_->fmin();
  if (isSmall(range)) return {0.0, 0.0};
  // The law's f range mapped onto the stroke: f0 + (law extreme − law f0)·(f1 − f0)/range
  const double stroke = (f1() - f0()) / range;
  const double a = f0() + (law_->fmin() - law_->f0()) * stroke;
  const double b = f0() + (law_->fmax() - law_->f0()) * stroke;
  return {std::min(a, b), std::max(a, b)};
}

double VelDriveSegImp::fmin() { return fRange().lo; }
double VelDriveSegImp::fmax() { return fRange().hi; }

double VelDriveSegImp::derivativeExtreme(int k, bool wantMax) {
  if (!law_) return 0.0;
  const Scale s = scale();
  // A falling (or flat) segment turns the law's maximum into the segment's minimum.
  const bool lawMax = (s.f > 0.0) == wantMax;
  double v = 0.0;
  switch (k) {
    case 1: v = lawMax ? law_->fdmax() : law_->fdmin(); break;
    case 2: v = lawMax ? law_->fddmax() : law_->fddmin(); break;
    default: v = lawMax ? law_->fdddmax() : law_->fdddmin(); break;
  }
  double factor = s.f;
  if (!isZero(s.z))
    for (int i = 0; i < k; ++i) factor /= s.z;
  return factor * v;
}

double VelDriveSegImp::fdmin() { return derivativeExtreme(1, false); }
double VelDriveSegImp::fddmin() { return derivativeExtreme(2, false); }
double VelDriveSegImp::fdddmin() { return derivativeExtreme(3, false); }
double VelDriveSegImp::fdmax() { return derivativeExtreme(1, true); }
double VelDriveSegImp::fddmax() { return derivativeExtreme(2, true); }
double VelDriveSegImp::fdddmax() { return derivativeExtreme(3, true); }

double VelDriveSegImp::value(ValueType code) {
  switch (code) {
    case vtZ0: return z0();
    case vtZ1: return z1();
    case vtF0: return f0();
    case vtF1: return f1();
    default: break;
  }
  if (!law_) return 0.0;
  const Scale s = scale();
  if (isZero(s.z)) return 0.0;
  switch (code) {
    case vtFd0:
    case vtFd1: return law_->value(code) * s.f / s.z;
    case vtFdd0:
    case vtFdd1: return law_->value(code) * s.f / (s.z * s.z);
    default: return law_->value(code);  // dimensionless
  }
}

void VelDriveSegImp::setLawValue(ValueType code, double v) {
  if (!law_) return;
  const Scale s = scale();
  if (s.f == 0.0) return;
  ++changes_;
  switch (code) {
    case vtFd0:
    case vtFd1: law_->setValue(code, v * s.z / s.f); break;
    case vtFdd0:
    case vtFdd1: law_->setValue(code, v * s.z * s.z / s.f); break;
    default: law_->setValue(code, v); break;
  }
}

bool VelDriveSegImp::hasValue(ValueType code) {
  return isInSet(kBoundaryValues | typeValues(), code);
}

bool VelDriveSegImp::isKnownValue(ValueType) { return false; }

bool VelDriveSegImp::isVarValue(ValueType code, int source) {
  return (code == vtZ0 || code == vtF0) && source == vsExplicit;
}

int VelDriveSegImp::setValue(ValueType code, int source, double v) {
  if (code == vtZ0) {
    z0_ = v;
    z0Source_ = source;
    ++changes_;
    if (next_ || prev_) ++linkedMoves_;
  } else if (code == vtF0) {
    f0_ = v;
    f0Source_ = source;
    ++changes_;
  }
  return 0;
}

IVelDriveSegImp* VelDriveSegImp::next() { return next_; }
void VelDriveSegImp::setNext(IVelDriveSegImp* p) { next_ = p; }
IVelDriveSegImp* VelDriveSegImp::prev() { return prev_; }
void VelDriveSegImp::setPrev(IVelDriveSegImp* p) { prev_ = p; }

bool VelDriveSegImp::isCompiled() { return law_ != nullptr; }

int VelDriveSegImp::compile(int) { return 0; }

int VelDriveSegImp::decompile() {
  law_.reset();
  ++changes_;
  return 0;
}

const char* VelDriveSegImp::typeName() { return ""; }
