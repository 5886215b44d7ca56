// The properties every motion law must have, whatever its formulas, checked for every row of
// the law table (rows come from each law's test file): it runs from 0 to 1, its end values,
// extremes and characteristic values are those of its curve, and its derivatives agree with
// finite differences and do not jump at its piece boundaries.

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "tests/kernel/laws/law_checks.h"

namespace lawchecks {
namespace {

TEST_P(LawProperties, EndValuesAndCharacteristicValuesAreThoseOfTheCurve) {
  const LawCase& c = GetParam();
  auto law = c.make();
  const FArr start = at(*law, 0.0), end = at(*law, 1.0);
  EXPECT_NEAR(start[0], 0.0, 1e-10);
  EXPECT_NEAR(end[0], 1.0, 1e-10);
  const std::pair<ValueType, double> ends[] = {
      {vtFd0, start[1]}, {vtFd1, end[1]}, {vtFdd0, start[2]}, {vtFdd1, end[2]}};
  const double tol = 1e-9 * magnitude(*law, 2);
  for (auto [code, curve] : ends) {
    EXPECT_NEAR(law->value(code), curve, tol) << "code " << code;
    for (auto [asked, v] : c.given) {
      EXPECT_TRUE(asked != code || std::fabs(curve - v) <= tol) << code << " asked " << v;
    }
  }
  for (const Peak& p : c.peaks) {
    const Range r = rangeOf(*law, p.q, p.from, p.to, 4000);
    double curve = p.kind == Peak::kMax ? r.hi : p.kind == Peak::kMin ? r.lo : 0.0;
    if (p.kind == Peak::kSigned) curve = std::fabs(r.hi) >= std::fabs(r.lo) ? r.hi : r.lo;
    if (p.kind == Peak::kAt) curve = quantity(at(*law, p.from), p.q);
    const double reported = p.code == vtNone ? 0.0 : law->value(p.code);
    EXPECT_NEAR(reported, p.sign * curve, p.relTol * magnitude(*law, p.q))
        << "code " << p.code << " against q" << p.q << " on [" << p.from << ", " << p.to << "]";
  }
  for (int i = 0; c.reference && i <= 100; ++i)
    EXPECT_NEAR(at(*law, i / 100.0)[0], c.reference(i / 100.0), 1e-11) << "z " << i / 100.0;
}

TEST_P(LawProperties, DerivativesMatchDifferencesAndJoinWithoutJumps) {
  const LawCase& c = GetParam();
  auto law = c.make();
  constexpr double h = 1e-6, eps = 1e-9;
  for (int k = 0; k < 3; ++k) {
    const double tol = 1e-4 * magnitude(*law, k + 1);
    // Where the next derivative jumps, one of the one-sided quotients must match.
    for (int i = 0; i <= 400; ++i) {
      const double z = i / 400.0, want = at(*law, z)[k + 1];
      const double left = at(*law, z - h)[k], mid = at(*law, z)[k], right = at(*law, z + h)[k];
      EXPECT_TRUE(std::fabs((right - mid) / h - want) <= tol ||
                  std::fabs((mid - left) / h - want) <= tol ||
                  std::fabs((right - left) / (2 * h) - want) <= tol)
          << "f" << k + 1 << "(" << z << ") = " << want << ", differences " << (mid - left) / h
          << " / " << (right - mid) / h;
    }
    // f .. f^(smooth) jump nowhere: not at the joints, nor between them.
    std::vector<double> points = c.joints;
    for (int i = 1; i < 400; ++i) points.push_back(i / 400.0);
    for (double b : points)
      EXPECT_TRUE(k > c.smooth ||
                  std::fabs(at(*law, b - eps)[k] - at(*law, b + eps)[k]) <= 1e-2 * tol + 1e-9)
          << "f" << k << " jumps at z = " << b;
  }
}

// Extremes of derivative k over the base's 21 samples (the step summed as there), or over
// their mirror images 1 − z.
Range sampled(kBaseDrive& law, int k, bool mirrored) {
  Range r;
  for (double z = 0.0; z <= 1.001; z += 0.05) {
    const double v = at(law, mirrored ? 1.0 - z : z)[k];
    r = {std::min(r.lo, v), std::max(r.hi, v)};
  }
  return r;
}

TEST_P(LawProperties, ReportsTheExtremesOfItsCurve) {
  const LawCase& c = GetParam();
  auto law = c.make();
  const double lo[4] = {law->fmin(), law->fdmin(), law->fddmin(), law->fdddmin()};
  const double hi[4] = {law->fmax(), law->fdmax(), law->fddmax(), law->fdddmax()};
  for (int k = 0; k < 4; ++k) {
    const Range seen = rangeOf(*law, k);
    const double tol = (k == 0 ? 1e-5 : c.extremeTol) * magnitude(*law, k);
    SCOPED_TRACE(testing::Message() << "f" << k << " in [" << lo[k] << ", " << hi[k] << "]");
    if (c.extremes[k] == Extreme::kExact) {
      EXPECT_NEAR(lo[k], seen.lo, tol);
      EXPECT_NEAR(hi[k], seen.hi, tol);
    } else if (c.extremes[k] == Extreme::kSampled) {
      const Range a = sampled(*law, k, false), b = sampled(*law, k, true);
      const double t = 1e-9 * magnitude(*law, k);
      EXPECT_TRUE(std::fabs(lo[k] - a.lo) <= t || std::fabs(lo[k] - b.lo) <= t) << a.lo;
      EXPECT_TRUE(std::fabs(hi[k] - a.hi) <= t || std::fabs(hi[k] - b.hi) <= t) << a.hi;
    } else if (c.extremes[k] == Extreme::kWithin) {
      EXPECT_GE(lo[k], seen.lo - tol);
      EXPECT_LE(hi[k], seen.hi + tol);
      EXPECT_LE(lo[k], hi[k]);
    }
  }
}

TEST_P(LawSetter, ResultAndWhatTheLawHoldsAfterwards) {
  const SetterCase& c = GetParam();
  auto law = c.make();
  EXPECT_EQ(law->setValue(c.code, c.v), c.result);
  EXPECT_NEAR(c.read(*law), c.expected, c.tol);
  for (int i = 0; i <= 100; ++i) {
    FArr out{9.0, 8.0, 7.0, 6.0};
    law->farr(i / 100.0, out);
    if (!c.evaluates) {
      EXPECT_EQ(out, (FArr{9.0, 8.0, 7.0, 6.0})) << "z " << i / 100.0;
      continue;
    }
    for (double x : out) EXPECT_TRUE(std::isfinite(x)) << "z " << i / 100.0;
    EXPECT_TRUE((i != 0 && i != 100) || std::fabs(out[0] - i / 100.0) <= 1e-6) << out[0];
  }
}

}  // namespace
}  // namespace lawchecks
