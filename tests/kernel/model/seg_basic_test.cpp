#include "kernel/model/seg_basic.h"

#include <gtest/gtest.h>

#include <random>

#include "kernel/laws/basic_laws.h"
#include "kernel/model/seg_sine.h"
#include "tests/kernel/model/segment_test_support.h"

namespace {

constexpr double kTol = 1e-12;

using LinearSegment = SegmentTypeTest;
using QuadParabSegment = SegmentTypeTest;

// The chord slope told before compile is the compiled line's slope at both ends; without a
// successor or a length it is 0 (no division by the length).
TEST_F(LinearSegment, SlopeIsTheChordOfTheCompiledLine) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> pos(-100, 100), len(0.001, 50);
  for (int i = 0; i < 100; ++i) {
    SegChain c;
    auto* a = c.add<VelDriveSegLinear>(pos(rng), pos(rng));
    c.add<VelDriveSegLinear>(a->z0() + len(rng), pos(rng));
    const double before = a->value(vtFd0);
    ASSERT_EQ(a->compile(vsDerived), 0);
    EXPECT_NEAR(evalAt(*a, a->z1())[1], before, 1e-9 * (std::fabs(before) + 1));
    expectJoinsEndPoints(*a, 1e-9 * 100);
  }
  SegChain d;
  auto* flat = d.add<VelDriveSegLinear>(3, 0);
  EXPECT_EQ(flat->value(vtFd0), 0.0);
  d.add<VelDriveSegLinear>(3, 7);
  EXPECT_EQ(flat->value(vtFd1), 0.0);
}

// Fault mended: before compile the parabola declared its curvatures known while value()
// answered 0.0, so a neighbour received f'' = 0 instead of the parabola's curvature.
TEST_F(QuadParabSegment, CurvatureIsKnownOnlyOnceTheLawExists) {
  SegChain c;
  auto* sine = c.add<VelDriveSegSine>(-2, 0);
  auto* a = c.add<VelDriveSegQuadParab>(0, 0);
  c.add<VelDriveSegLinear>(2, 10);
  EXPECT_TRUE(a->isKnownValue(vtFd0));
  EXPECT_FALSE(a->isKnownValue(vtFdd0));
  EXPECT_EQ(a->compile(vsDerived), 0);
  ASSERT_NE(lawAs<kDrvQuadParab>(*a), nullptr);
  EXPECT_TRUE(a->isKnownValue(vtFdd0));
  // (f1 − f0)·4 / (z1 − z0)² = 10·4/4 at the start, its negative at the end; slopes zero
  EXPECT_NEAR(a->value(vtFdd0), 10.0, kTol);
  EXPECT_NEAR(a->value(vtFdd1), -10.0, kTol);
  EXPECT_EQ(a->value(vtFd1), 0.0);
  // What a drive would hand over now is the real curvature.
  ASSERT_TRUE(sine->isVarValue(vtFdd1, vsDerived));
  sine->setValue(vtFdd1, vsDerived, a->value(vtFdd0));
  EXPECT_NEAR(sine->value(vtFdd1), 10.0, kTol);
  EXPECT_FALSE(a->isVarValue(vtFdd1, vsDerived));
  expectJoinsEndPoints(*a);
}

}  // namespace
