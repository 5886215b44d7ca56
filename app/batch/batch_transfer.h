#pragma once
// kinetra-batch transfer PROJECT.idp [--log DIR]
//
// Plays a project's drives into the running simulation as the transfer command does: the
// project read, every drive calculated by the kernel, the command's checks, the check
// (printed), the transfer run; with --log the value logs are written into DIR as well.

#include <QString>
#include <QStringList>

#include "app/shell/project_state.h"

int runTransferCommand(const QStringList& args);

// The transfer of a project whose drives are calculated: the command's checks, the check
// report on standard output, the value logs into logDirectory unless it is empty, the run.
int transferProject(ProjectState& state, const QString& logDirectory);
