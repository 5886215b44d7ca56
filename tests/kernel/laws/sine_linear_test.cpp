#include "kernel/laws/sine_linear.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "kernel/laws/sine_limits.h"
#include "kernel/support/numeric.h"
#include "tests/kernel/laws/law_checks.h"

namespace lawchecks {
namespace {

using veldrive::kCMin;
using veldrive::kLambdaMax;
using veldrive::kLambdaMin;
using veldrive::kPi;

// λ and c read off the curve: f''(1)/f''(0) = −λ/(1 − λ); the straight piece's velocity v
// covers the stroke as 1 = v·(1 − c) + v·c·2/π (a quarter wave of width w adds v·w·2/π), so
// c = (1 − 1/v)/(1 − 2/π) with v the peak velocity.
double curveLambda(kBaseDrive& law) {
  const double start = at(law, 0.0)[2], end = at(law, 1.0)[2];
  return end / (end - start);
}
double curveC(kBaseDrive& law) {
  return (1.0 - 1.0 / rangeOf(law, 1, 0.0, 1.0, 2000).hi) / (1.0 - 2.0 / kPi);
}

// Fault mended (every row): fdddmax was the larger of the two negative jerk peaks, below the
// curve's 0.
std::vector<LawCase> rows() {
  std::vector<std::pair<double, double>> grid = {{0.5, 1.0}, {0.5, 0.5}, {0.2, 1.0},
                                                 {0.8, 0.3}, {0.1, 0.2}, {0.9, 0.2}};
  std::mt19937 rng(4242u);
  std::uniform_real_distribution<double> lambda(0.1, 0.9), c(0.2, 1.0);
  for (int i = 0; i < 30; ++i) grid.push_back({lambda(rng), c(rng)});
  std::vector<LawCase> v;
  for (auto [l, c] : grid) {
    const double from = c * l, to = 1.0 - (1.0 - l) * c;  // the straight piece
    LawCase row{label("SineLinear", l, c),
                factory<kDrvSineLinear>({{vtLambda, l}, {vtC, c}}),
                {{vtFd0, 0.0}, {vtFd1, 0.0}},
                {from, to}};
    // z = to itself still belongs to the first wave when c = 1.
    row.peaks = {{vtCa, 2, Peak::kAt, 0.0},
                 {vtCaStar, 2, Peak::kAt, 1.0},
                 {vtCv, 1, Peak::kMax, 0.0},
                 {vtCj, 3, Peak::kMin, 0.0, from, 1e-4},
                 {vtCjStar, 3, Peak::kMin, to + 1e-12, 1.0, 1e-4},
                 {vtCmdyn, kPower, Peak::kMax, 0.0},
                 {vtCmdynStar, kPower, Peak::kMin, 0.0}};
    if (l == 0.5 && c == 1.0)  // the harmonic sine
      row.reference = [](double z) { return (1.0 - std::cos(kPi * z)) / 2.0; };
    v.push_back(row);
  }
  return v;
}

INSTANTIATE_TEST_SUITE_P(SineLinear, LawProperties, testing::ValuesIn(rows()));

SetterCase on(const char* name, ValueType code, double v, int result, double lambda, double c) {
  const bool readC = code == vtC;
  return {name,
          factory<kDrvSineLinear>({{vtLambda, 0.4}, {vtC, 0.6}}),
          code,
          v,
          result,
          readC ? curveC : curveLambda,
          readC ? c : lambda,
          true,
          1e-9};
}

INSTANTIATE_TEST_SUITE_P(
    SineLinear, LawSetter,
    testing::Values(on("CAboveOneIsClamped", vtC, 2.0, kLawClamped, 0.4, 1.0),
                    on("CZeroIsClampedUp", vtC, 0.0, kLawClamped, 0.4, kCMin),
                    on("COneIsTaken", vtC, 1.0, kLawOk, 0.4, 1.0),
                    on("CInsideIsTaken", vtC, 0.25, kLawOk, 0.4, 0.25),
                    on("LambdaZeroIsClampedUp", vtLambda, 0.0, kLawClamped, kLambdaMin, 0.6),
                    on("LambdaOneIsClampedDown", vtLambda, 1.0, kLawClamped, kLambdaMax, 0.6),
                    on("LambdaInsideIsTaken", vtLambda, 0.7, kLawOk, 0.7, 0.6),
                    // Fault mended: a pair with λ·|A| below 2(π − 2) took the square root of a
                    // negative number (a NaN law), one below π²/4 gave c > 1 (pieces overlap).
                    SetterCase{"UnreachableEndCurvaturesHoldCAtOne",
                               factory<kDrvSineLinear>({{vtFdd0, 4.7}}, false), vtFdd1, -4.7,
                               kLawClamped, curveC, 1.0, true, 1e-9},
                    SetterCase{"EndCurvaturesWithoutRealRootHoldCAtOne",
                               factory<kDrvSineLinear>({{vtFdd0, 2.0}}, false), vtFdd1, -2.0,
                               kLawClamped, curveC, 1.0, true, 1e-9},
                    // An (almost) zero end curvature keeps the law; equal ones give the
                    // harmonic sine.
                    on("ZeroStartCurvatureKeepsTheLaw", vtFdd0, 1e-8, kLawOk, 0.4, 0.6),
                    on("ZeroEndCurvatureKeepsTheLaw", vtCaStar, -1e-8, kLawOk, 0.4, 0.6),
                    SetterCase{"EqualEndCurvaturesGiveTheHarmonicSine",
                               factory<kDrvSineLinear>({{vtFdd0, 5.0}}, false), vtFdd1, 5.0 + 1e-8,
                               kLawOk, curveC, 1.0, true, 1e-9}),
    setterName);

}  // namespace
}  // namespace lawchecks
