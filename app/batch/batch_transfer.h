#pragma once
// kinetra-batch transfer PROJECT.idp [--log DIR]
//
// Plays a project's drives into the running simulation as the transfer command does: the
// project read and every drive calculated, the command's checks, the check (printed), the
// transfer run; with --log the value logs are written into DIR as well.

#include <QString>
#include <QStringList>

#include <functional>

#include "app/shell/project_state.h"

// What the command takes from the rest of the program: the project reader and the drive
// calculation. Either may be missing in a build without them; the command then says so.
struct ProjectSource {
  std::function<bool(const QString& path, ProjectState& state, QString* error)> read;
  // Fills the drive's results and frame count from its input table.
  std::function<bool(DriveRecord& drive, const ProjectState& state, QString* error)> calculate;
};

int runTransferCommand(const QStringList& args, const ProjectSource& source);

// The transfer part alone, for a project whose drives are calculated: checks, check report
// on standard output, run, and the value logs into logDirectory unless it is empty.
int transferProject(ProjectState& state, const QString& logDirectory);
