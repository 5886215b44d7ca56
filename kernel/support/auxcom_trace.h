#pragma once
// Trace lines for a debugger.

// Formats into the library's 512-character trace buffer (longer lines are cut to 511
// characters) and sends the line to a running debug monitor (kinetra-dbmon): 0 when a
// monitor took it, 1 when none did. Without a monitor the line is dropped, or written to
// standard error when KINETRA_TRACE=stderr (see dbwinOutput).
int traceDebug(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Size of the trace buffer, terminator included.
inline constexpr int kTraceBufferSize = 512;
