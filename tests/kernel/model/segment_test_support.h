#pragma once
// Helpers for the segment-type tests: a hand-built chain of reference-counted segments, the
// dynamic type of a compiled law, and a check that a compiled curve joins its end points.

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "kernel/automation/vel_drive_seg.h"
#include "kernel/automation/vel_module.h"
#include "kernel/laws/derived_laws.h"
#include "kernel/model/seg_basic.h"
#include "platform/com/com_ptr.h"

// Segments of one test, each held by the chain; add() links it after the previous one. The
// destructor unlinks them before they go.
class SegChain {
 public:
  SegChain() = default;
  SegChain(const SegChain&) = delete;
  SegChain& operator=(const SegChain&) = delete;
  ~SegChain() {
    for (auto& s : segs_) s->setNext(nullptr), s->setPrev(nullptr);
  }

  // A new segment of type T from (z0, f0), linked after the last one.
  template <class T>
  T* add(double z0, double f0) {
    return adopt(new T(z0, f0), z0, f0);
  }
  // A segment made elsewhere (with no reference yet) placed at (z0, f0) and linked.
  template <class T>
  T* adopt(T* s, double z0, double f0) {
    s->setValue(vtZ0, vsExplicit, z0);
    s->setValue(vtF0, vsExplicit, f0);
    if (!segs_.empty()) {
      segs_.back()->setNext(s);
      s->setPrev(segs_.back().get());
    }
    segs_.emplace_back(s);
    return s;
  }

 private:
  std::vector<ComPtr<VelDriveSeg>> segs_;
};

// A segment of type T from (0, 0) to (2, 10), built in c.
template <class T>
T* rising(SegChain& c) {
  T* s = c.add<T>(0, 0);
  c.add<VelDriveSegLinear>(2, 10);
  return s;
}

// Checks that every automation object a test made was given back.
class SegmentTypeTest : public ::testing::Test {
 protected:
  void SetUp() override { startCount_ = velModule().objectCount.load(); }
  void TearDown() override {
    EXPECT_EQ(velModule().objectCount.load(), startCount_) << "an object was leaked";
  }

 private:
  long startCount_ = 0;
};

// The compiled law as L, or null when the segment holds none or another type.
template <class L>
const L* lawAs(VelDriveSegImp& s) {
  return dynamic_cast<const L*>(s.law());
}
// The law wrapped by a kDrvLambda or kDrvInverse that the segment holds, as L.
template <class Wrapper, class L>
const L* wrappedLawAs(VelDriveSegImp& s) {
  const Wrapper* w = lawAs<Wrapper>(s);
  return w ? dynamic_cast<const L*>(w->inner()) : nullptr;
}

inline FArr evalAt(VelDriveSegImp& s, double z) {
  FArr out{};
  return s.farr(z, out);
}

// A compiled segment runs from f0 at z0 to f1 at z1, finite in between.
inline void expectJoinsEndPoints(VelDriveSegImp& s, double tol = 1e-9) {
  ASSERT_TRUE(s.isCompiled());
  EXPECT_NEAR(evalAt(s, s.z0())[0], s.f0(), tol);
  EXPECT_NEAR(evalAt(s, s.z1())[0], s.f1(), tol);
  for (int i = 0; i <= 40; ++i) {
    const FArr v = evalAt(s, s.z0() + (s.z1() - s.z0()) * i / 40.0);
    for (double x : v) EXPECT_TRUE(std::isfinite(x)) << "at step " << i;
  }
}

// f, f', f'' sampled across the segment, to compare two compilations of it.
inline std::vector<double> sampleCurve(VelDriveSegImp& s) {
  std::vector<double> all;
  for (int i = 0; i <= 20; ++i) {
    const FArr v = evalAt(s, s.z0() + (s.z1() - s.z0()) * i / 20.0);
    all.insert(all.end(), v.begin(), v.begin() + 3);
  }
  return all;
}
