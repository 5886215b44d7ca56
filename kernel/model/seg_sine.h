#pragma once
// Segment types of the sine laws: inclined sine, sine, sine–straight-line combination and
// modified sine.

#include "kernel/automation/vel_drive_seg.h"
#include "kernel/model/stored_value.h"

// "InclSine": the cycloid from rest to rest; an explicit lambda moves its inflection point.
class VelDriveSegInclSine : public VelDriveSeg {
 public:
  VelDriveSegInclSine() = default;
  VelDriveSegInclSine(double z0, double f0) : VelDriveSeg(z0, f0) {}

  using VelDriveSeg::isVarValue;

  double value(ValueType code) override;
  int typeValues() override;
  bool isKnownValue(ValueType code) override;
  bool isVarValue(ValueType code, int source) override;
  int setValue(ValueType code, int source, double v) override;
  int compile(int source) override;
  const char* typeName() override { return "InclSine"; }

 private:
  StoredValue lambda_{0.5, vsNone};
};

// "Sine": the harmonic sine, shaped either by lambda or by the curvatures at its two ends
// (fdd0 shares its store with Ca, fdd1 with Ca*). Built on the sine–straight-line law.
class VelDriveSegSine : public VelDriveSeg {
 public:
  VelDriveSegSine() = default;
  VelDriveSegSine(double z0, double f0) : VelDriveSeg(z0, f0) {}

  using VelDriveSeg::isVarValue;

  double value(ValueType code) override;
  int typeValues() override;
  bool isKnownValue(ValueType code) override;
  bool isVarValue(ValueType code, int source) override;
  int setValue(ValueType code, int source, double v) override;
  int compile(int source) override;
  const char* typeName() override { return "Sine"; }

 protected:
  // Builds the law from lambda, from both end curvatures, or with its defaults when nothing
  // is set; 0 when a law was built, 1 when only one end curvature is known.
  int buildLaw();

 private:
  // The store shared by fdd0 and Ca, or by fdd1 and Ca*; null for other codes.
  StoredValue* curvature(ValueType code);

  StoredValue fdd0_{0.0, vsNone};
  StoredValue fdd1_{0.0, vsNone};
  StoredValue lambda_{0.5, vsNone};
};

// "SineLinear": a "Sine" with a straight piece of constant velocity between its two quarter
// waves; c is the share of the two waves in the whole interval.
class VelDriveSegSineLinear : public VelDriveSegSine {
 public:
  // c = 0 with no source: the law keeps its own c (1, the harmonic sine).
  VelDriveSegSineLinear() = default;
  // c = 1 as a default that counts as set.
  VelDriveSegSineLinear(double z0, double f0) : VelDriveSegSine(z0, f0), c_{1.0, vsDefault} {}

  using VelDriveSegSine::isVarValue;

  double value(ValueType code) override;
  int typeValues() override;
  bool isVarValue(ValueType code, int source) override;
  int setValue(ValueType code, int source, double v) override;
  int compile(int source) override;
  const char* typeName() override { return "SineLinear"; }

 private:
  StoredValue c_{0.0, vsNone};
};

// "ModSine": the modified sine with free slopes at both ends, shaped by one of lambda, Ca*
// or the command Ca=Ca*.
class VelDriveSegModSine : public VelDriveSeg {
 public:
  VelDriveSegModSine() = default;
  VelDriveSegModSine(double z0, double f0) : VelDriveSeg(z0, f0) {}

  using VelDriveSeg::isVarValue;

  double value(ValueType code) override;
  // Ca=Ca* is a command without a value: false.
  int typeValues() override;
  bool isKnownValue(ValueType code) override;
  bool isVarValue(ValueType code, int source) override;
  int setValue(ValueType code, int source, double v) override;
  int compile(int source) override;
  const char* typeName() override { return "ModSine"; }

 private:
  StoredValue fd0_{0.0, vsNone};
  StoredValue fd1_{0.0, vsNone};
  StoredValue lambda_{0.5, vsNone};
  StoredValue caStar_{0.0, vsNone};
  StoredValue caEqCaStar_{0.0, vsNone};  // only its source counts
};
