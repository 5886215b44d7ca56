#pragma once
// Property checks that every motion law must pass, whatever its formulas: the curve and its
// derivatives agree with finite differences, f, f', f'' do not jump at the law's own piece
// boundaries, and the law starts at 0 and ends at 1 where it promises to.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <string>
#include <vector>

#include "kernel/laws/base_drive.h"

namespace lawchecks {

inline FArr at(kBaseDrive& law, double z) {
  FArr out{};
  return law.farr(z, out);
}

// Largest |value| of derivative k over a dense grid, at least 1: the scale that tolerances
// are relative to.
inline double magnitude(kBaseDrive& law, int k) {
  double m = 1.0;
  for (int i = 0; i <= 1000; ++i) m = std::max(m, std::fabs(at(law, i / 1000.0)[k]));
  return m;
}

// f(0) = 0 and f(1) = 1.
inline void expectUnitEnds(kBaseDrive& law, const std::string& label, double tol = 1e-12) {
  EXPECT_NEAR(at(law, 0.0)[0], 0.0, tol) << label << ": f(0)";
  EXPECT_NEAR(at(law, 1.0)[0], 1.0, tol) << label << ": f(1)";
}

// Derivative k+1 agrees with the difference quotient of derivative k at every grid point,
// from one side at least (at a piece boundary the higher derivative may jump, so only the
// one-sided quotients can match).
inline void expectDerivativesMatchDifferences(kBaseDrive& law, const std::string& label,
                                              int points = 400) {
  constexpr double h = 1e-6;
  for (int k = 0; k < 3; ++k) {
    const double scale = magnitude(law, k + 1);
    const double tol = 1e-4 * scale;
    for (int i = 0; i <= points; ++i) {
      const double z = static_cast<double>(i) / points;
      const double left = at(law, z - h)[k], mid = at(law, z)[k], right = at(law, z + h)[k];
      const double want = at(law, z)[k + 1];
      const bool forward = std::fabs((right - mid) / h - want) <= tol;
      const bool backward = std::fabs((mid - left) / h - want) <= tol;
      const bool central = std::fabs((right - left) / (2 * h) - want) <= tol;
      EXPECT_TRUE(forward || backward || central)
          << label << ": derivative " << k + 1 << " at z = " << z << " is " << want
          << ", differences give " << (mid - left) / h << " / " << (right - mid) / h;
    }
  }
}

// f, f', f'' are continuous across each given boundary.
inline void expectContinuousAt(kBaseDrive& law, const std::string& label,
                               std::initializer_list<double> boundaries) {
  constexpr double eps = 1e-9;
  for (int k = 0; k < 3; ++k) {
    const double tol = 1e-6 * magnitude(law, k + 1) + 1e-9;
    for (double b : boundaries) {
      EXPECT_NEAR(at(law, b - eps)[k], at(law, b + eps)[k], tol)
          << label << ": derivative " << k << " jumps at z = " << b;
    }
  }
}

// The derivative extremes the law reports bound the curve on [0, 1] and are reached on it
// (within a sampling tolerance). Laws that report sampled extremes are checked only for
// being reached, not for bounding.
inline void expectExtremesBoundCurve(kBaseDrive& law, const std::string& label,
                                     bool exactExtremes = true) {
  const double lo[3] = {law.fdmin(), law.fddmin(), law.fdddmin()};
  const double hi[3] = {law.fdmax(), law.fddmax(), law.fdddmax()};
  for (int k = 1; k <= 3; ++k) {
    double seenLo = 1e300, seenHi = -1e300;
    for (int i = 0; i <= 2000; ++i) {
      const double v = at(law, i / 2000.0)[k];
      seenLo = std::min(seenLo, v);
      seenHi = std::max(seenHi, v);
    }
    const double tol = 1e-3 * magnitude(law, k);
    if (exactExtremes) {
      EXPECT_NEAR(lo[k - 1], seenLo, tol) << label << ": minimum of derivative " << k;
      EXPECT_NEAR(hi[k - 1], seenHi, tol) << label << ": maximum of derivative " << k;
    } else {
      EXPECT_GE(lo[k - 1], seenLo - tol) << label << ": sampled minimum of derivative " << k;
      EXPECT_LE(hi[k - 1], seenHi + tol) << label << ": sampled maximum of derivative " << k;
    }
  }
}

}  // namespace lawchecks

namespace lawchecks {

// Extreme of quantity(FArr) over a dense grid of [0, 1] (points + 1 samples): the curve's own
// peak, to compare a law's characteristic values with. Example: the peak of f'·f'' is
// denseExtreme(law, [](const FArr& v) { return v[1] * v[2]; }, true).
template <class Quantity>
double denseExtreme(kBaseDrive& law, Quantity quantity, bool wantMax, int points = 20000) {
  double m = wantMax ? -1e300 : 1e300;
  for (int i = 0; i <= points; ++i) {
    const double v = quantity(at(law, static_cast<double>(i) / points));
    m = wantMax ? std::max(m, v) : std::min(m, v);
  }
  return m;
}

// Extreme of derivative k (0..3) over a dense grid of [0, 1].
inline double denseExtreme(kBaseDrive& law, int k, bool wantMax, int points = 20000) {
  return denseExtreme(law, [k](const FArr& v) { return v[k]; }, wantMax, points);
}

}  // namespace lawchecks

namespace lawchecks {

// For laws that report the base's sampled extremes: fdmin ... fdddmax equal the extremes of
// the 21 samples z = 0, 0.05, ..., 1.0, taken as the law interface defines them (the step
// accumulated in double arithmetic, so a sample may fall an ulp beside a piece boundary).
inline void expectSampledExtremes(kBaseDrive& law, const std::string& label) {
  double lo[4] = {1e300, 1e300, 1e300, 1e300}, hi[4] = {-1e300, -1e300, -1e300, -1e300};
  int samples = 0;
  for (double z = 0.0; z <= 1.001; z += 0.05, ++samples) {
    const FArr v = at(law, z);
    for (int k = 1; k <= 3; ++k) {
      lo[k] = std::min(lo[k], v[k]);
      hi[k] = std::max(hi[k], v[k]);
    }
  }
  EXPECT_EQ(samples, 21) << label;
  EXPECT_EQ(law.fdmin(), lo[1]) << label << ": fdmin";
  EXPECT_EQ(law.fddmin(), lo[2]) << label << ": fddmin";
  EXPECT_EQ(law.fdddmin(), lo[3]) << label << ": fdddmin";
  EXPECT_EQ(law.fdmax(), hi[1]) << label << ": fdmax";
  EXPECT_EQ(law.fddmax(), hi[2]) << label << ": fddmax";
  EXPECT_EQ(law.fdddmax(), hi[3]) << label << ": fdddmax";
}

}  // namespace lawchecks
