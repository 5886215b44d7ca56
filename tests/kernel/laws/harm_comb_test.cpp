#include "kernel/laws/harm_comb.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "kernel/support/numeric.h"
#include "tests/kernel/laws/curve_range.h"
#include "tests/kernel/laws/law_checks.h"

namespace {

using lawchecks::at;
using veldrive::kPi;

constexpr double kTol = 1e-12;
// A peak between two points of the dense grid is missed by at most this (relative).
constexpr double kGridTol = 1e-5;

struct Shape {
  double fd0, lambda;
};

std::string label(const Shape& s) {
  std::ostringstream os;
  os << "HarmComb(fd0 = " << s.fd0 << ", lambda = " << s.lambda << ")";
  return os.str();
}

kDrvHarmComb make(const Shape& s) {
  kDrvHarmComb law;
  EXPECT_EQ(law.setValue(vtLambda, s.lambda), kLawOk);
  EXPECT_EQ(law.setValue(vtFd0, s.fd0), kLawOk);
  return law;
}

// Hand-picked corners plus a seeded grid: fd0 in [−3, 1] (1 is the upper limit), lambda in
// [0.05, 0.95].
std::vector<Shape> shapes() {
  std::vector<Shape> v = {{0.0, 0.5}, {0.4, 0.3}, {1.0, 0.5}, {-3.0, 0.5},
                          {0.9, 0.9}, {0.99, 0.05}, {1.0, 0.95}, {-1.0, 0.2}};
  std::mt19937 gen(20240611);
  std::uniform_real_distribution<double> fd0(-3.0, 1.0), lambda(0.05, 0.95);
  for (int i = 0; i < 16; ++i) v.push_back({fd0(gen), lambda(gen)});
  return v;
}

class HarmCombShape : public testing::TestWithParam<Shape> {};

TEST_P(HarmCombShape, CurveIsSmoothAndEndsAtReversal) {
  const Shape s = GetParam();
  kDrvHarmComb law = make(s);
  const std::string name = label(s);
  lawchecks::expectUnitEnds(law, name);
  lawchecks::expectContinuousAt(law, name, {s.lambda / 4.0, s.lambda});
  lawchecks::expectDerivativesMatchDifferences(law, name);
  const FArr start = at(law, 0.0), end = at(law, 1.0);
  EXPECT_NEAR(start[1], s.fd0, kTol) << name;
  EXPECT_NEAR(start[2], 0.0, kTol) << name;
  EXPECT_NEAR(end[1], 0.0, kTol) << name;
  EXPECT_LT(end[2], 0.0) << name << ": the deceleration still acts at the reversal";
}

TEST_P(HarmCombShape, ValuesDescribeTheCurve) {
  const Shape s = GetParam();
  kDrvHarmComb law = make(s);
  const std::string name = label(s);
  const double caStar = law.value(vtCaStar);
  EXPECT_EQ(law.value(vtFd0), s.fd0) << name;
  EXPECT_EQ(law.value(vtLambda), s.lambda) << name;
  EXPECT_EQ(law.value(vtFd1), 0.0) << name;
  EXPECT_EQ(law.value(vtFdd0), 0.0) << name;
  EXPECT_EQ(law.value(vtFdd1), caStar) << name;
  EXPECT_NEAR(at(law, 1.0)[2], caStar, 1e-9) << name << ": Ca* is f''(1)";
  // Ca is the acceleration peak at the end of the first quarter wave, and the largest f''.
  EXPECT_NEAR(at(law, s.lambda / 4.0)[2], law.value(vtCa), 1e-9) << name;
  const double fddPeak = lawchecks::curveRange(law, 2).hi;
  EXPECT_GE(law.value(vtCa), fddPeak - kTol) << name;
  EXPECT_NEAR(fddPeak, law.value(vtCa), kGridTol * law.value(vtCa)) << name;
  // Cv is the slope at the inflection point, the largest f'.
  EXPECT_NEAR(at(law, s.lambda)[1], law.value(vtCv), 1e-9) << name;
  const double fdPeak = lawchecks::curveRange(law, 1).hi;
  EXPECT_GE(law.value(vtCv), fdPeak - kTol) << name;
  EXPECT_NEAR(fdPeak, law.value(vtCv), kGridTol * law.value(vtCv)) << name;
  EXPECT_NEAR(at(law, s.lambda)[2], 0.0, 1e-9) << name << ": lambda is the inflection point";
  EXPECT_EQ(law.value(vtCj), 0.0) << name;
  EXPECT_EQ(law.value(vtCmdyn), 0.0) << name;
  EXPECT_EQ(law.value(vtC), 0.0) << name;
}

TEST_P(HarmCombShape, ExtremesAreSampledAndRangeCoversCurve) {
  const Shape s = GetParam();
  kDrvHarmComb law = make(s);
  const std::string name = label(s);
  lawchecks::expectExtremesBoundCurve(law, name, false);
  const double lowest = lawchecks::curveRange(law, 0).lo;
  EXPECT_EQ(law.fmax(), 1.0) << name;
  if (s.fd0 >= 0.0) {
    EXPECT_EQ(law.fmin(), 0.0) << name;
  } else {
    // Fault mended: fmin was 0 although a negative start slope makes f dip below 0.
    EXPECT_LE(law.fmin(), lowest + kTol) << name;
    EXPECT_NEAR(law.fmin(), lowest, kGridTol) << name;
    EXPECT_LT(law.fmin(), 0.0) << name;
  }
}

// Setting Ca* picks the lambda whose deceleration at the reversal is |Ca*|, for the
// current fd0 and whatever sign the value carries.
TEST_P(HarmCombShape, CaStarSetterFindsTheLambdaOfThatDeceleration) {
  const Shape s = GetParam();
  const double caStar = make(s).value(vtCaStar);
  for (double sign : {-1.0, 1.0}) {
    kDrvHarmComb law;
    ASSERT_EQ(law.setValue(vtFd0, s.fd0), kLawOk);
    EXPECT_EQ(law.setValue(sign > 0 ? vtFdd1 : vtCaStar, sign * caStar), kLawOk);
    EXPECT_NEAR(law.value(vtLambda), s.lambda, 1e-9) << label(s);
    EXPECT_NEAR(at(law, 1.0)[2], caStar, 1e-9 * std::fabs(caStar)) << label(s);
  }
}

INSTANTIATE_TEST_SUITE_P(SeededGrid, HarmCombShape, testing::ValuesIn(shapes()));

TEST(HarmComb, DefaultsGiveThePublishedFigures) {
  kDrvHarmComb law;
  EXPECT_EQ(law.value(vtFd0), 0.0);
  EXPECT_EQ(law.value(vtLambda), 0.5);
  EXPECT_NEAR(at(law, 0.5)[0], 0.47165, 1e-5);
  EXPECT_NEAR(at(law, 0.5)[1], 1.65985, 1e-5);
  EXPECT_NEAR(law.value(vtCv), 1.65985, 1e-5);
  EXPECT_NEAR(at(law, 0.125)[2], 5.2146, 1e-4);
  EXPECT_NEAR(law.value(vtCa), 5.2146, 1e-4);
  EXPECT_NEAR(at(law, 1.0)[2], -5.2146, 1e-4);
  EXPECT_NEAR(law.value(vtCa), -law.value(vtCaStar), kTol);
}

TEST(HarmComb, Fd0LimitIsOneForEveryLambda) {
  for (int i = 1; i < 100; ++i) EXPECT_EQ(kDrvHarmComb::fd0Limit(i / 100.0), 1.0) << i;
}

// One setter call on a default law (fd0 0, lambda 0.5): its result and what it leaves.
struct SetterCase {
  const char* name;
  ValueType code;
  double v;
  int result;
  double fd0After, lambdaAfter;
};

class HarmCombSetter : public testing::TestWithParam<SetterCase> {};

TEST_P(HarmCombSetter, ResultAndStoredParameters) {
  const SetterCase& c = GetParam();
  kDrvHarmComb law;
  EXPECT_EQ(law.setValue(c.code, c.v), c.result);
  EXPECT_EQ(law.value(vtFd0), c.fd0After);
  EXPECT_EQ(law.value(vtLambda), c.lambdaAfter);
}

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

INSTANTIATE_TEST_SUITE_P(
    Table, HarmCombSetter,
    testing::Values(
        SetterCase{"Fd0AboveLimitIsClampedToOne", vtFd0, 1.2, 1016, 1.0, 0.5},
        SetterCase{"Fd0AtLimitIsTaken", vtFd0, 1.0, 0, 1.0, 0.5},
        SetterCase{"Fd0HasNoLowerLimit", vtFd0, -3.0, 0, -3.0, 0.5},
        // Fault mended: a NaN or infinite fd0 was stored and made every value NaN.
        SetterCase{"Fd0NaNIsRefused", vtFd0, kNaN, 1016, 0.0, 0.5},
        SetterCase{"Fd0MinusInfinityIsRefused", vtFd0, -kInf, 1016, 0.0, 0.5},
        SetterCase{"LambdaInsideIsTaken", vtLambda, 0.3, 0, 0.0, 0.3},
        SetterCase{"LambdaOneIsRefused", vtLambda, 1.0, 1018, 0.0, 0.5},
        SetterCase{"LambdaZeroIsRefused", vtLambda, 0.0, 1018, 0.0, 0.5},
        SetterCase{"LambdaNegativeIsRefused", vtLambda, -0.2, 1018, 0.0, 0.5},
        SetterCase{"LambdaNaNIsRefused", vtLambda, kNaN, 1018, 0.0, 0.5},
        SetterCase{"CaStarBelowQuarterPiSquaredIsRefused", vtCaStar, -2.0, 1016, 0.0, 0.5},
        SetterCase{"Fdd1BelowQuarterPiSquaredIsRefused", vtFdd1, 2.4, 1016, 0.0, 0.5},
        // Fault mended: |Ca*| = π²/4 exactly passed the check and set lambda to 0.
        SetterCase{"CaStarAtQuarterPiSquaredIsRefused", vtCaStar, -kPi * kPi / 4.0, 1016, 0.0,
                   0.5},
        SetterCase{"CaStarInfiniteIsRefused", vtCaStar, -kInf, 1016, 0.0, 0.5},
        SetterCase{"CaStarNaNIsRefused", vtCaStar, kNaN, 1016, 0.0, 0.5},
        SetterCase{"Fd1IsIgnored", vtFd1, 0.7, 0, 0.0, 0.5},
        SetterCase{"Fdd0IsIgnored", vtFdd0, 0.7, 0, 0.0, 0.5},
        SetterCase{"CaIsIgnored", vtCa, 9.0, 0, 0.0, 0.5},
        SetterCase{"CvIsIgnored", vtCv, 9.0, 0, 0.0, 0.5}),
    [](const testing::TestParamInfo<SetterCase>& info) { return std::string(info.param.name); });

TEST(HarmComb, Fd0ClampLeavesALawThatStillReachesOne) {
  kDrvHarmComb law;
  ASSERT_EQ(law.setValue(vtLambda, 0.3), kLawOk);
  EXPECT_EQ(law.setValue(vtFd0, 1.2), 1016);
  EXPECT_NEAR(at(law, 0.0)[1], 1.0, kTol);
  lawchecks::expectUnitEnds(law, "clamped fd0");
}

TEST(HarmComb, SetterOfCaStarKeepsItsDeceleration) {
  kDrvHarmComb law;
  ASSERT_EQ(law.setValue(vtFd0, 0.4), kLawOk);
  ASSERT_EQ(law.setValue(vtCaStar, -12.0), kLawOk);
  EXPECT_GT(law.value(vtLambda), 0.0);
  EXPECT_LT(law.value(vtLambda), 1.0);
  EXPECT_NEAR(law.value(vtCaStar), -12.0, 1e-9);
  EXPECT_NEAR(at(law, 0.0)[1], 0.4, kTol);
  lawchecks::expectUnitEnds(law, "Ca* = -12");
}

}  // namespace
