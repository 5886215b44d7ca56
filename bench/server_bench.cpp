// The kernel as its clients use it: libVelDrive.so registered into a temporary registry,
// the server made by class activation, drives built and evaluated through the interfaces
// only (as the veldrive batch tool and the desktop program do). Each pair runs in one
// program and is printed as a ratio:
// - building a drive line by line (segment put) and compiling it: 1 drive of 10,000
//   segments against 1,000 drives of 10, the same number of segments either way, so the
//   ratio is the growth of the cost per segment (1 for linear growth);
// - tabulating 10^6 points through IVelDrive::fderiv across the library boundary: a drive of
//   10,000 segments against one of 10 (at most 3×, as inside the kernel).

#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/bench_ratio.h"
#include "bench/kernel_registration.h"
#include "kernel/automation/veldrive_interfaces.h"
#include "platform/com/activation.h"
#include "platform/com/bstr.h"
#include "platform/com/com_ptr.h"
#include "platform/dbwin/dbwin_client.h"
#include "platform/msgbox/message_box.h"

namespace {

constexpr int kSegmentsPerIteration = 10000;
constexpr int kTabulationPoints = 1000000;

ComPtr<IVelDriveServer> gServer;

// The lines of a drive of n segments over z = 0..n−1 in the order a batch file lists them,
// alternating straight lines and modified sines with strokes that vary.
std::vector<Bstr> driveLines(int n) {
  std::vector<Bstr> lines;
  for (int i = 0; i < n; ++i) {
    char text[96];
    std::snprintf(text, sizeof text, "\"%s\", %d, %d", i % 2 ? "ModSine" : "Linear", i,
                  (i * 7919) % 13);
    lines.emplace_back(text);
  }
  return lines;
}

ComPtr<IVelDrive> buildDrive(const std::vector<Bstr>& lines) {
  ComPtr<IVelDrive> drive;
  gServer->newDrive(nullptr, drive.put());
  for (const Bstr& line : lines) drive->put_segment(line.get());
  LONG unsolved = 0;
  drive->compile(&unsolved);
  return drive;
}

void BM_BuildThroughInterfaces(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const std::vector<Bstr> lines = driveLines(n);
  for (auto _ : state) {
    for (int built = 0; built < kSegmentsPerIteration; built += n) buildDrive(lines);
  }
}
BENCHMARK(BM_BuildThroughInterfaces)->Arg(10)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_LibraryTabulate(benchmark::State& state) {
  const ComPtr<IVelDrive> drive = buildDrive(driveLines(static_cast<int>(state.range(0))));
  double z0 = 0, z1 = 0;
  drive->get_z0(&z0);
  drive->get_z1(&z1);
  const double dz = (z1 - z0) / (kTabulationPoints - 1);
  for (auto _ : state) {
    double sum = 0, v[4];
    for (int i = 0; i < kTabulationPoints; ++i) {
      drive->fderiv(z0 + i * dz, &v[0], &v[1], &v[2], &v[3]);
      sum += v[0];
    }
    benchmark::DoNotOptimize(sum);
  }
}
BENCHMARK(BM_LibraryTabulate)->Arg(10)->Arg(10000)->Unit(benchmark::kMillisecond);

// Registers the library beside this program into a temporary registry and makes the server.
bool createServer(const std::string& registry) {
  CLSID clsid{};
  return registerKernelLibrary(registry) &&
         SUCCEEDED(CLSIDFromProgID("VelDriveServer.1", &clsid)) &&
         SUCCEEDED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IVelDriveServer,
                                    gServer.putVoid()));
}

}  // namespace

int main(int argc, char** argv) {
  // Compile traces every hand-over and the chains report nothing worth showing here.
  setDbwinRedirect([](const char*) {});
  setMessageBoxHandler([](const char*, const char*) { return kMessageBoxOk; });
  char folder[] = "/tmp/kinetra-server-bench-XXXXXX";
  if (!mkdtemp(folder)) return 1;
  const bool ready = createServer(std::string(folder) + "/registry");
  if (!ready) std::fprintf(stderr, "server_bench: cannot register or create VelDriveServer.1\n");
  int status = 1;
  if (ready) {
    status = benchratio::runWithRatios(
        argc, argv,
        {{"BM_BuildThroughInterfaces/10000", "BM_BuildThroughInterfaces/10", 2.0},
         {"BM_LibraryTabulate/10000", "BM_LibraryTabulate/10", 3.0}});
    gServer = nullptr;
  }
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
  return status;
}
