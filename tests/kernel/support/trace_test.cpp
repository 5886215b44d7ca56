// traceDebug and the debug-monitor channel, with and without a real kinetra-dbmon. Every test
// process uses its own channel names (KINETRA_DBWIN_PREFIX), so parallel test runs and a
// monitor the developer keeps open do not interfere.

#include "kernel/support/auxcom_trace.h"

#include <fcntl.h>
#include <poll.h>
#include <semaphore.h>
#include <signal.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <cstdio>
#include <string>
#include <thread>

#include "platform/dbwin/dbwin_client.h"
#include "platform/dbwin/dbwin_names.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

std::string monitorPath() {
  char self[PATH_MAX] = {};
  const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
  const std::string path(self, length > 0 ? static_cast<std::size_t>(length) : 0);
  return path.substr(0, path.rfind('/') + 1) + "kinetra-dbmon";
}

void removeChannel() {
  const DbwinNames names = dbwinNames();
  sem_unlink(names.bufferReady.c_str());
  sem_unlink(names.dataReady.c_str());
  shm_unlink(names.buffer.c_str());
}

bool channelExists() {
  const int fd = shm_open(dbwinNames().buffer.c_str(), O_RDONLY, 0);
  if (fd >= 0) close(fd);
  return fd >= 0;
}

// Leaves the three objects as a dead monitor would: buffer ready taken, nobody serving. With
// lockIt the buffer is also locked, as by a monitor that is alive but hangs; the returned
// descriptor holds that lock until closed.
int leaveChannelBehind(bool lockIt) {
  const DbwinNames names = dbwinNames();
  for (const std::string& name : {names.bufferReady, names.dataReady}) {
    sem_t* sem = sem_open(name.c_str(), O_CREAT, 0600, 0);
    EXPECT_NE(sem, SEM_FAILED);
    sem_close(sem);
  }
  const int fd = shm_open(names.buffer.c_str(), O_RDWR | O_CREAT, 0600);
  EXPECT_EQ(ftruncate(fd, kDbwinBufferSize), 0);
  EXPECT_TRUE(!lockIt || flock(fd, LOCK_EX) == 0);
  return fd;
}

