#include "kernel/model/seg_sine.h"

#include <gtest/gtest.h>

#include <random>

#include "kernel/laws/incl_sine.h"
#include "kernel/laws/mod_sine.h"
#include "kernel/laws/sine_linear.h"
#include "kernel/support/numeric.h"
#include "tests/kernel/model/segment_test_support.h"

namespace {

constexpr double kTol = 1e-9;
constexpr double kPi = veldrive::kPi;
using SineSegments = SegmentTypeTest;

// Nothing set: the harmonic sine; one curvature waits for the other; lambda places the
// inflection point. Lambda and the end curvatures exclude each other: while lambda shapes
// the law only the client may replace a curvature.
TEST_F(SineSegments, SineBuildsFromLambdaFromBothCurvaturesOrFromNothing) {
  SegChain c, d, e;
  auto* harmonic = rising<VelDriveSegSine>(c);
  EXPECT_EQ(harmonic->compile(vsDerived), 0);
  EXPECT_NEAR(harmonic->value(vtFdd0), 10 * kPi * kPi / 8, kTol);  // 10·π²/2 / 2²
  expectJoinsEndPoints(*harmonic);

  auto* pair = rising<VelDriveSegSine>(d);
  pair->setValue(vtFdd0, vsExplicit, 12.0);
  EXPECT_EQ(pair->compile(vsDerived), 1);
  pair->setValue(vtFdd1, vsDerived, -8.0);
  EXPECT_EQ(pair->compile(vsDerived), 0);

  auto* s = rising<VelDriveSegSine>(e);
  s->setValue(vtLambda, vsExplicit, 0.3);
  EXPECT_FALSE(s->isVarValue(vtFdd0, vsDerived));
  EXPECT_TRUE(s->isVarValue(vtFdd0, vsExplicit));
  s->setValue(vtFdd0, vsExplicit, 12.0);
  EXPECT_TRUE(s->isVarValue(vtFdd1, vsDerived));
  EXPECT_EQ(s->compile(vsDerived), 1);  // fdd1 unknown
  s->setValue(vtLambda, vsExplicit, 0.3);
  EXPECT_FALSE(s->isKnownValue(vtFdd0));  // lambda cleared the curvature's source
  EXPECT_EQ(s->compile(vsDerived), 0);
  EXPECT_NEAR(evalAt(*s, 0.6)[2], 0.0, 1e-6);  // inflection point at 0.3 of the interval
  expectJoinsEndPoints(*s);
}

// The curvatures read from a compiled sine, given to a second sine as the pair, rebuild the
// same curve: the law derives lambda and c from them.
TEST_F(SineSegments, EndCurvaturePairReproducesTheCurveOverRandomLambdas) {
  std::mt19937 rng(11);
  std::uniform_real_distribution<double> lam(0.1, 0.9), len(0.5, 5), stroke(-20, 20);
  for (int i = 0; i < 50; ++i) {
    const double l = len(rng), h = stroke(rng);
    SegChain c, d;
    auto* byLambda = c.add<VelDriveSegSine>(1, 2);
    c.add<VelDriveSegLinear>(1 + l, 2 + h);
    auto* byPair = d.add<VelDriveSegSine>(1, 2);
    d.add<VelDriveSegLinear>(1 + l, 2 + h);
    byLambda->setValue(vtLambda, vsExplicit, lam(rng));
    byLambda->compile(vsDerived);
    byPair->setValue(vtFdd0, vsDerived, byLambda->value(vtFdd0));
    byPair->setValue(vtFdd1, vsDerived, byLambda->value(vtFdd1));
    ASSERT_EQ(byPair->compile(vsDerived), 0);
    const std::vector<double> want = sampleCurve(*byLambda), got = sampleCurve(*byPair);
    for (size_t k = 0; k < want.size(); ++k)
      EXPECT_NEAR(got[k], want[k], 1e-6 * (std::fabs(want[k]) + 1)) << i << " sample " << k;
  }
}

// Fault mended: with lambda set, the end curvatures were declared known before compile while
// value() still answered 0.0, so a neighbour would have received f'' = 0.
TEST_F(SineSegments, SineCurvatureFromLambdaIsKnownOnlyOnceTheLawExists) {
  SegChain c;
  auto* s = rising<VelDriveSegSine>(c);
  s->setValue(vtLambda, vsExplicit, 0.5);
  EXPECT_FALSE(s->isKnownValue(vtFdd0));
  EXPECT_FALSE(s->isKnownValue(vtFdd1));
  s->compile(vsDerived);
  EXPECT_TRUE(s->isKnownValue(vtFdd1));
  EXPECT_NEAR(s->value(vtFdd1), -10 * kPi * kPi / 8, kTol);
}

// c = 1 (from (z0, f0), a Default) is the plain sine; c = 0.5 leaves a straight piece in
// the middle.
TEST_F(SineSegments, SineLinearPassesCOnlyWhenItHasASource) {
  SegChain c, d;
  auto* made = rising<VelDriveSegSineLinear>(c);
  EXPECT_EQ(made->value(vtC), 1.0);
  EXPECT_FALSE(made->isVarValue(vtC, vsDerived));
  made->setValue(vtLambda, vsExplicit, 0.5);
  EXPECT_EQ(made->compile(vsDerived), 0);
  EXPECT_NEAR(evalAt(*made, 1.0)[2], 0.0, kTol);
  auto* straight = rising<VelDriveSegSineLinear>(d);
  straight->setValue(vtC, vsExplicit, 0.5);
  EXPECT_EQ(straight->compile(vsDerived), 0);
  EXPECT_NEAR(evalAt(*straight, 0.9)[2], 0.0, kTol);
  EXPECT_NEAR(evalAt(*straight, 0.9)[1], evalAt(*straight, 1.1)[1], kTol);
  expectJoinsEndPoints(*straight);
}

// Handed slopes wait for each other and take lambda 0.5 on the next compile; Ca* replaces
// lambda as the shape.
TEST_F(SineSegments, ModSineTakesHandedSlopesAndItsShape) {
  SegChain b, c;
  auto* s = rising<VelDriveSegModSine>(b);
  s->setValue(vtFd0, vsDerived, 2.0);
  EXPECT_EQ(s->compile(vsDerived), 1);  // one slope: wait
  s->setValue(vtFd1, vsDerived, 3.0);
  EXPECT_EQ(s->compile(vsDerived), 1);  // no shape: lambda 0.5 chosen
  EXPECT_EQ(s->value(vtLambda), 0.5);
  EXPECT_FALSE(s->isVarValue(vtLambda, vsDerived));
  EXPECT_EQ(s->compile(vsDerived), 0);
  EXPECT_NEAR(evalAt(*s, 0)[1], 2.0, kTol);  // the handed slopes in drive units
  EXPECT_NEAR(evalAt(*s, 2)[1], 3.0, kTol);
  EXPECT_NEAR(evalAt(*s, 1)[2], 0.0, 1e-6);  // inflection at the middle
  expectJoinsEndPoints(*s);

  auto* shaped = rising<VelDriveSegModSine>(c);
  shaped->setValue(vtFd0, vsDerived, 0.0);
  shaped->setValue(vtFd1, vsDerived, 0.0);
  shaped->setValue(vtLambda, vsExplicit, 0.4);
  shaped->setValue(vtCaStar, vsExplicit, -6.0);
  EXPECT_EQ(shaped->value(vtLambda), 0.0);  // lambda unset and no law: the core's 0.0
  EXPECT_EQ(shaped->compile(vsDerived), 0);
  EXPECT_NEAR(shaped->law()->value(vtCaStar), -6.0, 1e-9);
  expectJoinsEndPoints(*shaped);
}

}  // namespace
