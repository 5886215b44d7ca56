#include "kernel/model/drive_core.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "kernel/laws/basic_laws.h"
#include "kernel/model/segment_format.h"
#include "kernel/model/value_names.h"
#include "tests/kernel/support/error_capture.h"
#include "tests/kernel/support/trace_capture.h"

namespace {

constexpr double kTol = 1e-12;

// Test segment types on the bare core; the drive owns and deletes them.
struct Counters {
  int alive = 0;
  int compileCalls = 0;
};
Counters gCount;

class TestSeg : public VelDriveSegImp {
 public:
  TestSeg(double z0, double f0) : VelDriveSegImp(z0, f0) { ++gCount.alive; }
  ~TestSeg() override { --gCount.alive; }
};

// A straight line: knows its chord slope at both ends and zero curvature, compiles at once.
class Line : public TestSeg {
 public:
  using TestSeg::TestSeg;
  const char* typeName() override { return "Line"; }
  double value(ValueType code) override {
    switch (code) {
      case vtFd0:
      case vtFd1: return next() && z1() != z0() ? (f1() - f0()) / (z1() - z0()) : 0.0;
      case vtFdd0:
      case vtFdd1: return 0.0;
      default: return VelDriveSegImp::value(code);
    }
  }
  bool hasValue(ValueType c) override { return c <= vtFdd1; }
  bool isKnownValue(ValueType c) override { return c >= vtFd0 && c <= vtFdd1; }
  int compile(int) override {
    ++gCount.compileCalls;
    if (!isCompiled()) setLaw(new kDrvLinear);
    return 0;
  }
};

// Takes f' and f'' at both ends from anyone; knows what it was given; compiles once it has
// both slopes (curvatures are optional).
class Joint : public TestSeg {
 public:
  using TestSeg::TestSeg;
  const char* typeName() override { return "Joint"; }
  double value(ValueType c) override {
    const int i = slot(c);
    return i >= 0 && src[i] != vsNone ? v[i] : VelDriveSegImp::value(c);
  }
  bool hasValue(ValueType c) override { return c <= vtFdd1; }
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
    ++gCount.compileCalls;
    if (!isCompiled() && src[0] != vsNone && src[1] != vsNone) setLaw(new kDrvLinear);
    return isCompiled() ? 0 : 1;
  }
  double v[4] = {};
  int src[4] = {};

 private:
  static int slot(ValueType c) {
    static constexpr ValueType kSlots[4] = {vtFd0, vtFd1, vtFdd0, vtFdd1};
    for (int i = 0; i < 4; ++i)
      if (c == kSlots[i]) return i;
    return -1;
  }
};

// Learns its start slope from its predecessor and tells its end slope only once compiled,
// so each pass of a compile solves one more of a row of them.
class Relay : public Joint {
 public:
  using Joint::Joint;
  const char* typeName() override { return "Relay"; }
  bool isKnownValue(ValueType c) override { return c == vtFd1 && isCompiled(); }
  bool isVarValue(ValueType c, int s) override {
    return c == vtFd0 || VelDriveSegImp::isVarValue(c, s);
  }
  int compile(int) override {
    ++gCount.compileCalls;
    if (!isCompiled() && src[0] != vsNone) setLaw(new kDrvLinear);
    return isCompiled() ? 0 : 1;
  }
  double value(ValueType c) override { return c == vtFd1 ? v[0] : Joint::value(c); }
};

// Never builds a law.
class Stuck : public TestSeg {
 public:
  using TestSeg::TestSeg;
  const char* typeName() override { return "Stuck"; }
  int compile(int) override {
    ++gCount.compileCalls;
    return 1;
  }
};

IVelDriveSegImp* createTestSegment(const char* type) {
  const std::string t = type;
  if (t == "Line") return new Line(0, 0);
  if (t == "Joint") return new Joint(0, 0);
  return nullptr;
}

class DriveCoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gCount = {};
    // Trace lines go to standard output: no debug monitor listens on this channel name.
    setenv("KINETRA_DBWIN_PREFIX", ("drive_core_test_" + std::to_string(getpid())).c_str(), 1);
  }
  void TearDown() override { EXPECT_EQ(gCount.alive, 0) << "a segment was not released"; }

  // The trace lines that fn writes.
  template <class Fn>
  static std::string traced(Fn fn) {
    return TraceCapture::during(fn);
  }
  static std::vector<double> chainZ0(VelDriveImp& d) {
    std::vector<double> z;
    for (IVelDriveSegImp* s = d.head(); s; s = s->next()) z.push_back(s->z0());
    return z;
  }
  static bool linksConsistent(VelDriveImp& d) {
    if (d.head() && d.head()->prev()) return false;
    for (IVelDriveSegImp* s = d.head(); s; s = s->next())
      if (s->next() && s->next()->prev() != s) return false;
    return true;
  }
  ErrorCapture errors_;
};

// ---- chain

TEST_F(DriveCoreTest, InvalidInsertAndForeignRemoveAreReportedAndChangeNothing) {
  VelDriveImp d, other;
  auto* a = new Line(0, 0);
  d.insert(a);
  EXPECT_EQ(d.insert(nullptr), 1);
  Line outsider(3, 0);
  EXPECT_EQ(d.remove(&outsider), 2);
  EXPECT_EQ(d.remove(nullptr), 2);
  EXPECT_EQ(other.remove(a), 2);  // a member of another drive is no member of this one
  EXPECT_EQ(errors_.messages(),
            (std::vector<std::string>{
                "Attempt to insert invalid drive segment.", "segment is no member of drive.",
                "segment is no member of drive.", "segment is no member of drive."}));
  EXPECT_EQ(d.head(), a);
}

// Fault mended: a segment linked a second time closed a cycle (every walk hung) or cut
// another drive's chain; a drive linked as a segment hid the segments behind it.
TEST_F(DriveCoreTest, SegmentAlreadyInAChainOrADriveIsRefused) {
  VelDriveImp d, other;
  auto* a = new Line(0, 0);
  auto* b = new Line(1, 0);
  d.insert(a);
  d.insert(b);
  EXPECT_EQ(d.insert(a), 1);
  EXPECT_EQ(other.insert(b), 1);
  VelDriveImp inner;
  EXPECT_EQ(d.insert(&inner), 1);
  EXPECT_EQ(d.insert(&d), 1);
  EXPECT_EQ(errors_.messages().size(), 4u);
  EXPECT_EQ(chainZ0(d), (std::vector<double>{0, 1}));
  EXPECT_EQ(other.head(), nullptr);
}

// Appending behind the tail skips the walk while the chain is in order; mixed with
// insertions in front, removals and clients moving linked segments out of order, the chain
// must still be the one the walk from the head builds.
TEST_F(DriveCoreTest, InsertionMatchesTheWalkFromTheHeadWhateverTheOrder) {
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> action(0, 9), small(0, 6);
  // Ties: equal to the head goes second, equal to a later one goes before it.
  for (int trial = 0; trial < 50; ++trial) {
    VelDriveImp d;
    std::vector<IVelDriveSegImp*> model;  // the chain as the plain walk builds it
    for (int step = 0; step < 60; ++step) {
      const int a = action(rng);
      if (a < 6 || model.empty()) {
        auto* seg = new Line(small(rng) + (a < 4 ? step : 0), 0.0);
        const double z = seg->z0();
        std::size_t at = 0;
        if (!model.empty() && !(z < model[0]->z0())) {
          at = 1;
          while (at < model.size() && z > model[at]->z0()) ++at;
        }
        model.insert(model.begin() + static_cast<long>(at), seg);
        ASSERT_EQ(d.insert(seg), 0);
      } else if (a < 8) {
        const std::size_t k = static_cast<std::size_t>(small(rng)) % model.size();
        IVelDriveSegImp* gone = model[k];
        model.erase(model.begin() + static_cast<long>(k));
        ASSERT_EQ(d.remove(gone), 0);
      } else {
        model[static_cast<std::size_t>(small(rng)) % model.size()]->setValue(vtZ0, vsExplicit,
                                                                             small(rng) * 10.0);
      }
      std::vector<IVelDriveSegImp*> chain;
      for (IVelDriveSegImp* s = d.head(); s; s = s->next()) chain.push_back(s);
      ASSERT_EQ(chain, model) << "trial " << trial << " step " << step;
      ASSERT_EQ(d.tail(), model.empty() ? nullptr : model.back());
      ASSERT_TRUE(linksConsistent(d));
    }
  }
}

