#include "app/simlink/simulation_link.h"

#include <gtest/gtest.h>

#include <cmath>

#include "tests/app/support/attached_simulation.h"

namespace {

// Expects op to fail with the automation error number.
template <class Operation>
void expectError(int number, Operation op) {
  try {
    op();
    ADD_FAILURE() << "expected error " << number;
  } catch (const SimulationError& e) {
    EXPECT_EQ(e.number(), number) << e.description().toStdString();
  }
}

using SimulationLinkTest = AttachedSimulation;

TEST_F(SimulationLinkTest, KilledSimulatorGives462OnTheNextCallAndEveryLaterOne) {
  start();
  const SimRef hub = link_.Item(link_.inputs(), qint16{1});
  kill();
  expectError(462, [&] { link_.NumFrames(); });
  EXPECT_TRUE(link_.isConnectionLost());
  // A new simulator at the same place changes nothing: the lost link stays lost.
  ASSERT_TRUE(sim_.start({MotionsimProcess::example()}));
  expectError(462, [&] { link_.setInputValue(hub, 1.0); });
  expectError(462, [&] { link_.FrameRateProbe(0.02); });
  EXPECT_TRUE(link_.AttachSimulation(QString::fromStdString(sim_.socketPath())));
  expectError(462, [&] { link_.DocumentName(); });
  EXPECT_EQ(runSimulationOperation([&] { link_.CamMenuEnabled(); }), SimOutcome::ServerError);
}

TEST_F(SimulationLinkTest, QueuedPutsTakeEffectInOrderAndDropOnlyTheirOwnErrors) {
  start();
  const SimRef hub = link_.Item(link_.inputs(), qint16{1});
  const SimRef slider = link_.Bodies(qint32{2});
  double x = 0, y = 0, z = 0, rx = 0, ry = 0, rz = 0;
  for (int f = 1; f <= 3 * SimulationLink::kMaxQueued; ++f) {
    link_.queueInputValue(hub, std::nan(""));  // refused by the simulator, dropped here
    link_.queueInputValue(hub, 1.0 * f);
    if (f % 50 == 0) {
      link_.RunToFrame(f);
      link_.GetPosition(slider, x, y, z, rx, ry, rz);
      // The last value queued before the run: y = 0.05 + f/1000
      EXPECT_NEAR(y, 0.05 + f / 1000.0, 1e-15);
    }
  }
  EXPECT_EQ(link_.NumFrames(), 151);
  EXPECT_EQ(link_.droppedErrors(), 3 * SimulationLink::kMaxQueued);
  expectError(9, [&] { link_.Bodies(qint32{9}); });
}

// Calls sent together are answered in order even when one fails, so the stream stays in
// step with the calls.
TEST_F(SimulationLinkTest, FrameReadTogetherMatchesTheSingleCallsAndSurvivesAFailedCall) {
  start({}, {"--frames", "5"});
  const std::vector<SimRef> bodies{link_.Bodies(qint32{3}), link_.Bodies(qint32{1})};
  expectError(5, [&] { link_.RunToFrameAndRead(-1, bodies); });
  const SimulationLink::RecordedFrame frame = link_.RunToFrameAndRead(3, bodies);
  EXPECT_EQ(link_.CurrentFrame(), 3);
  EXPECT_EQ(frame.time, link_.CurrentTime());
  ASSERT_EQ(frame.poses.size(), 2u);
  for (std::size_t b = 0; b < 2; ++b) {
    std::array<double, 6> single;
    link_.GetPosition(bodies[b], single[0], single[1], single[2], single[3], single[4], single[5]);
    EXPECT_EQ(frame.poses[b], single);
  }
}

// Attach fails without a simulator, without a document and while another link is attached.
TEST_F(SimulationLinkTest, AttachNeedsASimulatorWithADocumentAndNoOtherClient) {
  EXPECT_FALSE(link_.AttachSimulation(QString::fromStdString(sim_.socketPath())));
  EXPECT_EQ(link_.attachError().number(), 429);
  expectError(91, [&] { link_.NumFrames(); });
  ASSERT_TRUE(sim_.start({}));
  EXPECT_FALSE(link_.AttachSimulation(QString::fromStdString(sim_.socketPath())));
  EXPECT_TRUE(link_.attachError().description().contains("no open document"));
  sim_.stop();
  ASSERT_TRUE(sim_.start({MotionsimProcess::example()}));
  setenv("KINETRA_SIM_SOCKET", sim_.socketPath().c_str(), 1);
  EXPECT_TRUE(link_.AttachSimulation());  // at the path the environment names
  unsetenv("KINETRA_SIM_SOCKET");
  SimulationLink second(kTimeoutMs);
  EXPECT_FALSE(second.AttachSimulation(QString::fromStdString(sim_.socketPath())));
  EXPECT_TRUE(second.attachError().description().contains("another client"))
      << second.attachError().description().toStdString();
  EXPECT_EQ(link_.NumFrames(), 1);
}

}  // namespace
