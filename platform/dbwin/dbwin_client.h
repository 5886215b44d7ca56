#pragma once
// Writer side of the debug-monitor channel (see dbwin_names.h for the protocol).

// Sends text as one line to a running monitor: 0 when the monitor took it, 1 otherwise
// (no monitor, or none that freed its buffer within 100 ms). A line nobody listens for goes
// nowhere, so it never mixes into a program's output; with KINETRA_TRACE=stderr in the
// environment it is written to standard error instead. Texts longer than the shared buffer
// are cut to kDbwinTextLimit characters.
//
// Without a monitor the call costs little: the absence is remembered and the channel is
// looked for again at most every 50 ms, so a monitor started later is still found. A
// monitor that let a line time out is skipped for one second.
int dbwinOutput(const char* text);

// Looks for a live monitor now, regardless of what was remembered, and remembers the answer.
bool dbwinMonitorPresent();

// A program (or a test) can take the lines over: while a redirect is installed, every line
// goes to it instead of a monitor, and dbwinOutput returns 1. Installs redirect (null: none) and
// returns the previous.
using DbwinRedirect = void (*)(const char* text);
DbwinRedirect setDbwinRedirect(DbwinRedirect redirect);
