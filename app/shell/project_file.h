#pragma once
// The drive file (.idd) and the project file (.idp): line-oriented text, one item per line,
// numbers in the print-file forms of number_text.h (" 4 ", " .02 ", "True").
//
// Drive file: the row count R of the input table (header row included), the periodic state
// (0 or 1), then the cells of rows 1 … R − 1, columns 1 … 15, one per line.
//
// Project file: "[Projektdaten allgemein]" with the date, the simulation document, the frame
// time, the drive count N, "[Start Drive]", N drive blocks, "[End Drive]". A drive block:
// "[i.Antrieb]", its index, name, input ID, closed and changed flags, actuator offset,
// colour, periodic state, R, "[i.Tabelle]", then the cells as in the drive file. A backup
// written after the simulation was lost carries kServerErrorLine after the first line.
//
// The readers never trust a count: a row or drive count that claims more than the file's
// lines hold creates only what the lines fill. Numbers are read in the reader's locale and
// also in the other decimal convention, so a file written under a decimal comma opens under
// a decimal point and the other way round.

#include <QDate>
#include <QString>
#include <QStringList>

#include "app/editor/drive_document.h"
#include "app/shell/project_state.h"

inline constexpr char kProjectHeaderLine[] = "[Projektdaten allgemein]";
inline constexpr char kServerErrorLine[] = "[Sicherung erfolgte wegen Server-Fehler]";
inline constexpr char kStartDriveLine[] = "[Start Drive]";
inline constexpr char kEndDriveLine[] = "[End Drive]";

// The lines of a drive file for drive's input table.
QStringList driveFileLines(const DriveDocument& drive);

// Reads a drive file into drive: the periodic state, then R − 2 rows appended as new
// numbered rows (never more than the remaining lines fill), then cells from row 1 on until
// the table or the file ends; cells after the file's end keep their texts. Name, colour,
// offset and calculation state stay. False, with drive untouched, when the first two lines
// are missing or are not numbers.
bool readDriveFile(const QStringList& lines, DriveDocument& drive);

enum class ProjectFileKind {
  Saved,   // written by the user's save
  Backup,  // written by the server-error routine: kServerErrorLine after the first line
};

// The lines of a project file for every drive of project, in window-number order. date is
// written in the locale's short format after kProjectHeaderLine.
QStringList projectFileLines(const ProjectState& project,
                             ProjectFileKind kind = ProjectFileKind::Saved,
                             const QDate& date = QDate::currentDate());

struct ProjectReadResult {
  int firstRecord = 0;     // window number of the first record created
  int recordsCreated = 0;  // records appended to the project, one per drive block begun
  bool complete = false;   // every announced block was read to its last cell
};

// Reads a project file into project: the frame time, then one record per drive block,
// appended to the drive list in file order (a block's window number is its position; the
// index line is not trusted). A record is created once its block's first six lines are
// read; reading stops silently at the end of the file or at a line that does not convert,
// and what was read stays. A frame time not above 0 (or too small to invert) leaves the
// project's frame time as it was. Does not touch the project's changed state.
ProjectReadResult readProjectFile(const QStringList& lines, ProjectState& project);

// Writes lines (CR LF, UTF-8) through a temporary file that replaces path only when all is
// written. False when anything failed; path is then as it was.
bool writeTextFile(const QString& path, const QStringList& lines);
