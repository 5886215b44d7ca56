#pragma once
// Range helpers for the sine-law tests: the extremes of a quantity of the curve over a part of
// [0, 1], found on a dense grid, to compare the laws' characteristic values and extremes with.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "tests/kernel/laws/law_checks.h"

namespace sinechecks {

struct Range {
  double lo, hi;
};

// Smallest and largest quantity(f, f', f'', f''') over points + 1 samples of [from, to].
template <class Quantity>
Range rangeOf(kBaseDrive& law, double from, double to, Quantity quantity, int points = 4000) {
  Range r{1e300, -1e300};
  for (int i = 0; i <= points; ++i) {
    const double v = quantity(lawchecks::at(law, from + (to - from) * i / points));
    r.lo = std::min(r.lo, v);
    r.hi = std::max(r.hi, v);
  }
  return r;
}

inline Range derivativeRange(kBaseDrive& law, int k, double from = 0.0, double to = 1.0,
                             int points = 4000) {
  return rangeOf(
      law, from, to, [k](const FArr& v) { return v[k]; }, points);
}

// The value of derivative k with the largest magnitude on [from, to], with its sign.
inline double signedPeak(kBaseDrive& law, int k, double from, double to) {
  const Range r = derivativeRange(law, k, from, to);
  return std::fabs(r.hi) >= std::fabs(r.lo) ? r.hi : r.lo;
}

// Extremes the law reports for derivative k (1..3) equal the curve's (exact), or lie within
// the curve's range (sampled by the base search).
inline void expectDerivativeExtremes(kBaseDrive& law, const std::string& label, int k, bool exact) {
  const double lo = k == 1 ? law.fdmin() : k == 2 ? law.fddmin() : law.fdddmin();
  const double hi = k == 1 ? law.fdmax() : k == 2 ? law.fddmax() : law.fdddmax();
  const Range seen = derivativeRange(law, k, 0.0, 1.0, 20000);
  const double tol = 1e-4 * lawchecks::magnitude(law, k);
  if (exact) {
    EXPECT_NEAR(lo, seen.lo, tol) << label << ": minimum of derivative " << k;
    EXPECT_NEAR(hi, seen.hi, tol) << label << ": maximum of derivative " << k;
  } else {
    EXPECT_GE(lo, seen.lo - tol) << label << ": sampled minimum of derivative " << k;
    EXPECT_LE(hi, seen.hi + tol) << label << ": sampled maximum of derivative " << k;
  }
  EXPECT_LE(lo, hi) << label << ": extremes of derivative " << k << " in wrong order";
}

// Uniform numbers from a fixed seed, so a failing grid point is reproducible.
class SeededGrid {
 public:
  explicit SeededGrid(unsigned seed) : rng_(seed) {}
  double uniform(double lo, double hi) { return std::uniform_real_distribution<>(lo, hi)(rng_); }

 private:
  std::mt19937 rng_;
};

}  // namespace sinechecks
