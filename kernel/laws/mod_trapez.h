#pragma once
// The modified acceleration trapezoid: rest to rest (kDrvModTrapezRR) and rest to a
// reversal (kDrvModTrapez), whose velocity is 0 at z = 1 while the full deceleration acts.

#include "kernel/laws/base_drive.h"

// Modified acceleration trapezoid of VDI 2143, rest to rest, without parameters. Eight
// pieces of length 1/8: a sine rise of the acceleration, constant acceleration, a sine fall,
// and their point mirror about (0.5, 0.5). Extremes and characteristic values are the
// published rounded figures (Cv 2.0, Ca 4.89, Cj 61.4, Cmdyn 8.09).
class kDrvModTrapezRR : public kBaseDrive {
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

// Modified trapezoid from rest to a reversal: f'(0) = f''(0) = 0, f'(1) = 0, f''(1) = Ca*(λ).
// lambda places the velocity maximum (and the inflection point). Ca(λ), Ca*(λ) and the other
// characteristic values are computed from λ on every request; every evaluation writes two
// trace lines. The derivative extremes are the sampled ones of the base.
class kDrvModTrapez : public kBaseDrive {
 public:
  kDrvModTrapez();

  // Writes "lam(%lg)\n" and "lam(%lg), ca(%lg), cas(%lg)\n" through traceDebug, then
  // evaluates.
  FArr& farr(double z, FArr& out) override;
  // fd0, fd1, fdd0: 0; fdd1 and Ca*: Ca*(λ); lambda: λ; Ca, Cv, Cmdyn, Cmdyn*: their
  // functions of λ; other codes go to the base.
  double value(ValueType code) override;
  // lambda: stores λ. fdd1 or Ca*: sets λ to the root of Ca*(λ) = v in [0, 1] (the sign of v
  // is ignored). λ is kept within [kLambdaMin, 1 − kLambdaMin]: a value outside is clamped
  // to the bound and the result is 1010; a value that is not a number is refused (λ kept,
  // result 1018). Other codes go to the base.
  int setValue(ValueType code, double v) override;

  // The smallest distance of λ from 0 and 1 (2^-26): closer to the ends the amplitudes grow
  // beyond what the pieces can resolve, and at 0 or 1 they are infinite.
  static constexpr double kLambdaMin = 0x1p-26;

 private:
  int storeLambda(double lambda);
  // Formats the two trace lines for the current λ (they depend on λ alone).
  void formatTraceLines();

  double lambda_ = 0.5;
  // The trace lines of every evaluation, formatted when λ changes: formatting four doubles
  // costs far more than the evaluation itself, and the law is evaluated thousands of times
  // per λ.
  char lambdaLine_[32];
  char amplitudeLine_[96];
};
