#include "platform/dbwin/dbwin_client.h"

#include <fcntl.h>
#include <semaphore.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <mutex>

#include "platform/dbwin/dbwin_names.h"

namespace {

constexpr std::int64_t kNsPerSecond = 1'000'000'000;
constexpr std::int64_t kProbeInterval = 50'000'000;           // ns between looks for a monitor
constexpr std::int64_t kBufferWait = 100'000'000;             // ns to wait for "buffer ready"
constexpr std::int64_t kUnresponsiveBackoff = 1'000'000'000;  // ns to skip a slow monitor
// "stderr" there: lines no monitor takes go to standard error.
constexpr const char* kTraceVariable = "KINETRA_TRACE";

std::int64_t nowNs(clockid_t clock) {
  timespec t{};
  clock_gettime(clock, &t);
  return static_cast<std::int64_t>(t.tv_sec) * kNsPerSecond + t.tv_nsec;
}

// The opened channel of one line; everything is closed again after the line.
struct Channel {
  sem_t* bufferReady = SEM_FAILED;
  sem_t* dataReady = SEM_FAILED;
  int buffer = -1;

  Channel() = default;
  Channel(const Channel&) = delete;
  Channel& operator=(const Channel&) = delete;
  ~Channel() {
    if (bufferReady != SEM_FAILED) sem_close(bufferReady);
    if (dataReady != SEM_FAILED) sem_close(dataReady);
    if (buffer >= 0) close(buffer);
  }
};

// A monitor holds an exclusive lock on its buffer for as long as it runs; when a shared
// lock can be taken, the objects were left behind by a monitor that is gone.
bool heldByLiveMonitor(int fd) {
  if (flock(fd, LOCK_SH | LOCK_NB) == 0) {
    flock(fd, LOCK_UN);
    return false;
  }
  return errno == EWOULDBLOCK;
}

// Opens the three objects of a live monitor; false when any is missing or stale.
bool openChannel(Channel& channel) {
  const DbwinNames names = dbwinNames();
  channel.bufferReady = sem_open(names.bufferReady.c_str(), 0);
  if (channel.bufferReady == SEM_FAILED) return false;
  channel.dataReady = sem_open(names.dataReady.c_str(), 0);
  if (channel.dataReady == SEM_FAILED) return false;
  channel.buffer = shm_open(names.buffer.c_str(), O_RDWR | O_CLOEXEC, 0);
  if (channel.buffer < 0) return false;
  struct stat info {};
  // A buffer smaller than the protocol's would fault on writing.
  if (fstat(channel.buffer, &info) != 0 || info.st_size < kDbwinBufferSize) return false;
  return heldByLiveMonitor(channel.buffer);
}

// Waits up to kBufferWait for the monitor's buffer, then writes pid and text into it.
// False when the buffer did not become free in time or could not be mapped.
bool writeLine(Channel& channel, const char* text) {
  const std::int64_t deadline = nowNs(CLOCK_MONOTONIC) + kBufferWait;
  const timespec until{static_cast<time_t>(deadline / kNsPerSecond),
                       static_cast<long>(deadline % kNsPerSecond)};
  int waited;
  do {
    waited = sem_clockwait(channel.bufferReady, CLOCK_MONOTONIC, &until);
  } while (waited != 0 && errno == EINTR);
  if (waited != 0) return false;

  void* view =
      mmap(nullptr, kDbwinBufferSize, PROT_READ | PROT_WRITE, MAP_SHARED, channel.buffer, 0);
  if (view == MAP_FAILED) {
    sem_post(channel.bufferReady);  // hand the buffer back untouched
    return false;
  }
  auto* bytes = static_cast<char*>(view);
  const std::uint32_t pid = static_cast<std::uint32_t>(getpid());
  std::memcpy(bytes, &pid, sizeof pid);
  const std::size_t length = strnlen(text, kDbwinTextLimit);
  std::memcpy(bytes + kDbwinTextOffset, text, length);
  bytes[kDbwinTextOffset + length] = '\0';
  munmap(view, kDbwinBufferSize);
  sem_post(channel.dataReady);
  return true;
}

std::mutex gMutex;
// Before this coarse monotonic time no monitor is looked for; 0 means "look now".
std::int64_t gNextProbe = 0;
DbwinRedirect gRedirect = nullptr;

}  // namespace

int dbwinOutput(const char* text) {
  if (!text) text = "";
  std::lock_guard<std::mutex> lock(gMutex);
  if (gRedirect) {
    gRedirect(text);
    return 1;
  }
  const std::int64_t now = nowNs(CLOCK_MONOTONIC_COARSE);
  if (now >= gNextProbe) {
    Channel channel;
    if (!openChannel(channel)) {
      gNextProbe = now + kProbeInterval;
    } else if (!writeLine(channel, text)) {
      gNextProbe = now + kUnresponsiveBackoff;
    } else {
      gNextProbe = 0;  // a monitor answered: use it again for the next line
      return 0;
    }
  }
  if (const char* where = std::getenv(kTraceVariable); where && std::strcmp(where, "stderr") == 0)
    std::fputs(text, stderr);
  return 1;
}

bool dbwinMonitorPresent() {
  std::lock_guard<std::mutex> lock(gMutex);
  Channel channel;
  const bool present = openChannel(channel);
  gNextProbe = present ? 0 : nowNs(CLOCK_MONOTONIC_COARSE) + kProbeInterval;
  return present;
}

DbwinRedirect setDbwinRedirect(DbwinRedirect redirect) {
  std::lock_guard<std::mutex> lock(gMutex);
  const DbwinRedirect previous = gRedirect;
  gRedirect = redirect;
  return previous;
}
