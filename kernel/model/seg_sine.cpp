#include "kernel/model/seg_sine.h"

#include "kernel/laws/derived_laws.h"
#include "kernel/laws/incl_sine.h"
#include "kernel/laws/mod_sine.h"
#include "kernel/laws/sine_linear.h"
#include "kernel/model/seg_basic.h"

// ---- InclSine

double VelDriveSegInclSine::value(ValueType code) {
  if (isBoundaryDerivative(code)) return 0.0;  // rest to rest
  if (code == vtLambda) return lambda_.value;
  return VelDriveSeg::value(code);  // Ca, Cv, Cj, Cmdyn from the law
}

int VelDriveSegInclSine::typeValues() {
  constexpr int kValues = kBoundaryDerivatives | vtCa | vtCv | vtCj | vtCmdyn;
  // The starred values differ from the unstarred ones only once lambda moves the
  // inflection point.
  constexpr int kWithLambda = vtLambda | vtCaStar | vtCjStar | vtCmdynStar;
  return kValues | (lambda_.isSet() ? kWithLambda : 0);
}

bool VelDriveSegInclSine::isKnownValue(ValueType code) { return isBoundaryDerivative(code); }

bool VelDriveSegInclSine::isVarValue(ValueType code, int source) {
  if (isBoundaryDerivative(code)) return false;
  if (code == vtLambda) return isExplicitSource(source);
  return VelDriveSeg::isVarValue(code, source);
}

int VelDriveSegInclSine::setValue(ValueType code, int source, double v) {
  if (code == vtLambda) {
    lambda_.set(v, source);
    return 0;
  }
  return VelDriveSeg::setValue(code, source, v);
}

int VelDriveSegInclSine::compile(int) {
  if (isCompiled()) return 0;
  if (lambda_.isSet()) {
    setLaw(new kDrvLambda(new kDrvInclSine));
    setLawValue(vtLambda, lambda_.value);
  } else {
    setLaw(new kDrvInclSine);
  }
  return 0;
}

// ---- Sine

StoredValue* VelDriveSegSine::curvature(ValueType code) {
  switch (code) {
    case vtFdd0:
    case vtCa: return &fdd0_;
    case vtFdd1:
    case vtCaStar: return &fdd1_;
    default: return nullptr;
  }
}

double VelDriveSegSine::value(ValueType code) {
  if (code == vtFd0 || code == vtFd1) return 0.0;
  if (code == vtLambda) return lambda_.value;
  if (StoredValue* s = curvature(code)) return s->valueOr(VelDriveSeg::value(code));
  return VelDriveSeg::value(code);
}

int VelDriveSegSine::typeValues() {
  return kBoundaryDerivatives | vtLambda | kCharacteristicValues;
}

bool VelDriveSegSine::isKnownValue(ValueType code) {
  switch (code) {
    case vtFd0:
    case vtFd1: return true;
    // A curvature set on this segment is known at once; one that follows from lambda only
    // once the law exists (before that value() answers 0.0, not the curvature).
    case vtFdd0: return fdd0_.isSet() || (lambda_.isSet() && isCompiled());
    case vtFdd1: return fdd1_.isSet() || (lambda_.isSet() && isCompiled());
    default: return false;
  }
}

bool VelDriveSegSine::isVarValue(ValueType code, int source) {
  if (code == vtFd0 || code == vtFd1) return false;
  if (code == vtLambda) return isExplicitSource(source);
  if (StoredValue* s = curvature(code))
    return lambda_.isSet() ? isExplicitSource(source) : s->canSet(source);
  return VelDriveSeg::isVarValue(code, source);
}

int VelDriveSegSine::setValue(ValueType code, int source, double v) {
  // lambda and the pair of end curvatures shape the law in two exclusive ways.
  if (code == vtLambda) {
    setExclusive(lambda_, v, source, fdd0_, fdd1_);
    return 0;
  }
  if (StoredValue* s = curvature(code)) {
    setExclusive(*s, v, source, lambda_);
    return 0;
  }
  return VelDriveSeg::setValue(code, source, v);
}

int VelDriveSegSine::buildLaw() {
  if (lambda_.isSet()) {
    setLaw(new kDrvSineLinear);
    setLawValue(vtLambda, lambda_.value);
    return 0;
  }
  if (fdd0_.isSet() && fdd1_.isSet()) {
    // The law derives lambda and c from the pair.
    setLaw(new kDrvSineLinear);
    setLawValue(vtFdd0, fdd0_.value);
    setLawValue(vtFdd1, fdd1_.value);
    return 0;
  }
  if (!fdd0_.isSet() && !fdd1_.isSet()) {
    setLaw(new kDrvSineLinear);  // lambda 0.5, c 1: the harmonic sine
    return 0;
  }
  return 1;  // one end curvature known: wait for the other
}

