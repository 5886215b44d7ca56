#include "app/batch/batch_transfer.h"

#include <cstdio>

#include "app/batch/batch_calc.h"
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
  if (!loadProject(arguments.positional()[0], state)) return kExitFailed;
  const std::optional<KernelClient> kernel = createKernel();
  if (!kernel || calculateProject(state, *kernel) > 0) return kExitFailed;
  return transferProject(state, arguments.option(QStringLiteral("--log")).value_or(QString()));
}
