#include "kernel/laws/mod_trapez.h"

#include <cmath>
#include <cstdio>

#include "kernel/support/auxcom.h"
#include "kernel/support/numeric.h"

using veldrive::kPi;

// ---- kDrvModTrapezRR

namespace {

constexpr double kRRCv = 2.0;
constexpr double kRRCa = 4.89;  // 8π/(π + 2) ≈ 4.888
constexpr double kRRCj = 61.4;  // 32π²/(π + 2) ≈ 61.42
constexpr double kRRCmdyn = 8.09;

// S1, sine rise of the acceleration, z in [0, 1/8]:
// f = 2/(π + 2)·(z − sin(4πz)/(4π)); f' = 2/(π + 2)·(1 − cos(4πz));
// f'' = 8π/(π + 2)·sin(4πz); f''' = 32π²/(π + 2)·cos(4πz)
FArr& riseShape(double z, FArr& out) {
  const double x = 4.0 * kPi * z;
  const double s = std::sin(x), c = std::cos(x);
  const double k = 2.0 / (kPi + 2.0);
  out = {k * (z - s / (4.0 * kPi)), k * (1.0 - c), 8.0 * kPi / (kPi + 2.0) * s,
         32.0 * kPi * kPi / (kPi + 2.0) * c};
  return out;
}

// S2, constant acceleration, z in (1/8, 3/8]:
// f = (4π·z² + (2 − π)·z + (π² − 8)/(16π))/(π + 2); f' = (8π·z + 2 − π)/(π + 2);
// f'' = 8π/(π + 2); f''' = 0
FArr& constantShape(double z, FArr& out) {
  const double n = kPi + 2.0;
  out = {(4.0 * kPi * z * z + (2.0 - kPi) * z + (kPi * kPi - 8.0) / (16.0 * kPi)) / n,
         (8.0 * kPi * z + 2.0 - kPi) / n, 8.0 * kPi / n, 0.0};
  return out;
}

// S3, sine fall of the acceleration, z in (3/8, 1/2], x = 4π(z − 0.25):
// f = 2/(π + 2)·((π + 1)·z − sin(x)/(4π) − π/4); f' = 2/(π + 2)·(π + 1 − cos x);
// f'' = 8π/(π + 2)·sin x; f''' = 32π²/(π + 2)·cos x
FArr& fallShape(double z, FArr& out) {
  const double x = 4.0 * kPi * (z - 0.25);
  const double s = std::sin(x), c = std::cos(x);
  const double k = 2.0 / (kPi + 2.0);
  out = {k * ((kPi + 1.0) * z - s / (4.0 * kPi) - kPi / 4.0), k * (kPi + 1.0 - c),
         8.0 * kPi / (kPi + 2.0) * s, 32.0 * kPi * kPi / (kPi + 2.0) * c};
  return out;
}

// Point mirror about (0.5, 0.5) of a shape evaluated at 1 − z: f → 1 − f, f'' → −f'';
// f' and f''' stay.
FArr& mirrored(FArr& out) {
  out[0] = 1.0 - out[0];
  out[2] = -out[2];
  return out;
}

}  // namespace

FArr& kDrvModTrapezRR::farr(double z, FArr& out) {
  if (z <= 0.125) return riseShape(z, out);
  if (z <= 0.375) return constantShape(z, out);
  if (z <= 0.5) return fallShape(z, out);
  if (z <= 0.625) return mirrored(fallShape(1.0 - z, out));
  if (z <= 0.875) return mirrored(constantShape(1.0 - z, out));
  return mirrored(riseShape(1.0 - z, out));
}

double kDrvModTrapezRR::fdmin() { return 0.0; }
double kDrvModTrapezRR::fddmin() { return -kRRCa; }
double kDrvModTrapezRR::fdddmin() { return -kRRCj; }
double kDrvModTrapezRR::fdmax() { return kRRCv; }
double kDrvModTrapezRR::fddmax() { return kRRCa; }
double kDrvModTrapezRR::fdddmax() { return kRRCj; }

double kDrvModTrapezRR::value(ValueType code) {
  switch (code) {
    case vtFd0:
    case vtFd1:
    case vtFdd0:
    case vtFdd1: return 0.0;
    case vtCa: return kRRCa;
    case vtCaStar: return -kRRCa;
    case vtCv: return kRRCv;
    case vtCj: return kRRCj;
    case vtCjStar: return -kRRCj;
    case vtCmdyn: return kRRCmdyn;
    case vtCmdynStar: return -kRRCmdyn;
    default: return kBaseDrive::value(code);
  }
}

// ---- kDrvModTrapez

