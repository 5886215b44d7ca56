#include "kernel/laws/mod_sine.h"

#include <algorithm>
#include <cmath>

#include "kernel/laws/sine_limits.h"
#include "kernel/support/numeric.h"

using namespace veldrive;

namespace {

constexpr double kPiSq = kPi * kPi;
// Share of the slope difference in the offset of the second half: 0.75 − 1/π.
constexpr double kSlopeShare = 0.75 - 1.0 / kPi;

struct Shape {
  double lambda, fd0, fd1, a1, a2;
  double a() const { return lambda / (2.0 * kPi); }          // a = λ/(2π)
  double b() const { return (1.0 - lambda) / (2.0 * kPi); }  // b = (1 − λ)/(2π)
};

// 0 ≤ z ≤ λ/4: quarter wave of acceleration.
FArr& firstQuarter(const Shape& s, double z, FArr& out) {
  const double a = s.a(), x = z / a;
  // f = a·A1·(z − a·sin x) + z·fd0; f' = a·A1·(1 − cos x) + fd0
  // f'' = A1·sin x; f''' = A1/a·cos x
  out = {a * s.a1 * (z - a * std::sin(x)) + z * s.fd0, a * s.a1 * (1.0 - std::cos(x)) + s.fd0,
         s.a1 * std::sin(x), s.a1 / a * std::cos(x)};
  return out;
}

// λ/4 < z ≤ λ: falling part of the first acceleration wave, three times as wide.
FArr& firstFall(const Shape& s, double z, FArr& out) {
  const double a = s.a(), x = (z + 0.5 * s.lambda) / (3.0 * a);
  // f = a·A1·(z − 9a·sin x + (4/π)·λ) + z·fd0; f' = a·A1·(1 − 3·cos x) + fd0
  // f'' = A1·sin x; f''' = A1/(3a)·cos x
  out = {a * s.a1 * (z - 9.0 * a * std::sin(x) + 4.0 / kPi * s.lambda) + z * s.fd0,
         a * s.a1 * (1.0 - 3.0 * std::cos(x)) + s.fd0, s.a1 * std::sin(x),
         s.a1 / (3.0 * a) * std::cos(x)};
  return out;
}

// λ < z ≤ λ/4 + 0.75: rising part of the second wave, three times as wide.
FArr& secondRise(const Shape& s, double z, FArr& out) {
  const double b = s.b(), x = (z + 1.5 - 2.5 * s.lambda) / (3.0 * b);
  // f = −A2·b·(z − 9b·sin x + (4/π)·λ) + z·fd1 + (fd0 − fd1)·(0.75 − 1/π)·λ
  // f' = −A2·b·(1 − 3·cos x) + fd1; f'' = −A2·sin x; f''' = −A2/(3b)·cos x
  out = {-s.a2 * b * (z - 9.0 * b * std::sin(x) + 4.0 / kPi * s.lambda) + z * s.fd1 +
             (s.fd0 - s.fd1) * kSlopeShare * s.lambda,
         -s.a2 * b * (1.0 - 3.0 * std::cos(x)) + s.fd1, -s.a2 * std::sin(x),
         -s.a2 / (3.0 * b) * std::cos(x)};
  return out;
}

// z > λ/4 + 0.75: closing quarter wave.
FArr& lastQuarter(const Shape& s, double z, FArr& out) {
  const double b = s.b(), x = (z - s.lambda) / b;
  // f = −A2·b·(z − b·sin x − 1) + (z − 1)·fd1 + 1; f' = −A2·b·(1 − cos x) + fd1
  // f'' = −A2·sin x; f''' = −A2/b·cos x
  out = {-s.a2 * b * (z - b * std::sin(x) - 1.0) + (z - 1.0) * s.fd1 + 1.0,
         -s.a2 * b * (1.0 - std::cos(x)) + s.fd1, -s.a2 * std::sin(x), -s.a2 / b * std::cos(x)};
  return out;
}

}  // namespace

kDrvModSine::kDrvModSine() { setLambda(0.5); }

FArr& kDrvModSine::farr(double z, FArr& out) {
  const Shape s{lambda_, fd0_, fd1_, a1_, a2_};
  if (z <= 0.25 * lambda_) return firstQuarter(s, z, out);
  if (z <= lambda_) return firstFall(s, z, out);
  if (z <= 0.25 * lambda_ + 0.75) return secondRise(s, z, out);
  return lastQuarter(s, z, out);
}

// f'' keeps the sign of A1 on [0, λ] and of A2 on [λ, 1] (each half is one half wave), so f'
// is monotone on each half and its extremes lie among fd0, f'(λ) and fd1; f'' runs between 0
// and A1 on the first half and between 0 and A2 on the second. For a rest-to-rest law
// (A1 > 0 > A2) these are min(fd0, fd1), Cv, A2 and A1.
double kDrvModSine::fdmin() { return std::min({fd0_, fd1_, inflectionSlope()}); }
double kDrvModSine::fdmax() { return std::max({fd0_, fd1_, inflectionSlope()}); }
double kDrvModSine::fddmin() { return std::min({0.0, a1_, a2_}); }
double kDrvModSine::fddmax() { return std::max({0.0, a1_, a2_}); }

