#include "simulator/server.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

namespace motionsim {
namespace {

constexpr int kListenBacklog = 8;
// A client that does not take its responses within this time is dropped.
constexpr int kSendTimeoutSeconds = 5;
constexpr std::size_t kReadChunk = 65536;

bool fillAddress(const std::string& path, sockaddr_un& address) {
  std::memset(&address, 0, sizeof address);
  address.sun_family = AF_UNIX;
  if (path.empty() || path.size() >= sizeof address.sun_path) {
    return false;
  }
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  return true;
}

std::string errorText(int err) { return std::strerror(err); }

long peerPid(int fd) {
  ucred cred{};
  socklen_t len = sizeof cred;
  if (getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &len) == 0) {
    return static_cast<long>(cred.pid);
  }
  return 0;
}

// Whether something accepts connections at path (a live server, as opposed to a stale
// socket file left behind by one that ended without cleaning up).
bool somebodyListens(const std::string& path, int& err) {
  sockaddr_un address;
  if (!fillAddress(path, address)) {
    err = ENAMETOOLONG;
    return false;
  }
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    err = errno;
    return false;
  }
  const bool connected =
      connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  err = connected ? 0 : errno;
  close(fd);
  return connected;
}

}  // namespace

Server::Server(ObjectModel& model, std::string versionText, std::ostream& log, bool quiet)
    : model_(model), versionText_(std::move(versionText)), log_(log), quiet_(quiet) {}

Server::~Server() {
  if (clientFd_ >= 0) close(clientFd_);
  if (listenFd_ >= 0) {
    close(listenFd_);
    removeSocketFile();
  }
  if (lockFd_ >= 0) close(lockFd_);  // after the socket is gone
}

void Server::say(const std::string& line) {
  if (!quiet_) {
    log_ << line << std::endl;
  }
}

bool Server::listen(const std::string& path, std::string& error) {
  sockaddr_un address;
  if (!fillAddress(path, address)) {
    error = "socket path is empty or longer than " + std::to_string(sizeof address.sun_path - 1) +
            " bytes";
    return false;
  }
  // One server per path: the lock beside the socket is held for the server's life, so of
  // several started at once exactly one gets past here (the check for a live server below
  // could not tell them apart while none listens yet). The lock file stays: removing it
  // would let two servers lock two different files of the same name.
  const std::string lockPath = path + ".lock";
  lockFd_ = open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (lockFd_ < 0) {
    error = "cannot open the lock file " + lockPath + ": " + errorText(errno);
    return false;
  }
  if (flock(lockFd_, LOCK_EX | LOCK_NB) != 0) {
    error = errno == EWOULDBLOCK ? "another motionsim is already serving at " + path
                                 : "cannot lock " + lockPath + ": " + errorText(errno);
    close(lockFd_);
    lockFd_ = -1;
    return false;
  }
  struct stat existing {};
  if (lstat(path.c_str(), &existing) == 0) {
    if (!S_ISSOCK(existing.st_mode)) {
      error = path + " exists and is not a socket; not replacing it";
      return false;
    }
    int err = 0;
    if (somebodyListens(path, err)) {
      error = "another motionsim is already serving at " + path;
      return false;
    }
    if (err != ECONNREFUSED) {
      error = "cannot check the existing socket " + path + ": " + errorText(err);
      return false;
    }
    say("replacing the stale socket " + path);
  }

  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) {
    error = "cannot create a socket: " + errorText(errno);
    return false;
  }
  // Bind and listen under a temporary name, then rename: the socket appears at path only
  // when it already accepts connections, and a stale one is replaced in one step.
  const std::string temporary = path + "." + std::to_string(static_cast<long>(getpid())) + ".new";
  sockaddr_un tempAddress;
  const bool viaTemporary = fillAddress(temporary, tempAddress);
  if (!viaTemporary) {
    unlink(path.c_str());  // stale, checked above
  }
  const sockaddr_un& bindAddress = viaTemporary ? tempAddress : address;
  unlink(bindAddress.sun_path);
  if (bind(fd, reinterpret_cast<const sockaddr*>(&bindAddress), sizeof bindAddress) != 0 ||
      ::listen(fd, kListenBacklog) != 0) {
    error = "cannot listen at " + std::string(bindAddress.sun_path) + ": " + errorText(errno);
    close(fd);
    unlink(bindAddress.sun_path);
    return false;
  }
  if (viaTemporary && rename(temporary.c_str(), path.c_str()) != 0) {
    error = "cannot move the socket to " + path + ": " + errorText(errno);
    close(fd);
    unlink(temporary.c_str());
    return false;
  }
  struct stat mine {};
  if (lstat(path.c_str(), &mine) == 0) {
    socketDev_ = mine.st_dev;
    socketIno_ = mine.st_ino;
  }
  listenFd_ = fd;
  path_ = path;
  return true;
}

