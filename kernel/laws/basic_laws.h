#pragma once
// The two laws without parameters: straight line and quadratic parabola.

#include "kernel/laws/base_drive.h"

// Straight line, constant velocity: f = z.
class kDrvLinear : public kBaseDrive {
 public:
  FArr& farr(double z, FArr& out) override;
  double fdmin() override;
  double fddmin() override;
  double fdddmin() override;
  double fdmax() override;
  double fddmax() override;
  double fdddmax() override;
  double value(ValueType code) override;
};

// Quadratic parabola: constant acceleration up to z = 0.5, constant deceleration after.
class kDrvQuadParab : public kBaseDrive {
 public:
  FArr& farr(double z, FArr& out) override;
  double fdmin() override;
  double fddmin() override;
  double fdddmin() override;
  double fdmax() override;
  double fddmax() override;
  double fdddmax() override;
  double value(ValueType code) override;
};
