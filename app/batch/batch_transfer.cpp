#include "app/batch/batch_transfer.h"

#include <cstdio>

#include "app/batch/batch_common.h"
#include "app/batch/console_dialogs.h"
#include "app/common/kernel_client.h"
#include "app/common/text_file.h"
#include "app/editor/drive_calc.h"
#include "app/shell/project_file.h"
#include "app/simlink/transfer_check.h"
#include "app/simlink/transfer_run.h"
#include "app/simlink/value_log.h"

namespace {

void printCheck(const TransferCheck& check) {
  auto verdict = [](bool ok) { return ok ? "ok" : "FAILED"; };
  std::printf("%s\n", qUtf8Printable(check.caption));
  std::printf("  frame rate: %s\n", verdict(check.frameRateOk));
  std::printf("  offsets:    %s", verdict(check.offsetOk));
  if (!check.driveFault.isEmpty()) std::printf(" (%s)", qUtf8Printable(check.driveFault));
  std::printf("\n");
  for (const QString& crossing : check.zeroCrossings) {
    std::printf("  reaches zero length: %s\n", qUtf8Printable(crossing));
  }
  std::printf("  z ranges:   %s\n", verdict(check.zRangeOk));
  std::printf("  frames:     %d\n", check.transferFrameCount);
}

// Reads the project file and calculates every drive; prints why not.
bool loadAndCalculate(const QString& path, ProjectState& state) {
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
  const std::optional<KernelClient> kernel = KernelClient::create(&error);
  if (!kernel) {
    printError(QStringLiteral("the kernel cannot be created: ") + error);
    return false;
  }
  UnstoppableLoop loop;
  for (DriveRecord& drive : state.drives()) {
    const CalcOutcome outcome = DriveCalc(kernel->server(), *drive.document,
                                          {drive.name, state.frameTime(), state.decimals()}, loop);
    if (outcome.status != CalcStatus::Calculated) {
      printError(QStringLiteral("drive %1 cannot be calculated").arg(drive.name));
      return false;
    }
    drive.frameCount = outcome.frameCount;
  }
  return true;
}

}  // namespace

int transferProject(ProjectState& state, const QString& logDirectory) {
  if (transferCommand(state) != TransferCommand::OpenCheck) {
    if (state.drives().empty()) printError(QStringLiteral("the project has no drives"));
    return kExitFailed;
  }
  BatchSimulation sim(state);
  if (!sim.attach()) return kExitFailed;
  const std::optional<TransferCheck> check = checkTransfer(sim.guard(), state);
  if (!check) return sim.failed();
  printCheck(*check);
  if (!logDirectory.isEmpty()) {
    const FilesWritten logs = cmdWerteProtokol(state, logDirectory);
    if (!logs.ok()) {
      printError(logs.error);
      return kExitFailed;
    }
  }
  InterruptibleLoop loop;
  switch (runTransfer(sim.guard(), state, loop)) {
    case TransferEnd::Completed:
      std::printf("%d frames of %d drives transferred\n", state.transferFrameCount,
                  state.driveCount());
      return kExitOk;
    case TransferEnd::Failed: return sim.failed();
    case TransferEnd::NotComputed:
    case TransferEnd::Cancelled: break;
  }
  return kExitFailed;
}

int runTransferCommand(const QStringList& args) {
  BatchArguments arguments;
  QString error;
  if (!arguments.parse(args, {QStringLiteral("--log")}, &error) ||
      arguments.positional().size() != 1) {
    printError(error.isEmpty() ? QStringLiteral("transfer needs PROJECT.idp [--log DIR]") : error);
    return kExitUsage;
  }
  ProjectState state;
  if (!loadAndCalculate(arguments.positional()[0], state)) return kExitFailed;
  return transferProject(state, arguments.option(QStringLiteral("--log")).value_or(QString()));
}