void Server::removeSocketFile() {
  // Only our own socket: another motionsim may have replaced it meanwhile.
  struct stat now {};
  if (!path_.empty() && lstat(path_.c_str(), &now) == 0 && now.st_dev == socketDev_ &&
      now.st_ino == socketIno_) {
    unlink(path_.c_str());
  }
}

bool Server::run(const volatile std::sig_atomic_t& stop, const sigset_t& waitMask) {
  while (stop == 0) {
    pollfd fds[2] = {{listenFd_, POLLIN, 0}, {clientFd_, POLLIN, 0}};
    const int ready = ppoll(fds, 2, nullptr, &waitMask);
    if (ready < 0) {
      if (errno == EINTR) continue;
      log_ << "motionsim: waiting failed: " << errorText(errno) << std::endl;
      return false;
    }
    if (clientFd_ >= 0 && fds[1].revents != 0) {
      serviceClient();
    }
    if ((fds[0].revents & POLLIN) != 0) {
      acceptPending();
    }
  }
  return true;
}

void Server::acceptPending() {
  for (;;) {
    const int fd = accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) {
      return;  // EAGAIN: nobody else waiting; other errors: try at the next wake-up
    }
    const timeval sendTimeout{kSendTimeoutSeconds, 0};
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &sendTimeout, sizeof sendTimeout);
    const long pid = peerPid(fd);
    std::string greeting;
    if (clientFd_ >= 0) {
      encodeGreeting({false, kProtocolVersion,
                      "motionsim is serving another client (pid " + std::to_string(clientPid_) +
                          "); it serves one client at a time"},
                     greeting);
      sendAll(fd, greeting);
      close(fd);
      say("refused a second client (pid " + std::to_string(pid) + ")");
      continue;
    }
    encodeGreeting({true, kProtocolVersion, versionText_}, greeting);
    if (!sendAll(fd, greeting)) {
      close(fd);
      continue;
    }
    clientFd_ = fd;
    clientPid_ = pid;
    clientCalls_ = 0;
    in_.clear();
    say("client attached (pid " + std::to_string(pid) + ")");
  }
}

void Server::serviceClient() {
  const std::size_t old = in_.size();
  in_.resize(old + kReadChunk);
  const ssize_t n = recv(clientFd_, in_.data() + old, kReadChunk, MSG_DONTWAIT);
  in_.resize(old + (n > 0 ? static_cast<std::size_t>(n) : 0));
  if (n == 0) {
    dropClient("detached");
    return;
  }
  if (n < 0) {
    if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
      dropClient("lost");
    }
    return;
  }
  out_.clear();
  std::size_t consumed = 0;
  for (;;) {
    std::size_t payloadSize = 0;
    const FrameStatus status = peekFrame(std::string_view(in_).substr(consumed), payloadSize);
    if (status == FrameStatus::Incomplete) break;
    if (status == FrameStatus::TooLarge) {
      dropClient("dropped: it sent a frame over the size limit");
      return;
    }
    model_.handlePayload(std::string_view(in_).substr(consumed + kFrameHeaderBytes, payloadSize),
                         out_);
    consumed += kFrameHeaderBytes + payloadSize;
    ++clientCalls_;
  }
  in_.erase(0, consumed);
  if (!out_.empty() && !sendAll(clientFd_, out_)) {
    dropClient("dropped: it does not take its responses");
  }
}

void Server::dropClient(const char* why) {
  close(clientFd_);
  clientFd_ = -1;
  in_.clear();
  say("client (pid " + std::to_string(clientPid_) + ") " + why + " after " +
      std::to_string(clientCalls_) + " calls");
}

bool Server::sendAll(int fd, const std::string& bytes) {
  std::size_t sent = 0;
  while (sent < bytes.size()) {
    const ssize_t n = send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    sent += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace motionsim
