#pragma once
// One connection to motionsim: connect, read the greeting, then blocking round trips with a
// time limit. Plain POSIX sockets keep a round trip to two system calls on each side.

#include <string>

#include "simulator/protocol.h"

class SimConnection {
 public:
  SimConnection() = default;
  ~SimConnection();
  SimConnection(const SimConnection&) = delete;
  SimConnection& operator=(const SimConnection&) = delete;

  // Connects to the socket at path and reads the greeting. On success versionText holds the
  // server's version. False, closed, with the reason in error when nobody listens there,
  // the server refuses (it serves another client) or does not greet within timeoutMs.
  bool open(const std::string& path, int timeoutMs, std::string& versionText, std::string& error);

  // Sends a request and waits for its response. False, and the connection is closed, when
  // the server is gone, does not answer within the time limit, or answers with something
  // that is not a response: the stream can no longer be trusted.
  bool call(const motionsim::Request& request, motionsim::Response& response);
  // The two halves of call, for requests whose responses are read later (in order).
  bool send(const motionsim::Request& request);
  bool receive(motionsim::Response& response);

  bool isOpen() const { return fd_ >= 0; }
  void close();

 private:
  bool sendAll(const std::string& bytes);
  bool readFrame(std::string& payload);

  int fd_ = -1;
  std::string out_;
  std::string in_;
};
