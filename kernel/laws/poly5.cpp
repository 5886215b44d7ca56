#include "kernel/laws/poly5.h"

FArr& kDrvPoly5::farr(double z, FArr& out) {
  // The coefficients follow from the six boundary conditions; they are cheap enough to
  // derive on every evaluation, so the setters need not keep them up to date.
  // h = 1 − fd0 − 0.5·fdd0, g = fd1 − fd0 − fdd0, k = fdd1 − fdd0
  const double h = 1.0 - fd0_ - 0.5 * fdd0_;
  const double g = fd1_ - fd0_ - fdd0_;
  const double k = fdd1_ - fdd0_;
  // c1 = fd0, c2 = 0.5·fdd0, c3 = 10h − 4g + 0.5k, c4 = −15h + 7g − k, c5 = 6h − 3g + 0.5k
  const double c1 = fd0_;
  const double c2 = 0.5 * fdd0_;
  const double c3 = 10.0 * h - 4.0 * g + 0.5 * k;
  const double c4 = -15.0 * h + 7.0 * g - k;
  const double c5 = 6.0 * h - 3.0 * g + 0.5 * k;
  // f    = c1·z + c2·z² + c3·z³ + c4·z⁴ + c5·z⁵
  // f'   = c1 + 2c2·z + 3c3·z² + 4c4·z³ + 5c5·z⁴
  // f''  = 2c2 + 6c3·z + 12c4·z² + 20c5·z³
  // f''' = 6c3 + 24c4·z + 60c5·z²
  // (each evaluated in Horner form)
  out[0] = z * (c1 + z * (c2 + z * (c3 + z * (c4 + z * c5))));
  out[1] = c1 + z * (2.0 * c2 + z * (3.0 * c3 + z * (4.0 * c4 + z * 5.0 * c5)));
  out[2] = 2.0 * c2 + z * (6.0 * c3 + z * (12.0 * c4 + z * 20.0 * c5));
  out[3] = 6.0 * c3 + z * (24.0 * c4 + z * 60.0 * c5);
  return out;
}

double kDrvPoly5::value(ValueType code) {
  switch (code) {
    case vtFd0: return fd0_;
    case vtFd1: return fd1_;
    case vtFdd0: return fdd0_;
    case vtFdd1: return fdd1_;
    default: return kBaseDrive::value(code);
  }
}

int kDrvPoly5::setValue(ValueType code, double v) {
  switch (code) {
    case vtFd0: fd0_ = v; return kLawOk;
    case vtFd1: fd1_ = v; return kLawOk;
    case vtFdd0: fdd0_ = v; return kLawOk;
    case vtFdd1: fdd1_ = v; return kLawOk;
    default: return kBaseDrive::setValue(code, v);
  }
}
