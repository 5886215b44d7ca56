#pragma once
// Runs the registered benchmarks and prints, after Google Benchmark's own table, the ratio
// of each measured benchmark to its baseline in the same run:
//   ratio  <name>  <ns per iteration> / <baseline ns> = <ratio>  (limit <limit>)  ok|OVER
// A pair without a baseline holds its benchmark to an absolute limit in ns instead. A pair
// whose baseline costs a nanosecond or two compares by the difference (a ratio of two such
// times measures noise):
//   over   <name>  <ns per iteration> - <baseline ns> = <ns over>  (limit <limit> ns)  ok|OVER
// Times are CPU times per iteration, so a busy machine does not distort the ratios; a
// benchmark that times itself (UseManualTime, "/manual_time" in its name) is taken by the
// time it reported.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace benchratio {

enum class Compare { kRatio, kOver };

struct Pair {
  std::string measured;
  std::string baseline;               // empty: limit is an absolute bound in ns per iteration
  double limit;                       // the largest acceptable ratio (or ns); 0 for none
  Compare compare = Compare::kRatio;  // kOver: limit bounds measured − baseline in ns
};

class RecordingReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& r : runs) {
      if (r.run_type != Run::RT_Iteration || r.iterations <= 0) continue;
      const bool manual = r.benchmark_name().find("/manual_time") != std::string::npos;
      const double inUnit = manual ? r.GetAdjustedRealTime() : r.GetAdjustedCPUTime();
      nsPerIteration[r.benchmark_name()] =
          inUnit * 1e9 / benchmark::GetTimeUnitMultiplier(r.time_unit);
    }
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, double> nsPerIteration;
};

// A time in ns, µs or ms, whichever reads best.
inline std::string timeText(double ns) {
  char text[32];
  if (ns >= 1e6)
    std::snprintf(text, sizeof text, "%.2f ms", ns / 1e6);
  else if (ns >= 1e4)
    std::snprintf(text, sizeof text, "%.2f us", ns / 1e3);
  else
    std::snprintf(text, sizeof text, "%.2f ns", ns);
  return text;
}

// Returns the number of pairs over their limit.
inline int printRatios(const RecordingReporter& rep, const std::vector<Pair>& pairs) {
  int over = 0;
  std::printf("\n");
  const auto verdict = [&over](bool ok) {
    over += ok ? 0 : 1;
    return ok ? "ok" : "OVER";
  };
  for (const Pair& p : pairs) {
    auto m = rep.nsPerIteration.find(p.measured);
    if (m == rep.nsPerIteration.end()) continue;
    const std::string measured = timeText(m->second);
    if (p.baseline.empty()) {
      std::printf("bound  %-40s %12s  (limit %.0f ns)  %s\n", p.measured.c_str(), measured.c_str(),
                  p.limit, verdict(p.limit <= 0 || m->second <= p.limit));
      continue;
    }
    auto b = rep.nsPerIteration.find(p.baseline);
    if (b == rep.nsPerIteration.end()) continue;
    const std::string baseline = timeText(b->second);
    if (p.compare == Compare::kOver) {
      const double above = m->second - b->second;
      std::printf("over   %-40s %12s - %12s = %6.2f ns  (limit %.2f ns)  %s\n", p.measured.c_str(),
                  measured.c_str(), baseline.c_str(), above, p.limit,
                  verdict(p.limit <= 0 || above <= p.limit));
      continue;
    }
    const double ratio = m->second / b->second;
    std::printf("ratio  %-40s %12s / %12s = %6.3f  (limit %.2f)  %s\n", p.measured.c_str(),
                measured.c_str(), baseline.c_str(), ratio, p.limit,
                verdict(p.limit <= 0 || ratio <= p.limit));
  }
  return over;
}

// main() of a benchmark program: runs everything, prints the ratios.
inline int runWithRatios(int argc, char** argv, const std::vector<Pair>& pairs) {
  benchmark::Initialize(&argc, argv);
  RecordingReporter rep;
  benchmark::RunSpecifiedBenchmarks(&rep);
  benchmark::Shutdown();
  printRatios(rep, pairs);
  return 0;
}

}  // namespace benchratio
