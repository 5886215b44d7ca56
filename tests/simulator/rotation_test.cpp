#include "simulator/rotation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace motionsim {
namespace {

constexpr double kTol = 1e-12;

// The rows of Rx(a)·Ry(b)·Rz(c), multiplied out by hand.
Mat3 handRotation(double a, double b, double c) {
  const double ca = std::cos(a), sa = std::sin(a), cb = std::cos(b), sb = std::sin(b),
               cc = std::cos(c), sc = std::sin(c);
  Mat3 r;
  r.m = {{{cb * cc, -cb * sc, sb},
          {ca * sc + sa * sb * cc, ca * cc - sa * sb * sc, -sa * cb},
          {sa * sc - ca * sb * cc, sa * cc + ca * sb * sc, ca * cb}}};
  return r;
}

void expectMatrixNear(const Mat3& a, const Mat3& b, double tol) {
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) {
      EXPECT_NEAR(a.m[i][j], b.m[i][j], tol) << "entry " << i << "," << j;
    }
  }
}

TEST(Rotation, ComposesXThenYThenZOverAGridOfAngles) {
  for (double a = -3.0; a <= 3.0; a += 0.75) {
    for (double b = -3.0; b <= 3.0; b += 0.75) {
      for (double c = -3.0; c <= 3.0; c += 0.75) {
        expectMatrixNear(rotationXYZ({a, b, c}), handRotation(a, b, c), kTol);
      }
    }
  }
}

TEST(Rotation, AnglesRecoverTheRotationForRandomAngles) {
  std::mt19937 rng(20261206);
  std::uniform_real_distribution<double> anyAngle(-kPi, kPi);
  std::uniform_real_distribution<double> tilt(-kPi / 2 + 1e-3, kPi / 2 - 1e-3);
  for (int i = 0; i < 2000; ++i) {
    const Vec3 angles{anyAngle(rng), tilt(rng), anyAngle(rng)};
    const Vec3 back = anglesXYZ(rotationXYZ(angles));
    EXPECT_NEAR(back.x, angles.x, 1e-9);
    EXPECT_NEAR(back.y, angles.y, 1e-9);
    EXPECT_NEAR(back.z, angles.z, 1e-9);
  }
}

TEST(Rotation, AnglesAtGimbalLockStillReproduceTheRotation) {
  for (double b : {kPi / 2, -kPi / 2}) {
    for (double a = -2.0; a <= 2.0; a += 0.5) {
      const Mat3 r = handRotation(a, b, 0.3);
      const Vec3 back = anglesXYZ(r);
      EXPECT_EQ(back.x, 0.0);
      expectMatrixNear(rotationXYZ(back), r, 1e-9);
    }
  }
}

}  // namespace
}  // namespace motionsim
