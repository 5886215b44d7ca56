#pragma once
// The running simulation of one mechanism: the frames computed so far, the frame it stands
// at, and the inputs' current values.
//
// Frame 0 is the start (time 0, initial input values) and is computed on construction.
// Frame n lies at time n·step. Every computed frame is kept with the input values it was
// computed with and the poses of all bodies, so moving back and forth replays the history.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "simulator/kinematics.h"
#include "simulator/mechanism.h"

namespace motionsim {

class Simulation {
 public:
  // Doubles the frame history may hold (512 MiB); it bounds frameLimit().
  static constexpr std::size_t kDefaultValueBudget = std::size_t{64} * 1024 * 1024;

  explicit Simulation(Mechanism mechanism, std::size_t valueBudget = kDefaultValueBudget);

  const Mechanism& mechanism() const { return mechanism_; }
  std::size_t inputCount() const { return mechanism_.inputs.size(); }
  std::size_t bodyCount() const { return mechanism_.bodies.size(); }

  // Frames held, frame 0 included (so at least 1).
  std::int32_t numFrames() const { return numFrames_; }
  std::int32_t currentFrame() const { return current_; }
  // t = frame · step
  double timeOfFrame(std::int32_t frame) const { return frame * mechanism_.timeStep; }
  double currentTime() const { return timeOfFrame(current_); }
  // Largest frame number the history can hold.
  std::int32_t frameLimit() const { return frameLimit_; }

  // Stands at frame n. Frames beyond the last held one are computed first, each with the
  // inputs' current values; held frames are not recomputed. False (and nothing changes)
  // when n is negative or beyond frameLimit().
  bool goToFrame(std::int32_t frame);

  // Gives an input its value for the frames computed from now on. If the frame after the
  // current one is held but was computed with a different value of this input, that frame
  // and all later ones are dropped: they no longer follow from the inputs. False (nothing
  // changes) for a position out of range or a value that is not finite.
  bool setInputValue(std::size_t input, double value);
  double inputValue(std::size_t input) const { return currentInputs_[input]; }

  // The history of one held frame (0 ≤ frame < numFrames()).
  std::span<const double> frameInputs(std::int32_t frame) const;
  std::span<const BodyPose> framePoses(std::int32_t frame) const;
  // A body's pose at the current frame.
  const BodyPose& bodyPose(std::size_t body) const { return framePoses(current_)[body]; }

 private:
  void computeNextFrame();
  void dropFramesAfter(std::int32_t frame);

  Mechanism mechanism_;
  std::int32_t frameLimit_ = 0;
  std::int32_t numFrames_ = 0;
  std::int32_t current_ = 0;
  std::vector<double> currentInputs_;
  std::vector<double> inputHistory_;   // numFrames_ × inputCount()
  std::vector<BodyPose> poseHistory_;  // numFrames_ × bodyCount()
  std::vector<Transform> scratch_;
};

}  // namespace motionsim
