#include "kernel/laws/poly5.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "tests/kernel/laws/law_checks.h"

namespace lawchecks {
namespace {

struct Params {
  double fd0, fdd0, fd1, fdd1;
};

// The same curve in the quintic Hermite basis (another construction than the law's
// coefficients): f = H3 + fd0·H1 + fdd0·H2 + fd1·H4 + fdd1·H5 with H1 = z − 6z³ + 8z⁴ − 3z⁵,
// H2 = z²(1 − z)³/2, H3 = 10z³ − 15z⁴ + 6z⁵, H4 = −4z³ + 7z⁴ − 3z⁵, H5 = z³(1 − z)²/2.
double hermite(const Params& p, double z) {
  const double z3 = z * z * z, z4 = z3 * z, z5 = z4 * z, u = 1.0 - z;
  return (10 * z3 - 15 * z4 + 6 * z5) + p.fd0 * (z - 6 * z3 + 8 * z4 - 3 * z5) +
         p.fdd0 * 0.5 * z * z * u * u * u + p.fd1 * (-4 * z3 + 7 * z4 - 3 * z5) +
         p.fdd1 * 0.5 * z3 * u * u;
}

// The 3-4-5 polynomial, the straight line, corners, then a seeded grid over slopes in [−2, 3]
// and curvatures in [−30, 30].
std::vector<LawCase> rows() {
  std::vector<Params> grid = {
      {0, 0, 0, 0}, {1, 0, 1, 0}, {-2, -30, 3, 30}, {3, 30, -2, -30}, {0, 30, 0, -30}};
  std::mt19937 rng(20240611);
  std::uniform_real_distribution<double> slope(-2.0, 3.0), curvature(-30.0, 30.0);
  for (int i = 0; i < 40; ++i)
    grid.push_back({slope(rng), curvature(rng), slope(rng), curvature(rng)});
  std::vector<LawCase> v;
  for (const Params& p : grid) {
    const Settings s = {{vtFd0, p.fd0}, {vtFdd0, p.fdd0}, {vtFd1, p.fd1}, {vtFdd1, p.fdd1}};
    LawCase c{label("Poly5", p.fd0, p.fdd0, p.fd1, p.fdd1), factory<kDrvPoly5>(s), s};
    c.extremes[0] = Extreme::kUnchecked;
    c.derivatives(Extreme::kSampled);
    c.reference = [p](double z) { return hermite(p, z); };
    v.push_back(c);
  }
  return v;
}

INSTANTIATE_TEST_SUITE_P(Poly5, LawProperties, testing::ValuesIn(rows()));

}  // namespace
}  // namespace lawchecks
