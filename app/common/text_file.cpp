#include "app/common/text_file.h"

#include <QFile>
#include <QStringDecoder>

namespace {

constexpr qsizetype kFlushBytes = 1 << 16;

// Windows-1252 differs from Latin-1 only in 0x80 … 0x9F; 0 marks the five unassigned bytes,
// which are kept as the C1 code points Latin-1 gives them.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

QString decodeCp1252(const QByteArray& bytes) {
  QString text(bytes.size(), Qt::Uninitialized);
  QChar* out = text.data();
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    const char16_t mapped = byte >= 0x80 && byte < 0xA0 ? kCp1252High[byte - 0x80] : 0;
    *out++ = QChar(mapped ? mapped : char16_t(byte));
  }
  return text;
}

}  // namespace

// Unbuffered: the lines are buffered here, and every write of the file must reach the disk
// through QSaveFile's own write, which remembers a failure (a disk that fills, a file size
// limit) and then refuses to replace the target. A failure while Qt flushed a buffer of its
// own went unnoticed and a truncated file replaced the old one.
TextFileWriter::TextFileWriter(const QString& path) : file_(path) {
  open_ = file_.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
  failed_ = !open_;
}

TextFileWriter::~TextFileWriter() {
  if (open_) file_.cancelWriting();
}

void TextFileWriter::writeLine(const QString& line) {
  if (failed_) return;
  buffer_ += line.toUtf8();
  buffer_ += "\r\n";
  if (buffer_.size() >= kFlushBytes) flushBuffer();
}

void TextFileWriter::flushBuffer() {
  if (!failed_ && file_.write(buffer_) != buffer_.size()) failed_ = true;
  buffer_.clear();
}

bool TextFileWriter::commit() {
  if (!open_) return false;
  flushBuffer();
  if (failed_ || file_.error() != QFileDevice::NoError) {
    file_.cancelWriting();
    open_ = false;
    return false;
  }
  open_ = false;
  return file_.commit();
}

QString TextFileWriter::error() const { return file_.errorString(); }

QString decodeText(const QByteArray& bytes) {
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  QString text = utf8.decode(bytes);
  if (!utf8.hasError()) {
    if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
    return text;
  }
  return decodeCp1252(bytes);
}

QStringList splitLines(const QString& text) {
  QStringList lines;
  qsizetype start = 0;
  const qsizetype n = text.size();
  for (qsizetype i = 0; i < n; ++i) {
    const QChar c = text[i];
    if (c != QLatin1Char('\r') && c != QLatin1Char('\n')) continue;
    lines << text.mid(start, i - start);
    if (c == QLatin1Char('\r') && i + 1 < n && text[i + 1] == QLatin1Char('\n')) ++i;
    start = i + 1;
  }
  if (start < n) lines << text.mid(start);
  return lines;
}

std::optional<QStringList> readTextLines(const QString& path, QString* error) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    if (error) *error = file.errorString();
    return std::nullopt;
  }
  return splitLines(decodeText(file.readAll()));
}
