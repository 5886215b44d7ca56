#include "tests/app/support/scripted_dialogs.h"

namespace {

template <class T>
std::optional<T> take(std::deque<std::optional<T>>& queue) {
  if (queue.empty()) return std::nullopt;
  std::optional<T> answer = queue.front();
  queue.pop_front();
  return answer;
}

}  // namespace

ScriptedDialogs::ScriptedDialogs() : previous_(setUserDialogs(this)) {}

ScriptedDialogs::~ScriptedDialogs() { setUserDialogs(previous_); }

MessageAnswer ScriptedDialogs::ask(const Message& message) {
  messages.append(message);
  if (!answers.empty()) {
    const MessageAnswer answer = answers.front();
    answers.pop_front();
    return answer;
  }
  return message.buttons == MessageButtons::Ok ? MessageAnswer::Ok : MessageAnswer::Cancel;
}

std::optional<QString> ScriptedDialogs::openFileName(const FileRequest& request) {
  fileRequests.append(request);
  return take(openNames);
}

std::optional<QString> ScriptedDialogs::saveFileName(const FileRequest& request) {
  fileRequests.append(request);
  return take(saveNames);
}

std::optional<quint32> ScriptedDialogs::chooseColor(quint32) { return take(colors); }

std::optional<PrinterChoice> ScriptedDialogs::choosePrinter(bool) { return take(printers); }
