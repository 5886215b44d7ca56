#include "kernel/laws/basic_laws.h"

#include <gtest/gtest.h>

#include "kernel/laws/incl_sine.h"
#include "tests/kernel/laws/law_checks.h"

namespace lawchecks {
namespace {

// A velocity bump f' = 1 − (z − 0.52)², peak 1 between the samples 0.50 and 0.55 of the base's
// search; f'' = −2(z − 0.52) is smallest at z = 1.
class OffSampleBumpLaw : public kBaseDrive {
 public:
  FArr& farr(double z, FArr& out) override {
    const double u = z - 0.52;
    out = {0.0, 1.0 - u * u, -2.0 * u, -2.0};
    return out;
  }
};

TEST(BaseDrive, SampledSearchReportsTheBestSampleIncludingTheEnd) {
  OffSampleBumpLaw law;
  EXPECT_NEAR(law.fdmax(), 1.0 - 0.02 * 0.02, 1e-12);    // z = 0.50, not the true peak 1
  EXPECT_NEAR(law.fddmin(), -2.0 * (1.0 - 0.52), 1e-9);  // z = 1 despite the summed steps
  EXPECT_NEAR(law.fddmax(), 2.0 * 0.52, 1e-12);          // z = 0
  EXPECT_EQ(law.fdddmin(), -2.0);
  EXPECT_EQ(law.fmin(), 0.0);
  EXPECT_EQ(law.fmax(), 1.0);
}

LawCase linear() {
  LawCase c{"Linear", factory<kDrvLinear>()};
  return c;
}

LawCase quadParab() {
  LawCase c{"QuadParab", factory<kDrvQuadParab>()};
  c.joints = {0.5};
  c.smooth = 1;  // the acceleration jumps from 4 to −4
  return c;
}

// Cmdyn is given to three digits (8.16).
LawCase inclSine() {
  LawCase c{"InclSine", factory<kDrvInclSine>()};
  c.peaks = {{vtCv, 1, Peak::kMax, 0.0},
             {vtCa, 2, Peak::kSigned, 0.0, 0.5},
             {vtCj, 3, Peak::kSigned, 0.0, 0.25},
             {vtCmdyn, kPower, Peak::kMax, 0.0, 1.0, 1e-3}};
  return c;
}

INSTANTIATE_TEST_SUITE_P(BasicLaws, LawProperties,
                         testing::Values(linear(), quadParab(), inclSine()));

}  // namespace
}  // namespace lawchecks
