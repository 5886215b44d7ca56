#include "kernel/laws/harm_comb.h"

#include <algorithm>
#include <cmath>

#include "kernel/support/numeric.h"

using veldrive::kPi;

namespace {

// Below this |Ca*| no lambda in (0, 1) reaches the deceleration: Ca*(fd0, λ) → −π²/4 as λ → 0.
constexpr double kCaStarMagnitudeMin = kPi * kPi / 4.0;

// The parameters of one evaluation: amplitudes and wave lengths.
struct Shape {
  double fd0, lambda;
  double A1, A2;  // Ca and Ca*
  double a, b;    // a = 0.5·λ/π, b = 2·(1 − λ)/π
};

Shape shapeOf(double fd0, double lambda) {
  const double A2 = kDrvHarmComb::caStar(fd0, lambda);
  return {fd0,
          lambda,
          kDrvHarmComb::ca(fd0, lambda),
          A2,
          0.5 * lambda / kPi,
          2.0 * (1.0 - lambda) / kPi};
}

// z <= λ/4: acceleration rises in a quarter wave, x = z/a.
FArr& risingAcceleration(const Shape& s, double z, FArr& out) {
  const double x = z / s.a;
  const double v0 = s.fd0 / std::fabs(s.A1);
  // f = A1·(z·fd0/|A1| + a·(z − a·sin x)), f' = A1·(fd0/|A1| + a·(1 − cos x))
  // f'' = A1·sin x, f''' = A1/a·cos x
  out = {s.A1 * (z * v0 + s.a * (z - s.a * std::sin(x))), s.A1 * (v0 + s.a * (1.0 - std::cos(x))),
         s.A1 * std::sin(x), s.A1 / s.a * std::cos(x)};
  return out;
}

// λ/4 < z <= λ: acceleration falls to 0 in a quarter wave three times as long,
// x = (z − λ/4)/(3a).
FArr& fallingAcceleration(const Shape& s, double z, FArr& out) {
  const double x = (z - s.lambda / 4.0) / (3.0 * s.a);
  const double v0 = s.fd0 / std::fabs(s.A1);
  // f = A1·(z·fd0/|A1| + a·(z − 9a·cos x + 8a)), f' = A1·(fd0/|A1| + a·(3·sin x + 1))
  // f'' = A1·cos x, f''' = −A1/(3a)·sin x
  out = {s.A1 * (z * v0 + s.a * (z - 9.0 * s.a * std::cos(x) + 8.0 * s.a)),
         s.A1 * (v0 + s.a * (3.0 * std::sin(x) + 1.0)), s.A1 * std::cos(x),
         -s.A1 / (3.0 * s.a) * std::sin(x)};
  return out;
}

// z > λ: deceleration grows in a quarter wave to its peak Ca* at z = 1, x = (z − λ)/b.
FArr& deceleration(const Shape& s, double z, FArr& out) {
  const double x = (z - s.lambda) / s.b;
  const double lam = s.lambda;
  // f = −A2·(fd0/|A2|·λ·(3π − 4)/(4π) + 0.5·b/π·(0.5·λ·(π + 4) + 4·(1 − λ)·sin x))
  // f' = −A2·b·cos x, f'' = A2·sin x, f''' = A2/b·cos x
  const double f =
      -s.A2 * (s.fd0 / std::fabs(s.A2) * lam * (3.0 * kPi - 4.0) / (4.0 * kPi) +
               0.5 * s.b / kPi * (0.5 * lam * (kPi + 4.0) + 4.0 * (1.0 - lam) * std::sin(x)));
  out = {f, -s.A2 * s.b * std::cos(x), s.A2 * std::sin(x), s.A2 / s.b * std::cos(x)};
  return out;
}

}  // namespace

double kDrvHarmComb::caStar(double fd0, double lambda) {
  return -2.0 * kPi * kPi * (1.0 - fd0 * lambda * (1.0 - (kPi + 4.0) / (4.0 * kPi))) /
         (1.0 - lambda) / ((kPi - 4.0) * lambda + 8.0);
}

double kDrvHarmComb::ca(double fd0, double lambda) {
  return (-caStar(fd0, lambda) * (1.0 - lambda) - 0.5 * fd0 * kPi) / lambda;
}

