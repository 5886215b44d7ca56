#include "kernel/laws/mod_sine.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <random>
#include <vector>

#include "kernel/laws/sine_limits.h"
#include "tests/kernel/laws/law_checks.h"

namespace lawchecks {
namespace {

using veldrive::kLambdaMax;
using veldrive::kLambdaMin;

// The classic rest-to-rest law, skewed inflection points, and seeded random slopes from moving
// backwards (−0.5) to well above the mean speed (2.5), where A1 or A2 change sign.
// Fault mended (row 0.5, 0, 3): with both halves accelerating, fddmin was A2 > fddmax = A1 and
// fdmax was f'(λ) instead of fd1.
std::vector<LawCase> rows() {
  std::vector<std::array<double, 3>> grid = {{0.5, 0, 0},   {0.1, 0, 0},      {0.9, 0, 0},
                                             {0.5, 0, 3},   {0.5, 2, 2},      {0.3, 1, 1},
                                             {0.7, 0.5, 0}, {0.05, 0.2, 0.4}, {0.95, -0.5, 1.5}};
  std::mt19937 rng(20260512u);
  std::uniform_real_distribution<double> lambda(0.1, 0.9), slope(-0.5, 2.5);
  for (int i = 0; i < 40; ++i) grid.push_back({lambda(rng), slope(rng), slope(rng)});
  std::vector<LawCase> v;
  for (auto [l, fd0, fd1] : grid) {
    LawCase c{label("ModSine", l, fd0, fd1),
              factory<kDrvModSine>({{vtFd0, fd0}, {vtFd1, fd1}, {vtLambda, l}}),
              {{vtFd0, fd0}, {vtFd1, fd1}, {vtFdd0, 0.0}, {vtFdd1, 0.0}},
              {l / 4, l, l / 4 + 0.75}};
    // f leaves [0, 1] for negative slopes (the base's 0 and 1); f''' is sampled by the base.
    c.extremes[0] = Extreme::kUnchecked;
    c.extremes[3] = Extreme::kSampled;
    c.peaks = {{vtCa, 2, Peak::kSigned, 0.0, l},
               {vtCaStar, 2, Peak::kSigned, l, 1.0},
               {vtCv, 1, Peak::kAt, l},
               {vtNone, 2, Peak::kAt, l}};  // inflection
    v.push_back(c);
  }
  return v;
}

INSTANTIATE_TEST_SUITE_P(ModSine, LawProperties, testing::ValuesIn(rows()));

SetterCase on(const char* name, Settings before, ValueType code, double v, int result,
              double lambda) {
  return {name, factory<kDrvModSine>(before), code, v, result, valueOf(vtLambda), lambda};
}

// |A2| of a rest-to-rest law lies between 2π²/(π + 4) (λ → 0) and infinity.
INSTANTIATE_TEST_SUITE_P(
    ModSine, LawSetter,
    testing::Values(
        on("LambdaZeroIsClampedUp", {{vtFd1, 0.4}}, vtLambda, 0.0, kLawClamped, kLambdaMin),
        on("LambdaAboveOneIsClampedDown", {{vtFd1, 0.4}}, vtLambda, 1.5, kLawClamped, kLambdaMax),
        on("LambdaAtItsLowestIsTaken", {}, vtLambda, kLambdaMin, kLawOk, kLambdaMin),
        on("CaStarTooSmallClampsLambdaDown", {}, vtCaStar, -1.0, kLawClamped, kLambdaMin),
        on("CaStarTooLargeClampsLambdaUp", {}, vtCaStar, -1e12, kLawClamped, kLambdaMax),
        // Fault mended: Ca* = 0 on a rest-to-rest law stored A2 = 0 alone; f(1) was not 1.
        on("CaStarZeroLeavesTheLawWhole", {{vtLambda, 0.4}}, vtCaStar, 0.0, kLawClamped, 0.4),
        // Fault mended: a failed Ca = Ca* stored the last root tried (−inf) as lambda.
        on("EqualPeaksWithEqualSlopesFails", {{vtFd0, 0.6}, {vtFd1, 0.6}, {vtLambda, 0.3}},
           vtCaEqCaStar, 0.0, kLawCaEqCaStarFailed, 0.3)),
    setterName);

// The naive root √q − p cancels to 0 when the slopes differ only by rounding.
TEST(ModSine, EqualPeaksWithNearlyEqualSlopesFindsTheMiddle) {
  auto law = make<kDrvModSine>({{vtFd0, 0.2}, {vtFd1, std::nextafter(0.2, 1.0)}});
  ASSERT_EQ(law->setValue(vtCaEqCaStar, 0.0), kLawOk);
  EXPECT_NEAR(law->value(vtLambda), 0.5, 1e-9);
  // Ending at half the mean speed needs less time to decelerate than to accelerate.
  auto slower = make<kDrvModSine>({{vtFd1, 0.5}});
  ASSERT_EQ(slower->setValue(vtCaEqCaStar, 0.0), kLawOk);
  EXPECT_GT(slower->value(vtLambda), 0.5);
}

TEST(ModSine, DefaultIsTheClassicModifiedSine) {
  kDrvModSine law;
  EXPECT_NEAR(law.value(vtCa), 5.5280, 1e-4);
  EXPECT_NEAR(law.value(vtCv), 1.7596, 1e-4);
}

}  // namespace
}  // namespace lawchecks
