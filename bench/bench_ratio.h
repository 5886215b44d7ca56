#pragma once
// Runs the registered benchmarks and prints, after Google Benchmark's own table, the ratio
// of each measured benchmark to its baseline in the same run:
//   ratio  <name>  <ns per iteration> / <baseline ns> = <ratio>  (limit <limit>)  ok|OVER
// A pair without a baseline holds its benchmark to an absolute limit in ns instead. Times
// are CPU times per iteration, so a busy machine does not distort the ratios; a benchmark
// that waits for another process (UseRealTime(), its name ends in "/real_time") is taken by
// its wall-clock time, as its own CPU time leaves the waiting out.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace benchratio {

struct Pair {
  std::string measured;
  std::string baseline;  // empty: limit is an absolute bound in ns per iteration
  double limit;          // the largest acceptable ratio (or ns); 0 for none
};

class RecordingReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& r : runs)
      if (r.run_type == Run::RT_Iteration && r.iterations > 0) {
        const std::string name = r.benchmark_name();
        const bool wall = name.ends_with("/real_time");
        // The adjusted times are in the benchmark's own unit.
        const double toNs = 1e9 / benchmark::GetTimeUnitMultiplier(r.time_unit);
        nsPerIteration[name] = toNs * (wall ? r.GetAdjustedRealTime() : r.GetAdjustedCPUTime());
      }
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, double> nsPerIteration;
};

// Returns the number of pairs over their limit.
inline int printRatios(const RecordingReporter& rep, const std::vector<Pair>& pairs) {
  int over = 0;
  std::printf("\n");
  for (const Pair& p : pairs) {
    auto m = rep.nsPerIteration.find(p.measured);
    if (m == rep.nsPerIteration.end()) continue;
    if (p.baseline.empty()) {
      const bool ok = p.limit <= 0 || m->second <= p.limit;
      over += ok ? 0 : 1;
      std::printf("bound  %-40s %10.2f ns  (limit %.0f ns)  %s\n", p.measured.c_str(), m->second,
                  p.limit, ok ? "ok" : "OVER");
      continue;
    }
    auto b = rep.nsPerIteration.find(p.baseline);
    if (b == rep.nsPerIteration.end()) continue;
    const double ratio = m->second / b->second;
    const bool ok = p.limit <= 0 || ratio <= p.limit;
    over += ok ? 0 : 1;
    std::printf("ratio  %-40s %10.2f / %10.2f ns = %6.3f  (limit %.2f)  %s\n", p.measured.c_str(),
                m->second, b->second, ratio, p.limit, ok ? "ok" : "OVER");
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
