#include "kernel/support/auxcom_messages.h"

#include <cstdarg>
#include <cstdio>

#include "platform/msgbox/message_box.h"

namespace {

char gMessage[kMessageBufferSize];

// A modal box with the error icon and no owner window; whatever the user answers, the
// report itself succeeded.
int showErrorBox(const char* text) {
  showMessageBox(text, kErrorTitle);
  return 0;
}

ErrorHook gHook = showErrorBox;

}  // namespace

ErrorHook setErrorHook(ErrorHook hook) {
  ErrorHook previous = gHook;
  gHook = hook ? hook : showErrorBox;
  return previous;
}

int reportError(const char* format, ...) {
  va_list args;
  va_start(args, format);
  // vsnprintf cuts at the buffer's end and always terminates.
  if (!format || std::vsnprintf(gMessage, sizeof gMessage, format, args) < 0) gMessage[0] = '\0';
  va_end(args);
  return gHook(gMessage);
}
