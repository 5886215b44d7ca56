#pragma once
// The modified sine, generalised by a free inflection point lambda and free boundary slopes.

#include "kernel/laws/base_drive.h"

// Four sine pieces: a quarter wave and a three-quarter wave of acceleration up to the
// inflection point z = λ, then the mirrored pair. f'(0) = fd0, f'(1) = fd1, f''(0) = f''(1) = 0.
// The peak accelerations A1 (before λ, reported as Ca) and A2 (after λ, Ca*) follow from
// λ, fd0 and fd1 so that f ends at 1.
class kDrvModSine : public kBaseDrive {
 public:
  kDrvModSine();

  FArr& farr(double z, FArr& out) override;
  double fdmin() override;
  double fddmin() override;
  double fdmax() override;
  double fddmax() override;
  double value(ValueType code) override;
  int setValue(ValueType code, double v) override;

 private:
  // A2, then A1, from λ, fd0 and fd1.
  void updateAmplitudes();
  // A1 that makes f' continuous at λ for a given A2.
  double firstAmplitude(double lambda, double a2) const;
  // f' at the inflection point z = λ.
  double inflectionSlope() const;

  int setLambda(double v);
  int setCaStar(double v);
  int setEqualPeaks();

  double lambda_ = 0.5;
  double fd0_ = 0.0;
  double fd1_ = 0.0;
  double a2_ = 0.0;  // peak f'' after λ (Ca*)
  double a1_ = 0.0;  // peak f'' before λ (Ca)
};