// Fault mended: a removed segment kept its links into the chain, which dangled once the
// drive let go of the other segments.
TEST_F(DriveCoreTest, RemovedSegmentForgetsItsLinksAndCanBeInsertedAgain) {
  // A drive that leaves removed segments to the caller.
  struct KeepingDrive : VelDriveImp {
    void onRemove(IVelDriveSegImp*) override {}
  };
  VelDriveImp d;
  auto* kept = new Line(1, 0);
  {
    KeepingDrive first;
    first.insert(new Line(0, 0));
    first.insert(kept);
    first.insert(new Line(2, 0));
    EXPECT_EQ(first.remove(kept), 0);
    EXPECT_EQ(kept->next(), nullptr);
    EXPECT_EQ(kept->prev(), nullptr);
    EXPECT_EQ(first.head()->next()->z0(), 2.0);
  }
  EXPECT_EQ(gCount.alive, 1);
  EXPECT_EQ(d.insert(kept), 0);
  EXPECT_EQ(d.head(), kept);
  EXPECT_TRUE(errors_.messages().empty());
}

TEST_F(DriveCoreTest, NameIsCopiedAndSelfAssignmentKeepsIt) {
  char text[] = "Hub";
  VelDriveImp d(text);
  text[0] = 'X';
  EXPECT_STREQ(d.name(), "Hub");
  d.setName(d.name() + 1);  // a part of the held text
  EXPECT_STREQ(d.name(), "ub");
  d.setName(nullptr);
  EXPECT_EQ(d.name(), nullptr);
}

TEST_F(DriveCoreTest, EmptyDriveAnswersZerosAndOpenExtremes) {
  VelDriveImp d;
  EXPECT_EQ(d.z1(), 0.0);
  EXPECT_EQ(d.value(vtFd0), 0.0);
  EXPECT_EQ(d.fmin(), 1.7976931348623157e+308);
  EXPECT_EQ(d.fdddmax(), -1.7976931348623157e+308);
  EXPECT_EQ(d.compile(vsDerived), 0);
  FArr out{1, 2, 3, 4};
  EXPECT_EQ(d.farr(0.0, out), (FArr{0, 0, 0, 0}));
}

TEST_F(DriveCoreTest, DriveAsSegmentAnswersItsEndsAndRefusesValues) {
  VelDriveImp d;
  d.insert(new Line(0, 1));
  d.insert(new Line(2, 11));
  d.insert(new Line(4, 5));
  EXPECT_EQ(d.value(vtZ1), 4.0);
  EXPECT_EQ(d.value(vtF1), 5.0);
  EXPECT_EQ(d.value(vtFd0), 5.0);  // head's slope
  EXPECT_EQ(d.value(vtFd1), 0.0);  // the end segment's: no successor
  for (int code = vtZ0; code <= vtCaEqCaStar; code <<= 1) {
    const auto t = static_cast<ValueType>(code);
    EXPECT_EQ(d.hasValue(t), code <= vtFdd1) << code;
    EXPECT_EQ(d.isKnownValue(t), code >= vtFd0 && code <= vtFdd1) << code;
    EXPECT_FALSE(d.isVarValue(t, vsExplicit));
  }
  d.setValue(vtZ0, vsExplicit, 7.0);
  d.setNext(d.head());
  EXPECT_EQ(d.z0(), 0.0);
  EXPECT_EQ(d.next(), nullptr);
  EXPECT_STREQ(d.typeName(), "Drive");
  d.compile(vsDerived);
  // Extremes over all segments: slopes 5 and -3, the end segment 0.
  EXPECT_NEAR(d.fdmax(), 5.0, kTol);
  EXPECT_NEAR(d.fdmin(), -3.0, kTol);
  EXPECT_NEAR(d.fmax(), 11.0, kTol);
}

