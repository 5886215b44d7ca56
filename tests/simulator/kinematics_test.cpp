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

// The roller's position in the plate's frame, X = R11·dx + R21·dy + R31·dz and so on, with
// the plate's rows of R = Rx(α)·Ry(β)·Rz(γ) written out.
Vec3 relativePoint(const BodyPose& plate, const BodyPose& roller) {
  const double ca = std::cos(plate.angles.x), sa = std::sin(plate.angles.x);
  const double cb = std::cos(plate.angles.y), sb = std::sin(plate.angles.y);
  const double cc = std::cos(plate.angles.z), sc = std::sin(plate.angles.z);
  const double r11 = cb * cc, r12 = -cb * sc, r13 = sb;
  const double r21 = ca * sc + sa * sb * cc, r22 = ca * cc - sa * sb * sc, r23 = -sa * cb;
  const double r31 = sa * sc - ca * sb * cc, r32 = sa * cc + ca * sb * sc, r33 = ca * cb;
  const double dx = roller.position.x - plate.position.x;
  const double dy = roller.position.y - plate.position.y;
  const double dz = roller.position.z - plate.position.z;
  return {r11 * dx + r21 * dy + r31 * dz, r12 * dx + r22 * dy + r32 * dz,
          r13 * dx + r23 * dy + r33 * dz};
}

TEST(Kinematics, FixedBodyOnGroundStandsAtItsOffsetAndAngles) {
  Mechanism m;
  m.bodies = {body(-1, {1, 2, 3}, {0.1, -0.2, 0.3})};
  const BodyPose p = posesOf(m, 5.0)[0];
  expectVecNear(p.position, {1, 2, 3}, kTol);
  expectVecNear(p.angles, {0.1, -0.2, 0.3}, kTol);
}

TEST(Kinematics, ChildOffsetTurnsWithItsParent) {
  // Parent turned 90° about z: the child's offset (1, 0, 0) points along world y.
  Mechanism m;
  m.bodies = {body(-1, {0, 0, 0}, {0, 0, kPi / 2}), body(0, {1, 0, 0}, {0, 0, 0})};
  const auto poses = posesOf(m, 0.0);
  expectVecNear(poses[1].position, {0, 1, 0}, kTol);
  expectVecNear(poses[1].angles, {0, 0, kPi / 2}, kTol);
}

TEST(Kinematics, RevoluteJointTurnsByConstantPlusRateTimesTime) {
  Joint j{JointKind::Revolute, Axis::Z, 0.1, kPi, 0.0, -1};
  Mechanism m;
  m.bodies = {body(-1, {0, 0, 0}, {0, 0, 0}, j), body(0, {2, 0, 0}, {0, 0, 0})};
  // t = 0.25 s: q = 0.1 + π/4
  const auto poses = posesOf(m, 0.25);
  const double q = 0.1 + kPi / 4;
  EXPECT_NEAR(poses[0].angles.z, q, kTol);
  expectVecNear(poses[1].position, {2 * std::cos(q), 2 * std::sin(q), 0}, kTol);
}

TEST(Kinematics, PrismaticJointSlidesByGainTimesInputAlongItsOffsetAxis) {
  // Offset frame turned 90° about x: its y axis is world z.
  Joint j{JointKind::Prismatic, Axis::Y, 0.05, 0.0, 0.001, 0};
  Mechanism m;
  m.bodies = {body(-1, {1, 0, 0}, {kPi / 2, 0, 0}, j)};
  const auto poses = posesOf(m, 3.0, {20.0});
  // 0.05 + 0.001·20 = 0.07 along world z
  expectVecNear(poses[0].position, {1, 0, 0.07}, kTol);
  expectVecNear(poses[0].angles, {kPi / 2, 0, 0}, kTol);
}

TEST(Kinematics, PlateTurnedAboutXSeesRollerAlongWorldYAtMinusZ) {
  Mechanism m;
  m.bodies = {body(-1, {0, 0, 0}, {kPi / 2, 0, 0}), body(-1, {0, 1, 0}, {0, 0, 0})};
  const auto poses = posesOf(m, 0.0);
  expectVecNear(relativePoint(poses[0], poses[1]), {0, 0, -1}, kTol);
}

TEST(Kinematics, ReportedPosesMatchNestedTransformsOfRandomChains) {
  // A chain of four bodies with random offsets, angles and joints: each reported pose must
  // equal the transform built by applying the links one after the other, child first.
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
