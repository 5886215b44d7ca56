// The calculation of a drive as its window runs it, against a baseline in the same program:
// - DriveCalc of a cam over one turn in 1,000,000 frames, until the result table is filled,
//   against the bare tabulation of the same compiled drive through the same interfaces
//   (eight calls per frame into an array): at most 3×;
// - the result model making the texts of the table's last page (40 rows of 7 cells): under
//   50 ms;
// - the memory the calculation adds at its peak over what the program held before: under
//   300 MB (printed after the ratios).
// The kernel is libVelDrive.so beside this program, registered into a temporary registry and
// reached by class activation, as the program reaches it.

#include <stdlib.h>

#include <QLocale>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "app/common/kernel_client.h"
#include "app/common/string_table.h"
#include "app/editor/drive_calc.h"
#include "app/editor/segment_building.h"
#include "app/editor/table_models.h"
#include "bench/bench_ratio.h"
#include "bench/kernel_registration.h"
#include "platform/dbwin/dbwin_client.h"
#include "platform/msgbox/message_box.h"

namespace {

// 180 z units per second and 2 µs per frame: Δz ≈ 0.00036, 1,000,000 frames over 360.
constexpr double kFrameTime = 0.000002;
constexpr int kDecimals = 10;
constexpr int kLastPageRows = 40;
constexpr double kLastPageLimitNs = 50e6;
constexpr double kMemoryLimitMb = 300;

IVelDriveServer* gServer = nullptr;
DriveDocument* gDocument = nullptr;
const CalcSettings kSettings{QStringLiteral("Hub"), kFrameTime, kDecimals};

// Dwell, rise by 50, dwell, return, dwell: straight lines and modified sines.
void fillCam(InputTable& table) {
  const char* const rows[][3] = {{"0", "0", "Linear"},    {"60", "0", "ModSine"},
                                 {"150", "50", "Linear"}, {"210", "50", "ModSine"},
                                 {"300", "0", "Linear"},  {"360", "0", "ENDE"}};
  for (int r = 0; r < 6; ++r) {
    if (r > 0) table.appendRow();
    for (int c = 0; c < 3; ++c) table.setCell(r + 1, c + 1, QString::fromLatin1(rows[r][c]));
  }
  table.renumber();
}

void BM_DriveCalc(benchmark::State& state) {
  UnstoppableLoop loop;
  for (auto _ : state) {
    if (DriveCalc(gServer, *gDocument, kSettings, loop).status != CalcStatus::Calculated)
      state.SkipWithError("the cam did not calculate");
  }
  state.counters["frames"] = gDocument->results.rowCount();
}
BENCHMARK(BM_DriveCalc)->Unit(benchmark::kMillisecond);

// The same frames as DriveCalc: z from z0 by the single-precision step to z1 + 1e-9, eight
// kernel calls each, the seven numbers of a row into one array.
void BM_BareTabulation(benchmark::State& state) {
  const ComPtr<IVelDrive> drive = buildKernelDrive(gServer, kSettings.driveName, gDocument->input);
  LONG unsolved = 1;
  for (int pass = 0; pass < 3; ++pass) drive->compile(&unsolved);
  double z0 = 0, z1 = 0;
  drive->get_z0(&z0);
  drive->get_z1(&z1);
  const double zEnd = z1 + 1e-9;
  const double step = static_cast<float>(180.0 * kFrameTime);
  std::size_t frames = 0;
  for (double z = z0; z <= zEnd; z += step) ++frames;
  std::vector<double> values(frames * ResultTable::kColumns);
  for (auto _ : state) {
    double* row = values.data();
    for (double z = z0; z <= zEnd; z += step, row += ResultTable::kColumns) {
      double fdA = 0, fddA = 0, fddB = 0, fdddB = 0;
      drive->f(z, &row[1]);
      drive->fd(z, &row[2]);
      drive->fdd(z, &row[3]);
      drive->fddd(z, &row[4]);
      drive->fd(z, &fdA);
      drive->fdd(z, &fddA);
      drive->fdd(z, &fddB);
      drive->fddd(z, &fdddB);
      row[0] = z;
      row[5] = fdA * fddA;
      row[6] = fddB * fdddB;
    }
    benchmark::DoNotOptimize(values.data());
  }
  state.counters["frames"] = static_cast<double>(frames);
}
BENCHMARK(BM_BareTabulation)->Unit(benchmark::kMillisecond);

// What a view asks for when the user jumps to the end of the table.
void BM_ResultModelLastPage(benchmark::State& state) {
  const ResultTable& results = gDocument->results;
  for (auto _ : state) {
    ResultModel model(results);
    qsizetype characters = 0;
    for (int row = results.rowCount() - kLastPageRows; row < results.rowCount(); ++row)
      for (int column = 0; column < ResultTable::kColumns; ++column)
        characters += model.data(model.index(row, column)).toString().size();
    benchmark::DoNotOptimize(characters);
  }
}
// Nanoseconds: the bound below is held in the unit the run reports.
BENCHMARK(BM_ResultModelLastPage)->Unit(benchmark::kNanosecond);

// A field of /proc/self/status in kB ("VmRSS", "VmHWM"); -1 when unreadable.
long statusKb(const std::string& field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind(field + ":", 0) == 0) return std::stol(line.substr(field.size() + 1));
  return -1;
}

// Runs one calculation into the empty document; the line on the peak memory it added.
std::string measureMemory() {
  std::ofstream("/proc/self/clear_refs") << "5";  // the high-water mark restarts from here
  const long before = statusKb("VmRSS");
  UnstoppableLoop loop;
  DriveCalc(gServer, *gDocument, kSettings, loop);
  const double addedMb = (statusKb("VmHWM") - before) / 1024.0;
  char line[200];
  std::snprintf(line, sizeof line,
                "memory DriveCalc of %d frames: peak %.1f MB above the %.1f MB before  "
                "(limit %.0f MB)  %s\n",
                gDocument->results.rowCount(), addedMb, before / 1024.0, kMemoryLimitMb,
                addedMb < kMemoryLimitMb ? "ok" : "OVER");
  return line;
}

}  // namespace

int main(int argc, char** argv) {
  // Compile traces every hand-over; nothing of it is worth showing here.
  setDbwinRedirect([](const char*) {});
  setMessageBoxHandler([](const char*, const char*) { return kMessageBoxOk; });
  QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
  setLanguage(Language::German);
  char folder[] = "/tmp/kinetra-calc-bench-XXXXXX";
  if (!mkdtemp(folder)) return 1;
  std::optional<KernelClient> kernel;
  if (registerKernelLibrary(std::string(folder) + "/registry")) kernel = KernelClient::create();
  int status = 1;
  if (kernel) {
    gServer = kernel->server();
    DriveDocument document;
    fillCam(document.input);
    gDocument = &document;
    const std::string memory = measureMemory();
    status = benchratio::runWithRatios(argc, argv,
                                       {{"BM_DriveCalc", "BM_BareTabulation", 3.0},
                                        {"BM_ResultModelLastPage", "", kLastPageLimitNs}});
    std::printf("%s", memory.c_str());
  } else {
    std::fprintf(stderr, "drive_calc_bench: cannot register or create VelDriveServer.1\n");
  }
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
  return status;
}
