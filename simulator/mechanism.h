#pragma once
// A loaded mechanism: the time step, the inputs and the bodies. Bodies stand in an order
// where every parent comes before its children, so poses can be computed front to back.

#include <cstdint>
#include <string>
#include <vector>

#include "simulator/rotation.h"

namespace motionsim {

enum class JointKind { Fixed, Revolute, Prismatic };

// The joint between a body and its parent. Its coordinate (an angle in radians for a
// revolute joint, a length in metres for a prismatic one) at time t is
//   q(t) = constant + rate·t + gain·value(input)
// where the gain term is left out when no input drives the joint.
struct Joint {
  JointKind kind = JointKind::Fixed;
  Axis axis = Axis::Z;
  double constant = 0.0;
  double rate = 0.0;
  double gain = 0.0;
  int input = -1;  // position in Mechanism::inputs, -1 for none
};

struct InputSpec {
  std::int32_t id = 0;
  std::string name;
  double initialValue = 0.0;
};

// A body sits on its parent (or on the ground) at a fixed offset and fixed angles; its joint
// then turns it about, or slides it along, an axis of that offset frame.
struct BodySpec {
  std::int32_t id = 0;
  std::string name;
  int parent = -1;  // position in Mechanism::bodies, always lower than this body's; -1 = ground
  Vec3 offset;
  Vec3 angles;
  Joint joint;
};

struct Mechanism {
  double timeStep = 0.0;  // seconds per frame
  std::vector<InputSpec> inputs;
  std::vector<BodySpec> bodies;
};

}  // namespace motionsim
