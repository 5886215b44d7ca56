#include "app/common/qt_user_dialogs.h"

#include <QApplication>
#include <QColorDialog>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>

namespace {

QMessageBox::Icon qtIcon(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Critical: return QMessageBox::Critical;
    case MessageIcon::Question: return QMessageBox::Question;
    case MessageIcon::Exclamation: return QMessageBox::Warning;
    case MessageIcon::Information: return QMessageBox::Information;
    case MessageIcon::None: break;
  }
  return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons qtButtons(MessageButtons buttons) {
  switch (buttons) {
    case MessageButtons::OkCancel: return QMessageBox::Ok | QMessageBox::Cancel;
    case MessageButtons::YesNoCancel:
      return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case MessageButtons::Ok: break;
  }
  return QMessageBox::Ok;
}

QString startDirectory(const FileRequest& request) {
  const QString dir = request.directory.isEmpty() ? QDir::currentPath() : request.directory;
  return request.proposedName.isEmpty() ? dir : QDir(dir).filePath(request.proposedName);
}

// The suffix of the first pattern ("*.idp" gives "idp"), added to a name typed without one.
QString defaultSuffix(const QString& filter) {
  const QStringList parts = filter.split(QLatin1Char('|'));
  if (parts.size() < 2) return {};
  const QString pattern = parts[1].section(QLatin1Char(';'), 0, 0).trimmed();
  return pattern.startsWith(QLatin1String("*.")) ? pattern.mid(2) : QString();
}

std::optional<QString> runFileDialog(const FileRequest& request, QFileDialog::AcceptMode mode) {
  QFileDialog dialog(QApplication::activeWindow(), QString(), startDirectory(request));
  dialog.setAcceptMode(mode);
  dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                     : QFileDialog::AnyFile);
  dialog.setNameFilters(qtNameFilters(request.filter));
  dialog.setDefaultSuffix(defaultSuffix(request.filter));
  if (!request.overwritePrompt) dialog.setOption(QFileDialog::DontConfirmOverwrite);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().constFirst();
}

}  // namespace

QStringList qtNameFilters(const QString& filter) {
  QStringList filters;
  const QStringList parts = filter.split(QLatin1Char('|'));
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
    filters << QStringLiteral("%1 (%2)").arg(parts[i], QString(parts[i + 1]).replace(';', ' '));
  return filters;
}

MessageAnswer QtUserDialogs::ask(const Message& message) {
  QMessageBox box(qtIcon(message.icon), message.title, message.text, qtButtons(message.buttons),
                  QApplication::activeWindow());
  switch (box.exec()) {
    case QMessageBox::Yes: return MessageAnswer::Yes;
    case QMessageBox::No: return MessageAnswer::No;
    case QMessageBox::Ok: return MessageAnswer::Ok;
    default: return MessageAnswer::Cancel;
  }
}

std::optional<QString> QtUserDialogs::openFileName(const FileRequest& request) {
  return runFileDialog(request, QFileDialog::AcceptOpen);
}

std::optional<QString> QtUserDialogs::saveFileName(const FileRequest& request) {
  return runFileDialog(request, QFileDialog::AcceptSave);
}

std::optional<quint32> QtUserDialogs::chooseColor(quint32 initialBgr) {
  const QColor initial(initialBgr & 0xFF, (initialBgr >> 8) & 0xFF, (initialBgr >> 16) & 0xFF);
  const QColor chosen = QColorDialog::getColor(initial, QApplication::activeWindow());
  if (!chosen.isValid()) return std::nullopt;
  return static_cast<quint32>(chosen.red()) | static_cast<quint32>(chosen.green()) << 8 |
         static_cast<quint32>(chosen.blue()) << 16;
}

std::optional<PrinterChoice> QtUserDialogs::choosePrinter(bool setupOnly) {
  QPrinter printer;
  QPrintDialog dialog(&printer, QApplication::activeWindow());
  if (setupOnly) dialog.setOption(QAbstractPrintDialog::PrintToFile, false);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return PrinterChoice{printer.printerName(), printer.outputFileName()};
}