// A kinetra-dbmon child whose standard output is read through a pipe.
class MonitorProcess {
 public:
  MonitorProcess() {
    int fds[2];
    if (pipe(fds) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    const std::string path = monitorPath();
    char* argv[] = {const_cast<char*>(path.c_str()), nullptr};
    if (posix_spawn(&pid_, path.c_str(), &actions, nullptr, argv, environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    output_ = fds[0];
  }
  ~MonitorProcess() {
    if (pid_ > 0) stop(SIGKILL);
    if (output_ >= 0) close(output_);
  }
  bool started() const { return pid_ > 0; }
  // Collects output until it contains expected or five seconds are up.
  bool waitForOutput(const std::string& expected) {
    const auto end = Clock::now() + milliseconds(5000);
    while (text_.find(expected) == std::string::npos) {
      const auto left = std::chrono::duration_cast<milliseconds>(end - Clock::now()).count();
      pollfd p{output_, POLLIN, 0};
      if (left <= 0) return false;
      if (poll(&p, 1, static_cast<int>(left)) <= 0) continue;
      char chunk[512];
      const ssize_t n = read(output_, chunk, sizeof chunk);
      if (n <= 0) return false;
      text_.append(chunk, static_cast<std::size_t>(n));
    }
    return true;
  }
  // Sends signal (none: waits for the end) and returns the exit status, -1 when abnormal.
  int stop(int signal = 0) {
    if (signal) kill(pid_, signal);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  const std::string& text() const { return text_; }

 private:
  pid_t pid_ = -1;
  int output_ = -1;
  std::string text_;
};

// Repeats traceDebug with line until a monitor takes it, five seconds at most.
bool traceUntilTaken(const char* line) {
  for (const auto end = Clock::now() + milliseconds(5000); Clock::now() < end;) {
    if (traceDebug("%s", line) == 0) return true;
    std::this_thread::sleep_for(milliseconds(5));
  }
  return false;
}

class Trace : public testing::Test {
 protected:
  void SetUp() override {
    const std::string prefix = "kinetra_test_" + std::to_string(getpid()) + "_";
    setenv(kDbwinPrefixVariable, prefix.c_str(), 1);
    removeChannel();
    dbwinMonitorPresent();  // forget what earlier tests left
    testing::internal::CaptureStdout();
  }
  void TearDown() override {
    removeChannel();
    if (!stdoutTaken_) testing::internal::GetCapturedStdout();
  }
  std::string standardOutput() {
    std::fflush(stdout);
    stdoutTaken_ = true;
    return testing::internal::GetCapturedStdout();
  }
  static bool monitorBuilt() { return access(monitorPath().c_str(), X_OK) == 0; }

 private:
  bool stdoutTaken_ = false;
};

// Without a monitor a line goes nowhere (it used to land in the program's standard output,
// mixed into its data); KINETRA_TRACE=stderr sends it to standard error, cut to the buffer.
TEST_F(Trace, WithoutMonitorLinesGoNowhereUnlessAskedForOnStandardError) {
  const std::string longText(2000, 'y');
  EXPECT_EQ(traceDebug("dropped\n"), 1);
  setenv("KINETRA_TRACE", "stderr", 1);
  testing::internal::CaptureStderr();
  EXPECT_EQ(traceDebug("lam(%lg), ca(%lg)\n", 0.5, 4.0), 1);
  EXPECT_EQ(traceDebug("%s", longText.c_str()), 1);
  const std::string err = testing::internal::GetCapturedStderr();
  unsetenv("KINETRA_TRACE");
  EXPECT_EQ(err, "lam(0.5), ca(4)\n" + longText.substr(0, kTraceBufferSize - 1));
  EXPECT_EQ(standardOutput(), "");
}

// A monitor started later is found again; it prints each line after the writer's process id,
// refuses to be replaced by a second one, and removes the channel when terminated.
TEST_F(Trace, RunningMonitorPrintsLinesWithThePid) {
  if (!monitorBuilt()) GTEST_SKIP() << "kinetra-dbmon is not built next to the tests";
  EXPECT_EQ(traceDebug("before the monitor\n"), 1);
  MonitorProcess monitor;
  ASSERT_TRUE(monitor.started());
  ASSERT_TRUE(traceUntilTaken("probe\n"));
  MonitorProcess second;
  ASSERT_TRUE(second.started());
  EXPECT_EQ(second.stop(), 1);
  EXPECT_EQ(traceDebug("hello %d\n", 42), 0);
  EXPECT_EQ(traceDebug("without line feed"), 0);
  const std::string pid = std::to_string(getpid());
  EXPECT_TRUE(monitor.waitForOutput(pid + ": without line feed\n")) << monitor.text();
  EXPECT_NE(monitor.text().find(pid + ": hello 42\n"), std::string::npos) << monitor.text();
  EXPECT_EQ(monitor.stop(SIGTERM), 0);
  EXPECT_FALSE(channelExists());
}

// Objects a dead monitor left behind are ignored at once, and a new monitor replaces them.
TEST_F(Trace, StaleObjectsOfADeadMonitor) {
  close(leaveChannelBehind(false));
  const auto start = Clock::now();
  EXPECT_EQ(traceDebug("stale\n"), 1);
  EXPECT_LT(Clock::now() - start, milliseconds(100));
  if (!monitorBuilt()) GTEST_SKIP() << "kinetra-dbmon is not built next to the tests";
  MonitorProcess monitor;
  ASSERT_TRUE(monitor.started());
  ASSERT_TRUE(traceUntilTaken("after replacing\n"));
  EXPECT_TRUE(monitor.waitForOutput(": after replacing\n"));
  EXPECT_EQ(monitor.stop(SIGINT), 0);
}

// Fault mended: the writer waited without limit for buffer ready, hanging for good.
TEST_F(Trace, HungMonitorCostsOneBoundedWaitThenIsSkipped) {
  const int lock = leaveChannelBehind(true);
  ASSERT_TRUE(dbwinMonitorPresent());
  auto start = Clock::now();
  EXPECT_EQ(traceDebug("first\n"), 1);
  const auto waited = Clock::now() - start;
  EXPECT_GE(waited, milliseconds(90));
  EXPECT_LT(waited, milliseconds(1000));
  start = Clock::now();
  EXPECT_EQ(traceDebug("second\n"), 1);
  EXPECT_LT(Clock::now() - start, milliseconds(50));
  EXPECT_EQ(standardOutput(), "");
  close(lock);
}

// A writer killed while it held the buffer used to wedge the monitor for good: it never
// received another line. The monitor frees such a buffer after a stall period.
TEST_F(Trace, WriterKilledHoldingTheBufferDoesNotWedgeTheMonitor) {
  if (!monitorBuilt()) GTEST_SKIP() << "kinetra-dbmon is not built next to the tests";
  MonitorProcess monitor;
  ASSERT_TRUE(monitor.started());
  ASSERT_TRUE(traceUntilTaken("probe\n"));
  // What a killed writer leaves: buffer ready taken, data ready never posted.
  sem_t* bufferReady = sem_open(dbwinNames().bufferReady.c_str(), 0);
  ASSERT_NE(bufferReady, SEM_FAILED);
  ASSERT_EQ(sem_wait(bufferReady), 0);
  sem_close(bufferReady);
  ASSERT_TRUE(traceUntilTaken("after the stall\n"));
  EXPECT_TRUE(monitor.waitForOutput(": after the stall\n")) << monitor.text();
  EXPECT_EQ(monitor.stop(SIGTERM), 0);
}

}  // namespace
