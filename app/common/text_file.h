#pragma once
// The program's text files: lines ended by CR LF, written as UTF-8 into a temporary file
// that replaces the target only when every line is written, so a failed save never destroys
// the old file. Reading accepts UTF-8 and falls back to Windows-1252 (older files) when the
// bytes are not valid UTF-8; it takes CR LF, LF or CR as line ends.

#include <QSaveFile>
#include <QString>
#include <QStringList>

#include <optional>

class TextFileWriter {
 public:
  explicit TextFileWriter(const QString& path);
  // Without commit() the target stays as it was.
  ~TextFileWriter();
  TextFileWriter(const TextFileWriter&) = delete;
  TextFileWriter& operator=(const TextFileWriter&) = delete;

  // False when the temporary file cannot be created (see error()).
  bool isOpen() const { return open_; }
  // Appends line and CR LF.
  void writeLine(const QString& line);
  // Writes what is buffered and replaces the target; false (and error()) when anything
  // failed, in which case the target is untouched.
  bool commit();
  QString error() const;

 private:
  void flushBuffer();

  QSaveFile file_;
  QByteArray buffer_;
  bool open_ = false;
  bool failed_ = false;
};

// Every line of the file (without line ends); nothing when it cannot be read.
std::optional<QStringList> readTextLines(const QString& path, QString* error = nullptr);
// The text of bytes: UTF-8 when valid, else Windows-1252.
QString decodeText(const QByteArray& bytes);
// Splits text at CR LF, LF or CR; a final line end adds no empty line.
QStringList splitLines(const QString& text);
