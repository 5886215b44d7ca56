#include "kernel/laws/incl_sine.h"

#include <cmath>

#include "kernel/support/numeric.h"

using veldrive::kPi;

namespace {

constexpr double kTwoPi = 2.0 * kPi;
constexpr double kFourPiSq = 4.0 * kPi * kPi;
// Peak of f'·f'' = 2π·(1 − cos θ)·sin θ, reached at θ = 2π/3.
constexpr double kCmdyn = 8.16;

}  // namespace

FArr& kDrvInclSine::farr(double z, FArr& out) {
  const double s = std::sin(kTwoPi * z);
  const double k = std::cos(kTwoPi * z);
  // f = z − s/(2π), f' = 1 − k, f'' = 2π·s, f''' = 4π²·k
  out = {z - s / kTwoPi, 1.0 - k, kTwoPi * s, kFourPiSq * k};
  return out;
}

double kDrvInclSine::fdmin() { return 0.0; }
double kDrvInclSine::fddmin() { return -kTwoPi; }
double kDrvInclSine::fdddmin() { return -kFourPiSq; }
double kDrvInclSine::fdmax() { return 2.0; }
double kDrvInclSine::fddmax() { return kTwoPi; }
double kDrvInclSine::fdddmax() { return kFourPiSq; }

double kDrvInclSine::value(ValueType code) {
  switch (code) {
    case vtFd0:
    case vtFd1:
    case vtFdd0:
    case vtFdd1: return 0.0;
    case vtCa: return kTwoPi;
    case vtCv: return 2.0;
    case vtCj: return kFourPiSq;
    case vtCmdyn: return kCmdyn;
    default: return kBaseDrive::value(code);
  }
}
