// The motionsim program itself, started as a user would start it. Serving clients is tested
// through the desktop program's simulation link (tests/app/simlink).

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <vector>

#include "tests/simulator/motionsim_process.h"

namespace {

// It lists the document, says where it serves, and removes its socket when terminated.
TEST(Motionsim, ServesTheExampleAndRemovesItsSocketOnExit) {
  MotionsimProcess sim;
  ASSERT_TRUE(sim.start({"--frames", "100", MotionsimProcess::example()})) << sim.output();
  sim.signal(SIGTERM);
  EXPECT_EQ(sim.waitExit(), 0);
  EXPECT_FALSE(sim.socketExists());
  const std::string out = sim.output();
  EXPECT_NE(out.find("body 3 \"Rolle\""), std::string::npos) << out;
  EXPECT_NE(out.find("serving at " + sim.socketPath()), std::string::npos) << out;
}

// A stale socket (nobody listens: a killed motionsim left it) is replaced; a file that is
// no socket is left alone and the start fails.
TEST(Motionsim, ReplacesOnlyAStaleSocket) {
  MotionsimProcess sim;
  ASSERT_TRUE(sim.start({MotionsimProcess::example()}));
  sim.signal(SIGKILL);
  sim.waitExit();
  ASSERT_TRUE(sim.socketExists());
  ASSERT_TRUE(sim.start({MotionsimProcess::example()})) << sim.output();
  EXPECT_NE(sim.output().find("replacing the stale socket"), std::string::npos);
  MotionsimProcess other;
  std::ofstream(other.socketPath()) << "not a socket";
  EXPECT_EQ(other.runToExit({MotionsimProcess::example()}), 1);
  EXPECT_NE(other.output().find("is not a socket"), std::string::npos) << other.output();
  std::ifstream kept(other.socketPath());
  std::string text;
  std::getline(kept, text);
  EXPECT_EQ(text, "not a socket");
}

// Several started at once on one path used to keep running side by side, only the last one
// reachable: exactly one serves, the others (and one started while another holds the path
// but does not listen yet) end with a message naming the path.
TEST(Motionsim, OfSeveralStartedAtOnceOnOnePathExactlyOneServes) {
  constexpr int kServers = 6;
  MotionsimProcess place;  // the directory the socket lives in
  {
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
  // The one left is the one at the path: none runs unreachable behind it.
  EXPECT_TRUE(MotionsimProcess::waitFor([&] { return place.socketExists(); }, 10000));
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
  EXPECT_NE(sim.output().find("bad.msim:4: unknown joint"), std::string::npos) << sim.output();
  EXPECT_FALSE(sim.socketExists());
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{sim.dir() + "/missing.msim"},
                                             {"--frames", "0", MotionsimProcess::example()},
                                             {"--colour"}})
    EXPECT_EQ(sim.runToExit(args), 2) << args[0];
  EXPECT_EQ(sim.runToExit({"--help"}), 0);
  EXPECT_NE(sim.output().find("usage: motionsim"), std::string::npos);
}

}  // namespace