// ---- compile

TEST_F(DriveCoreTest, CompileHandsSlopesAndCurvaturesBothWaysWithTraceLines) {
  VelDriveImp d;
  auto* j = new Joint(2, 10);
  d.insert(new Line(0, 0));
  d.insert(j);
  d.insert(new Line(4, 10));
  d.insert(new Line(6, 16));
  int result = -1;
  const std::string trace = traced([&] { result = d.compile(vsDerived); });
  EXPECT_EQ(result, 0);
  EXPECT_EQ(trace,
            "Line.fd1(5) -> Joint.fd0(5)\n"
            "Line.fdd1(0) -> Joint.fdd0(0)\n"
            "Joint.fd1(3) <- Line.fd0(3)\n"
            "Joint.fdd1(0) <- Line.fdd0(0)\n");
  EXPECT_EQ(j->src[0], vsDerived);
  EXPECT_EQ(j->src[1], vsDerived);
  EXPECT_TRUE(d.isCompiled());
}

// The end segment takes part in no hand-over (it is still compiled), nor does a lone segment,
// periodic or not.
TEST_F(DriveCoreTest, EndSegmentAndLoneSegmentHandNothingOver) {
  for (int periodic : {0, 1})
    for (bool withEnd : {true, false}) {
      VelDriveImp d;
      d.setPeriodic(periodic);
      auto* j = new Joint(withEnd ? 2 : 0, 10);
      if (withEnd) d.insert(new Line(0, 0));
      d.insert(j);
      gCount.compileCalls = 0;
      const std::string trace = traced([&] { EXPECT_EQ(d.compile(vsDerived), 1); });
      EXPECT_EQ(trace, "") << periodic << withEnd;
      EXPECT_EQ(j->src[0], vsNone);
      EXPECT_GE(gCount.compileCalls, withEnd ? 2 : 1);
    }
}

TEST_F(DriveCoreTest, PeriodicDriveHandsOverAcrossTheJointFromLastMotionSegmentToHead) {
  for (int periodic : {0, 1}) {
    VelDriveImp d;
    d.setPeriodic(periodic);
    auto* a = new Joint(0, 0);
    d.insert(a);
    d.insert(new Line(2, 10));
    d.insert(new Line(4, 16));
    int result = -1;
    const std::string trace = traced([&] { result = d.compile(vsDerived); });
    if (periodic) {
      EXPECT_EQ(result, 0);
      EXPECT_EQ(trace,
                "Joint.fd1(3) <- Line.fd0(3)\n"
                "Joint.fdd1(0) <- Line.fdd0(0)\n"
                "Line.fd1(3) -> Joint.fd0(3)\n"
                "Line.fdd1(0) -> Joint.fdd0(0)\n");
    } else {
      // The head never learns its start slope; each of the three passes hands it the end
      // slope again while it stays uncompiled.
      EXPECT_EQ(result, 1);
      std::string pass = "Joint.fd1(3) <- Line.fd0(3)\nJoint.fdd1(0) <- Line.fdd0(0)\n";
      EXPECT_EQ(trace, pass + pass + pass);
    }
  }
}

TEST_F(DriveCoreTest, CompileSolvesOneMoreSegmentPerPassUntilDone) {
  VelDriveImp d;
  d.insert(new Line(0, 0));
  for (int i = 1; i <= 4; ++i) d.insert(new Relay(i, i));
  d.insert(new Line(5, 5));
  traced([&] { EXPECT_EQ(d.compile(vsDerived), 0); });
  // Pass 1 compiles the lines and relay 1, pass k relay k; a fifth pass finds all compiled:
  // 6 + 3 + 2 + 1 compile calls.
  EXPECT_EQ(gCount.compileCalls, 12);
}

