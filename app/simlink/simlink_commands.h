#pragma once
// The main window's commands of the simulation link: the transfer (mnuTransfer) and the
// exchange menu (mnuAdams). MDIMain calls these; the logic lives in the Qt-Core units.

#include <functional>

class ProjectState;
class QAction;
class QMenu;
class QWidget;
class SimulationGuard;

// mnuTransfer: the transfer command's checks (message 158 titled with the main window's
// caption, 176), then the check dialog frmWMCheck, modal over mainWindow. True when the
// dialog ran the transfer: the main window then enables its cam item mnuKurve.
bool openTransfer(ProjectState& project, SimulationGuard& guard, QWidget* mainWindow);

// Makes menu the exchange menu: on opening it enables get and push as the project allows;
// get (mnuAdamsGet) appends the drives of the exchange folder's name list and calls
// openDriveWindow with each new record's window number; push (mnuAdamsPush) writes the
// spline files.
void connectExchangeMenu(QMenu* menu, QAction* get, QAction* push, ProjectState& project,
                         std::function<void(int)> openDriveWindow);
