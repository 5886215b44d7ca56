// The veldrive program reading drives of 2,000 and 20,000 segments from a file, started as a
// user starts it (the time includes the start, the reading, compile and one table row).
// Reading grows linearly: the long drive may take at most 15× the short one. The time is the
// processor time the program used, so a busy machine does not distort the ratio.

#include <stdlib.h>
#include <sys/resource.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "bench/bench_ratio.h"
#include "tests/kernel/tools/program_run.h"

namespace {

std::string gFolder;

// A drive file of n segments over z = 0..n−1, alternating straight lines and modified sines
// with strokes that vary, in z0 order as drive files list them.
std::string driveFile(int n) {
  const std::string path = gFolder + "/drive" + std::to_string(n) + ".txt";
  std::ofstream out(path);
  for (int i = 0; i < n; ++i)
    out << '"' << (i % 2 ? "ModSine" : "Linear") << "\", " << i << ", " << (i * 7919) % 13 << '\n';
  return path;
}

// Processor time (user and system) of the finished child processes so far, in seconds.
double childSeconds() {
  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec * 1e-6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

void BM_VeldriveReads(benchmark::State& state) {
  const std::string file = driveFile(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    const double before = childSeconds();
    const ProgramResult r = runProgram("veldrive", {"--at", "0", file}, "", gFolder);
    state.SetIterationTime(childSeconds() - before);
    if (r.status != 0) state.SkipWithError(("veldrive failed: " + r.err).c_str());
  }
}
BENCHMARK(BM_VeldriveReads)->Arg(2000)->Arg(20000)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  char folder[] = "/tmp/kinetra-veldrive-bench-XXXXXX";
  if (!mkdtemp(folder)) return 1;
  gFolder = folder;
  // veldrive registers the libVelDrive.so beside it into this registry on its first run.
  setenv("KINETRA_REGISTRY", (gFolder + "/registry").c_str(), 1);
  const ProgramResult first = runProgram("veldrive", {"--at", "0", driveFile(2)}, "", gFolder);
  int status = 1;
  if (first.status == 0)
    status = benchratio::runWithRatios(
        argc, argv,
        {{"BM_VeldriveReads/20000/manual_time", "BM_VeldriveReads/2000/manual_time", 15.0}});
  else
    std::fprintf(stderr, "veldrive_bench: veldrive does not run: %s\n", first.err.c_str());
  std::error_code ignored;
  std::filesystem::remove_all(gFolder, ignored);
  return status;
}
