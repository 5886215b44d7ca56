#include "app/batch/batch_common.h"

#include <cstdio>

#include "app/common/string_table.h"
#include "app/common/user_dialogs.h"

namespace {

constexpr int kTextConnectionLost = 164;

}  // namespace

bool BatchArguments::parse(const QStringList& args, const QStringList& known, QString* error) {
  for (int i = 0; i < args.size(); ++i) {
    const QString& arg = args[i];
    if (!arg.startsWith(QStringLiteral("--"))) {
      positional_ << arg;
      continue;
    }
    if (!known.contains(arg)) {
      *error = QStringLiteral("unknown option %1").arg(arg);
      return false;
    }
    if (i + 1 >= args.size()) {
      *error = QStringLiteral("%1 needs a value").arg(arg);
      return false;
    }
    names_ << arg;
    values_ << args[++i];
  }
  return true;
}

std::optional<QString> BatchArguments::option(const QString& name) const {
  const qsizetype at = names_.lastIndexOf(name);
  if (at < 0) return std::nullopt;
  return values_[at];
}

bool attachSimulation(SimulationLink& link) {
  if (link.AttachSimulation()) return true;
  printError(QStringLiteral("cannot attach to motionsim: ") + link.attachError().description());
  return false;
}

int runAgainstSimulation(const std::function<int()>& op) {
  int status = kExitFailed;
  try {
    status = op();
  } catch (const SimulationError& e) {
    if (e.isConnectionLost()) {
      showMessage(resString(kTextConnectionLost), QStringLiteral("Server Fehler"));
    } else {
      printError(QStringLiteral("simulation error %1: %2").arg(e.number()).arg(e.description()));
    }
    return kExitFailed;
  }
  return status;
}

void printError(const QString& text) {
  std::fprintf(stderr, "kinetra-batch: %s\n", qUtf8Printable(text));
}
