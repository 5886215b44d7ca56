#include "kernel/laws/base_drive.h"

#include "kernel/support/numeric.h"

using veldrive::kDoubleMax;

FArr& kBaseDrive::farr(double, FArr& out) { return out; }

double kBaseDrive::fmin() { return 0.0; }
double kBaseDrive::fdmin() { return sampledExtreme(1, false); }
double kBaseDrive::fddmin() { return sampledExtreme(2, false); }
double kBaseDrive::fdddmin() { return sampledExtreme(3, false); }
double kBaseDrive::fmax() { return 1.0; }
double kBaseDrive::fdmax() { return sampledExtreme(1, true); }
double kBaseDrive::fddmax() { return sampledExtreme(2, true); }
double kBaseDrive::fdddmax() { return sampledExtreme(3, true); }

double kBaseDrive::z0() { return 0.0; }
double kBaseDrive::z1() { return 1.0; }
double kBaseDrive::f0() { return 0.0; }
double kBaseDrive::f1() { return 1.0; }

double kBaseDrive::value(ValueType code) { return code == vtLambda ? 0.5 : 0.0; }

int kBaseDrive::setValue(ValueType, double) { return kLawOk; }

// The step accumulates in double arithmetic; the bound 1.001 keeps the sample at 1.0
// despite the rounding, giving the 21 samples 0, 0.05, ..., 1.0. A sample replaces the
// running extreme only when strictly beyond it.
double kBaseDrive::sampledExtreme(int index, bool wantMax) {
  double m = wantMax ? -kDoubleMax : kDoubleMax;
  FArr tmp{};
  for (double z = 0.0; z <= 1.001; z += 0.05) {
    const double v = farr(z, tmp)[index];
    if (wantMax ? v > m : v < m) m = v;
  }
  return m;
}
