#include "simulator/kinematics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

namespace motionsim {
namespace {

constexpr double kTol = 1e-12;

BodySpec body(int parent, Vec3 offset, Vec3 angles, Joint joint = {}) {
  BodySpec b;
  b.parent = parent;
  b.offset = offset;
  b.angles = angles;
  b.joint = joint;
  return b;
}

std::vector<BodyPose> posesOf(const Mechanism& m, double t, std::vector<double> inputs = {}) {
  std::vector<BodyPose> poses(m.bodies.size());
  std::vector<Transform> scratch;
  computePoses(m, t, inputs, scratch, poses);
  return poses;
}

void expectVecNear(const Vec3& a, const Vec3& b, double tol) {
  EXPECT_NEAR(a.x, b.x, tol);
  EXPECT_NEAR(a.y, b.y, tol);
  EXPECT_NEAR(a.z, b.z, tol);
}

TEST(Kinematics, ReportedPosesMatchNestedTransformsOfRandomChains) {
  // A chain of four bodies with random offsets, angles and joints (fixed, revolute and
  // prismatic, driven by time and by input 0): each reported pose must equal the transform
  // built by applying the links one after the other, child first.
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> u(-2.0, 2.0);
  for (int trial = 0; trial < 200; ++trial) {
    Mechanism m;
    for (int i = 0; i < 4; ++i) {
      Joint j;
      j.kind = static_cast<JointKind>(trial % 3);
      j.axis = static_cast<Axis>((trial + i) % 3);
      if (j.kind != JointKind::Fixed) {
        j.constant = u(rng);
        j.rate = u(rng);
        j.gain = u(rng);
        j.input = 0;
      }
      m.bodies.push_back(body(i - 1, {u(rng), u(rng), u(rng)}, {u(rng), u(rng), u(rng)}, j));
    }
    const double t = std::abs(u(rng));
    const double value = u(rng);
    const auto poses = posesOf(m, t, {value});
    // A point p on body 3 lands at world = L0(L1(L2(L3(p)))) with Li(p) = oi + Ri·Ji(p).
    const Vec3 p{0.3, -0.7, 1.1};
    Vec3 world = p;
    Mat3 rotation;
    for (int i = 3; i >= 0; --i) {
      const BodySpec& b = m.bodies[static_cast<std::size_t>(i)];
      const double q = b.joint.constant + b.joint.rate * t + b.joint.gain * value;
      Mat3 jointTurn;
      Vec3 jointSlide;
      if (b.joint.kind == JointKind::Revolute) jointTurn = axisRotation(b.joint.axis, q);
      if (b.joint.kind == JointKind::Prismatic) {
        const Vec3 e = axisVector(b.joint.axis);
        jointSlide = {q * e.x, q * e.y, q * e.z};
      }
      const Mat3 r = rotationXYZ(b.angles);
      world = b.offset + r * (jointSlide + jointTurn * world);
      rotation = r * jointTurn * rotation;
    }
    const BodyPose& last = poses[3];
    const Vec3 reported = last.position + rotationXYZ(last.angles) * p;
    expectVecNear(reported, world, 1e-9);
    const Mat3 reportedRotation = rotationXYZ(last.angles);
    for (int i = 0; i < 3; ++i) {
      for (int k = 0; k < 3; ++k) EXPECT_NEAR(reportedRotation.m[i][k], rotation.m[i][k], 1e-9);
    }
  }
}

}  // namespace
}  // namespace motionsim
