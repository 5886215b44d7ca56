#pragma once
// Wrapper laws that present a transformed version of another law. Each wrapper owns the law
// it wraps and deletes it with itself; a wrapper without a law (null) answers fallbacks.

#include <memory>

#include "kernel/laws/base_drive.h"

// Point mirror of the wrapped law about (0.5, 0.5): g(z) = 1 − f(1 − z). Turns a law from
// rest to a reversal into one from a reversal to rest; values and setters of the start are
// exchanged with those of the end.
class kDrvInverse : public kBaseDrive {
 public:
  // Takes ownership of inner (may be null).
  explicit kDrvInverse(kBaseDrive* inner);
  explicit kDrvInverse(std::unique_ptr<kBaseDrive> inner);
  ~kDrvInverse() override;

  kDrvInverse(const kDrvInverse&) = delete;
  kDrvInverse& operator=(const kDrvInverse&) = delete;

  const kBaseDrive* inner() const { return inner_.get(); }

  FArr& farr(double z, FArr& out) override;
  double fmin() override;
  double fdmin() override;
  double fddmin() override;
  double fdddmin() override;
  double fmax() override;
  double fdmax() override;
  double fddmax() override;
  double fdddmax() override;
  double value(ValueType code) override;
  int setValue(ValueType code, double v) override;

 private:
  std::unique_ptr<kBaseDrive> inner_;
};

// Moves the inflection point of a law symmetric about z = 0.5 to z = lambda: the first half
// of the wrapped law is mapped onto [0, λ], the second onto [λ, 1], each affinely in z and f,
// so that f(λ) = λ and the slope is kept. λ = 0.5 evaluates exactly as the wrapped law.
class kDrvLambda : public kBaseDrive {
 public:
  // Takes ownership of inner (may be null); lambda starts at 0.5.
  explicit kDrvLambda(kBaseDrive* inner);
  explicit kDrvLambda(std::unique_ptr<kBaseDrive> inner);
  ~kDrvLambda() override;

  kDrvLambda(const kDrvLambda&) = delete;
  kDrvLambda& operator=(const kDrvLambda&) = delete;

  const kBaseDrive* inner() const { return inner_.get(); }

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
  // z stretch of the first half (2λ) and of the second half (2·(1 − λ)).
  double firstStretch() const { return 2.0 * lambda_; }
  double secondStretch() const { return 2.0 * (1.0 - lambda_); }
  // Larger of v/s1^power and v/s2^power (wantMax) or the smaller: the extreme of a
  // derivative that the wrapped law reaches in both halves.
  double stretchedExtreme(double v, int power, bool wantMax) const;

  std::unique_ptr<kBaseDrive> inner_;
  double lambda_ = 0.5;
};
