#pragma once
// The start-up routine of `kinetra`: the language, the attach to the running motionsim, the
// one drive server of the kernel, then the main window, in this order. KinetraProgram holds
// everything the program keeps from start-up to its end.
//
//   kinetra [--lang de|en] [--exchange-menu] [PROJECT.idp]

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

#include "app/common/kernel_client.h"
#include "app/common/string_table.h"
#include "app/shell/project_state.h"
#include "app/simlink/simulation_guard.h"

class MDIMain;
class QApplication;

struct StartOptions {
  std::optional<Language> language;  // --lang; nothing: the locale's language
  bool exchangeMenu = false;         // --exchange-menu: the Adams menu is shown
  QString projectFile;               // opened as "Projekt Öffnen" would open it
  QString socketPath;                // motionsim's socket; empty: its default path
  int simulationTimeoutMs = SimulationLink::kDefaultTimeoutMs;
};

// The program's arguments, the program name first. Nothing for an unknown option, a
// language other than de or en, or more than one project file; *error then says which.
std::optional<StartOptions> parseArguments(const QStringList& arguments, QString* error);

// Message 157's title.
inline constexpr char kNoSimulationTitle[] = "motionsim nicht geladen";

class KinetraProgram {
 public:
  // The start-up routine, after the language is set and the dialog service installed:
  // attaches to motionsim, asking with message 157 while none can be reached (OK tries
  // again, Cancel ends), creates the drive server (message 187 and the end when the kernel is
  // not registered), shows the main window and opens the project file of the options.
  // Nothing when the program ends here; *exitCode is then 0 when the user chose to end and
  // 1 when the kernel could not be created.
  static std::unique_ptr<KinetraProgram> start(const StartOptions& options,
                                               int* exitCode = nullptr);
  ~KinetraProgram();
  KinetraProgram(const KinetraProgram&) = delete;
  KinetraProgram& operator=(const KinetraProgram&) = delete;

  ProjectState& project() { return project_; }
  SimulationLink& link() { return link_; }
  SimulationGuard& guard() { return guard_; }
  const KernelClient& kernel() const { return *kernel_; }
  MDIMain& mainWindow() { return *main_; }

 private:
  explicit KinetraProgram(int simulationTimeoutMs);

  ProjectState project_;
  SimulationLink link_;
  SimulationGuard guard_;
  std::optional<KernelClient> kernel_;
  std::unique_ptr<MDIMain> main_;
};

// The whole program: arguments, language, Qt's dialogs, kernel messages as message boxes,
// start-up, then the event loop. Returns the exit code.
int runKinetra(QApplication& app);
