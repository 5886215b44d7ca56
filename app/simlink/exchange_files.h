#pragma once
// The file exchange with the second multibody program (menu mnuAdams): nothing is called
// there, only text files pass through a fixed folder, /tmp/ or $KINETRA_EXCHANGE_DIR.
//
// - drive.txt, written by the other side: one drive name per line.
// - <name>.txt, one per drive, written here: "time" TAB "Spline<name>", then per frame the
//   signed text of z TAB the signed text of f(z) + offset; CR LF.

#include <QString>

#include "app/shell/project_state.h"
#include "app/simlink/drive_values.h"

// $KINETRA_EXCHANGE_DIR when set, else /tmp/.
QString exchangeDirectory();

struct AdamsMenuState {
  bool getEnabled;   // mnuAdamsGet: only while the project has no drives
  bool pushEnabled;  // mnuAdamsPush: unless some drive is not computed
};
AdamsMenuState adamsMenuState(const ProjectState& state);

// mnuAdamsGet: appends one drive per line of directory/drive.txt (name = the line, input
// identifier = the drive's index) and returns how many. A missing, unreadable or empty
// list shows the message "fehler"; drives appended before stay.
int mnuAdamsGet(ProjectState& state, const QString& directory = exchangeDirectory());

// The spline files of every drive; stops at the first that cannot be written.
FilesWritten writeSplineFiles(const ProjectState& state, const QString& directory);
// mnuAdamsPush: the spline files, then the message count + " Dateien wurden gespeichert"
// (information icon, titled with the product name); none after a failure.
FilesWritten mnuAdamsPush(const ProjectState& state,
                          const QString& directory = exchangeDirectory());
