#pragma once
// The range a law's curve actually covers, sampled densely: what reported extremes and
// characteristic values are compared with.

#include <algorithm>

#include "tests/kernel/laws/law_checks.h"

namespace lawchecks {

struct Range {
  double lo, hi;
};

// Smallest and largest value of derivative k over points + 1 evenly spaced z in [from, to].
inline Range curveRange(kBaseDrive& law, int k, double from = 0.0, double to = 1.0,
                        int points = 4000) {
  Range r{1e300, -1e300};
  for (int i = 0; i <= points; ++i) {
    const double v = at(law, from + (to - from) * i / points)[k];
    r.lo = std::min(r.lo, v);
    r.hi = std::max(r.hi, v);
  }
  return r;
}

}  // namespace lawchecks
