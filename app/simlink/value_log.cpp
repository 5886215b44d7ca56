#include "app/simlink/value_log.h"

#include "app/common/number_text.h"
#include "app/common/string_table.h"
#include "app/common/text_file.h"
#include "app/common/user_dialogs.h"

namespace {

constexpr int kTextFilesIn = 160;
constexpr int kTextSaved = 161;

// before + " " + middle + " " + after, where a text that already ends (or starts) with a blank
// brings its own: the folder stands apart from the words around it.
QString spaced(const QString& before, const QString& middle, const QString& after) {
  const QString left = before.endsWith(QLatin1Char(' ')) ? QString() : QStringLiteral(" ");
  const QString right = after.startsWith(QLatin1Char(' ')) ? QString() : QStringLiteral(" ");
  return before + left + middle + right + after;
}

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
    showMessage(generalText(state.driveCount()) +
                    spaced(resString(kTextFilesIn), directory, resString(kTextSaved)),
                QString::fromLatin1(kProductName), MessageIcon::Information);
  }
  return written;
}
