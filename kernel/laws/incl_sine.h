#pragma once
// The inclined sine (cycloid): rest to rest, no parameters.

#include "kernel/laws/base_drive.h"

// f = z − sin(2πz)/(2π); starts and ends at rest with zero acceleration.
class kDrvInclSine : public kBaseDrive {
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
