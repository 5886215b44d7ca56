#pragma once
// The dialog service of the tests: every message box and dialog is recorded and answered
// from a script, so no modal window ever opens. A test queues the answers it expects to
// give; a question nobody scripted is answered as cancelled (Ok for an Ok-only box). It
// installs itself and restores the previous service when it goes.

#include <QList>

#include <deque>

#include "app/common/user_dialogs.h"

class ScriptedDialogs : public UserDialogs {
 public:
  ScriptedDialogs();
  ~ScriptedDialogs() override;

  MessageAnswer ask(const Message& message) override;
  std::optional<QString> openFileName(const FileRequest& request) override;
  std::optional<QString> saveFileName(const FileRequest& request) override;
  std::optional<quint32> chooseColor(quint32 initialBgr) override;
  std::optional<PrinterChoice> choosePrinter(bool setupOnly) override;

  // Answers, taken front first; an empty queue cancels.
  std::deque<MessageAnswer> answers;
  std::deque<std::optional<QString>> openNames;
  std::deque<std::optional<QString>> saveNames;
  std::deque<std::optional<quint32>> colors;
  std::deque<std::optional<PrinterChoice>> printers;

  // What was asked, in order.
  QList<Message> messages;
  QList<FileRequest> fileRequests;

 private:
  UserDialogs* previous_;
};
