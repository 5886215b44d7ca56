#include "kernel/model/drive_core.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "tests/kernel/model/fake_segments.h"
#include "tests/kernel/support/error_capture.h"

namespace {

constexpr double kTol = 1e-12;
using Line = FakeLine<>;

class DriveCoreTest : public ::testing::Test {
 protected:
  void SetUp() override { gFakesAlive = 0; }
  void TearDown() override { EXPECT_EQ(gFakesAlive, 0) << "a segment was not released"; }
  ErrorCapture errors_;
};

// ---- chain

// Fault mended: a segment linked a second time closed a cycle (every walk hung) or cut
// another drive's chain; a drive linked as a segment hid the segments behind it.
TEST_F(DriveCoreTest, ChainRefusesWhatItCannotHoldAndReportsIt) {
  VelDriveImp d, other, inner;
  auto* a = new Line(0, 0);
  auto* b = new Line(1, 0);
  d.insert(a);
  d.insert(b);
  Line outsider(3, 0);
  const std::string refused = "Attempt to insert invalid drive segment.";
  const std::string notMember = "segment is no member of drive.";
  const struct {
    int result;
    const std::string& message;
  } cases[] = {{d.insert(nullptr), refused},   {d.insert(a), refused},
               {other.insert(b), refused},     {d.insert(&inner), refused},
               {d.insert(&d), refused},        {d.remove(&outsider), notMember},
               {d.remove(nullptr), notMember}, {other.remove(a), notMember}};
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    EXPECT_EQ(cases[i].result, cases[i].message == refused ? 1 : 2) << i;
    EXPECT_EQ(errors_.messages()[i], cases[i].message) << i;
  }
  EXPECT_EQ(d.head(), a);
  EXPECT_EQ(d.tail(), b);
  EXPECT_EQ(other.head(), nullptr);
}

// Appending behind the tail skips the walk while the chain is in order; mixed with
// insertions in front, removals and clients moving linked segments out of order, the chain
// must still be the one the walk from the head builds (ties: equal to the head goes second,
// equal to a later one goes before it).
TEST_F(DriveCoreTest, InsertionMatchesTheWalkFromTheHeadWhateverTheOrder) {
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> action(0, 9), small(0, 6);
  for (int trial = 0; trial < 50; ++trial) {
    VelDriveImp d;
    std::vector<IVelDriveSegImp*> model;
    for (int step = 0; step < 60; ++step) {
      const int a = action(rng);
      if (a < 6 || model.empty()) {
        auto* seg = new Line(small(rng) + (a < 4 ? step : 0), 0.0);
        const double z = seg->z0();
        std::size_t at = 0;
        if (!model.empty() && !(z < model[0]->z0()))
          for (at = 1; at < model.size() && z > model[at]->z0();) ++at;
        model.insert(model.begin() + static_cast<long>(at), seg);
        ASSERT_EQ(d.insert(seg), 0);
      } else if (a < 8) {
        const auto k = static_cast<long>(static_cast<std::size_t>(small(rng)) % model.size());
        ASSERT_EQ(d.remove(model[static_cast<std::size_t>(k)]), 0);
        model.erase(model.begin() + k);
      } else {
        model[static_cast<std::size_t>(small(rng)) % model.size()]->setValue(vtZ0, vsExplicit,
                                                                             small(rng) * 10.0);
      }
      std::vector<IVelDriveSegImp*> chain;
      for (IVelDriveSegImp* s = d.head(); s; s = s->next()) {
        ASSERT_EQ(s->prev(), chain.empty() ? nullptr : chain.back());
        chain.push_back(s);
      }
      ASSERT_EQ(chain, model) << "trial " << trial << " step " << step;
      ASSERT_EQ(d.tail(), model.empty() ? nullptr : model.back());
    }
  }
}

// Fault mended: a removed segment kept its links into the chain, which dangled once the
// drive let go of the other segments.
TEST_F(DriveCoreTest, RemovedSegmentForgetsItsLinksAndCanBeInsertedAgain) {
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
  }
  EXPECT_EQ(d.insert(kept), 0);
  EXPECT_EQ(d.head(), kept);
}

// An empty drive answers zeros and open extremes; a filled one its ends and the extremes
// over all segments.
TEST_F(DriveCoreTest, DriveAsSegment) {
  VelDriveImp d;
  EXPECT_EQ(d.fmin(), 1.7976931348623157e+308);
  FArr out{1, 2, 3, 4};
  EXPECT_EQ(d.farr(0.0, out), (FArr{0, 0, 0, 0}));
  d.insert(new Line(0, 1));
  d.insert(new Line(2, 11));
  d.insert(new Line(4, 5));
  EXPECT_EQ(d.value(vtZ1), 4.0);
  EXPECT_EQ(d.value(vtF1), 5.0);
  EXPECT_EQ(d.value(vtFd0), 5.0);  // the head's slope
  EXPECT_EQ(d.value(vtFd1), 0.0);  // the end segment's: no successor
  d.compile(vsDerived);
  EXPECT_NEAR(d.fdmax(), 5.0, kTol);  // slopes 5 and -3, the end segment 0
  EXPECT_NEAR(d.fdmin(), -3.0, kTol);
  EXPECT_NEAR(d.fmax(), 11.0, kTol);
}