double kDrvHarmComb::cv(double fd0, double lambda) {
  return std::fabs(caStar(fd0, lambda)) * 2.0 * (1.0 - lambda) / kPi;
}

double kDrvHarmComb::fd0Limit(double lambda) {
  return std::floor(kPi / ((kPi - 2.0) * lambda + 2.0));
}

FArr& kDrvHarmComb::farr(double z, FArr& out) {
  const Shape s = shapeOf(fd0_, lambda_);
  if (z <= lambda_ / 4.0) return risingAcceleration(s, z, out);
  if (z <= lambda_) return fallingAcceleration(s, z, out);
  return deceleration(s, z, out);
}

// A negative start slope makes f dip below 0 before it turns; the lowest point is where
// f' = 0. With r = −fd0/(A1·a): in the first piece 1 − cos x = r, in the second
// 3·sin x + 1 = r. f' ≥ 0 from there on, so f never exceeds f(1) = 1.
double kDrvHarmComb::fmin() {
  if (!(fd0_ < 0.0)) return kBaseDrive::fmin();
  const Shape s = shapeOf(fd0_, lambda_);
  if (!(s.A1 > 0.0)) return kBaseDrive::fmin();
  const double r = -fd0_ / (s.A1 * s.a);
  double zTurn = lambda_;
  if (r <= 1.0) {
    zTurn = s.a * std::acos(1.0 - r);
  } else if (r <= 4.0) {
    zTurn = lambda_ / 4.0 + 3.0 * s.a * std::asin((r - 1.0) / 3.0);
  }
  FArr tmp{};
  return std::min(0.0, farr(zTurn, tmp)[0]);
}

double kDrvHarmComb::value(ValueType code) {
  switch (code) {
    case vtFd0: return fd0_;
    case vtFd1:
    case vtFdd0: return 0.0;
    case vtFdd1:
    case vtCaStar: return caStar(fd0_, lambda_);
    case vtLambda: return lambda_;
    case vtCa: return ca(fd0_, lambda_);
    case vtCv: return cv(fd0_, lambda_);
    default: return kBaseDrive::value(code);
  }
}

int kDrvHarmComb::setValue(ValueType code, double v) {
  switch (code) {
    case vtLambda: return setLambda(v);
    case vtFd0: return setFd0(v);
    case vtFdd1:
    case vtCaStar: return setCaStar(v);
    default: return kBaseDrive::setValue(code, v);
  }
}

// Only a lambda strictly inside (0, 1) is taken (NaN is refused as well).
int kDrvHarmComb::setLambda(double v) {
  if (!(v > 0.0 && v < 1.0)) return kLawLambdaRefused;
  lambda_ = v;
  return kLawOk;
}

// fd0 above the limit is clamped to it. Non-finite values are refused unchanged: they
// would turn every amplitude into NaN.
int kDrvHarmComb::setFd0(double v) {
  if (!std::isfinite(v)) return kLawBeyondLimit;
  const double limit = fd0Limit(lambda_);
  if (v > limit) {
    fd0_ = limit;
    return kLawBeyondLimit;
  }
  fd0_ = v;
  return kLawOk;
}

// Solves Ca*(fd0, λ) = −m for λ, m = |v|:
//   p = (12 − π − 2π²·fd0/m·(3π − 4)/(4π)) / (2·(4 − π))
//   λ = p − √(p² − (8 − 2π²/m)/(4 − π))
// A root that is not strictly inside (0, 1) (m exactly π²/4 gives 0, an infinite m gives 1,
// NaN gives NaN) is refused like a too small m: the law would divide by λ or 1 − λ.
int kDrvHarmComb::setCaStar(double v) {
  const double m = std::fabs(v);
  if (m < kCaStarMagnitudeMin) return kLawBeyondLimit;
  const double p = (12.0 - kPi - 2.0 * kPi * kPi * fd0_ / m * (3.0 * kPi - 4.0) / (4.0 * kPi)) /
                   (2.0 * (4.0 - kPi));
  const double lambda = p - std::sqrt(p * p - (8.0 - 2.0 * kPi * kPi / m) / (4.0 - kPi));
  if (!(lambda > 0.0 && lambda < 1.0)) return kLawBeyondLimit;
  lambda_ = lambda;
  return kLawOk;
}
