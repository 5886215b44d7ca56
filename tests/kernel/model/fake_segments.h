#pragma once
// Segment types of the tests, on the bare core (VelDriveSegImp) or on the automation segment
// (VelDriveSeg): they count their instances, so a test can tell that a drive released them.

#include "kernel/laws/basic_laws.h"
#include "kernel/model/segment_core.h"

inline int gFakesAlive = 0;

template <class Base>
class Fake : public Base {
 public:
  Fake(double z0 = 0, double f0 = 0) : Base(z0, f0) { ++gFakesAlive; }
  ~Fake() override { --gFakesAlive; }
};

// A straight line: knows its chord slope at both ends and zero curvature, compiles at once.
template <class Base = VelDriveSegImp>
class FakeLine : public Fake<Base> {
 public:
  using Fake<Base>::Fake;
  const char* typeName() override { return "Line"; }
  double value(ValueType c) override {
    if (c == vtFd0 || c == vtFd1) {
      const double dz = this->z1() - this->z0();
      return this->next() && dz != 0 ? (this->f1() - this->f0()) / dz : 0.0;
    }
    return c == vtFdd0 || c == vtFdd1 ? 0.0 : Base::value(c);
  }
  bool hasValue(ValueType c) override { return c != vtNone && c <= vtFdd1; }
  bool isKnownValue(ValueType c) override { return c >= vtFd0 && c <= vtFdd1; }
  int compile(int) override {
    if (!this->isCompiled()) this->setLaw(new kDrvLinear);
    return 0;
  }
};

// Never builds a law.
template <class Base = VelDriveSegImp>
class FakeStuck : public FakeLine<Base> {
 public:
  using FakeLine<Base>::FakeLine;
  int compile(int) override { return 1; }
};

// Takes f' and f'' at both ends from anyone and remembers value and source; knows only what
// it was given; compiles once it has both slopes.
class FakeJoint : public Fake<VelDriveSegImp> {
 public:
  using Fake::Fake;
  const char* typeName() override { return "Joint"; }
  double value(ValueType c) override {
    const int i = slot(c);
    return i >= 0 && src[i] != vsNone ? v[i] : VelDriveSegImp::value(c);
  }
  bool hasValue(ValueType c) override { return c != vtNone && c <= vtFdd1; }
  bool isKnownValue(ValueType c) override { return slot(c) >= 0 && src[slot(c)] != vsNone; }
  bool isVarValue(ValueType c, int s) override {
    return slot(c) >= 0 || VelDriveSegImp::isVarValue(c, s);
  }
  int setValue(ValueType c, int s, double x) override {
    const int i = slot(c);
    if (i < 0) return VelDriveSegImp::setValue(c, s, x);
    v[i] = x;
    src[i] = s;
    return 0;
  }
  int compile(int) override {
    if (!isCompiled() && src[0] != vsNone && src[1] != vsNone) setLaw(new kDrvLinear);
    return isCompiled() ? 0 : 1;
  }
  double v[4] = {};  // fd0, fd1, fdd0, fdd1
  int src[4] = {};

 private:
  static int slot(ValueType c) {
    static constexpr ValueType kSlots[4] = {vtFd0, vtFd1, vtFdd0, vtFdd1};
    for (int i = 0; i < 4; ++i)
      if (c == kSlots[i]) return i;
    return -1;
  }
};

// Takes its start slope from its predecessor and tells its end slope only once compiled, so
// each compile pass solves one more of a row of them.
class FakeRelay : public FakeJoint {
 public:
  using FakeJoint::FakeJoint;
  bool isKnownValue(ValueType c) override { return c == vtFd1 && isCompiled(); }
  bool isVarValue(ValueType c, int s) override {
    return c == vtFd0 || VelDriveSegImp::isVarValue(c, s);
  }
  int compile(int) override {
    if (!isCompiled() && src[0] != vsNone) setLaw(new kDrvLinear);
    return isCompiled() ? 0 : 1;
  }
  double value(ValueType c) override { return c == vtFd1 ? v[0] : FakeJoint::value(c); }
};
