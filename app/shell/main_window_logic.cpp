#include "app/shell/main_window_logic.h"

#include "app/common/number_text.h"
#include "app/common/string_table.h"
#include "app/common/user_dialogs.h"
#include "app/shell/file_commands.h"

AppVersion applicationVersion() {
  return {KINETRA_VERSION_MAJOR, KINETRA_VERSION_MINOR, KINETRA_VERSION_REVISION};
}

QString kernelPanelText(const QString& kernelVersion, std::optional<int> serverDriveCount) {
  const AppVersion v = applicationVersion();
  QString text = kernelVersion + QStringLiteral(" Kinetra: ") +
                 QStringLiteral("%1.%2.%3").arg(v.major).arg(v.minor).arg(v.revision);
  if (serverDriveCount)
    text.prepend(QLatin1Char('(') + QString::number(*serverDriveCount) + QStringLiteral(") "));
  return text;
}

QString drivesPanelText(int driveCount) {
  return resString(171) + QStringLiteral(": ") + generalText(driveCount);
}

QString mainCaption(const QString& projectFile) {
  const QString product = QLatin1String(kProductName);
  return projectFile.isEmpty() ? product : product + QStringLiteral("  ") + projectFile;
}

ProjectMenuState projectMenuState(const ProjectState& project) {
  const bool any = project.driveCount() > 0;
  bool allCalculated = true;
  for (const DriveRecord& record : project.drives())
    if (record.document->results.isEmpty()) allCalculated = false;
  return {!any, any, any && allCalculated, any};
}

bool requireCalculatedDrives(const ProjectState& project, const QString& title) {
  for (const DriveRecord& record : project.drives()) {
    if (record.document->results.isEmpty()) {
      showMessage(resString(158), title, MessageIcon::Exclamation);
      return false;
    }
  }
  return true;
}

bool queryCloseDrive(ProjectState& project, int number, bool byUser) {
  if (number < 0 || number >= project.driveCount()) return true;
  DriveRecord& record = project.drives()[number];
  if (byUser && record.changed) {
    switch (showMessage(resString(118), QLatin1String(kProductName), MessageIcon::Question,
                        MessageButtons::YesNoCancel)) {
      case MessageAnswer::Yes:
        // Closing drops the drive from the project: without its file it would be lost.
        if (DriveSave(*record.document) != FileOutcome::Done) return false;
        project.ProjektGeaendert();
        break;
      case MessageAnswer::No: project.ProjektGeaendert(); break;
      default: return false;
    }
  }
  record.closed = true;
  return true;
}

void driveWindowClosed(ProjectState& project, int number) {
  project.removeDrive(number);
  project.ProjektGeaendert();
}

int SetChildNumbers(int number, int closedNumber) {
  return number > closedNumber ? number - 1 : number;
}

bool queryCloseMain(ProjectState& project) {
  if (project.driveCount() == 0 || !project.isChanged()) return true;
  switch (showMessage(resString(172), QLatin1String(kProductName), MessageIcon::Question,
                      MessageButtons::YesNoCancel)) {
    case MessageAnswer::Yes: return ProjektSave(project).outcome == FileOutcome::Done;
    case MessageAnswer::No: return true;
    default: return false;
  }
}
