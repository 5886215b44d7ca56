// The motionsim program itself, started as a user would start it.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <memory>
#include <vector>

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

TEST(Motionsim, RefusesASecondClientClearlyAndKeepsServingTheFirst) {
  MotionsimProcess sim;
  ASSERT_TRUE(sim.start({"--quiet", MotionsimProcess::example()})) << sim.output();
  RawClient first(sim.socketPath());
  Greeting g;
  ASSERT_TRUE(first.greeting(g));
  ASSERT_TRUE(g.accepted);
  {
    RawClient second(sim.socketPath());
    Greeting refused;
    ASSERT_TRUE(second.greeting(refused));
    EXPECT_FALSE(refused.accepted);
    EXPECT_NE(refused.text.find("another client"), std::string::npos) << refused.text;
    std::string more;
    EXPECT_FALSE(second.readPayload(more)) << "the refused connection is closed";
  }
  Response r;
  ASSERT_TRUE(first.call(numFramesRequest(), r));
  EXPECT_EQ(r.error, kErrNone);
  EXPECT_EQ(sim.output(), "") << "--quiet prints nothing";
}

TEST(Motionsim, TakesTheNextClientAfterTheFirstLeaves) {
  MotionsimProcess sim;
  ASSERT_TRUE(sim.start({MotionsimProcess::example()})) << sim.output();
  for (int i = 0; i < 3; ++i) {
    RawClient client(sim.socketPath());
    Greeting g;
    ASSERT_TRUE(client.greeting(g));
    EXPECT_TRUE(g.accepted) << "client " << i << ": " << g.text;
    Response r;
    ASSERT_TRUE(client.call(numFramesRequest(), r));
  }
}

TEST(Motionsim, DropsAClientThatAnnouncesAnOversizedFrameAndServesTheNext) {
  MotionsimProcess sim;
  ASSERT_TRUE(sim.start({MotionsimProcess::example()})) << sim.output();
  {
    RawClient client(sim.socketPath());
    Greeting g;
    ASSERT_TRUE(client.greeting(g));
    ASSERT_TRUE(client.sendBytes(std::string("\xFF\xFF\xFF\x7F", 4)));
    std::string payload;
    EXPECT_FALSE(client.readPayload(payload));
  }
  {
    RawClient client(sim.socketPath());
    Greeting g;
    ASSERT_TRUE(client.greeting(g));
    EXPECT_TRUE(g.accepted);
    // A well-framed payload that is no request gets error 5, and the connection lives on.
    ASSERT_TRUE(client.sendBytes(std::string("\x01\x00\x00\x00\x2A", 5)));
    std::string payload;
    Response r;
    ASSERT_TRUE(client.readPayload(payload));
    ASSERT_TRUE(decodeResponse(payload, r));
    EXPECT_EQ(r.error, kErrBadArgument);
    ASSERT_TRUE(client.call(numFramesRequest(), r));
    EXPECT_EQ(r.error, kErrNone);
  }
  EXPECT_TRUE(sim.running());
}

TEST(Motionsim, ReplacesAStaleSocket) {
  MotionsimProcess sim;
  // A socket file nobody listens on, as a killed motionsim leaves behind.
  ASSERT_TRUE(sim.start({MotionsimProcess::example()}));
  sim.signal(SIGKILL);
  sim.waitExit();
  ASSERT_TRUE(sim.socketExists());
  ASSERT_TRUE(sim.start({MotionsimProcess::example()})) << sim.output();
  RawClient client(sim.socketPath());
  Greeting g;
  ASSERT_TRUE(client.greeting(g));
  EXPECT_TRUE(g.accepted);
  EXPECT_NE(sim.output().find("replacing the stale socket"), std::string::npos);
}

TEST(Motionsim, LeavesAFileThatIsNoSocketAlone) {
  MotionsimProcess sim;
  std::ofstream(sim.socketPath()) << "not a socket";
  EXPECT_EQ(sim.runToExit({MotionsimProcess::example()}), 1);
  EXPECT_NE(sim.output().find("is not a socket"), std::string::npos) << sim.output();
  std::ifstream kept(sim.socketPath());
  std::string text;
  std::getline(kept, text);
  EXPECT_EQ(text, "not a socket");
}

// Several started at once on one path used to keep running side by side, only the last one
// reachable: exactly one serves, the others end with a message naming the path.
TEST(Motionsim, OfSeveralStartedAtOnceOnOnePathExactlyOneServes) {
  constexpr int kServers = 6;
  MotionsimProcess place;  // the directory the socket lives in
  {
    // A server that holds the path but does not listen yet (the moment of the race).
    const int lock = open((place.socketPath() + ".lock").c_str(), O_RDWR | O_CREAT, 0600);
    ASSERT_EQ(flock(lock, LOCK_EX), 0);
    EXPECT_EQ(place.runToExit({MotionsimProcess::example()}), 1);
    EXPECT_NE(place.output().find("already serving at " + place.socketPath()), std::string::npos)
        << place.output();
    close(lock);
  }
  std::vector<std::unique_ptr<MotionsimProcess>> sims;
  for (int i = 0; i < kServers; ++i) {
    sims.push_back(std::make_unique<MotionsimProcess>());
    sims.back()->useSocket(place.socketPath());
    ASSERT_TRUE(sims.back()->launch({MotionsimProcess::example()}));
  }
  auto runningCount = [&] {
    return std::count_if(sims.begin(), sims.end(), [](auto& sim) { return sim->running(); });
  };
  ASSERT_TRUE(MotionsimProcess::waitFor([&] { return runningCount() <= 1; }, 10000));
  ASSERT_EQ(runningCount(), 1);
  ASSERT_TRUE(MotionsimProcess::waitFor([&] { return place.socketExists(); }, 10000));
  RawClient client(place.socketPath());
  Greeting g;
  ASSERT_TRUE(client.greeting(g));
  EXPECT_TRUE(g.accepted);
  for (auto& sim : sims) {
    if (sim->running()) continue;
    EXPECT_EQ(sim->waitExit(), 1);
    EXPECT_NE(sim->output().find("already serving at " + place.socketPath()), std::string::npos)
        << sim->output();
  }
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
