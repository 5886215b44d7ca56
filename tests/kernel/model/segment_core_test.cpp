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

TEST(SegmentCore, WithoutSuccessorEndsWhereItStarts) {
  TestSegment s(3.0, 4.0);
  EXPECT_EQ(s.value(vtZ1), 3.0);
  EXPECT_EQ(s.value(vtF1), 4.0);
}

TEST(SegmentCore, FallingSegmentSwapsExtremes) {
  Chain c(1.0, 8.0, 3.0, 2.0, new kDrvQuadParab);  // fscale −6, zscale 2
  EXPECT_NEAR(c.first.fmin(), 2.0, kTol);
  EXPECT_NEAR(c.first.fmax(), 8.0, kTol);
  EXPECT_NEAR(c.first.fdmin(), -6.0 * 2.0 / 2.0, kTol);  // from the law's fdmax
  EXPECT_NEAR(c.first.fdmax(), 0.0, kTol);
  EXPECT_NEAR(c.first.fddmin(), -6.0 * 4.0 / 4.0, kTol);
  EXPECT_NEAR(c.first.fddmax(), 6.0, kTol);
  EXPECT_NEAR(eval(c.first, 3.0)[0], 2.0, kTol);
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

TEST(SegmentCore, ZeroLengthSegmentShowsLawStartAndNoValues) {
  Chain c(2.0, 1.0, 2.0, 5.0, new kDrvQuadParab);
  const FArr v = eval(c.first, 7.0);
  EXPECT_NEAR(v[0], 1.0, kTol);
  EXPECT_NEAR(v[1], 0.0, kTol);
  EXPECT_NEAR(v[2], 4.0 * 4.0, kTol);  // fscale·f''(0), no division by the zero interval
  EXPECT_EQ(c.first.value(vtFdd0), 0.0);
  EXPECT_EQ(c.first.value(vtLambda), 0.0);
  EXPECT_EQ(c.first.value(vtZ1), 2.0);
  EXPECT_NEAR(c.first.fddmax(), 16.0, kTol);
}

TEST(SegmentCore, WithoutLawEvaluationAndValuesFallBack) {
  TestSegment a(0.0, 5.0), b(1.0, 2.0);
  a.setNext(&b);
  FArr out{9.0, 9.0, 9.0, 9.0};
  a.farr(0.5, out);
  EXPECT_EQ(out, (FArr{9.0, 9.0, 9.0, 9.0}));
  EXPECT_EQ(a.fmin(), 2.0);
  EXPECT_EQ(a.fmax(), 5.0);
  EXPECT_EQ(a.fdmax(), 0.0);
  EXPECT_EQ(a.fdddmin(), 0.0);
  EXPECT_EQ(a.value(vtFd0), 0.0);
  EXPECT_FALSE(a.isCompiled());
}

TEST(SegmentCore, SetLawValueConvertsToNormalisedUnits) {
  auto* law = new RecordingLaw;
  Chain c(0.0, 0.0, 4.0, 2.0, law);  // zscale 4, fscale 2
  c.first.setLawValue(vtFd0, 3.0);
  EXPECT_EQ(law->lastCode, vtFd0);
  EXPECT_NEAR(law->lastValue, 3.0 * 4.0 / 2.0, kTol);
  c.first.setLawValue(vtFdd1, 3.0);
  EXPECT_NEAR(law->lastValue, 3.0 * 16.0 / 2.0, kTol);
  c.first.setLawValue(vtLambda, 0.3);
  EXPECT_NEAR(law->lastValue, 0.3, kTol);
  // Without a stroke there is no scale: nothing reaches the law.
  auto* flatLaw = new RecordingLaw;
  Chain flat(0.0, 1.0, 4.0, 1.0, flatLaw);
  flat.first.setLawValue(vtFd0, 3.0);
  EXPECT_EQ(flatLaw->lastCode, vtNone);
}

TEST(SegmentCore, OnlyStartValuesAreVariableAndOnlyForClient) {
  TestSegment s;
  EXPECT_TRUE(s.isVarValue(vtF0, vsExplicit));
  EXPECT_FALSE(s.isVarValue(vtZ0, vsDerived));
  EXPECT_FALSE(s.isVarValue(vtFd0, vsExplicit));
  EXPECT_EQ(s.setValue(vtFd0, vsExplicit, 4.0), 0);  // refused quietly
  EXPECT_EQ(s.value(vtFd0), 0.0);
  EXPECT_FALSE(s.hasValue(vtFd0));
}

TEST(ValueNames, LookupIsExactAndCaseSensitiveBothWays) {
  const char* names[] = {"z0", "z1", "f0",  "f1", "fd0", "fd1", "fdd0",  "fdd1",   "lambda",
                         "c",  "Ca", "Ca*", "Cv", "Cj",  "Cj*", "Cmdyn", "Cmdyn*", "Ca=Ca*"};
  int code = 1;
  for (const char* n : names) {
    EXPECT_EQ(valueTypeFromName(n), code) << n;
    EXPECT_STREQ(valueTypeName(code), n);
    code <<= 1;
  }
  for (const char* wrong : {"Lambda", "Z0", "fd0 ", "", static_cast<const char*>(nullptr)})
    EXPECT_EQ(valueTypeFromName(wrong), vtNone) << (wrong ? wrong : "null");
  for (int notOne : {0, 0x3, 0x40000}) EXPECT_STREQ(valueTypeName(notOne), "") << notOne;
}

}  // namespace
