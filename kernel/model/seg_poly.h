#pragma once
// Segment types with free boundary values or a reversal: the fifth-order polynomial, the
// modified trapezoid and the harmonic combination.

#include "kernel/automation/vel_drive_seg.h"
#include "kernel/model/stored_value.h"

// "Poly5": slope and curvature free at both ends (Default 0: the 3-4-5 polynomial); lambda
// moves the inflection point while the boundary values are symmetric.
class VelDriveSegPoly5 : public VelDriveSeg {
 public:
  VelDriveSegPoly5() = default;
  VelDriveSegPoly5(double z0, double f0) : VelDriveSeg(z0, f0) {}

  using VelDriveSeg::isVarValue;

  double value(ValueType code) override;
  int typeValues() override;
  bool isKnownValue(ValueType code) override;
  bool isVarValue(ValueType code, int source) override;
  int setValue(ValueType code, int source, double v) override;
  int compile(int source) override;
  const char* typeName() override { return "Poly5"; }

 private:
  // The store of fd0, fd1, fdd0, fdd1 or lambda; null for other codes.
  StoredValue* stored(ValueType code);
  // fd0 = fd1 and fdd0 = −fdd1 (within 1.1920928955078125e-7): the law is point-symmetric
  // about its middle, so lambda can move the inflection point.
  bool isSymmetric() const;

  StoredValue fd0_{0.0, vsDefault};
  StoredValue fd1_{0.0, vsDefault};
  StoredValue fdd0_{0.0, vsDefault};
  StoredValue fdd1_{0.0, vsDefault};
  StoredValue lambda_{0.5, vsNone};
};

// "ModTrapez": the modified trapezoid from rest to rest, from rest to a reversal, or from a
// reversal to rest, as the end curvatures say; lambda or Ca* shapes the reversal laws.
class VelDriveSegModTrapez : public VelDriveSeg {
 public:
  VelDriveSegModTrapez() = default;
  VelDriveSegModTrapez(double z0, double f0) : VelDriveSeg(z0, f0) {}

  using VelDriveSeg::isVarValue;

  double value(ValueType code) override;
  int typeValues() override;
  bool isKnownValue(ValueType code) override;
  bool isVarValue(ValueType code, int source) override;
  int setValue(ValueType code, int source, double v) override;
  int compile(int source) override;
  const char* typeName() override { return "ModTrapez"; }

 private:
  // The store of fdd0 or fdd1 and the one of the opposite end; false for other codes.
  bool curvatures(ValueType code, StoredValue** own, StoredValue** opposite);
  // The value that shapes a reversal: lambda while set, else a set, non-zero Ca*; null if
  // neither.
  const StoredValue* reversalShape(ValueType* code) const;

  StoredValue fdd0_{0.0, vsNone};
  StoredValue fdd1_{0.0, vsNone};
  StoredValue lambda_{0.5, vsDefault};
  StoredValue caStar_{0.0, vsNone};
};

// "HarmComb": the harmonic combination with a reversal at one end, shaped by lambda or by
// Ca*; the velocities decide at which end the reversal lies.
class VelDriveSegHarmComb : public VelDriveSeg {
 public:
  // Every value a default that counts as set.
  VelDriveSegHarmComb();
  // Only lambda a default; the boundary values and Ca* unset.
  VelDriveSegHarmComb(double z0, double f0);

  using VelDriveSeg::isVarValue;

  double value(ValueType code) override;
  int typeValues() override;
  bool isKnownValue(ValueType code) override;
  bool isVarValue(ValueType code, int source) override;
  int setValue(ValueType code, int source, double v) override;
  int compile(int source) override;
  const char* typeName() override { return "HarmComb"; }

  // Reported when both ends move: a reversal needs f' = 0 at one of them.
  static constexpr const char* kReversalVelocityMessage =
      "HarmComb: Geschwindigkeit am Umkehrrand muss 0 sein.";

 private:
  // The store of fd0, fd1, fdd0 or fdd1 and the one of the same derivative at the opposite
  // end; false for other codes.
  bool boundary(ValueType code, StoredValue** own, StoredValue** opposite);

  StoredValue fd0_, fd1_, fdd0_, fdd1_;
  StoredValue lambda_{0.5, vsDefault};
  StoredValue caStar_;
};
