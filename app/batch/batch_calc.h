#pragma once
// kinetra-batch calc PROJECT.idp --out DIR [--decimals N] [--fps F]
//
// Calculates a project's drives as the drive windows do: the project read as it is opened,
// every drive calculated by the kernel, and each result table written to DIR/<drive name>.txt
// in the export format. Exit 0 when every drive calculated, 3 when one stays unsolved or its
// input is refused (the message on standard error), 2 when the project cannot be read.

#include <QString>
#include <QStringList>

#include <optional>

#include "app/common/kernel_client.h"
#include "app/shell/project_state.h"

inline constexpr int kExitUnsolved = 3;

int runCalcCommand(const QStringList& args);

// Reads the project at path into state as the main window opens it; prints why not.
bool loadProject(const QString& path, ProjectState& state);
// The drive server by class activation; prints why not.
std::optional<KernelClient> createKernel();
// Calculates every drive in list order (each keeps its frame count); prints the drives that
// stay uncalculated and returns how many they are.
int calculateProject(ProjectState& state, const KernelClient& kernel);
