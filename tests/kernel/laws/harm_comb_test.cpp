#include "kernel/laws/harm_comb.h"

#include <gtest/gtest.h>

#include <limits>
#include <random>
#include <vector>

#include "kernel/support/numeric.h"
#include "tests/kernel/laws/law_checks.h"

namespace lawchecks {
namespace {

// Corners plus a seeded grid: fd0 in [−3, 1] (1 is the upper limit), lambda in [0.05, 0.95].
// Fault mended (rows with fd0 < 0): fmin was 0 although a negative start slope makes f dip
// below 0.
std::vector<LawCase> rows() {
  std::vector<std::pair<double, double>> grid = {{0.0, 0.5},  {0.4, 0.3}, {1.0, 0.5},
                                                 {-3.0, 0.5}, {0.9, 0.9}, {0.99, 0.05},
                                                 {1.0, 0.95}, {-1.0, 0.2}};
  std::mt19937 rng(20240611);
  std::uniform_real_distribution<double> fd0(-3.0, 1.0), lambda(0.05, 0.95);
  for (int i = 0; i < 16; ++i) grid.push_back({fd0(rng), lambda(rng)});
  std::vector<LawCase> v;
  for (auto [fd0, l] : grid) {
    LawCase c{label("HarmComb", fd0, l),
              factory<kDrvHarmComb>({{vtLambda, l}, {vtFd0, fd0}}),
              {{vtFd0, fd0}, {vtFd1, 0.0}, {vtFdd0, 0.0}},
              {l / 4, l}};
    c.derivatives(Extreme::kSampled);
    // Ca: the acceleration peak at the end of the first quarter wave; Cv: the slope at the
    // inflection point λ; Ca*: the deceleration still acting at the reversal z = 1.
    c.peaks = {{vtCa, 2, Peak::kMax, 0.0}, {vtCa, 2, Peak::kAt, l / 4},
               {vtCv, 1, Peak::kMax, 0.0}, {vtCv, 1, Peak::kAt, l},
               {vtNone, 2, Peak::kAt, l},  {vtCaStar, 2, Peak::kAt, 1.0}};
    v.push_back(c);
  }
  return v;
}

INSTANTIATE_TEST_SUITE_P(HarmComb, LawProperties, testing::ValuesIn(rows()));

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kQuarterPiSq = veldrive::kPi * veldrive::kPi / 4.0;

SetterCase on(const char* name, ValueType code, double v, int result, ValueType read,
              double expected, double lambda = 0.5) {
  return {name,    factory<kDrvHarmComb>({{vtLambda, lambda}}), code, v, result, valueOf(read),
          expected};
}

INSTANTIATE_TEST_SUITE_P(
    HarmComb, LawSetter,
    testing::Values(
        // The limit of fd0, the integer part of π/((π − 2)λ + 2), is 1 for every λ.
        on("Fd0AboveLimitIsClampedAtLargeLambda", vtFd0, 1.2, kLawBeyondLimit, vtFd0, 1.0, 0.95),
        on("Fd0AtLimitIsTaken", vtFd0, 1.0, kLawOk, vtFd0, 1.0),
        on("Fd0HasNoLowerLimit", vtFd0, -3.0, kLawOk, vtFd0, -3.0),
        // Fault mended: a NaN or infinite fd0 was stored and made every value NaN.
        on("Fd0NaNIsRefused", vtFd0, kNaN, kLawBeyondLimit, vtFd0, 0.0),
        on("Fd0MinusInfinityIsRefused", vtFd0, -kInf, kLawBeyondLimit, vtFd0, 0.0),
        on("LambdaInsideIsTaken", vtLambda, 0.3, kLawOk, vtLambda, 0.3),
        on("LambdaOneIsRefused", vtLambda, 1.0, kLawLambdaRefused, vtLambda, 0.5),
        on("LambdaZeroIsRefused", vtLambda, 0.0, kLawLambdaRefused, vtLambda, 0.5),
        on("LambdaNaNIsRefused", vtLambda, kNaN, kLawLambdaRefused, vtLambda, 0.5),
        on("CaStarBelowQuarterPiSquaredIsRefused", vtCaStar, -2.0, kLawBeyondLimit, vtLambda, 0.5),
        // Fault mended: |Ca*| = π²/4 exactly passed the check and set lambda to 0.
        on("CaStarAtQuarterPiSquaredIsRefused", vtCaStar, -kQuarterPiSq, kLawBeyondLimit, vtLambda,
           0.5),
        on("CaStarInfiniteIsRefused", vtCaStar, -kInf, kLawBeyondLimit, vtLambda, 0.5),
        on("CaStarNaNIsRefused", vtCaStar, kNaN, kLawBeyondLimit, vtLambda, 0.5),
        SetterCase{"CaStarSignIsIgnored", factory<kDrvHarmComb>({{vtFd0, 0.4}}), vtCaStar, 12.0,
                   kLawOk, valueOf(vtCaStar), -12.0, true, 1e-9}),
    setterName);

TEST(HarmComb, DefaultsGiveThePublishedFigures) {
  kDrvHarmComb law;
  EXPECT_NEAR(at(law, 0.5)[0], 0.47165, 1e-5);
  EXPECT_NEAR(law.value(vtCv), 1.65985, 1e-5);
  EXPECT_NEAR(law.value(vtCa), 5.2146, 1e-4);
  EXPECT_NEAR(law.value(vtCaStar), -5.2146, 1e-4);
}

}  // namespace
}  // namespace lawchecks
