#include "app/simlink/value_log.h"

#include "app/common/number_text.h"
#include "app/common/string_table.h"
#include "app/common/text_file.h"
#include "app/common/user_dialogs.h"

namespace {

constexpr int kTextFilesIn = 160;
constexpr int kTextSaved = 161;

}  // namespace

FilesWritten writeValueLogs(const ProjectState& state, const QString& directory) {
  return writeDriveFiles(state, directory, [&](const DriveRecord& drive, TextFileWriter& out) {
    const ResultTable& results = driveResults(drive);
    const double offset = driveOffset(drive);
    const int frames = playableFrames(drive, state.transferFrameCount);
    for (int f = 0; f < frames; ++f) {
      out.writeLine(driveValueLine(results, f, offset) + QLatin1Char('\t') + generalText(f) +
                    QStringLiteral(".Frame"));
    }
  });
}

FilesWritten cmdWerteProtokol(const ProjectState& state, const QString& directory) {
  const FilesWritten written = writeValueLogs(state, directory);
  if (written.ok()) {
    showMessage(generalText(state.driveCount()) + resString(kTextFilesIn) + directory +
                    resString(kTextSaved),
                QString::fromLatin1(kProductName), MessageIcon::Information);
  }
  return written;
}
