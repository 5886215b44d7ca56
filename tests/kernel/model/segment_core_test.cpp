#include "kernel/model/segment_core.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "kernel/laws/basic_laws.h"
#include "kernel/model/value_names.h"

namespace {

constexpr double kTol = 1e-12;

// A segment that compiles to whatever law the test hands it.
class TestSegment : public VelDriveSegImp {
 public:
  using VelDriveSegImp::VelDriveSegImp;
  void give(kBaseDrive* law) { setLaw(law); }
};

// Two segments chained: the first runs from (z0, f0) to (z1, f1).
struct Chain {
  TestSegment first, end;
  Chain(double z0, double f0, double z1, double f1, kBaseDrive* law) : first(z0, f0), end(z1, f1) {
    first.setNext(&end);
    end.setPrev(&first);
    first.give(law);
  }
};

FArr eval(IVelDriveSegImp& s, double z) {
  FArr out{};
  return s.farr(z, out);
}

TEST(SegmentCore, ScaledDerivativesMatchDifferencesOverRandomSegments) {
  std::mt19937 rng(20261206);
  std::uniform_real_distribution<double> pos(-50.0, 50.0), len(0.01, 20.0);
  for (int i = 0; i < 200; ++i) {
    const double z0 = pos(rng), f0 = pos(rng), z1 = z0 + len(rng), f1 = pos(rng);
    Chain c(z0, f0, z1, f1, new kDrvQuadParab);
    const double h = 1e-6 * (z1 - z0);
    for (double t : {0.1, 0.3, 0.7, 0.9}) {
      const double z = z0 + t * (z1 - z0);
      const FArr lo = eval(c.first, z - h), mid = eval(c.first, z), hi = eval(c.first, z + h);
      for (int k = 0; k < 2; ++k) {
        const double diff = (hi[k] - lo[k]) / (2 * h);
        EXPECT_NEAR(diff, mid[k + 1], 1e-5 * (std::fabs(mid[k + 1]) + 1.0))
            << "segment " << i << " derivative " << k + 1 << " at " << z;
      }
    }
    EXPECT_NEAR(eval(c.first, z0)[0], f0, 1e-9);
    EXPECT_NEAR(eval(c.first, z1)[0], f1, 1e-9);
  }
}

}  // namespace
