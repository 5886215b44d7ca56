// traceDebug and the debug-monitor channel, with and without a real kinetra-dbmon.
// Every test process uses its own channel names (KINETRA_DBWIN_PREFIX), so parallel test
// runs and a monitor the developer keeps open do not interfere.

#include "kernel/support/auxcom_trace.h"

#include <fcntl.h>
#include <poll.h>
#include <semaphore.h>
#include <signal.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
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
  if (length <= 0) return {};
  std::string path(self, static_cast<std::size_t>(length));
  return path.substr(0, path.rfind('/') + 1) + "kinetra-dbmon";
}

void removeChannel() {
  const DbwinNames names = dbwinNames();
  sem_unlink(names.bufferReady.c_str());
  sem_unlink(names.dataReady.c_str());
  shm_unlink(names.buffer.c_str());
}

bool channelExists() {
  const DbwinNames names = dbwinNames();
  const int fd = shm_open(names.buffer.c_str(), O_RDONLY, 0);
  if (fd >= 0) close(fd);
  sem_t* sem = sem_open(names.bufferReady.c_str(), 0);
  if (sem != SEM_FAILED) sem_close(sem);
  return fd >= 0 || sem != SEM_FAILED;
}

// Leaves the three objects as a dead monitor would: buffer ready taken, nobody serving.
// With lockIt the buffer is also locked, as by a monitor that is alive but hangs; the
// returned descriptor holds that lock until closed.
int leaveChannelBehind(bool lockIt) {
  const DbwinNames names = dbwinNames();
  sem_t* ready = sem_open(names.bufferReady.c_str(), O_CREAT, 0600, 0);
  sem_t* data = sem_open(names.dataReady.c_str(), O_CREAT, 0600, 0);
  EXPECT_NE(ready, SEM_FAILED);
  EXPECT_NE(data, SEM_FAILED);
  sem_close(ready);
  sem_close(data);
  const int fd = shm_open(names.buffer.c_str(), O_RDWR | O_CREAT, 0600);
  EXPECT_GE(fd, 0);
  EXPECT_EQ(ftruncate(fd, kDbwinBufferSize), 0);
  if (lockIt) {
    EXPECT_EQ(flock(fd, LOCK_EX), 0);
  }
  return fd;
}

// A kinetra-dbmon child whose standard output is read through a pipe.
class MonitorProcess {
 public:
  bool start() {
    int fds[2];
    if (pipe(fds) != 0) return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    const std::string path = monitorPath();
    char* argv[] = {const_cast<char*>(path.c_str()), nullptr};
    const int spawned = posix_spawn(&pid_, path.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    output_ = fds[0];
    return spawned == 0;
  }
  // Collects output until it contains expected or the time is up.
  bool waitForOutput(const std::string& expected, milliseconds limit) {
    const auto end = Clock::now() + limit;
    while (text_.find(expected) == std::string::npos) {
      const auto left = std::chrono::duration_cast<milliseconds>(end - Clock::now()).count();
      if (left <= 0) return false;
      pollfd p{output_, POLLIN, 0};
      if (poll(&p, 1, static_cast<int>(left)) <= 0) continue;
      char chunk[512];
      const ssize_t n = read(output_, chunk, sizeof chunk);
      if (n <= 0) return false;
      text_.append(chunk, static_cast<std::size_t>(n));
    }
    return true;
  }
  // Sends signal and returns the exit status (-1 when it did not end normally).
  int stop(int signal = SIGTERM) {
    if (pid_ <= 0) return -1;
    kill(pid_, signal);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  int wait() {
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  ~MonitorProcess() {
    if (pid_ > 0) stop(SIGKILL);
    if (output_ >= 0) close(output_);
  }
  const std::string& text() const { return text_; }

 private:
  pid_t pid_ = -1;
  int output_ = -1;
  std::string text_;
};

// Repeats traceDebug with line until a monitor takes it or the time is up.
bool traceUntilTaken(const char* line, milliseconds limit) {
  const auto end = Clock::now() + limit;
  while (Clock::now() < end) {
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
  }
  void TearDown() override { removeChannel(); }

  static bool monitorBuilt() { return access(monitorPath().c_str(), X_OK) == 0; }
};

TEST_F(Trace, WithoutMonitorLineGoesToStandardOutput) {
  testing::internal::CaptureStdout();
  EXPECT_EQ(traceDebug("lam(%lg)\n", 0.5), 1);
  EXPECT_EQ(traceDebug("lam(%lg), ca(%lg), cas(%lg)\n", 0.5, 4.0, 2.0), 1);
  std::fflush(stdout);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "lam(0.5)\nlam(0.5), ca(4), cas(2)\n");
}

TEST_F(Trace, LongLinesAreCutToTheTraceBuffer) {
  const std::string longText(2000, 'y');
  testing::internal::CaptureStdout();
  traceDebug("%s", longText.c_str());
  std::fflush(stdout);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), longText.substr(0, kTraceBufferSize - 1));
}

