#pragma once
// What the subcommands of kinetra-batch share: exit statuses, options, the link to the
// running motionsim and how a simulation operation's end is reported.

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

#include "app/simlink/simulation_link.h"

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;  // refused, cancelled, a simulation or file error
inline constexpr int kExitUsage = 2;

// Command-line arguments after the subcommand: positional ones and "--name value" options.
class BatchArguments {
 public:
  // False (with *error) for an option without its value or one not in known.
  bool parse(const QStringList& args, const QStringList& known, QString* error);
  const QStringList& positional() const { return positional_; }
  std::optional<QString> option(const QString& name) const;

 private:
  QStringList positional_;
  QStringList names_;
  QStringList values_;
};

// Attaches to the running motionsim (its socket: $KINETRA_SIM_SOCKET, else the default);
// prints why not on failure.
bool attachSimulation(SimulationLink& link);

// Runs op against the simulation. A lost connection shows message 164, any other error
// its number and description; either gives kExitFailed. Otherwise op's own status.
int runAgainstSimulation(const std::function<int()>& op);

// "kinetra-batch: <text>" on standard error.
void printError(const QString& text);
