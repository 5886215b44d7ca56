#include "app/simlink/exchange_files.h"

#include <QDir>

#include <algorithm>

#include "app/common/number_text.h"
#include "app/common/string_table.h"
#include "app/common/text_file.h"
#include "app/common/user_dialogs.h"

QString exchangeDirectory() {
  const QString dir = qEnvironmentVariable("KINETRA_EXCHANGE_DIR");
  return dir.isEmpty() ? QStringLiteral("/tmp/") : dir;
}

AdamsMenuState adamsMenuState(const ProjectState& state) {
  const auto& drives = state.drives();
  return {drives.empty(), std::all_of(drives.begin(), drives.end(), isComputed)};
}

int mnuAdamsGet(ProjectState& state, const QString& directory) {
  const std::optional<QStringList> lines =
      readTextLines(QDir(directory).filePath(QStringLiteral("drive.txt")));
  if (!lines || lines->isEmpty()) {
    showMessage(QStringLiteral("fehler"), QString::fromLatin1(kProductName));
    return 0;
  }
  for (const QString& line : *lines) {
    DriveRecord drive;
    drive.name = line;
    drive.id = state.driveCount();
    state.addDrive(std::move(drive));
  }
  return static_cast<int>(lines->size());
}

FilesWritten writeSplineFiles(const ProjectState& state, const QString& directory) {
  return writeDriveFiles(state, directory, [](const DriveRecord& drive, TextFileWriter& out) {
    out.writeLine(QStringLiteral("time\tSpline") + drive.name);
    const ResultTable& results = driveResults(drive);
    const double offset = driveOffset(drive);
    const int frames = playableFrames(drive, drive.frameCount);
    for (int f = 0; f < frames; ++f) out.writeLine(driveValueLine(results, f, offset));
  });
}

FilesWritten mnuAdamsPush(const ProjectState& state, const QString& directory) {
  const FilesWritten written = writeSplineFiles(state, directory);
  if (written.ok()) {
    showMessage(generalText(state.driveCount()) + QStringLiteral(" Dateien wurden gespeichert"),
                QString::fromLatin1(kProductName), MessageIcon::Information);
  }
  return written;
}