TEST_F(DriveCoreTest, CompileStopsAfterFirstPassWithoutProgress) {
  VelDriveImp d;
  d.insert(new Line(0, 0));
  d.insert(new Stuck(1, 1));
  d.insert(new Stuck(2, 1));
  d.insert(new Line(3, 3));
  EXPECT_EQ(d.compile(vsDerived), 2);
  // Passes start with 4, 2 and 2 uncompiled segments; the third made no progress.
  EXPECT_EQ(gCount.compileCalls, 4 + 2 + 2);
  // A later compile goes on from there.
  gCount.compileCalls = 0;
  EXPECT_EQ(d.compile(vsDerived), 2);
  EXPECT_EQ(gCount.compileCalls, 2 + 2);  // passes starting with 2 and 2
}

// Fault mended: the pass counter started at 10000, so a chain of more segments stopped
// after one pass and reported itself unsolved.
TEST_F(DriveCoreTest, ChainsLongerThanTenThousandSegmentsCompile) {
  VelDriveImp d;
  constexpr int kCount = 10050;
  for (int i = kCount; i >= 0; --i) d.insert(new Line(i, i));  // each goes in front
  EXPECT_EQ(d.compile(vsDerived), 0);
  EXPECT_EQ(gCount.compileCalls, kCount + 1);
}

// A line that counts how often the chain is stepped through it.
long gSteps = 0;
class CountingLine : public Line {
 public:
  using Line::Line;
  IVelDriveSegImp* next() override {
    ++gSteps;
    return Line::next();
  }
};

// Compile work grows with the chain, not with its square (no walk to the tail per step).
TEST_F(DriveCoreTest, CompileStepsGrowLinearlyWithTheChain) {
  std::vector<long> steps;
  for (int n : {100, 1000}) {
    VelDriveImp d;
    d.setPeriodic(1);
    for (int i = n; i > 0; --i) d.insert(new CountingLine(i, i % 7));
    gSteps = 0;
    EXPECT_EQ(d.compile(vsDerived), 0);
    steps.push_back(gSteps);
  }
  EXPECT_LT(steps[1], 11 * steps[0]) << steps[0] << " " << steps[1];
}

TEST_F(DriveCoreTest, SetPeriodicDecompilesOnlyOnChange) {
  VelDriveImp d;
  d.insert(new Line(0, 0));
  d.insert(new Line(1, 1));
  d.compile(vsDerived);
  d.setPeriodic(0);
  EXPECT_TRUE(d.isCompiled());
  EXPECT_EQ(d.setPeriodic(5), 0);
  EXPECT_EQ(d.periodic(), 5);
  EXPECT_FALSE(d.isCompiled());
}

// ---- evaluation

// A drive of lines through (0, 0), (2, 10), (4, 14): slopes 5 and 2.
struct TwoLines {
  VelDriveImp d;
  TwoLines() {
    d.insert(new Line(0, 0));
    d.insert(new Line(2, 10));
    d.insert(new Line(4, 14));
  }
  FArr at(double z) {
    FArr out{9, 9, 9, 9};
    return d.farr(z, out);
  }
};

TEST_F(DriveCoreTest, EvaluationAtJointsSnapsAtBothEndsAndIsZeroOutside) {
  TwoLines t;
  t.d.compile(vsDerived);
  // The inner joint belongs to the earlier segment: slope 5, not 2.
  EXPECT_NEAR(t.at(2.0)[1], 5.0, kTol);
  // Beyond 2^-26 outside: zeros, also for a periodic drive (no wrap-around).
  EXPECT_EQ(t.at(-1.5e-8), (FArr{0, 0, 0, 0}));
  t.d.setPeriodic(1);
  t.d.compile(vsDerived);
  EXPECT_EQ(t.at(5.0), (FArr{0, 0, 0, 0}));
  EXPECT_NEAR(t.at(3.0)[0], 12.0, kTol);
}

