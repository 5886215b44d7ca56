#pragma once
// Parameter ranges of the sine laws and the one clamp that every setter uses to keep a
// parameter inside its range.

#include "kernel/support/numeric.h"

namespace veldrive {

// Smallest lambda (share of the first half) and c (share of the waves) that a setter stores:
// 2^-26, the square root of the double's epsilon. Keeps every piece of a law a finite width.
constexpr double kLambdaMin = 1.4901161193847656e-8;
constexpr double kLambdaMax = 1.0 - kLambdaMin;
constexpr double kCMin = kLambdaMin;
constexpr double kCMax = 1.0;

// Range of a lambda solved from curvature values (Ca = Ca*, a pair of end curvatures): every
// value that keeps lambda and 1 − lambda nonzero.
constexpr double kSolvedLambdaMin = kIsZeroLimit;
constexpr double kSolvedLambdaMax = 1.0 - 2.0 * kIsZeroLimit;

struct ClampResult {
  double value;
  bool clamped;  // true when v lay outside [lo, hi]
};

constexpr ClampResult clampInto(double v, double lo, double hi) {
  if (v < lo) return {lo, true};
  if (v > hi) return {hi, true};
  return {v, false};
}

}  // namespace veldrive
