// Opening a 50-drive project without its windows: reading the file and building the drive
// records and input tables, as ProjektOpen does before the drive windows open. Measured
// against the 2 s a user may wait for the whole open, and beside its baseline: reading the
// same file into lines (readTextLines), which every reader has to do anyway.
//
// "realistic": 50 drives of 4 … 63 segments; "large": 50 drives of 1,000 segments each.

#include <benchmark/benchmark.h>

#include <QTemporaryDir>

#include "app/common/text_file.h"
#include "app/shell/file_commands.h"
#include "app/shell/project_file.h"
#include "bench/bench_ratio.h"

namespace {

constexpr int kDrives = 50;
constexpr double kBudgetNs = 2e9;

// A drive of rows segments: numbers, laws, marks and empty cells as users type them.
DriveDocument drive(int rows, int seed) {
  static const char* const laws[] = {"Poly5", "ModSine", "Linear", "ModTrapez", "HarmComb"};
  DriveDocument d;
  for (int r = 2; r <= rows; ++r) d.input.appendRow();
  d.input.renumber();
  for (int r = 1; r <= rows; ++r) {
    d.input.setCell(r, InputTable::kZ, QString::number(360.0 * (r - 1) / rows, 'g', 12));
    d.input.setCell(r, InputTable::kF, QString::number(10.0 + 0.37 * ((r * seed) % 41), 'g', 12));
    d.input.setCell(r, InputTable::kLaw,
                    r == rows ? QStringLiteral("ENDE") : QLatin1String(laws[(r + seed) % 5]));
    for (int c = InputTable::kFirstParameter; c < InputTable::kColumns; ++c) {
      const int kind = (r * 7 + c + seed) % 6;
      d.input.setCell(r, c,
                      kind == 0   ? QStringLiteral("x")
                      : kind == 1 ? QStringLiteral("n/A")
                      : kind == 2 ? QString::number(0.5 + 0.01 * r, 'g', 10)
                                  : QString());
    }
  }
  d.offsetText = QString::number(10 + seed);
  d.periodic = seed % 2 == 0;
  return d;
}

// The project file, written once per kind.
class ProjectFile {
 public:
  explicit ProjectFile(bool large) {
    ProjectState project;
    project.simulationDocument = QStringLiteral("cam_mechanism.msim");
    for (int i = 0; i < kDrives; ++i) {
      DriveRecord record;
      record.name = QStringLiteral("Antrieb %1").arg(i);
      record.id = i + 1;
      *record.document = drive(large ? 1000 : 4 + (i * 37) % 60, i);
      project.addDrive(std::move(record));
    }
    path_ = dir_.filePath(large ? "large.idp" : "realistic.idp");
    writeTextFile(path_, projectFileLines(project));
  }
  const QString& path() const { return path_; }

 private:
  QTemporaryDir dir_;
  QString path_;
};

const ProjectFile& projectFile(bool large) {
  static const ProjectFile realistic(false);
  static const ProjectFile big(true);
  return large ? big : realistic;
}

void readLines(benchmark::State& state, bool large) {
  const QString& path = projectFile(large).path();
  for (auto _ : state) {
    const std::optional<QStringList> lines = readTextLines(path);
    benchmark::DoNotOptimize(lines->size());
  }
}

void openProject(benchmark::State& state, bool large) {
  const QString& path = projectFile(large).path();
  for (auto _ : state) {
    ProjectState project;
    const ProjectFileResult result = openProjectFile(project, path);
    if (result.outcome != FileOutcome::Done || project.driveCount() != kDrives)
      state.SkipWithError("the project did not open completely");
    benchmark::DoNotOptimize(project.drives().data());
  }
}

BENCHMARK_CAPTURE(readLines, realistic, false);
BENCHMARK_CAPTURE(openProject, realistic, false);
BENCHMARK_CAPTURE(readLines, large, true);
BENCHMARK_CAPTURE(openProject, large, true);

}  // namespace

int main(int argc, char** argv) {
  return benchratio::runWithRatios(argc, argv,
                                   {{"openProject/realistic", "readLines/realistic", 4.0},
                                    {"openProject/realistic", "", kBudgetNs},
                                    {"openProject/large", "readLines/large", 4.0},
                                    {"openProject/large", "", kBudgetNs}});
}
