#include "kernel/laws/incl_sine.h"

#include <gtest/gtest.h>

#include "kernel/support/numeric.h"
#include "tests/kernel/laws/law_checks.h"
#include "tests/kernel/laws/sine_checks.h"

namespace {

using veldrive::kPi;
constexpr double kTol = 1e-12;

TEST(InclSine, IsRestToRestCycloid) {
  kDrvInclSine law;
  lawchecks::expectUnitEnds(law, "InclSine");
  lawchecks::expectDerivativesMatchDifferences(law, "InclSine");
  for (double z : {0.0, 1.0}) {
    const FArr end = lawchecks::at(law, z);
    EXPECT_NEAR(end[1], 0.0, kTol) << "f' at " << z;
    EXPECT_NEAR(end[2], 0.0, 1e-12) << "f'' at " << z;
  }
  const FArr mid = lawchecks::at(law, 0.5);
  EXPECT_NEAR(mid[0], 0.5, kTol);
  EXPECT_NEAR(mid[1], 2.0, kTol);
  EXPECT_NEAR(mid[2], 0.0, 1e-12);
  EXPECT_NEAR(mid[3], -4.0 * kPi * kPi, 1e-9);
}

TEST(InclSine, ExtremesAndCharacteristicValuesMatchCurve) {
  kDrvInclSine law;
  for (int k = 1; k <= 3; ++k) sinechecks::expectDerivativeExtremes(law, "InclSine", k, true);
  EXPECT_NEAR(law.value(vtCv), sinechecks::derivativeRange(law, 1).hi, 1e-6);
  EXPECT_NEAR(law.value(vtCa), sinechecks::signedPeak(law, 2, 0.0, 0.5), 1e-5);
  EXPECT_NEAR(law.value(vtCj), sinechecks::signedPeak(law, 3, 0.0, 0.25), 1e-9);
  const auto power = sinechecks::rangeOf(law, 0.0, 1.0, [](const FArr& v) { return v[1] * v[2]; });
  EXPECT_NEAR(law.value(vtCmdyn), power.hi, 5e-3);  // given to three digits
  for (ValueType code : {vtFd0, vtFd1, vtFdd0, vtFdd1, vtCaStar, vtCjStar, vtCmdynStar, vtC})
    EXPECT_EQ(law.value(code), 0.0) << "code " << code;
  EXPECT_EQ(law.value(vtLambda), 0.5);
}

TEST(InclSine, SetValueChangesNothing) {
  kDrvInclSine law;
  for (int code = 1; code <= vtCaEqCaStar; code <<= 1)
    EXPECT_EQ(law.setValue(static_cast<ValueType>(code), 0.3), 0) << "code " << code;
  EXPECT_EQ(law.value(vtLambda), 0.5);
  EXPECT_NEAR(lawchecks::at(law, 0.25)[0], 0.25 - 1.0 / (2.0 * kPi), kTol);
}

}  // namespace
