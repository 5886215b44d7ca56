#include "kernel/laws/mod_trapez.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "kernel/support/numeric.h"
#include "tests/kernel/laws/law_checks.h"

namespace {

using veldrive::kPi;

// Collects what is written to standard output, where trace lines go while no debug monitor
// runs. The trace lines of kDrvModTrapez ("lam(...") are dropped when the capture ends
// without text() being asked; anything else (such as a test failure report printed
// meanwhile) is passed on so it is not lost.
class StdoutCapture {
 public:
  StdoutCapture() { testing::internal::CaptureStdout(); }
  ~StdoutCapture() {
    if (taken_) return;
    std::istringstream lines(testing::internal::GetCapturedStdout());
    for (std::string line; std::getline(lines, line);)
      if (line.rfind("lam(", 0) != 0) std::printf("%s\n", line.c_str());
  }
  StdoutCapture(const StdoutCapture&) = delete;
  StdoutCapture& operator=(const StdoutCapture&) = delete;
  std::string text() {
    taken_ = true;
    return testing::internal::GetCapturedStdout();
  }

 private:
  bool taken_ = false;
};

int countLines(const std::string& text) {
  int n = 0;
  for (char c : text) n += c == '\n';
  return n;
}

std::string label(double lambda) { return "ModTrapez(lambda " + std::to_string(lambda) + ")"; }

// ---- kDrvModTrapezRR

TEST(ModTrapezRR, RestToRestWithSmoothJoints) {
  kDrvModTrapezRR law;
  lawchecks::expectUnitEnds(law, "ModTrapezRR", 1e-14);
  for (double z : {0.0, 1.0}) {
    EXPECT_NEAR(lawchecks::at(law, z)[1], 0.0, 1e-14) << "f' at " << z;
    EXPECT_NEAR(lawchecks::at(law, z)[2], 0.0, 1e-12) << "f'' at " << z;
  }
  lawchecks::expectContinuousAt(law, "ModTrapezRR", {0.125, 0.375, 0.5, 0.625, 0.875});
  lawchecks::expectDerivativesMatchDifferences(law, "ModTrapezRR");
}

TEST(ModTrapezRR, IsPointSymmetricAboutTheMiddle) {
  kDrvModTrapezRR law;
  for (int i = 0; i <= 400; ++i) {
    const double z = i / 400.0;
    const FArr v = lawchecks::at(law, z), w = lawchecks::at(law, 1.0 - z);
    EXPECT_NEAR(v[0], 1.0 - w[0], 1e-14) << "z " << z;
    EXPECT_NEAR(v[1], w[1], 1e-13) << "z " << z;
    EXPECT_NEAR(v[2], -w[2], 1e-11) << "z " << z;
    EXPECT_NEAR(v[3], w[3], 1e-9) << "z " << z;
  }
}

TEST(ModTrapezRR, PublishedPointValues) {
  kDrvModTrapezRR law;
  // f(1/8) = (π − 2)/(4π(π + 2)) from the sine rise and the constant piece alike
  const double eighth = (kPi - 2.0) / (4.0 * kPi * (kPi + 2.0));
  EXPECT_NEAR(eighth, 0.017669, 1e-6);
  EXPECT_NEAR(lawchecks::at(law, 0.125)[0], eighth, 1e-15);
  EXPECT_NEAR(lawchecks::at(law, std::nextafter(0.125, 1.0))[0], eighth, 1e-15);
  const FArr mid = lawchecks::at(law, 0.5);
  EXPECT_NEAR(mid[0], 0.5, 1e-15);
  EXPECT_NEAR(mid[1], 2.0, 1e-15);
  EXPECT_NEAR(mid[2], 0.0, 1e-14);
  const FArr late = lawchecks::at(law, 0.75);
  EXPECT_NEAR(late[0], 1.0 - lawchecks::at(law, 0.25)[0], 1e-15);
  EXPECT_NEAR(late[2], -8.0 * kPi / (kPi + 2.0), 1e-13);
}

TEST(ModTrapezRR, CharacteristicValuesAreTheRoundedPeaksAndExtremes) {
  kDrvModTrapezRR law;
  using lawchecks::denseExtreme;
  const auto power = [](const FArr& v) { return v[1] * v[2]; };
  // The published figures are rounded: Ca to 0.01, Cj to 0.1, Cmdyn to 0.01.
  EXPECT_NEAR(law.value(vtCv), denseExtreme(law, 1, true), 1e-12);
  EXPECT_NEAR(law.value(vtCa), denseExtreme(law, 2, true), 0.005);
  EXPECT_NEAR(law.value(vtCaStar), denseExtreme(law, 2, false), 0.005);
  EXPECT_NEAR(law.value(vtCj), denseExtreme(law, 3, true), 0.05);
  EXPECT_NEAR(law.value(vtCjStar), denseExtreme(law, 3, false), 0.05);
  EXPECT_NEAR(law.value(vtCmdyn), denseExtreme(law, power, true), 0.005);
  EXPECT_NEAR(law.value(vtCmdynStar), denseExtreme(law, power, false), 0.005);
  lawchecks::expectExtremesBoundCurve(law, "ModTrapezRR");
  EXPECT_EQ(law.fdmin(), 0.0);
  EXPECT_EQ(law.fdmax(), law.value(vtCv));
  EXPECT_EQ(law.fddmax(), law.value(vtCa));
  EXPECT_EQ(law.fddmin(), law.value(vtCaStar));
  EXPECT_EQ(law.fdddmax(), law.value(vtCj));
  EXPECT_EQ(law.fdddmin(), law.value(vtCjStar));
  EXPECT_EQ(law.fmin(), 0.0);
  EXPECT_EQ(law.fmax(), 1.0);
}

TEST(ModTrapezRR, BoundaryValuesAreZeroAndSetterIgnoresEverything) {
  kDrvModTrapezRR law;
  for (ValueType code : {vtFd0, vtFd1, vtFdd0, vtFdd1, vtC}) EXPECT_EQ(law.value(code), 0.0);
  EXPECT_EQ(law.value(vtLambda), 0.5);
  const FArr before = lawchecks::at(law, 0.3);
  for (int code = 1; code <= 0x20000; code <<= 1)
    EXPECT_EQ(law.setValue(static_cast<ValueType>(code), 0.3), 0) << "code " << code;
  EXPECT_EQ(lawchecks::at(law, 0.3), before);
  EXPECT_EQ(law.value(vtLambda), 0.5);
}

// ---- kDrvModTrapez over a seeded grid of lambda

std::vector<double> lambdaGrid() {
  std::vector<double> rows = {0.5, 0.3, 0.05, 0.95, 0.1, 0.9};
  std::mt19937 rng(7193);
  std::uniform_real_distribution<double> lambda(0.05, 0.95);
  for (int i = 0; i < 12; ++i) rows.push_back(lambda(rng));
  return rows;
}

class ModTrapezGrid : public testing::TestWithParam<double> {
 protected:
  ModTrapezGrid() { EXPECT_EQ(law.setValue(vtLambda, GetParam()), 0); }
  StdoutCapture quiet;  // every evaluation traces two lines
  kDrvModTrapez law;
};

TEST_P(ModTrapezGrid, StartsAtRestAndEndsAtAReversal) {
  const double lambda = GetParam();
  lawchecks::expectUnitEnds(law, label(lambda), 1e-12);
  const FArr start = lawchecks::at(law, 0.0), end = lawchecks::at(law, 1.0);
  EXPECT_EQ(start[1], 0.0);
  EXPECT_EQ(start[2], 0.0);
  EXPECT_NEAR(end[1], 0.0, 1e-14);
  EXPECT_LT(end[2], 0.0);
  EXPECT_EQ(law.value(vtFd0), 0.0);
  EXPECT_EQ(law.value(vtFd1), 0.0);
  EXPECT_EQ(law.value(vtFdd0), 0.0);
  EXPECT_NEAR(law.value(vtFdd1), end[2], 1e-12 * std::fabs(end[2]));
  EXPECT_EQ(law.value(vtCaStar), law.value(vtFdd1));
  EXPECT_EQ(law.value(vtLambda), lambda);
  // The velocity turns at z = λ: f'' changes sign there and f' peaks at Cv.
  const FArr turn = lawchecks::at(law, lambda);
  EXPECT_NEAR(turn[2], 0.0, 1e-12 * law.value(vtCa));
  EXPECT_NEAR(turn[1], law.value(vtCv), 1e-12 * law.value(vtCv));
}

TEST_P(ModTrapezGrid, PiecesJoinSmoothlyAndDerivativesMatchDifferences) {
  const double lambda = GetParam();
  lawchecks::expectContinuousAt(
      law, label(lambda), {lambda / 4.0, 0.75 * lambda, lambda, (3.0 * lambda + 1.0) / 4.0});
  lawchecks::expectDerivativesMatchDifferences(law, label(lambda));
  EXPECT_GE(lawchecks::denseExtreme(law, 1, false, 2000), 0.0) << "f moves backwards";
}

// f''' steps at z = λ, from −A1/a (end of the acceleration fall) to A2/b (start of the
// deceleration rise); the left piece answers at λ itself.
TEST_P(ModTrapezGrid, JerkStepAtTheInflectionBelongsToTheLeftPiece) {
  const double lambda = GetParam();
  const double atB = lawchecks::at(law, lambda)[3];
  const double left = lawchecks::at(law, lambda - 1e-12)[3];
  const double right = lawchecks::at(law, lambda + 1e-12)[3];
  EXPECT_NEAR(atB, left, 1e-6 * std::fabs(right - left)) << label(lambda);
}

TEST_P(ModTrapezGrid, CharacteristicValuesArePeaksOfTheCurve) {
  const double lambda = GetParam();
  using lawchecks::denseExtreme;
  const double ca = law.value(vtCa), caStar = law.value(vtCaStar), cv = law.value(vtCv);
  EXPECT_GT(ca, 0.0);
  EXPECT_NEAR(ca, denseExtreme(law, 2, true), 1e-12 * ca) << label(lambda);
  EXPECT_NEAR(caStar, denseExtreme(law, 2, false), 1e-12 * -caStar) << label(lambda);
  EXPECT_NEAR(cv, denseExtreme(law, 1, true), 1e-8 * cv) << label(lambda);
  // Cmdyn and Cmdyn* carry four-digit shape factors (0.6772, 0.766).
  const auto power = [](const FArr& v) { return v[1] * v[2]; };
  const double cmdyn = law.value(vtCmdyn), cmdynStar = law.value(vtCmdynStar);
  EXPECT_NEAR(cmdyn, denseExtreme(law, power, true), 2e-4 * cmdyn) << label(lambda);
  EXPECT_NEAR(cmdynStar, denseExtreme(law, power, false), 2e-4 * -cmdynStar) << label(lambda);
  EXPECT_EQ(law.value(vtCj), 0.0);
  EXPECT_EQ(law.value(vtCjStar), 0.0);
  EXPECT_EQ(law.value(vtC), 0.0);
}

TEST_P(ModTrapezGrid, ReportsSampledExtremesWithinTheCharacteristicValues) {
  lawchecks::expectSampledExtremes(law, label(GetParam()));
  constexpr double kRounding = 1e-12;
  EXPECT_LE(law.fdmax(), law.value(vtCv) * (1.0 + kRounding));
  EXPECT_GE(law.fdmin(), -kRounding);
  EXPECT_LE(law.fddmax(), law.value(vtCa) * (1.0 + kRounding));
  EXPECT_GE(law.fddmin(), law.value(vtCaStar) * (1.0 + kRounding));
}

TEST_P(ModTrapezGrid, DecelerationSetterFindsTheLambdaBack) {
  const double lambda = GetParam(), caStar = law.value(vtCaStar);
  for (ValueType code : {vtCaStar, vtFdd1}) {
    for (double v : {caStar, -caStar}) {  // the sign of the requested value is ignored
      kDrvModTrapez other;
      EXPECT_EQ(other.setValue(code, v), 0);
      EXPECT_NEAR(other.value(vtLambda), lambda, 1e-9) << "code " << code << " v " << v;
      EXPECT_NEAR(lawchecks::at(other, 1.0)[2], caStar, 1e-8 * -caStar);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(SeededLambda, ModTrapezGrid, testing::ValuesIn(lambdaGrid()));

// ---- kDrvModTrapez: fixed values, traces, result codes

TEST(ModTrapez, DefaultLambdaHalfEndsWithItsDeceleration) {
  StdoutCapture quiet;
  kDrvModTrapez law;
  EXPECT_EQ(law.value(vtLambda), 0.5);
  const FArr end = lawchecks::at(law, 1.0);
  EXPECT_NEAR(end[0], 1.0, 1e-14);
  EXPECT_NEAR(end[1], 0.0, 1e-15);
  // Ca*(0.5) = -32π²/(15π² + 8 − (9π² − 4π + 8) + (3π² − 8π + 8)/4) = -4.21648 (rounded to
  // 6 digits by python3: see the trace golden below).
  EXPECT_NEAR(end[2], -4.21648, 5e-6);
  EXPECT_NEAR(lawchecks::at(law, 0.5)[1], law.value(vtCv), 1e-14);
}

TEST(ModTrapez, DecelerationOfLambdaPointThreeGivesLambdaPointThree) {
  kDrvModTrapez law;
  // Ca*(0.3), from the same python3 script as the trace goldens
  EXPECT_EQ(law.setValue(vtCaStar, -2.962430918964606), 0);
  EXPECT_NEAR(law.value(vtLambda), 0.3, 1e-12);
}

// Goldens from python3, formatting Ca(λ) and Ca*(λ) with "%g":
//   pi = math.pi
//   cas = lambda l: -32*pi*pi/(15*pi*pi+8-2*l*(9*pi*pi-4*pi+8)+l*l*(3*pi*pi-8*pi+8))
//   ca = lambda l: cas(l)*(-(1-l)/l)*(3*pi+2)*0.5/(pi+2)
TEST(ModTrapez, EveryEvaluationTracesLambdaAndAmplitudes) {
  kDrvModTrapez law;
  {
    StdoutCapture out;
    lawchecks::at(law, 0.2);
    EXPECT_EQ(out.text(), "lam(0.5)\nlam(0.5), ca(4.68458), cas(-4.21648)\n");
  }
  ASSERT_EQ(law.setValue(vtLambda, 0.3), 0);
  {
    StdoutCapture out;
    lawchecks::at(law, 0.9);
    EXPECT_EQ(out.text(), "lam(0.3)\nlam(0.3), ca(7.67972), cas(-2.96243)\n");
  }
  {
    StdoutCapture out;
    law.value(vtCa);
    law.value(vtCmdyn);
    law.setValue(vtLambda, 0.4);
    EXPECT_EQ(out.text(), "") << "only evaluations trace";
  }
}

TEST(ModTrapez, SampledExtremumSearchTracesFortyTwoLines) {
  kDrvModTrapez law;
  StdoutCapture out;
  law.fddmax();
  EXPECT_EQ(countLines(out.text()), 42);
}

// Fault mended: a lambda outside (0, 1) was stored as given, so the curve no longer started
// at 0 (or was NaN at λ = 0 and 1); it is now clamped to [2^-26, 1 − 2^-26] with 1010.
TEST(ModTrapez, LambdaOutsideTheOpenIntervalIsClampedWith1010) {
  constexpr double lo = kDrvModTrapez::kLambdaMin, hi = 1.0 - kDrvModTrapez::kLambdaMin;
  EXPECT_EQ(lo, 1.4901161193847656e-8);
  const double inf = std::numeric_limits<double>::infinity();
  struct Row {
    ValueType code;
    double v;
    double lambda;
  };
  const Row rows[] = {
      {vtLambda, 0.0, lo},    {vtLambda, -1.0, lo}, {vtLambda, 1e-12, lo},
      {vtLambda, -inf, lo},   {vtLambda, 1.0, hi},  {vtLambda, 1.5, hi},
      {vtLambda, inf, hi},
      // |Ca*| below |Ca*(0)| ≈ 2.02 has its root below 0; Ca* = 0 asks for no deceleration
      {vtCaStar, -1.0, lo},   {vtCaStar, 0.0, lo},  {vtFdd1, -2.0, lo},
      // an unbounded deceleration has its root at λ = 1
      {vtCaStar, -1e300, hi}, {vtCaStar, -inf, hi}, {vtFdd1, inf, hi},
  };
  StdoutCapture quiet;
  for (const Row& row : rows) {
    kDrvModTrapez law;
    EXPECT_EQ(law.setValue(row.code, row.v), 1010) << "code " << row.code << " v " << row.v;
    EXPECT_EQ(law.value(vtLambda), row.lambda) << "code " << row.code << " v " << row.v;
    EXPECT_NEAR(lawchecks::at(law, 0.0)[0], 0.0, 1e-12);
    EXPECT_NEAR(lawchecks::at(law, 1.0)[0], 1.0, 1e-6);
    for (int i = 0; i <= 100; ++i)
      for (double x : lawchecks::at(law, i / 100.0)) EXPECT_TRUE(std::isfinite(x));
  }
}

// Fault mended: a NaN lambda or Ca* was stored and spoiled every later evaluation; it is
// now refused with 1018 and the law keeps its lambda.
TEST(ModTrapez, NotANumberIsRefusedWith1018) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (ValueType code : {vtLambda, vtCaStar, vtFdd1}) {
    kDrvModTrapez law;
    ASSERT_EQ(law.setValue(vtLambda, 0.4), 0);
    EXPECT_EQ(law.setValue(code, nan), 1018) << "code " << code;
    EXPECT_EQ(law.value(vtLambda), 0.4);
  }
}

TEST(ModTrapez, LambdaInsideTheIntervalIsStoredAsGiven) {
  for (double v : {kDrvModTrapez::kLambdaMin, 0.123456789, 1.0 - kDrvModTrapez::kLambdaMin}) {
    kDrvModTrapez law;
    EXPECT_EQ(law.setValue(vtLambda, v), 0);
    EXPECT_EQ(law.value(vtLambda), v);
  }
}

TEST(ModTrapez, OtherCodesAreIgnored) {
  kDrvModTrapez law;
  ASSERT_EQ(law.setValue(vtLambda, 0.35), 0);
  for (int code = 1; code <= 0x20000; code <<= 1) {
    const auto vt = static_cast<ValueType>(code);
    if (vt == vtLambda || vt == vtCaStar || vt == vtFdd1) continue;
    EXPECT_EQ(law.setValue(vt, 0.8), 0) << "code " << code;
  }
  EXPECT_EQ(law.value(vtLambda), 0.35);
}

}  // namespace
