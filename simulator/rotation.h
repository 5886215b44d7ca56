#pragma once
// Vectors, rotation matrices and the angle convention of the simulator: a body's rotation
// angles (rx, ry, rz) in radians stand for R = Rx(rx)·Ry(ry)·Rz(rz).

#include <array>

namespace motionsim {

constexpr double kPi = 3.141592653589793;

struct Vec3 {
  double x = 0.0;
  double y = 0.0;
  double z = 0.0;
};

// Row-major 3×3 matrix: m[row][column].
struct Mat3 {
  std::array<std::array<double, 3>, 3> m{{{1.0, 0.0, 0.0}, {0.0, 1.0, 0.0}, {0.0, 0.0, 1.0}}};
};

enum class Axis { X = 0, Y = 1, Z = 2 };

Vec3 operator+(const Vec3& a, const Vec3& b);
Vec3 operator*(const Mat3& r, const Vec3& v);
Mat3 operator*(const Mat3& a, const Mat3& b);
Mat3 transposed(const Mat3& r);

// Rotation by angle about one coordinate axis (right-handed).
Mat3 axisRotation(Axis axis, double angle);
// Unit vector along an axis.
Vec3 axisVector(Axis axis);
// R = Rx(rx)·Ry(ry)·Rz(rz).
Mat3 rotationXYZ(const Vec3& angles);
// Angles (rx, ry, rz) with rotationXYZ(angles) == r for a proper rotation r; ry lies in
// [-π/2, π/2], rx and rz in (-π, π]. At ry = ±π/2 only rx ± rz is fixed; rx is then 0.
Vec3 anglesXYZ(const Mat3& r);

}  // namespace motionsim
