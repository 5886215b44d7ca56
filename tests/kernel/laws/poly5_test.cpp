#include "kernel/laws/poly5.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "tests/kernel/laws/law_checks.h"

namespace {

struct Poly5Params {
  double fd0, fdd0, fd1, fdd1;
};

std::string label(const Poly5Params& p) {
  return "Poly5(fd0 " + std::to_string(p.fd0) + ", fdd0 " + std::to_string(p.fdd0) +
         ", fd1 " + std::to_string(p.fd1) + ", fdd1 " + std::to_string(p.fdd1) + ")";
}

kDrvPoly5 makeLaw(const Poly5Params& p) {
  kDrvPoly5 law;
  EXPECT_EQ(law.setValue(vtFd0, p.fd0), 0);
  EXPECT_EQ(law.setValue(vtFdd0, p.fdd0), 0);
  EXPECT_EQ(law.setValue(vtFd1, p.fd1), 0);
  EXPECT_EQ(law.setValue(vtFdd1, p.fdd1), 0);
  return law;
}

// The same curve written in the quintic Hermite basis (a different construction from the
// law's coefficients): f = H3 + fd0·H1 + fdd0·H2 + fd1·H4 + fdd1·H5 with
// H1 = z − 6z³ + 8z⁴ − 3z⁵, H2 = z²(1 − z)³/2, H3 = 10z³ − 15z⁴ + 6z⁵,
// H4 = −4z³ + 7z⁴ − 3z⁵, H5 = z³(1 − z)²/2.
double hermite(const Poly5Params& p, double z) {
  const double z3 = z * z * z, z4 = z3 * z, z5 = z4 * z, u = 1.0 - z;
  return (10 * z3 - 15 * z4 + 6 * z5) + p.fd0 * (z - 6 * z3 + 8 * z4 - 3 * z5) +
         p.fdd0 * 0.5 * z * z * u * u * u + p.fd1 * (-4 * z3 + 7 * z4 - 3 * z5) +
         p.fdd1 * 0.5 * z3 * u * u;
}

// Corner rows, then a seeded grid over slopes in [−2, 3] and curvatures in [−30, 30].
std::vector<Poly5Params> parameterGrid() {
  std::vector<Poly5Params> rows = {
      {0, 0, 0, 0}, {1, 0, 1, 0}, {-2, -30, 3, 30}, {3, 30, -2, -30}, {0, 30, 0, -30}};
  std::mt19937 rng(20240611);
  std::uniform_real_distribution<double> slope(-2.0, 3.0), curvature(-30.0, 30.0);
  for (int i = 0; i < 40; ++i) rows.push_back({slope(rng), curvature(rng), slope(rng), curvature(rng)});
  return rows;
}

class Poly5Grid : public testing::TestWithParam<Poly5Params> {};

TEST_P(Poly5Grid, MeetsAllSixBoundaryConditionsAndReportsThem) {
  const Poly5Params p = GetParam();
  kDrvPoly5 law = makeLaw(p);
  constexpr double kTol = 1e-11;
  lawchecks::expectUnitEnds(law, label(p), kTol);
  const FArr start = lawchecks::at(law, 0.0), end = lawchecks::at(law, 1.0);
  EXPECT_NEAR(start[1], p.fd0, kTol);
  EXPECT_NEAR(start[2], p.fdd0, kTol);
  EXPECT_NEAR(end[1], p.fd1, kTol);
  EXPECT_NEAR(end[2], p.fdd1, kTol);
  // value answers what the curve does at its ends
  EXPECT_NEAR(law.value(vtFd0), start[1], kTol);
  EXPECT_NEAR(law.value(vtFdd0), start[2], kTol);
  EXPECT_NEAR(law.value(vtFd1), end[1], kTol);
  EXPECT_NEAR(law.value(vtFdd1), end[2], kTol);
  EXPECT_EQ(law.value(vtLambda), 0.5);
  EXPECT_EQ(law.value(vtCv), 0.0);
  EXPECT_EQ(law.value(vtCa), 0.0);
}

TEST_P(Poly5Grid, IsTheQuinticHermiteCurveWithMatchingDerivatives) {
  const Poly5Params p = GetParam();
  kDrvPoly5 law = makeLaw(p);
  for (int i = -10; i <= 110; ++i) {
    const double z = i / 100.0;  // also a little outside [0, 1]: the formula holds for any z
    EXPECT_NEAR(lawchecks::at(law, z)[0], hermite(p, z), 1e-11) << label(p) << " z " << z;
  }
  lawchecks::expectDerivativesMatchDifferences(law, label(p));
}

TEST_P(Poly5Grid, ReportsSampledExtremes) {
  const Poly5Params p = GetParam();
  kDrvPoly5 law = makeLaw(p);
  lawchecks::expectSampledExtremes(law, label(p));
  lawchecks::expectExtremesBoundCurve(law, label(p), false);
  EXPECT_EQ(law.fmin(), 0.0);
  EXPECT_EQ(law.fmax(), 1.0);
}

INSTANTIATE_TEST_SUITE_P(SeededBoundaryValues, Poly5Grid, testing::ValuesIn(parameterGrid()));

TEST(Poly5, DefaultIsThe345Polynomial) {
  kDrvPoly5 law;
  const FArr mid = lawchecks::at(law, 0.5);
  EXPECT_NEAR(mid[0], 0.5, 1e-15);
  EXPECT_NEAR(mid[1], 1.875, 1e-14);
  EXPECT_EQ(lawchecks::at(law, 0.0)[2], 0.0);
  // f''' = 60 − 360z + 360z² of 10z³ − 15z⁴ + 6z⁵
  EXPECT_NEAR(lawchecks::at(law, 0.0)[3], 60.0, 1e-12);
  EXPECT_NEAR(mid[3], -30.0, 1e-12);
}

TEST(Poly5, UnitSlopesWithoutCurvatureGiveTheStraightLine) {
  kDrvPoly5 law = makeLaw({1, 0, 1, 0});
  for (int i = 0; i <= 20; ++i) {
    const FArr v = lawchecks::at(law, i / 20.0);
    EXPECT_NEAR(v[0], i / 20.0, 1e-14);
    EXPECT_NEAR(v[1], 1.0, 1e-14);
    EXPECT_NEAR(v[2], 0.0, 1e-13);
    EXPECT_NEAR(v[3], 0.0, 1e-13);
  }
}

TEST(Poly5, SetterStoresItsFourParametersAndIgnoresEveryOtherCode) {
  kDrvPoly5 law = makeLaw({0.25, -1.5, 0.75, 2.5});
  const FArr before = lawchecks::at(law, 0.3);
  for (int code = 1; code <= 0x20000; code <<= 1) {
    const auto vt = static_cast<ValueType>(code);
    if (vt == vtFd0 || vt == vtFd1 || vt == vtFdd0 || vt == vtFdd1) continue;
    EXPECT_EQ(law.setValue(vt, 9.0), 0) << "code " << code;
  }
  EXPECT_EQ(lawchecks::at(law, 0.3), before);
  EXPECT_EQ(law.value(vtFd0), 0.25);
  EXPECT_EQ(law.value(vtFdd0), -1.5);
  EXPECT_EQ(law.value(vtFd1), 0.75);
  EXPECT_EQ(law.value(vtFdd1), 2.5);
  EXPECT_EQ(law.value(vtLambda), 0.5);
}

}  // namespace
