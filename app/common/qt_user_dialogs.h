#pragma once
// The dialog service of the running program: Qt's message boxes and file, colour and printer
// dialogs, parented to the active window.

#include <QString>

#include "app/common/user_dialogs.h"

class QtUserDialogs : public UserDialogs {
 public:
  MessageAnswer ask(const Message& message) override;
  std::optional<QString> openFileName(const FileRequest& request) override;
  std::optional<QString> saveFileName(const FileRequest& request) override;
  std::optional<quint32> chooseColor(quint32 initialBgr) override;
  std::optional<PrinterChoice> choosePrinter(bool setupOnly) override;
};

// "desc|pattern|desc|pattern" as Qt's name filters ("desc (pattern)").
QStringList qtNameFilters(const QString& filter);
