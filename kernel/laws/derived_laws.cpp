#include "kernel/laws/derived_laws.h"

#include <algorithm>
#include <utility>

#include "kernel/support/numeric.h"

namespace {

// lambda at or below this, or at or above kLambdaHighest, leaves evaluations unchanged.
constexpr double kLambdaLowest = veldrive::kIsZeroLimit;
constexpr double kLambdaHighest = 1.0 - 2.0 * veldrive::kIsZeroLimit;
// Where setValue(lambda) puts values outside [0, 1].
constexpr double kLambdaClampLow = veldrive::kIsZeroLimit;
constexpr double kLambdaClampHigh = 1.0 - veldrive::kIsZeroLimit;

}  // namespace

// ---- kDrvInverse

kDrvInverse::kDrvInverse(kBaseDrive* inner) : inner_(inner) {}
kDrvInverse::kDrvInverse(std::unique_ptr<kBaseDrive> inner) : inner_(std::move(inner)) {}
kDrvInverse::~kDrvInverse() = default;

// g(z) = 1 − f(1 − z), g' = f'(1 − z), g'' = −f''(1 − z), g''' = f'''(1 − z)
FArr& kDrvInverse::farr(double z, FArr& out) {
  if (!inner_) return out;
  inner_->farr(1.0 - z, out);
  out[0] = 1.0 - out[0];
  out[2] = -out[2];
  return out;
}

// Mirroring f and f'' swaps their minimum and maximum; f' and f''' keep theirs.
double kDrvInverse::fmin() { return inner_ ? 1.0 - inner_->fmax() : 0.0; }
double kDrvInverse::fdmin() { return inner_ ? inner_->fdmin() : 0.0; }
double kDrvInverse::fddmin() { return inner_ ? -inner_->fddmax() : 0.0; }
double kDrvInverse::fdddmin() { return inner_ ? inner_->fdddmin() : 0.0; }
double kDrvInverse::fmax() { return inner_ ? 1.0 - inner_->fmin() : 1.0; }
double kDrvInverse::fdmax() { return inner_ ? inner_->fdmax() : 1.0; }
double kDrvInverse::fddmax() { return inner_ ? -inner_->fddmin() : 1.0; }
double kDrvInverse::fdddmax() { return inner_ ? inner_->fdddmax() : 1.0; }

// The start of the mirrored law is the end of the wrapped one: slopes are exchanged,
// curvatures exchanged and negated; Ca and Ca* are negated.
double kDrvInverse::value(ValueType code) {
  if (!inner_) return 0.0;
  switch (code) {
    case vtFd0: return inner_->value(vtFd1);
    case vtFd1: return inner_->value(vtFd0);
    case vtFdd0: return -inner_->value(vtFdd1);
    case vtFdd1: return -inner_->value(vtFdd0);
    case vtCa:
    case vtCaStar: return -inner_->value(code);
    default: return inner_->value(code);
  }
}

int kDrvInverse::setValue(ValueType code, double v) {
  if (!inner_) return kLawOk;
  switch (code) {
    case vtFd0: return inner_->setValue(vtFd1, v);
    case vtFd1: return inner_->setValue(vtFd0, v);
    case vtFdd0: return inner_->setValue(vtFdd1, -v);
    case vtFdd1: return inner_->setValue(vtFdd0, -v);
    case vtCa:
    case vtCaStar: return inner_->setValue(code, -v);
    default: return inner_->setValue(code, v);
  }
}

// ---- kDrvLambda

kDrvLambda::kDrvLambda(kBaseDrive* inner) : inner_(inner) {}
kDrvLambda::kDrvLambda(std::unique_ptr<kBaseDrive> inner) : inner_(std::move(inner)) {}
kDrvLambda::~kDrvLambda() = default;

