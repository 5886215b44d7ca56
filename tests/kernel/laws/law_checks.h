#pragma once
// One table for every motion law: a row names a law at one point of its parameter grid and
// what the law promises there (piece boundaries, how it reports extremes, which characteristic
// values are peaks of the curve). law_properties_test.cpp checks each row against the curve
// itself; each law's test file contributes its rows and setter cases.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <ostream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "kernel/laws/base_drive.h"
#include "tests/kernel/support/trace_capture.h"

namespace lawchecks {

using Factory = std::function<std::unique_ptr<kBaseDrive>()>;
using Settings = std::vector<std::pair<ValueType, double>>;

inline FArr at(kBaseDrive& law, double z) {
  FArr out{};
  return law.farr(z, out);
}

// Quantity q of the curve: derivative q (0..3), or with kPower f'·f'' (the dynamic moment).
constexpr int kPower = 4;
inline double quantity(const FArr& v, int q) { return q == kPower ? v[1] * v[2] : v[q]; }

struct Range {
  double lo = 1e300, hi = -1e300;
};
// Range of quantity q over points + 1 evenly spaced z in [from, to].
inline Range rangeOf(kBaseDrive& law, int q, double from = 0.0, double to = 1.0,
                     int points = 20000) {
  Range r;
  for (int i = 0; i <= points; ++i) {
    const double v = quantity(at(law, from + (to - from) * i / points), q);
    r = {std::min(r.lo, v), std::max(r.hi, v)};
  }
  return r;
}
// Largest |quantity q| on [0, 1], at least 1: the scale tolerances are relative to.
inline double magnitude(kBaseDrive& law, int q) {
  const Range r = rangeOf(law, q, 0.0, 1.0, 1000);
  return std::max({1.0, r.hi, -r.lo});
}

// A law with settings applied in order; each must succeed unless expectOk is false.
template <class Law>
std::unique_ptr<kBaseDrive> make(const Settings& settings, bool expectOk = true) {
  auto law = std::make_unique<Law>();
  for (auto [code, v] : settings) {
    const int result = law->setValue(code, v);
    EXPECT_TRUE(!expectOk || result == kLawOk) << code << " " << v << ": " << result;
  }
  return law;
}
template <class Law>
Factory factory(Settings settings = {}, bool expectOk = true) {
  return [settings, expectOk] { return make<Law>(settings, expectOk); };
}

// How a law reports the extremes of one derivative.
enum class Extreme {
  kUnchecked,  // (f only) the base's 0 and 1, whatever the curve does
  kExact,      // the curve's own extremes
  kSampled,    // the curve's extremes over the base's 21 samples z = 0, 0.05, ..., 1
  kWithin,     // somewhere inside the curve's range (a sampled law behind a wrapper)
};

// value(code) (0 for vtNone) equals sign · (the largest, smallest or largest-magnitude q on
// [from, to], or q at from), within relTol of q's magnitude.
struct Peak {
  enum Kind { kMax, kMin, kSigned, kAt };
  ValueType code;
  int q;
  Kind kind;
  double from, to = 1.0, relTol = 1e-5, sign = 1.0;
};

struct LawCase {
  std::string label;
  Factory make;                  // the law with its parameters set
  Settings given{};              // end values asked for (fd0, fd1, fdd0, fdd1)
  std::vector<double> joints{};  // piece boundaries
  int smooth = 2;                // f .. f^(smooth) are continuous at the joints
  Extreme extremes[4] = {Extreme::kExact, Extreme::kExact, Extreme::kExact, Extreme::kExact};
  double extremeTol = 1e-4;  // of the magnitude; published rounded figures need more
  std::vector<Peak> peaks{};
  std::function<double(double)> reference{};  // f by another construction, if any
  void derivatives(Extreme e) { extremes[1] = extremes[2] = extremes[3] = e; }
  friend void PrintTo(const LawCase& c, std::ostream* os) { *os << c.label; }
};

// One setter call: its result and what read() finds afterwards (within tol; 0: exactly).
struct SetterCase {
  std::string name;
  Factory make;  // the law before the call
  ValueType code;
  double v;
  int result;
  std::function<double(kBaseDrive&)> read;
  double expected;
  bool evaluates = true;  // false: farr leaves its output alone (a degenerate lambda)
  double tol = 0.0;
  friend void PrintTo(const SetterCase& c, std::ostream* os) { *os << c.name; }
};

inline std::function<double(kBaseDrive&)> valueOf(ValueType code) {
  return [code](kBaseDrive& law) { return law.value(code); };
}
inline std::string setterName(const testing::TestParamInfo<SetterCase>& info) {
  return info.param.name;
}
template <class... T>
std::string label(const char* law, const T&... parts) {
  std::ostringstream os;
  os << law << "(";
  ((os << parts << " "), ...);
  return os.str() + ")";
}

class LawProperties : public testing::TestWithParam<LawCase> {
  TraceCapture quiet_;  // kDrvModTrapez traces every evaluation
};
class LawSetter : public testing::TestWithParam<SetterCase> {
  TraceCapture quiet_;  // kDrvModTrapez traces every evaluation
};

}  // namespace lawchecks
