#include "app/shell/file_commands.h"

#include <QFileInfo>

#include <optional>

#include "app/common/string_table.h"
#include "app/common/text_file.h"
#include "app/common/user_dialogs.h"
#include "app/shell/project_file.h"

namespace {

FileRequest requestFor(FileKind kind) {
  FileRequest request;
  request.filter = fileFilter(kind);
  request.overwritePrompt = true;
  return request;
}

}  // namespace

QString fileFilter(FileKind kind) {
  struct Form {
    const char* extension;
    int text;
  };
  static constexpr Form kForms[] = {{"idd", 101}, {"idp", 102}, {"txt", 146}};
  const Form& form = kForms[static_cast<int>(kind)];
  const QString pattern = QStringLiteral("*.") + QLatin1String(form.extension);
  return pattern + QStringLiteral(" (") + QLatin1String(kProductName) + QLatin1Char(' ') +
         resString(form.text) + QStringLiteral(")|") + pattern;
}

FileOutcome DriveSave(const DriveDocument& drive) {
  const std::optional<QString> path = userDialogs().saveFileName(requestFor(FileKind::Drive));
  if (!path) return FileOutcome::Cancelled;
  return writeTextFile(*path, driveFileLines(drive)) ? FileOutcome::Done : FileOutcome::Failed;
}

FileOutcome DriveOpen(DriveDocument& drive) {
  const std::optional<QString> path = userDialogs().openFileName(requestFor(FileKind::Drive));
  if (!path) return FileOutcome::Cancelled;
  const std::optional<QStringList> lines = readTextLines(*path);
  if (!lines || !readDriveFile(*lines, drive)) return FileOutcome::Failed;
  return FileOutcome::Done;
}

ProjectFileResult ProjektSave(ProjectState& project) {
  ProjectFileResult result;
  const std::optional<QString> path = userDialogs().saveFileName(requestFor(FileKind::Project));
  if (!path) return result;
  result.fileName = QFileInfo(*path).absoluteFilePath();
  result.outcome =
      writeTextFile(*path, projectFileLines(project)) ? FileOutcome::Done : FileOutcome::Failed;
  if (result.outcome == FileOutcome::Done) project.projektOK();
  return result;
}

ProjectFileResult ProjektOpen(ProjectState& project) {
  const std::optional<QString> path = userDialogs().openFileName(requestFor(FileKind::Project));
  if (!path) return {};
  return openProjectFile(project, *path);
}

ProjectFileResult openProjectFile(ProjectState& project, const QString& path) {
  ProjectFileResult result;
  result.fileName = QFileInfo(path).absoluteFilePath();
  result.firstRecord = project.driveCount();
  result.outcome = FileOutcome::Failed;
  const std::optional<QStringList> lines = readTextLines(path);
  if (!lines) return result;
  const ProjectReadResult read = readProjectFile(*lines, project);
  result.recordsCreated = read.recordsCreated;
  if (read.complete) {
    result.outcome = FileOutcome::Done;
    project.projektOK();
  }
  return result;
}
