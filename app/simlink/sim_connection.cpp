#include "app/simlink/sim_connection.h"

#include <errno.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

SimConnection::~SimConnection() { close(); }

void SimConnection::close() {
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
  in_.clear();
}

bool SimConnection::open(const std::string& path, int timeoutMs, std::string& versionText,
                         std::string& error) {
  close();
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.empty() || path.size() >= sizeof address.sun_path) {
    error = "socket path is empty or too long: " + path;
    return false;
  }
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  fd_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd_ < 0) {
    error = std::string("cannot create a socket: ") + std::strerror(errno);
    return false;
  }
  // The same limit for connecting, sending and every wait for an answer.
  const timeval limit{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
  setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
  setsockopt(fd_, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
  if (connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    error = "no motionsim is serving at " + path + " (" + std::strerror(errno) + ")";
    close();
    return false;
  }
  std::string payload;
  motionsim::Greeting greeting;
  if (!readFrame(payload) || !motionsim::decodeGreeting(payload, greeting)) {
    error = "the program at " + path + " did not greet as motionsim does";
    close();
    return false;
  }
  if (!greeting.accepted) {
    error = greeting.text;
    close();
    return false;
  }
  if (greeting.protocolVersion != motionsim::kProtocolVersion) {
    error = "motionsim at " + path + " speaks protocol version " +
            std::to_string(greeting.protocolVersion) + ", this program version " +
            std::to_string(motionsim::kProtocolVersion);
    close();
    return false;
  }
  versionText = greeting.text;
  return true;
}

bool SimConnection::call(const motionsim::Request& request, motionsim::Response& response) {
  return send(request) && receive(response);
}

bool SimConnection::send(const motionsim::Request& request) {
  if (fd_ < 0) return false;
  out_.clear();
  if (!motionsim::encodeRequest(request, out_) || !sendAll(out_)) {
    close();
    return false;
  }
  return true;
}

bool SimConnection::receive(motionsim::Response& response) {
  if (fd_ < 0) return false;
  std::string payload;
  if (!readFrame(payload) || !motionsim::decodeResponse(payload, response)) {
    close();
    return false;
  }
  return true;
}

bool SimConnection::sendAll(const std::string& bytes) {
  std::size_t sent = 0;
  while (sent < bytes.size()) {
    const ssize_t n = ::send(fd_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    sent += static_cast<std::size_t>(n);
  }
  return true;
}

bool SimConnection::readFrame(std::string& payload) {
  for (;;) {
    std::size_t size = 0;
    const motionsim::FrameStatus status = motionsim::peekFrame(in_, size);
    if (status == motionsim::FrameStatus::Complete) {
      payload.assign(in_, motionsim::kFrameHeaderBytes, size);
      in_.erase(0, motionsim::kFrameHeaderBytes + size);
      return true;
    }
    if (status == motionsim::FrameStatus::TooLarge) return false;
    char buffer[4096];
    const ssize_t n = recv(fd_, buffer, sizeof buffer, 0);
    if (n > 0) {
      in_.append(buffer, static_cast<std::size_t>(n));
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else {
      return false;  // closed by the server, reset, or the time limit passed (EAGAIN)
    }
  }
}
