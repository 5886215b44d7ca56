#pragma once
// Harmonic combination: a motion from a start with slope fd0 (and no acceleration) to a
// reversal at z = 1 (f' = 0 with the deceleration Ca* still acting).

#include "kernel/laws/base_drive.h"

// The acceleration rises and falls in two sine quarter waves before the inflection point
// lambda (lengths lambda/4 and 3·lambda/4); after it the deceleration is one quarter wave
// that ends at its peak Ca* at z = 1.
class kDrvHarmComb : public kBaseDrive {
 public:
  kDrvHarmComb() = default;

  // Amplitudes as functions of the parameters; the law computes them on each use.
  // Ca*(fd0, λ) = −2π²·(1 − fd0·λ·(1 − (π + 4)/(4π))) / (1 − λ) / ((π − 4)·λ + 8)
  static double caStar(double fd0, double lambda);
  // Ca(fd0, λ) = (−Ca*·(1 − λ) − 0.5·fd0·π) / λ
  static double ca(double fd0, double lambda);
  // Cv(fd0, λ) = |Ca*|·2·(1 − λ)/π, the slope at the inflection point
  static double cv(double fd0, double lambda);
  // Largest fd0 the law accepts for a given lambda: the integer part of π/((π − 2)·λ + 2).
  static double fd0Limit(double lambda);

  FArr& farr(double z, FArr& out) override;
  double fmin() override;
  double value(ValueType code) override;
  int setValue(ValueType code, double v) override;

 private:
  int setLambda(double v);
  int setFd0(double v);
  int setCaStar(double v);

  double fd0_ = 0.0;
  double lambda_ = 0.5;
};
