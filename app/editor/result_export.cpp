#include "app/editor/result_export.h"

#include "app/common/string_table.h"
#include "app/common/text_file.h"
#include "app/common/user_dialogs.h"

namespace {

const QChar kTab = QLatin1Char('\t');

}  // namespace

QString exportFilter() {
  return QStringLiteral("*.txt (%1 DATA)|*.txt").arg(QString::fromLatin1(kProductName));
}

bool writeResultExport(const QString& path, const ResultTable& results, const QLocale& locale) {
  TextFileWriter file(path);
  if (!file.isOpen()) return false;
  QString line = QStringLiteral("0");
  for (int column = 0; column < ResultTable::kColumns; ++column)
    line += kTab + ResultTable::header(column);
  file.writeLine(line);
  for (int row = 0; row < results.rowCount(); ++row) {
    line = QString::number(row + 1);
    for (int column = 0; column < ResultTable::kColumns; ++column)
      line += kTab + results.text(row, column, locale);
    file.writeLine(line);
  }
  return file.commit();
}

bool ExportBerechnung(const DriveDocument& document) {
  if (!document.calculated) return false;
  FileRequest request;
  request.filter = exportFilter();
  request.overwritePrompt = true;
  const std::optional<QString> path = userDialogs().saveFileName(request);
  return path && writeResultExport(*path, document.results);
}
