#pragma once
// kBaseDrive: the interface of every normalised motion law on the unit square.

#include "kernel/laws/law_types.h"

class kBaseDrive {
 public:
  virtual ~kBaseDrive() = default;

  // Evaluates f, f', f'', f''' at z. The base leaves out unchanged.
  virtual FArr& farr(double z, FArr& out);

  virtual double fmin();
  virtual double fdmin();
  virtual double fddmin();
  virtual double fdddmin();
  virtual double fmax();
  virtual double fdmax();
  virtual double fddmax();
  virtual double fdddmax();

  virtual double z0();
  virtual double z1();
  virtual double f0();
  virtual double f1();

  // Base: lambda 0.5, everything else 0.0.
  virtual double value(ValueType code);
  // Base: ignores the call and returns 0.
  virtual int setValue(ValueType code, double v);

 protected:
  kBaseDrive() = default;
  kBaseDrive(const kBaseDrive&) = default;
  kBaseDrive& operator=(const kBaseDrive&) = default;

  // Sampled extremum of derivative `index` (1..3) over z = 0, 0.05, ..., 1.0.
  double sampledExtreme(int index, bool wantMax);
};
