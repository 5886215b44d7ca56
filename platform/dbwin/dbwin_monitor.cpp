#include "platform/dbwin/dbwin_monitor.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>

namespace {

constexpr mode_t kOwnerOnly = 0600;
// Seconds between looks at a buffer a writer has taken but not filled.
constexpr time_t kStallSeconds = 1;

std::string failure(const char* what, const std::string& name) {
  return std::string(what) + " " + name + ": " + std::strerror(errno);
}

// True when the buffer under name belongs to a running monitor (it holds the lock).
bool liveMonitorExists(const std::string& name) {
  const int fd = shm_open(name.c_str(), O_RDONLY | O_CLOEXEC, 0);
  if (fd < 0) return false;
  bool live = false;
  if (flock(fd, LOCK_SH | LOCK_NB) == 0)
    flock(fd, LOCK_UN);
  else
    live = errno == EWOULDBLOCK;
  close(fd);
  return live;
}

}  // namespace

DbwinMonitor::~DbwinMonitor() { remove(); }

bool DbwinMonitor::create(std::string* error) {
  std::string ignored;
  if (!error) error = &ignored;
  remove();
  names_ = dbwinNames();
  if (liveMonitorExists(names_.buffer)) {
    *error = "another monitor is running on " + names_.buffer;
    return false;
  }
  // Stale objects of a monitor that died are replaced, never reused: their semaphore
  // values can be anything.
  sem_unlink(names_.bufferReady.c_str());
  sem_unlink(names_.dataReady.c_str());
  shm_unlink(names_.buffer.c_str());

  buffer_ = shm_open(names_.buffer.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, kOwnerOnly);
  if (buffer_ < 0) {
    *error = failure("cannot create", names_.buffer);
    return false;
  }
  if (ftruncate(buffer_, kDbwinBufferSize) != 0 || flock(buffer_, LOCK_EX | LOCK_NB) != 0) {
    *error = failure("cannot prepare", names_.buffer);
    remove();
    return false;
  }
  void* view = mmap(nullptr, kDbwinBufferSize, PROT_READ | PROT_WRITE, MAP_SHARED, buffer_, 0);
  if (view == MAP_FAILED) {
    *error = failure("cannot map", names_.buffer);
    remove();
    return false;
  }
  view_ = static_cast<char*>(view);
  dataReady_ = sem_open(names_.dataReady.c_str(), O_CREAT | O_EXCL, kOwnerOnly, 0);
  if (dataReady_ == SEM_FAILED) {
    *error = failure("cannot create", names_.dataReady);
    remove();
    return false;
  }
  // Created last and free from the start: writers find a complete channel or none.
  bufferReady_ = sem_open(names_.bufferReady.c_str(), O_CREAT | O_EXCL, kOwnerOnly, 1);
  if (bufferReady_ == SEM_FAILED) {
    *error = failure("cannot create", names_.bufferReady);
    remove();
    return false;
  }
  return true;
}

bool DbwinMonitor::waitForLine() {
  lineReady_ = false;
  if (dataReady_ == SEM_FAILED) return false;
  // A writer holds "buffer ready" only while it copies one line. Taken for a whole stall
  // period with no line arriving, it belongs to a writer that died in between (killed, say):
  // the buffer is handed out again, or no writer would ever get it.
  bool takenAtLastLook = false;
  for (;;) {
    timespec until{};
    clock_gettime(CLOCK_MONOTONIC, &until);
    until.tv_sec += kStallSeconds;
    if (sem_clockwait(dataReady_, CLOCK_MONOTONIC, &until) == 0) break;
    if (errno != ETIMEDOUT) return false;
    int free = 1;
    sem_getvalue(bufferReady_, &free);
    if (free > 0) {
      takenAtLastLook = false;
    } else if (takenAtLastLook) {
      sem_post(bufferReady_);
      takenAtLastLook = false;
    } else {
      takenAtLastLook = true;
    }
  }
  lineReady_ = true;
  return true;
}

std::uint32_t DbwinMonitor::linePid() const {
  std::uint32_t pid = 0;
  if (lineReady_) std::memcpy(&pid, view_, sizeof pid);
  return pid;
}

std::string DbwinMonitor::lineText() const {
  if (!lineReady_) return {};
  // The writer's terminator is not trusted: the text ends at the buffer's end at the latest.
  const char* text = view_ + kDbwinTextOffset;
  return std::string(text, strnlen(text, kDbwinBufferSize - kDbwinTextOffset));
}

void DbwinMonitor::lineDone() {
  if (!lineReady_) return;
  lineReady_ = false;
  sem_post(bufferReady_);
}

void DbwinMonitor::interrupt() {
  if (dataReady_ != SEM_FAILED) sem_post(dataReady_);
}

void DbwinMonitor::remove() {
  if (buffer_ < 0 && bufferReady_ == SEM_FAILED && dataReady_ == SEM_FAILED) return;
  bool stillOurs = false;
  if (buffer_ >= 0) {
    const int current = shm_open(names_.buffer.c_str(), O_RDONLY | O_CLOEXEC, 0);
    if (current >= 0) {
      struct stat mine {
      }, theirs{};
      stillOurs = fstat(buffer_, &mine) == 0 && fstat(current, &theirs) == 0 &&
                  mine.st_dev == theirs.st_dev && mine.st_ino == theirs.st_ino;
      close(current);
    }
  }
  if (stillOurs) {
    sem_unlink(names_.bufferReady.c_str());
    sem_unlink(names_.dataReady.c_str());
    shm_unlink(names_.buffer.c_str());
  }
  if (view_) munmap(view_, kDbwinBufferSize);
  if (bufferReady_ != SEM_FAILED) sem_close(bufferReady_);
  if (dataReady_ != SEM_FAILED) sem_close(dataReady_);
  if (buffer_ >= 0) close(buffer_);
  view_ = nullptr;
  bufferReady_ = dataReady_ = SEM_FAILED;
  buffer_ = -1;
  lineReady_ = false;
}
