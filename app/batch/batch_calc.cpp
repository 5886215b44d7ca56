#include "app/batch/batch_calc.h"

#include <QDir>

#include <cstdio>

#include "app/batch/batch_common.h"
#include "app/common/number_text.h"
#include "app/common/text_file.h"
#include "app/editor/drive_calc.h"
#include "app/editor/result_export.h"
#include "app/shell/project_file.h"
#include "app/simlink/drive_values.h"

bool loadProject(const QString& path, ProjectState& state) {
  QString error;
  const std::optional<QStringList> lines = readTextLines(path, &error);
  if (!lines) {
    printError(QStringLiteral("%1: %2").arg(path, error));
    return false;
  }
  if (!readProjectFile(*lines, state).complete) {
    printError(QStringLiteral("%1: the project file ends before its last drive").arg(path));
    return false;
  }
  return true;
}

std::optional<KernelClient> createKernel() {
  QString error;
  std::optional<KernelClient> kernel = KernelClient::create(&error);
  if (!kernel) printError(QStringLiteral("the kernel cannot be created: ") + error);
  return kernel;
}

int calculateProject(ProjectState& state, const KernelClient& kernel) {
  UnstoppableLoop loop;
  int failed = 0;
  for (DriveRecord& drive : state.drives()) {
    const CalcOutcome outcome = DriveCalc(kernel.server(), *drive.document,
                                          {drive.name, state.frameTime(), state.decimals()}, loop);
    drive.frameCount = outcome.frameCount;
    if (outcome.status != CalcStatus::Calculated) {
      printError(QStringLiteral("drive %1 is not calculated").arg(drive.name));
      ++failed;
    }
  }
  return failed;
}

int runCalcCommand(const QStringList& args) {
  BatchArguments arguments;
  QString error;
  const QString out = QStringLiteral("--out"), decimals = QStringLiteral("--decimals"),
                fps = QStringLiteral("--fps");
  if (!arguments.parse(args, {out, decimals, fps}, &error) || arguments.positional().size() != 1 ||
      !arguments.option(out)) {
    printError(error.isEmpty() ? QStringLiteral("calc needs PROJECT.idp --out DIR") : error);
    return kExitUsage;
  }
  ProjectState state;
  if (!loadProject(arguments.positional()[0], state)) return kExitUsage;
  if (const auto text = arguments.option(decimals)) {
    bool ok = false;
    const int n = text->toInt(&ok);
    if (!ok || n < 0 || n > 15) {
      printError(
          QStringLiteral("--decimals must be a whole number from 0 to 15, got %1").arg(*text));
      return kExitUsage;
    }
    state.setDecimals(n);
  }
  if (const auto text = arguments.option(fps)) {
    const std::optional<double> perSecond = parseNumber(*text);
    if (!perSecond || !(*perSecond > 0.0) || !(1.0 / *perSecond > 0.0)) {
      printError(QStringLiteral("--fps must be a number above 0, got %1").arg(*text));
      return kExitUsage;
    }
    state.setFrameTime(1.0 / *perSecond);
  }
  const QString directory = *arguments.option(out);
  if (!QDir().mkpath(directory)) {
    printError(QStringLiteral("%1: the folder cannot be created").arg(directory));
    return kExitFailed;
  }
  const std::optional<KernelClient> kernel = createKernel();
  if (!kernel) return kExitFailed;
  const int uncalculated = calculateProject(state, *kernel);
  for (const DriveRecord& drive : state.drives()) {
    if (!drive.document->calculated) continue;
    const std::optional<QString> path = driveFilePath(directory, drive.name);
    if (!path || !writeResultExport(*path, drive.document->results)) {
      printError(QStringLiteral("%1: the results of drive %2 cannot be written")
                     .arg(path.value_or(directory), drive.name));
      return kExitFailed;
    }
    std::printf("%s\n", qUtf8Printable(*path));
  }
  std::fflush(stdout);
  if (std::ferror(stdout)) {
    printError(QStringLiteral("standard output cannot be written"));
    return kExitFailed;
  }
  return uncalculated > 0 ? kExitUnsolved : kExitOk;
}