namespace {

// Ca*(λ) = −32π² / (15π² + 8 − 2λ·(9π² − 4π + 8) + λ²·(3π² − 8π + 8)): the constant
// deceleration of the second part, chosen so that the law ends at f(1) = 1. The denominator
// vanishes at λ = 1.
double caStarOf(double lambda) {
  const double pi2 = kPi * kPi;
  return -32.0 * pi2 /
         (15.0 * pi2 + 8.0 - 2.0 * lambda * (9.0 * pi2 - 4.0 * kPi + 8.0) +
          lambda * lambda * (3.0 * pi2 - 8.0 * kPi + 8.0));
}

// Ca(λ) = Ca*(λ)·(−(1 − λ)/λ)·(3π + 2)·0.5/(π + 2): the constant acceleration of the first
// part, chosen so that f' is continuous at the inflection point z = λ.
double caOf(double lambda, double caStar) {
  return caStar * (-(1.0 - lambda) / lambda) * (3.0 * kPi + 2.0) * 0.5 / (kPi + 2.0);
}

// Cv(λ) = |Ca*(λ)|·(1 − λ)·(3π + 2)/4/π, the velocity at z = λ.
double cvOf(double lambda, double caStar) {
  return std::fabs(caStar) * (1.0 - lambda) * (3.0 * kPi + 2.0) / 4.0 / kPi;
}

// The root in [0, 1] of Ca*(λ) = v: with Q = 3π² − 8π + 8 and P = 9π² − 4π + 8,
// λ = P/Q − √((P/Q)² − ((15 − 32/|v|)·π² + 8)/Q). For finite v ≠ 0 the radicand is at
// least (P/Q)² − (15π² + 8)/Q ≈ 33.1, so the root always exists; it falls below 0 for
// |v| < |Ca*(0)| ≈ 2.02. A v of 0 (no deceleration at all) gives −∞.
double lambdaOfCaStar(double v) {
  if (v == 0.0) return -HUGE_VAL;
  const double pi2 = kPi * kPi;
  const double q = 3.0 * pi2 - 8.0 * kPi + 8.0;
  const double p = 9.0 * pi2 - 4.0 * kPi + 8.0;
  const double pq = p / q;
  return pq - std::sqrt(pq * pq - ((15.0 - 32.0 / std::fabs(v)) * pi2 + 8.0) / q);
}

// The amplitudes and quarter-wave scales shared by the five pieces.
struct TrapezShape {
  double lambda;
  double A1;  // Ca(λ)
  double A2;  // Ca*(λ)
  double a;   // 0.5·λ/π
  double b;   // 0.5·(1 − λ)/π
};

// 1. z ≤ λ/4, x = z/a: f = a·A1·(z − a·sin x); f' = a·A1·(1 − cos x); f'' = A1·sin x;
//    f''' = A1/a·cos x
FArr& accelerationRise(const TrapezShape& t, double z, FArr& out) {
  const double x = z / t.a;
  const double s = std::sin(x), c = std::cos(x);
  out = {t.a * t.A1 * (z - t.a * s), t.a * t.A1 * (1.0 - c), t.A1 * s, t.A1 / t.a * c};
  return out;
}

// 2. λ/4 < z ≤ 0.75λ, d = z − λ/4: f = (0.5·d² + a·z − a²)·A1; f' = (d + a)·A1; f'' = A1;
//    f''' = 0
FArr& constantAcceleration(const TrapezShape& t, double z, FArr& out) {
  const double d = z - t.lambda / 4.0;
  out = {(0.5 * d * d + t.a * z - t.a * t.a) * t.A1, (d + t.a) * t.A1, t.A1, 0.0};
  return out;
}

// 3. 0.75λ < z ≤ λ, x = (z − 0.75λ)/a: f = a·A1·((1 + π)·z − 0.5π·λ − a·cos x);
//    f' = a·A1·(1 + π + sin x); f'' = A1·cos x; f''' = −A1/a·sin x
FArr& accelerationFall(const TrapezShape& t, double z, FArr& out) {
  const double x = (z - 0.75 * t.lambda) / t.a;
  const double s = std::sin(x), c = std::cos(x);
  out = {t.a * t.A1 * ((1.0 + kPi) * z - 0.5 * kPi * t.lambda - t.a * c),
         t.a * t.A1 * (1.0 + kPi + s), t.A1 * c, -t.A1 / t.a * s};
  return out;
}

// 4. λ < z ≤ (3λ + 1)/4, x = (z − λ)/b: f = A2·b·((3π − 2)/4·λ − 1.5π·z − b·sin x);
//    f' = −A2·b·(1.5π + cos x); f'' = A2·sin x; f''' = A2/b·cos x
FArr& decelerationRise(const TrapezShape& t, double z, FArr& out) {
  const double x = (z - t.lambda) / t.b;
  const double s = std::sin(x), c = std::cos(x);
  out = {t.A2 * t.b * ((3.0 * kPi - 2.0) / 4.0 * t.lambda - 1.5 * kPi * z - t.b * s),
         -t.A2 * t.b * (1.5 * kPi + c), t.A2 * s, t.A2 / t.b * c};
  return out;
}

// 5. z > (3λ + 1)/4, d = z − 1: f = (0.5·d² − 1/|A2|)·A2; f' = d·A2; f'' = A2; f''' = 0
FArr& constantDeceleration(const TrapezShape& t, double z, FArr& out) {
  const double d = z - 1.0;
  out = {(0.5 * d * d - 1.0 / std::fabs(t.A2)) * t.A2, d * t.A2, t.A2, 0.0};
  return out;
}

}  // namespace