// The reference: the first segment from the head with z0 ≤ z ≤ z1 answers.
FArr walkEvaluate(VelDriveImp& d, double z) {
  FArr out{0, 0, 0, 0};
  if (!d.head()) return out;
  IVelDriveSegImp* last = d.head();
  while (last->next()) last = last->next();
  const double lo = d.head()->z0(), hi = last->z0();
  if (z < lo && lo - z < 1.4901161193847656e-8) z = lo;
  if (z > hi && z - hi < 1.4901161193847656e-8) z = hi;
  for (IVelDriveSegImp* s = d.head(); s; s = s->next())
    if (s->z0() <= z && z <= s->z1()) return s->farr(z, out);
  return out;
}

// Random chains of lines with zero-length segments and repeated z0; z on the boundaries,
// just beside them, inside and outside.
TEST_F(DriveCoreTest, EvaluationEqualsFirstContainingSegmentOverRandomChains) {
  std::mt19937 rng(20240611);
  std::uniform_int_distribution<int> count(1, 40), step(0, 3);
  std::uniform_real_distribution<double> f(-10, 10), unit(0, 1);
  for (int trial = 0; trial < 300; ++trial) {
    VelDriveImp d;
    const int n = count(rng);
    std::vector<double> zs;
    double z = f(rng);
    for (int i = 0; i < n; ++i) {
      zs.push_back(z);
      z += step(rng) == 0 ? 0.0 : unit(rng) * 3;  // a quarter of the lengths are zero
    }
    std::shuffle(zs.begin(), zs.end(), rng);
    for (double z0 : zs) d.insert(new Line(z0, f(rng)));
    d.compile(vsDerived);
    std::vector<double> probes = {zs.front() - 1.0, z + 1.0};
    for (double b : zs) {
      probes.insert(probes.end(), {b, b - 1e-9, b + 1e-9, b - 1e-7, b + 1e-7});
      probes.push_back(b + unit(rng) * 2);
    }
    // Twice: the second round is answered from the boundary cache of the first.
    for (int round = 0; round < 2; ++round)
      for (double p : probes) {
        FArr got{};
        d.farr(p, got);
        EXPECT_EQ(got, walkEvaluate(d, p)) << "trial " << trial << " z " << p;
      }
    // A client moves one boundary behind the drive's back, now and then past a neighbour, so
    // the chain goes out of order (the lookup cache once missed that).
    IVelDriveSegImp* moved = d.head();
    for (int k = static_cast<int>(unit(rng) * n); k > 0 && moved->next(); --k)
      moved = moved->next();
    const double lo = moved->prev() ? moved->prev()->z0() : moved->z0() - 1;
    const double hi = moved->next() ? moved->next()->z0() : moved->z0() + 1;
    moved->setValue(vtZ0, vsExplicit, lo - 2.0 + unit(rng) * (hi - lo + 4.0));
    for (double p : probes) {
      FArr got{};
      d.farr(p, got);
      EXPECT_EQ(got, walkEvaluate(d, p)) << "moved, trial " << trial << " z " << p;
    }
  }
}

