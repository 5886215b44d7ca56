// Drive evaluation and compile cost, each against its baseline in the same run:
// - tabulating a drive of 10,000 segments against one of 10 (the segment is found by binary
//   search over cached boundaries, so a long drive may cost at most 3× a short one);
// - the eight separate calls per frame of the desktop program (f, fd, fdd, fddd twice at
//   one z through IVelDrive) against one core evaluation (at most 2.5×);
// - compile of chains of 10, 1,000 and 10,000 segments, per segment (linear growth);
// - a walk through next, per step (at most 10 ns), beside the core's walk through its links.
// Chains alternate "Linear" and "ModSine": the ModSine segments learn both slopes from
// their neighbours and need a second pass, so every chain solves in the same three passes.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>
#include "bench/stdout_to_null.h"
#include "kernel/automation/vel_drive.h"
#include "kernel/automation/vel_drive_seg.h"
#include "kernel/model/segment_registry.h"
#include "kernel/support/auxcom.h"
#include "platform/com/com_ptr.h"

namespace {

constexpr int kTabulationPoints = 1000000;

using DrivePtr = ComPtr<VelDrive>;

// A drive of n segments over z = 0..n−1 (n − 1 motion intervals and the end segment),
// alternating Linear and ModSine with strokes that vary from segment to segment.
DrivePtr makeDrive(int n, bool compiled) {
  DrivePtr d(new VelDrive("bench"));
  // From the back, so each insertion is at the head and building stays linear.
  for (int i = n - 1; i >= 0; --i) {
    VelDriveSeg* s = createSegment(i % 2 ? "ModSine" : "Linear");
    if (!s) {
      std::fprintf(stderr, "segment types are not registered\n");
      std::exit(1);
    }
    s->setValue(vtZ0, vsExplicit, i);
    s->setValue(vtF0, vsExplicit, (i * 7919) % 13);
    d->insert(s);
  }
  if (compiled) {
    StdoutToNull quiet;
    d->VelDriveImp::compile(vsDerived);
  }
  return d;
}

// Runs `measured` and `baseline` in alternating batches, so that both see the same load on
// the machine, and reports their cost ratio as the counter "ratio" beside its "limit".
template <class Measured, class Baseline>
void pairedRatio(benchmark::State& state, double limit, Measured measured, Baseline baseline) {
  using Clock = std::chrono::steady_clock;
  double measuredSeconds = 0.0, baselineSeconds = 0.0;
  for (auto _ : state) {
    const auto t0 = Clock::now();
    baseline();
    const auto t1 = Clock::now();
    measured();
    const auto t2 = Clock::now();
    baselineSeconds += std::chrono::duration<double>(t1 - t0).count();
    measuredSeconds += std::chrono::duration<double>(t2 - t1).count();
  }
  state.counters["ratio"] = measuredSeconds / baselineSeconds;
  state.counters["limit"] = limit;
}

// Tabulating a drive at kTabulationPoints evenly spaced z, as the result table does: a
// drive of 10,000 segments against one of 10.
void BM_TabulateLongAgainstShort(benchmark::State& state) {
  DrivePtr shortDrive = makeDrive(10, true);
  DrivePtr longDrive = makeDrive(10000, true);
  double sum = 0.0;
  const auto tabulate = [&sum](IVelDriveSegImp& core) {
    const double z0 = core.z0();
    const double dz = (core.z1() - z0) / (kTabulationPoints - 1);
    FArr out{};
    for (int i = 0; i < kTabulationPoints; ++i) sum += core.farr(z0 + i * dz, out)[0];
    benchmark::DoNotOptimize(sum);
  };
  pairedRatio(
      state, 3.0, [&] { tabulate(*longDrive); }, [&] { tabulate(*shortDrive); });
}
BENCHMARK(BM_TabulateLongAgainstShort)->Unit(benchmark::kMillisecond)->Iterations(10);

// z for frame i of a drive over 0..9: a new point every frame.
double frameZ(long i) { return static_cast<double>((i * 7919) % 9000) / 1000.0; }

// The desktop program's frame, f, f', f'', f''' asked one by one twice at one z through
// IVelDrive, against one evaluation of all four values through the core.
void BM_FrameEightCallsAgainstOneFarr(benchmark::State& state) {
  constexpr int kFrames = 4096;
  DrivePtr d = makeDrive(10, true);
  IVelDrive* drive = d.get();
  IVelDriveSegImp& core = *d;
  long frame = 0;
  const auto eightCalls = [&] {
    double v[8];
    for (int i = 0; i < kFrames; ++i) {
      const double z = frameZ(frame++);
      for (int k = 0; k < 8; k += 4) {
        drive->f(z, &v[k]);
        drive->fd(z, &v[k + 1]);
        drive->fdd(z, &v[k + 2]);
        drive->fddd(z, &v[k + 3]);
      }
      benchmark::DoNotOptimize(v);
    }
  };
  const auto oneFarr = [&] {
    FArr out{};
    for (int i = 0; i < kFrames; ++i) {
      core.farr(frameZ(frame++), out);
      benchmark::DoNotOptimize(out);
    }
  };
  pairedRatio(state, 2.5, eightCalls, oneFarr);
}
BENCHMARK(BM_FrameEightCallsAgainstOneFarr)->Unit(benchmark::kMicrosecond);

// Compile from scratch; the decompile before each run is not timed.
void BM_Compile(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  DrivePtr d = makeDrive(n, false);
  StdoutToNull quiet;
  int unsolved = 0;
  for (auto _ : state) {
    d->VelDriveImp::decompile();
    const auto start = std::chrono::steady_clock::now();
    unsolved += d->VelDriveImp::compile(vsDerived);
    const auto stop = std::chrono::steady_clock::now();
    state.SetIterationTime(std::chrono::duration<double>(stop - start).count());
  }
  if (unsolved != 0) state.SkipWithError("chain did not solve");
  state.counters["us_per_segment"] = benchmark::Counter(
      n * 1e-6, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_Compile)
    ->Arg(10)
    ->Arg(1000)
    ->Arg(10000)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);

// Walking a chain from the head through next, as a client does (one owner per step), against
// the core's own walk through its links; both per step. 1,000 segments stay in the cache, so
// the step itself is measured; a chain of 10,000 adds the memory's latency to both walks.
constexpr int kWalkSegments = 1000;
constexpr double kWalkLimitNs = 10.0;

benchmark::Counter perStep() {
  return benchmark::Counter(kWalkSegments * 1e-9, benchmark::Counter::kIsIterationInvariantRate |
                                                      benchmark::Counter::kInvert);
}

void BM_WalkThroughNext(benchmark::State& state) {
  DrivePtr d = makeDrive(kWalkSegments, false);
  for (auto _ : state) {
    ComPtr<IVelDriveSeg> seg;
    d->get_head(seg.put());
    while (seg) {
      ComPtr<IVelDriveSeg> next;
      seg->get_next(next.put());
      seg = std::move(next);
    }
  }
  state.counters["ns_per_step"] = perStep();
}
BENCHMARK(BM_WalkThroughNext)->Unit(benchmark::kMicrosecond);

void BM_WalkCore(benchmark::State& state) {
  DrivePtr d = makeDrive(kWalkSegments, false);
  for (auto _ : state)
    for (IVelDriveSegImp* s = d->head(); s; s = s->next()) benchmark::DoNotOptimize(s);
  state.counters["ns_per_step"] = perStep();
}
BENCHMARK(BM_WalkCore)->Unit(benchmark::kMicrosecond);

// Keeps the counters of every run for the summary after the table.
class CounterReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& r : runs)
      for (const auto& [name, counter] : r.counters)
        counters[r.benchmark_name()][name] = counter.value;
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, std::map<std::string, double>> counters;
};

