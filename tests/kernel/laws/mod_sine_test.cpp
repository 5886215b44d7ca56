#include "kernel/laws/mod_sine.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "kernel/laws/sine_limits.h"
#include "kernel/support/numeric.h"
#include "tests/kernel/laws/law_checks.h"
#include "tests/kernel/laws/sine_checks.h"

namespace {

using veldrive::kLambdaMax;
using veldrive::kLambdaMin;
using veldrive::kPi;

struct ModSineCase {
  double lambda, fd0, fd1;
  std::string label() const {
    std::ostringstream s;
    s << "ModSine(lambda " << lambda << ", fd0 " << fd0 << ", fd1 " << fd1 << ")";
    return s.str();
  }
};

kDrvModSine make(const ModSineCase& p) {
  kDrvModSine law;
  law.setValue(vtFd0, p.fd0);
  law.setValue(vtFd1, p.fd1);
  EXPECT_EQ(law.setValue(vtLambda, p.lambda), 0);
  return law;
}

// The classic rest-to-rest law, skewed inflection points, and seeded random slopes from
// moving backwards (−0.5) to well above the mean speed (2.5), where A1 or A2 change sign.
std::vector<ModSineCase> grid() {
  std::vector<ModSineCase> cases = {{0.5, 0, 0},   {0.1, 0, 0},      {0.9, 0, 0},
                                    {0.5, 0, 3},   {0.5, 2, 2},      {0.3, 1, 1},
                                    {0.7, 0.5, 0}, {0.05, 0.2, 0.4}, {0.95, -0.5, 1.5}};
  sinechecks::SeededGrid g(20260512u);
  for (int i = 0; i < 40; ++i)
    cases.push_back({g.uniform(0.1, 0.9), g.uniform(-0.5, 2.5), g.uniform(-0.5, 2.5)});
  return cases;
}

class ModSineCurve : public ::testing::TestWithParam<ModSineCase> {};

TEST_P(ModSineCurve, EndsAtUnitWithGivenSlopesAndNoCurvature) {
  const ModSineCase p = GetParam();
  kDrvModSine law = make(p);
  lawchecks::expectUnitEnds(law, p.label());
  const FArr start = lawchecks::at(law, 0.0), end = lawchecks::at(law, 1.0);
  EXPECT_NEAR(start[1], p.fd0, 1e-12);
  EXPECT_NEAR(end[1], p.fd1, 1e-12);
  EXPECT_NEAR(start[2], 0.0, 1e-12);
  EXPECT_NEAR(end[2], 0.0, 1e-9);
}

TEST_P(ModSineCurve, DerivativesMatchDifferencesAndJoinSmoothly) {
  const ModSineCase p = GetParam();
  kDrvModSine law = make(p);
  lawchecks::expectDerivativesMatchDifferences(law, p.label());
  lawchecks::expectContinuousAt(law, p.label(), {p.lambda / 4, p.lambda, p.lambda / 4 + 0.75});
}

TEST_P(ModSineCurve, ExtremesBoundTheCurve) {
  const ModSineCase p = GetParam();
  kDrvModSine law = make(p);
  sinechecks::expectDerivativeExtremes(law, p.label(), 1, true);
  sinechecks::expectDerivativeExtremes(law, p.label(), 2, true);
  sinechecks::expectDerivativeExtremes(law, p.label(), 3, false);  // sampled by the base
}

TEST_P(ModSineCurve, ValuesAgreeWithCurve) {
  const ModSineCase p = GetParam();
  kDrvModSine law = make(p);
  const double l = p.lambda;
  const double scale = lawchecks::magnitude(law, 2);
  EXPECT_NEAR(lawchecks::at(law, l)[2], 0.0, 1e-9 * scale) << "inflection at lambda";
  EXPECT_NEAR(law.value(vtCv), lawchecks::at(law, l)[1], 1e-9);
  EXPECT_NEAR(law.value(vtCa), sinechecks::signedPeak(law, 2, 0.0, l), 1e-5 * scale);
  EXPECT_NEAR(law.value(vtCaStar), sinechecks::signedPeak(law, 2, l, 1.0), 1e-5 * scale);
  EXPECT_EQ(law.value(vtLambda), l);
  EXPECT_EQ(law.value(vtFd0), p.fd0);
  EXPECT_EQ(law.value(vtFd1), p.fd1);
  EXPECT_EQ(law.value(vtFdd0), 0.0);
  EXPECT_EQ(law.value(vtFdd1), 0.0);
  EXPECT_EQ(law.value(vtCj), 0.0);
  EXPECT_EQ(law.value(vtC), 0.0);
}

TEST_P(ModSineCurve, CaStarOfTheLawGivesBackItsLambda) {
  const ModSineCase p = GetParam();
  const double caStar = make(p).value(vtCaStar);
  kDrvModSine law;
  law.setValue(vtFd0, p.fd0);
  law.setValue(vtFd1, p.fd1);
  if (p.fd0 == 1.0 && p.fd1 == 1.0) {
    // The straight line f = z: Ca* = 0 for every λ, so none can be solved for.
    EXPECT_EQ(law.setValue(vtCaStar, caStar), kLawClamped);
    return;
  }
  ASSERT_EQ(law.setValue(vtCaStar, caStar), 0) << p.label();
  EXPECT_NEAR(law.value(vtLambda), p.lambda, 1e-9) << p.label();
  EXPECT_EQ(law.value(vtCaStar), caStar);
  lawchecks::expectUnitEnds(law, p.label() + " from Ca*", 1e-9);
}

TEST_P(ModSineCurve, EqualPeaksWhenSolvableElseUnchanged) {
  const ModSineCase p = GetParam();
  kDrvModSine law = make(p);
  const int rc = law.setValue(vtCaEqCaStar, 123.0);
  if (rc == kLawOk) {
    EXPECT_NEAR(law.value(vtCa), -law.value(vtCaStar), 1e-9 * std::fabs(law.value(vtCa)));
    const double l = law.value(vtLambda);
    EXPECT_NEAR(sinechecks::signedPeak(law, 2, 0.0, l), -sinechecks::signedPeak(law, 2, l, 1.0),
                1e-4 * lawchecks::magnitude(law, 2));
    lawchecks::expectUnitEnds(law, p.label() + " Ca=Ca*", 1e-9);
  } else {
    EXPECT_EQ(rc, kLawCaEqCaStarFailed);
    EXPECT_EQ(law.value(vtLambda), p.lambda) << p.label();
    lawchecks::expectUnitEnds(law, p.label() + " after failed Ca=Ca*");
  }
}

INSTANTIATE_TEST_SUITE_P(SeededParameters, ModSineCurve, ::testing::ValuesIn(grid()));

TEST(ModSine, DefaultsAreTheClassicModifiedSine) {
  kDrvModSine law;
  const double peak = 4.0 * kPi * kPi / (kPi + 4.0);  // ≈ 5.528
  EXPECT_NEAR(lawchecks::at(law, 0.125)[2], peak, 1e-12);
  EXPECT_NEAR(lawchecks::at(law, 0.5)[1], 1.7596, 1e-4);
  EXPECT_NEAR(law.value(vtCv), 1.7596, 1e-4);
  EXPECT_NEAR(law.value(vtCa), peak, 1e-12);
  EXPECT_NEAR(law.value(vtCaStar), -peak, 1e-12);
  EXPECT_EQ(law.value(vtLambda), 0.5);
}

struct LambdaClamp {
  double given, stored;
  int result;
};

class ModSineLambdaSetter : public ::testing::TestWithParam<LambdaClamp> {};

TEST_P(ModSineLambdaSetter, ClampsIntoOpenInterval) {
  const LambdaClamp c = GetParam();
  kDrvModSine law;
  law.setValue(vtFd1, 0.4);
  EXPECT_EQ(law.setValue(vtLambda, c.given), c.result);
  EXPECT_EQ(law.value(vtLambda), c.stored);
  lawchecks::expectUnitEnds(law, "clamped lambda", 1e-6);
}

INSTANTIATE_TEST_SUITE_P(Table, ModSineLambdaSetter,
                         ::testing::Values(LambdaClamp{0.0, kLambdaMin, kLawClamped},
                                           LambdaClamp{1.5, kLambdaMax, kLawClamped},
                                           LambdaClamp{-3.0, kLambdaMin, kLawClamped},
                                           LambdaClamp{1.0, kLambdaMax, kLawClamped},
                                           LambdaClamp{kLambdaMin, kLambdaMin, kLawOk},
                                           LambdaClamp{kLambdaMax, kLambdaMax, kLawOk},
                                           LambdaClamp{0.3, 0.3, kLawOk}));

TEST(ModSine, CaStarOutOfReachClampsLambdaAndKeepsLawWhole) {
  // Rest to rest, |A2| cannot fall below 2π²/(π + 4) (λ → 0) nor reach infinity.
  for (double caStar : {-1.0, -1e12}) {
    kDrvModSine law;
    EXPECT_EQ(law.setValue(vtCaStar, caStar), kLawClamped) << caStar;
    const double l = law.value(vtLambda);
    EXPECT_TRUE(l == kLambdaMin || l == kLambdaMax) << l;
    EXPECT_NE(law.value(vtCaStar), caStar);
    lawchecks::expectUnitEnds(law, "Ca* clamped", 1e-6);
  }
  kDrvModSine low;
  low.setValue(vtCaStar, -1.0);
  EXPECT_EQ(low.value(vtLambda), kLambdaMin);
}

// Fault mended: Ca* = 0 on a rest-to-rest law (D = 0) stored A2 = 0 alone, so f(1) was no longer 1.
TEST(ModSine, UnreachableCaStarWithZeroDenominatorLeavesLawUnchanged) {
  kDrvModSine law;
  law.setValue(vtLambda, 0.4);
  const double a1 = law.value(vtCa), a2 = law.value(vtCaStar);
  EXPECT_EQ(law.setValue(vtCaStar, 0.0), kLawClamped);
  EXPECT_EQ(law.value(vtLambda), 0.4);
  EXPECT_EQ(law.value(vtCa), a1);
  EXPECT_EQ(law.value(vtCaStar), a2);
  lawchecks::expectUnitEnds(law, "after Ca* = 0");
}

// Fault mended: a failed Ca=Ca* stored the last root tried (−inf for equal slopes) as lambda.
TEST(ModSine, EqualPeaksWithEqualSlopesFailsAndLeavesLawUnchanged) {
  for (double slope : {0.0, 0.6, 1.0}) {
    kDrvModSine law;
    law.setValue(vtFd0, slope);
    law.setValue(vtFd1, slope);
    law.setValue(vtLambda, 0.3);
    EXPECT_EQ(law.setValue(vtCaEqCaStar, 0.0), kLawCaEqCaStarFailed) << slope;
    EXPECT_EQ(law.value(vtLambda), 0.3);
    lawchecks::expectUnitEnds(law, "after failed Ca=Ca*");
  }
}

// Slopes that differ only by rounding still give the symmetric answer λ ≈ 1/2; the naive root
// √q − p cancels to 0 there and the call failed.
TEST(ModSine, EqualPeaksWithNearlyEqualSlopesFindsHalf) {
  kDrvModSine law;
  law.setValue(vtFd0, 0.2);
  law.setValue(vtFd1, std::nextafter(0.2, 1.0));
  ASSERT_EQ(law.setValue(vtCaEqCaStar, 0.0), kLawOk);
  EXPECT_NEAR(law.value(vtLambda), 0.5, 1e-9);
  EXPECT_NEAR(law.value(vtCa), -law.value(vtCaStar), 1e-9);
}

TEST(ModSine, EqualPeaksMovesInflectionTowardsFasterEnd) {
  kDrvModSine law;
  law.setValue(vtFd1, 0.5);
  ASSERT_EQ(law.setValue(vtCaEqCaStar, 0.0), kLawOk);
  // Ending at half the mean speed needs less deceleration time than acceleration.
  EXPECT_GT(law.value(vtLambda), 0.5);
  EXPECT_LT(law.value(vtLambda), 1.0);
}

// Fault mended: with both halves accelerating (fd1 = 3), fddmin was A2 > fddmax = A1 and fdmax
// was f'(λ) instead of fd1.
TEST(ModSine, ExtremesHoldWhenBothHalvesAccelerate) {
  kDrvModSine law;
  law.setValue(vtFd1, 3.0);
  ASSERT_GT(law.value(vtCaStar), 0.0);
  EXPECT_EQ(law.fddmin(), 0.0);
  EXPECT_EQ(law.fddmax(), law.value(vtCaStar));
  EXPECT_EQ(law.fdmax(), 3.0);
  EXPECT_EQ(law.fdmin(), 0.0);
}

TEST(ModSine, OtherCodesAreIgnored) {
  kDrvModSine law;
  for (ValueType code : {vtFdd0, vtFdd1, vtC, vtCa, vtCv, vtCj, vtZ0, vtF1})
    EXPECT_EQ(law.setValue(code, 0.3), 0) << code;
  EXPECT_EQ(law.value(vtLambda), 0.5);
  EXPECT_NEAR(law.value(vtCa), 4.0 * kPi * kPi / (kPi + 4.0), 1e-12);
}

}  // namespace
