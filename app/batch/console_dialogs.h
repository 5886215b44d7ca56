#pragma once
// The dialog service of kinetra-batch: a message is printed to standard error as
// "<title>: <text>" and answered with OK; there is nobody to pick files or colours, so those
// dialogs count as cancelled (the commands take their file names as arguments).

#include "app/common/loop_control.h"
#include "app/common/user_dialogs.h"

class ConsoleDialogs : public UserDialogs {
 public:
  MessageAnswer ask(const Message& message) override;
  std::optional<QString> openFileName(const FileRequest&) override { return std::nullopt; }
  std::optional<QString> saveFileName(const FileRequest&) override { return std::nullopt; }
  std::optional<quint32> chooseColor(quint32) override { return std::nullopt; }
  std::optional<PrinterChoice> choosePrinter(bool) override { return std::nullopt; }
};

// Stops a frame loop when the user presses Ctrl+C (SIGINT) while it runs.
class InterruptibleLoop : public LoopControl {
 public:
  void begin(qint64 total) override;
  bool proceed(qint64 done) override;
  void end() override;

 private:
  void (*previous_)(int) = nullptr;
  bool installed_ = false;
};