void printSummary(CounterReporter& rep) {
  std::printf("\n");
  for (const char* name :
       {"BM_TabulateLongAgainstShort/iterations:10", "BM_FrameEightCallsAgainstOneFarr"}) {
    auto& c = rep.counters[name];
    if (!c.count("ratio")) continue;
    std::printf("ratio  %-42s %6.3f  (limit %.1f)  %s\n", name, c["ratio"], c["limit"],
                c["ratio"] <= c["limit"] ? "ok" : "OVER");
  }
  const double walk = rep.counters["BM_WalkThroughNext"]["ns_per_step"];
  const bool walkOk = walk <= kWalkLimitNs;
  std::printf("walk   through next %6.2f ns per step (core walk %.2f ns)  (limit %.0f ns)  %s\n",
              walk, rep.counters["BM_WalkCore"]["ns_per_step"], kWalkLimitNs,
              walkOk ? "ok" : "OVER");
  // Compile cost per segment of the long chains relative to the chain of 10.
  const double base = rep.counters["BM_Compile/10/manual_time"]["us_per_segment"];
  if (base <= 0) return;
  for (int n : {1000, 10000}) {
    const double perSegment =
        rep.counters["BM_Compile/" + std::to_string(n) + "/manual_time"]["us_per_segment"];
    std::printf("compile per segment  n=%-6d %7.3f us / %7.3f us (n=10) = %6.3f\n", n, perSegment,
                base, perSegment / base);
  }
}

}  // namespace

int main(int argc, char** argv) {
  setErrorHook([](const char*) { return 0; });
  benchmark::Initialize(&argc, argv);
  CounterReporter rep;
  benchmark::RunSpecifiedBenchmarks(&rep);
  benchmark::Shutdown();
  printSummary(rep);
  return 0;
}
