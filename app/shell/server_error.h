#pragma once
// The server-error routine: what the program does when the simulation is gone (error 462).
// It tells the user (message 164, OK only, titled "Server Fehler"), asks for a file with
// the project filter, and writes the whole project there as a backup: the project file
// with the line "[Sicherung erfolgte wegen Server-Fehler]" after its first line, which
// ProjektOpen reads back with every drive. The project's changed state stays: the backup
// is not the user's save.
//
// The program installs it as the SimulationGuard's routine:
//   SimulationGuard guard(link, [&project] { serverErrorRoutine(project); });

#include <QString>

#include <optional>

#include "app/shell/project_state.h"

inline constexpr char kServerErrorTitle[] = "Server Fehler";

// The backup's path, or nothing when the dialog was cancelled or the file not written.
std::optional<QString> serverErrorRoutine(const ProjectState& project);