int VelDriveSegSine::compile(int) {
  if (isCompiled()) return 0;
  return buildLaw();
}

// ---- SineLinear

double VelDriveSegSineLinear::value(ValueType code) {
  if (code == vtC) return c_.value;
  return VelDriveSegSine::value(code);
}

int VelDriveSegSineLinear::typeValues() { return VelDriveSegSine::typeValues() | vtC; }

bool VelDriveSegSineLinear::isVarValue(ValueType code, int source) {
  if (code == vtC) return isExplicitSource(source);
  return VelDriveSegSine::isVarValue(code, source);
}

int VelDriveSegSineLinear::setValue(ValueType code, int source, double v) {
  if (code == vtC) {
    c_.set(v, source);
    return 0;
  }
  return VelDriveSegSine::setValue(code, source, v);
}

int VelDriveSegSineLinear::compile(int) {
  if (isCompiled()) return 0;
  buildLaw();
  if (!isCompiled()) return 1;
  if (c_.isSet()) setLawValue(vtC, c_.value);
  return 0;
}

// ---- ModSine

double VelDriveSegModSine::value(ValueType code) {
  switch (code) {
    case vtFd0: return fd0_.valueOr(VelDriveSeg::value(code));
    case vtFd1: return fd1_.valueOr(VelDriveSeg::value(code));
    case vtLambda: return lambda_.valueOr(VelDriveSeg::value(code));
    case vtCaStar: return caStar_.valueOr(VelDriveSeg::value(code));
    case vtFdd0:
    case vtFdd1: return 0.0;
    default: return VelDriveSeg::value(code);  // Ca, Cv from the law
  }
}

int VelDriveSegModSine::typeValues() {
  return kBoundaryDerivatives | vtLambda | kAccelerationValues;
}

bool VelDriveSegModSine::isKnownValue(ValueType code) {
  switch (code) {
    case vtFd0: return fd0_.isSet();
    case vtFd1: return fd1_.isSet();
    case vtFdd0:
    case vtFdd1: return true;  // the law starts and ends without acceleration
    default: return false;
  }
}

bool VelDriveSegModSine::isVarValue(ValueType code, int source) {
  switch (code) {
    // The slopes follow the neighbours: a handed-over slope replaces even an explicit one.
    case vtFd0:
    case vtFd1: return true;
    case vtFdd0:
    case vtFdd1: return false;
    case vtLambda:
    case vtCaStar:
    case vtCaEqCaStar: return isExplicitSource(source);
    default: return VelDriveSeg::isVarValue(code, source);
  }
}

int VelDriveSegModSine::setValue(ValueType code, int source, double v) {
  switch (code) {
    case vtFd0: fd0_.set(v, source); return 0;
    case vtFd1: fd1_.set(v, source); return 0;
    // lambda, Ca* and Ca=Ca* each fix the shape; the latest one wins.
    case vtLambda: setExclusive(lambda_, v, source, caStar_, caEqCaStar_); return 0;
    case vtCaStar: setExclusive(caStar_, v, source, lambda_, caEqCaStar_); return 0;
    case vtCaEqCaStar: setExclusive(caEqCaStar_, 0.0, source, lambda_, caStar_); return 0;
    default: return VelDriveSeg::setValue(code, source, v);
  }
}

int VelDriveSegModSine::compile(int) {
  if (isCompiled()) return 0;
  if (fd0_.isSet() != fd1_.isSet()) return 1;  // one slope known: wait for the other
  if (!fd0_.isSet()) {
    // Neither slope known: rest to rest.
    setLaw(new kDrvModSine);
    setLawValue(vtFd0, 0.0);
    setLawValue(vtFd1, 0.0);
    return 0;
  }
  ValueType shape = vtNone;
  double shapeValue = 0.0;
  if (lambda_.isSet()) {
    shape = vtLambda;
    shapeValue = lambda_.value;
  } else if (caStar_.isSet()) {
    shape = vtCaStar;
    shapeValue = caStar_.value;
  } else if (caEqCaStar_.isSet()) {
    shape = vtCaEqCaStar;
  } else {
    // No shape chosen: take the symmetric one and build it on the next call.
    setValue(vtLambda, vsDerived, 0.5);
    return 1;
  }
  setLaw(new kDrvModSine);
  setLawValue(vtFd0, fd0_.value);
  setLawValue(vtFd1, fd1_.value);
  setLawValue(shape, shapeValue);  // 1010 (clamped) and 1012 (no root) leave the law usable
  return 0;
}
