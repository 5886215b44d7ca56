#pragma once
// World poses of a mechanism's bodies at one time with one set of input values.

#include <span>
#include <vector>

#include "simulator/mechanism.h"

namespace motionsim {

// What a body reports: world position of its origin (metres) and its world rotation as
// angles (radians) with R = Rx(rx)·Ry(ry)·Rz(rz).
struct BodyPose {
  Vec3 position;
  Vec3 angles;
};

// A rigid transform: a point p of the body frame lies at position + rotation·p.
struct Transform {
  Mat3 rotation;
  Vec3 position;
};

// parent ∘ local: rotation = Rp·Rl, position = pp + Rp·pl.
Transform compose(const Transform& parent, const Transform& local);

// The joint coordinate q = constant + rate·t + gain·value(input).
double jointCoordinate(const Joint& joint, double time, std::span<const double> inputValues);

// The body's transform relative to its parent: the fixed offset and angles, then the joint
// (a turn by q about its axis, or a slide by q along it, in the offset frame).
Transform localTransform(const BodySpec& body, double time, std::span<const double> inputValues);

// Computes every body's pose at time t. inputValues holds one value per input; scratch is
// reused between calls to avoid allocation; poses receives one pose per body.
void computePoses(const Mechanism& mechanism, double time, std::span<const double> inputValues,
                  std::vector<Transform>& scratch, std::span<BodyPose> poses);

}  // namespace motionsim
