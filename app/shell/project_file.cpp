#include "app/shell/project_file.h"

#include <QLocale>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

#include "app/common/number_text.h"
#include "app/common/text_file.h"

namespace {

// Columns 1 … 15 of each data row are stored; the row number (column 0) is not.
constexpr int kStoredCells = InputTable::kColumns - 1;

// The file has no escaping: a line break inside a text item would shift every later line,
// so it is written as a blank.
QString oneLine(QString text) {
  for (QChar& c : text)
    if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) c = QLatin1Char(' ');
  return text;
}

void appendCells(QStringList& lines, const InputTable& table) {
  for (const InputTable::Row& row : table.dataRows())
    for (int c = 1; c <= kStoredCells; ++c) lines << oneLine(row[c]);
}

// The lines of a file, taken front first.
class LineCursor {
 public:
  explicit LineCursor(const QStringList& lines) : lines_(lines) {}
  qsizetype remaining() const { return lines_.size() - next_; }
  const QString* take() { return next_ < lines_.size() ? &lines_[next_++] : nullptr; }
  // The next line without taking it.
  const QString* peek() const { return next_ < lines_.size() ? &lines_[next_] : nullptr; }

 private:
  const QStringList& lines_;
  qsizetype next_ = 0;
};

// A number line: the reader's locale first, then "." as decimal point, then "," (files
// carry no group separators, so a comma there is always a decimal comma).
std::optional<double> fileNumber(const QString* line) {
  if (line == nullptr) return std::nullopt;
  if (auto value = parseNumber(*line)) return value;
  QString pointed = *line;
  pointed.replace(QLatin1Char(','), QLatin1Char('.'));
  return parseNumber(pointed, QLocale::c());
}

// A whole number line in [low, high], rounded half to even as the integer conversions of
// the files always did.
std::optional<qint64> fileInteger(const QString* line, qint64 low, qint64 high) {
  const std::optional<double> value = fileNumber(line);
  if (!value) return std::nullopt;
  const double whole = std::nearbyint(*value);
  if (whole < static_cast<double>(low) || whole > static_cast<double>(high)) return std::nullopt;
  return static_cast<qint64>(whole);
}

template <class T>
std::optional<T> fileInteger(const QString* line) {
  const auto value =
      fileInteger(line, std::numeric_limits<T>::min(), std::numeric_limits<T>::max());
  if (!value) return std::nullopt;
  return static_cast<T>(*value);
}

// "True"/"False" as written; a number counts as true when not 0.
std::optional<bool> fileBool(const QString* line) {
  if (line == nullptr) return std::nullopt;
  const QString text = line->trimmed();
  if (text.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0) return true;
  if (text.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0) return false;
  if (const auto value = fileNumber(line)) return *value != 0.0;
  return std::nullopt;
}

// Appends rowCount − 2 new numbered rows (as NewLine does), but never more than the
// remaining lines can fill: rows beyond them would stay empty, and a count of two billion
// would exhaust memory.
void appendRowsFor(InputTable& table, qint64 rowCount, qsizetype remainingLines) {
  const qint64 rowsInFile = (static_cast<qint64>(remainingLines) + kStoredCells - 1) / kStoredCells;
  const qint64 count = std::clamp<qint64>(rowCount - 2, 0, std::max<qint64>(0, rowsInFile - 1));
  table.dataRows().reserve(table.dataRows().size() + static_cast<std::size_t>(count));
  for (qint64 i = 0; i < count; ++i) {
    table.appendRow();
    table.setCell(table.lastRow(), InputTable::kNumber, QString::number(table.lastRow() - 1));
  }
}

// Fills rows 1 … lastRow of table, columns 1 … 15, one line each. False when the file ends
// first; the cells not reached keep their texts.
bool readCells(LineCursor& in, InputTable& table, int lastRow) {
  lastRow = std::min(lastRow, table.lastRow());
  for (int r = 1; r <= lastRow; ++r) {
    for (int c = 1; c <= kStoredCells; ++c) {
      const QString* line = in.take();
      if (line == nullptr) return false;
      table.setCell(r, c, *line);
    }
  }
  return true;
}

