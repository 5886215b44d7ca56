#include "kernel/model/seg_poly.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "kernel/laws/harm_comb.h"
#include "kernel/laws/mod_trapez.h"
#include "kernel/laws/poly5.h"
#include "kernel/model/seg_basic.h"
#include "tests/kernel/model/segment_test_support.h"
#include "tests/kernel/support/error_capture.h"

namespace {

constexpr double kTol = 1e-9;

using Poly5Segment = SegmentTypeTest;
using ModTrapezSegment = SegmentTypeTest;

// Boundary values from the neighbours or the client are met; with none the Default zeros
// count as set and give the 3-4-5 polynomial.
TEST_F(Poly5Segment, MeetsTheGivenBoundaryValuesOverRandomSegments) {
  SegChain plain;
  auto* p345 = rising<VelDriveSegPoly5>(plain);
  EXPECT_TRUE(p345->isKnownValue(vtFdd1));
  EXPECT_EQ(p345->compile(vsDerived), 0);
  EXPECT_NEAR(evalAt(*p345, 1)[1], 1.875 * 10 / 2, kTol);  // f'(0.5) = 1.875 of the unit law
  std::mt19937 rng(5);
  std::uniform_real_distribution<double> d(-3, 3), len(0.5, 4), stroke(2, 20);
  for (int i = 0; i < 60; ++i) {
    SegChain c;
    const double l = len(rng);
    auto* p = c.add<VelDriveSegPoly5>(-1, 4);
    c.add<VelDriveSegLinear>(-1 + l, 4 + stroke(rng));
    const double want[4] = {d(rng), d(rng), d(rng), d(rng)};
    const ValueType codes[4] = {vtFd0, vtFd1, vtFdd0, vtFdd1};
    for (int k = 0; k < 4; ++k) p->setValue(codes[k], k % 2 ? vsExplicit : vsDerived, want[k]);
    ASSERT_EQ(p->compile(vsDerived), 0);
    const FArr start = evalAt(*p, p->z0()), end = evalAt(*p, p->z1());
    EXPECT_NEAR(start[1], want[0], kTol);
    EXPECT_NEAR(end[1], want[1], kTol);
    EXPECT_NEAR(start[2], want[2], 1e-8);
    EXPECT_NEAR(end[2], want[3], 1e-8);
    expectJoinsEndPoints(*p, 1e-8);
  }
}

TEST_F(Poly5Segment, LambdaWrapsOnlySymmetricBoundaryValues) {
  SegChain c, d;
  auto* sym = rising<VelDriveSegPoly5>(c);
  sym->setValue(vtFd0, vsExplicit, 0.2);
  sym->setValue(vtFd1, vsExplicit, 0.2);
  sym->setValue(vtFdd0, vsExplicit, 1.0);  // point symmetric: opposite end curvatures
  sym->setValue(vtFdd1, vsExplicit, -1.0);
  ASSERT_TRUE(sym->isVarValue(vtLambda, vsExplicit));
  sym->setValue(vtLambda, vsExplicit, 0.3);
  EXPECT_EQ(sym->compile(vsDerived), 0);
  EXPECT_NE((wrappedLawAs<kDrvLambda, kDrvPoly5>(*sym)), nullptr);
  EXPECT_NEAR(evalAt(*sym, 0.6)[0], 3.0, kTol);  // f(λ) = λ
  expectJoinsEndPoints(*sym);

  auto* skew = rising<VelDriveSegPoly5>(d);
  skew->setValue(vtLambda, vsExplicit, 0.3);
  skew->setValue(vtFdd0, vsExplicit, 1.0);
  EXPECT_FALSE(skew->hasValue(vtLambda));
  EXPECT_FALSE(skew->isVarValue(vtLambda, vsExplicit));
  EXPECT_EQ(skew->compile(vsDerived), 0);
  EXPECT_NE(lawAs<kDrvPoly5>(*skew), nullptr);
  EXPECT_EQ(skew->value(vtLambda), 0.5);  // dropped
}

TEST_F(ModTrapezSegment, BuildsTheLawTheEndCurvaturesCallFor) {
  struct Case {
    const char* what;
    std::vector<std::pair<ValueType, double>> values;  // set with source Derived / Explicit
    int result;
    bool (*lawIs)(VelDriveSegImp&);
  };
  auto rr = [](VelDriveSegImp& s) { return lawAs<kDrvModTrapezRR>(s) != nullptr; };
  auto lambdaRR = [](VelDriveSegImp& s) {
    return wrappedLawAs<kDrvLambda, kDrvModTrapezRR>(s) != nullptr;
  };
  auto toReversal = [](VelDriveSegImp& s) { return lawAs<kDrvModTrapez>(s) != nullptr; };
  auto fromReversal = [](VelDriveSegImp& s) {
    return wrappedLawAs<kDrvInverse, kDrvModTrapez>(s) != nullptr;
  };
  auto none = [](VelDriveSegImp& s) { return s.law() == nullptr; };
  const Case cases[] = {
      {"nothing set", {}, 0, rr},
      {"rest to rest, lambda", {{vtLambda, 0.3}}, 0, lambdaRR},
      {"rest to rest, lambda 0.5", {{vtLambda, 0.5}}, 0, rr},
      {"reversal handed to the end", {{vtFdd1, -3}, {vtFdd0, 0}}, 0, toReversal},
      {"reversal at the end by Ca*", {{vtFdd1, -3}, {vtFdd0, 0}, {vtCaStar, -5}}, 0, toReversal},
      {"reversal handed to the start", {{vtFdd0, 3}, {vtFdd1, 0}}, 0, fromReversal},
      {"reversal at the start by Ca*", {{vtFdd0, 3}, {vtFdd1, 0}, {vtCaStar, 5}}, 0, fromReversal},
      {"reversal but no resting end", {{vtFdd1, -3}}, 1, none},
      {"Ca* zero shapes nothing", {{vtFdd1, -3}, {vtFdd0, 0}, {vtCaStar, 0}}, 1, none},
  };
  for (const Case& k : cases) {
    SegChain c;
    auto* s = rising<VelDriveSegModTrapez>(c);
    for (auto [code, v] : k.values)
      s->setValue(code, code == vtLambda || code == vtCaStar ? vsExplicit : vsDerived, v);
    EXPECT_EQ(s->compile(vsDerived), k.result) << k.what;
    EXPECT_TRUE(k.lawIs(*s)) << k.what;
    if (s->isCompiled()) expectJoinsEndPoints(*s);
  }
}

TEST_F(ModTrapezSegment, ReversalCurvatureFollowsFromLambda) {
  SegChain c;
  auto* byLambda = rising<VelDriveSegModTrapez>(c);
  byLambda->setValue(vtFdd0, vsExplicit, 0.0);
  byLambda->setValue(vtFdd1, vsDerived, -3.0);
  byLambda->compile(vsDerived);
  // lambda 0.5: f''(1) = Ca*(0.5) ≈ −4.2166 of the unit law, times 10/2²
  EXPECT_NEAR(evalAt(*byLambda, 2)[2], -4.2166 * 2.5, 1e-3);
  EXPECT_NEAR(evalAt(*byLambda, 2)[1], 0.0, kTol);

  // A resting end is known opposite a reversal only.
  SegChain r;
  auto* rest = rising<VelDriveSegModTrapez>(r);
  EXPECT_FALSE(rest->isKnownValue(vtFdd0));
  rest->setValue(vtFdd1, vsDerived, -3.0);
  EXPECT_TRUE(rest->isKnownValue(vtFdd0));
  EXPECT_EQ(rest->value(vtFdd0), 0.0);
}

// Records the error texts shown while a test runs.
class HarmCombSegment : public SegmentTypeTest {
 protected:
  ErrorCapture errors_;
};

// Which end moves decides where the reversal lies: f' = 0 and the curvature's sign there.
TEST_F(HarmCombSegment, ReversalLiesAtTheEndThatDoesNotMove) {
  struct Row {
    ValueType handed;  // the slope 2.0 is handed to this end; vtNone: none
    bool inverse;      // the law is the inverse one (reversal at the start)
    double reversalZ, movingZ;
  };
  for (const Row& r : {Row{vtNone, false, 2, 0}, Row{vtFd0, false, 2, 0}, Row{vtFd1, true, 0, 2}}) {
    SegChain c;
    auto* s = rising<VelDriveSegHarmComb>(c);
    if (r.handed != vtNone) s->setValue(r.handed, vsDerived, 2.0);
    // From (z0, f0) only lambda has a source; the start rests opposite a moving end.
    EXPECT_EQ(s->isKnownValue(vtFd0), r.handed != vtNone) << r.handed;
    EXPECT_EQ(s->compile(vsDerived), 0);
    const bool inverse = wrappedLawAs<kDrvInverse, kDrvHarmComb>(*s) != nullptr;
    ASSERT_TRUE(inverse || lawAs<kDrvHarmComb>(*s) != nullptr);
    EXPECT_EQ(inverse, r.inverse);
    EXPECT_NEAR(evalAt(*s, r.reversalZ)[1], 0.0, kTol);
    if (r.handed != vtNone) {
      EXPECT_NEAR(evalAt(*s, r.movingZ)[1], 2.0, kTol);
    }
    EXPECT_LT(evalAt(*s, r.reversalZ)[2] * (r.inverse ? -1 : 1), 0.0);
    expectJoinsEndPoints(*s);
  }
  EXPECT_TRUE(errors_.messages().empty());
}

TEST_F(HarmCombSegment, BothEndsMovingIsReportedAndBuildsNoLaw) {
  SegChain c;
  auto* s = rising<VelDriveSegHarmComb>(c);
  s->setValue(vtFd0, vsExplicit, 0.5);
  s->setValue(vtFd1, vsExplicit, 0.5);
  s->setValue(vtLambda, vsExplicit, 0.4);
  EXPECT_EQ(s->compile(vsDerived), 1);
  EXPECT_FALSE(s->isCompiled());
  ASSERT_EQ(errors_.messages().size(), 1u);
  EXPECT_EQ(errors_.messages()[0], "HarmComb: Geschwindigkeit am Umkehrrand muss 0 sein.");
}

}  // namespace
