#include "kernel/laws/incl_sine.h"

#include <gtest/gtest.h>

#include "tests/kernel/laws/law_checks.h"

namespace lawchecks {
namespace {

// Cmdyn is given to three digits (8.16).
LawCase inclSine() {
  LawCase c{"InclSine", factory<kDrvInclSine>()};
  c.peaks = {{vtCv, 1, Peak::kMax, 0.0},
             {vtCa, 2, Peak::kSigned, 0.0, 0.5},
             {vtCj, 3, Peak::kSigned, 0.0, 0.25},
             {vtCmdyn, kPower, Peak::kMax, 0.0, 1.0, 1e-3}};
  return c;
}

INSTANTIATE_TEST_SUITE_P(InclSine, LawProperties, testing::Values(inclSine()));

}  // namespace
}  // namespace lawchecks
