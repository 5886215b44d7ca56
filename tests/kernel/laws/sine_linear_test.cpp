#include "kernel/laws/sine_linear.h"

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

using veldrive::kCMin;
using veldrive::kLambdaMax;
using veldrive::kLambdaMin;
using veldrive::kPi;

struct SineLinearCase {
  double lambda, c;
  double straightFrom() const { return c * lambda; }
  double straightTo() const { return 1.0 - (1.0 - lambda) * c; }
  std::string label() const {
    std::ostringstream s;
    s << "SineLinear(lambda " << lambda << ", c " << c << ")";
    return s.str();
  }
};

kDrvSineLinear make(const SineLinearCase& p) {
  kDrvSineLinear law;
  EXPECT_EQ(law.setValue(vtLambda, p.lambda), 0);
  EXPECT_EQ(law.setValue(vtC, p.c), 0);
  return law;
}

// Velocity of the straight piece: the stroke 1 is v·(1 − c) on the straight piece plus v·w·2/π
// for each quarter sine wave of width w, the two widths adding up to c.
double straightVelocity(double c) { return 1.0 / (1.0 - c + 2.0 * c / kPi); }

// λ read off the curve: f''(1)/f''(0) = −λ/(1 − λ).
double lambdaOfCurve(kBaseDrive& law) {
  const double start = lawchecks::at(law, 0.0)[2], end = lawchecks::at(law, 1.0)[2];
  return end / (end - start);
}

std::vector<SineLinearCase> grid() {
  std::vector<SineLinearCase> cases = {{0.5, 1.0}, {0.5, 0.5}, {0.2, 1.0},
                                       {0.8, 0.3}, {0.1, 0.2}, {0.9, 0.2}};
  sinechecks::SeededGrid g(4242u);
  for (int i = 0; i < 30; ++i) cases.push_back({g.uniform(0.1, 0.9), g.uniform(0.2, 1.0)});
  return cases;
}

class SineLinearCurve : public ::testing::TestWithParam<SineLinearCase> {};

TEST_P(SineLinearCurve, EndsAtUnitFromRestToRest) {
  const SineLinearCase p = GetParam();
  kDrvSineLinear law = make(p);
  lawchecks::expectUnitEnds(law, p.label());
  EXPECT_NEAR(lawchecks::at(law, 0.0)[1], 0.0, 1e-12);
  EXPECT_NEAR(lawchecks::at(law, 1.0)[1], 0.0, 1e-12);
}

TEST_P(SineLinearCurve, DerivativesMatchDifferencesAndJoinSmoothly) {
  const SineLinearCase p = GetParam();
  kDrvSineLinear law = make(p);
  lawchecks::expectDerivativesMatchDifferences(law, p.label());
  lawchecks::expectContinuousAt(law, p.label(), {p.straightFrom(), p.straightTo()});
}

TEST_P(SineLinearCurve, MovesAtConstantSpeedBetweenTheWaves) {
  const SineLinearCase p = GetParam();
  kDrvSineLinear law = make(p);
  EXPECT_NEAR(lambdaOfCurve(law), p.lambda, 1e-12);
  if (p.c == 1.0) GTEST_SKIP() << "no straight piece";
  const double v = straightVelocity(p.c);
  for (int i = 1; i < 10; ++i) {
    const double z = p.straightFrom() + (p.straightTo() - p.straightFrom()) * i / 10.0;
    EXPECT_EQ(lawchecks::at(law, z)[2], 0.0) << p.label() << " z " << z;
    EXPECT_NEAR(lawchecks::at(law, z)[1], v, 1e-12) << p.label() << " z " << z;
  }
}

TEST_P(SineLinearCurve, ExtremesBoundTheCurve) {
  const SineLinearCase p = GetParam();
  kDrvSineLinear law = make(p);
  for (int k = 1; k <= 3; ++k) sinechecks::expectDerivativeExtremes(law, p.label(), k, true);
}

