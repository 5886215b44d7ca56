#pragma once
// Monitor side of the debug-monitor channel (see dbwin_names.h for the protocol).

#include <semaphore.h>
#include <sys/types.h>

#include <cstdint>
#include <string>

#include "platform/dbwin/dbwin_names.h"

class DbwinMonitor {
 public:
  DbwinMonitor() = default;
  DbwinMonitor(const DbwinMonitor&) = delete;
  DbwinMonitor& operator=(const DbwinMonitor&) = delete;
  // Removes the objects when they are still this monitor's.
  ~DbwinMonitor();

  // Creates the channel under the current names. Objects left behind by a monitor that is
  // gone are replaced; while another monitor runs, nothing is touched and the result is
  // false. On failure *error says why.
  bool create(std::string* error);

  // Waits for the next line. False when the wait was interrupted (see interrupt) or failed;
  // then no line is pending. While waiting, a buffer that a writer took and never filled (it
  // died in between) is freed again after one to two seconds.
  bool waitForLine();
  // The line that waitForLine announced: the writer's process id and its text.
  std::uint32_t linePid() const;
  std::string lineText() const;
  // Frees the buffer for the next writer.
  void lineDone();

  // Wakes a pending waitForLine. Async-signal-safe: meant for signal handlers, which also set
  // the flag that makes the caller stop.
  void interrupt();

  // Closes and unlinks the objects, but unlinks only while the names still lead to this
  // monitor's objects (a newer monitor may have replaced them).
  void remove();

 private:
  DbwinNames names_;
  sem_t* bufferReady_ = SEM_FAILED;
  sem_t* dataReady_ = SEM_FAILED;
  int buffer_ = -1;
  char* view_ = nullptr;
  bool lineReady_ = false;
};
