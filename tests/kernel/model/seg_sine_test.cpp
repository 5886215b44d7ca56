#include "kernel/model/seg_sine.h"

#include <gtest/gtest.h>

#include <random>

#include "kernel/laws/incl_sine.h"
#include "kernel/laws/mod_sine.h"
#include "kernel/laws/sine_linear.h"
#include "kernel/model/seg_basic.h"
#include "kernel/support/numeric.h"
#include "tests/kernel/model/segment_test_support.h"

namespace {

constexpr double kTol = 1e-9;
constexpr double kPi = veldrive::kPi;

using InclSineSegment = SegmentTypeTest;
using SineSegment = SegmentTypeTest;
using SineLinearSegment = SegmentTypeTest;
using ModSineSegment = SegmentTypeTest;

TEST_F(InclSineSegment, PlainLawUntilLambdaIsSet) {
  SegChain c;
  auto* a = rising<VelDriveSegInclSine>(c);
  EXPECT_FALSE(a->hasValue(vtLambda));
  EXPECT_EQ(a->compile(vsDerived), 0);
  EXPECT_NE(lawAs<kDrvInclSine>(*a), nullptr);
  EXPECT_NEAR(a->value(vtCa), 2 * kPi, kTol);   // dimensionless, from the law
  EXPECT_NEAR(evalAt(*a, 1.0)[1], 10.0, kTol);  // f' = 2·stroke/length at the middle
  for (ValueType t : {vtFd0, vtFd1, vtFdd0, vtFdd1}) EXPECT_EQ(a->value(t), 0.0);  // rests
}

TEST_F(InclSineSegment, LambdaBuildsTheWrapperWhichAtOneHalfIsThePlainLaw) {
  SegChain c, d;
  auto* a = rising<VelDriveSegInclSine>(c);
  auto* plain = rising<VelDriveSegInclSine>(d);
  a->setValue(vtLambda, vsExplicit, 0.5);
  EXPECT_EQ(a->compile(vsDerived), 0);
  plain->compile(vsDerived);
  EXPECT_NE((wrappedLawAs<kDrvLambda, kDrvInclSine>(*a)), nullptr);
  for (double z = 0; z <= 2.0; z += 0.125) EXPECT_EQ(evalAt(*a, z), evalAt(*plain, z)) << z;

  a->decompile();
  a->setValue(vtLambda, vsExplicit, 0.25);
  a->compile(vsDerived);
  EXPECT_NEAR(evalAt(*a, 0.5)[0], 2.5, kTol);  // f(λ) = λ: the inflection point moved
  expectJoinsEndPoints(*a);
}

TEST_F(SineSegment, BuildsFromLambdaFromBothCurvaturesOrFromNothing) {
  {
    SegChain c;
    auto* s = rising<VelDriveSegSine>(c);
    EXPECT_EQ(s->compile(vsDerived), 0);  // nothing set: the harmonic sine
    EXPECT_NE(lawAs<kDrvSineLinear>(*s), nullptr);
    // f = (1 − cos πz)/2 scaled: f''(0) = 10·π²/2 / 2²
    EXPECT_NEAR(s->value(vtFdd0), 10 * kPi * kPi / 8, kTol);
    expectJoinsEndPoints(*s);
  }
  {
    SegChain c;
    auto* s = rising<VelDriveSegSine>(c);
    s->setValue(vtFdd0, vsExplicit, 12.0);
    EXPECT_EQ(s->compile(vsDerived), 1);  // one curvature: waits for the other
    EXPECT_FALSE(s->isCompiled());
    s->setValue(vtFdd1, vsDerived, -8.0);
    EXPECT_EQ(s->compile(vsDerived), 0);
    EXPECT_NE(lawAs<kDrvSineLinear>(*s), nullptr);
  }
  {
    SegChain c;
    auto* s = rising<VelDriveSegSine>(c);
    s->setValue(vtLambda, vsExplicit, 0.3);
    EXPECT_EQ(s->compile(vsDerived), 0);
    EXPECT_NEAR(evalAt(*s, 0.6)[2], 0.0, 1e-6);  // inflection point at 0.3 of the interval
    expectJoinsEndPoints(*s);
  }
}

TEST_F(SineSegment, LambdaAndEndCurvaturesExcludeEachOther) {
  SegChain c;
  auto* s = rising<VelDriveSegSine>(c);
  s->setValue(vtLambda, vsExplicit, 0.3);
  // While lambda shapes the law, only the client may replace a curvature.
  EXPECT_FALSE(s->isVarValue(vtFdd0, vsDerived));
  EXPECT_TRUE(s->isVarValue(vtFdd0, vsExplicit));
  s->setValue(vtFdd0, vsExplicit, 12.0);
  EXPECT_EQ(s->value(vtLambda), 0.3);  // the number stays, its source is gone
  EXPECT_TRUE(s->isVarValue(vtFdd1, vsDerived));
  EXPECT_EQ(s->compile(vsDerived), 1);  // fdd1 unknown
  s->setValue(vtLambda, vsExplicit, 0.4);
  EXPECT_FALSE(s->isKnownValue(vtFdd0));  // lambda cleared the curvature's source
  EXPECT_EQ(s->compile(vsDerived), 0);
}

// The curvatures read from a compiled sine, given to a second sine as the pair, rebuild the
// same curve: the law derives lambda and c from them.
TEST_F(SineSegment, EndCurvaturePairReproducesTheCurveOverRandomLambdas) {
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
TEST_F(SineSegment, CurvatureFromLambdaIsKnownOnlyOnceTheLawExists) {
  SegChain c;
  auto* s = rising<VelDriveSegSine>(c);
  s->setValue(vtLambda, vsExplicit, 0.5);
  EXPECT_FALSE(s->isKnownValue(vtFdd1));
  s->compile(vsDerived);
  EXPECT_TRUE(s->isKnownValue(vtFdd1));
  EXPECT_NEAR(s->value(vtFdd1), -10 * kPi * kPi / 8, kTol);
}

TEST_F(SineLinearSegment, CIsPassedOnlyWhenItHasASource) {
  SegChain c, d, e;
  auto* made = rising<VelDriveSegSineLinear>(c);  // from (z0, f0): c = 1, Default
  EXPECT_EQ(made->value(vtC), 1.0);
  EXPECT_TRUE(made->hasValue(vtC));
  EXPECT_FALSE(made->isVarValue(vtC, vsDerived));
  made->setValue(vtLambda, vsExplicit, 0.5);
  EXPECT_EQ(made->compile(vsDerived), 0);
  EXPECT_NEAR(evalAt(*made, 1.0)[2], 0.0, 1e-9);  // c = 1: the plain sine, no straight piece

  auto* empty = e.adopt(new VelDriveSegSineLinear, 0, 0);
  e.add<VelDriveSegLinear>(2, 10);
  EXPECT_EQ(empty->value(vtC), 0.0);  // c unset, the law keeps its own
  EXPECT_EQ(empty->compile(vsDerived), 0);
  EXPECT_EQ(evalAt(*empty, 0.7), evalAt(*made, 0.7));

  auto* straight = rising<VelDriveSegSineLinear>(d);
  straight->setValue(vtC, vsExplicit, 0.5);
  EXPECT_EQ(straight->compile(vsDerived), 0);
  // c = 0.5: the waves take half the interval, the middle is a straight piece.
  EXPECT_NEAR(evalAt(*straight, 0.9)[2], 0.0, kTol);
  EXPECT_NEAR(evalAt(*straight, 1.1)[2], 0.0, kTol);
  EXPECT_NEAR(evalAt(*straight, 0.9)[1], evalAt(*straight, 1.1)[1], kTol);
  expectJoinsEndPoints(*straight);
}

TEST_F(ModSineSegment, RestToRestWhenNoSlopeIsKnown) {
  SegChain c;
  auto* s = rising<VelDriveSegModSine>(c);
  EXPECT_FALSE(s->isKnownValue(vtFd0));
  EXPECT_TRUE(s->isKnownValue(vtFdd0));
  EXPECT_EQ(s->compile(vsDerived), 0);
  EXPECT_NE(lawAs<kDrvModSine>(*s), nullptr);
  EXPECT_NEAR(evalAt(*s, 0)[1], 0.0, kTol);
  EXPECT_NEAR(evalAt(*s, 2)[1], 0.0, kTol);
  expectJoinsEndPoints(*s);
}

TEST_F(ModSineSegment, HandedSlopesTakeLambdaOneHalfOnTheSecondCompile) {
  SegChain c;
  auto* s = rising<VelDriveSegModSine>(c);
  s->setValue(vtFd0, vsDerived, 2.0);
  EXPECT_EQ(s->compile(vsDerived), 1);  // one slope: wait
  s->setValue(vtFd1, vsDerived, 3.0);
  EXPECT_EQ(s->compile(vsDerived), 1);  // no shape: lambda 0.5 chosen
  EXPECT_FALSE(s->isCompiled());
  EXPECT_EQ(s->value(vtLambda), 0.5);
  EXPECT_FALSE(s->isVarValue(vtLambda, vsDerived));
  EXPECT_EQ(s->compile(vsDerived), 0);
  ASSERT_NE(lawAs<kDrvModSine>(*s), nullptr);
  EXPECT_NEAR(evalAt(*s, 0)[1], 2.0, kTol);  // the handed slopes in drive units
  EXPECT_NEAR(evalAt(*s, 2)[1], 3.0, kTol);
  EXPECT_NEAR(evalAt(*s, 1)[2], 0.0, 1e-6);  // inflection at the middle
  expectJoinsEndPoints(*s);
}

TEST_F(ModSineSegment, CaStarReplacesLambdaAsTheShape) {
  SegChain c;
  auto* s = rising<VelDriveSegModSine>(c);
  s->setValue(vtFd0, vsDerived, 0.0);
  s->setValue(vtFd1, vsDerived, 0.0);
  s->setValue(vtLambda, vsExplicit, 0.4);
  s->setValue(vtCaStar, vsExplicit, -30.0);
  EXPECT_EQ(s->value(vtCaStar), -30.0);
  EXPECT_EQ(s->value(vtLambda), 0.0);  // lambda unset and no law: the core's 0.0
  s->setValue(vtCaStar, vsExplicit, -6.0);
  EXPECT_EQ(s->compile(vsDerived), 0);
  ASSERT_NE(lawAs<kDrvModSine>(*s), nullptr);
  // The law's Ca* is the requested one (dimensionless, in range for these slopes).
  EXPECT_NEAR(s->law()->value(vtCaStar), -6.0, 1e-9);
  expectJoinsEndPoints(*s);
}

TEST_F(ModSineSegment, EqualPeaksWithEqualSlopesStillBuildsAUsableLaw) {
  SegChain c;
  auto* s = rising<VelDriveSegModSine>(c);
  s->setValue(vtFd0, vsDerived, 0.0);
  s->setValue(vtFd1, vsDerived, 0.0);
  s->setValue(vtLambda, vsExplicit, 0.3);
  s->setValue(vtCaEqCaStar, vsExplicit, 123.0);  // the value is ignored
  EXPECT_EQ(s->compile(vsDerived), 0);           // the law's 1012 is not passed on
  ASSERT_NE(lawAs<kDrvModSine>(*s), nullptr);
  expectJoinsEndPoints(*s);
}

}  // namespace