TEST_P(SineLinearCurve, ValuesAgreeWithCurve) {
  const SineLinearCase p = GetParam();
  kDrvSineLinear law = make(p);
  const double tol2 = 1e-9 * lawchecks::magnitude(law, 2);
  const double tol3 = 1e-4 * lawchecks::magnitude(law, 3);
  EXPECT_NEAR(law.value(vtFdd0), lawchecks::at(law, 0.0)[2], tol2);
  EXPECT_NEAR(law.value(vtFdd1), lawchecks::at(law, 1.0)[2], tol2);
  EXPECT_EQ(law.value(vtCa), law.value(vtFdd0));
  EXPECT_EQ(law.value(vtCaStar), law.value(vtFdd1));
  EXPECT_NEAR(law.value(vtCv), sinechecks::derivativeRange(law, 1).hi, 1e-9);
  EXPECT_NEAR(law.value(vtCj), sinechecks::derivativeRange(law, 3, 0.0, p.straightFrom()).lo, tol3);
  // z = 1 − (1 − λ)·c itself still belongs to the first wave when c = 1.
  EXPECT_NEAR(law.value(vtCjStar),
              sinechecks::derivativeRange(law, 3, p.straightTo() + 1e-12, 1.0).lo, tol3);
  const auto power = sinechecks::rangeOf(
      law, 0.0, 1.0, [](const FArr& v) { return v[1] * v[2]; }, 20000);
  const double tolP = 1e-5 * std::max(power.hi, -power.lo);
  EXPECT_NEAR(law.value(vtCmdyn), power.hi, tolP);
  EXPECT_NEAR(law.value(vtCmdynStar), power.lo, tolP);
  EXPECT_EQ(law.value(vtFd0), 0.0);
  EXPECT_EQ(law.value(vtFd1), 0.0);
  // lambda and c are not answered by the law itself: base values.
  EXPECT_EQ(law.value(vtLambda), 0.5);
  EXPECT_EQ(law.value(vtC), 0.0);
}

// Setting the end curvatures of a law, in either order of names, rebuilds that law.
TEST_P(SineLinearCurve, EndCurvaturesRebuildTheLaw) {
  const SineLinearCase p = GetParam();
  kDrvSineLinear target = make(p);
  const double a = target.value(vtFdd0), b = target.value(vtFdd1);
  for (auto [start, end] : {std::pair{vtFdd0, vtFdd1}, std::pair{vtCa, vtCaStar}}) {
    kDrvSineLinear law;
    law.setValue(start, a);
    EXPECT_EQ(law.setValue(end, b), kLawOk) << p.label();
    EXPECT_NEAR(lawchecks::at(law, 0.0)[2], a, 1e-9 * a) << p.label();
    EXPECT_NEAR(lawchecks::at(law, 1.0)[2], b, 1e-9 * std::fabs(b)) << p.label();
    EXPECT_NEAR(law.value(vtCv), straightVelocity(p.c), 1e-9) << p.label();
  }
}

INSTANTIATE_TEST_SUITE_P(SeededParameters, SineLinearCurve, ::testing::ValuesIn(grid()));

TEST(SineLinear, DefaultIsHarmonicSine) {
  kDrvSineLinear law;
  for (int i = 0; i <= 20; ++i) {
    const double z = i / 20.0;
    EXPECT_NEAR(lawchecks::at(law, z)[0], (1.0 - std::cos(kPi * z)) / 2.0, 1e-12) << z;
  }
  EXPECT_NEAR(lawchecks::at(law, 0.0)[2], kPi * kPi / 2.0, 1e-12);
  EXPECT_NEAR(lawchecks::at(law, 1.0)[2], -kPi * kPi / 2.0, 1e-12);
  EXPECT_NEAR(law.value(vtFdd0), kPi * kPi / 2.0, 1e-12);
  EXPECT_NEAR(law.value(vtCv), kPi / 2.0, 1e-12);
}

struct Clamp {
  ValueType code;
  double given, stored;
  int result;
};

class SineLinearSetter : public ::testing::TestWithParam<Clamp> {};

