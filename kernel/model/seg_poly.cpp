#include "kernel/model/seg_poly.h"

#include <utility>

#include "kernel/laws/derived_laws.h"
#include "kernel/laws/harm_comb.h"
#include "kernel/laws/mod_trapez.h"
#include "kernel/laws/poly5.h"
#include "kernel/model/seg_basic.h"
#include "kernel/support/auxcom.h"
#include "kernel/support/numeric.h"

// ---- Poly5

StoredValue* VelDriveSegPoly5::stored(ValueType code) {
  switch (code) {
    case vtFd0: return &fd0_;
    case vtFd1: return &fd1_;
    case vtFdd0: return &fdd0_;
    case vtFdd1: return &fdd1_;
    case vtLambda: return &lambda_;
    default: return nullptr;
  }
}

bool VelDriveSegPoly5::isSymmetric() const {
  // |fd0 − fd1| ≤ ε and |fdd0 + fdd1| ≤ ε
  return veldrive::isSmall(fd0_.value - fd1_.value) && veldrive::isSmall(fdd0_.value + fdd1_.value);
}

double VelDriveSegPoly5::value(ValueType code) {
  if (StoredValue* s = stored(code)) return s->value;
  return VelDriveSeg::value(code);
}

int VelDriveSegPoly5::typeValues() { return kBoundaryDerivatives | (isSymmetric() ? vtLambda : 0); }

bool VelDriveSegPoly5::isKnownValue(ValueType code) {
  return isBoundaryDerivative(code) && stored(code)->isSet();
}

bool VelDriveSegPoly5::isVarValue(ValueType code, int source) {
  if (code == vtLambda && !isSymmetric()) return false;
  if (StoredValue* s = stored(code)) return s->canSet(source);
  return VelDriveSeg::isVarValue(code, source);
}

int VelDriveSegPoly5::setValue(ValueType code, int source, double v) {
  if (StoredValue* s = stored(code)) {
    s->set(v, source);
    return 0;
  }
  return VelDriveSeg::setValue(code, source, v);
}

int VelDriveSegPoly5::compile(int) {
  if (isCompiled()) return 0;
  kBaseDrive* law = new kDrvPoly5;
  if (lambda_.isSet()) {
    if (isSymmetric() && lambda_.value != 0.5)
      law = new kDrvLambda(law);
    else
      lambda_.set(0.5, vsNone);  // the boundary values leave no inflection point to move
  }
  setLaw(law);
  const std::pair<ValueType, const StoredValue*> values[] = {
      {vtFd0, &fd0_}, {vtFd1, &fd1_}, {vtFdd0, &fdd0_}, {vtFdd1, &fdd1_}, {vtLambda, &lambda_}};
  for (const auto& [code, stored] : values)
    if (stored->isSet()) setLawValue(code, stored->value);
  return 0;  // always solvable
}

// ---- ModTrapez

bool VelDriveSegModTrapez::curvatures(ValueType code, StoredValue** own, StoredValue** opposite) {
  if (code == vtFdd0) {
    *own = &fdd0_;
    *opposite = &fdd1_;
    return true;
  }
  if (code == vtFdd1) {
    *own = &fdd1_;
    *opposite = &fdd0_;
    return true;
  }
  return false;
}

const StoredValue* VelDriveSegModTrapez::reversalShape(ValueType* code) const {
  if (lambda_.isSet()) {
    *code = vtLambda;
    return &lambda_;
  }
  if (caStar_.isSetNonZero()) {
    *code = vtCaStar;
    return &caStar_;
  }
  return nullptr;
}

double VelDriveSegModTrapez::value(ValueType code) {
  StoredValue *own = nullptr, *opposite = nullptr;
  if (curvatures(code, &own, &opposite)) {
    if (own->isSet()) return own->value;
    if (opposite->isSetNonZero()) return 0.0;  // the reversal is at the other end
    return VelDriveSeg::value(code);
  }
  switch (code) {
    case vtFd0:
    case vtFd1: return 0.0;
    case vtLambda: return lambda_.valueOr(VelDriveSeg::value(code));
    case vtCaStar: return caStar_.valueOr(VelDriveSeg::value(code));
    default: return VelDriveSeg::value(code);  // Ca, Cv, Cj, Cj*, Cmdyn, Cmdyn* from the law
  }
}

int VelDriveSegModTrapez::typeValues() {
  return kBoundaryDerivatives | vtLambda | kCharacteristicValues;
}

bool VelDriveSegModTrapez::isKnownValue(ValueType code) {
  if (code == vtFd0 || code == vtFd1) return true;  // velocity 0 at both ends
  StoredValue *own = nullptr, *opposite = nullptr;
  return curvatures(code, &own, &opposite) && isKnownOppositeReversal(*own, *opposite);
}

bool VelDriveSegModTrapez::isVarValue(ValueType code, int source) {
  StoredValue *own = nullptr, *opposite = nullptr;
  if (curvatures(code, &own, &opposite)) return own->canSet(source);
  switch (code) {
    case vtFd0:
    case vtFd1: return false;
    case vtLambda:
    case vtCaStar: return isExplicitSource(source);
    default: return VelDriveSeg::isVarValue(code, source);
  }
}

