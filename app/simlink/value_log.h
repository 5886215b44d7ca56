#pragma once
// Value logs (cmdWerteProtokol of the check dialog): one text file per drive, named after
// the drive with ".txt", holding for each frame of the transfer the z, the value played into
// the simulation (f(z) + offset) and the frame number:
//   " 3.6<TAB> 10.25<TAB>1.Frame"
// z and the value in signed text; lines end with CR LF.

#include <QDir>
#include <QString>

#include "app/shell/project_state.h"
#include "app/simlink/drive_values.h"

// Writes the logs of every drive into directory, for frames 0 .. transfer frame count - 1
// (a drive with fewer rows logs the rows it has). Stops at the first file that cannot be
// written.
FilesWritten writeValueLogs(const ProjectState& state, const QString& directory);

// The command: the logs, then the message count + " Datei(en) wurde(n) im Verzeichnis" +
// directory + "gespeichert" (information icon, titled with the product name). After a
// failure no message claims the files were saved.
FilesWritten cmdWerteProtokol(const ProjectState& state,
                              const QString& directory = QDir::currentPath());
