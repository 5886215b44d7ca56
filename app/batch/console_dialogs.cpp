#include "app/batch/console_dialogs.h"

#include <csignal>
#include <cstdio>

namespace {

volatile std::sig_atomic_t gInterrupted = 0;

extern "C" void onInterrupt(int) { gInterrupted = 1; }

}  // namespace

MessageAnswer ConsoleDialogs::ask(const Message& message) {
  QString text = message.text;
  text.replace(QLatin1Char('\n'), QLatin1Char(' '));
  std::fprintf(stderr, "%s: %s\n", qUtf8Printable(message.title), qUtf8Printable(text));
  return message.buttons == MessageButtons::YesNoCancel ? MessageAnswer::Yes : MessageAnswer::Ok;
}

void InterruptibleLoop::begin(qint64) {
  gInterrupted = 0;
  previous_ = std::signal(SIGINT, onInterrupt);
  installed_ = previous_ != SIG_ERR;
}

bool InterruptibleLoop::proceed(qint64) { return gInterrupted == 0; }

void InterruptibleLoop::end() {
  if (installed_) std::signal(SIGINT, previous_);
  installed_ = false;
}
