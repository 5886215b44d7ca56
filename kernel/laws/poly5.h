#pragma once
// The polynomial of fifth degree with free slope and curvature at both ends.

#include "kernel/laws/base_drive.h"

// f(0) = 0, f'(0) = fd0, f''(0) = fdd0, f(1) = 1, f'(1) = fd1, f''(1) = fdd1.
// With all four boundary values 0 it is the 3-4-5 polynomial f = 10z³ − 15z⁴ + 6z⁵.
// The derivative extremes are the sampled ones of the base.
class kDrvPoly5 : public kBaseDrive {
 public:
  FArr& farr(double z, FArr& out) override;
  // fd0, fd1, fdd0, fdd1 give the parameters.
  double value(ValueType code) override;
  // fd0, fd1, fdd0, fdd1 store the value (result 0); other codes go to the base.
  int setValue(ValueType code, double v) override;

 private:
  double fd0_ = 0.0;
  double fdd0_ = 0.0;
  double fd1_ = 0.0;
  double fdd1_ = 0.0;
};
