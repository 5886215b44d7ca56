#include "app/batch/batch_common.h"

#include <cstdio>

#include "app/shell/server_error.h"

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

BatchSimulation::BatchSimulation(const ProjectState& project)
    : guard_(link_, [&project] { serverErrorRoutine(project); }) {}

bool BatchSimulation::attach() {
  if (link_.AttachSimulation()) return true;
  printError(QStringLiteral("cannot attach to motionsim: ") + link_.attachError().description());
  return false;
}

int BatchSimulation::failed() const {
  if (guard_.lastError() != motionsim::kErrConnectionLost) {
    printError(QStringLiteral("the simulation failed with error %1").arg(guard_.lastError()));
  }
  return kExitFailed;
}

void printError(const QString& text) {
  std::fprintf(stderr, "kinetra-batch: %s\n", qUtf8Printable(text));
}
