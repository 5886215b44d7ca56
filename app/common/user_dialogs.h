#pragma once
// Every question the program puts to the user goes through one service: message boxes, the
// file, colour and printer dialogs. The program installs the Qt implementation
// (QtUserDialogs); tests install a scripted one that answers and records, so no modal
// window ever blocks a test. Qt Core only: the windows' types stay out of this interface.

#include <QString>
#include <QStringList>

#include <optional>

enum class MessageIcon { None, Critical, Question, Exclamation, Information };
enum class MessageButtons { Ok, OkCancel, YesNoCancel };
enum class MessageAnswer { Ok, Cancel, Yes, No };

struct Message {
  QString text;
  QString title;
  MessageIcon icon = MessageIcon::None;
  MessageButtons buttons = MessageButtons::Ok;
};

// A file dialog. The filter is written "description|pattern" (several pairs joined by "|"),
// e.g. "*.idd (Kinetra Antrieb)|*.idd".
struct FileRequest {
  QString filter;
  QString directory;     // where the dialog starts; empty: the current directory
  QString proposedName;  // file name proposed in a save dialog
  bool overwritePrompt = true;
};

// The printer a print job goes to, as the printer dialog chose it. An output file means the
// job is printed to that PDF file.
struct PrinterChoice {
  QString printerName;
  QString outputFile;
};

class UserDialogs {
 public:
  virtual ~UserDialogs() = default;
  virtual MessageAnswer ask(const Message& message) = 0;
  // The chosen file name; nothing when the user cancels.
  virtual std::optional<QString> openFileName(const FileRequest& request) = 0;
  virtual std::optional<QString> saveFileName(const FileRequest& request) = 0;
  // A colour as 0x00BBGGRR (the files' colour values); nothing when cancelled.
  virtual std::optional<quint32> chooseColor(quint32 initialBgr) = 0;
  // The printer dialog. setupOnly: the set-up form (print-to-file hidden); nothing when
  // cancelled.
  virtual std::optional<PrinterChoice> choosePrinter(bool setupOnly) = 0;
};

// The installed service. The program and each test install theirs before any window opens.
UserDialogs& userDialogs();
// Installs dialogs (not owned; null: the silent default) and returns the one installed
// before.
UserDialogs* setUserDialogs(UserDialogs* dialogs);

// The message box shortcut: userDialogs().ask({text, title, icon, buttons}).
MessageAnswer showMessage(const QString& text, const QString& title,
                          MessageIcon icon = MessageIcon::None,
                          MessageButtons buttons = MessageButtons::Ok);
