#pragma once
// What the transfer, the value logs and the exchange files read of a drive: the z and f(z)
// columns of its result table, its frame count and its actuator offset.

#include <QString>

#include <functional>
#include <optional>

#include "app/common/text_file.h"
#include "app/shell/project_state.h"

// The drive's result table holds at least one frame (the grid has a row beyond its header).
bool isComputed(const DriveRecord& drive);
// The actuator offset (txtAnfLaenge) as a number; a text that is no number counts as 0.
double driveOffset(const DriveRecord& drive);
const ResultTable& driveResults(const DriveRecord& drive);
// Frames of the drive that the tables can play: its frame count, held to the rows there are.
int playableFrames(const DriveRecord& drive, qint32 frames);

// Signed text of z, TAB, signed text of f(z) + offset for the frame's row: the line the
// value logs and the exchange files write for each frame.
QString driveValueLine(const ResultTable& results, int frame, double offset);

// directory + name + ".txt". Nothing when the name holds a path separator (or a NUL): a
// drive name then cannot lead a file out of the directory.
std::optional<QString> driveFilePath(const QString& directory, const QString& name);

// The outcome of writing one file per drive.
struct FilesWritten {
  int count = 0;  // files written completely
  QString error;  // why writing stopped; empty when every file was written
  bool ok() const { return error.isEmpty(); }
};

// Writes one file per drive, in list order, at driveFilePath(directory, name); body fills
// each. Stops at the first file that cannot be written (the files before it stay).
FilesWritten writeDriveFiles(const ProjectState& state, const QString& directory,
                             const std::function<void(const DriveRecord&, TextFileWriter&)>& body);
