#pragma once
// Serves an object model over a Unix-domain stream socket to one client at a time.
//
// A client that connects gets a greeting: accepted with the version text, or, while another
// client is attached, refused with the reason, after which its connection is closed. An
// attached client sends request frames and gets one response frame for each, in order.

#include <signal.h>
#include <sys/types.h>

#include <csignal>
#include <cstdint>
#include <ostream>
#include <string>

#include "simulator/object_model.h"

namespace motionsim {

class Server {
 public:
  Server(ObjectModel& model, std::string versionText, std::ostream& log, bool quiet);
  ~Server();
  Server(const Server&) = delete;
  Server& operator=(const Server&) = delete;

  // Creates the listening socket at path. A stale socket there (nobody answers) is
  // replaced; a live motionsim there, or a file that is not a socket, is left alone and
  // the call fails with the reason in error. The socket appears at path only once it
  // accepts connections. An exclusive lock on "<path>.lock", held until the server ends,
  // keeps a second server off the path even when both start at the same moment.
  bool listen(const std::string& path, std::string& error);

  // Serves until stop becomes non-zero. Signals are taken only while waiting: waitMask is
  // the signal mask in force during the wait (the caller blocks its stop signals otherwise).
  // Returns false when waiting failed for another reason.
  bool run(const volatile std::sig_atomic_t& stop, const sigset_t& waitMask);

  const std::string& path() const { return path_; }

 private:
  void acceptPending();
  void serviceClient();
  void dropClient(const char* why);
  bool sendAll(int fd, const std::string& bytes);
  void removeSocketFile();
  void say(const std::string& line);

  ObjectModel& model_;
  std::string versionText_;
  std::ostream& log_;
  bool quiet_;
  std::string path_;
  int lockFd_ = -1;
  int listenFd_ = -1;
  dev_t socketDev_ = 0;
  ino_t socketIno_ = 0;
  int clientFd_ = -1;
  long clientPid_ = 0;
  long clientCalls_ = 0;
  std::string in_;
  std::string out_;
};

}  // namespace motionsim
