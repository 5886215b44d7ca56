#pragma once
// Sine–straight-line combination: a quarter wave of cosine acceleration, a straight piece of
// constant velocity, a second quarter wave. With c = 1 the straight piece vanishes and the law is
// the harmonic sine with its inflection point at lambda.

#include "kernel/laws/base_drive.h"

// Parameters: λ, the share of the first wave in the two waves, and c, the share of the two
// waves in the whole abscissa. f'(0) = f'(1) = 0; f''(0) = A and f''(1) = −A·λ/(1 − λ): the
// acceleration jumps at both ends. Setting the end curvatures (fdd0/Ca, fdd1/Ca*) derives λ
// and c from the pair.
class kDrvSineLinear : public kBaseDrive {
 public:
  kDrvSineLinear();

  FArr& farr(double z, FArr& out) override;
  double fdmin() override;
  double fddmin() override;
  double fdddmin() override;
  double fdmax() override;
  double fddmax() override;
  double fdddmax() override;
  double value(ValueType code) override;
  int setValue(ValueType code, double v) override;

 private:
  // A(c, λ) = 0.5π / (c·λ·((2/π − 1)·c + 1))
  double startCurvature() const;
  // Stores A = A(c, λ) and B = −A·λ/(1 − λ).
  void storeEndCurvatures();
  // Derives λ and c from the stored pair (A, B).
  int parametersFromEndCurvatures();

  double a_ = 0.0;  // f''(0), the last requested or derived start curvature
  double b_ = 0.0;  // f''(1), the last requested or derived end curvature
  double lambda_ = 0.5;
  double c_ = 1.0;
};
