#include "app/batch/batch_transfer.h"

#include <cstdio>

#include "app/batch/batch_common.h"
#include "app/batch/console_dialogs.h"
#include "app/simlink/transfer_check.h"
#include "app/simlink/transfer_run.h"
#include "app/simlink/value_log.h"

namespace {

void printCheck(const TransferCheck& check) {
  auto state = [](bool ok) { return ok ? "ok" : "FAILED"; };
  std::printf("%s\n", qUtf8Printable(check.caption));
  std::printf("  frame rate: %s\n", state(check.frameRateOk));
  std::printf("  offsets:    %s%s\n", state(check.offsetOk),
              check.driveFault.isEmpty()
                  ? ""
                  : qUtf8Printable(QStringLiteral(" (") + check.driveFault + QLatin1Char(')')));
  for (const QString& crossing : check.zeroCrossings) {
    std::printf("  reaches zero length: %s\n", qUtf8Printable(crossing));
  }
  std::printf("  z ranges:   %s\n", state(check.zRangeOk));
  std::printf("  frames:     %d\n", check.transferFrameCount);
}

}  // namespace

int transferProject(ProjectState& state, const QString& logDirectory) {
  if (transferCommand(state) != TransferCommand::OpenCheck) {
    if (state.drives().empty()) printError(QStringLiteral("the project has no drives"));
    return kExitFailed;
  }
  SimulationLink link;
  if (!attachSimulation(link)) return kExitFailed;
  return runAgainstSimulation([&] {
    printCheck(checkTransfer(link, state));
    if (!logDirectory.isEmpty()) {
      const FilesWritten logs = cmdWerteProtokol(state, logDirectory);
      if (!logs.ok()) {
        printError(logs.error);
        return kExitFailed;
      }
    }
    InterruptibleLoop loop;
    const TransferEnd end = runTransfer(link, state, loop);
    if (end != TransferEnd::Completed) return kExitFailed;
    std::printf("%d frames of %d drives transferred\n", state.transferFrameCount,
                state.driveCount());
    return kExitOk;
  });
}

int runTransferCommand(const QStringList& args, const ProjectSource& source) {
  BatchArguments arguments;
  QString error;
  if (!arguments.parse(args, {QStringLiteral("--log")}, &error) ||
      arguments.positional().size() != 1) {
    printError(error.isEmpty() ? QStringLiteral("transfer needs PROJECT.idp [--log DIR]") : error);
    return kExitUsage;
  }
  if (!source.read || !source.calculate) {
    printError(QStringLiteral("this build cannot read and calculate projects"));
    return kExitFailed;
  }
  ProjectState state;
  const QString path = arguments.positional()[0];
  if (!source.read(path, state, &error)) {
    printError(QStringLiteral("%1: %2").arg(path, error));
    return kExitFailed;
  }
  for (DriveRecord& drive : state.drives()) {
    if (!source.calculate(drive, state, &error)) {
      printError(QStringLiteral("drive %1: %2").arg(drive.name, error));
      return kExitFailed;
    }
  }
  return transferProject(state, arguments.option(QStringLiteral("--log")).value_or(QString()));
}
