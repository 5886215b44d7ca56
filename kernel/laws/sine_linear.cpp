#include "kernel/laws/sine_linear.h"

#include <algorithm>
#include <cmath>

#include "kernel/laws/sine_limits.h"
#include "kernel/support/numeric.h"

using namespace veldrive;

namespace {

constexpr double kTwoOverPi = 2.0 / kPi;

struct Shape {
  double lambda, c, amp;                                       // amp = A(c, λ)
  double a() const { return 2.0 * c * lambda / kPi; }          // a = 2cλ/π
  double b() const { return 2.0 * c * (1.0 - lambda) / kPi; }  // b = 2c(1 − λ)/π
  double v() const { return amp * a(); }                       // v = A·a = 1/(1 + c·(2/π − 1))
};

// z ≤ cλ: quarter wave of acceleration from A down to 0.
FArr& firstWave(const Shape& s, double z, FArr& out) {
  const double a = s.a(), v = s.v(), x = z / a;
  // f = v·a·(1 − cos x); f' = v·sin x; f'' = A·cos x; f''' = −A/a·sin x
  out = {v * a * (1.0 - std::cos(x)), v * std::sin(x), s.amp * std::cos(x),
         -s.amp / a * std::sin(x)};
  return out;
}

// cλ < z ≤ 1 − (1 − λ)·c: constant velocity v.
FArr& straight(const Shape& s, double z, FArr& out) {
  const double v = s.v();
  // f = v·(cλ·(2/π − 1) + z); f' = v
  out = {v * (s.c * s.lambda * (kTwoOverPi - 1.0) + z), v, 0.0, 0.0};
  return out;
}

// z > 1 − (1 − λ)·c: quarter wave of deceleration from 0 down to −v/b.
FArr& lastWave(const Shape& s, double z, FArr& out) {
  const double a = s.a(), b = s.b(), v = s.v();
  const double x = (z - 1.0 + (1.0 - s.lambda) * s.c) / b;
  // f = v·(b·sin x + a + 1 − c); f' = v·cos x; f'' = −v/b·sin x; f''' = −v/b²·cos x
  out = {v * (b * std::sin(x) + a + 1.0 - s.c), v * std::cos(x), -v / b * std::sin(x),
         -v / (b * b) * std::cos(x)};
  return out;
}

}  // namespace

kDrvSineLinear::kDrvSineLinear() { storeEndCurvatures(); }

double kDrvSineLinear::startCurvature() const {
  return 0.5 * kPi / (c_ * lambda_ * ((kTwoOverPi - 1.0) * c_ + 1.0));
}

FArr& kDrvSineLinear::farr(double z, FArr& out) {
  const Shape s{lambda_, c_, startCurvature()};
  if (z <= c_ * lambda_) return firstWave(s, z, out);
  if (z <= 1.0 - (1.0 - lambda_) * c_) return straight(s, z, out);
  return lastWave(s, z, out);
}

// f' rises from 0 to Cv and falls back; f'' runs from A down to the end curvature; f''' is
// never positive: it vanishes at both ends and on the straight piece and reaches Cj and Cj*
// inside the waves, so its maximum is 0 (not the larger of the two negative peaks).
double kDrvSineLinear::fdmin() { return 0.0; }
double kDrvSineLinear::fdmax() { return value(vtCv); }
double kDrvSineLinear::fddmin() { return std::min(value(vtCaStar), value(vtCa)); }
double kDrvSineLinear::fddmax() { return std::max(value(vtCaStar), value(vtCa)); }
double kDrvSineLinear::fdddmin() { return std::min(value(vtCjStar), value(vtCj)); }
double kDrvSineLinear::fdddmax() { return std::max({value(vtCjStar), value(vtCj), 0.0}); }

double kDrvSineLinear::value(ValueType code) {
  const double amp = startCurvature();
  const double l = lambda_, c = c_;
  switch (code) {
    case vtFd0:
    case vtFd1: return 0.0;
    case vtFdd0:
    case vtCa: return amp;
    // −A·λ/(1 − λ)
    case vtFdd1:
    case vtCaStar: return -amp * l / (1.0 - l);
    // Cv = (2/π)·c·λ·A
    case vtCv: return kTwoOverPi * c * l * amp;
    // Cj = −0.5π/(c·λ)·A
    case vtCj: return -0.5 * kPi / (c * l) * amp;
    // Cj* = −0.5π·λ/c/(1 − λ)²·A
    case vtCjStar: return -0.5 * kPi * l / c / ((1.0 - l) * (1.0 - l)) * amp;
    // Cmdyn = c·λ/π·A²
    case vtCmdyn: return c * l / kPi * amp * amp;
    // Cmdyn* = −c·λ/π·λ/(1 − λ)·A²
    case vtCmdynStar: return -c * l / kPi * l / (1.0 - l) * amp * amp;
    default: return kBaseDrive::value(code);
  }
}

int kDrvSineLinear::setValue(ValueType code, double v) {
  switch (code) {
    case vtC: {
      const ClampResult c = clampInto(v, kCMin, kCMax);
      c_ = c.value;
      storeEndCurvatures();
      return c.clamped ? kLawClamped : kLawOk;
    }
    case vtLambda: {
      const ClampResult l = clampInto(v, kLambdaMin, kLambdaMax);
      lambda_ = l.value;
      storeEndCurvatures();
      return l.clamped ? kLawClamped : kLawOk;
    }
    case vtFdd0:
    case vtCa:
      // A value of (almost) zero keeps the current start curvature.
      a_ = isSmall(v) ? startCurvature() : v;
      return parametersFromEndCurvatures();
    case vtFdd1:
    case vtCaStar:
      // A value of (almost) zero keeps the end curvature that the stored A and λ give.
      b_ = isSmall(v) ? -a_ * lambda_ / (1.0 - lambda_) : v;
      return parametersFromEndCurvatures();
    default: return kBaseDrive::setValue(code, v);
  }
}

void kDrvSineLinear::storeEndCurvatures() {
  a_ = startCurvature();
  b_ = -a_ * lambda_ / (1.0 - lambda_);
}

// From f''(1)/f''(0) = −λ/(1 − λ): λ = B/(B − A). From A = 0.5π/(cλ·((2/π − 1)·c + 1)), the
// root of (1 − 2/π)·c² − c + π/(2λ|A|) = 0 that lies in (0, 1]:
// c = (0.5π/(π − 2))·(1 − √(1 − 2(π − 2)/(λ·|A|))).
int kDrvSineLinear::parametersFromEndCurvatures() {
  if (isSmall(b_ - a_)) {
    lambda_ = 0.5;
    c_ = 1.0;
    return kLawOk;
  }
  lambda_ = clampInto(b_ / (b_ - a_), kSolvedLambdaMin, kSolvedLambdaMax).value;
  if (isSmall(lambda_ * a_)) {
    c_ = 1.0;
    return kLawOk;
  }
  // λ·|A| below π²/4 (the harmonic sine's value) needs c > 1, which would make the straight
  // piece negative and break the curve, and below 2(π − 2) the root is not even real. Such a
  // pair is out of reach: c is held in its range and the result says so.
  const double radicand = 1.0 - 2.0 * (kPi - 2.0) / (lambda_ * std::fabs(a_));
  if (radicand < 0.0) {
    c_ = kCMax;
    return kLawClamped;
  }
  const ClampResult c =
      clampInto(0.5 * kPi / (kPi - 2.0) * (1.0 - std::sqrt(radicand)), kCMin, kCMax);
  c_ = c.value;
  return c.clamped ? kLawClamped : kLawOk;
}
