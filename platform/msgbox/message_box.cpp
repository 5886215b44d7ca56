#include "platform/msgbox/message_box.h"

#include <cstdio>
#include <cstring>

namespace {

// Without a window system the box becomes one line on standard error; texts that already
// end with a line feed get no second one.
int writeToStandardError(const char* text, const char* title) {
  std::fputs(title, stderr);
  std::fputs(": ", stderr);
  std::fputs(text, stderr);
  const std::size_t length = std::strlen(text);
  if (length == 0 || text[length - 1] != '\n') std::fputc('\n', stderr);
  std::fflush(stderr);
  return kMessageBoxOk;
}

MessageBoxHandler gHandler = writeToStandardError;

}  // namespace

MessageBoxHandler setMessageBoxHandler(MessageBoxHandler handler) {
  MessageBoxHandler previous = gHandler;
  gHandler = handler ? handler : writeToStandardError;
  return previous;
}

int showMessageBox(const char* text, const char* title) {
  return gHandler(text ? text : "", title ? title : "");
}
