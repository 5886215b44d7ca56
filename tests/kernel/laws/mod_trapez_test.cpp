#include "kernel/laws/mod_trapez.h"

#include <gtest/gtest.h>

#include <limits>
#include <random>
#include <vector>

#include "tests/kernel/laws/law_checks.h"

namespace lawchecks {
namespace {

// The published figures are rounded: Ca to 0.01, Cj to 0.1, Cmdyn to 0.01.
LawCase restToRest() {
  LawCase c{"ModTrapezRR", factory<kDrvModTrapezRR>()};
  c.joints = {0.125, 0.375, 0.5, 0.625, 0.875};
  c.extremeTol = 1e-3;
  c.peaks = {{vtCv, 1, Peak::kMax, 0.0},
             {vtCa, 2, Peak::kMax, 0.0, 1.0, 1e-3},
             {vtCaStar, 2, Peak::kMin, 0.0, 1.0, 1e-3},
             {vtCj, 3, Peak::kMax, 0.0, 1.0, 1e-3},
             {vtCjStar, 3, Peak::kMin, 0.0, 1.0, 1e-3},
             {vtCmdyn, kPower, Peak::kMax, 0.0, 1.0, 1e-3},
             {vtCmdynStar, kPower, Peak::kMin, 0.0, 1.0, 1e-3}};
  return c;
}

// From rest to a reversal over a seeded grid of lambda. Cmdyn and Cmdyn* carry four-digit
// shape factors (0.6772, 0.766).
std::vector<LawCase> rows() {
  std::vector<LawCase> v = {restToRest()};
  std::vector<double> grid = {0.5, 0.3, 0.05, 0.95, 0.1, 0.9};
  std::mt19937 rng(7193);
  std::uniform_real_distribution<double> lambda(0.05, 0.95);
  for (int i = 0; i < 12; ++i) grid.push_back(lambda(rng));
  for (double l : grid) {
    LawCase c{label("ModTrapez", l),
              factory<kDrvModTrapez>({{vtLambda, l}}),
              {{vtFd0, 0.0}, {vtFd1, 0.0}, {vtFdd0, 0.0}},
              {l / 4, 0.75 * l, l, (3 * l + 1) / 4}};
    c.derivatives(Extreme::kSampled);
    c.peaks = {{vtCa, 2, Peak::kMax, 0.0, 1.0, 1e-9},
               {vtCaStar, 2, Peak::kMin, 0.0, 1.0, 1e-9},
               {vtCv, 1, Peak::kMax, 0.0, 1.0, 1e-6},
               {vtCv, 1, Peak::kAt, l},
               {vtNone, 2, Peak::kAt, l},
               {vtCaStar, 2, Peak::kAt, 1.0},
               {vtCmdyn, kPower, Peak::kMax, 0.0, 1.0, 2e-4},
               {vtCmdynStar, kPower, Peak::kMin, 0.0, 1.0, 2e-4}};
    v.push_back(c);
  }
  return v;
}

INSTANTIATE_TEST_SUITE_P(ModTrapez, LawProperties, testing::ValuesIn(rows()));

constexpr double kLo = kDrvModTrapez::kLambdaMin, kHi = 1.0 - kDrvModTrapez::kLambdaMin;
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

SetterCase on(const char* name, ValueType code, double v, int result, double lambda) {
  return {name,  factory<kDrvModTrapez>({{vtLambda, 0.4}}), code, v, result, valueOf(vtLambda),
          lambda};
}

// Fault mended: a lambda outside (0, 1) was stored as given, so the curve no longer started at
// 0 (or was NaN at 0 and 1); it is clamped to [2^-26, 1 − 2^-26] with 1010.
// Fault mended: a NaN lambda or Ca* was stored and spoiled every later evaluation; it is refused
// with 1018.
INSTANTIATE_TEST_SUITE_P(
    ModTrapez, LawSetter,
    testing::Values(on("LambdaZeroIsClampedUp", vtLambda, 0.0, kLawClamped, kLo),
                    on("LambdaOneIsClampedDown", vtLambda, 1.0, kLawClamped, kHi),
                    on("LambdaAtItsLowestIsTaken", vtLambda, kLo, kLawOk, kLo),
                    // |Ca*| below |Ca*(0)| ≈ 2.02 has its root below 0; 0 asks for none at all.
                    on("SmallCaStarIsClampedUp", vtCaStar, -1.0, kLawClamped, kLo),
                    on("ZeroCaStarIsClampedUp", vtCaStar, 0.0, kLawClamped, kLo),
                    // An unbounded deceleration has its root at λ = 1.
                    on("HugeCaStarIsClampedDown", vtCaStar, -1e300, kLawClamped, kHi),
                    on("InfiniteFdd1IsClampedDown", vtFdd1, kInf, kLawClamped, kHi),
                    on("LambdaNaNIsRefused", vtLambda, kNaN, kLawLambdaRefused, 0.4),
                    on("CaStarNaNIsRefused", vtCaStar, kNaN, kLawLambdaRefused, 0.4),
                    on("Fdd1NaNIsRefused", vtFdd1, kNaN, kLawLambdaRefused, 0.4),
                    // Ca*(0.3) from an independent python3 script; its sign is ignored.
                    SetterCase{"DecelerationGivesItsLambda", factory<kDrvModTrapez>(), vtFdd1,
                               2.962430918964606, kLawOk, valueOf(vtLambda), 0.3, true, 1e-12}),
    setterName);

}  // namespace
}  // namespace lawchecks
