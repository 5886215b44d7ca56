#include "app/simlink/drive_values.h"

#include <QDir>

#include "app/common/number_text.h"

namespace {

const ResultTable kNoResults;

}  // namespace

const ResultTable& driveResults(const DriveRecord& drive) {
  return drive.document ? drive.document->results : kNoResults;
}

bool isComputed(const DriveRecord& drive) { return driveResults(drive).rowCount() >= 1; }

double driveOffset(const DriveRecord& drive) {
  if (!drive.document) return 0.0;
  return parseNumber(drive.document->offsetText).value_or(0.0);
}

int playableFrames(const DriveRecord& drive, qint32 frames) {
  return std::max(0, std::min<int>(frames, driveResults(drive).rowCount()));
}

QString driveValueLine(const ResultTable& results, int frame, double offset) {
  return signedText(results.value(frame, 0)) + QLatin1Char('\t') +
         signedText(results.value(frame, 1) + offset);
}

std::optional<QString> driveFilePath(const QString& directory, const QString& name) {
  if (name.contains(QLatin1Char('/')) || name.contains(QChar(u'\0'))) return std::nullopt;
  return QDir(directory).filePath(name + QStringLiteral(".txt"));
}

FilesWritten writeDriveFiles(const ProjectState& state, const QString& directory,
                             const std::function<void(const DriveRecord&, TextFileWriter&)>& body) {
  FilesWritten written;
  for (const DriveRecord& drive : state.drives()) {
    const std::optional<QString> path = driveFilePath(directory, drive.name);
    if (!path) {
      written.error = QStringLiteral("the drive name \"%1\" cannot be a file name").arg(drive.name);
      return written;
    }
    TextFileWriter out(*path);
    if (out.isOpen()) body(drive, out);
    if (!out.isOpen() || !out.commit()) {
      written.error = QStringLiteral("%1: %2").arg(*path, out.error());
      return written;
    }
    ++written.count;
  }
  return written;
}
