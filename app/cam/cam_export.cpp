#include "app/cam/cam_export.h"

#include "app/common/number_text.h"
#include "app/common/string_table.h"
#include "app/common/text_file.h"
#include "app/common/user_dialogs.h"
#include "app/shell/file_commands.h"

namespace {

constexpr int kTextCam = 133;

QString pointText(const CamTable& table, int row) {
  return signedText(table.value(row, CamTable::kX)) + QLatin1Char('\t') +
         signedText(table.value(row, CamTable::kY)) + QLatin1Char('\t') +
         signedText(table.value(row, CamTable::kZ));
}

}  // namespace

QString camFileProposal(const QString& bodyAText, const QString& bodyBText) {
  return resString(kTextCam) + QLatin1Char(' ') + bodyAText + QLatin1Char(' ') + bodyBText;
}

bool writeCamFile(const CamTable& table, const QString& path) {
  if (table.isEmpty()) return false;
  TextFileWriter out(path);
  if (!out.isOpen()) return false;
  out.writeLine(pointText(table, table.rowCount() - 1) + QStringLiteral("\tSpline closed"));
  for (int row = 1; row < table.rowCount(); ++row) {
    out.writeLine(pointText(table, row) + QLatin1Char('\t') + generalText(row + 1));
  }
  return out.commit();
}

bool WriteToFile(const CamTable& table, const QString& bodyAText, const QString& bodyBText) {
  FileRequest request;
  request.filter = fileFilter(FileKind::Curve);
  request.proposedName = camFileProposal(bodyAText, bodyBText);
  request.overwritePrompt = true;
  const std::optional<QString> path = userDialogs().saveFileName(request);
  return path && writeCamFile(table, *path);
}
