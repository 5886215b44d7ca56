#pragma once
// The file commands of the main window (ProjektSave, ProjektOpen) and of a drive window
// (DriveSave, DriveOpen): each asks for a file name through userDialogs(), reads or writes
// it (project_file.h) and tells the window what to do next. None shows a message: a
// cancelled dialog, a file that cannot be read or written, or a file that ends early ends
// the command quietly, keeping what was done up to there. A save never damages the file it
// replaces when it fails.

#include <QString>

#include "app/editor/drive_document.h"
#include "app/shell/project_state.h"

enum class FileKind { Drive, Project, Curve };

// The file dialogs' filters in the current language, "*.idd (Kinetra Antrieb)|*.idd",
// "*.idp (Kinetra Projekt)|*.idp", "*.txt (Kinetra Kurven-Spline)|*.txt".
QString fileFilter(FileKind kind);

enum class FileOutcome {
  Done,
  Cancelled,  // the dialog was cancelled: nothing changed
  Failed,     // the file could not be written or read, or it ended early
};

// The drive window's "Save": writes the input table and the periodic state to a drive file.
// Neither the drive's calculation state, its record nor the project state change.
FileOutcome DriveSave(const DriveDocument& drive);
// The drive window's "Open": reads a drive file into drive (readDriveFile). The window
// shows drive's table and periodic box again unless Cancelled; its name, colour, offset and
// calculation state are not changed.
FileOutcome DriveOpen(DriveDocument& drive);

struct ProjectFileResult {
  FileOutcome outcome = FileOutcome::Cancelled;
  QString fileName;        // the file's full path (main caption: mainCaption(fileName))
  int firstRecord = 0;     // ProjektOpen: the records the window opens drive windows for,
  int recordsCreated = 0;  // firstRecord … firstRecord + recordsCreated − 1
};

// Main menu "Projekt Speichern": writes every drive to a project file. Done: the project is
// saved (projektOK) and the caption becomes mainCaption(fileName). Otherwise nothing
// changes.
ProjectFileResult ProjektSave(ProjectState& project);
// Main menu "Projekt Öffnen", offered only while no drive is open: reads a project file
// into project. The window then opens one drive window per created record (also when the
// outcome is Failed: a partly read project keeps the drives read so far) and shows the
// frames and drive-count panels. Done: the project is in the saved state and the caption is
// mainCaption(fileName).
ProjectFileResult ProjektOpen(ProjectState& project);
// ProjektOpen without the dialog: the file given on the command line, and kinetra-batch.
ProjectFileResult openProjectFile(ProjectState& project, const QString& path);