FArr& kDrvLambda::farr(double z, FArr& out) {
  if (!inner_) return out;
  if (lambda_ == 0.5) return inner_->farr(z, out);
  if (lambda_ <= kLambdaLowest || lambda_ >= kLambdaHighest) return out;
  if (z <= lambda_) {
    // first half: u = z/(2λ); f = 2λ·f(u), f' kept, f'' = f''/(2λ), f''' = f'''/(4λ²)
    const double s = firstStretch();
    inner_->farr(z / s, out);
    out[0] *= s;
    out[2] /= s;
    out[3] /= s * s;
  } else {
    // second half: u = (z − λ)·0.5/(1 − λ) + 0.5; f = 2(1 − λ)·(f(u) − 0.5) + λ,
    // f' kept, f'' = f''/(2(1 − λ)), f''' = f'''/(4(1 − λ)²)
    const double s = secondStretch();
    inner_->farr((z - lambda_) * 0.5 / (1.0 - lambda_) + 0.5, out);
    out[0] = s * (out[0] - 0.5) + lambda_;
    out[2] /= s;
    out[3] /= s * s;
  }
  return out;
}

double kDrvLambda::stretchedExtreme(double v, int power, bool wantMax) const {
  double s1 = firstStretch(), s2 = secondStretch();
  if (power == 2) {
    s1 *= s1;
    s2 *= s2;
  }
  return wantMax ? std::max(v / s1, v / s2) : std::min(v / s1, v / s2);
}

// The slope is not stretched.
double kDrvLambda::fdmin() { return inner_ ? inner_->fdmin() : 0.0; }
double kDrvLambda::fdmax() { return inner_ ? inner_->fdmax() : 0.0; }

// A symmetric law accelerates in its first half and decelerates in its second: the peak
// acceleration is stretched with the first half, the peak deceleration with the second.
double kDrvLambda::fddmax() { return inner_ ? inner_->fddmax() / firstStretch() : 0.0; }
double kDrvLambda::fddmin() { return inner_ ? inner_->fddmin() / secondStretch() : 0.0; }

// f''' of a symmetric law takes the same values in both halves; the more strongly
// compressed half gives the extreme.
double kDrvLambda::fdddmax() { return inner_ ? stretchedExtreme(inner_->fdddmax(), 2, true) : 0.0; }
double kDrvLambda::fdddmin() {
  return inner_ ? stretchedExtreme(inner_->fdddmin(), 2, false) : 0.0;
}

// Characteristic values of the first half scale with 0.5/λ (0.25/λ² for the jerk), the
// starred ones are derived from the wrapped law's unstarred ones with the second half's
// scale, so they come out positive. The end curvatures follow their own half.
double kDrvLambda::value(ValueType code) {
  if (code == vtLambda) return lambda_;
  if (!inner_) return kBaseDrive::value(code);
  const double l = lambda_, r = 1.0 - lambda_;
  switch (code) {
    case vtCa: return inner_->value(vtCa) * 0.5 / l;
    case vtCaStar: return inner_->value(vtCa) * 0.5 / r;
    case vtCj: return inner_->value(vtCj) * 0.25 / (l * l);
    case vtCjStar: return inner_->value(vtCj) * 0.25 / (r * r);
    case vtCmdyn: return inner_->value(vtCmdyn) * 0.5 / l;
    case vtCmdynStar: return inner_->value(vtCmdyn) * 0.5 / r;
    case vtFdd0: return inner_->value(vtFdd0) / firstStretch();
    case vtFdd1: return inner_->value(vtFdd1) / secondStretch();
    default: return inner_->value(code);
  }
}

// lambda in [0, 1] is stored as given (0 and 1 leave evaluations unchanged); beyond it is
// moved just inside. NaN is refused. Every other code goes to the wrapped law unchanged.
int kDrvLambda::setValue(ValueType code, double v) {
  if (code != vtLambda) return inner_ ? inner_->setValue(code, v) : kLawOk;
  if (v > 1.0) {
    lambda_ = kLambdaClampHigh;
  } else if (v < 0.0) {
    lambda_ = kLambdaClampLow;
  } else if (v == v) {
    lambda_ = v;
  } else {
    return kLawLambdaRefused;
  }
  return kLawOk;
}
