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

// A law that remembers the last value it was given.
class RecordingLaw : public kDrvLinear {
 public:
  int setValue(ValueType code, double v) override {
    lastCode = code;
    lastValue = v;
    return 0;
  }
  ValueType lastCode = vtNone;
  double lastValue = 0.0;
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

// A falling segment swaps the law's extremes; one without successor ends where it starts.
TEST(SegmentCore, FallingSegmentSwapsExtremes) {
  Chain c(1.0, 8.0, 3.0, 2.0, new kDrvQuadParab);  // fscale −6, zscale 2
  EXPECT_NEAR(c.first.fmin(), 2.0, kTol);
  EXPECT_NEAR(c.first.fmax(), 8.0, kTol);
  EXPECT_NEAR(c.first.fdmin(), -6.0 * 2.0 / 2.0, kTol);  // from the law's fdmax
  EXPECT_NEAR(c.first.fdmax(), 0.0, kTol);
  EXPECT_NEAR(c.first.fddmin(), -6.0 * 4.0 / 4.0, kTol);
  EXPECT_NEAR(c.first.fddmax(), 6.0, kTol);
  EXPECT_EQ(c.end.value(vtZ1), 3.0);
  EXPECT_EQ(c.end.value(vtF1), 2.0);
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

// Only the start values are variable, and only for the client; without a law nothing is
// evaluated.
TEST(SegmentCore, OnlyStartValuesAreVariableAndOnlyForClient) {
  TestSegment s;
  FArr out{9.0, 9.0, 9.0, 9.0};
  EXPECT_EQ(s.farr(0.5, out), (FArr{9.0, 9.0, 9.0, 9.0}));
  EXPECT_TRUE(s.isVarValue(vtF0, vsExplicit));
  EXPECT_FALSE(s.isVarValue(vtZ0, vsDerived));
  EXPECT_FALSE(s.isVarValue(vtFd0, vsExplicit));
  EXPECT_EQ(s.setValue(vtFd0, vsExplicit, 4.0), 0);  // refused quietly
  EXPECT_EQ(s.value(vtFd0), 0.0);
  EXPECT_FALSE(s.hasValue(vtFd0));
}

}  // namespace
