#pragma once
// Numeric constants and tolerance tests shared by the whole kernel.

namespace veldrive {

constexpr double kPi = 3.141592653589793;
// |x| at or below this is treated as zero (the double's machine epsilon).
constexpr double kIsZeroLimit = 2.220446049250313e-16;
// |x| at or below this is "small" (the float's machine epsilon).
constexpr double kIsSmallLimit = 1.1920928955078125e-7;
// Largest finite double; start of a running minimum.
constexpr double kDoubleMax = 1.7976931348623157e308;

constexpr double absValue(double x) { return x < 0.0 ? -x : x; }
constexpr bool isZero(double x) { return absValue(x) <= kIsZeroLimit; }
constexpr bool isSmall(double x) { return absValue(x) <= kIsSmallLimit; }

}  // namespace veldrive
