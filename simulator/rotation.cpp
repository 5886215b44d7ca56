#include "simulator/rotation.h"

#include <cmath>

namespace motionsim {

Vec3 operator+(const Vec3& a, const Vec3& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }

Vec3 operator*(const Mat3& r, const Vec3& v) {
  const auto& m = r.m;
  return {m[0][0] * v.x + m[0][1] * v.y + m[0][2] * v.z,
          m[1][0] * v.x + m[1][1] * v.y + m[1][2] * v.z,
          m[2][0] * v.x + m[2][1] * v.y + m[2][2] * v.z};
}

Mat3 operator*(const Mat3& a, const Mat3& b) {
  Mat3 c;
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) {
      c.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j];
    }
  }
  return c;
}

Mat3 transposed(const Mat3& r) {
  Mat3 t;
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) {
      t.m[i][j] = r.m[j][i];
    }
  }
  return t;
}

Mat3 axisRotation(Axis axis, double angle) {
  const double c = std::cos(angle);
  const double s = std::sin(angle);
  Mat3 r;
  switch (axis) {
    case Axis::X:  // rows (1, 0, 0), (0, c, -s), (0, s, c)
      r.m = {{{1.0, 0.0, 0.0}, {0.0, c, -s}, {0.0, s, c}}};
      break;
    case Axis::Y:  // rows (c, 0, s), (0, 1, 0), (-s, 0, c)
      r.m = {{{c, 0.0, s}, {0.0, 1.0, 0.0}, {-s, 0.0, c}}};
      break;
    case Axis::Z:  // rows (c, -s, 0), (s, c, 0), (0, 0, 1)
      r.m = {{{c, -s, 0.0}, {s, c, 0.0}, {0.0, 0.0, 1.0}}};
      break;
  }
  return r;
}

Vec3 axisVector(Axis axis) {
  switch (axis) {
    case Axis::X: return {1.0, 0.0, 0.0};
    case Axis::Y: return {0.0, 1.0, 0.0};
    case Axis::Z: break;
  }
  return {0.0, 0.0, 1.0};
}

Mat3 rotationXYZ(const Vec3& angles) {
  return axisRotation(Axis::X, angles.x) * axisRotation(Axis::Y, angles.y) *
         axisRotation(Axis::Z, angles.z);
}

Vec3 anglesXYZ(const Mat3& r) {
  // R = Rx(α)·Ry(β)·Rz(γ) has the rows
  //   (cβcγ, -cβsγ, sβ), (cαsγ + sαsβcγ, cαcγ - sαsβsγ, -sαcβ), (sαsγ - cαsβcγ, sαcγ + cαsβsγ,
  //   cαcβ)
  const auto& m = r.m;
  // cβ = hypot(R11, R12); β = atan2(R13, cβ), well conditioned also near β = ±π/2
  const double cosBeta = std::hypot(m[0][0], m[0][1]);
  const double beta = std::atan2(m[0][2], cosBeta);
  constexpr double kGimbalLimit = 1e-12;
  if (cosBeta > kGimbalLimit) {
    // α = atan2(-R23, R33), γ = atan2(-R12, R11)
    return {std::atan2(-m[1][2], m[2][2]), beta, std::atan2(-m[0][1], m[0][0])};
  }
  // Gimbal lock: with α = 0 the second row is (sγ, cγ, 0), so γ = atan2(R21, R22).
  return {0.0, beta, std::atan2(m[1][0], m[1][1])};
}

}  // namespace motionsim
