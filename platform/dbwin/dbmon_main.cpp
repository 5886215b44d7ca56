// kinetra-dbmon: the debug monitor. Creates the debug-monitor channel (replacing objects a
// dead monitor left behind) and prints every traced line as "pid: text" on standard output
// until SIGINT or SIGTERM, then removes the channel again.
//
//   kinetra-dbmon            channel "/DBWIN_*"
//   KINETRA_DBWIN_PREFIX=p kinetra-dbmon   channel "/pDBWIN_*"

#include <signal.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "platform/dbwin/dbwin_monitor.h"

namespace {

volatile sig_atomic_t gStop = 0;
DbwinMonitor* gMonitor = nullptr;

void onStopSignal(int) {
  gStop = 1;
  if (gMonitor) gMonitor->interrupt();
}

void installStopHandlers() {
  struct sigaction action {};
  action.sa_handler = onStopSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

}  // namespace

int main() {
  DbwinMonitor monitor;
  gMonitor = &monitor;
  installStopHandlers();
  std::string error;
  if (!monitor.create(&error)) {
    std::fprintf(stderr, "kinetra-dbmon: %s\n", error.c_str());
    return 1;
  }
  while (!gStop) {
    if (!monitor.waitForLine()) {
      if (errno == EINTR) continue;
      std::perror("kinetra-dbmon: waiting for a line");
      break;
    }
    if (gStop) break;
    const std::string text = monitor.lineText();
    const unsigned pid = monitor.linePid();
    monitor.lineDone();
    std::printf("%u: %s", pid, text.c_str());
    if (text.empty() || text.back() != '\n') std::putchar('\n');
    std::fflush(stdout);
  }
  gMonitor = nullptr;
  monitor.remove();
  return 0;
}
