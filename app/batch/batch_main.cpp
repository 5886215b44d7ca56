// kinetra-batch: the desktop program's work without a display, on the same units as its
// windows. Each subcommand is a unit of its own.
//
//   kinetra-batch transfer PROJECT.idp [--log DIR]
//   kinetra-batch cam ROLLER PLATE --frames L [--multiplier M] [--decimals N] --out FILE

#include <QCoreApplication>
#include <QLocale>

#include <cstdio>

#include "app/batch/batch_cam.h"
#include "app/batch/batch_common.h"
#include "app/batch/batch_transfer.h"
#include "app/batch/console_dialogs.h"
#include "app/common/string_table.h"

namespace {

void printUsage(std::FILE* out) {
  std::fputs(
      "usage: kinetra-batch COMMAND [ARGUMENTS]\n"
      "  transfer PROJECT.idp [--log DIR]\n"
      "      play the project's drives into the running motionsim (value logs into DIR)\n"
      "  cam ROLLER PLATE --frames L [--multiplier M] [--decimals N] --out FILE\n"
      "      record the cam of ROLLER on PLATE over frames 0 .. L and export it to FILE\n",
      out);
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  setLanguage(languageForLocale(QLocale()));
  ConsoleDialogs dialogs;
  setUserDialogs(&dialogs);
  QStringList args = app.arguments().mid(1);
  if (args.isEmpty() || args[0] == QStringLiteral("--help") || args[0] == QStringLiteral("-h")) {
    printUsage(args.isEmpty() ? stderr : stdout);
    return args.isEmpty() ? kExitUsage : kExitOk;
  }
  const QString command = args.takeFirst();
  int status = kExitUsage;
  if (command == QStringLiteral("cam")) {
    status = runCamCommand(args);
  } else if (command == QStringLiteral("transfer")) {
    status = runTransferCommand(args);
  } else {
    printError(QStringLiteral("unknown command %1").arg(command));
    printUsage(stderr);
  }
  setUserDialogs(nullptr);
  return status;
}
