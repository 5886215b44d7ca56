#pragma once
// The main window's rules without the window (MDIMain): status-bar texts, the caption, the
// Project menu's enabled states, and closing drive windows and the main window. The window
// calls these and shows the results.

#include <QString>

#include <optional>

#include "app/shell/project_state.h"

struct AppVersion {
  int major;
  int minor;
  int revision;
};
AppVersion applicationVersion();

// Panel 1: kernel version + " Kinetra: " + major.minor.revision; after a calculation
// "(" + the server's driveCount + ") " in front.
QString kernelPanelText(const QString& kernelVersion,
                        std::optional<int> serverDriveCount = std::nullopt);
// Panel 5: text 171 + ": " + the drive count ("Antriebe: 2").
QString drivesPanelText(int driveCount);
// The caption: "Kinetra", or "Kinetra" + two blanks + the project file's path.
QString mainCaption(const QString& projectFile = QString());

// Which items of the Project menu are enabled when it opens. Open only while no drive is
// open; Calculate and Save only with a drive; Graph only when every drive is calculated.
struct ProjectMenuState {
  bool open;
  bool calculate;
  bool graph;
  bool save;
};
ProjectMenuState projectMenuState(const ProjectState& project);

// Project graph and transfer: true when every drive is calculated; otherwise message 158
// (exclamation icon, titled title) and false.
bool requireCalculatedDrives(const ProjectState& project, const QString& title);

// A drive window is about to close (frmChild query-unload). When the user closes it and
// the drive is changed, asks text 118 (Yes, No, Cancel): Yes saves the drive (DriveSave),
// and the window stays open when that save is cancelled or fails; Yes and No mark the
// project changed. False: the window stays open, its record unchanged. True: the record is
// marked closed and the window closes.
bool queryCloseDrive(ProjectState& project, int number, bool byUser);
// A drive window has closed (frmChild unload): its record leaves the list, the records
// after it move down one place, the project is changed. The window then renumbers the
// other drive windows (SetChildNumbers), shows drivesPanelText and the caption "Kinetra",
// and removes the name from the input chooser.
void driveWindowClosed(ProjectState& project, int number);
// A drive window's number after window closedNumber has closed.
int SetChildNumbers(int number, int closedNumber);

// The main window is about to close. With a drive open and the project changed, asks text
// 172 (Yes, No, Cancel): Yes saves the project (ProjektSave) and closes only when it was
// saved; No closes; Cancel stays. True: close.
bool queryCloseMain(ProjectState& project);
