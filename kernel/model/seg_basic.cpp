#include "kernel/model/seg_basic.h"

#include "kernel/laws/basic_laws.h"
#include "kernel/support/numeric.h"

bool isBoundaryDerivative(ValueType code) { return isInSet(kBoundaryDerivatives, code); }

// ---- Linear

double VelDriveSegLinear::chordSlope() {
  IVelDriveSegImp* n = next();
  if (!n) return 0.0;
  const double dz = n->z0() - z0();
  if (veldrive::isZero(dz)) return 0.0;
  // fd = (f1 − f0) / (z1 − z0)
  return (n->f0() - f0()) / dz;
}

double VelDriveSegLinear::value(ValueType code) {
  switch (code) {
    case vtFd0:
    case vtFd1: return chordSlope();
    case vtFdd0:
    case vtFdd1: return 0.0;
    default: return VelDriveSeg::value(code);
  }
}

int VelDriveSegLinear::typeValues() { return kBoundaryDerivatives; }

bool VelDriveSegLinear::isKnownValue(ValueType code) { return isBoundaryDerivative(code); }

int VelDriveSegLinear::compile(int) {
  if (!isCompiled()) setLaw(new kDrvLinear);
  return 0;
}

// ---- QuadParab

double VelDriveSegQuadParab::value(ValueType code) {
  switch (code) {
    case vtFd0:
    case vtFd1: return 0.0;
    // fdd0 = 4·fscale/zscale², fdd1 = −4·fscale/zscale² from the law; 0 before compile.
    default: return VelDriveSeg::value(code);
  }
}

int VelDriveSegQuadParab::typeValues() { return kBoundaryDerivatives; }

bool VelDriveSegQuadParab::isKnownValue(ValueType code) {
  switch (code) {
    case vtFd0:
    case vtFd1: return true;
    // The curvatures come from the law: before compile value() answers 0.0, which must not
    // be handed to a neighbour as if it were the segment's curvature.
    case vtFdd0:
    case vtFdd1: return isCompiled();
    default: return false;
  }
}

int VelDriveSegQuadParab::compile(int) {
  if (!isCompiled()) setLaw(new kDrvQuadParab);
  return 0;
}
