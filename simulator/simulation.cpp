#include "simulator/simulation.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace motionsim {

Simulation::Simulation(Mechanism mechanism, std::size_t valueBudget)
    : mechanism_(std::move(mechanism)) {
  // Each frame keeps its input values and six numbers per body.
  const std::size_t perFrame =
      std::max<std::size_t>(1, inputCount() + bodyCount() * (sizeof(BodyPose) / sizeof(double)));
  const std::size_t frames = std::max<std::size_t>(1, valueBudget / perFrame);
  const auto int32Max = static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max());
  frameLimit_ = static_cast<std::int32_t>(std::min(frames, int32Max) - 1);

  currentInputs_.reserve(inputCount());
  for (const InputSpec& input : mechanism_.inputs) {
    currentInputs_.push_back(input.initialValue);
  }
  computeNextFrame();
}

bool Simulation::goToFrame(std::int32_t frame) {
  if (frame < 0 || frame > frameLimit_) {
    return false;
  }
  while (numFrames_ <= frame) {
    computeNextFrame();
  }
  current_ = frame;
  return true;
}

bool Simulation::setInputValue(std::size_t input, double value) {
  if (input >= inputCount() || !std::isfinite(value)) {
    return false;
  }
  currentInputs_[input] = value;
  const std::int32_t next = current_ + 1;
  if (next < numFrames_ && frameInputs(next)[input] != value) {
    dropFramesAfter(current_);
  }
  return true;
}

std::span<const double> Simulation::frameInputs(std::int32_t frame) const {
  return std::span<const double>(inputHistory_)
      .subspan(static_cast<std::size_t>(frame) * inputCount(), inputCount());
}

std::span<const BodyPose> Simulation::framePoses(std::int32_t frame) const {
  return std::span<const BodyPose>(poseHistory_)
      .subspan(static_cast<std::size_t>(frame) * bodyCount(), bodyCount());
}

void Simulation::computeNextFrame() {
  const std::int32_t frame = numFrames_;
  inputHistory_.insert(inputHistory_.end(), currentInputs_.begin(), currentInputs_.end());
  poseHistory_.resize(poseHistory_.size() + bodyCount());
  std::span<BodyPose> poses =
      std::span<BodyPose>(poseHistory_)
          .subspan(static_cast<std::size_t>(frame) * bodyCount(), bodyCount());
  computePoses(mechanism_, timeOfFrame(frame), currentInputs_, scratch_, poses);
  ++numFrames_;
}

void Simulation::dropFramesAfter(std::int32_t frame) {
  numFrames_ = frame + 1;
  inputHistory_.resize(static_cast<std::size_t>(numFrames_) * inputCount());
  poseHistory_.resize(static_cast<std::size_t>(numFrames_) * bodyCount());
}

}  // namespace motionsim