double kDrvModSine::value(ValueType code) {
  switch (code) {
    case vtFd0: return fd0_;
    case vtFd1: return fd1_;
    case vtFdd0:
    case vtFdd1: return 0.0;
    case vtLambda: return lambda_;
    case vtCa: return a1_;
    case vtCaStar: return a2_;
    case vtCv: return inflectionSlope();
    default: return kBaseDrive::value(code);
  }
}

int kDrvModSine::setValue(ValueType code, double v) {
  switch (code) {
    case vtFd0:
      fd0_ = v;
      updateAmplitudes();
      return kLawOk;
    case vtFd1:
      fd1_ = v;
      updateAmplitudes();
      return kLawOk;
    case vtLambda: return setLambda(v);
    case vtCaStar: return setCaStar(v);
    case vtCaEqCaStar: return setEqualPeaks();
    default: return kBaseDrive::setValue(code, v);
  }
}

void kDrvModSine::updateAmplitudes() {
  // A2 = −2π²·(1 − fd1 − (fd0 − fd1)·(0.75 − 1/π)·λ) / (1 − λ) / (π + 4)
  a2_ = -2.0 * kPiSq * (1.0 - fd1_ - (fd0_ - fd1_) * kSlopeShare * lambda_) / (1.0 - lambda_) /
        (kPi + 4.0);
  a1_ = firstAmplitude(lambda_, a2_);
}

double kDrvModSine::firstAmplitude(double lambda, double a2) const {
  // A1 = (fd1 − fd0)·π/2/λ − (1 − λ)·A2/λ
  return (fd1_ - fd0_) * kPi / 2.0 / lambda - (1.0 - lambda) * a2 / lambda;
}

// f'(λ) = 2·A1·λ/π + fd0
double kDrvModSine::inflectionSlope() const { return 2.0 * a1_ * lambda_ / kPi + fd0_; }

int kDrvModSine::setLambda(double v) {
  const ClampResult l = clampInto(v, kLambdaMin, kLambdaMax);
  lambda_ = l.value;
  updateAmplitudes();
  return l.clamped ? kLawClamped : kLawOk;
}

// Solves A2(λ) = v for λ: A2·(1 − λ)·(π + 4) = −2π²·(1 − fd1 − (fd0 − fd1)·(0.75 − 1/π)·λ).
int kDrvModSine::setCaStar(double v) {
  // D = 2π²·(fd0 − fd1)·(0.75 − 1/π) + (π + 4)·A2
  const double d = 2.0 * kPiSq * (fd0_ - fd1_) * kSlopeShare + (kPi + 4.0) * v;
  if (isZero(d)) {
    // A2 would need λ at infinity. The law keeps its λ and amplitudes (storing v alone would
    // leave a curve that no longer ends at 1) and reports that the value was not taken.
    return kLawClamped;
  }
  // λ = (2π²·(1 − fd1) + (π + 4)·A2) / D
  const double lambda = (2.0 * kPiSq * (1.0 - fd1_) + (kPi + 4.0) * v) / d;
  if (lambda < kLambdaMin || lambda > kLambdaMax) {
    // The requested Ca* is not kept: λ goes to the nearer bound and A2 follows from it.
    setLambda(lambda);
    return kLawClamped;
  }
  lambda_ = lambda;
  a2_ = v;
  a1_ = firstAmplitude(lambda_, a2_);
  return kLawOk;
}

// Chooses λ such that A1 = −A2. The condition (fd1 − fd0)·π/2 = A2·(1 − 2λ) with A2(λ) is the
// quadratic λ² + 2pλ − (p + π/(3π − 4)) = 0 with
// p = (4π·(1 − fd1)/(fd1 − fd0) − π + 4) / 2 / (3π − 4);
// roots λ = −p ± √q with q = p² + p + π/(3π − 4). Every failure leaves the law unchanged.
int kDrvModSine::setEqualPeaks() {
  const double slopeDiff = fd1_ - fd0_;
  // Equal slopes make p infinite; no root is found (the quotient is not formed).
  if (slopeDiff == 0.0) return kLawCaEqCaStarFailed;
  constexpr double kDen = 3.0 * kPi - 4.0;
  constexpr double kTail = kPi / kDen;
  const double p = (4.0 * kPi * (1.0 - fd1_) / slopeDiff - kPi + 4.0) / 2.0 / kDen;
  const double q = p * p + p + kTail;
  if (q < 0.0) return kLawCaEqCaStarFailed;
  const double r = std::sqrt(q);
  // Roots √q − p and −p − √q, each written without cancellation: their product is
  // p² − q = −(p + π/(3π − 4)). With nearly equal slopes p is huge and √q − p tends to 1/2.
  const double first = p >= 0.0 ? (p + kTail) / (r + p) : r - p;
  const double second = p >= 0.0 ? -p - r : -(p + kTail) / (r - p);
  auto inRange = [](double l) { return l >= kSolvedLambdaMin && l <= kSolvedLambdaMax; };
  double lambda;
  if (inRange(first)) {
    lambda = first;
  } else if (inRange(second)) {
    lambda = second;
  } else {
    return kLawCaEqCaStarFailed;
  }
  lambda_ = lambda;
  updateAmplitudes();
  return kLawOk;
}
