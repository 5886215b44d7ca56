#include "kernel/laws/basic_laws.h"

#include <gtest/gtest.h>

#include <cmath>

#include "kernel/support/numeric.h"
#include "tests/kernel/laws/law_checks.h"

namespace {

// A law whose f' is 1 − cos(2πz): its extremes lie exactly on samples of the base search.
class CosineVelocityLaw : public kBaseDrive {
 public:
  FArr& farr(double z, FArr& out) override {
    const double w = 2.0 * veldrive::kPi;
    out = {z - std::sin(w * z) / w, 1.0 - std::cos(w * z), w * std::sin(w * z),
           w * w * std::cos(w * z)};
    return out;
  }
};

// A velocity bump whose peak lies between two samples of the base search.
class OffSampleBumpLaw : public kBaseDrive {
 public:
  FArr& farr(double z, FArr& out) override {
    // f' = 1 − (z − 0.52)², peak 1 at z = 0.52, between the samples 0.50 and 0.55
    const double u = z - 0.52;
    out = {0.0, 1.0 - u * u, -2.0 * u, -2.0};
    return out;
  }
};

TEST(BaseDrive, SampledSearchFindsExtremesOnSamples) {
  CosineVelocityLaw law;
  EXPECT_NEAR(law.fdmin(), 0.0, 1e-15);
  EXPECT_NEAR(law.fdmax(), 2.0, 1e-12);
  EXPECT_EQ(law.fmin(), 0.0);
  EXPECT_EQ(law.fmax(), 1.0);
}

TEST(BaseDrive, SampledSearchReportsLargestSampleNotTrueExtreme) {
  OffSampleBumpLaw law;
  const double bestSample = 1.0 - 0.02 * 0.02;  // z = 0.50 is nearest the peak at 0.52
  EXPECT_NEAR(law.fdmax(), bestSample, 1e-12);
  EXPECT_LT(law.fdmax(), 1.0);
  // f'' = -2(z - 0.52): the samples include z = 1.0 despite the accumulated steps.
  EXPECT_NEAR(law.fddmin(), -2.0 * (1.0 - 0.52), 1e-9);
}

TEST(BaseDrive, DefaultsOfValueRangeAndSetter) {
  CosineVelocityLaw law;
  EXPECT_EQ(law.value(vtLambda), 0.5);
  EXPECT_EQ(law.value(vtFdd0), 0.0);
  EXPECT_EQ(law.value(vtCv), 0.0);
  EXPECT_EQ(law.setValue(vtLambda, 0.3), 0);
  EXPECT_EQ(law.value(vtLambda), 0.5);
  EXPECT_EQ(law.z0(), 0.0);
  EXPECT_EQ(law.z1(), 1.0);
  EXPECT_EQ(law.f0(), 0.0);
  EXPECT_EQ(law.f1(), 1.0);
}

TEST(Linear, CurveValuesAndExtremes) {
  kDrvLinear law;
  lawchecks::expectUnitEnds(law, "Linear");
  lawchecks::expectDerivativesMatchDifferences(law, "Linear");
  lawchecks::expectExtremesBoundCurve(law, "Linear");
  EXPECT_EQ(law.value(vtFd0), 1.0);
  EXPECT_EQ(law.value(vtFd1), 1.0);
  EXPECT_EQ(law.value(vtLambda), 0.5);
  EXPECT_EQ(law.value(vtCv), 0.0);
  for (int code = 1; code <= 0x20000; code <<= 1)
    EXPECT_EQ(law.setValue(static_cast<ValueType>(code), 7.0), 0);
  EXPECT_EQ(law.value(vtFd0), 1.0);
}

TEST(QuadParab, HalfPointBelongsToFirstHalf) {
  kDrvQuadParab law;
  const FArr mid = lawchecks::at(law, 0.5);
  EXPECT_DOUBLE_EQ(mid[0], 0.5);
  EXPECT_DOUBLE_EQ(mid[1], 2.0);
  EXPECT_DOUBLE_EQ(mid[2], 4.0);
  EXPECT_DOUBLE_EQ(lawchecks::at(law, 0.5000001)[2], -4.0);
}

TEST(QuadParab, CurveValuesAndExtremes) {
  kDrvQuadParab law;
  lawchecks::expectUnitEnds(law, "QuadParab");
  lawchecks::expectDerivativesMatchDifferences(law, "QuadParab");
  lawchecks::expectExtremesBoundCurve(law, "QuadParab");
  EXPECT_EQ(law.value(vtFd0), 0.0);
  EXPECT_EQ(law.value(vtFdd0), 4.0);
  EXPECT_EQ(law.value(vtFdd1), -4.0);
  EXPECT_EQ(law.value(vtCa), 0.0);
  EXPECT_EQ(law.setValue(vtFdd0, 1.0), 0);
  EXPECT_EQ(law.value(vtFdd0), 4.0);
}

}  // namespace
