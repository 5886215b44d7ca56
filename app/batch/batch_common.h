#pragma once
// What the subcommands of kinetra-batch share: exit statuses, options, and the running
// motionsim reached through the link and its guard.

#include <QString>
#include <QStringList>

#include <optional>

#include "app/shell/project_state.h"
#include "app/simlink/simulation_guard.h"

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

// The running motionsim (its socket: $KINETRA_SIM_SOCKET, else the default) and the guard
// every call goes through. A lost connection runs the program's server-error routine for
// the project (message 164 on standard error; with no file dialog there is no backup).
class BatchSimulation {
 public:
  explicit BatchSimulation(const ProjectState& project);
  // Attaches; prints why not.
  bool attach();
  SimulationGuard& guard() { return guard_; }
  // After an operation the guard ended: prints the error number unless the connection was
  // lost (the routine has said so already) and returns kExitFailed.
  int failed() const;

 private:
  SimulationLink link_;
  SimulationGuard guard_;
};

// "kinetra-batch: <text>" on standard error.
void printError(const QString& text);
