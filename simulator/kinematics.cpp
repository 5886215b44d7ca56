#include "simulator/kinematics.h"

namespace motionsim {

Transform compose(const Transform& parent, const Transform& local) {
  // R = Rp·Rl, p = pp + Rp·pl
  return {parent.rotation * local.rotation, parent.position + parent.rotation * local.position};
}

double jointCoordinate(const Joint& joint, double time, std::span<const double> inputValues) {
  // q = constant + rate·t + gain·value(input)
  double q = joint.constant + joint.rate * time;
  if (joint.input >= 0 && static_cast<std::size_t>(joint.input) < inputValues.size()) {
    q += joint.gain * inputValues[static_cast<std::size_t>(joint.input)];
  }
  return q;
}

Transform localTransform(const BodySpec& body, double time, std::span<const double> inputValues) {
  Transform t{rotationXYZ(body.angles), body.offset};
  switch (body.joint.kind) {
    case JointKind::Fixed: break;
    case JointKind::Revolute:
      // R = R(angles)·Raxis(q)
      t.rotation = t.rotation *
                   axisRotation(body.joint.axis, jointCoordinate(body.joint, time, inputValues));
      break;
    case JointKind::Prismatic: {
      // p = offset + R(angles)·(q·e_axis)
      const double q = jointCoordinate(body.joint, time, inputValues);
      const Vec3 e = axisVector(body.joint.axis);
      t.position = t.position + t.rotation * Vec3{q * e.x, q * e.y, q * e.z};
      break;
    }
  }
  return t;
}

void computePoses(const Mechanism& mechanism, double time, std::span<const double> inputValues,
                  std::vector<Transform>& scratch, std::span<BodyPose> poses) {
  const std::size_t n = mechanism.bodies.size();
  scratch.resize(n);
  for (std::size_t i = 0; i < n && i < poses.size(); ++i) {
    const BodySpec& body = mechanism.bodies[i];
    const Transform local = localTransform(body, time, inputValues);
    // Parents stand before their children, so scratch[parent] is already the world transform.
    scratch[i] = body.parent >= 0 && static_cast<std::size_t>(body.parent) < i
                     ? compose(scratch[static_cast<std::size_t>(body.parent)], local)
                     : local;
    poses[i] = {scratch[i].position, anglesXYZ(scratch[i].rotation)};
  }
}

}  // namespace motionsim
