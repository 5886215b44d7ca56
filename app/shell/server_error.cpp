#include "app/shell/server_error.h"

#include "app/common/string_table.h"
#include "app/common/user_dialogs.h"
#include "app/shell/file_commands.h"
#include "app/shell/project_file.h"

std::optional<QString> serverErrorRoutine(const ProjectState& project) {
  showMessage(resString(164), QLatin1String(kServerErrorTitle));
  FileRequest request;
  request.filter = fileFilter(FileKind::Project);
  const std::optional<QString> path = userDialogs().saveFileName(request);
  if (!path || !writeTextFile(*path, projectFileLines(project, ProjectFileKind::Backup)))
    return std::nullopt;
  return path;
}
