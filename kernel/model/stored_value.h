#pragma once
// A value that a segment type stores beside the core: the number and who set it.

#include "kernel/laws/law_types.h"
#include "kernel/support/numeric.h"

struct StoredValue {
  double value = 0.0;
  int source = vsNone;

  // Set by anyone (a default that counts as set included).
  bool isSet() const { return source != vsNone; }
  // Ranked setting: a value may be replaced from a source at least as high as its own
  // (None < Default < Derived < Explicit), so a derived value never overwrites an explicit
  // one. Sources outside the ranking are refused.
  bool canSet(int from) const { return from >= source && from >= vsNone && from <= vsExplicit; }
  void set(double v, int from) {
    value = v;
    source = from;
  }
  // Forgets who set the value; the number stays.
  void clear() { source = vsNone; }
  // The stored number while set, otherwise the given fallback.
  double valueOr(double fallback) const { return isSet() ? value : fallback; }
  // |value| ≤ 2.220446049250313e-16
  bool isZeroValue() const { return veldrive::isZero(value); }
  // Set and zero.
  bool isSetZero() const { return isSet() && isZeroValue(); }
  // Set and not zero.
  bool isSetNonZero() const { return isSet() && !isZeroValue(); }
};

// Values that only the client may set: from the source Explicit alone.
inline bool isExplicitSource(int from) { return from == vsExplicit; }

// Stores one of a group of mutually exclusive settings and forgets who set the others (their
// numbers stay).
template <class... Others>
void setExclusive(StoredValue& chosen, double v, int from, Others&... others) {
  chosen.set(v, from);
  (others.clear(), ...);
}

// A derivative at one end of a reversal law: known when set at this end, or when the same
// derivative is set and non-zero at the opposite end — the reversal lies there, and this end
// rests (the derivative is 0).
inline bool isKnownOppositeReversal(const StoredValue& own, const StoredValue& opposite) {
  return own.isSet() || opposite.isSetNonZero();
}