TEST_F(DriveCoreTest, RepeatedPointIsAnsweredAgainUntilSomethingChanges) {
  TwoLines t;
  EXPECT_EQ(t.at(1.0), (FArr{0, 0, 0, 0}));  // uncompiled
  t.d.compile(vsDerived);
  EXPECT_NEAR(t.at(1.0)[0], 5.0, kTol);
  EXPECT_NEAR(t.at(1.0)[0], 5.0, kTol);
  // A client moves the answering segment's end: the same z gives the new value.
  t.d.head()->next()->setValue(vtF0, vsExplicit, 20.0);
  EXPECT_NEAR(t.at(1.0)[0], 10.0, kTol);
  t.d.head()->setValue(vtZ0, vsExplicit, -2.0);
  EXPECT_NEAR(t.at(1.0)[0], 15.0, kTol);  // 20·(1 + 2)/4
  // Through the drive: periodic change, decompile, removal.
  t.d.decompile();
  EXPECT_EQ(t.at(1.0), (FArr{0, 0, 0, 0}));
  t.d.compile(vsDerived);
  EXPECT_NEAR(t.at(1.0)[0], 15.0, kTol);
  t.d.remove(t.d.head());
  EXPECT_EQ(t.at(1.0), (FArr{0, 0, 0, 0}));
  EXPECT_NEAR(t.at(3.0)[0], 17.0, kTol);  // 20 + (14 − 20)·(3 − 2)/2
  t.d.clear();
  EXPECT_EQ(t.at(3.0), (FArr{0, 0, 0, 0}));
}

// ---- format string

TEST_F(DriveCoreTest, FormatParserReadsTypeStartAndPairs) {
  SegmentFormat f = parseSegmentFormat("\"ModSine\", 0, -1.5e3, \"fd1\", 0.5; 'lambda',+2");
  ASSERT_TRUE(f.complete);
  EXPECT_STREQ(f.type, "ModSine");
  EXPECT_EQ(f.f0, -1500.0);
  ASSERT_EQ(f.pairs.size(), 2u);
  EXPECT_STREQ(f.pairs[0].name, "fd1");
  EXPECT_EQ(f.pairs[0].value, 0.5);
  EXPECT_STREQ(f.pairs[1].name, "lambda");
  EXPECT_EQ(f.pairs[1].value, 2.0);
  EXPECT_TRUE(errors_.messages().empty());
  // A pair that cannot be read ends the list; the pairs before it stay.
  f = parseSegmentFormat("'Sine', 1, 2, 'fd1', 3, 'fd0' 4, 'c', 1");
  EXPECT_EQ(f.pairs.size(), 1u);
  EXPECT_EQ(errors_.messages().back(), "',' in format differs from '4' in stream\n");
  EXPECT_FALSE(parseSegmentFormat("\"Sine\", 1)").complete);
  EXPECT_FALSE(parseSegmentFormat(nullptr).complete);
}

TEST_F(DriveCoreTest, AddSegmentFromFormatSetsAcceptedValuesAndCountsRefusedOnes) {
  VelDriveImp d;
  EXPECT_EQ(d.addSegment("\"Joint\", 2, 3, \"fd1\", 0.5, \"Lambda\", 1, \"z1\", 4, \"fdd0\", -1",
                         createTestSegment),
            2);
  auto* j = dynamic_cast<Joint*>(d.head());
  ASSERT_NE(j, nullptr);
  EXPECT_EQ(j->z0(), 2.0);
  EXPECT_EQ(j->f0(), 3.0);
  EXPECT_EQ(j->v[1], 0.5);
  EXPECT_EQ(j->src[1], vsExplicit);
  EXPECT_EQ(j->v[2], -1.0);
  EXPECT_TRUE(errors_.messages().empty());  // refused pairs show no message
  // Unknown type, short text, unquoted type: nothing added, nothing refused.
  EXPECT_EQ(d.addSegment("\"Bogus\", 0, 0", createTestSegment), 0);
  EXPECT_EQ(d.addSegment("\"Line\", 0", createTestSegment), 0);
  EXPECT_EQ(d.addSegment("Line, 0, 0", createTestSegment), 0);
  EXPECT_EQ(errors_.messages().back(), "String opening \" or ' expected, 'Line' found.\n");
  EXPECT_EQ(chainZ0(d), (std::vector<double>{2}));
  // A pair that moves z0 is set after insertion: the chain keeps the insertion order.
  EXPECT_EQ(d.addSegment("'Line', 5, 0 , 'z0', -1", createTestSegment), 0);
  EXPECT_EQ(chainZ0(d), (std::vector<double>{2, -1}));
}

}  // namespace
