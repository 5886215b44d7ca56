#include "kernel/support/auxcom_trace.h"

#include <cstdarg>
#include <cstdio>

#include "platform/dbwin/dbwin_client.h"

namespace {
char gTrace[kTraceBufferSize];
}  // namespace

int traceDebug(const char* format, ...) {
  va_list args;
  va_start(args, format);
  // vsnprintf cuts at the buffer's end and always terminates.
  if (!format || std::vsnprintf(gTrace, sizeof gTrace, format, args) < 0) gTrace[0] = '\0';
  va_end(args);
  return dbwinOutput(gTrace);
}
