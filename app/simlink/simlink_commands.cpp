#include "app/simlink/simlink_commands.h"

#include <QAction>
#include <QMenu>

#include <utility>

#include "app/simlink/exchange_files.h"
#include "app/simlink/frm_wm_check.h"

bool openTransfer(ProjectState& project, SimulationGuard& guard, QWidget* mainWindow) {
  const QString caption =
      mainWindow ? mainWindow->windowTitle() : QString::fromLatin1(kProductName);
  if (transferCommand(project, caption) != TransferCommand::OpenCheck) return false;
  frmWMCheck dialog(project, guard, mainWindow);
  if (!dialog.check()) return false;
  dialog.exec();
  return dialog.transferred();
}

void connectExchangeMenu(QMenu* menu, QAction* get, QAction* push, ProjectState& project,
                         std::function<void(int)> openDriveWindow) {
  QObject::connect(menu, &QMenu::aboutToShow, get, [get, push, &project] {
    const AdamsMenuState state = adamsMenuState(project);
    get->setEnabled(state.getEnabled);
    push->setEnabled(state.pushEnabled);
  });
  QObject::connect(get, &QAction::triggered, get, [&project, open = std::move(openDriveWindow)] {
    const int first = project.driveCount();
    const int added = mnuAdamsGet(project);
    for (int number = first; number < first + added; ++number) {
      if (open) open(number);
    }
  });
  QObject::connect(push, &QAction::triggered, push, [&project] { mnuAdamsPush(project); });
}
