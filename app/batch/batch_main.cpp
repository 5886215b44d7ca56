// kinetra-batch: the desktop program's work without a display, on the same units as its
// windows. Each subcommand is a unit of its own.
//
//   kinetra-batch [--lang de|en] calc PROJECT.idp --out DIR [--decimals N] [--fps F]
//   kinetra-batch [--lang de|en] transfer PROJECT.idp [--log DIR]
//   kinetra-batch [--lang de|en] cam ROLLER PLATE --frames L [--multiplier M] [--decimals N]
//                 --out FILE
//
// The language of the texts (and of the end marker in input tables) follows the locale:
// German for a German locale, else English; --lang overrides.

#include <QCoreApplication>
#include <QLocale>

#include <cstdio>

#include "app/batch/batch_calc.h"
#include "app/batch/batch_cam.h"
#include "app/batch/batch_common.h"
#include "app/batch/batch_transfer.h"
#include "app/batch/console_dialogs.h"
#include "app/common/string_table.h"

namespace {

void printUsage(std::FILE* out) {
  std::fputs(
      "usage: kinetra-batch [--lang de|en] COMMAND [ARGUMENTS]\n"
      "  calc PROJECT.idp --out DIR [--decimals N] [--fps F]\n"
      "      calculate every drive and write DIR/<drive name>.txt (exit 3: a drive unsolved)\n"
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
  if (args.size() >= 2 && args[0] == QStringLiteral("--lang")) {
    Language language = Language::English;
    if (!languageFromCode(args[1], &language)) {
      printError(QStringLiteral("--lang takes de or en, not %1").arg(args[1]));
      return kExitUsage;
    }
    setLanguage(language);
    args = args.mid(2);
  }
  if (args.isEmpty() || args[0] == QStringLiteral("--help") || args[0] == QStringLiteral("-h")) {
    printUsage(args.isEmpty() ? stderr : stdout);
    return args.isEmpty() ? kExitUsage : kExitOk;
  }
  const QString command = args.takeFirst();
  int status = kExitUsage;
  if (command == QStringLiteral("calc")) {
    status = runCalcCommand(args);
  } else if (command == QStringLiteral("cam")) {
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
