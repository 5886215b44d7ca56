// The motionsim program itself, started as a user would start it.

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <fstream>

#include "simulator/protocol.h"
#include "tests/simulator/motionsim_process.h"

namespace motionsim {
namespace {

// A bare client speaking the wire format, with a time limit on every wait.
class RawClient {
 public:
  explicit RawClient(const std::string& path) {
    fd_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const timeval limit{5, 0};
    setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    connected_ = connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  }
  ~RawClient() { close(fd_); }

  bool connected() const { return connected_; }
  bool sendBytes(const std::string& bytes) {
    return send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL) ==
           static_cast<ssize_t>(bytes.size());
  }
  // The next frame's payload; empty optional-like false when the server closed or timed out.
  bool readPayload(std::string& payload) {
    for (;;) {
      std::size_t size = 0;
      if (peekFrame(in_, size) == FrameStatus::Complete) {
        payload = in_.substr(kFrameHeaderBytes, size);
        in_.erase(0, kFrameHeaderBytes + size);
        return true;
      }
      char buffer[4096];
      const ssize_t n = recv(fd_, buffer, sizeof buffer, 0);
      if (n <= 0) return false;
      in_.append(buffer, static_cast<std::size_t>(n));
    }
  }
  bool greeting(Greeting& g) {
    std::string payload;
    return readPayload(payload) && decodeGreeting(payload, g);
  }
  bool call(const Request& q, Response& r) {
    std::string frame;
    std::string payload;
    return encodeRequest(q, frame) && sendBytes(frame) && readPayload(payload) &&
           decodeResponse(payload, r);
  }

 private:
  int fd_ = -1;
  bool connected_ = false;
  std::string in_;
};

Request numFramesRequest() {
  Request q;
  q.object = makeRef(ObjectKind::Document);
  q.memberId = 7;
  return q;
}

TEST(Motionsim, ServesTheExampleAndRemovesItsSocketOnExit) {
  MotionsimProcess sim;
  ASSERT_TRUE(sim.start({"--frames", "100", MotionsimProcess::example()})) << sim.output();
  {
    RawClient client(sim.socketPath());
    ASSERT_TRUE(client.connected());
    Greeting g;
    ASSERT_TRUE(client.greeting(g));
    EXPECT_TRUE(g.accepted);
    EXPECT_EQ(g.text.rfind("motionsim ", 0), 0u) << g.text;
    Response r;
    ASSERT_TRUE(client.call(numFramesRequest(), r));
    EXPECT_EQ(r.result, Value(std::int32_t{100}));
  }
  sim.signal(SIGTERM);
  EXPECT_EQ(sim.waitExit(), 0);
  EXPECT_FALSE(sim.socketExists());
  const std::string out = sim.output();
  EXPECT_NE(out.find("body 3 \"Rolle\""), std::string::npos) << out;
  EXPECT_NE(out.find("serving at " + sim.socketPath()), std::string::npos) << out;
  EXPECT_NE(out.find("client attached"), std::string::npos) << out;
}

// A stale socket (nobody listens: a killed motionsim left it) is replaced; a file that is
// no socket, or a socket another motionsim serves, is left alone and the start fails.
TEST(Motionsim, ReplacesOnlyAStaleSocket) {
  MotionsimProcess sim;
  ASSERT_TRUE(sim.start({MotionsimProcess::example()}));
  sim.signal(SIGKILL);
  sim.waitExit();
  ASSERT_TRUE(sim.socketExists());
  ASSERT_TRUE(sim.start({MotionsimProcess::example()})) << sim.output();
  EXPECT_NE(sim.output().find("replacing the stale socket"), std::string::npos);
  MotionsimProcess second;
  second.useSocket(sim.socketPath());
  EXPECT_EQ(second.runToExit({MotionsimProcess::example()}), 1);
  EXPECT_NE(second.output().find("already serving"), std::string::npos) << second.output();
  RawClient client(sim.socketPath());
  Greeting g;
  ASSERT_TRUE(client.greeting(g));
  EXPECT_TRUE(g.accepted);
  MotionsimProcess other;
  std::ofstream(other.socketPath()) << "not a socket";
  EXPECT_EQ(other.runToExit({MotionsimProcess::example()}), 1);
  EXPECT_NE(other.output().find("is not a socket"), std::string::npos) << other.output();
  std::ifstream kept(other.socketPath());
  std::string text;
  std::getline(kept, text);
  EXPECT_EQ(text, "not a socket");
}

TEST(Motionsim, BadDocumentsEndWithTheLineAndServeNothing) {
  MotionsimProcess sim;
  const std::string doc = sim.writeFile(
      "bad.msim", "motionsim-document 1\nstep 0.02\ninput 1 Hub 0\nbody 1 a joint hinge z\n");
  EXPECT_EQ(sim.runToExit({doc}), 2);
  EXPECT_NE(sim.output().find("bad.msim:4: unknown joint \"hinge\""), std::string::npos)
      << sim.output();
  EXPECT_FALSE(sim.socketExists());
  EXPECT_EQ(sim.runToExit({sim.dir() + "/missing.msim"}), 2);
  EXPECT_NE(sim.output().find("cannot open"), std::string::npos) << sim.output();
  EXPECT_EQ(sim.runToExit({"--frames", "0", MotionsimProcess::example()}), 2);
  EXPECT_EQ(sim.runToExit({"--colour"}), 2);
  EXPECT_EQ(sim.runToExit({"--help"}), 0);
  EXPECT_NE(sim.output().find("usage: motionsim"), std::string::npos);
}

}  // namespace
}  // namespace motionsim
