// traceDebug and the debug-monitor channel. Every test process uses its own channel names
// (KINETRA_DBWIN_PREFIX), so parallel test runs and a monitor the developer keeps open do not
// interfere.

#include "kernel/support/auxcom_trace.h"

#include <fcntl.h>
#include <semaphore.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "platform/dbwin/dbwin_client.h"
#include "platform/dbwin/dbwin_monitor.h"
#include "platform/dbwin/dbwin_names.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

void removeChannel() {
  const DbwinNames names = dbwinNames();
  sem_unlink(names.bufferReady.c_str());
  sem_unlink(names.dataReady.c_str());
  shm_unlink(names.buffer.c_str());
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

// Objects a dead monitor left behind are ignored at once. Fault mended: the writer waited without
// limit for a hung monitor's buffer, hanging for good; now it waits once, boundedly, and then skips
// the monitor.
TEST_F(Trace, DeadOrHungMonitorsCostAtMostOneBoundedWait) {
  close(leaveChannelBehind(false));
  auto start = Clock::now();
  EXPECT_EQ(traceDebug("stale\n"), 1);
  EXPECT_LT(Clock::now() - start, milliseconds(100));
  removeChannel();
  const int lock = leaveChannelBehind(true);
  ASSERT_TRUE(dbwinMonitorPresent());
  start = Clock::now();
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
  DbwinMonitor monitor;
  ASSERT_TRUE(monitor.create(nullptr));
  // What a killed writer leaves: buffer ready taken, data ready never posted.
  sem_t* bufferReady = sem_open(dbwinNames().bufferReady.c_str(), 0);
  ASSERT_NE(bufferReady, SEM_FAILED);
  ASSERT_EQ(sem_wait(bufferReady), 0);
  sem_close(bufferReady);
  std::string received;
  std::thread reader([&] {
    if (!monitor.waitForLine()) return;
    received = monitor.lineText();
    monitor.lineDone();
  });
  bool taken = false;
  for (const auto end = Clock::now() + milliseconds(5000); !taken && Clock::now() < end;) {
    taken = traceDebug("after the stall\n") == 0;
    std::this_thread::sleep_for(milliseconds(5));
  }
  if (!taken) monitor.interrupt();
  reader.join();
  EXPECT_TRUE(taken);
  EXPECT_EQ(received, "after the stall\n");
}

}  // namespace