// ---- compile

// A joint between lines gets slope and curvature from both sides; a segment that does not
// know a value hands it to nobody; the end segment and a lone segment hand nothing over,
// periodic or not.
TEST_F(DriveCoreTest, CompileHandsOverWhatTheNeighboursKnow) {
  VelDriveImp d;
  auto* j = new FakeJoint(2, 10);
  auto* u1 = new FakeJoint(6, 16);
  auto* u2 = new FakeJoint(8, 16);
  for (IVelDriveSegImp* s :
       std::vector<IVelDriveSegImp*>{new Line(0, 0), j, new Line(4, 10), u1, u2, new Line(10, 0)})
    d.insert(s);
  EXPECT_EQ(d.compile(vsDerived), 2);
  EXPECT_EQ(std::vector<double>(j->v, j->v + 4), (std::vector<double>{5, 3, 0, 0}));
  for (int src : j->src) EXPECT_EQ(src, vsDerived);
  EXPECT_EQ(u1->src[0], vsDerived);
  EXPECT_EQ(u1->src[1], vsNone);
  EXPECT_EQ(u2->src[0], vsNone);
  EXPECT_EQ(u2->src[1], vsNone);

  for (int periodic : {0, 1})
    for (bool withLine : {true, false}) {
      VelDriveImp e;
      e.setPeriodic(periodic);
      auto* last = new FakeJoint(withLine ? 2 : 0, 10);
      if (withLine) e.insert(new Line(0, 0));
      e.insert(last);
      EXPECT_EQ(e.compile(vsDerived), 1);
      EXPECT_EQ(last->src[0], vsNone) << periodic << withLine;
    }
}

// The last motion segment hands over to the head across the period joint.
TEST_F(DriveCoreTest, PeriodicDriveHandsOverAcrossThePeriodJoint) {
  for (int periodic : {0, 1}) {
    VelDriveImp d;
    d.setPeriodic(periodic);
    auto* head = new FakeJoint(0, 0);
    d.insert(head);
    d.insert(new Line(2, 10));
    d.insert(new Line(4, 16));
    EXPECT_EQ(d.compile(vsDerived), periodic ? 0 : 1);
    EXPECT_EQ(head->v[1], 3.0);
    EXPECT_EQ(head->v[0], periodic ? 3.0 : 0.0);
    EXPECT_EQ(head->src[0], periodic ? vsDerived : vsNone);
  }
}

// Passes run while they make progress: a row of relays needs one pass each, a stuck
// segment stops the passes, and a chain longer than any fixed pass count is still solved.
// Fault mended: the pass counter started at 10000, so a longer chain stopped after one pass
// and reported itself unsolved.
TEST_F(DriveCoreTest, CompileRunsPassesWhileTheyMakeProgress) {
  VelDriveImp relays;
  relays.insert(new Line(0, 0));
  for (int i = 1; i <= 4; ++i) relays.insert(new FakeRelay(i, i));
  relays.insert(new Line(5, 5));
  EXPECT_EQ(relays.compile(vsDerived), 0);
  EXPECT_TRUE(relays.isCompiled());

  VelDriveImp stuck;
  for (IVelDriveSegImp* s : std::vector<IVelDriveSegImp*>{new Line(0, 0), new FakeStuck<>(1, 1),
                                                          new FakeStuck<>(2, 1), new Line(3, 3)})
    stuck.insert(s);
  EXPECT_EQ(stuck.compile(vsDerived), 2);
  EXPECT_EQ(stuck.compile(vsDerived), 2);

  VelDriveImp longChain;
  for (int i = 10050; i >= 0; --i) longChain.insert(new Line(i, i));  // each goes in front
  EXPECT_EQ(longChain.compile(vsDerived), 0);
}

// ---- evaluation

// The reference: the first segment from the head with z0 ≤ z ≤ z1 answers; z within 2^-26
// outside the ends is moved onto them.
FArr walkEvaluate(VelDriveImp& d, double z) {
  FArr out{0, 0, 0, 0};
  if (!d.head()) return out;
  const double lo = d.head()->z0(), hi = d.tail()->z0();
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
    d.setPeriodic(trial % 2);  // no wrap-around either way
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
        EXPECT_EQ(d.farr(p, got), walkEvaluate(d, p)) << "trial " << trial << " z " << p;
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
      EXPECT_EQ(d.farr(p, got), walkEvaluate(d, p)) << "moved, trial " << trial << " z " << p;
    }
  }
}

}  // namespace
