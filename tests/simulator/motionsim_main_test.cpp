// The motionsim program itself, started as a user would start it. Serving clients is tested
// through the desktop program's simulation link (tests/app/simlink).

#include <gtest/gtest.h>

#include <fstream>

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
  EXPECT_TRUE(sim.running());
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