TEST_F(Trace, RunningMonitorPrintsLineWithPidAndRemovesChannelOnTerm) {
  if (!monitorBuilt()) GTEST_SKIP() << "kinetra-dbmon is not built next to the tests";
  testing::internal::CaptureStdout();
  EXPECT_EQ(traceDebug("before the monitor\n"), 1);  // remembers that none runs
  MonitorProcess monitor;
  ASSERT_TRUE(monitor.start());
  // A monitor started later is found again by the periodic look for it.
  ASSERT_TRUE(traceUntilTaken("probe\n", milliseconds(5000)));
  EXPECT_EQ(traceDebug("hello %d\n", 42), 0);
  EXPECT_EQ(traceDebug("without line feed"), 0);
  const std::string pid = std::to_string(getpid());
  EXPECT_TRUE(monitor.waitForOutput(pid + ": without line feed\n", milliseconds(5000))) << monitor.text();
  EXPECT_NE(monitor.text().find(pid + ": hello 42\n"), std::string::npos) << monitor.text();
  EXPECT_EQ(monitor.stop(SIGTERM), 0);
  EXPECT_FALSE(channelExists());
  testing::internal::GetCapturedStdout();
}

TEST_F(Trace, MonitorEndsOnInterruptAndRefusesToReplaceALiveOne) {
  if (!monitorBuilt()) GTEST_SKIP() << "kinetra-dbmon is not built next to the tests";
  testing::internal::CaptureStdout();  // probe lines written before the monitor is up
  MonitorProcess first;
  ASSERT_TRUE(first.start());
  ASSERT_TRUE(traceUntilTaken("first\n", milliseconds(5000)));
  MonitorProcess second;
  ASSERT_TRUE(second.start());
  EXPECT_EQ(second.wait(), 1);
  EXPECT_EQ(traceDebug("still first\n"), 0);
  EXPECT_TRUE(first.waitForOutput(": still first\n", milliseconds(5000)));
  EXPECT_EQ(first.stop(SIGINT), 0);
  EXPECT_FALSE(channelExists());
  testing::internal::GetCapturedStdout();
}

TEST_F(Trace, MonitorReplacesObjectsADeadMonitorLeftBehind) {
  if (!monitorBuilt()) GTEST_SKIP() << "kinetra-dbmon is not built next to the tests";
  close(leaveChannelBehind(false));
  testing::internal::CaptureStdout();
  MonitorProcess monitor;
  ASSERT_TRUE(monitor.start());
  ASSERT_TRUE(traceUntilTaken("after replacing\n", milliseconds(5000)));
  EXPECT_TRUE(monitor.waitForOutput(": after replacing\n", milliseconds(5000)));
  EXPECT_EQ(monitor.stop(), 0);
  testing::internal::GetCapturedStdout();
}

TEST_F(Trace, ObjectsOfADeadMonitorAreIgnoredAtOnce) {
  close(leaveChannelBehind(false));
  testing::internal::CaptureStdout();
  const auto start = Clock::now();
  EXPECT_EQ(traceDebug("stale\n"), 1);
  EXPECT_LT(Clock::now() - start, milliseconds(100));
  std::fflush(stdout);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "stale\n");
}

// Used to wait without limit for buffer ready, hanging the program for good.
TEST_F(Trace, HungMonitorCostsOneBoundedWaitThenIsSkipped) {
  const int lock = leaveChannelBehind(true);
  ASSERT_TRUE(dbwinMonitorPresent());
  testing::internal::CaptureStdout();
  auto start = Clock::now();
  EXPECT_EQ(traceDebug("first\n"), 1);
  const auto waited = Clock::now() - start;
  EXPECT_GE(waited, milliseconds(90));
  EXPECT_LT(waited, milliseconds(1000));
  start = Clock::now();
  EXPECT_EQ(traceDebug("second\n"), 1);
  EXPECT_LT(Clock::now() - start, milliseconds(50));
  std::fflush(stdout);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "first\nsecond\n");
  close(lock);
}

}  // namespace
