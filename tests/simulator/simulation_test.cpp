#include "simulator/simulation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "simulator/document_reader.h"

namespace motionsim {
namespace {

// A slider along y driven by "Hub" (y = 0.05 + 0.001·Hub) and a plate turning at π rad/s.
Mechanism camMechanism(double step = 0.02) {
  Mechanism m;
  DocumentError error;
  const std::string text = "motionsim-document 1\nstep " + std::to_string(step) +
                           "\n"
                           "input 1 Hub 0\n"
                           "input 2 Spare 4\n"
                           "body 1 Scheibe joint revolute z rate 3.141592653589793\n"
                           "body 2 Schieber joint prismatic y constant 0.05 gain 0.001 input Hub\n";
  EXPECT_TRUE(readDocument(text, m, error)) << error.message;
  return m;
}

double sliderY(const Simulation& sim, std::int32_t frame) {
  return sim.framePoses(frame)[1].position.y;
}

// The simulation starts at frame 0 with the initial values; a run computes every frame up to
// the target and stands there; frame k lies at k times the step.
TEST(Simulation, RunComputesEveryFrameUpToTheTargetAndStandsThere) {
  Simulation sim(camMechanism());
  EXPECT_EQ(sim.numFrames(), 1);
  EXPECT_EQ(sim.frameInputs(0)[1], 4.0);
  EXPECT_NEAR(sliderY(sim, 0), 0.05, 1e-15);
  ASSERT_TRUE(sim.goToFrame(1));
  EXPECT_EQ(sim.currentTime(), 0.02);
  ASSERT_TRUE(sim.goToFrame(50));
  EXPECT_EQ(sim.numFrames(), 51);
  EXPECT_EQ(sim.currentFrame(), 50);
  EXPECT_NEAR(sim.currentTime(), 1.0, 1e-12);
  // The plate has turned π·t; at t = 0.5 s (frame 25) a quarter turn.
  EXPECT_NEAR(sim.framePoses(25)[0].angles.z, 3.141592653589793 / 2, 1e-12);
}

TEST(Simulation, JumpingBackReplaysTheKeptHistory) {
  Simulation sim(camMechanism());
  for (std::int32_t f = 1; f <= 10; ++f) {
    sim.setInputValue(0, f * 1.5);
    ASSERT_TRUE(sim.goToFrame(f));
  }
  ASSERT_TRUE(sim.goToFrame(3));
  EXPECT_EQ(sim.numFrames(), 11);
  EXPECT_EQ(sim.currentFrame(), 3);
  EXPECT_NEAR(sim.bodyPose(1).position.y, 0.05 + 0.001 * 4.5, 1e-15);
  // Running forward again through held frames changes nothing, whatever the inputs now say.
  ASSERT_TRUE(sim.goToFrame(10));
  EXPECT_NEAR(sim.bodyPose(1).position.y, 0.05 + 0.001 * 15.0, 1e-15);
  // Beyond the history the inputs' current values apply.
  ASSERT_TRUE(sim.goToFrame(12));
  EXPECT_EQ(sim.frameInputs(12)[0], 15.0);
}

TEST(Simulation, ChangedInputInsideTheHistoryDropsTheFramesThatNoLongerFollow) {
  Simulation sim(camMechanism());
  sim.setInputValue(0, 1.0);
  ASSERT_TRUE(sim.goToFrame(10));
  ASSERT_TRUE(sim.goToFrame(4));
  // The same value as frame 5 was computed with: the history stays.
  sim.setInputValue(0, 1.0);
  EXPECT_EQ(sim.numFrames(), 11);
  // A different one: frames 5 .. 10 go, and are computed anew on the next run.
  sim.setInputValue(0, 2.0);
  EXPECT_EQ(sim.numFrames(), 5);
  EXPECT_EQ(sim.currentFrame(), 4);
  ASSERT_TRUE(sim.goToFrame(6));
  EXPECT_NEAR(sliderY(sim, 6), 0.052, 1e-15);
  EXPECT_NEAR(sliderY(sim, 4), 0.051, 1e-15);
}

TEST(Simulation, RefusesFramesOutsideItsRangeAndNonFiniteInputs) {
  // Budget of 10 frames: 2 inputs + 2 bodies·6 = 14 values per frame.
  Simulation sim(camMechanism(), 140);
  EXPECT_EQ(sim.frameLimit(), 9);
  EXPECT_FALSE(sim.goToFrame(-1));
  EXPECT_FALSE(sim.goToFrame(10));
  EXPECT_EQ(sim.numFrames(), 1);
  EXPECT_TRUE(sim.goToFrame(9));
  EXPECT_FALSE(sim.setInputValue(0, std::nan("")));
  EXPECT_FALSE(sim.setInputValue(0, std::numeric_limits<double>::infinity()));
  EXPECT_FALSE(sim.setInputValue(2, 1.0));
  EXPECT_EQ(sim.inputValue(0), 0.0);
}

}  // namespace
}  // namespace motionsim
