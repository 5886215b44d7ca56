#include "kernel/automation/vel_drive.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "kernel/automation/vel_drive_seg.h"
#include "platform/com/bstr.h"
#include "platform/com/com_ptr.h"
#include "tests/kernel/automation/dispatch_helpers.h"
#include "tests/kernel/model/fake_segments.h"
#include "tests/kernel/support/error_capture.h"

namespace {

constexpr double kTol = 1e-12;
using LineSeg = FakeLine<VelDriveSeg>;

class VelDriveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gFakesAlive = 0;
    startObjects_ = velModule().objectCount.load();
    drive_ = new VelDrive("Hub");
    drive_->AddRef();
  }
  void TearDown() override {
    if (drive_) {
      EXPECT_EQ(drive_->Release(), 0u);
    }
    EXPECT_EQ(gFakesAlive, 0) << "a segment was not released";
    EXPECT_EQ(velModule().objectCount.load(), startObjects_) << "an object was leaked";
  }
  // A new segment added to the drive; the test keeps no reference of its own.
  template <class Seg = LineSeg>
  Seg* addNew(double z0, double f0) {
    auto* s = new Seg(z0, f0);
    s->AddRef();
    EXPECT_EQ(drive_->add(s), S_FALSE);
    s->Release();
    return s;
  }
  // Lines through (0, 0), (2, 10), (4, 14), compiled.
  void twoLines() {
    addNew(0, 0);
    addNew(2, 10);
    addNew(4, 14);
    LONG res = -1;
    EXPECT_EQ(drive_->compile(&res), S_OK);
  }
  double get(HRESULT (IVelDrive::*member)(double*)) {
    double v = -1;
    EXPECT_EQ((ifc()->*member)(&v), S_OK);
    return v;
  }

  VelDrive* drive_ = nullptr;
  IVelDrive* ifc() { return drive_; }
  ErrorCapture errors_;

 private:
  long startObjects_ = 0;
};

TEST_F(VelDriveTest, DriveHoldsOneReferencePerSegmentAndGivesThemBackWhenItGoes) {
  auto* a = new LineSeg(0, 0);
  auto* b = new LineSeg(1, 1);
  a->AddRef();
  b->AddRef();
  drive_->add(a);
  drive_->add(b);
  EXPECT_EQ(refCount(a), 2u);
  {
    ComPtr<IVelDriveSeg> head;
    EXPECT_EQ(ifc()->get_head(head.put()), S_OK);
    EXPECT_EQ(head.get(), static_cast<IVelDriveSeg*>(a));
    EXPECT_EQ(refCount(a), 3u);
  }
  EXPECT_EQ(ifc()->remove(b), S_FALSE);
  EXPECT_EQ(refCount(b), 1u);
  drive_->add(b);
  EXPECT_EQ(drive_->Release(), 0u);
  drive_ = nullptr;
  EXPECT_EQ(refCount(a), 1u);
  EXPECT_EQ(b->prev(), nullptr);
  EXPECT_EQ(a->Release(), 0u);
  EXPECT_EQ(b->Release(), 0u);
}

TEST_F(VelDriveTest, AddAndRemoveAlwaysAnswerSFalseAndReportWhatTheyRefuse) {
  auto* a = addNew(0, 0);
  EXPECT_EQ(drive_->add(nullptr), S_FALSE);
  EXPECT_EQ(ifc()->remove(nullptr), S_FALSE);
  EXPECT_TRUE(errors_.messages().empty());  // null arguments are skipped
  EXPECT_EQ(drive_->add(a), S_FALSE);       // already linked
  ComPtr<VelDrive> other(new VelDrive);
  EXPECT_EQ(drive_->add(other.get()), S_FALSE);  // a drive is no segment of a drive
  EXPECT_EQ(static_cast<IVelDrive*>(other.get())->remove(a), S_FALSE);
  EXPECT_EQ(errors_.messages(),
            (std::vector<std::string>{"Attempt to insert invalid drive segment.",
                                      "Attempt to insert invalid drive segment.",
                                      "segment is no member of drive."}));
  EXPECT_EQ(refCount(a), 1u);
}

TEST_F(VelDriveTest, CompileFailsWhileSegmentsAreUnsolved) {
  ComPtr<IVelDriveSeg> head;
  EXPECT_EQ(ifc()->get_head(head.put()), S_FALSE);
  EXPECT_EQ(head.get(), nullptr);
  addNew(0, 0);
  addNew<FakeStuck<VelDriveSeg>>(1, 1);
  addNew(2, 2);
  LONG res = -1;
  EXPECT_EQ(ifc()->compile(&res), E_FAIL);
  EXPECT_EQ(res, 1);
  EXPECT_EQ(ifc()->compile(nullptr), E_POINTER);
  EXPECT_EQ(ifc()->clear(), S_OK);
  EXPECT_EQ(gFakesAlive, 0);
  EXPECT_EQ(ifc()->compile(&res), S_OK);
  EXPECT_EQ(res, 0);
}

TEST_F(VelDriveTest, NameAndPeriodicRoundTrip) {
  ifc()->put_name(Bstr(std::string(300, 'x')).get());
  EXPECT_EQ(std::string(drive_->name()), std::string(127, 'x'));  // the 128-byte buffer
  ifc()->put_name(nullptr);
  EXPECT_STREQ(drive_->name(), "");

  LONG p = -1;
  EXPECT_EQ(ifc()->get_periodic(&p), S_OK);
  EXPECT_EQ(p, 0);
  twoLines();
  EXPECT_EQ(ifc()->put_periodic(1), S_OK);
  ifc()->get_periodic(&p);
  EXPECT_EQ(p, 1);
  EXPECT_FALSE(drive_->isCompiled());
}