// One drive block after its first six lines: offset, colour, periodic state, R, the table
// header line and the cells. False when it ends early or a line does not convert.
bool readBlockTail(LineCursor& in, DriveDocument& drive) {
  const std::optional<double> offset = fileNumber(in.take());
  if (!offset) return false;
  drive.offsetText = generalText(*offset);
  const auto color = fileInteger(in.take(), std::numeric_limits<qint32>::min(),
                                 std::numeric_limits<quint32>::max());
  if (!color) return false;
  drive.colorBgr = static_cast<quint32>(*color);
  const auto periodic = fileInteger<qint16>(in.take());
  if (!periodic) return false;
  drive.periodic = *periodic != 0;
  const auto rowCount = fileInteger<qint32>(in.take());
  if (!rowCount || in.take() == nullptr) return false;
  appendRowsFor(drive.input, *rowCount, in.remaining());
  return readCells(in, drive.input, *rowCount - 1);
}

}  // namespace

QStringList driveFileLines(const DriveDocument& drive) {
  QStringList lines;
  lines << printFileInteger(drive.input.rowCount()) << printFileInteger(drive.periodic ? 1 : 0);
  appendCells(lines, drive.input);
  return lines;
}

bool readDriveFile(const QStringList& lines, DriveDocument& drive) {
  LineCursor in(lines);
  const auto rowCount = fileInteger<qint32>(in.take());
  const auto periodic = fileInteger<qint16>(in.take());
  if (!rowCount || !periodic) return false;
  drive.periodic = *periodic != 0;
  appendRowsFor(drive.input, *rowCount, in.remaining());
  readCells(in, drive.input, drive.input.lastRow());
  return true;
}

QStringList projectFileLines(const ProjectState& project, ProjectFileKind kind, const QDate& date) {
  QStringList lines;
  lines << QLatin1String(kProjectHeaderLine) + QLocale().toString(date, QLocale::ShortFormat);
  if (kind == ProjectFileKind::Backup) lines << QLatin1String(kServerErrorLine);
  lines << oneLine(project.simulationDocument) << printFileDouble(project.frameTime())
        << printFileInteger(project.driveCount()) << QLatin1String(kStartDriveLine);
  for (int i = 0; i < project.driveCount(); ++i) {
    const DriveRecord& record = project.drives()[i];
    const DriveDocument& drive = *record.document;
    const QString number = QString::number(i + 1);
    lines << QLatin1Char('[') + number + QLatin1String(".Antrieb]") << printFileInteger(i)
          << oneLine(record.name) << printFileInteger(record.id) << printFileBool(record.closed)
          << printFileBool(record.changed) << oneLine(drive.offsetText)
          << printFileInteger(static_cast<qint32>(drive.colorBgr))
          << printFileInteger(drive.periodic ? 1 : 0) << printFileInteger(drive.input.rowCount())
          << QLatin1Char('[') + number + QLatin1String(".Tabelle]");
    appendCells(lines, drive.input);
  }
  lines << QLatin1String(kEndDriveLine);
  return lines;
}

ProjectReadResult readProjectFile(const QStringList& lines, ProjectState& project) {
  ProjectReadResult result;
  result.firstRecord = project.driveCount();
  LineCursor in(lines);
  if (in.take() == nullptr) return result;
  // A backup carries its marker line before the document name.
  if (const QString* next = in.peek(); next && *next == QLatin1String(kServerErrorLine)) in.take();
  if (in.take() == nullptr) return result;  // the simulation document: not restored
  const std::optional<double> frameTime = fileNumber(in.take());
  if (!frameTime) return result;
  if (*frameTime > 0.0 && std::isfinite(1.0 / *frameTime)) project.setFrameTime(*frameTime);
  const auto driveCount = fileInteger<qint16>(in.take());
  if (!driveCount || in.take() == nullptr) return result;

  while (result.recordsCreated < *driveCount) {
    if (in.take() == nullptr || in.take() == nullptr) return result;  // header and index
    const QString* name = in.take();
    const auto id = fileInteger<qint32>(in.take());
    const auto closed = fileBool(in.take());
    const auto changed = fileBool(in.take());
    if (name == nullptr || !id || !closed || !changed) return result;
    DriveRecord record;
    record.name = *name;
    record.id = *id;
    record.closed = *closed;
    record.changed = *changed;
    const std::shared_ptr<DriveDocument> drive = record.document;
    project.addDrive(std::move(record));
    ++result.recordsCreated;
    if (!readBlockTail(in, *drive)) return result;
  }
  result.complete = true;
  return result;
}

bool writeTextFile(const QString& path, const QStringList& lines) {
  TextFileWriter writer(path);
  if (!writer.isOpen()) return false;
  for (const QString& line : lines) writer.writeLine(line);
  return writer.commit();
}
