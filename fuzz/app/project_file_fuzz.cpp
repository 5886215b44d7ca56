// The project-file reader on any bytes: it must neither crash nor hang nor create more
// drives or rows than the lines hold, and the drives it read must write and read back the
// same, completely.
#include <cstddef>
#include <cstdint>
#include <limits>

#include "app/common/text_file.h"
#include "app/shell/project_file.h"

namespace {

bool sameRecord(const DriveRecord& a, const DriveRecord& b) {
  const DriveDocument& x = *a.document;
  const DriveDocument& y = *b.document;
  return a.name == b.name && a.id == b.id && a.closed == b.closed && a.changed == b.changed &&
         x.offsetText == y.offsetText && x.colorBgr == y.colorBgr && x.periodic == y.periodic &&
         x.input.dataRows() == y.input.dataRows();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const QByteArray bytes =
      QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  const QStringList lines = splitLines(decodeText(bytes));
  ProjectState project;
  const ProjectReadResult read = readProjectFile(lines, project);
  if (read.recordsCreated != project.driveCount() || project.driveCount() > lines.size() / 6)
    __builtin_trap();
  qsizetype rows = 0;
  for (const DriveRecord& record : project.drives()) rows += record.document->input.rowCount();
  if (rows > lines.size() / 15 + 1 + 2 * project.driveCount()) __builtin_trap();
  // More drives than the 16-bit count of a file can announce are never written.
  if (project.driveCount() > std::numeric_limits<qint16>::max()) return 0;

  ProjectState again;
  const ProjectReadResult reread = readProjectFile(projectFileLines(project), again);
  if (!reread.complete || again.driveCount() != project.driveCount()) __builtin_trap();
  for (int i = 0; i < project.driveCount(); ++i)
    if (!sameRecord(project.drives()[i], again.drives()[i])) __builtin_trap();
  return 0;
}
