// Interim messages and traces; the full support library replaces this unit.
#include "kernel/support/auxcom.h"

#include <cstdio>

namespace {
char gMessage[512];
char gTrace[512];
int defaultHook(const char* text) {
  std::fprintf(stderr, "kError: %s", text);
  return 0;
}
ErrorHook gHook = defaultHook;
}  // namespace

ErrorHook setErrorHook(ErrorHook hook) {
  ErrorHook old = gHook;
  gHook = hook ? hook : defaultHook;
  return old;
}

int reportError(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::vsnprintf(gMessage, sizeof gMessage, format, args);
  va_end(args);
  return gHook(gMessage);
}

int traceDebug(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::vsnprintf(gTrace, sizeof gTrace, format, args);
  va_end(args);
  std::fputs(gTrace, stdout);
  return 1;
}
