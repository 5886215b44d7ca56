#include "kernel/laws/derived_laws.h"

#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "kernel/laws/basic_laws.h"
#include "kernel/laws/harm_comb.h"
#include "kernel/laws/incl_sine.h"
#include "kernel/laws/mod_trapez.h"
#include "kernel/laws/poly5.h"
#include "tests/kernel/laws/law_checks.h"

namespace lawchecks {
namespace {

constexpr double kEps = 2.220446049250313e-16;

// A wrapped law: its factory and what it promises.
struct Inner {
  std::string name;
  Factory make;
  std::vector<double> joints{};
  int smooth = 2;
  bool sampled = false;   // reports the base's sampled derivative extremes
  bool caIsPeak = false;  // Ca and Cv are its f'' and f' peaks
};

Factory harmComb(double fd0, double l) {
  return factory<kDrvHarmComb>({{vtLambda, l}, {vtFd0, fd0}});
}
Factory poly5(double fd0, double fdd0, double fd1, double fdd1) {
  return factory<kDrvPoly5>({{vtFd0, fd0}, {vtFdd0, fdd0}, {vtFd1, fd1}, {vtFdd1, fdd1}});
}

const Inner kLinear{"Linear", factory<kDrvLinear>()};
const Inner kQuadParab{"QuadParab", factory<kDrvQuadParab>(), {0.5}, 1};
const Inner kInclSine{"InclSine", factory<kDrvInclSine>(), {}, 2, false, true};
const Inner kModTrapezRR{
    "ModTrapezRR", factory<kDrvModTrapezRR>(), {0.125, 0.375, 0.5, 0.625, 0.875}, 2, false, true};

std::vector<Inner> mirrorInners() {
  return {kLinear,
          kQuadParab,
          kInclSine,
          kModTrapezRR,
          {"HarmComb", harmComb(0.0, 0.5), {0.125, 0.5}, 2, true},
          {"HarmCombFd0Lambda", harmComb(0.4, 0.3), {0.075, 0.3}, 2, true},
          {"HarmCombNegativeFd0", harmComb(-1.0, 0.2), {0.05, 0.2}, 2, true},
          {"Poly5Asymmetric", poly5(0.3, 1.0, 0.5, -0.5), {}, 2, true}};
}

// Point-symmetric laws, which kDrvLambda is meant for.
std::vector<Inner> symmetricInners() {
  return {kLinear,
          kQuadParab,
          kInclSine,
          kModTrapezRR,
          {"Poly5RestToRest", poly5(0, 0, 0, 0), {}, 2, true},
          {"Poly5EqualSlopes", poly5(0.2, 0, 0.2, 0), {}, 2, true},
          {"Poly5OppositeCurvatures", poly5(0, 1, 0, -1), {}, 2, true}};
}

std::vector<LawCase> rows() {
  std::vector<LawCase> v;
  for (const Inner& in : mirrorInners()) {
    LawCase c{"Inverse(" + in.name + ")",
              [make = in.make] { return std::make_unique<kDrvInverse>(make()); }};
    for (double j : in.joints) c.joints.push_back(1.0 - j);
    c.smooth = in.smooth;
    c.extremeTol = 1e-3;  // ModTrapezRR reports rounded figures
    if (in.name.rfind("Poly5", 0) == 0) c.extremes[0] = Extreme::kUnchecked;
    if (in.sampled) c.derivatives(Extreme::kSampled);
    v.push_back(c);
  }
  std::vector<double> lambdas = {0.5, 0.25, 0.75, 0.1};
  std::mt19937 rng(7311);
  std::uniform_real_distribution<double> lambda(0.05, 0.95);
  for (int i = 0; i < 3; ++i) lambdas.push_back(lambda(rng));
  for (const Inner& in : symmetricInners()) {
    for (double l : lambdas) {
      LawCase c{label("Lambda", in.name, l), [make = in.make, l] {
                  auto law = std::make_unique<kDrvLambda>(make());
                  EXPECT_EQ(law->setValue(vtLambda, l), kLawOk);
                  return law;
                }};
      // Each half of the wrapped law is stretched onto [0, λ] or [λ, 1].
      c.joints = {l};
      for (double j : in.joints)
        if (j != 0.5) c.joints.push_back(j < 0.5 ? 2 * l * j : l + (j - 0.5) * 2 * (1 - l));
      c.smooth = in.smooth;
      c.extremeTol = 1e-3;
      if (in.sampled) c.derivatives(Extreme::kWithin);
      c.peaks = {{vtLambda, 0, Peak::kAt, l}};  // f(λ) = λ
      // Ca is the peak before λ, Ca* the peak deceleration after it, positive.
      if (in.caIsPeak)
        c.peaks.insert(c.peaks.end(), {{vtCa, 2, Peak::kMax, 0.0, l, 1e-3},
                                       {vtCaStar, 2, Peak::kMin, l, 1.0, 1e-3, -1.0},
                                       {vtCv, 1, Peak::kMax, 0.0, 1.0, 1e-3}});
      v.push_back(c);
    }
  }
  return v;
}

// Fault mended (Lambda rows): fddmax was divided by max(λ, 1 − λ) and fdddmax by
// max(λ², (1 − λ)²), so for λ ≠ 0.5 they reported less than the curve reaches; and the end
// curvatures were the wrapped law's, unscaled, unlike the curve.
INSTANTIATE_TEST_SUITE_P(DerivedLaws, LawProperties, testing::ValuesIn(rows()));

SetterCase lambdaCase(const char* name, double v, int result, double stored, bool evaluates) {
  return {name,     [] { return std::make_unique<kDrvLambda>(std::make_unique<kDrvInclSine>()); },
          vtLambda, v,
          result,   valueOf(vtLambda),
          stored,   evaluates};
}

// Stored as given inside [0, 1], moved just inside beyond it; a lambda within 2ε of 0 or 1
// leaves the output alone.
INSTANTIATE_TEST_SUITE_P(
    Lambda, LawSetter,
    testing::Values(
        lambdaCase("InsideIsStored", 0.3, 0, 0.3, true),
        lambdaCase("AboveOneMovesJustBelowOne", 1.2, 0, 1.0 - kEps, false),
        lambdaCase("BelowZeroMovesJustAboveZero", -0.5, 0, kEps, false),
        lambdaCase("ZeroIsStored", 0.0, 0, 0.0, false),
        lambdaCase("TwoEpsilonBelowOneIsDegenerate", 1.0 - 2 * kEps, 0, 1.0 - 2 * kEps, false),
        lambdaCase("FourEpsilonBelowOneEvaluates", 1.0 - 4 * kEps, 0, 1.0 - 4 * kEps, true),
        // Fault mended: NaN was neither stored nor reported (result 0).
        lambdaCase("NaNIsRefused", std::numeric_limits<double>::quiet_NaN(), kLawLambdaRefused, 0.5,
                   true)),
    setterName);

}  // namespace
}  // namespace lawchecks