// The segment members of a drive answer for the whole drive and change nothing.
TEST_F(VelDriveTest, SegmentMembersAnswerForTheWholeDrive) {
  twoLines();
  EXPECT_EQ(get(&IVelDrive::get_f1), 14.0);
  EXPECT_EQ(ifc()->put_z0(3.0), S_FALSE);
  EXPECT_EQ(ifc()->put_f0(3.0), S_FALSE);
  EXPECT_EQ(get(&IVelDrive::get_z0), 0.0);
  double v = 0;
  EXPECT_EQ(ifc()->get_value(Bstr("z1").get(), &v), S_FALSE);
  EXPECT_EQ(v, 4.0);
  EXPECT_EQ(ifc()->put_value(Bstr("Lambda").get(), 1.0), S_OK);
  EXPECT_EQ(ifc()->put_value(Bstr("z1").get(), 1.0), S_OK);
  EXPECT_EQ(errors_.messages(), (std::vector<std::string>{"DRV_E_UNKNOWN_PARAM: Lambda",
                                                          "DRV_E_UNSUPPORTED_PARAM: z1"}));
  // A drive has no neighbours and cannot be cloned.
  for (auto member : {&IVelDrive::get_next, &IVelDrive::get_prev, &IVelDrive::get_clone}) {
    ComPtr<IVelDriveSeg> s;
    EXPECT_EQ((ifc()->*member)(s.put()), S_OK);
    EXPECT_EQ(s.get(), nullptr);
  }
  Bstr t;
  EXPECT_EQ(ifc()->htmlTable(t.put()), S_OK);
  EXPECT_EQ(t.utf8().rfind("<table border>\n", 0), 0u);
}

// fderiv, farr and the single-value members agree, also after a client changed a segment
// between two calls at the same z.
TEST_F(VelDriveTest, EvaluationMembersAgreeAndFollowChangesOfASegment) {
  twoLines();
  double f = 0, fd = 0, fdd = 0, fddd = 0, v = 0;
  EXPECT_EQ(ifc()->fderiv(1.0, &f, &fd, &fdd, &fddd), S_OK);
  EXPECT_NEAR(f, 5.0, kTol);
  EXPECT_NEAR(fd, 5.0, kTol);
  double arr[4] = {9, 9, 9, 9};
  EXPECT_EQ(ifc()->farr(2.0, arr), S_OK);
  EXPECT_NEAR(arr[1], 5.0, kTol);  // the earlier segment at the joint
  ifc()->f(3.0, &v);
  EXPECT_NEAR(v, 12.0, kTol);
  ComPtr<IVelDriveSeg> head, second;
  ifc()->get_head(head.put());
  head->get_next(second.put());
  EXPECT_EQ(second->put_f0(20.0), S_OK);
  ifc()->f(3.0, &v);
  EXPECT_NEAR(v, 17.0, kTol);  // 20 + (14 − 20)·(3 − 2)/2
  EXPECT_EQ(second->put_value(Bstr("z0").get(), 1.0), S_OK);
  ifc()->f(3.0, &v);
  EXPECT_NEAR(v, 16.0, kTol);  // now from z0 = 1: 20 + (14 − 20)·(3 − 1)/3
  // Not finite: refused with a message, the segment unchanged (NaN used to be stored).
  errors_.messages().clear();
  EXPECT_EQ(second->put_z0(std::nan("")), E_INVALIDARG);
  EXPECT_EQ(second->put_f0(HUGE_VAL), E_INVALIDARG);
  EXPECT_EQ(second->put_value(Bstr("z0").get(), -HUGE_VAL), E_INVALIDARG);
  EXPECT_EQ(errors_.messages(), (std::vector<std::string>{"z0 must be a finite number, not nan",
                                                          "f0 must be a finite number, not inf",
                                                          "z0 must be a finite number, not -inf"}));
  ifc()->f(3.0, &v);
  EXPECT_NEAR(v, 16.0, kTol);
  EXPECT_EQ(ifc()->f(1.0, nullptr), E_POINTER);
  EXPECT_EQ(ifc()->farr(1.0, nullptr), E_POINTER);
}

// ---- with the kernel's own segment types

TEST_F(VelDriveTest, SegmentFormatAddsKnownTypesAndReportsBadInput) {
  const struct {
    const char* text;
    HRESULT hr;
  } cases[] = {{"\"Linear\", 0, 0", S_OK},
               {"Linear, 1, 0", S_OK},      // reported, nothing added
               {"\"linear\", 1, 0", S_OK},  // unknown type, nothing added
               {"\"Linear\", 2, 0, \"Lambda\", 1", E_INVALIDARG},
               {"\"ModSine\", 3, 1, \"fd1\", 0.5", S_OK},
               {"\"Sine\", 4, 0, \"fd1\", 0.5", E_INVALIDARG}};
  for (const auto& c : cases) EXPECT_EQ(ifc()->put_segment(Bstr(c.text).get()), c.hr) << c.text;
  EXPECT_EQ(errors_.messages(),
            (std::vector<std::string>{"String opening \" or ' expected, 'Linear' found.\n"}));
  EXPECT_EQ(ifc()->put_segment(nullptr), S_OK);
  // What was refused stays out, the rest stays in, a refused pair leaves its segment in.
  std::vector<std::string> types;
  for (IVelDriveSegImp* s = drive_->head(); s; s = s->next()) types.push_back(s->typeName());
  EXPECT_EQ(types, (std::vector<std::string>{"Linear", "Linear", "ModSine", "Sine"}));
  EXPECT_EQ(drive_->head()->next()->next()->value(vtFd1), 0.5);
}

}  // namespace
