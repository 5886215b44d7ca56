#include "kernel/laws/basic_laws.h"

// ---- kDrvLinear

FArr& kDrvLinear::farr(double z, FArr& out) {
  // f = z, f' = 1, f'' = f''' = 0
  out = {z, 1.0, 0.0, 0.0};
  return out;
}

double kDrvLinear::fdmin() { return 1.0; }
double kDrvLinear::fddmin() { return 0.0; }
double kDrvLinear::fdddmin() { return 0.0; }
double kDrvLinear::fdmax() { return 1.0; }
double kDrvLinear::fddmax() { return 0.0; }
double kDrvLinear::fdddmax() { return 0.0; }

double kDrvLinear::value(ValueType code) {
  switch (code) {
    case vtFd0:
    case vtFd1: return 1.0;
    case vtFdd0:
    case vtFdd1: return 0.0;
    default: return kBaseDrive::value(code);
  }
}

// ---- kDrvQuadParab

namespace {

// z <= 0.5: f = 2z², f' = 4z, f'' = 4
FArr& accelerating(double z, FArr& out) {
  out = {2.0 * z * z, 4.0 * z, 4.0, 0.0};
  return out;
}

// z > 0.5: f = 1 − 2(z − 1)², f' = −4(z − 1), f'' = −4
FArr& decelerating(double z, FArr& out) {
  const double u = z - 1.0;
  out = {1.0 - 2.0 * u * u, -4.0 * u, -4.0, 0.0};
  return out;
}

}  // namespace

FArr& kDrvQuadParab::farr(double z, FArr& out) {
  return z <= 0.5 ? accelerating(z, out) : decelerating(z, out);
}

double kDrvQuadParab::fdmin() { return 0.0; }
double kDrvQuadParab::fddmin() { return -4.0; }
double kDrvQuadParab::fdddmin() { return 0.0; }
double kDrvQuadParab::fdmax() { return 2.0; }
double kDrvQuadParab::fddmax() { return 4.0; }
double kDrvQuadParab::fdddmax() { return 0.0; }

double kDrvQuadParab::value(ValueType code) {
  switch (code) {
    case vtFd0:
    case vtFd1: return 0.0;
    case vtFdd0: return 4.0;
    case vtFdd1: return -4.0;
    default: return kBaseDrive::value(code);
  }
}
