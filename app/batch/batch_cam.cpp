#include "app/batch/batch_cam.h"

#include <cstdio>

#include "app/batch/batch_common.h"
#include "app/batch/console_dialogs.h"
#include "app/cam/cam_export.h"
#include "app/cam/cam_session.h"
#include "app/common/number_text.h"

namespace {

// The list row of the body named (or numbered) key; nothing when there is none.
std::optional<int> findBody(const std::vector<BodyEntry>& bodies, const QString& key) {
  for (std::size_t i = 0; i < bodies.size(); ++i) {
    if (bodies[i].text.section(QLatin1Char('\t'), 1) == key) return static_cast<int>(i);
  }
  for (std::size_t i = 0; i < bodies.size(); ++i) {
    if (generalText(bodies[i].id) == key) return static_cast<int>(i);
  }
  return std::nullopt;
}

}  // namespace

int runCamCommand(const QStringList& args) {
  BatchArguments arguments;
  QString error;
  if (!arguments.parse(args,
                       {QStringLiteral("--frames"), QStringLiteral("--multiplier"),
                        QStringLiteral("--decimals"), QStringLiteral("--out")},
                       &error) ||
      arguments.positional().size() != 2 || !arguments.option(QStringLiteral("--frames")) ||
      !arguments.option(QStringLiteral("--out"))) {
    printError(error.isEmpty() ? QStringLiteral("cam needs ROLLER PLATE --frames L --out FILE")
                               : error);
    return kExitUsage;
  }
  int decimals = ProjectState::kDefaultDecimals;
  if (const auto text = arguments.option(QStringLiteral("--decimals"))) {
    bool ok = false;
    decimals = text->toInt(&ok);
    if (!ok || decimals < 0 || decimals > 15) {
      printError(
          QStringLiteral("--decimals must be a whole number from 0 to 15, not %1").arg(*text));
      return kExitUsage;
    }
  }
  const ProjectState nothingToSave;
  BatchSimulation sim(nothingToSave);
  if (!sim.attach()) return kExitFailed;
  CamSession session(sim.guard());
  if (session.BodyList() != SimOutcome::Done) return sim.failed();
  const QString names[2] = {arguments.positional()[0], arguments.positional()[1]};
  for (CamBody which : {CamBody::Roller, CamBody::Plate}) {
    const QString& name = names[static_cast<int>(which)];
    const std::optional<int> row = findBody(session.bodies(), name);
    if (!row) {
      printError(QStringLiteral("the simulation has no body \"%1\"").arg(name));
      return kExitFailed;
    }
    if (session.pickBody(which, row) != SimOutcome::Done) return sim.failed();
  }
  InterruptibleLoop loop;
  const CamRunEnd end =
      session.run(*arguments.option(QStringLiteral("--frames")),
                  arguments.option(QStringLiteral("--multiplier")).value_or(QStringLiteral("1")),
                  decimals, loop);
  if (end == CamRunEnd::Failed) return sim.failed();
  if (end == CamRunEnd::NotANumber) {
    printError(QStringLiteral("--frames and --multiplier take numbers"));
  }
  if (end != CamRunEnd::Completed) return kExitFailed;
  const QString out = *arguments.option(QStringLiteral("--out"));
  if (!writeCamFile(session.table(), out)) {
    printError(QStringLiteral("cannot write %1").arg(out));
    return kExitFailed;
  }
  std::printf("%d points of %s on %s written to %s\n", session.table().rowCount(),
              qUtf8Printable(session.bodyText(CamBody::Roller)),
              qUtf8Printable(session.bodyText(CamBody::Plate)), qUtf8Printable(out));
  return kExitOk;
}