TEST_P(SineLinearSetter, ClampsParameterIntoRange) {
  const Clamp t = GetParam();
  kDrvSineLinear law;
  law.setValue(vtLambda, 0.4);
  law.setValue(vtC, 0.6);
  EXPECT_EQ(law.setValue(t.code, t.given), t.result);
  lawchecks::expectUnitEnds(law, "clamped", 1e-6);
  if (t.code == vtC) {
    EXPECT_NEAR(law.value(vtCv), straightVelocity(t.stored), 1e-12);
    EXPECT_NEAR(lambdaOfCurve(law), 0.4, 1e-12);
  } else {
    EXPECT_NEAR(lambdaOfCurve(law), t.stored, 1e-12);
    EXPECT_NEAR(law.value(vtCv), straightVelocity(0.6), 1e-12);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, SineLinearSetter,
    ::testing::Values(Clamp{vtC, 2.0, 1.0, kLawClamped}, Clamp{vtC, 0.0, kCMin, kLawClamped},
                      Clamp{vtC, -1.0, kCMin, kLawClamped}, Clamp{vtC, 1.0, 1.0, kLawOk},
                      Clamp{vtC, 0.25, 0.25, kLawOk}, Clamp{vtC, kCMin, kCMin, kLawOk},
                      Clamp{vtLambda, 0.0, kLambdaMin, kLawClamped},
                      Clamp{vtLambda, 1.0, kLambdaMax, kLawClamped},
                      Clamp{vtLambda, 7.0, kLambdaMax, kLawClamped},
                      Clamp{vtLambda, 0.7, 0.7, kLawOk}));

void expectSameCurve(kBaseDrive& a, kBaseDrive& b, const std::string& label) {
  for (int i = 0; i <= 40; ++i) {
    const FArr x = lawchecks::at(a, i / 40.0), y = lawchecks::at(b, i / 40.0);
    for (int k = 0; k < 4; ++k)
      EXPECT_NEAR(x[k], y[k], 1e-9 * (1.0 + std::fabs(x[k]))) << label << " z " << i / 40.0;
  }
}

TEST(SineLinear, ZeroCurvatureKeepsTheLaw) {
  const SineLinearCase p{0.3, 0.6};
  kDrvSineLinear reference = make(p);
  for (ValueType code : {vtFdd0, vtCa, vtFdd1, vtCaStar}) {
    kDrvSineLinear law = make(p);
    EXPECT_EQ(law.setValue(code, 1e-8), kLawOk) << code;
    expectSameCurve(law, reference, "zero curvature");
  }
}

TEST(SineLinear, EqualEndCurvaturesGiveHarmonicSine) {
  kDrvSineLinear law = make({0.3, 0.6});
  kDrvSineLinear harmonic;
  law.setValue(vtFdd0, 5.0);
  EXPECT_EQ(law.setValue(vtFdd1, 5.0 + 1e-8), kLawOk);
  expectSameCurve(law, harmonic, "equal curvatures");
}

// Fault mended: a pair with λ·|A| below 2(π − 2) took the square root of a negative number (a
// NaN law), and one below π²/4 gave c > 1, whose pieces overlap and jump.
TEST(SineLinear, UnreachableEndCurvaturesHoldCAtOne) {
  for (double a : {2.0, 4.7}) {
    kDrvSineLinear law;
    law.setValue(vtFdd0, a);
    EXPECT_EQ(law.setValue(vtFdd1, -a), kLawClamped) << a;
    kDrvSineLinear harmonic;  // λ = B/(B − A) = 0.5, c = 1
    expectSameCurve(law, harmonic, "unreachable pair");
  }
}

// Fault mended: fdddmax was the larger of the two negative jerk peaks, below the curve's 0.
TEST(SineLinear, JerkMaximumIsZero) {
  kDrvSineLinear law = make({0.4, 0.5});
  EXPECT_EQ(law.fdddmax(), 0.0);
  EXPECT_EQ(law.fdddmin(), std::min(law.value(vtCj), law.value(vtCjStar)));
  EXPECT_LT(law.fdddmin(), 0.0);
}

TEST(SineLinear, OtherCodesAreIgnored) {
  kDrvSineLinear reference = make({0.3, 0.6});
  kDrvSineLinear law = make({0.3, 0.6});
  for (ValueType code : {vtFd0, vtFd1, vtCv, vtCj, vtCjStar, vtCmdyn, vtCaEqCaStar, vtZ0})
    EXPECT_EQ(law.setValue(code, 0.9), kLawOk) << code;
  expectSameCurve(law, reference, "ignored codes");
}

}  // namespace
