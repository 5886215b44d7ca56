#pragma once
// Writer side of the debug-monitor channel (see dbwin_names.h for the protocol).

// Sends text as one line to a running monitor: 0 when the monitor took it, 1 when it was
// written to standard output instead (no monitor, or none that freed its buffer within
// 100 ms). Texts longer than the shared buffer are cut to kDbwinTextLimit characters.
//
// Without a monitor the call costs little: the absence is remembered and the channel is
// looked for again at most every 50 ms, so a monitor started later is still found. A
// monitor that let a line time out is skipped for one second.
int dbwinOutput(const char* text);

// Looks for a live monitor now, regardless of what was remembered, and remembers the answer.
bool dbwinMonitorPresent();