kDrvModTrapez::kDrvModTrapez() { formatTraceLines(); }

void kDrvModTrapez::formatTraceLines() {
  const double caStar = caStarOf(lambda_);
  std::snprintf(lambdaLine_, sizeof lambdaLine_, "lam(%lg)\n", lambda_);
  std::snprintf(amplitudeLine_, sizeof amplitudeLine_, "lam(%lg), ca(%lg), cas(%lg)\n", lambda_,
                caOf(lambda_, caStar), caStar);
}

FArr& kDrvModTrapez::farr(double z, FArr& out) {
  // "lam(λ)" and "lam(λ), ca(Ca(λ)), cas(Ca*(λ))", formatted when λ was set
  traceDebug("%s", lambdaLine_);
  traceDebug("%s", amplitudeLine_);

  const double lambda = lambda_;
  const double A2 = caStarOf(lambda);
  const double A1 = caOf(lambda, A2);

  const TrapezShape t{lambda, A1, A2, 0.5 * lambda / kPi, 0.5 * (1.0 - lambda) / kPi};
  if (z <= lambda / 4.0) return accelerationRise(t, z, out);
  if (z <= 0.75 * lambda) return constantAcceleration(t, z, out);
  if (z <= lambda) return accelerationFall(t, z, out);
  if (z <= (3.0 * lambda + 1.0) / 4.0) return decelerationRise(t, z, out);
  return constantDeceleration(t, z, out);
}

double kDrvModTrapez::value(ValueType code) {
  const double caStar = caStarOf(lambda_);
  switch (code) {
    case vtFd0:
    case vtFd1:
    case vtFdd0: return 0.0;
    case vtFdd1:
    case vtCaStar: return caStar;
    case vtLambda: return lambda_;
    case vtCa: return caOf(lambda_, caStar);
    case vtCv: return cvOf(lambda_, caStar);
    // Cmdyn(λ) = 0.6772·λ·Ca(λ)²; Cmdyn*(λ) = −0.766·(1 − λ)·Ca*(λ)²: the peaks of f'·f''
    // in the sine fall of the acceleration and the sine rise of the deceleration, with the
    // shape factors max((1 + π + sin x)·cos x)/(2π) and max((1.5π + cos x)·sin x)/(2π).
    case vtCmdyn: {
      const double ca = caOf(lambda_, caStar);
      return 0.6772 * lambda_ * ca * ca;
    }
    case vtCmdynStar: return -0.766 * (1.0 - lambda_) * caStar * caStar;
    default: return kBaseDrive::value(code);
  }
}

int kDrvModTrapez::setValue(ValueType code, double v) {
  switch (code) {
    case vtLambda: return storeLambda(v);
    case vtFdd1:
    case vtCaStar: return storeLambda(lambdaOfCaStar(v));
    default: return kBaseDrive::setValue(code, v);
  }
}

// λ = 0 or 1 makes the amplitudes infinite and a λ outside [0, 1] gives a curve that does
// not start at 0, so λ is held within [kLambdaMin, 1 − kLambdaMin] like the other laws that
// take a lambda; a NaN would spoil every later evaluation and is refused.
int kDrvModTrapez::storeLambda(double lambda) {
  if (std::isnan(lambda)) return kLawLambdaRefused;
  int result = kLawOk;
  if (lambda < kLambdaMin) {
    lambda = kLambdaMin;
    result = kLawClamped;
  } else if (lambda > 1.0 - kLambdaMin) {
    lambda = 1.0 - kLambdaMin;
    result = kLawClamped;
  }
  lambda_ = lambda;
  formatTraceLines();
  return result;
}
