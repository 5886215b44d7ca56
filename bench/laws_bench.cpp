// Evaluation cost of every motion law through the law interface, against a baseline that
// calls the same formula directly (no virtual dispatch). z varies inside the timed loop so
// the branch predictor and the cache see what a tabulation sees. The cheapest laws are held
// to the nanoseconds the virtual call adds, the others to the ratio.

#include <cstdio>
#include <memory>

#include "bench/bench_ratio.h"
#include "bench/stdout_to_null.h"
#include "kernel/veldrive.h"

namespace {

constexpr int kPoints = 1024;

// z over [0, 1] in an order that is not monotonic.
const double* samplePoints() {
  static double z[kPoints];
  static bool ready = false;
  if (!ready) {
    for (int i = 0; i < kPoints; ++i)
      z[i] = static_cast<double>((i * 389) % kPoints) / (kPoints - 1);
    ready = true;
  }
  return z;
}

template <class Law>
std::unique_ptr<Law> makeLaw() {
  return std::make_unique<Law>();
}
template <>
std::unique_ptr<kDrvInverse> makeLaw<kDrvInverse>() {
  return std::make_unique<kDrvInverse>(new kDrvModSine);
}
template <>
std::unique_ptr<kDrvLambda> makeLaw<kDrvLambda>() {
  auto law = std::make_unique<kDrvLambda>(new kDrvPoly5);
  law->setValue(vtLambda, 0.3);
  return law;
}

template <class Law>
void virtualCall(benchmark::State& state) {
  StdoutToNull quiet;
  auto owned = makeLaw<Law>();
  kBaseDrive* law = owned.get();
  const double* z = samplePoints();
  FArr out{};
  int i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(law->farr(z[i], out));
    i = (i + 1) & (kPoints - 1);
  }
}

template <class Law>
void directCall(benchmark::State& state) {
  StdoutToNull quiet;
  auto law = makeLaw<Law>();
  const double* z = samplePoints();
  FArr out{};
  int i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(law->Law::farr(z[i], out));
    i = (i + 1) & (kPoints - 1);
  }
}

// Trace output without a monitor: the floor of what kDrvModTrapez's two lines cost.
void twoTraceLines(benchmark::State& state) {
  StdoutToNull quiet;
  for (auto _ : state) {
    traceDebug("%s", "lam(0.5)\n");
    traceDebug("%s", "lam(0.5), ca(1), cas(-1)\n");
  }
}
BENCHMARK(twoTraceLines);

#define LAW_PAIR(Law)                                        \
  BENCHMARK_TEMPLATE(directCall, Law)->Name(#Law "/direct"); \
  BENCHMARK_TEMPLATE(virtualCall, Law)->Name(#Law "/virtual");

LAW_PAIR(kDrvLinear)
LAW_PAIR(kDrvQuadParab)
LAW_PAIR(kDrvInclSine)
LAW_PAIR(kDrvSineLinear)
LAW_PAIR(kDrvModSine)
LAW_PAIR(kDrvPoly5)
LAW_PAIR(kDrvModTrapezRR)
LAW_PAIR(kDrvModTrapez)
LAW_PAIR(kDrvHarmComb)
LAW_PAIR(kDrvInverse)
LAW_PAIR(kDrvLambda)

}  // namespace

int main(int argc, char** argv) {
  std::vector<benchratio::Pair> pairs;
  // The straight line and the parabola cost about 2 ns inline, where a ratio measures
  // noise: the virtual call may add at most 1 ns to them.
  for (const char* law : {"kDrvLinear", "kDrvQuadParab"})
    pairs.push_back({std::string(law) + "/virtual", std::string(law) + "/direct", 1.0,
                     benchratio::Compare::kOver});
  for (const char* law : {"kDrvInclSine", "kDrvSineLinear", "kDrvModSine", "kDrvPoly5",
                          "kDrvModTrapezRR", "kDrvHarmComb", "kDrvInverse", "kDrvLambda"})
    pairs.push_back({std::string(law) + "/virtual", std::string(law) + "/direct", 1.3});
  // The trapezoid to a reversal writes two trace lines per evaluation: it is held to an
  // absolute bound of 1 µs per evaluation instead.
  pairs.push_back({"kDrvModTrapez/virtual", "", 1000.0});
  return benchratio::runWithRatios(argc, argv, pairs);
}
