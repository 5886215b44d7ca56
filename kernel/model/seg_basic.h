#pragma once
// Segment types without parameters: the straight line and the quadratic parabola.

#include "kernel/automation/vel_drive_seg.h"

// "Linear": constant velocity. Its slope is the chord to the successor, known before compile.
class VelDriveSegLinear : public VelDriveSeg {
 public:
  VelDriveSegLinear() = default;
  VelDriveSegLinear(double z0, double f0) : VelDriveSeg(z0, f0) {}

  double value(ValueType code) override;
  int typeValues() override;
  bool isKnownValue(ValueType code) override;
  int compile(int source) override;
  const char* typeName() override { return "Linear"; }

 private:
  // (next f0 − f0) / (next z0 − z0); 0 without a successor or over a zero length.
  double chordSlope();
};

// "QuadParab": constant acceleration, then constant deceleration; starts and ends at rest.
class VelDriveSegQuadParab : public VelDriveSeg {
 public:
  VelDriveSegQuadParab() = default;
  VelDriveSegQuadParab(double z0, double f0) : VelDriveSeg(z0, f0) {}

  double value(ValueType code) override;
  int typeValues() override;
  bool isKnownValue(ValueType code) override;
  int compile(int source) override;
  const char* typeName() override { return "QuadParab"; }
};

// True for fd0, fd1, fdd0, fdd1: the boundary derivatives every segment type reports.
bool isBoundaryDerivative(ValueType code);
