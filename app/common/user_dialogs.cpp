#include "app/common/user_dialogs.h"

namespace {

// Until a service is installed every question is answered as if cancelled: nothing is
// shown, nothing blocks, nothing is chosen.
class Unanswered : public UserDialogs {
 public:
  MessageAnswer ask(const Message& message) override {
    return message.buttons == MessageButtons::Ok ? MessageAnswer::Ok : MessageAnswer::Cancel;
  }
  std::optional<QString> openFileName(const FileRequest&) override { return std::nullopt; }
  std::optional<QString> saveFileName(const FileRequest&) override { return std::nullopt; }
  std::optional<quint32> chooseColor(quint32) override { return std::nullopt; }
  std::optional<PrinterChoice> choosePrinter(bool) override { return std::nullopt; }
};

Unanswered& fallback() {
  static Unanswered unanswered;
  return unanswered;
}

UserDialogs*& installed() {
  static UserDialogs* dialogs = &fallback();
  return dialogs;
}

}  // namespace

UserDialogs& userDialogs() { return *installed(); }

UserDialogs* setUserDialogs(UserDialogs* dialogs) {
  UserDialogs* previous = installed();
  installed() = dialogs ? dialogs : &fallback();
  return previous;
}

MessageAnswer showMessage(const QString& text, const QString& title, MessageIcon icon,
                          MessageButtons buttons) {
  return userDialogs().ask({text, title, icon, buttons});
}