int VelDriveSegModTrapez::setValue(ValueType code, int source, double v) {
  StoredValue *own = nullptr, *opposite = nullptr;
  if (curvatures(code, &own, &opposite)) {
    own->set(v, source);
    return 0;
  }
  switch (code) {
    case vtLambda: setExclusive(lambda_, v, source, caStar_); return 0;
    case vtCaStar: setExclusive(caStar_, v, source, lambda_); return 0;
    default: return VelDriveSeg::setValue(code, source, v);
  }
}

int VelDriveSegModTrapez::compile(int) {
  if (isCompiled()) return 0;
  if (fdd0_.isZeroValue() && fdd1_.isZeroValue()) {
    // Rest to rest; lambda moves the inflection point of the symmetric law.
    if (lambda_.isSet() && lambda_.value != 0.5) {
      setLaw(new kDrvLambda(new kDrvModTrapezRR));
      setLawValue(vtLambda, lambda_.value);
    } else {
      setLaw(new kDrvModTrapezRR);
    }
    return 0;
  }
  ValueType shapeCode = vtNone;
  const StoredValue* shape = reversalShape(&shapeCode);
  if (!shape) return 1;
  if (fdd0_.isSetZero()) {
    setLaw(new kDrvModTrapez);  // rest to reversal
  } else if (fdd1_.isSetZero()) {
    setLaw(new kDrvInverse(new kDrvModTrapez));  // reversal to rest
  } else {
    return 1;  // neither end known to rest
  }
  setLawValue(shapeCode, shape->value);
  return 0;
}

// ---- HarmComb

VelDriveSegHarmComb::VelDriveSegHarmComb()
    : fd0_{0.0, vsDefault},
      fd1_{0.0, vsDefault},
      fdd0_{0.0, vsDefault},
      fdd1_{0.0, vsDefault},
      caStar_{0.0, vsDefault} {}

VelDriveSegHarmComb::VelDriveSegHarmComb(double z0, double f0) : VelDriveSeg(z0, f0) {}

bool VelDriveSegHarmComb::boundary(ValueType code, StoredValue** own, StoredValue** opposite) {
  switch (code) {
    case vtFd0:
      *own = &fd0_;
      *opposite = &fd1_;
      return true;
    case vtFd1:
      *own = &fd1_;
      *opposite = &fd0_;
      return true;
    case vtFdd0:
      *own = &fdd0_;
      *opposite = &fdd1_;
      return true;
    case vtFdd1:
      *own = &fdd1_;
      *opposite = &fdd0_;
      return true;
    default: return false;
  }
}

double VelDriveSegHarmComb::value(ValueType code) {
  StoredValue *own = nullptr, *opposite = nullptr;
  if (boundary(code, &own, &opposite)) return own->valueOr(VelDriveSeg::value(code));
  if (code == vtLambda) return lambda_.valueOr(VelDriveSeg::value(code));
  if (code == vtCaStar) return caStar_.valueOr(VelDriveSeg::value(code));
  return VelDriveSeg::value(code);  // Ca, Cv from the law
}

int VelDriveSegHarmComb::typeValues() {
  return kBoundaryDerivatives | vtLambda | kAccelerationValues;
}

bool VelDriveSegHarmComb::isKnownValue(ValueType code) {
  StoredValue *own = nullptr, *opposite = nullptr;
  return boundary(code, &own, &opposite) && isKnownOppositeReversal(*own, *opposite);
}

bool VelDriveSegHarmComb::isVarValue(ValueType code, int source) {
  StoredValue *own = nullptr, *opposite = nullptr;
  if (boundary(code, &own, &opposite)) return own->canSet(source);
  if (code == vtLambda || code == vtCaStar) return isExplicitSource(source);
  return VelDriveSeg::isVarValue(code, source);
}

int VelDriveSegHarmComb::setValue(ValueType code, int source, double v) {
  StoredValue *own = nullptr, *opposite = nullptr;
  if (boundary(code, &own, &opposite)) {
    own->set(v, source);
    return 0;
  }
  // lambda and Ca* each fix the shape, which also fixes the curvatures.
  if (code == vtLambda) {
    setExclusive(lambda_, v, source, fdd0_, fdd1_, caStar_);
    return 0;
  }
  if (code == vtCaStar) {
    setExclusive(caStar_, v, source, fdd0_, fdd1_, lambda_);
    return 0;
  }
  return VelDriveSeg::setValue(code, source, v);
}

int VelDriveSegHarmComb::compile(int) {
  if (isCompiled()) return 0;
  const bool startMoves = !fd0_.isZeroValue();
  const bool endMoves = !fd1_.isZeroValue();
  if (startMoves && endMoves) {
    reportError("%s", kReversalVelocityMessage);
    return 1;
  }
  if (endMoves) {
    // Reversal at the start: the mirrored law, whose start slope is the wrapped law's end.
    setLaw(new kDrvInverse(new kDrvHarmComb));
    setLawValue(vtFd1, fd1_.value);
  } else {
    // Reversal at the end.
    setLaw(new kDrvHarmComb);
    setLawValue(vtFd0, fd0_.value);
  }
  // The shape: lambda while set, else Ca* (setting one clears the other).
  if (lambda_.isSet())
    setLawValue(vtLambda, lambda_.value);
  else
    setLawValue(vtCaStar, caStar_.value);
  return 0;
}
